#include "formula/eval/builtins/zigzag.h"

#include <cmath>
#include <exception>

#include "abacor/data_provider.h"
#include "formula/eval/builtins/support.h"

using builtin::Call;

namespace {

constexpr int32_t ELEM_STATE = 1;
constexpr int32_t ELEM_K = 2;
constexpr int32_t ELEM_N = 3;
constexpr int32_t ELEM_M = 4;

// Field ids selected by a source number 0..3.
constexpr int32_t SOURCE_FIELDS[4] = {builtin::FIELD_OPEN, builtin::FIELD_HIGH, builtin::FIELD_LOW,
                                      builtin::FIELD_CLOSE};

enum class ZigzagKind { Zig, ZigA, Peak, PeakBars, Trough, TroughBars };

bool IsPeakKind(ZigzagKind k) { return k != ZigzagKind::Zig && k != ZigzagKind::ZigA; }
bool WantsPeaks(ZigzagKind k) { return k == ZigzagKind::Peak || k == ZigzagKind::PeakBars; }
bool WantsBars(ZigzagKind k) { return k == ZigzagKind::PeakBars || k == ZigzagKind::TroughBars; }

void FillInvalid(double* cells, int64_t first, int64_t last) {
  for (int64_t j = first; j <= last; ++j) cells[j] = INVALID_VALUE;
}

// The field source: a failed read repeats the bar before (0.0 before the first).
int32_t LoadField(CalcContext* ctx, int32_t field, double* cells, int32_t first, int32_t last) {
  if (ctx->dataProvider == nullptr) return EVAL_BAD_ARGUMENT;
  double prev = 0.0;
  for (int32_t j = first; j <= last; ++j) {
    double v = INVALID_VALUE;
    if (ctx->dataProvider->GetFieldValue(field, j, &v) && HasValue(v)) prev = v;
    cells[j] = prev;
  }
  return EVAL_OK;
}

// Search for a move from the pivot value by the threshold in direction d.
bool Moves(const ZigzagThreshold& t, int32_t d, double pivot, double v) {
  return d > 0 ? v - t.Up(pivot) > VALUE_EPSILON : t.Down(pivot) - v > VALUE_EPSILON;
}

// v goes on beyond the candidate q in direction d.
bool Beyond(int32_t d, double q, double v) { return d > 0 ? v - q > VALUE_EPSILON : q - v > VALUE_EPSILON; }

// Peaks or troughs that count (neither the first nor the last point), in time order.
void CountedPoints(const std::vector<ZigzagPoint>& points, bool peaks, std::vector<ZigzagPoint>* counted) {
  counted->clear();
  if (points.size() < 2) return;
  const bool firstIsPeak = points[0].value - points[1].value > VALUE_EPSILON;
  for (size_t i = 1; i + 1 < points.size(); ++i) {
    const bool isPeak = (i % 2 == 0) == firstIsPeak;
    if (isPeak == peaks) counted->push_back(points[i]);
  }
}

// PEAK and relatives: from the m-th counted point on, each bar gets the m-th
// most recent counted point at or before it (its value, or the bars since it).
void FillPeaks(const std::vector<ZigzagPoint>& counted, int32_t m, bool bars, double* cells, int32_t f, int32_t l) {
  if (static_cast<int32_t>(counted.size()) < m) return FillInvalid(cells, f, l);
  const int32_t start = counted[m - 1].bar;
  FillInvalid(cells, f, start - 1);
  size_t newest = m - 1;
  for (int32_t t = start; t <= l; ++t) {
    while (newest + 1 < counted.size() && counted[newest + 1].bar <= t) ++newest;
    const ZigzagPoint& p = counted[newest - (m - 1)];
    cells[t] = bars ? static_cast<double>(t - p.bar) : p.value;
  }
}

// The whole pass of one zigzag call over the range first..last.
int32_t ZigzagPass(const Call& c, ZigzagKind kind, double* cells, int32_t first, int32_t last) {
  double n = 0.0;
  bool constant = false;
  if (int32_t rc = IsConstantOverRange(c.rec, c.ctx, c.offset, ELEM_N, first, last, &n, &constant)) return rc;
  int32_t m = 1;
  if (constant && IsPeakKind(kind)) {
    double mv = 0.0;
    if (int32_t rc = IsConstantOverRange(c.rec, c.ctx, c.offset, ELEM_M, first, last, &mv, &constant)) return rc;
    m = std::max(RoundCount(mv), 1);
  }
  if (!constant) {
    FillInvalid(cells, first, last);
    return EVAL_OK;
  }
  int32_t f = 0;
  int32_t l = 0;
  bool found = false;
  if (int32_t rc = LoadZigzagSource(c.rec, c.ctx, c.offset, cells, first, last, &f, &l, &found)) return rc;
  if (!found) {
    FillInvalid(cells, first, last);
    return EVAL_OK;
  }
  FillInvalid(cells, first, f - 1);
  FillInvalid(cells, l + 1, last);
  try {
    std::vector<ZigzagPoint> points;
    FindTurningPoints(cells, f, l, ZigzagThreshold{n, kind != ZigzagKind::ZigA}, &points);
    if (points.empty()) {
      FillInvalid(cells, f, l);
      return EVAL_OK;
    }
    if (!IsPeakKind(kind)) {
      FillFromTurningPoints(points, cells);
      return EVAL_OK;
    }
    std::vector<ZigzagPoint> counted;
    CountedPoints(points, WantsPeaks(kind), &counted);
    FillPeaks(counted, m, WantsBars(kind), cells, f, l);
  } catch (const std::exception&) {
    FillInvalid(cells, first, last);
  }
  return EVAL_OK;
}

int32_t ZigzagCall(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset, ZigzagKind kind) {
  Call c{};
  int32_t code = 0;
  if (!builtin::Begin(rec, out, ctx, offset, IsPeakKind(kind) ? 5 : 4, &c, &code)) return code;
  double* cells = builtin::StateBlock(c, ELEM_STATE, builtin::WHOLE_RANGE_BLOCK);
  if (cells == nullptr) return EVAL_BAD_ARGUMENT;
  const int32_t first = std::max(ctx->rangeFirst, 0);
  const int32_t last = std::min(ctx->rangeLast, ctx->store->BarCount() - 1);
  if (c.b < first || c.b > last) return EVAL_OK;
  if (IsUncomputed(cells[c.b])) {
    if (int32_t rc = ZigzagPass(c, kind, cells, first, last)) return rc;
  }
  if (HasValue(cells[c.b])) *out = cells[c.b];
  return EVAL_OK;
}

}  // namespace

int32_t IsConstantOverRange(const ExprRecord* rec, CalcContext* ctx, int32_t offset, int32_t element, int32_t first,
                            int32_t last, double* value, bool* constant) {
  const Call c{rec, ctx, offset, ctx->bar - offset};
  *constant = false;
  if (int32_t rc = c.Arg(element, 0, value)) return rc;
  if (!HasValue(*value)) return EVAL_OK;
  for (int32_t j = first; j <= last; ++j) {
    double v = 0.0;
    if (int32_t rc = c.ArgAtBar(element, j, &v)) return rc;
    if (!HasValue(v) || !(std::fabs(v - *value) <= VALUE_EPSILON)) return EVAL_OK;
  }
  *constant = true;
  return EVAL_OK;
}

int32_t LoadZigzagSource(const ExprRecord* rec, CalcContext* ctx, int32_t offset, double* cells, int32_t first,
                         int32_t last, int32_t* f, int32_t* l, bool* found) {
  const Call c{rec, ctx, offset, ctx->bar - offset};
  *found = false;
  const OperandKind kind = c.Kind(ELEM_K);
  if (kind == OPK_NUMBER || kind == OPK_PARAM) {
    double k = 0.0;
    if (int32_t rc = c.Arg(ELEM_K, 0, &k)) return rc;
    if (!(k + 1.0 > VALUE_EPSILON && 4.0 - k > VALUE_EPSILON)) return EVAL_OK;
    const int32_t selector = k < 0.0 ? 0 : RoundCount(k);
    if (selector < 0 || selector > 3) return EVAL_BAD_ARGUMENT;
    if (int32_t rc = LoadField(ctx, SOURCE_FIELDS[selector], cells, first, last)) return rc;
  } else {
    for (int32_t j = first; j <= last; ++j) {
      if (int32_t rc = c.ArgAtBar(ELEM_K, j, &cells[j])) return rc;
    }
  }
  int32_t j = first;
  while (j <= last && !HasValue(cells[j])) ++j;
  if (j > last) return EVAL_OK;
  *f = j;
  while (j + 1 <= last && HasValue(cells[j + 1])) ++j;
  *l = j;
  *found = true;
  return EVAL_OK;
}

void FindTurningPoints(const double* v, int32_t f, int32_t l, const ZigzagThreshold& t,
                       std::vector<ZigzagPoint>* points) {
  points->clear();
  int32_t d = 0;
  for (int32_t i = f + 1; i <= l && d == 0; ++i) {
    if (Moves(t, 1, v[f], v[i]))
      d = 1;
    else if (Moves(t, -1, v[f], v[i]))
      d = -1;
  }
  if (d == 0) return;
  points->push_back({f, v[f]});
  int32_t p = f;
  for (;;) {
    // Search: the first bar that moves from the pivot by the threshold.
    int32_t q = p + 1;
    while (q <= l && !Moves(t, d, v[p], v[q])) ++q;
    if (q > l) break;
    // Extend: follow the move while it goes on, unless it reverses first.
    for (;;) {
      int32_t j = q + 1;
      while (j <= l && !Beyond(d, v[q], v[j])) ++j;
      int32_t k = q + 1;
      while (k < j && k <= l && !Moves(t, -d, v[q], v[k])) ++k;
      if (j > l || k < j) {
        points->push_back({q, v[q]});
        p = q;
        d = -d;
        if (j > l && k >= j) break;
        q = k;
        continue;
      }
      q = j;
    }
  }
  if (p != l) points->push_back({l, v[l]});
}

void FillFromTurningPoints(const std::vector<ZigzagPoint>& points, double* v) {
  for (size_t i = 0; i + 1 < points.size(); ++i) {
    const ZigzagPoint& a = points[i];
    const ZigzagPoint& z = points[i + 1];
    const double stepPerBar = (z.value - a.value) / (z.bar - a.bar);
    for (int32_t k = 1; k < z.bar - a.bar; ++k) v[a.bar + k] = a.value + k * stepPerBar;
  }
}

// ZIG(K, N): zigzag of K turning on moves of N percent.
int32_t BuiltinZig(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  return ZigzagCall(rec, out, ctx, offset, ZigzagKind::Zig);
}

// ZIGA(K, N): zigzag of K turning on moves of N.
int32_t BuiltinZigA(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  return ZigzagCall(rec, out, ctx, offset, ZigzagKind::ZigA);
}

// PEAK(K, N, M): value of the M-th most recent zigzag peak.
int32_t BuiltinPeak(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  return ZigzagCall(rec, out, ctx, offset, ZigzagKind::Peak);
}

// PEAKBARS(K, N, M): bars since the M-th most recent zigzag peak.
int32_t BuiltinPeakBars(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  return ZigzagCall(rec, out, ctx, offset, ZigzagKind::PeakBars);
}

// TROUGH(K, N, M): value of the M-th most recent zigzag trough.
int32_t BuiltinTrough(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  return ZigzagCall(rec, out, ctx, offset, ZigzagKind::Trough);
}

// TROUGHBARS(K, N, M): bars since the M-th most recent zigzag trough.
int32_t BuiltinTroughBars(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  return ZigzagCall(rec, out, ctx, offset, ZigzagKind::TroughBars);
}
