#pragma once
// Window aggregates: SUM, MULAR and SUMBARS.
#include "formula/eval/calc_context.h"

int32_t BuiltinSum(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinMular(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinSumBars(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
