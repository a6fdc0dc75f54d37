#include "formula/eval/column_kernels.h"

#include <algorithm>
#include <cstring>

#include "formula/eval/builtin_steps.h"
#include "formula/eval/builtins_averages.h"
#include "formula/eval/builtins_extremes.h"
#include "formula/eval/builtins_math.h"
#include "formula/eval/builtins_refs.h"
#include "formula/eval/builtins_stats.h"
#include "formula/eval/window_aggregate.h"

namespace {

// Call layouts: (function, args...) for a plain call, (function, state,
// X, N) for a window, (function, own series, X, N[, M]) for a smoother.
constexpr ColumnKernel kKernels[] = {
    {BuiltinMax, KernelKind::Max, 3, 1, 2, 0, 0, 0, false, false, false},
    {BuiltinMin, KernelKind::Min, 3, 1, 2, 0, 0, 0, false, false, false},
    {BuiltinAbs, KernelKind::Abs, 2, 1, 1, 0, 0, 0, false, false, false},
    {BuiltinMa, KernelKind::Ma, 4, 2, 1, 3, 0, 1, false, true, true},
    {BuiltinStd, KernelKind::Std, 4, 2, 1, 3, 0, 2, false, true, true},
    {BuiltinHhv, KernelKind::Hhv, 4, 2, 1, 3, 0, 1, false, true, true},
    {BuiltinLlv, KernelKind::Llv, 4, 2, 1, 3, 0, 1, false, true, true},
    {BuiltinRef, KernelKind::Ref, 3, 1, 1, 2, 0, 0, false, false, true},
    {BuiltinEma, KernelKind::Ema, 4, 2, 1, 3, 0, 1, true, false, false},
    {BuiltinExpMa, KernelKind::ExpMa, 4, 2, 1, 3, 0, 1, true, false, false},
    {BuiltinSma, KernelKind::Sma, 5, 2, 1, 3, 4, 1, true, false, false},
};
static_assert(sizeof(kKernels) / sizeof(kKernels[0]) == 11, "one row per built-in with a kernel");

// A plain function of one or two arguments: no value when any has none.
template <typename Fn>
void Plain(const KernelRun& r, int32_t args, double* out, Fn fn) {
  for (int32_t b = 0; b <= r.last; ++b) {
    const double x = r.x.At(b);
    const double y = args > 1 ? r.y.At(b) : 0.0;
    out[b] = HasValue(x) && HasValue(y) ? fn(x, y) : INVALID_VALUE;
  }
}

// Cells before the first full window have no value.
void WarmUp(const KernelRun& r, double* out) {
  const int32_t end = std::min(r.last + 1, r.n - 1);
  std::fill(out, out + std::max(end, 0), INVALID_VALUE);
}

void Ma(const KernelRun& r, double* out) {
  WarmUp(r, out);
  if (r.n == 1) {
    for (int32_t b = 0; b <= r.last; ++b) out[b] = r.x.At(b);
    return;
  }
  using Agg = window::SumAgg;
  std::vector<Agg> suffixes;
  const int32_t n = r.n;
  window::WalkColumn<Agg>(
      n, n - 1, r.last, [&r](int64_t j) { return r.x.At(j); },
      [out, n](int32_t b, const window::Parts<Agg>& parts) {
        const Agg a = parts.Whole();
        out[b] = a.AnyMissing() ? INVALID_VALUE : a.Total() / n;
      },
      &suffixes);
}

void Std(const KernelRun& r, double* out) {
  WarmUp(r, out);
  using Agg = window::MomentAgg;
  std::vector<Agg> suffixes;
  const int32_t n = r.n;
  window::WalkColumn<Agg>(
      n, n - 1, r.last, [&r](int64_t j) { return r.x.At(j); },
      [out, n](int32_t b, const window::Parts<Agg>& parts) {
        const Agg a = parts.Whole();
        out[b] = a.AnyMissing() ? INVALID_VALUE : step::SampleStd(a.m2, n);
      },
      &suffixes);
}

// HHV and LLV: the previous bar's extreme carried on while it stays in the
// window, a newest-first scan otherwise.
void Extreme(const KernelRun& r, bool highest, double* out) {
  if (r.n == 1) {
    for (int32_t b = 0; b <= r.last; ++b) out[b] = r.x.At(b);
    return;
  }
  int32_t previous = -1;  // the extreme's bar at b - 1, -1 for none
  for (int32_t b = 0; b <= r.last; ++b) {
    const int32_t nEff = std::min(r.n, b + 1);
    double best = 0.0;
    int32_t pos = -1;
    if (previous >= 0) {
      step::ContinueExtreme(highest, r.x.At(b), r.x.At(previous), previous, b, nEff, &best, &pos);
    }
    if (pos < 0) {
      best = step::ScanStart(highest);
      for (int32_t j = 0; j < nEff; ++j) step::ScanExtremeValue(highest, r.x.At(b - j), b - j, &best, &pos);
    }
    previous = pos;
    out[b] = pos < 0 ? INVALID_VALUE : best;
  }
}

void Ref(const KernelRun& r, double* out) {
  for (int32_t b = 0; b <= r.last; ++b) {
    const int32_t m = step::RefDistance(r.n, b);
    const double v = r.x.At(static_cast<int64_t>(b) - m);
    out[b] = HasValue(v) || m == 0 ? v : r.x.At(static_cast<int64_t>(b) - m + 1);
  }
}

// EMA, EXPMA and SMA: seeded with X on bar 0, then the step from the own
// series' previous value (X where that has none). EXPMA leaves its series
// alone where X has no value.
void Smoother(const ColumnKernel& k, const KernelRun& r, double* out, double* own) {
  for (int32_t b = 0; b <= r.last; ++b) {
    const double x = r.x.At(b);
    if (k.kind == KernelKind::ExpMa && !HasValue(x)) {
      out[b] = INVALID_VALUE;
      continue;
    }
    double v = x;
    if (b > 0 && HasValue(x)) {
      const double prev = HasValue(own[b - 1]) ? own[b - 1] : x;
      v = k.kind == KernelKind::Sma ? step::Sma(r.n, r.m, prev, x) : step::Ema(r.n, prev, x);
    } else if (b > 0) {
      v = INVALID_VALUE;
    }
    own[b] = v;
    out[b] = v;
  }
}

}  // namespace

const ColumnKernel* FindColumnKernel(BuiltinFn impl) {
  if (impl == nullptr) return nullptr;
  for (const ColumnKernel& k : kKernels) {
    if (k.impl == impl) return &k;
  }
  return nullptr;
}

void RunColumnKernel(const ColumnKernel& kernel, const KernelRun& run, double* out, double* own) {
  switch (kernel.kind) {
    case KernelKind::Max: return Plain(run, 2, out, step::Max);
    case KernelKind::Min: return Plain(run, 2, out, step::Min);
    case KernelKind::Abs: return Plain(run, 1, out, [](double x, double) { return step::Abs(x); });
    case KernelKind::Ma: return Ma(run, out);
    case KernelKind::Std: return Std(run, out);
    case KernelKind::Hhv: return Extreme(run, true, out);
    case KernelKind::Llv: return Extreme(run, false, out);
    case KernelKind::Ref: return Ref(run, out);
    case KernelKind::Ema:
    case KernelKind::ExpMa:
    case KernelKind::Sma: return Smoother(kernel, run, out, own);
  }
}
