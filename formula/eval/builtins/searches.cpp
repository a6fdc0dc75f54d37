#include "formula/eval/builtins/searches.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <exception>
#include <utility>
#include <vector>

#include "formula/eval/builtins/support.h"

using builtin::Call;

namespace {

using Entry = std::pair<double, int32_t>;  // value, bars back from b - n

// Ascending by value (a NaN below every number), equal values by position,
// so that the order is the insertion order of the window scan.
bool EntryLess(const Entry& a, const Entry& b) {
  const bool an = std::isnan(a.first);
  const bool bn = std::isnan(b.first);
  if (an != bn) return an;
  if (!an && a.first != b.first) return a.first < b.first;
  return a.second < b.second;
}

// Buffers reused between calls, so that a search allocates only while its
// window grows. A search inside the argument of another search (evaluated
// while the outer one collects) takes the next buffer; a deque keeps the
// outer buffers in place while the pool grows.
class ScratchLease {
 public:
  ScratchLease() : m_depth(Depth()++) {}
  ~ScratchLease() { --Depth(); }
  ScratchLease(const ScratchLease&) = delete;
  ScratchLease& operator=(const ScratchLease&) = delete;

  // The buffer, emptied, with room for `size` entries; null when memory runs out.
  std::vector<Entry>* Get(size_t size) {
    try {
      std::deque<std::vector<Entry>>& pool = Pool();
      if (pool.size() <= m_depth) pool.resize(m_depth + 1);
      std::vector<Entry>& entries = pool[m_depth];
      entries.clear();
      entries.reserve(size);
      return &entries;
    } catch (const std::exception&) {
      return nullptr;
    }
  }

 private:
  static size_t& Depth() {
    thread_local size_t depth = 0;
    return depth;
  }
  static std::deque<std::vector<Entry>>& Pool() {
    thread_local std::deque<std::vector<Entry>> pool;
    return pool;
  }
  size_t m_depth;
};

// Collects the values of X at b - n - i, i = 0..m - 1, and picks the t-th
// entry from the top (fromTop) or from the bottom. *found is false when
// an argument has no value or too few values exist.
int32_t Search(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset, bool fromTop, bool bars) {
  Call c{};
  int32_t code = 0;
  if (!builtin::Begin(rec, out, ctx, offset, 5, &c, &code)) return code;
  double nv = 0.0;
  double mv = 0.0;
  double tv = 0.0;
  if (int32_t rc = c.Arg(2, 0, &nv)) return rc;
  if (int32_t rc = c.Arg(3, 0, &mv)) return rc;
  if (int32_t rc = c.Arg(4, 0, &tv)) return rc;
  if (!HasValue(nv) || !HasValue(mv) || !HasValue(tv)) return EVAL_OK;
  int32_t n = RoundCount(nv);
  int32_t m = RoundCount(mv);
  int32_t t = RoundCount(tv);
  if (n < 0 || m <= 0 || t <= 0) return EVAL_OK;
  n = std::min(n, c.b + 1);
  m = std::min(m, c.b + 1);
  t = std::min(t, c.b + 1);
  ScratchLease lease;
  std::vector<Entry>* buffer = lease.Get(static_cast<size_t>(m));
  if (buffer == nullptr) return EVAL_BAD_ARGUMENT;
  std::vector<Entry>& entries = *buffer;
  for (int32_t i = 0; i < m; ++i) {
    double v = 0.0;
    if (int32_t rc = c.Arg(1, static_cast<int64_t>(n) + i, &v)) return rc;
    if (HasValue(v)) entries.emplace_back(v, i);
  }
  if (static_cast<int32_t>(entries.size()) < t) return EVAL_OK;
  const size_t k = fromTop ? entries.size() - t : static_cast<size_t>(t - 1);
  std::nth_element(entries.begin(), entries.begin() + k, entries.end(), EntryLess);
  *out = bars ? static_cast<double>(n) + entries[k].second : entries[k].first;
  return EVAL_OK;
}

}  // namespace

// FINDHIGH(X, N, M, T): the T-th largest X of the M bars that end N bars ago.
int32_t BuiltinFindHigh(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  return Search(rec, out, ctx, offset, true, false);
}

// FINDLOW(X, N, M, T): the T-th smallest X of the M bars that end N bars ago.
int32_t BuiltinFindLow(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  return Search(rec, out, ctx, offset, false, false);
}

// FINDHIGHBARS(X, N, M, T): bars back to the T-th largest X (the oldest of equals).
int32_t BuiltinFindHighBars(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  return Search(rec, out, ctx, offset, true, true);
}

// FINDLOWBARS(X, N, M, T): bars back to the T-th smallest X (the newest of equals).
int32_t BuiltinFindLowBars(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  return Search(rec, out, ctx, offset, false, true);
}
