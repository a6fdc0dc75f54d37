#pragma once
// References to other bars: REF, REFV, REFX, REFXV and REFDATE.
#include "formula/eval/calc_context.h"

int32_t BuiltinRef(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinRefV(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinRefX(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinRefXV(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinRefDate(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);

// A date given as (year - 1900) * 10000 + month * 100 + day is a real day
// between 1 January 1990 and 31 December 2034; its yyyymmdd form in *ymd.
bool RefDateToYmd(int32_t d, int64_t* ymd);
