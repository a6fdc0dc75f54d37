#include "formula/eval/builtins/stats.h"

#include <cmath>

#include "formula/eval/builtins/steps.h"
#include "formula/eval/builtins/support.h"
#include "formula/eval/builtins/window_aggregate.h"

using builtin::Call;

namespace {

enum class Dispersion { Std, StdP, Var, VarP };

// The dispersion from the window's count, mean and squared deviations.
double DispersionOf(Dispersion kind, const window::MomentAgg& m, int32_t n) {
  switch (kind) {
    case Dispersion::Std: return step::SampleStd(m.m2, n);
    case Dispersion::StdP: return m.m2 > 0.0 ? std::sqrt(m.m2 / n) : 0.0;
    case Dispersion::Var: return m.m2 / (n - 1);
    case Dispersion::VarP: return m.m2 / n;
  }
  return 0.0;
}

// Entry of the window statistics with the period in element e: n, and
// INVALID below minN or while fewer than n bars exist (X at b is evaluated).
bool BeginStat(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset, int32_t count, int32_t e,
               int32_t minN, Call* c, int32_t* n, int32_t* code) {
  if (!builtin::Begin(rec, out, ctx, offset, count, c, code)) return false;
  bool ok = false;
  *code = builtin::ReadPeriod(*c, e, n, &ok);
  if (*code != EVAL_OK || !ok || *n < 1) return false;
  if (*n >= minN && static_cast<int64_t>(c->b) + 1 >= *n) return true;
  double ignored = 0.0;
  *code = c->Arg(2, 0, &ignored);
  return false;
}

// STD, STDP, VAR and VARP: the window's moments, defined by absolute blocks
// (window_aggregate.h); any missing value gives none.
int32_t DispersionCall(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset, Dispersion kind) {
  const int32_t minN = kind == Dispersion::Std || kind == Dispersion::Var ? 2 : 1;
  Call c{};
  int32_t n = 0;
  int32_t code = 0;
  if (!BeginStat(rec, out, ctx, offset, 4, 3, minN, &c, &n, &code)) return code;
  window::MomentAgg m;
  if (int32_t rc = window::Aggregate(c, 1, n, window::SeriesSource{c, 2}, &m)) return rc;
  if (!m.AnyMissing()) *out = DispersionOf(kind, m, n);
  return EVAL_OK;
}

// AVEDEV and DEVSQ: the window mean from the compensated window sum
// (window_aggregate.h); the deviations from it take a second pass.
int32_t DeviationCall(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset, bool squared) {
  Call c{};
  int32_t n = 0;
  int32_t code = 0;
  if (!BeginStat(rec, out, ctx, offset, 4, 3, 1, &c, &n, &code)) return code;
  window::SumAgg a;
  if (int32_t rc = window::Aggregate(c, 1, n, window::SeriesSource{c, 2}, &a)) return rc;
  if (a.AnyMissing()) return EVAL_OK;
  const double mean = a.Total() / n;
  double dev = 0.0;
  for (int32_t j = 0; j < n; ++j) {
    double v = 0.0;
    if (int32_t rc = c.Arg(2, j, &v)) return rc;
    if (!HasValue(v)) return EVAL_OK;
    dev += squared ? (v - mean) * (v - mean) : std::fabs(v - mean);
  }
  *out = squared ? dev : dev / n;
  return EVAL_OK;
}

// FORCAST and SLOPE: least-squares line through the n bars ending at b, with
// t = bar + 1. Computed about the mean of t, which is the same line with less
// cancellation. A single bar has no line: a fault.
int32_t RegressionCall(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset, bool slopeOnly) {
  Call c{};
  int32_t code = 0;
  if (!builtin::Begin(rec, out, ctx, offset, 3, &c, &code)) return code;
  int32_t n = 0;
  bool ok = false;
  if (int32_t rc = builtin::ReadPeriod(c, 2, &n, &ok)) return rc;
  if (!ok || n <= 0 || n > c.b + 1) return EVAL_OK;
  const double tMean = (n - 1) / 2.0;  // of k = n - 1 - j, the bar's position in the window
  double sumY = 0.0;
  double sumTY = 0.0;
  for (int32_t j = 0; j < n; ++j) {
    double y = 0.0;
    if (int32_t rc = c.Arg(1, j, &y)) return rc;
    if (!HasValue(y)) return EVAL_OK;
    sumY += y;
    sumTY += (n - 1 - j - tMean) * y;
  }
  // Read first, so that a bar without a value still gives no value.
  if (n == 1) return EVAL_BAD_ARGUMENT;
  const double sumTT = static_cast<double>(n) * (static_cast<double>(n) * n - 1.0) / 12.0;
  const double slope = sumTY / sumTT;
  *out = slopeOnly ? slope : sumY / n + slope * (n - 1 - tMean);
  return EVAL_OK;
}

// COVAR and RELATE: the window sums of X and Y, compensated and defined by
// absolute blocks (window_aggregate.h); the deviations from the means take
// a second pass.
int32_t PairCall(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset, bool correlation) {
  Call c{};
  int32_t n = 0;
  int32_t code = 0;
  if (!BeginStat(rec, out, ctx, offset, 5, 4, 2, &c, &n, &code)) return code;
  window::PairSumAgg sums;
  if (int32_t rc = window::Aggregate(c, 1, n, window::PairSource{c, 2, 3}, &sums)) return rc;
  if (sums.AnyMissing()) return EVAL_OK;
  const double sumX = sums.x.Total();
  const double sumY = sums.y.Total();
  const double mX = sumX / n;
  const double mY = sumY / n;
  double sxy = 0.0, sxx = 0.0, syy = 0.0;
  for (int32_t j = 0; j < n; ++j) {
    double x = 0.0, y = 0.0;
    if (int32_t rc = c.Arg(2, j, &x)) return rc;
    if (int32_t rc = c.Arg(3, j, &y)) return rc;
    if (!HasValue(x) || !HasValue(y)) return EVAL_OK;
    sxy += (y - mY) * (x - mX);
    sxx += (x - mX) * (x - mX);
    syy += (y - mY) * (y - mY);
  }
  if (!correlation) {
    *out = sxy / (n - 1);
    return EVAL_OK;
  }
  const double product = sxx * syy;
  if (IsZero(product)) return EVAL_OK;
  *out = sxy / std::sqrt(product);
  return EVAL_OK;
}

// ln(X at b - k / X at b - k - 1) with X in element 2; false in *ok when
// either has no value.
int32_t LogReturn(const Call& c, int64_t k, double* r, bool* ok) {
  double a = 0.0;
  double p = 0.0;
  if (int32_t rc = c.Arg(2, k, &a)) return rc;
  if (int32_t rc = c.Arg(2, k + 1, &p)) return rc;
  *ok = HasValue(a) && HasValue(p);
  *r = *ok ? std::log(a / p) : 0.0;
  return EVAL_OK;
}

// The log returns of X (element 2) bar by bar: none where X or the bar
// before has no value.
struct LogReturnSource {
  const Call& c;

  int32_t Read(int64_t bar, double* r) const {
    bool ok = false;
    if (int32_t rc = LogReturn(c, static_cast<int64_t>(c.b) - bar, r, &ok)) return rc;
    if (!ok) *r = INVALID_VALUE;
    return EVAL_OK;
  }
};

}  // namespace

double PeriodsPerYear(int32_t periodType) {
  static constexpr double table[8] = {21600000, 360000, 6000, 250, 50, 12, 4, 1};
  return periodType >= 0 && periodType < 8 ? table[periodType] : 0.0;
}

// STD(X, N): sample standard deviation.
int32_t BuiltinStd(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  return DispersionCall(rec, out, ctx, offset, Dispersion::Std);
}

// STDP(X, N): population standard deviation.
int32_t BuiltinStdP(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  return DispersionCall(rec, out, ctx, offset, Dispersion::StdP);
}

// VAR(X, N): sample variance.
int32_t BuiltinVar(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  return DispersionCall(rec, out, ctx, offset, Dispersion::Var);
}

// VARP(X, N): population variance.
int32_t BuiltinVarP(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  return DispersionCall(rec, out, ctx, offset, Dispersion::VarP);
}

// AVEDEV(X, N): mean absolute deviation from the window mean.
int32_t BuiltinAveDev(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  return DeviationCall(rec, out, ctx, offset, false);
}

// DEVSQ(X, N): sum of squared deviations from the window mean.
int32_t BuiltinDevSq(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  return DeviationCall(rec, out, ctx, offset, true);
}

// FORCAST(X, N): the regression line's value at b.
int32_t BuiltinForcast(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  return RegressionCall(rec, out, ctx, offset, false);
}

// SLOPE(X, N): the regression line's slope per bar.
int32_t BuiltinSlope(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  return RegressionCall(rec, out, ctx, offset, true);
}

// COVAR(X, Y, N): sample covariance.
int32_t BuiltinCovar(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  return PairCall(rec, out, ctx, offset, false);
}

// RELATE(X, Y, N): correlation coefficient.
int32_t BuiltinRelate(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  return PairCall(rec, out, ctx, offset, true);
}

// VOLAT(X, N): annualised standard deviation of the n - 1 log returns of the
// window. Their sum L is compensated and defined by absolute blocks of n - 1
// returns (window_aggregate.h).
int32_t BuiltinVolat(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  Call c{};
  int32_t code = 0;
  if (!builtin::Begin(rec, out, ctx, offset, 4, &c, &code)) return code;
  int32_t n = 0;
  bool ok = false;
  if (int32_t rc = builtin::ReadPeriod(c, 3, &n, &ok)) return rc;
  if (!ok || n < 2 || static_cast<int64_t>(c.b) + 1 < n) return EVAL_OK;
  window::SumAgg returns;
  if (int32_t rc = window::Aggregate(c, 1, n - 1, LogReturnSource{c}, &returns)) return rc;
  if (returns.AnyMissing()) return EVAL_OK;
  const double sum = returns.Total();
  if (ctx->periodMult <= 0) return EVAL_OK;
  const double perYear = PeriodsPerYear(ctx->periodType);
  if (perYear <= 0.0) return EVAL_OK;
  const double mean = sum / (n - 1);
  double ss = 0.0;
  for (int32_t k = 0; k < n - 1; ++k) {
    double r = 0.0;
    if (int32_t rc = LogReturn(c, k, &r, &ok)) return rc;
    if (!ok) return EVAL_OK;
    ss += (r - mean) * (r - mean);
  }
  *out = std::sqrt(ss / (n - 1)) * std::sqrt(perYear / ctx->periodMult);
  return EVAL_OK;
}
