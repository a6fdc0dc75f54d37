#pragma once
// Window aggregates whose value at bar b depends only on the data inside the
// window, the window length n and b: never on the bar a calculation started
// from, on how it stepped forward, on how often the newest bar was
// recomputed, or on how much history was loaded before the window.
//
// What defines the value. The bar axis is cut into absolute blocks of n bars,
// block k = [k*n, (k+1)*n). The window [b-n+1, b] (cut at bar 0) is a suffix
// of block k-1 followed by a prefix of block k, where k = b / n:
//
//   value(b) = Combine(suffix, prefix)
//   prefix   = Add folded over bars k*n, k*n+1, ..., b       (left to right)
//   suffix   = Add folded over bars k*n-1, k*n-2, ..., b-n+1 (right to left)
//
// both folds starting from an empty aggregate. A window that is exactly
// block k (b = k*n + n-1) or that lies in block 0 is the prefix alone.
//
// Every path computes exactly this. The state block is only a cache: the
// prefix at the previous bar (so that a recomputed newest bar adds just
// itself) and the suffixes of the previous block, computed once when the
// walk enters a block. A forward step costs O(1) amortised whatever n.
//
// An aggregate is a trivially copyable struct of doubles with
//   using Item = ...;                              what one bar contributes
//   void Add(const Item& item);                    folds one bar in
//   static Agg Combine(const Agg& older, const Agg& newer);
// A column kernel that walks the same blocks with the same three routines
// reproduces the values bit for bit.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <vector>

#include "formula/eval/builtins/support.h"

namespace window {

// Knuth's two-sum: *s + *e == a + b exactly (when nothing overflows).
inline void TwoSum(double a, double b, double* s, double* e) {
  *s = a + b;
  const double bb = *s - a;
  *e = (a - (*s - bb)) + (b - bb);
}

// A compensated sum (the rounding errors of the running sum are summed
// apart) with the count of bars that had no value and whether the newest bar
// folded in had none. Bars without a value add nothing.
struct SumAgg {
  using Item = double;
  double sum = 0.0;
  double comp = 0.0;
  double missing = 0.0;
  double newestMissing = 0.0;

  void Add(double x) {
    newestMissing = HasValue(x) ? 0.0 : 1.0;
    if (!HasValue(x)) {
      missing += 1.0;
      return;
    }
    double e = 0.0;
    TwoSum(sum, x, &sum, &e);
    comp += e;
  }
  static SumAgg Combine(const SumAgg& older, const SumAgg& newer) {
    SumAgg r;
    double e = 0.0;
    TwoSum(older.sum, newer.sum, &r.sum, &e);
    r.comp = (older.comp + newer.comp) + e;
    r.missing = older.missing + newer.missing;
    r.newestMissing = newer.newestMissing;
    return r;
  }
  // The sum with its correction; the plain sum when that is not finite
  // (an infinite value, or an overflow on the way).
  double Total() const {
    const double t = sum + comp;
    return std::isfinite(t) ? t : sum;
  }
  bool AnyMissing() const { return missing > 0.0; }
};

// Two series summed side by side (COVAR, RELATE); a bar where either has no
// value counts as missing and adds nothing.
struct PairSumAgg {
  struct Item {
    double x;
    double y;
  };
  SumAgg x;
  SumAgg y;

  void Add(const Item& item) {
    if (HasValue(item.x) && HasValue(item.y)) {
      x.Add(item.x);
      y.Add(item.y);
      return;
    }
    x.Add(INVALID_VALUE);
    y.Add(INVALID_VALUE);
  }
  static PairSumAgg Combine(const PairSumAgg& older, const PairSumAgg& newer) {
    PairSumAgg r;
    r.x = SumAgg::Combine(older.x, newer.x);
    r.y = SumAgg::Combine(older.y, newer.y);
    return r;
  }
  bool AnyMissing() const { return x.AnyMissing(); }
};

// Count, mean and sum of squared deviations from the mean (Welford's update,
// Chan's merge): no cancellation against the level of the data.
struct MomentAgg {
  using Item = double;
  double count = 0.0;
  double mean = 0.0;
  double m2 = 0.0;
  double missing = 0.0;

  void Add(double x) {
    if (!HasValue(x)) {
      missing += 1.0;
      return;
    }
    count += 1.0;
    const double d = x - mean;
    mean += d / count;
    m2 += d * (x - mean);
  }
  static MomentAgg Combine(const MomentAgg& older, const MomentAgg& newer) {
    MomentAgg r = older.count == 0.0 ? newer : older;
    if (older.count != 0.0 && newer.count != 0.0) {
      r.count = older.count + newer.count;
      const double delta = newer.mean - older.mean;
      r.mean = older.mean + delta * (newer.count / r.count);
      r.m2 = (older.m2 + newer.m2) + delta * delta * (older.count * newer.count / r.count);
    }
    r.missing = older.missing + newer.missing;
    return r;
  }
  bool AnyMissing() const { return missing > 0.0; }
};

// A product with the count of zero values (|x| <= VALUE_EPSILON) and of bars
// without a value, which are skipped; whether the newest bar had none.
struct ProductAgg {
  using Item = double;
  double product = 1.0;
  double zeros = 0.0;
  double newestMissing = 0.0;

  void Add(double x) {
    newestMissing = HasValue(x) ? 0.0 : 1.0;
    if (!HasValue(x)) return;
    if (IsZero(x)) {
      zeros += 1.0;
      return;
    }
    product *= x;
  }
  static ProductAgg Combine(const ProductAgg& older, const ProductAgg& newer) {
    ProductAgg r;
    r.product = older.product * newer.product;
    r.zeros = older.zeros + newer.zeros;
    r.newestMissing = newer.newestMissing;
    return r;
  }
  double Total() const { return zeros > 0.0 ? 0.0 : product; }
};

// The weighted sums of WMA: `plain` is the compensated sum of the values,
// `ranked` the compensated sum of rank * value, where the rank counts the
// values folded in so far (1 for the first). Folded left to right over a
// block prefix the rank is the distance from the block start plus one;
// folded right to left over a block suffix, the distance from the block end
// plus one. Bars without a value are counted and add nothing.
struct RankedSumAgg {
  using Item = double;
  SumAgg plain;
  SumAgg ranked;
  double rank = 0.0;

  void Add(double x) {
    rank += 1.0;
    plain.Add(x);
    if (!HasValue(x)) {
      ranked.Add(x);
      return;
    }
    const double p = rank * x;
    ranked.Add(p);
    ranked.comp += std::fma(rank, x, -p);
  }
};

// Cells of a window block for aggregate Agg.
template <class Agg>
struct Layout {
  static_assert(std::is_trivially_copyable<Agg>::value && sizeof(Agg) % sizeof(double) == 0,
                "an aggregate is a plain struct of doubles");
  static constexpr int32_t CELLS = static_cast<int32_t>(sizeof(Agg) / sizeof(double));
  static constexpr int32_t LENGTH = 0;        // n the caches were made for
  static constexpr int32_t SUFFIX_BLOCK = 1;  // block whose suffixes are kept
  static constexpr int32_t PREV_BAR = 2;      // bar of the prefix in PREV
  static constexpr int32_t LAST_BAR = 3;      // bar of the prefix in LAST
  static constexpr int32_t PREV = 4;
  static constexpr int32_t LAST = PREV + CELLS;
  static constexpr int32_t SUFFIXES = LAST + CELLS;  // n aggregates: suffix from position i

  static Agg Load(const double* s) {
    Agg a;
    std::memcpy(static_cast<void*>(&a), s, sizeof(Agg));
    return a;
  }
  static void Store(double* s, const Agg& a) { std::memcpy(s, static_cast<const void*>(&a), sizeof(Agg)); }
  // Cells needed for a window of n at bar b: suffixes only once a second block exists.
  static int32_t Cells(int32_t n, int32_t b) {
    const int64_t cells = SUFFIXES + (b >= n ? static_cast<int64_t>(n) * CELLS : 0);
    return cells > INT32_MAX ? -1 : static_cast<int32_t>(cells);
  }
};

// One series X (element e of the call) read bar by bar.
struct SeriesSource {
  const builtin::Call& c;
  int32_t e;

  int32_t Read(int64_t bar, double* v) const { return c.Arg(e, static_cast<int64_t>(c.b) - bar, v); }
};

// Two series read side by side.
struct PairSource {
  const builtin::Call& c;
  int32_t ex;
  int32_t ey;

  int32_t Read(int64_t bar, PairSumAgg::Item* v) const {
    if (int32_t rc = c.Arg(ex, static_cast<int64_t>(c.b) - bar, &v->x)) return rc;
    return c.Arg(ey, static_cast<int64_t>(c.b) - bar, &v->y);
  }
};

// Folds bars first..last into *a, left to right.
template <class Agg, class Source>
int32_t FoldUp(const Source& src, int64_t first, int64_t last, Agg* a) {
  for (int64_t j = first; j <= last; ++j) {
    typename Agg::Item item{};
    if (int32_t rc = src.Read(j, &item)) return rc;
    a->Add(item);
  }
  return EVAL_OK;
}

// Folds bars last down to first into *a, right to left.
template <class Agg, class Source>
int32_t FoldDown(const Source& src, int64_t last, int64_t first, Agg* a) {
  for (int64_t j = last; j >= first; --j) {
    typename Agg::Item item{};
    if (int32_t rc = src.Read(j, &item)) return rc;
    a->Add(item);
  }
  return EVAL_OK;
}

// Where bar b sits: block k and position i inside it.
struct Place {
  int64_t k;
  int64_t i;
  int64_t start;  // k * n
  bool NeedsSuffix(int32_t n) const { return k > 0 && i < n - 1; }
};

inline Place PlaceOf(int32_t b, int32_t n) {
  const int64_t k = b / n;
  return Place{k, b - k * n, k * n};
}

// The place of the bar after `at`, without a division.
inline Place NextPlace(const Place& at, int32_t n) {
  if (at.i + 1 < n) return Place{at.k, at.i + 1, at.start};
  return Place{at.k + 1, 0, at.start + n};
}

// The window's two parts: the suffix of the previous block (older) and the
// prefix of the current one (newer). Without a suffix, older is empty and
// split is false.
template <class Agg>
struct Parts {
  Agg older;
  Agg newer;
  bool split = false;
  Agg Whole() const { return split ? Agg::Combine(older, newer) : newer; }
};

// The parts at b for a look-back read (an enclosing window reading an older
// bar): computed by the definition, the caches used only where they hold
// that very bar, nothing stored.
template <class Agg, class Source>
int32_t LookBack(const Source& src, const double* s, int32_t n, int32_t b, Parts<Agg>* out) {
  using L = Layout<Agg>;
  const Place at = PlaceOf(b, n);
  const bool sameN = s[L::LENGTH] == static_cast<double>(n);
  if (sameN && s[L::PREV_BAR] == static_cast<double>(b)) {
    out->newer = L::Load(s + L::PREV);
  } else if (int32_t rc = FoldUp(src, at.start, b, &out->newer)) {
    return rc;
  }
  out->split = at.NeedsSuffix(n);
  if (!out->split) return EVAL_OK;
  if (sameN && s[L::SUFFIX_BLOCK] == static_cast<double>(at.k - 1)) {
    out->older = L::Load(s + L::SUFFIXES + (at.i + 1) * L::CELLS);
    return EVAL_OK;
  }
  return FoldDown(src, at.start - 1, static_cast<int64_t>(b) - n + 1, &out->older);
}

// Fills the suffixes of the block before `at` into the block's cells.
template <class Agg, class Source>
int32_t FillSuffixes(const Source& src, double* s, int32_t n, const Place& at) {
  using L = Layout<Agg>;
  s[L::SUFFIX_BLOCK] = -1.0;
  Agg a;
  for (int64_t pos = n - 1; pos >= 0; --pos) {
    typename Agg::Item item{};
    if (int32_t rc = src.Read(at.start - n + pos, &item)) return rc;
    a.Add(item);
    L::Store(s + L::SUFFIXES + pos * L::CELLS, a);
  }
  s[L::SUFFIX_BLOCK] = static_cast<double>(at.k - 1);
  return EVAL_OK;
}

// A forward step at b: the parts by the definition, with the caches kept
// for the next bar and for a recomputation of this one.
template <class Agg, class Source>
int32_t Forward(const Source& src, double* s, int32_t n, int32_t b, Parts<Agg>* out) {
  using L = Layout<Agg>;
  if (s[L::LAST_BAR] == static_cast<double>(b) - 1.0) {
    std::copy(s + L::LAST, s + L::LAST + L::CELLS, s + L::PREV);
    s[L::PREV_BAR] = s[L::LAST_BAR];
  }
  if (s[L::LENGTH] != static_cast<double>(n)) {
    s[L::PREV_BAR] = -1.0;
    s[L::SUFFIX_BLOCK] = -1.0;
    s[L::LENGTH] = n;
  }
  const bool continuing = s[L::PREV_BAR] == static_cast<double>(b) - 1.0;
  const Place at = PlaceOf(b, n);
  s[L::LAST_BAR] = -1.0;
  Agg& p = out->newer;
  if (at.i > 0 && continuing) {
    p = L::Load(s + L::PREV);
    if (int32_t rc = FoldUp(src, b, b, &p)) return rc;
  } else if (int32_t rc = FoldUp(src, at.start, b, &p)) {
    return rc;
  }
  out->split = at.NeedsSuffix(n);
  if (out->split) {
    if (!continuing || s[L::SUFFIX_BLOCK] != static_cast<double>(at.k - 1)) {
      if (int32_t rc = FillSuffixes<Agg>(src, s, n, at)) return rc;
    }
    out->older = L::Load(s + L::SUFFIXES + (at.i + 1) * L::CELLS);
  }
  L::Store(s + L::LAST, p);
  s[L::LAST_BAR] = b;
  return EVAL_OK;
}

// The two parts of the window of n bars ending at c.b (cut at bar 0) for the
// call c whose state handle is element e. n >= 1.
template <class Agg, class Source>
int32_t AggregateParts(const builtin::Call& c, int32_t e, int32_t n, const Source& src, Parts<Agg>* out) {
  using L = Layout<Agg>;
  *out = Parts<Agg>{};
  const int32_t cells = n < 1 ? -1 : L::Cells(n, c.b);
  if (cells < 0) return EVAL_BAD_ARGUMENT;
  // A block too short for this n is made afresh: it only caches.
  double* s = builtin::StateBlockOfLength(c, e, cells);
  if (s == nullptr) return EVAL_BAD_ARGUMENT;
  const SeriesStore::MarkBit mark = builtin::VisitMark(c, e);
  const bool visited = mark.word != nullptr && (*mark.word & mark.bit) != 0;
  if (visited && static_cast<double>(c.b) < s[L::LAST_BAR]) return LookBack(src, s, n, c.b, out);
  if (mark.word != nullptr) *mark.word |= mark.bit;
  return Forward(src, s, n, c.b, out);
}

// The aggregate of the window of n bars ending at c.b: Combine(suffix, prefix).
template <class Agg, class Source>
int32_t Aggregate(const builtin::Call& c, int32_t e, int32_t n, const Source& src, Agg* out) {
  Parts<Agg> parts;
  const int32_t rc = AggregateParts(c, e, n, src, &parts);
  *out = parts.Whole();
  return rc;
}

// Where a column walk ended: the prefixes at its last two bars and the block
// whose suffixes it holds (-1: none).
template <class Agg>
struct WalkEnd {
  Agg previous;
  Agg last;
  bool hasPrevious = false;
  int64_t suffixBlock = -1;
};

// The window aggregate at every bar first..last, walked forward as Forward
// walks it: each prefix folded left to right from its block's start, the
// suffixes of the previous block folded right to left when a block is
// entered. item(j) gives bar j's Item; emit(b, parts) takes the two parts.
// *suffixes holds the n suffixes of end->suffixBlock afterwards. n >= 1.
// With `resume` the walk goes on from where one that ended at bar first - 1
// left *suffixes and *end, with the same bits as one walk over both ranges.
template <class Agg, class ItemAt, class Emit>
void WalkColumn(int32_t n, int32_t first, int32_t last, bool resume, const ItemAt& item, const Emit& emit,
                std::vector<Agg>* suffixes, WalkEnd<Agg>* end) {
  Agg prefix;
  if (resume) {
    prefix = end->last;
  } else {
    suffixes->assign(static_cast<size_t>(n), Agg{});
    end->suffixBlock = -1;
  }
  Place at = PlaceOf(first, n);
  for (int32_t b = first; b <= last; ++b, at = NextPlace(at, n)) {
    end->previous = prefix;
    end->hasPrevious = resume || b > first;
    if (at.i == 0 || (b == first && !resume)) {
      prefix = Agg{};
      for (int64_t j = at.start; j <= b; ++j) prefix.Add(item(j));
    } else {
      prefix.Add(item(b));
    }
    Parts<Agg> parts;
    parts.newer = prefix;
    parts.split = at.NeedsSuffix(n);
    if (parts.split) {
      if (end->suffixBlock != at.k - 1) {
        Agg a;
        for (int64_t pos = n - 1; pos >= 0; --pos) {
          a.Add(item(at.start - n + pos));
          (*suffixes)[static_cast<size_t>(pos)] = a;
        }
        end->suffixBlock = at.k - 1;
      }
      parts.older = (*suffixes)[static_cast<size_t>(at.i + 1)];
    }
    emit(b, parts);
  }
  end->last = prefix;
}

// Leaves a state block of Cells(n, last) cells as Forward leaves it after a
// walk that ended at `last`, so the next forward step continues from it.
template <class Agg>
void StoreWalkEnd(double* s, int32_t n, int32_t last, const WalkEnd<Agg>& end, const std::vector<Agg>& suffixes) {
  using L = Layout<Agg>;
  s[L::LENGTH] = n;
  s[L::PREV_BAR] = end.hasPrevious ? static_cast<double>(last) - 1.0 : -1.0;
  if (end.hasPrevious) L::Store(s + L::PREV, end.previous);
  L::Store(s + L::LAST, end.last);
  s[L::LAST_BAR] = last;
  s[L::SUFFIX_BLOCK] = -1.0;
  if (end.suffixBlock < 0 || L::Cells(n, last) < L::SUFFIXES + n * L::CELLS) return;
  for (int32_t pos = 0; pos < n; ++pos) L::Store(s + L::SUFFIXES + pos * L::CELLS, suffixes[static_cast<size_t>(pos)]);
  s[L::SUFFIX_BLOCK] = static_cast<double>(end.suffixBlock);
}

}  // namespace window
