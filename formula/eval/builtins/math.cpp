#include "formula/eval/builtins/math.h"

#include <cmath>
#include <cstdint>

#include "formula/eval/builtins/steps.h"
#include "formula/eval/builtins/support.h"
#include "formula/eval/value.h"

using builtin::Args;
using builtin::PLAIN_ARGS;

namespace {

// The float 1e-7 widened: the bias of every rounding here.
constexpr double ROUND_BIAS = static_cast<double>(1e-7f);

using UnaryMath = double (*)(double);
using BinaryMath = double (*)(double, double);
using TernaryMath = double (*)(double, double, double);

// Reads `n` arguments at the bar; false with *code set when the caller must
// return (an argument failed, or one has no value and *out stays invalid).
bool ReadArgs(const Args& a, int32_t n, double* v, int32_t* code) {
  for (int32_t i = 0; i < n; ++i) {
    *code = a.At(i, 0, &v[i]);
    if (*code != EVAL_OK) return false;
  }
  for (int32_t i = 0; i < n; ++i) {
    if (!HasValue(v[i])) return false;
  }
  return true;
}

// A function of `n` plain arguments, each read at the bar; any argument
// without a value gives INVALID_VALUE.
template <typename Fn>
int32_t ApplyMath(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset, int32_t n, Fn fn) {
  Args a;
  int32_t entryCode = EVAL_OK;
  if (!builtin::BeginArgs(call, out, ctx, offset, n + 1, PLAIN_ARGS, &a, &entryCode)) return entryCode;
  double v[3] = {0.0, 0.0, 0.0};
  int32_t code = EVAL_OK;
  if (!ReadArgs(a, n, v, &code)) return code;
  *out = fn(v);
  return EVAL_OK;
}

int32_t Unary(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset, UnaryMath fn) {
  return ApplyMath(call, out, ctx, offset, 1, [fn](const double* v) { return fn(v[0]); });
}

int32_t Binary(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset, BinaryMath fn) {
  return ApplyMath(call, out, ctx, offset, 2, [fn](const double* v) { return fn(v[0], v[1]); });
}

int32_t Ternary(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset, TernaryMath fn) {
  return ApplyMath(call, out, ctx, offset, 3, [fn](const double* v) { return fn(v[0], v[1], v[2]); });
}

// Halves away from zero: sign times trunc(|v| + 0.5 + 1e-7f).
double RoundHalfAway(double v) {
  const double magnitude = std::trunc(std::fabs(v) + 0.5 + ROUND_BIAS);
  return v >= 0.0 ? magnitude : -magnitude;
}

// 10 to the power e (e >= 0) by repeated squaring.
double PowerOfTen(int64_t e) {
  double result = 1.0;
  double base = 10.0;
  while (e > 0) {
    if ((e & 1) != 0) result *= base;
    base *= base;
    e >>= 1;
  }
  return result;
}

// The remainder of the rounded operands, with the sign of the first. Taken in
// floating point, which is exact for integers of any size.
double Mod(double x, double y) {
  const double dividend = RoundHalfAway(x);
  const double divisor = RoundHalfAway(y);
  if (divisor == 0.0) return INVALID_VALUE;
  return std::fmod(dividend, divisor) + 0.0;  // + 0.0 turns -0 into 0
}

double Asin(double x) { return std::fabs(x) > 1.0 ? INVALID_VALUE : std::asin(x); }
double Acos(double x) { return std::fabs(x) > 1.0 ? INVALID_VALUE : std::acos(x); }
double Sqrt(double x) { return x <= 0.0 ? 0.0 : std::sqrt(x); }

// rnd(x), held to the 32-bit integer range.
double IntPart(double x) { return std::isnan(x) ? x : static_cast<double>(RoundCount(x)); }

// x - rnd(x), with the integer part taken without the 32-bit limit so that
// the result stays a fraction for large x.
double FracPart(double x) { return x - RoundCountValue(x); }

double Sign(double x) {
  if (std::fabs(x) <= VALUE_EPSILON) return 0.0;
  return x > 0.0 ? 1.0 : -1.0;
}

// Rounds x to rnd(y) decimals (negative counts as 0), halves away from zero.
double Round2(double x, double y) {
  const int32_t digits = RoundCount(y);
  const int64_t d = digits < 0 ? 0 : digits;
  const double scale = PowerOfTen(d);
  const double h = std::fabs(x) + 5.0 / PowerOfTen(d + 1);
  const double scaled = h * scale + 1e-07;
  // Beyond the range of a double there is nothing left to round.
  if (!std::isfinite(scale) || !std::isfinite(scaled)) return x;
  const double t = std::floor(scaled) / scale;
  return x < 0.0 ? -t : t;
}

double Rand(double x) {
  if (!(x >= 1.0)) return INVALID_VALUE;
  const double k = RoundHalfAway(x);
  const int32_t r = NextRandomInt();
  if (k >= 32767.0) return r;
  return r % (static_cast<int32_t>(k) + 1);
}

// One colour component: rnd of the argument, above 254 taken as 255.
int32_t ColorComponent(double v) {
  const int32_t c = RoundCount(v);
  return c > 254 ? 255 : c;
}

double Rgb(double r, double g, double b) {
  const int32_t red = ColorComponent(r);
  const int32_t green = ColorComponent(g);
  const int32_t blue = ColorComponent(b);
  if (red < 0 || green < 0 || blue < 0) return INVALID_VALUE;
  const uint32_t bits =
      0xFF000000u | static_cast<uint32_t>(blue) << 16 | static_cast<uint32_t>(green) << 8 | static_cast<uint32_t>(red);
  return static_cast<double>(static_cast<float>(static_cast<int32_t>(bits)));
}

}  // namespace

int32_t NextRandomInt() {
  thread_local uint32_t state = 1;
  state = state * 1103515245u + 12345u;
  return static_cast<int32_t>((state >> 16) & 0x7FFFu);
}

int32_t BuiltinMax(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  return Binary(call, out, ctx, offset, step::Max);
}

int32_t BuiltinMin(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  return Binary(call, out, ctx, offset, step::Min);
}

int32_t BuiltinMod(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  return Binary(call, out, ctx, offset, Mod);
}

int32_t BuiltinAcos(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  return Unary(call, out, ctx, offset, Acos);
}

int32_t BuiltinAsin(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  return Unary(call, out, ctx, offset, Asin);
}

int32_t BuiltinAtan(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  return Unary(call, out, ctx, offset, [](double x) { return std::atan(x); });
}

int32_t BuiltinCos(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  return Unary(call, out, ctx, offset, [](double x) { return std::cos(x); });
}

int32_t BuiltinSin(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  return Unary(call, out, ctx, offset, [](double x) { return std::sin(x); });
}

int32_t BuiltinTan(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  return Unary(call, out, ctx, offset, [](double x) { return std::tan(x); });
}

int32_t BuiltinExp(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  return Unary(call, out, ctx, offset, [](double x) { return std::exp(x); });
}

int32_t BuiltinLn(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  return Unary(call, out, ctx, offset, [](double x) { return std::log(x); });
}

int32_t BuiltinLog(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  return Unary(call, out, ctx, offset, [](double x) { return std::log10(x); });
}

int32_t BuiltinSqrt(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  return Unary(call, out, ctx, offset, Sqrt);
}

int32_t BuiltinAbs(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  return Unary(call, out, ctx, offset, step::Abs);
}

int32_t BuiltinPow(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  return Binary(call, out, ctx, offset, [](double x, double y) { return std::pow(x, y); });
}

int32_t BuiltinCeiling(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  return Unary(call, out, ctx, offset, [](double x) { return std::ceil(x); });
}

int32_t BuiltinFloor(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  return Unary(call, out, ctx, offset, [](double x) { return std::floor(x); });
}

int32_t BuiltinIntPart(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  return Unary(call, out, ctx, offset, IntPart);
}

// 1.0 when y < x < z, strictly; the bounds are not reordered.
int32_t BuiltinBetween(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  return Ternary(call, out, ctx, offset, [](double x, double y, double z) { return y < x && x < z ? 1.0 : 0.0; });
}

int32_t BuiltinFracPart(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  return Unary(call, out, ctx, offset, FracPart);
}

int32_t BuiltinRound(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  return Unary(call, out, ctx, offset, RoundHalfAway);
}

int32_t BuiltinRound2(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  return Binary(call, out, ctx, offset, Round2);
}

int32_t BuiltinSign(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  return Unary(call, out, ctx, offset, Sign);
}

int32_t BuiltinRand(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  return Unary(call, out, ctx, offset, Rand);
}

int32_t BuiltinRgb(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  return Ternary(call, out, ctx, offset, Rgb);
}
