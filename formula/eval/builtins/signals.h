#pragma once
// Signal filters: FILTER, and FILTERX, TFILTER and TTFILTER, which no formula
// reaches and which give no value.
#include "formula/eval/calc_context.h"

int32_t BuiltinFilter(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinFilterX(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinTFilter(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinTTFilter(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
