#pragma once
// Parabolic stop-and-reverse: SAR and its turn signal SARTURN.
#include "formula/eval/calc_context.h"

int32_t BuiltinSar(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinSarTurn(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
