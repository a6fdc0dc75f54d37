#pragma once
// The arithmetic built-ins (MAX to RAND, slots 0 to 23) and the colour
// function RGB (slot 24). Each has the BuiltinFn form.
#include <cstdint>

#include "formula/eval/calc_context.h"

int32_t BuiltinMax(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinMin(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinMod(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinAcos(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinAsin(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinAtan(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinCos(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinSin(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinTan(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinExp(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinLn(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinLog(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinSqrt(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinAbs(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinPow(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinCeiling(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinFloor(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinIntPart(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinBetween(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinFracPart(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinRound(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinRound2(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinSign(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinRand(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinRgb(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);

// The generator behind RAND: integers 0 to 32767, one sequence per thread,
// never reseeded by the library (every thread starts from the same seed).
int32_t NextRandomInt();
