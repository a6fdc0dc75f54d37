#pragma once
// Bar status and prices: DRAWNULL, BARSTATUS, CURRBARSCOUNT, TOTALBARSCOUNT,
// ISLASTBAR, TR, ZTPRICE and DTPRICE.
#include "formula/eval/calc_context.h"

int32_t BuiltinDrawNull(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinBarStatus(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinCurrBarsCount(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinTotalBarsCount(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinIsLastBar(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinTr(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinZtPrice(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinDtPrice(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
