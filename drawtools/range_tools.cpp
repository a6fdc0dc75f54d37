// Range tools: date range, price range, date and price range.
#include "drawtools/range_tools.h"

#include <cmath>
#include <ios>
#include <limits>
#include <sstream>

#include "drawtools/arrow_tools.h"
#include "drawtools/draw_info_builder.h"
#include "drawtools/geometry.h"
#include "drawtools/tool_records.h"

using namespace TarnDrawInfo;

namespace {

constexpr int64_t kSecondsPerDay = 86400;
constexpr int64_t kSecondsPerHour = 3600;
constexpr int64_t kSecondsPerMinute = 60;
constexpr float kCaptionFontSize = 12.0f;
// Palette colour of the captions' text.
constexpr COLOR_TYPE kCaptionColour = static_cast<COLOR_TYPE>(6);

// A whole-bar distance truncated towards zero; distances too large for an
// int64 saturate and a non-number counts as 0.
int64_t TruncatedBars(float distance) {
  if (std::isnan(distance)) return 0;
  constexpr float kLimit = 9.0e18f;
  if (distance >= kLimit) return std::numeric_limits<int64_t>::max();
  if (distance <= -kLimit) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(distance);
}

// The caption of `measure` for the rounded points p0, p1.
std::string Caption(ITarnGraphCoordinate* coordinate, RangeMeasure measure, const TarnPoint& p0, const TarnPoint& p1) {
  int time0 = 0;
  int time1 = 0;
  double unit = 1.0;
  TarnGeometry::BarToTime(coordinate, p0.x, &time0);
  TarnGeometry::BarToTime(coordinate, p1.x, &time1);
  TarnGeometry::GetPriceUnit(coordinate, &unit);
  switch (measure) {
    case RangeMeasure::kDate: return RangeBarsText(p0.x, p1.x, time0, time1);
    case RangeMeasure::kPrice: return RangePriceText(p0.y, p1.y, unit, "");
    case RangeMeasure::kDateAndPrice:
      return RangePriceText(p0.y, p1.y, unit, " ") + "\n" + RangeBarsText(p0.x, p1.x, time0, time1);
  }
  return std::string();
}

// Adds the guide a-b with its arrow head at b.
void AddMeasureLine(ITarnGraphCoordinate* coordinate, GraphDrawInfoBuilder& builder, int guide, const TarnPoint& a,
                    const TarnPoint& b) {
  builder.AddCurveLine(guide, {a, b}, false, false);
  ArrowHead(coordinate, builder, guide, a, b);
}

void AddMeasureLines(ITarnGraphCoordinate* coordinate, GraphDrawInfoBuilder& builder, RangeMeasure measure, int outline,
                     int guide, const TarnPoint& p0, const TarnPoint& p1) {
  const double m = (p0.y + p1.y) * 0.5;
  const float c = (p0.x + p1.x) * 0.5f;
  const TarnPoint corner01{p0.x, p1.y};
  const TarnPoint corner10{p1.x, p0.y};
  switch (measure) {
    case RangeMeasure::kDate:
      builder.AddCurveLine(outline, {p0, corner01}, false, false);
      builder.AddCurveLine(outline, {p1, corner10}, false, false);
      AddMeasureLine(coordinate, builder, guide, {p0.x, m}, {p1.x, m});
      break;
    case RangeMeasure::kPrice:
      builder.AddCurveLine(outline, {p0, corner10}, false, false);
      builder.AddCurveLine(outline, {p1, corner01}, false, false);
      AddMeasureLine(coordinate, builder, guide, {c, p0.y}, {c, p1.y});
      break;
    case RangeMeasure::kDateAndPrice:
      builder.AddCurveLine(outline, {p0, corner01, p1, corner10}, false, false);
      AddMeasureLine(coordinate, builder, guide, {p0.x, m}, {p1.x, m});
      AddMeasureLine(coordinate, builder, guide, {c, p0.y}, {c, p1.y});
      break;
  }
}

// p1 taken to pixels and back: where the host will place the caption. Stays
// p1 when a conversion fails.
TarnPoint CaptionPosition(ITarnGraphCoordinate* coordinate, const TarnPoint& p1) {
  float px = 0.0f;
  float py = 0.0f;
  TarnPoint q = p1;
  if (TarnGeometry::BarToPixel(coordinate, p1.x, &px)) TarnGeometry::PixelToBar(coordinate, px, &q.x);
  if (TarnGeometry::PriceToPixel(coordinate, p1.y, &py)) TarnGeometry::PixelToPrice(coordinate, py, &q.y);
  return q;
}

// Above the anchor when p1 is higher on the screen than p0, else below it.
int32_t CaptionAlignment(ITarnGraphCoordinate* coordinate, const TarnPoint& p0, const TarnPoint& p1) {
  float row0 = 0.0f;
  float row1 = 0.0f;
  TarnGeometry::PriceToPixel(coordinate, p0.y, &row0);
  TarnGeometry::PriceToPixel(coordinate, p1.y, &row1);
  return row0 > row1 ? ALIGN_CAPTION_ABOVE : ALIGN_CAPTION_BELOW;
}

}  // namespace

std::string DurationText(int64_t seconds) {
  std::ostringstream out;
  uint64_t t = static_cast<uint64_t>(seconds);
  if (seconds < 0) {
    out << '-';
    t = 0 - t;
  }
  const uint64_t days = t / kSecondsPerDay;
  const uint64_t rest = t - days * kSecondsPerDay;
  const uint64_t hours = rest / kSecondsPerHour;
  const uint64_t minutes = (rest - hours * kSecondsPerHour) / kSecondsPerMinute;
  if (days > 0) out << days << 'd';
  if (hours > 0) out << hours << 'h';
  if (minutes > 0) out << minutes << 'm';
  return out.str();
}

std::string RangeBarsText(float x0, float x1, int time0, int time1) {
  std::ostringstream out;
  out << TruncatedBars(x1 - x0) << "bars, " << DurationText(static_cast<int64_t>(time1) - static_cast<int64_t>(time0));
  return out.str();
}

std::string RangePriceText(double start, double end, double unit, const char* trailing) {
  const double move = end - start;
  const bool usableUnit = unit != 0.0 && std::isfinite(unit);
  const double steps = usableUnit ? move / unit : move;
  const double percent = move / start * 100.0;
  std::ostringstream out;
  out << std::fixed;
  out.precision(3);
  out << (std::isfinite(steps) ? steps : move);
  if (usableUnit && start != 0.0 && std::isfinite(percent)) {
    out.precision(2);
    out << '(' << percent << "%)";
  }
  out << trailing;
  return out.str();
}

TarnDrawInfo::GraphDrawInfo RangeDrawing(ITarnGraphShapeBase& tool, ITarnGraphCoordinate* coordinate,
                                         RangeMeasure measure, const std::vector<TarnPoint>& points) {
  GraphDrawInfo info;
  if (points.size() < 2) return info;
  // The drawing sits on whole bars; the anchors keep their positions.
  TarnPoint p0 = points[0];
  TarnPoint p1 = points[1];
  p0.x = TarnGeometry::RoundToWholeBar(p0.x);
  p1.x = TarnGeometry::RoundToWholeBar(p1.x);

  GraphDrawInfoBuilder builder(&info);
  const int outline = builder.AddCurve(TarnToolRecords::StyledCurve(tool, LINE_STYLE_SOLID));
  const int fill = builder.AddCurve(TarnToolRecords::FillCurve(tool));
  const int guide = builder.AddCurve(TarnToolRecords::StyledCurve(tool, LINE_STYLE_DASH));
  builder.AddCurveLine(fill, {p0, TarnPoint{p0.x, p1.y}, p1, TarnPoint{p1.x, p0.y}}, false, false);
  AddMeasureLines(coordinate, builder, measure, outline, guide, p0, p1);

  const TarnColor box = tool.GetTextBoxColor();
  const int caption = builder.AddText(GetText(GetColorByID(kCaptionColour), box, box, kCaptionFontSize,
                                              CaptionAlignment(coordinate, p0, p1), std::string(), 0, 0));
  builder.AddTextItem(caption, CaptionPosition(coordinate, p1), Caption(coordinate, measure, p0, p1), false,
                      TarnPoint{});
  return info;
}

void TarnGraphRangeDate::BuildDrawInfo(std::vector<TarnPoint> points) {
  RemoveDuplicatePoints(points);
  if (points.size() < 2) return;
  drawings.push_back(RangeDrawing(*this, coordinate, RangeMeasure::kDate, points));
}

void TarnGraphRangePrice::BuildDrawInfo(std::vector<TarnPoint> points) {
  RemoveDuplicatePoints(points);
  if (points.size() < 2) return;
  drawings.push_back(RangeDrawing(*this, coordinate, RangeMeasure::kPrice, points));
}

void TarnGraphRangeDateAndPrice::BuildDrawInfo(std::vector<TarnPoint> points) {
  RemoveDuplicatePoints(points);
  if (points.size() < 2) return;
  drawings.push_back(RangeDrawing(*this, coordinate, RangeMeasure::kDateAndPrice, points));
}
