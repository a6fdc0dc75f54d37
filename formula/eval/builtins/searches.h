#pragma once
// Searches inside a window: FINDHIGH, FINDLOW, FINDHIGHBARS and FINDLOWBARS.
#include "formula/eval/calc_context.h"

int32_t BuiltinFindHigh(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinFindLow(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinFindHighBars(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinFindLowBars(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
