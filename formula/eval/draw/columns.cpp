// Column forms: the output drawn as columns (.COLUMN, five styles) and STICK
// boxes.
#include <algorithm>

#include "formula/eval/draw/job.h"

using TarnDrawInfo::GraphDrawInfo;
using TarnDrawInfo::TarnPoint;

namespace {

constexpr uint32_t kVolStick = StyleCodeOf("CLTVOLSTICK");
constexpr uint32_t kStick = StyleCodeOf("CLTSTICK");
constexpr uint32_t kLineStick = StyleCodeOf("CLTLINESTICK");
constexpr uint32_t kColorStick = StyleCodeOf("CLTCOLORSTICK");
constexpr uint32_t kRtVolStick = StyleCodeOf("CLTRTVOLSTICK");
static_assert(kVolStick != 0 && kStick != 0 && kLineStick != 0 && kColorStick != 0 && kRtVolStick != 0,
              "named column styles exist");

// Record ids of a column drawing, in the order they are made.
struct ColumnRecords {
  int fill = -1;       // rectangle fill of the output colour, type 0
  int riseLine = -1;   // curve of palette 7
  int fallLine = -1;   // curve of palette 8
  int valueLine = -1;  // curve of the output colour: the polyline of CLTLINESTICK
  int stickLine = -1;  // curve of the output colour: the sticks of CLTLINESTICK
  int riseFill = -1;   // rectangle fills of palette 7, 8 and 9, type 1
  int fallFill = -1;
  int flatFill = -1;
};

ColumnRecords AddColumnRecords(GraphDrawInfoBuilder& b, const DrawJob& job) {
  using namespace TarnDrawInfo;
  const float w = static_cast<float>(job.width);
  ColumnRecords r;
  r.fill = b.AddRectangle(GetRectangleFill(job.colour, FILL_STYLE_SOLID, RECTANGLE_TYPE_0));
  r.riseLine = b.AddCurve(GetCurve(Palette(kPaletteRise), w, LINE_STYLE_SOLID));
  r.fallLine = b.AddCurve(GetCurve(Palette(kPaletteFall), w, LINE_STYLE_SOLID));
  r.valueLine = b.AddCurve(GetCurve(job.colour, w, LINE_STYLE_SOLID));
  r.stickLine = b.AddCurve(GetCurve(job.colour, w, LINE_STYLE_SOLID));
  r.riseFill = b.AddRectangle(GetRectangleFill(Palette(kPaletteRise), FILL_STYLE_SOLID, RECTANGLE_TYPE_1));
  r.fallFill = b.AddRectangle(GetRectangleFill(Palette(kPaletteFall), FILL_STYLE_SOLID, RECTANGLE_TYPE_1));
  r.flatFill = b.AddRectangle(GetRectangleFill(Palette(kPaletteFlat), FILL_STYLE_SOLID, RECTANGLE_TYPE_1));
  return r;
}

// Volume columns coloured by the bar's own move; a doji (close equal to
// open) follows the close before it, then the column drawn before it, then
// the nearest earlier bar that moved.
class VolumeDirection {
 public:
  explicit VolumeDirection(const DrawJob& job) : m_job(job) {}

  // False when the bar's close or open is missing.
  bool Rose(int32_t bar, bool* rose) {
    const double close = m_job.Price(kSnapClose, bar);
    const double open = m_job.Price(kSnapOpen, bar);
    if (!HasValue(close) || !HasValue(open)) return false;
    *rose = close > open;
    if (std::fabs(close - open) <= VALUE_EPSILON) *rose = DojiRose(bar, close, *rose);
    m_lastRose = *rose;
    return true;
  }

 private:
  bool DojiRose(int32_t bar, double close, bool moved) const {
    const double previous = bar > 0 ? m_job.Price(kSnapClose, bar - 1) : INVALID_VALUE;
    if (!HasValue(previous)) return true;
    if (std::fabs(close - previous) > VALUE_EPSILON) return close > previous;
    if (bar - 1 >= m_job.first) return m_lastRose;
    return RoseBeforeBar(m_job, bar, moved);
  }

  const DrawJob& m_job;
  bool m_lastRose = true;
};

// A close cut to three decimals.
double ThreeDecimals(double v) { return std::trunc(v * 1000.0) / 1000.0; }

// The fill of a real-time volume column: up, down or flat against the
// previous close (the previous-close field at bar 0); -1 without both prices.
int RtVolumeFill(const DrawJob& job, const ColumnRecords& r, int32_t bar) {
  const double close = job.Price(kSnapClose, bar);
  const double previous = bar > 0 ? job.Price(kSnapClose, bar - 1) : job.Price(kSnapPreClose, 0);
  if (!HasValue(close) || !HasValue(previous)) return -1;
  const double now = ThreeDecimals(close);
  const double before = ThreeDecimals(previous);
  if (std::fabs(now - before) <= VALUE_EPSILON) return r.flatFill;
  return now > before ? r.riseFill : r.fallFill;
}

}  // namespace

void BuildColumn(const DrawJob& job, std::vector<GraphDrawInfo>& out) {
  const double* values = job.Series(3);
  if (values == nullptr) return;
  const uint32_t style = job.StyleCode(1, kStick);
  GraphDrawInfo info;
  GraphDrawInfoBuilder b(&info);
  const ColumnRecords r = AddColumnRecords(b, job);
  ReserveOrder(info, job, style == kLineStick ? 2 : 1);
  PairItems pairs(b);
  const double half = (job.width * 0.04 + 0.4) / 2.0;
  VolumeDirection volume(job);
  std::vector<TarnPoint> points;
  if (style == kLineStick) points.reserve(static_cast<size_t>(job.last - job.first + 1));
  for (int32_t bar = job.first; bar <= job.last; ++bar) {
    if (!job.UsesBar(bar)) continue;
    const double v = values[bar];
    if (!HasValue(v)) {
      FlushLine(b, r.valueLine, points);
      continue;
    }
    if (IsZero(v) && style != kLineStick) continue;
    const double lo = std::min(0.0, v);
    const double hi = std::max(0.0, v);
    const TarnPoint low = At(bar - half, lo);
    const TarnPoint high = At(bar + half, hi);
    bool rose = true;
    if (style == kStick) {
      b.AddRectangleCorners(r.fill, low, high);
    } else if (style == kVolStick) {
      if (volume.Rose(bar, &rose)) b.AddRectangleCorners(rose ? r.riseFill : r.fallFill, low, high);
    } else if (style == kRtVolStick) {
      const int fill = RtVolumeFill(job, r, bar);
      if (fill >= 0) b.AddRectangleCorners(fill, low, high);
    } else if (style == kColorStick) {
      pairs.Segment(v > 0.0 ? r.riseLine : r.fallLine, At(bar, lo), At(bar, hi));
    } else if (style == kLineStick) {
      pairs.Segment(r.stickLine, At(bar, lo), At(bar, hi));
      points.push_back(At(bar, v));
    }
  }
  FlushLine(b, r.valueLine, points);
  out.push_back(std::move(info));
}

void BuildStick(const DrawJob& job, std::vector<GraphDrawInfo>& out) {
  using namespace TarnDrawInfo;
  const double* condition = job.Series(1);
  const double* firstPrice = job.Series(2);
  const double* secondPrice = job.Series(3);
  const double* widths = job.Series(4);
  const double* emptyFlags = job.Series(5);
  if (condition == nullptr || firstPrice == nullptr || secondPrice == nullptr || widths == nullptr ||
      emptyFlags == nullptr) {
    return;
  }
  GraphDrawInfo info;
  GraphDrawInfoBuilder b(&info);
  const int fill = b.AddRectangle(GetRectangleFill(job.colour, FILL_STYLE_SOLID, RECTANGLE_TYPE_0));
  const int dashed = b.AddRectangle(GetRectangleFrame(job.colour, 1.0f, LINE_STYLE_DASH, RECTANGLE_TYPE_0));
  const int framed = b.AddRectangle(GetRectangleFrame(job.colour, 1.0f, LINE_STYLE_SOLID, RECTANGLE_TYPE_0));
  ReserveOrder(info, job, 1);
  for (int32_t bar = job.first; bar <= job.last; ++bar) {
    const double p = firstPrice[bar];
    const double q = secondPrice[bar];
    double width = widths[bar];
    const double empty = emptyFlags[bar];
    if (!IsConditionTrue(condition[bar]) || !HasValue(p) || !HasValue(q) || !HasValue(width) || !HasValue(empty)) {
      continue;
    }
    if (width <= VALUE_EPSILON) width = 1.0;
    const int32_t flag = TruncateToInt(empty);
    const int id = flag == -1 ? dashed : (flag == 0 ? fill : framed);
    b.AddRectangleCorners(id, At(bar - width / 2.0, std::min(p, q)), At(bar + width / 2.0, std::max(p, q)));
  }
  out.push_back(std::move(info));
}
