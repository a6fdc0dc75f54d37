#pragma once
// Extremes over a window: HHV, LLV, HHVBARS, LLVBARS, HOD, LOD, TOPRANGE and
// LOWRANGE.
#include "formula/eval/calc_context.h"

int32_t BuiltinHhv(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinLlv(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinHhvBars(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinLlvBars(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinHod(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinLod(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinTopRange(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinLowRange(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
