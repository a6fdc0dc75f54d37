#pragma once
// Moving averages and smoothers: MA, SMMA, WMA and XMA over a window, and the
// recursive smoothers EMA, EXPMA, SMA, DMA, AMA, TMA, MEMA and EXPMEMA that
// feed on their own result series.
#include "formula/eval/calc_context.h"

int32_t BuiltinMa(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinSmma(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinWma(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinXma(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinEma(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinExpMa(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinSma(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinDma(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinAma(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinTma(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinMema(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinExpMema(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
