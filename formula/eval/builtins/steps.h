#pragma once
// The per-cell arithmetic of the operators and of the built-ins that also run
// column by column. The per-bar implementations and the column kernels both
// call these, so that both do the same IEEE operations in the same order.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "formula/eval/calculate_info.h"
#include "formula/eval/value.h"

namespace step {

// A two-operand operator on two numbers (neither INVALID_VALUE).
inline double Operator(int32_t op, double a, double b) {
  const double e = VALUE_EPSILON;
  switch (op) {
    case OP_ADD: return a + b;
    case OP_SUB: return a - b;
    case OP_MUL: return a * b;
    case OP_DIV: return std::fabs(b) <= e ? 0.0 : a / b;
    case OP_AND: return std::fabs(a) > e && std::fabs(b) > e ? 1.0 : 0.0;
    case OP_OR: return std::fabs(a) > e || std::fabs(b) > e ? 1.0 : 0.0;
    case OP_GT: return a - b > e ? 1.0 : 0.0;
    case OP_LT: return b - a > e ? 1.0 : 0.0;
    case OP_EQ: return std::fabs(a - b) <= e ? 1.0 : 0.0;
    case OP_GE: return std::fabs(a - b) <= e || a - b > e ? 1.0 : 0.0;
    case OP_LE: return std::fabs(a - b) <= e || b - a > e ? 1.0 : 0.0;
    case OP_NE: return std::fabs(a - b) > e ? 1.0 : 0.0;
    default: return ValueFromBits(ValueBits(a) | ValueBits(b));  // OP_BITOR
  }
}

// An operator cell: no value when either operand has none.
inline double OperatorCell(int32_t op, double a, double b) {
  return IsInvalid(a) || IsInvalid(b) ? INVALID_VALUE : Operator(op, a, b);
}

// MAX, MIN and ABS of numbers with a value.
inline double Max(double x, double y) { return y > x ? y : x; }
inline double Min(double x, double y) { return x <= y ? x : y; }
inline double Abs(double x) { return std::fabs(x); }

// EMA: ((n - 1) * prev + 2 * x) / (n + 1).
inline double Ema(int32_t n, double prev, double x) {
  const double nd = n;
  return ((nd - 1.0) * prev + 2.0 * x) / (nd + 1.0);
}

// SMA: ((n - w) * prev + w * x) / n with the weight w = min(m, n).
inline double Sma(int32_t n, double m, double prev, double x) {
  const double w = std::min(m, static_cast<double>(n));
  return ((n - w) * prev + w * x) / n;
}

// a beats b: greater for the highest, smaller for the lowest (NaN never beats).
inline bool Beats(bool highest, double a, double b) { return highest ? a > b : a < b; }

// The extreme of a window from the previous window's extreme y at bar p and
// the newest value x at b: x when it beats y or ties it exactly (the newest
// bar wins a tie), y while p is still inside the nEff bars ending at b.
// *pos stays -1 when neither holds and the window must be scanned.
inline void ContinueExtreme(bool highest, double x, double y, int32_t p, int32_t b, int32_t nEff, double* best,
                            int32_t* pos) {
  if (HasValue(x) && HasValue(y) && (Beats(highest, x, y) || x == y)) {
    *best = x;
    *pos = b;
  } else if (HasValue(y) && p > b - nEff && p < b) {
    *best = y;
    *pos = p;
  }
}

// One value of a newest-first scan for the extreme at bar `at`; ties keep
// the newer bar already held.
inline void ScanExtremeValue(bool highest, double v, int32_t at, double* best, int32_t* pos) {
  if (!HasValue(v) || !Beats(highest, v, *best)) return;
  *best = v;
  *pos = at;
}

// The start of such a scan.
inline double ScanStart(bool highest) {
  constexpr double largest = 1.7976931348623157e308;
  return highest ? -largest : largest;
}

// STD from a window's sum of squared deviations m2 over n bars.
inline double SampleStd(double m2, int32_t n) { return m2 > 0.0 && n > 1 ? std::sqrt(m2 / (n - 1)) : 0.0; }

// IF (ifn false) and IFN (ifn true): no value without a condition or when
// the chosen branch has none.
inline double Choose(bool ifn, double condition, double a, double b) {
  if (!HasValue(condition)) return INVALID_VALUE;
  const double chosen = IsZero(condition) == ifn ? a : b;
  return HasValue(chosen) ? chosen : INVALID_VALUE;
}

// What reading the pair (A, B) some bars back gave.
enum class PairRead { Values, NoValue, Failed };

// CROSS(A, B) from read(k, &a, &b), the pair k bars back, read only as far
// back as needed: 1 where A rises above B, 0 where it does not, *out left
// alone where a pair has no value. False when a read failed.
template <class Read>
bool Cross(const Read& read, double* out) {
  double x = 0.0;
  double y = 0.0;
  PairRead r = read(0, &x, &y);
  if (r != PairRead::Values) return r != PairRead::Failed;
  if (x <= y) {
    *out = 0.0;
    return true;
  }
  if ((r = read(1, &x, &y)) != PairRead::Values) return r != PairRead::Failed;
  // Neither below nor above on the bar before: the bar before that decides.
  const bool tied = !(y < x) && !(x < y);
  if (tied && (r = read(2, &x, &y)) != PairRead::Values) return r != PairRead::Failed;
  *out = x < y ? 1.0 : 0.0;
  return true;
}

// MA from its window sum: no value when a bar of the window has none.
template <class SumAgg>
double WindowMean(const SumAgg& a, int32_t n) {
  return a.AnyMissing() ? INVALID_VALUE : a.Total() / n;
}

// SUM from its window sum at b: no value for a full window whose newest bar
// has none.
template <class SumAgg>
double WindowSum(const SumAgg& a, int32_t n, int32_t b) {
  return a.newestMissing != 0.0 && n <= b ? INVALID_VALUE : a.Total();
}

// REF: the distance actually looked back at b (never before bar 0).
inline int32_t RefDistance(int32_t n, int32_t b) { return std::min(n, b + 1); }

}  // namespace step
