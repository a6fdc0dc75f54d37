// Line forms: the plain output line (.CURVELINE), PLOYLINE and DRAWLINE.
#include <algorithm>

#include "abacor/data_provider.h"
#include "formula/eval/calc_context.h"
#include "formula/eval/calculate_info.h"
#include "formula/eval/draw/job.h"
#include "formula/eval/evaluator.h"
#include "formula/eval/series_store.h"

using TarnDrawInfo::GraphDrawInfo;
using TarnDrawInfo::TarnPoint;

namespace {

constexpr uint32_t kPloyNormal = StyleCodeOf("PLOYNOMAL");
constexpr uint32_t kPloyDotLine = StyleCodeOf("PLOYDOTLINE");
static_assert(kPloyNormal != 0 && kPloyDotLine != 0, "named line styles exist");

// Line style of PLOYLINE and DRAWLINE: dashed for PLOYDOTLINE, else solid.
TarnDrawInfo::LINE_STYLE LineStyleOf(uint32_t code) {
  return code == kPloyDotLine ? TarnDrawInfo::LINE_STYLE_DASH : TarnDrawInfo::LINE_STYLE_SOLID;
}

// ---- PLOYLINE ----------------------------------------------------------------

// The nearest bar from `from` stepping by `dir` (down to 0, or up to below
// end) whose condition is 1. An uncomputed condition ends the search; cells
// without a value are passed over. -1 when none.
int32_t SearchConditionBar(const double* condition, int32_t from, int32_t dir, int32_t end) {
  for (int32_t b = from; b >= 0 && b < end; b += dir) {
    if (IsUncomputed(condition[b])) return -1;
    if (IsOne(condition[b])) return b;
  }
  return -1;
}

// Whether two bar positions are equal in single precision within 1e-7.
bool SameBar(float a, float b) { return std::fabs(a - b) <= 1e-7f; }

class PolyLineWalk {
 public:
  PolyLineWalk(GraphDrawInfoBuilder& builder, int id, size_t capacity) : m_builder(builder), m_id(id) {
    m_points.reserve(capacity);
  }

  // A bar whose condition is true with price p: joins the line, filling the
  // bars skipped since its last point on the straight line between them.
  void TrueBar(int32_t bar, double p) {
    if (!HasValue(p)) {
      FlushLine(m_builder, m_id, m_points);
      return;
    }
    if (!m_points.empty()) Interpolate(bar, p);
    m_points.push_back(At(bar, p));
  }

  // The bar found before the range starts the line; a price without a value
  // would only put a point that is not a number into the line, so it adds nothing.
  void StartAt(int32_t bar, double p) {
    if (HasValue(p)) m_points.push_back(At(bar, p));
  }

  void Finish() { FlushLine(m_builder, m_id, m_points); }

 private:
  void Interpolate(int32_t bar, double p) {
    const TarnPoint lastPoint = m_points.back();
    const float here = static_cast<float>(bar);
    if (SameBar(lastPoint.x, here) || SameBar(lastPoint.x, here - 1.0f)) return;
    const double xl = lastPoint.x;
    const double slope = (lastPoint.y - p) / (xl - bar);
    for (int64_t i = static_cast<int64_t>(xl) + 1; i < bar; ++i) {
      m_points.push_back(At(static_cast<double>(i), p + (static_cast<double>(i) - bar) * slope));
    }
  }

  GraphDrawInfoBuilder& m_builder;
  int m_id;
  std::vector<TarnPoint> m_points;
};

// ---- DRAWLINE ----------------------------------------------------------------

// A provider that has no data: the extend flag is read from constants,
// parameters and variables defined by them, never from bar data.
class NoDataProvider final : public IIndexDataProvider {
 public:
  bool GetBarCount(int32_t* count) override { return Zero(count); }
  bool GetTotalBarCount(int32_t* count) override { return Zero(count); }
  bool GetFieldValue(int32_t, int32_t, double*) override { return false; }
  bool GetScalarValue(int32_t, double*) override { return false; }
  bool GetAnchorBar(int32_t, int32_t, int32_t*) override { return false; }
  bool GetPeriod(int32_t*, int32_t*) override { return false; }
  bool GetBarTime(int32_t, int64_t*) override { return false; }
  bool GetBarIndexByTime(int64_t, int32_t*) override { return false; }
  bool GetTimeOfDate(int64_t, int64_t*) override { return false; }

 private:
  static bool Zero(int32_t* count) {
    if (count != nullptr) *count = 0;
    return false;
  }
};

constexpr int32_t kExtendElement = 5;

// The extend flag of DRAWLINE: element 5 evaluated at bar 0, truncated; 0
// when it is missing, fails or has no value. It is evaluated in a scratch
// store of its own, so that drawing never writes into the calculator's
// stores while a calculation may be running.
int32_t ReadExtendFlag(const DrawJob& job) {
  const ExprRecord& record = *job.record;
  if (record.count <= kExtendElement) return 0;
  SeriesStore scratch(1);
  NoDataProvider noData;
  CalcContext ctx;
  ctx.store = &scratch;
  ctx.dataProvider = &noData;
  ctx.program = job.source->program;
  ctx.barCount = 1;
  ctx.totalBarCount = 1;
  ctx.bar = 0;
  ctx.rangeFirst = 0;
  ctx.rangeLast = 0;
  double value = INVALID_VALUE;
  if (EvaluateOutputOperand(&ctx, record.kinds[kExtendElement], record.values[kExtendElement], &value, 0) != EVAL_OK) {
    return 0;
  }
  return HasValue(value) ? TruncateToInt(value) : 0;
}

struct Segment {
  TarnPoint start;
  TarnPoint end;
  bool hasStart = false;
  bool hasEnd = false;
};

// Adds the pending segment as a line (a ray for extend flag 1). False when
// the extend flag is neither 0 nor 1: the drawing is then abandoned.
bool CloseSegment(PairItems& pairs, int id, Segment& s, int32_t extend) {
  if (!s.hasStart || !s.hasEnd) return true;
  if (extend != 0 && extend != 1) return false;
  pairs.Segment(id, s.start, s.end, extend == 1);
  s.hasStart = false;
  s.hasEnd = false;
  return true;
}

}  // namespace

void BuildCurveLine(const DrawJob& job, std::vector<GraphDrawInfo>& out) {
  const double* values = job.Series(1);
  if (values == nullptr) return;
  GraphDrawInfo info;
  GraphDrawInfoBuilder builder(&info);
  const int id = builder.AddCurve(
      TarnDrawInfo::GetCurve(job.colour, static_cast<float>(job.width), TarnDrawInfo::LINE_STYLE_SOLID));
  std::vector<TarnPoint> points;
  points.reserve(static_cast<size_t>(job.last - job.first + 1));
  for (int32_t bar = job.first; bar <= job.last; ++bar) {
    if (!job.UsesBar(bar)) continue;
    if (HasValue(values[bar])) {
      points.push_back(At(bar, values[bar]));
    } else {
      FlushLine(builder, id, points);
    }
  }
  FlushLine(builder, id, points);
  out.push_back(std::move(info));
}

void BuildPolyLine(const DrawJob& job, std::vector<GraphDrawInfo>& out) {
  const double* condition = job.Series(1);
  const double* price = job.Series(2);
  if (condition == nullptr || price == nullptr) return;
  const uint32_t style = job.StyleCode(5, kPloyNormal);
  GraphDrawInfo info;
  GraphDrawInfoBuilder builder(&info);
  const int id =
      builder.AddCurve(TarnDrawInfo::GetCurve(job.colour, static_cast<float>(job.width), LineStyleOf(style)));
  PolyLineWalk walk(builder, id, static_cast<size_t>(job.last - job.first + 2));
  for (int32_t bar = job.first; bar <= job.last; ++bar) {
    const double c = condition[bar];
    if (!HasValue(c)) continue;
    if (IsConditionTrue(c)) {
      walk.TrueBar(bar, price[bar]);
    } else if (bar == job.first) {
      const int32_t found = SearchConditionBar(condition, bar - 1, -1, job.BarCount());
      if (found >= 0) walk.StartAt(found, price[found]);
    } else if (bar == job.last) {
      // The line runs on to the next bar that meets the condition.
      const int32_t found = SearchConditionBar(condition, bar + 1, 1, job.BarCount());
      if (found >= 0) walk.TrueBar(found, price[found]);
    }
  }
  walk.Finish();
  out.push_back(std::move(info));
}

void BuildSegments(const DrawJob& job, std::vector<GraphDrawInfo>& out) {
  const double* firstCondition = job.Series(1);
  const double* firstPrice = job.Series(2);
  const double* secondCondition = job.Series(3);
  const double* secondPrice = job.Series(4);
  if (firstCondition == nullptr || firstPrice == nullptr || secondCondition == nullptr || secondPrice == nullptr) {
    return;
  }
  const int32_t extend = ReadExtendFlag(job);
  const uint32_t style = job.StyleCode(8, kPloyNormal);
  GraphDrawInfo info;
  GraphDrawInfoBuilder builder(&info);
  const int id =
      builder.AddCurve(TarnDrawInfo::GetCurve(job.colour, static_cast<float>(job.width), LineStyleOf(style)));
  PairItems pairs(builder);
  Segment s;
  for (int32_t bar = job.first; bar <= job.last; ++bar) {
    if (IsOne(firstCondition[bar])) {
      if (!CloseSegment(pairs, id, s, extend)) return;
      if (HasValue(firstPrice[bar])) {
        s.start = At(bar, firstPrice[bar]);
        s.hasStart = true;
      }
    } else if (IsOne(secondCondition[bar]) && HasValue(secondPrice[bar]) && s.hasStart) {
      s.end = At(bar, secondPrice[bar]);
      s.hasEnd = true;
    }
  }
  if (!CloseSegment(pairs, id, s, extend)) return;
  out.push_back(std::move(info));
}
