#pragma once
// Statistics over a window: STD, STDP, VAR, VARP, AVEDEV, DEVSQ, FORCAST,
// SLOPE, COVAR, RELATE and VOLAT.
#include "formula/eval/calc_context.h"

int32_t BuiltinStd(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinStdP(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinVar(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinVarP(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinAveDev(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinDevSq(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinForcast(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinSlope(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinCovar(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinRelate(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinVolat(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);

// Periods per year by bar period type 0..7 (VOLAT's annualisation); 0 for any other type.
double PeriodsPerYear(int32_t periodType);
