#include "formula/eval/builtins/averages.h"

#include <cmath>

#include "formula/eval/builtins/steps.h"
#include "formula/eval/builtins/support.h"
#include "formula/eval/builtins/window_aggregate.h"

using builtin::Call;

namespace {

// Full sum of the n bars ending at b; false in *ok when one has no value.
int32_t FullSum(const Call& c, int32_t x, int32_t n, double* sum, bool* ok) {
  *sum = 0.0;
  *ok = true;
  for (int32_t j = 0; j < n; ++j) {
    double v = 0.0;
    if (int32_t rc = c.Arg(x, j, &v)) return rc;
    if (!HasValue(v)) {
      *ok = false;
      return EVAL_OK;
    }
    *sum += v;
  }
  return EVAL_OK;
}

// Start of the warm-up averages: entry, n (element 3), and INVALID for a
// period below 1 or while fewer than n bars exist (X at b is still evaluated
// once then). True when the average goes on.
bool BeginWarmUp(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset, Call* c, int32_t* n,
                 int32_t* code) {
  if (!builtin::Begin(rec, out, ctx, offset, 4, c, code)) return false;
  bool ok = false;
  *code = builtin::ReadPeriod(*c, 3, n, &ok);
  if (*code != EVAL_OK || !ok || *n <= 0) return false;
  if (static_cast<int64_t>(c->b) + 1 >= *n) return true;
  double ignored = 0.0;
  *code = c->Arg(2, 0, &ignored);
  return false;
}

// The own result series of a recursive smoother: element 1, an OPK_VAR.
struct OwnSeries {
  const Call& c;

  // The own value at b - 1.
  int32_t Previous(double* prev) const { return c.Arg(1, 1, prev); }
  // The own value at b - 1, or fallback when it has none.
  int32_t PreviousOr(double fallback, double* prev) const {
    if (int32_t rc = Previous(prev)) return rc;
    if (!HasValue(*prev)) *prev = fallback;
    return EVAL_OK;
  }
  void Write(double v) const { WriteBack(c.ctx, c.rec->values[1].Index(), c.offset, v); }
  // Writes v back and hands it out.
  int32_t Publish(double* out, double v) const {
    Write(v);
    *out = v;
    return EVAL_OK;
  }
};

// Entry of a recursive smoother with `count` elements.
bool BeginSmoother(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset, int32_t count, Call* c,
                   int32_t* code) {
  if (!builtin::Begin(rec, out, ctx, offset, count, c, code)) return false;
  if (c->Kind(1) == OPK_VAR) return true;
  *code = EVAL_BAD_ARGUMENT;
  return false;
}

// Start of MEMA and EXPMEMA: entry, n (element 3) above 0 and x = X at b
// with a value. False when the call is done; nothing is written back then.
bool BeginSeeded(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset, Call* c, int32_t* n, double* x,
                 int32_t* code) {
  if (!BeginSmoother(rec, out, ctx, offset, 4, c, code)) return false;
  bool ok = false;
  *code = builtin::ReadPeriod(*c, 3, n, &ok);
  if (*code != EVAL_OK || !ok || *n <= 0) return false;
  *code = c->Arg(2, 0, x);
  return *code == EVAL_OK && HasValue(*x);
}

double Clamp01(double v) { return v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v); }

// EMA and EXPMA: ((n - 1) * prev + 2 * x) / (n + 1), seeded with x.
int32_t Exponential(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset, bool writeMissing) {
  Call c{};
  int32_t code = 0;
  if (!BeginSmoother(rec, out, ctx, offset, 4, &c, &code)) return code;
  const OwnSeries own{c};
  int32_t n = 0;
  bool ok = false;
  if (int32_t rc = builtin::ReadPeriod(c, 3, &n, &ok)) return rc;
  if (!ok || n <= 0) return EVAL_OK;
  double x = 0.0;
  if (int32_t rc = c.Arg(2, 0, &x)) return rc;
  if (!HasValue(x) && !writeMissing) return EVAL_OK;
  if (c.b <= ctx->rangeFirst) return own.Publish(out, x);
  if (!HasValue(x)) return own.Publish(out, INVALID_VALUE);
  double prev = 0.0;
  if (int32_t rc = own.PreviousOr(x, &prev)) return rc;
  return own.Publish(out, step::Ema(n, prev, x));
}

}  // namespace

// MA(X, N): average of the last N values; INVALID while any of them is
// missing. The window sum is compensated and defined by absolute blocks
// (window_aggregate.h).
int32_t BuiltinMa(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  Call c{};
  int32_t n = 0;
  int32_t code = 0;
  if (!BeginWarmUp(rec, out, ctx, offset, &c, &n, &code)) return code;
  if (n == 1) return c.Arg(2, 0, out);
  window::SumAgg a;
  if (int32_t rc = window::Aggregate(c, 1, n, window::SeriesSource{c, 2}, &a)) return rc;
  *out = step::WindowMean(a, n);
  return EVAL_OK;
}

// SMMA(X, N): (sum - sum / n + x) / n over the window sum (bars without a
// value skipped); no value where x = X at b has none.
int32_t BuiltinSmma(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  Call c{};
  int32_t n = 0;
  int32_t code = 0;
  if (!BeginWarmUp(rec, out, ctx, offset, &c, &n, &code)) return code;
  double x = 0.0;
  if (int32_t rc = c.Arg(2, 0, &x)) return rc;
  if (!HasValue(x)) return EVAL_OK;
  window::SumAgg a;
  if (int32_t rc = window::Aggregate(c, 1, n, window::SeriesSource{c, 2}, &a)) return rc;
  const double sum = a.Total();
  *out = (sum - sum / n + x) / n;
  return EVAL_OK;
}

namespace {

// The weighted sum of WMA from the window's two parts. A bar t of the window
// ending at b = k*n + i weighs t - b + n: rank + (n - 1 - i) in the prefix
// and (n - i) - rank in the suffix (ranks as RankedSumAgg counts them).
double WeightedSum(const window::Parts<window::RankedSumAgg>& parts, int32_t n) {
  const double i = parts.newer.rank - 1.0;
  window::SumAgg acc;
  auto add = [&acc](double w, const window::SumAgg& a) {
    const double p = w * a.sum;
    acc.Add(p);
    acc.comp += std::fma(w, a.sum, -p) + w * a.comp;
  };
  add(1.0, parts.newer.ranked);
  add(n - 1.0 - i, parts.newer.plain);
  if (parts.split) {
    add(n - i, parts.older.plain);
    add(-1.0, parts.older.ranked);
  }
  return acc.Total();
}

}  // namespace

// WMA(X, N): weights n for the newest bar down to 1 for the oldest; any
// missing value gives none. Defined by absolute blocks (window_aggregate.h).
int32_t BuiltinWma(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  Call c{};
  int32_t n = 0;
  int32_t code = 0;
  if (!BeginWarmUp(rec, out, ctx, offset, &c, &n, &code)) return code;
  if (n == 1) return c.Arg(2, 0, out);
  window::Parts<window::RankedSumAgg> parts;
  if (int32_t rc = window::AggregateParts(c, 1, n, window::SeriesSource{c, 2}, &parts)) return rc;
  if (parts.newer.plain.AnyMissing() || parts.older.plain.AnyMissing()) return EVAL_OK;
  const double weights = static_cast<double>(n) * (static_cast<double>(n) + 1.0) / 2.0;
  *out = WeightedSum(parts, n) / weights;
  return EVAL_OK;
}

// XMA(X, N): centred average over floor(n / 2) bars before and
// floor((n - 1) / 2) bars after b, cut at the first and the last bar; any
// missing value gives none. Away from the last bar the window is the n bars
// ending at b + floor((n - 1) / 2), summed by absolute blocks as every window
// aggregate is (window_aggregate.h), so the value does not depend on where
// the calculation started. The last bars' shorter windows are summed afresh.
int32_t BuiltinXma(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  Call c{};
  int32_t code = 0;
  if (!builtin::Begin(rec, out, ctx, offset, 4, &c, &code)) return code;
  int32_t n = 0;
  bool ok = false;
  if (int32_t rc = builtin::ReadPeriod(c, 3, &n, &ok)) return rc;
  if (!ok || n <= 0) return EVAL_OK;
  if (n == 1) return c.Arg(2, 0, out);
  const int64_t before = n / 2;
  const int64_t after = (n - 1) / 2;
  const int64_t last = builtin::LastAddressableBar(ctx);
  const int64_t lo = std::max<int64_t>(c.b - before, 0);
  const int64_t hi = std::min<int64_t>(c.b + after, last);
  if (hi < lo) return EVAL_OK;
  window::SumAgg sum;
  if (hi == c.b + after) {
    // The same call seen from the window's last bar.
    const Call end{c.rec, c.ctx, static_cast<int32_t>(c.offset - after), static_cast<int32_t>(hi)};
    if (int32_t rc = window::Aggregate(end, 1, n, window::SeriesSource{end, 2}, &sum)) return rc;
  } else if (int32_t rc = window::FoldUp(window::SeriesSource{c, 2}, lo, hi, &sum)) {
    return rc;
  }
  if (sum.AnyMissing()) return EVAL_OK;
  *out = sum.Total() / static_cast<double>(hi - lo + 1);
  return EVAL_OK;
}

// EMA(X, N): exponential average, seeded with X on the first calculated bar.
int32_t BuiltinEma(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  return Exponential(rec, out, ctx, offset, true);
}

// EXPMA(X, N): EMA that leaves its series alone where X has no value.
int32_t BuiltinExpMa(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  return Exponential(rec, out, ctx, offset, false);
}

// SMA(X, N, M): ((n - m) * prev + m * x) / n.
int32_t BuiltinSma(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  Call c{};
  int32_t code = 0;
  if (!BeginSmoother(rec, out, ctx, offset, 5, &c, &code)) return code;
  const OwnSeries own{c};
  int32_t n = 0;
  bool ok = false;
  double m = 0.0;
  double x = 0.0;
  if (int32_t rc = builtin::ReadPeriod(c, 3, &n, &ok)) return rc;
  if (int32_t rc = c.Arg(4, 0, &m)) return rc;
  if (int32_t rc = c.Arg(2, 0, &x)) return rc;
  if (!ok || !HasValue(m) || n < 1) return own.Publish(out, INVALID_VALUE);
  if (c.b <= ctx->rangeFirst) return own.Publish(out, x);
  if (!HasValue(x)) return own.Publish(out, INVALID_VALUE);
  double prev = 0.0;
  if (int32_t rc = own.PreviousOr(x, &prev)) return rc;
  return own.Publish(out, step::Sma(n, m, prev, x));
}

// DMA(X, A): (1 - a) * prev + a * x.
int32_t BuiltinDma(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  Call c{};
  int32_t code = 0;
  if (!BeginSmoother(rec, out, ctx, offset, 4, &c, &code)) return code;
  const OwnSeries own{c};
  double a = 0.0;
  double x = 0.0;
  if (int32_t rc = c.Arg(3, 0, &a)) return rc;
  if (int32_t rc = c.Arg(2, 0, &x)) return rc;
  if (!HasValue(a)) return own.Publish(out, INVALID_VALUE);
  if (a > 0.999999) a = 1.0;
  if (c.b <= ctx->rangeFirst) return own.Publish(out, x);
  if (!HasValue(x)) return own.Publish(out, INVALID_VALUE);
  double prev = 0.0;
  if (int32_t rc = own.PreviousOr(x, &prev)) return rc;
  return own.Publish(out, (1.0 - a) * prev + a * x);
}

// AMA(X, A): prev + a * (x - prev) with a clamped to 0..1.
int32_t BuiltinAma(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  Call c{};
  int32_t code = 0;
  if (!BeginSmoother(rec, out, ctx, offset, 4, &c, &code)) return code;
  const OwnSeries own{c};
  double a = 0.0;
  double x = 0.0;
  if (int32_t rc = c.Arg(3, 0, &a)) return rc;
  if (int32_t rc = c.Arg(2, 0, &x)) return rc;
  if (!HasValue(a)) return own.Publish(out, INVALID_VALUE);
  if (!HasValue(x)) return EVAL_OK;
  a = Clamp01(a);
  if (c.b <= ctx->rangeFirst) return own.Publish(out, x);
  double prev = 0.0;
  if (int32_t rc = own.PreviousOr(x, &prev)) return rc;
  return own.Publish(out, prev + a * (x - prev));
}

// TMA(X, A, B): a * prev + b * x with both clamped to 0..1.
int32_t BuiltinTma(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  Call c{};
  int32_t code = 0;
  if (!BeginSmoother(rec, out, ctx, offset, 5, &c, &code)) return code;
  const OwnSeries own{c};
  double a = 0.0;
  double bw = 0.0;
  double x = 0.0;
  if (int32_t rc = c.Arg(3, 0, &a)) return rc;
  if (int32_t rc = c.Arg(4, 0, &bw)) return rc;
  if (int32_t rc = c.Arg(2, 0, &x)) return rc;
  if (!HasValue(a) || !HasValue(bw)) return own.Publish(out, INVALID_VALUE);
  if (!HasValue(x)) return EVAL_OK;
  if (c.b <= ctx->rangeFirst) return own.Publish(out, x);
  double prev = 0.0;
  if (int32_t rc = own.PreviousOr(x, &prev)) return rc;
  return own.Publish(out, Clamp01(a) * prev + Clamp01(bw) * x);
}

// MEMA(X, N): ((n - 1) * prev + x) / n, seeded with the plain average of the
// first n calculated bars.
int32_t BuiltinMema(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  Call c{};
  int32_t n = 0;
  double x = 0.0;
  int32_t code = 0;
  if (!BeginSeeded(rec, out, ctx, offset, &c, &n, &x, &code)) return code;
  const OwnSeries own{c};
  bool ok = false;
  const int64_t seedBar = static_cast<int64_t>(ctx->rangeFirst) - 1 + n;
  if (c.b < seedBar) return EVAL_OK;
  if (c.b == seedBar) {
    double sum = 0.0;
    if (int32_t rc = FullSum(c, 2, n, &sum, &ok)) return rc;
    if (!ok) return EVAL_OK;
    return own.Publish(out, sum / n);
  }
  double prev = 0.0;
  if (int32_t rc = own.PreviousOr(x, &prev)) return rc;
  return own.Publish(out, ((n - 1) * prev + x) / n);
}

// EXPMEMA(X, N): EMA seeded with the plain average of n bars.
int32_t BuiltinExpMema(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  Call c{};
  int32_t n = 0;
  double x = 0.0;
  int32_t code = 0;
  if (!BeginSeeded(rec, out, ctx, offset, &c, &n, &x, &code)) return code;
  const OwnSeries own{c};
  bool ok = false;
  if (c.b < ctx->rangeFirst) return own.Publish(out, INVALID_VALUE);
  double q = 0.0;
  double older = 0.0;
  if (int32_t rc = c.Arg(2, n - 1, &q)) return rc;
  if (!HasValue(q)) return EVAL_OK;
  if (int32_t rc = c.Arg(2, n, &older)) return rc;
  double prev = INVALID_VALUE;
  const bool seed = !HasValue(older) || c.b <= static_cast<int64_t>(ctx->rangeFirst) - 1 + n;
  if (!seed) {
    if (int32_t rc = own.Previous(&prev)) return rc;
  }
  if (seed || !HasValue(prev)) {
    double sum = 0.0;
    if (int32_t rc = FullSum(c, 2, n, &sum, &ok)) return rc;
    if (!ok) return EVAL_OK;
    return own.Publish(out, sum / n);
  }
  const double nd = n;
  return own.Publish(out, ((nd - 1.0) * prev + 2.0 * x) / (nd + 1.0));
}
