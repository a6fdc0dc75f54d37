#pragma once
// Counting and bars-since built-ins: BARSCOUNT, BARSLAST, BARSSINCE,
// BARSSINCEN, BARSLASTCOUNT, BARSNEXT and COUNT.
#include "formula/eval/calc_context.h"

int32_t BuiltinBarsCount(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinBarsLast(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinBarsSince(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinBarsSinceN(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinBarsLastCount(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinBarsNext(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinCount(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
