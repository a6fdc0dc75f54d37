// Gann tools: speed-resistance lines, Gann box, Gann fan.
#include "drawtools/gann_tools.h"

#include "drawtools/draw_info_builder.h"
#include "drawtools/geometry.h"
#include "drawtools/tool_records.h"

using namespace TarnDrawInfo;
using TarnToolRecords::StyledCurve;

namespace {

// The ratios of the fan with their labels.
struct FanRatio {
  float ratio;
  const char* label;
};
constexpr FanRatio kFanRatios[] = {{0.125f, "1/8"}, {0.25f, "1/4"}, {0.333f, "1/3"}, {0.5f, "1/2"}};

}  // namespace

void TarnGraphComplexSpeedResistance::BuildDrawInfo(std::vector<TarnPoint> points) {
  RemoveDuplicatePoints(points);
  if (points.size() < 2) return;
  const TarnPoint p0 = points[0];
  const TarnPoint p1 = points[1];
  GraphDrawInfo info;
  GraphDrawInfoBuilder builder(&info);
  const int solid = builder.AddCurve(StyledCurve(*this, LINE_STYLE_SOLID));
  builder.AddCurveLine(solid, {p0, p1}, false, true);
  const int dashed = builder.AddCurve(StyledCurve(*this, LINE_STYLE_DASH));
  // The decimals 0.667 and 0.333, not the thirds.
  for (double share : {0.667, 0.333}) {
    const TarnPoint aim{p1.x, p1.y - (p1.y - p0.y) * share};
    builder.AddCurveLine(dashed, {p0, aim}, false, true);
  }
  drawings.push_back(info);
}

void TarnGraphComplexGannBox::BuildDrawInfo(std::vector<TarnPoint> points) {
  RemoveDuplicatePoints(points);
  if (points.size() < 2) return;
  const TarnPoint p0 = points[0];
  const TarnPoint p1 = points[1];
  const TarnPoint topLeft{p0.x, p1.y};
  const TarnPoint bottomRight{p1.x, p0.y};
  TarnGeometry::PixelSegment box;
  const bool inPixels = TarnGeometry::ToPixels(coordinate, p0, p1, &box);

  GraphDrawInfo info;
  GraphDrawInfoBuilder builder(&info);
  const int solid = builder.AddCurve(StyledCurve(*this, LINE_STYLE_SOLID));
  const int dashed = builder.AddCurve(StyledCurve(*this, LINE_STYLE_DASH));
  builder.AddCurveLine(solid, {p0, topLeft, p1, bottomRight, p0}, false, false);
  builder.AddCurveLine(solid, {p0, p1}, false, false);
  // Adds the dashed segment from `from` to the pixel position (px, py).
  auto dashTo = [&](const TarnPoint& from, float px, float py) {
    TarnPoint to;
    if (inPixels && TarnGeometry::FromPixels(coordinate, px, py, &to)) {
      builder.AddCurveLine(dashed, {from, to}, false, false);
    }
  };
  for (int k = 1; k <= 2; ++k) dashTo(p0, box.x0 + (box.x1 - box.x0) * 0.25f * k, box.y1);
  for (int k = 1; k <= 2; ++k) dashTo(p0, box.x1, box.y0 - (box.y0 - box.y1) * 0.25f * k);
  builder.AddCurveLine(solid, {topLeft, bottomRight}, false, false);
  for (int k = 1; k <= 2; ++k) dashTo(topLeft, box.x0 + (box.x1 - box.x0) * 0.25f * k, box.y0);
  for (int k = 1; k <= 2; ++k) dashTo(topLeft, box.x1, box.y1 + (box.y0 - box.y1) * 0.25f * k);
  drawings.push_back(info);
}

void TarnGraphComplexGannFan::BuildDrawInfo(std::vector<TarnPoint> points) {
  RemoveDuplicatePoints(points);
  if (points.size() < 2) return;
  const TarnPoint p0 = points[0];
  const TarnPoint p1 = points[1];
  GraphDrawInfo info;
  GraphDrawInfoBuilder builder(&info);
  const int lines = builder.AddCurve(TarnToolRecords::ToolCurve(*this));
  const int labels = builder.AddText(TarnToolRecords::LabelText(*this));
  builder.AddTextItem(labels, p1, "1/1", false, TarnPoint{});
  builder.AddCurveLine(lines, {p0, p1}, false, true);

  TarnGeometry::PixelSegment box;
  if (TarnGeometry::ToPixels(coordinate, p0, p1, &box)) {
    // Adds the labelled ray from p0 through the pixel position (px, py).
    auto rayTo = [&](float px, float py, const char* label) {
      TarnPoint q;
      if (!TarnGeometry::FromPixels(coordinate, px, py, &q)) return;
      builder.AddTextItem(labels, q, label, false, TarnPoint{});
      builder.AddCurveLine(lines, {p0, q}, false, true);
    };
    for (const FanRatio& r : kFanRatios) rayTo(box.x0 + (box.x1 - box.x0) * r.ratio, box.y1, r.label);
    for (const FanRatio& r : kFanRatios) rayTo(box.x1, box.y0 + (box.y1 - box.y0) * r.ratio, r.label);
  }
  drawings.push_back(info);
}
