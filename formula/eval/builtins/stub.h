#pragma once
// The placeholder built-in shared by the functions whose computation the
// library does not provide (CALCSTOCKINDEX, TFILT, BETA, BETAEX, IVOLAT, COST,
// WINNER, LWINNER, PWINNER, COSTEX, PPART, NEWSAR).
#include "formula/eval/calc_context.h"

// 1.0 for every bar inside the data, INVALID_VALUE outside; the arguments are
// not looked at.
int32_t ConstantStub(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
