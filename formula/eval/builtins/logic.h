#pragma once
// The cross tests (CROSS, LONGCROSS), the run tests with their reusable
// counts (UPNDAY, DOWNNDAY, NDAY, EXIST, EVERY), LAST, NOT and the conditional
// functions IF, IFN and VALUEWHEN. Each has the BuiltinFn form.
#include <cstdint>

#include "formula/eval/calc_context.h"

int32_t BuiltinCross(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinLongCross(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinUpNDay(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinDownNDay(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinNDay(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinExist(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinEvery(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinLast(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinNot(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinIf(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinIfn(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
// Element 1 is the OPK_VAR of the variable that receives the result; the
// result is also written back into that variable's series.
int32_t BuiltinValueWhen(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
