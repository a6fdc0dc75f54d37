#pragma once
// Whole-range built-ins that fill an array for every bar in one pass the
// first time a bar of it is asked for: BACKSET, ALIGNRIGHT and CONST.
#include "formula/eval/calc_context.h"

int32_t BuiltinBackSet(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinAlignRight(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinConst(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
