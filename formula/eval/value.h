#pragma once
// Value conventions shared by the evaluator and every built-in function:
// the two marker patterns, the tolerance of equality and zero tests, the
// rounding of count arguments and the evaluation result codes.
#include <cmath>
#include <cstdint>
#include <cstring>

// Result codes of every evaluation operation.
constexpr int32_t EVAL_OK = 0;
constexpr int32_t EVAL_BAD_ARGUMENT = 4;

// No value at this bar: low word 0xFFFFFFFF, high word 0xFFFFFFFE (a NaN that
// is recognised by its bits, never by a NaN test).
constexpr uint64_t INVALID_VALUE_BITS = 0xFFFFFFFEFFFFFFFFull;
// A series cell not yet computed: all 64 bits set.
constexpr uint64_t UNCOMPUTED_BITS = 0xFFFFFFFFFFFFFFFFull;

constexpr double INVALID_VALUE = __builtin_bit_cast(double, INVALID_VALUE_BITS);
constexpr double UNCOMPUTED = __builtin_bit_cast(double, UNCOMPUTED_BITS);

// Tolerance of every equality and zero test: the float 1e-7 widened.
constexpr double VALUE_EPSILON = static_cast<double>(1e-7f);

inline uint64_t ValueBits(double v) {
  uint64_t bits = 0;
  std::memcpy(&bits, &v, sizeof bits);
  return bits;
}

inline double ValueFromBits(uint64_t bits) {
  double v = 0.0;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

// Both tests compare the two 32-bit words exactly.
inline bool IsInvalid(double v) { return ValueBits(v) == INVALID_VALUE_BITS; }
inline bool IsUncomputed(double v) { return ValueBits(v) == UNCOMPUTED_BITS; }
// Neither INVALID_VALUE nor UNCOMPUTED.
inline bool HasValue(double v) {
  const uint64_t bits = ValueBits(v);
  return bits != INVALID_VALUE_BITS && bits != UNCOMPUTED_BITS;
}
// |v| <= VALUE_EPSILON.
inline bool IsZero(double v) { return std::fabs(v) <= VALUE_EPSILON; }
// Has a value and |v| > VALUE_EPSILON.
inline bool IsTrue(double v) { return HasValue(v) && !IsZero(v); }

// A count or period argument rounded as a count: trunc(v + d) with d the float
// 1e-7 (or -1e-7 for negative v) widened to double.
inline double RoundCountValue(double v) {
  const double d = v >= 0.0 ? static_cast<double>(1e-7f) : static_cast<double>(-1e-7f);
  return std::trunc(v + d);
}

// RoundCountValue as an int32_t; values beyond the int32 range saturate and a
// NaN gives 0, so the conversion is always defined.
inline int32_t RoundCount(double v) {
  const double n = RoundCountValue(v);
  if (std::isnan(n)) return 0;
  if (n >= 2147483647.0) return INT32_MAX;
  if (n <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(n);
}
