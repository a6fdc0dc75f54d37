#include "formula/eval/column_kernels.h"

#include <algorithm>
#include <cstring>

#include "formula/eval/builtins/steps.h"
#include "formula/eval/builtins/window_aggregate.h"

namespace {

// Cells in the run.
int32_t Count(const KernelRun& r) { return r.last - r.first + 1; }

// A plain function of one or two arguments: no value when any has none.
template <typename Fn>
void Plain(const KernelRun& r, double* out, Fn fn) {
  for (int32_t k = 0; k < Count(r); ++k) {
    const double x = r.x[k];
    const double y = r.y[k];
    out[k] = HasValue(x) && HasValue(y) ? fn(x, y) : INVALID_VALUE;
  }
}

void Abs(const KernelRun& r, double* out) {
  for (int32_t k = 0; k < Count(r); ++k) out[k] = HasValue(r.x[k]) ? step::Abs(r.x[k]) : INVALID_VALUE;
}

void Choose(const KernelRun& r, bool ifn, double* out) {
  for (int32_t k = 0; k < Count(r); ++k) out[k] = step::Choose(ifn, r.x[k], r.y[k], r.z[k]);
}

void Cross(const KernelRun& r, double* out) {
  for (int32_t b = r.first; b <= r.last; ++b) {
    auto read = [&r, b](int32_t k, double* x, double* y) {
      const int64_t bar = static_cast<int64_t>(b) - k;
      *x = bar < 0 ? r.xBefore : r.x[bar - r.first];
      *y = bar < 0 ? r.yBefore : r.y[bar - r.first];
      return HasValue(*x) && HasValue(*y) ? step::PairRead::Values : step::PairRead::NoValue;
    };
    double* cell = &out[b - r.first];
    *cell = INVALID_VALUE;
    step::Cross(read, cell);
  }
}

// Copies X: a window of one bar.
void Copy(const KernelRun& r, double* out) { std::copy(r.x, r.x + Count(r), out); }

// Cells before the first full window have no value.
void WarmUp(const KernelRun& r, double* out) {
  const int32_t end = std::min(r.last + 1, std::max(r.first, r.n - 1));
  std::fill(out, out + std::max(end - r.first, 0), INVALID_VALUE);
}

// MA, SUM and STD: the window aggregate walked by absolute blocks from bar
// `start` (the first bar with a value), the state block left as the per-bar
// walk leaves it.
template <class Agg, class Value>
void Window(const KernelRun& r, int32_t start, std::vector<Agg>* suffixes, window::WalkEnd<Agg>* end, double* out,
            Value value) {
  const int32_t first = std::max(r.first, start);
  if (first > r.last) return;
  const int32_t n = r.n;
  const double* x = r.x - r.first;  // x[j] is bar j, for the bars the walk reads
  const int32_t base = r.first;
  window::WalkColumn<Agg>(
      n, first, r.last, r.carry->walked, [x](int64_t j) { return x[j]; },
      [out, n, base, &value](int32_t b, const window::Parts<Agg>& parts) {
        out[b - base] = value(parts.Whole(), n, b);
      },
      suffixes, end);
  r.carry->walked = true;
  if (r.state != nullptr) window::StoreWalkEnd(r.state, n, r.last, *end, *suffixes);
}

void Ma(const KernelRun& r, double* out) {
  if (r.n == 1) return Copy(r, out);
  WarmUp(r, out);
  Window<window::SumAgg>(r, r.n - 1, &r.carry->sums, &r.carry->sumEnd, out,
                         [](const window::SumAgg& a, int32_t n, int32_t) { return step::WindowMean(a, n); });
}

void Sum(const KernelRun& r, double* out) {
  if (r.n == 1) return Copy(r, out);
  Window<window::SumAgg>(r, 0, &r.carry->sums, &r.carry->sumEnd, out,
                         [](const window::SumAgg& a, int32_t n, int32_t b) { return step::WindowSum(a, n, b); });
}

void Std(const KernelRun& r, double* out) {
  WarmUp(r, out);
  Window<window::MomentAgg>(r, r.n - 1, &r.carry->moments, &r.carry->momentEnd, out,
                            [](const window::MomentAgg& a, int32_t n, int32_t) {
                              return a.AnyMissing() ? INVALID_VALUE : step::SampleStd(a.m2, n);
                            });
}

// HHV and LLV: the previous bar's extreme carried on while it stays in the
// window, a newest-first scan otherwise; the rolling block keeps the
// extreme's bar of the last two bars.
template <bool Highest>
void Extreme(const KernelRun& r, double* out) {
  if (r.n == 1) return Copy(r, out);
  const double* x = r.x - r.first;  // x[j] is bar j, for the bars the scan reads
  int32_t previous = r.carry->previous;
  int32_t before = r.carry->before;
  for (int32_t b = r.first; b <= r.last; ++b) {
    const int32_t nEff = std::min(r.n, b + 1);
    double best = 0.0;
    int32_t pos = -1;
    if (previous >= 0) step::ContinueExtreme(Highest, x[b], x[previous], previous, b, nEff, &best, &pos);
    if (pos < 0) {
      best = step::ScanStart(Highest);
      for (int32_t j = 0; j < nEff; ++j) step::ScanExtremeValue(Highest, x[b - j], b - j, &best, &pos);
    }
    before = previous;
    previous = pos;
    out[b - r.first] = pos < 0 ? INVALID_VALUE : best;
  }
  r.carry->previous = previous;
  r.carry->before = before;
  if (r.state == nullptr) return;
  if (r.last >= 1) {
    r.state[0] = r.last - 1;
    r.state[1] = before >= 0 ? static_cast<double>(before) : INVALID_VALUE;
  }
  r.state[2] = r.last;
  r.state[3] = previous >= 0 ? static_cast<double>(previous) : INVALID_VALUE;
}

void Ref(const KernelRun& r, double* out) {
  auto at = [&r](int64_t bar) { return bar < 0 ? r.xBefore : r.x[bar - r.first]; };
  for (int32_t b = r.first; b <= r.last; ++b) {
    const int32_t m = step::RefDistance(r.n, b);
    const double v = at(static_cast<int64_t>(b) - m);
    out[b - r.first] = HasValue(v) || m == 0 ? v : at(static_cast<int64_t>(b) - m + 1);
  }
}

// EMA, EXPMA and SMA: seeded with X on bar 0, then the step from the own
// series' previous value (X where that has none). EXPMA leaves its series
// alone where X has no value. A walk goes one bar at a time, so that two
// independent walks can share a loop: each is a chain of divisions, and two
// chains in one loop keep the divider busy while either waits.
class SmootherWalk {
 public:
  SmootherWalk(const KernelRun& r, double* out, double* own)
      : m_r(r), m_out(out), m_own(own), m_prev(r.first > 0 ? own[-1] : UNCOMPUTED) {}

  // Bar first + k.
  template <KernelKind Kind>
  void Step(int32_t k) {
    const double x = m_r.x[k];
    if (Kind == KernelKind::ExpMa && !HasValue(x)) {
      m_out[k] = INVALID_VALUE;
      m_prev = m_own[k];
      return;
    }
    double v = x;
    if (m_r.first + k > 0 && HasValue(x)) {
      const double p = HasValue(m_prev) ? m_prev : x;
      v = Kind == KernelKind::Sma ? step::Sma(m_r.n, m_r.m, p, x) : step::Ema(m_r.n, p, x);
    } else if (m_r.first + k > 0) {
      v = INVALID_VALUE;
    }
    m_own[k] = v;
    m_out[k] = v;
    m_prev = v;
  }

 private:
  const KernelRun& m_r;
  double* m_out;
  double* m_own;
  double m_prev;  // the own series' previous cell as it stands
};

template <KernelKind Kind>
void Smoother(const KernelRun& r, double* out, double* own) {
  SmootherWalk walk(r, out, own);
  for (int32_t k = 0; k < Count(r); ++k) walk.Step<Kind>(k);
}

template <KernelKind A, KernelKind B>
void SmootherPair(SmootherWalk* a, SmootherWalk* b, int32_t count) {
  for (int32_t k = 0; k < count; ++k) {
    a->Step<A>(k);
    b->Step<B>(k);
  }
}

template <KernelKind A>
void SmootherPairWith(KernelKind b, SmootherWalk* walkA, SmootherWalk* walkB, int32_t count) {
  switch (b) {
    case KernelKind::Ema: return SmootherPair<A, KernelKind::Ema>(walkA, walkB, count);
    case KernelKind::ExpMa: return SmootherPair<A, KernelKind::ExpMa>(walkA, walkB, count);
    default: return SmootherPair<A, KernelKind::Sma>(walkA, walkB, count);
  }
}

}  // namespace

int32_t StateCells(const ColumnKernel& kernel, int32_t n, int32_t last) {
  if (n <= 1) return 0;
  switch (kernel.kind) {
    case KernelKind::Ma:
    case KernelKind::Sum: return window::Layout<window::SumAgg>::Cells(n, last);
    case KernelKind::Std: return window::Layout<window::MomentAgg>::Cells(n, last);
    case KernelKind::Hhv:
    case KernelKind::Llv: return 4;
    default: return 0;
  }
}

void RunColumnKernel(const ColumnKernel& kernel, const KernelRun& run, double* out, double* own) {
  switch (kernel.kind) {
    case KernelKind::Max: return Plain(run, out, step::Max);
    case KernelKind::Min: return Plain(run, out, step::Min);
    case KernelKind::Abs: return Abs(run, out);
    case KernelKind::If: return Choose(run, false, out);
    case KernelKind::Ifn: return Choose(run, true, out);
    case KernelKind::Cross: return Cross(run, out);
    case KernelKind::Sum: return Sum(run, out);
    case KernelKind::Ma: return Ma(run, out);
    case KernelKind::Std: return Std(run, out);
    case KernelKind::Hhv: return Extreme<true>(run, out);
    case KernelKind::Llv: return Extreme<false>(run, out);
    case KernelKind::Ref: return Ref(run, out);
    case KernelKind::Ema: return Smoother<KernelKind::Ema>(run, out, own);
    case KernelKind::ExpMa: return Smoother<KernelKind::ExpMa>(run, out, own);
    case KernelKind::Sma: return Smoother<KernelKind::Sma>(run, out, own);
  }
}

bool IsSmoother(const ColumnKernel& kernel) {
  return kernel.kind == KernelKind::Ema || kernel.kind == KernelKind::ExpMa || kernel.kind == KernelKind::Sma;
}

void RunSmootherPair(const ColumnKernel& a, const KernelRun& runA, double* outA, double* ownA, const ColumnKernel& b,
                     const KernelRun& runB, double* outB, double* ownB) {
  SmootherWalk walkA(runA, outA, ownA);
  SmootherWalk walkB(runB, outB, ownB);
  const int32_t count = Count(runA);
  switch (a.kind) {
    case KernelKind::Ema: return SmootherPairWith<KernelKind::Ema>(b.kind, &walkA, &walkB, count);
    case KernelKind::ExpMa: return SmootherPairWith<KernelKind::ExpMa>(b.kind, &walkA, &walkB, count);
    default: return SmootherPairWith<KernelKind::Sma>(b.kind, &walkA, &walkB, count);
  }
}

int32_t LookBack(const ColumnKernel& kernel, int32_t n) {
  switch (kernel.kind) {
    case KernelKind::Ma:
    case KernelKind::Sum:
    case KernelKind::Std: return 2 * n;
    case KernelKind::Hhv:
    case KernelKind::Llv:
    case KernelKind::Ref: return n;
    case KernelKind::Cross: return 2;
    default: return 0;
  }
}
