#pragma once
// Programs for calculator tests, shaped as the translator shapes them: each
// output argument is a variable of m_outputVars whose series is defined by an
// assignment over m_stmtVars.
#include <cstdint>
#include <memory>

#include "formula/eval/calculate_info.h"

// Field ids used by the programs below.
constexpr int32_t kHigh = 1;
constexpr int32_t kOpen = 2;
constexpr int32_t kLow = 3;
constexpr int32_t kClose = 4;

// Output 0: `.CURVELINE` of CLOSE * 2 + OPEN (series (4, 0)).
// Output 1: `.CURVELINE` of HIGH - LOW (series (4, 1)).
std::unique_ptr<CCalculateInfo> MakeLineProgram();
// Output 0 of the line program at a bar, from the default prices.
double LineOracle(int32_t bar);

// Output 0: DRAWTEXT(CLOSE > OPEN, HIGH, 'up'): condition (5, 0), price (5, 1), text (5, 2).
// Output 1: `.CURVELINE` of LOW (series (4, 1)).
std::unique_ptr<CCalculateInfo> MakeTextProgram();
