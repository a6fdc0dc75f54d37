#include "formula/eval/builtins_stats.h"

#include <cmath>

#include "formula/eval/builtin_support.h"

using builtin::Call;

namespace {

// Block of the dispersion functions, five cells per bar (plus the stamp):
// {bar, sum, sum of squares, shift, updates since the last full pass}.
// The sums are of x - shift, where the shift is the newest value of the last
// full pass; the sums are rebuilt every few windows, so that neither a large
// level nor a long run of updates costs precision.
constexpr int32_t MOMENT_HALF = 5;
constexpr int32_t REBUILD_WINDOWS = 4;

enum class Dispersion { Std, StdP, Var, VarP };

struct Moments {
  double sum = 0.0;    // of x - shift
  double sumsq = 0.0;  // of (x - shift)^2
};

// Sums of the n bars ending at b about `shift`; false in *ok when a value is missing.
int32_t FullMoments(const Call& c, int32_t n, double shift, Moments* m, bool* ok) {
  *m = Moments{};
  *ok = true;
  for (int32_t j = 0; j < n; ++j) {
    double v = 0.0;
    if (int32_t rc = c.Arg(2, j, &v)) return rc;
    if (!HasValue(v)) {
      *ok = false;
      return EVAL_OK;
    }
    const double d = v - shift;
    m->sum += d;
    m->sumsq += d * d;
  }
  return EVAL_OK;
}

double DispersionOf(Dispersion kind, const Moments& m, int32_t n) {
  const double mean = m.sum / n;
  const double ss = m.sumsq - n * mean * mean;
  switch (kind) {
    case Dispersion::Std:
      return ss > 0.0 && n > 1 ? std::sqrt(ss / (n - 1)) : 0.0;
    case Dispersion::StdP:
      return ss > 0.0 ? std::sqrt(ss / n) : 0.0;
    case Dispersion::Var:
      return (n * m.sumsq - m.sum * m.sum) / (static_cast<double>(n - 1) * n);
    case Dispersion::VarP:
      return (n * m.sumsq - m.sum * m.sum) / (static_cast<double>(n) * n);
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

int32_t DispersionCall(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset, Dispersion kind) {
  const int32_t minN = kind == Dispersion::Std || kind == Dispersion::Var ? 2 : 1;
  Call c{};
  int32_t n = 0;
  int32_t code = 0;
  if (!BeginStat(rec, out, ctx, offset, 4, 3, minN, &c, &n, &code)) return code;
  bool same = false;
  if (int32_t rc = builtin::SamePeriod(c, 3, n, &same)) return rc;
  builtin::RollingBlock block;
  double* s = block.Open(c, 1, MOMENT_HALF);
  if (s == nullptr) return EVAL_BAD_ARGUMENT;
  if (block.answered) {
    if (HasValue(s[1]) && HasValue(s[2])) *out = DispersionOf(kind, Moments{s[1], s[2]}, n);
    return EVAL_OK;
  }
  Moments m;
  bool ok = false;
  double shift = s[3];
  double age = s[4] + 1.0;
  if (builtin::Continuing(s, c.b) && HasValue(s[2]) && same && s[4] < REBUILD_WINDOWS * static_cast<double>(n)) {
    double x = 0.0;
    double y = 0.0;
    if (int32_t rc = c.Arg(2, 0, &x)) return rc;
    if (int32_t rc = c.Arg(2, n, &y)) return rc;
    ok = HasValue(x) && HasValue(y);
    const double dx = x - shift;
    const double dy = y - shift;
    m.sum = s[1] - dy + dx;
    m.sumsq = s[2] - dy * dy + dx * dx;
  } else {
    if (int32_t rc = c.Arg(2, 0, &shift)) return rc;
    age = 0.0;
    ok = HasValue(shift);
    if (ok) {
      if (int32_t rc = FullMoments(c, n, shift, &m, &ok)) return rc;
    }
  }
  s[MOMENT_HALF] = c.b;
  s[MOMENT_HALF + 1] = ok ? m.sum : INVALID_VALUE;
  s[MOMENT_HALF + 2] = ok ? m.sumsq : INVALID_VALUE;
  s[MOMENT_HALF + 3] = shift;
  s[MOMENT_HALF + 4] = age;
  if (ok) *out = DispersionOf(kind, m, n);
  return EVAL_OK;
}

// AVEDEV and DEVSQ: the window sum is kept as SUM keeps it; the deviations
// from the mean take a second pass.
int32_t DeviationCall(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset, bool squared) {
  Call c{};
  int32_t n = 0;
  int32_t code = 0;
  if (!BeginStat(rec, out, ctx, offset, 4, 3, 1, &c, &n, &code)) return code;
  bool same = false;
  if (int32_t rc = builtin::SamePeriod(c, 3, n, &same)) return rc;
  builtin::RollingBlock block;
  double* s = block.Open(c, 1, 2);
  if (s == nullptr) return EVAL_BAD_ARGUMENT;
  const bool answered = block.answered;
  double sum = 0.0;
  bool ok = true;
  if (answered) {
    sum = s[1];
    ok = HasValue(sum);
  } else if (builtin::Continuing(s, c.b) && same) {
    double x = 0.0;
    double y = 0.0;
    if (int32_t rc = c.Arg(2, 0, &x)) return rc;
    if (int32_t rc = c.Arg(2, n, &y)) return rc;
    ok = HasValue(x) && HasValue(y);
    sum = s[1] + x - y;
  } else {
    for (int32_t j = 0; j < n && ok; ++j) {
      double v = 0.0;
      if (int32_t rc = c.Arg(2, j, &v)) return rc;
      ok = HasValue(v);
      sum += v;
    }
  }
  if (!answered) {
    s[2] = c.b;
    s[3] = ok ? sum : INVALID_VALUE;
  }
  if (!ok) return EVAL_OK;
  const double mean = sum / n;
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

// COVAR and RELATE: window sums of X and Y kept in a six-cell block, the
// deviations from the means taken in a second pass.
int32_t PairCall(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset, bool correlation) {
  Call c{};
  int32_t n = 0;
  int32_t code = 0;
  if (!BeginStat(rec, out, ctx, offset, 5, 4, 2, &c, &n, &code)) return code;
  bool same = false;
  if (int32_t rc = builtin::SamePeriod(c, 4, n, &same)) return rc;
  builtin::RollingBlock block;
  double* s = block.Open(c, 1, 3);
  if (s == nullptr) return EVAL_BAD_ARGUMENT;
  const bool answered = block.answered;
  double sumX = 0.0;
  double sumY = 0.0;
  bool ok = true;
  if (answered) {
    sumX = s[1];
    sumY = s[2];
    ok = HasValue(sumX) && HasValue(sumY);
  } else if (builtin::Continuing(s, c.b) && HasValue(s[2]) && same) {
    double x = 0.0, y = 0.0, xo = 0.0, yo = 0.0;
    if (int32_t rc = c.Arg(2, 0, &x)) return rc;
    if (int32_t rc = c.Arg(3, 0, &y)) return rc;
    if (int32_t rc = c.Arg(2, n, &xo)) return rc;
    if (int32_t rc = c.Arg(3, n, &yo)) return rc;
    ok = HasValue(x) && HasValue(y) && HasValue(xo) && HasValue(yo);
    sumX = s[1] + x - xo;
    sumY = s[2] + y - yo;
  } else {
    for (int32_t j = 0; j < n && ok; ++j) {
      double x = 0.0, y = 0.0;
      if (int32_t rc = c.Arg(2, j, &x)) return rc;
      if (int32_t rc = c.Arg(3, j, &y)) return rc;
      ok = HasValue(x) && HasValue(y);
      sumX += x;
      sumY += y;
    }
  }
  if (!answered) {
    s[3] = c.b;
    s[4] = ok ? sumX : INVALID_VALUE;
    s[5] = ok ? sumY : INVALID_VALUE;
  }
  if (!ok) return EVAL_OK;
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
// window. The block keeps their sum L.
int32_t BuiltinVolat(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  Call c{};
  int32_t code = 0;
  if (!builtin::Begin(rec, out, ctx, offset, 4, &c, &code)) return code;
  int32_t n = 0;
  bool ok = false;
  if (int32_t rc = builtin::ReadPeriod(c, 3, &n, &ok)) return rc;
  if (!ok || n < 2 || static_cast<int64_t>(c.b) + 1 < n) return EVAL_OK;
  bool same = false;
  if (int32_t rc = builtin::SamePeriod(c, 3, n, &same)) return rc;
  builtin::RollingBlock block;
  double* s = block.Open(c, 1, 2);
  if (s == nullptr) return EVAL_BAD_ARGUMENT;
  const bool answered = block.answered && HasValue(s[1]);
  double sum = 0.0;
  ok = true;
  if (answered) {
    sum = s[1];
  } else if (builtin::Continuing(s, c.b) && same) {
    double newest = 0.0;
    double oldest = 0.0;
    bool okOld = false;
    if (int32_t rc = LogReturn(c, 0, &newest, &ok)) return rc;
    if (int32_t rc = LogReturn(c, n - 1, &oldest, &okOld)) return rc;
    ok = ok && okOld;
    sum = newest + s[1] - oldest;
  } else {
    for (int32_t k = 0; k < n - 1 && ok; ++k) {
      double r = 0.0;
      if (int32_t rc = LogReturn(c, k, &r, &ok)) return rc;
      sum += r;
    }
  }
  if (!answered) {
    s[2] = c.b;
    s[3] = ok && std::isfinite(sum) ? sum : INVALID_VALUE;
  }
  if (!ok || ctx->periodMult <= 0) return EVAL_OK;
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
