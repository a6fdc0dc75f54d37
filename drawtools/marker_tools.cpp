// Price and text markers.
#include "drawtools/marker_tools.h"

#include <cmath>
#include <limits>

#include "drawtools/draw_info_builder.h"
#include "drawtools/geometry.h"
#include "drawtools/tool_records.h"

using namespace TarnDrawInfo;

namespace {

// Rows the label needs below its point before it goes above instead.
constexpr float kRoomBelow = 60.0f;

// A dragged box width in whole pixels, at least the minimum; a non-number
// gives the minimum.
int BoxWidthFromPixels(float pixels, int minimum) {
  if (!(pixels >= static_cast<float>(minimum))) return minimum;
  if (pixels >= static_cast<float>(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
  return static_cast<int>(pixels);
}

}  // namespace

TarnGraphMarkerPrice::TarnGraphMarkerPrice() {
  lineColor = GetEmptyColor();
  fillColor = GetEmptyColor();
  dirty = true;
}

void TarnGraphMarkerPrice::SetText(const std::string& value) {
  text = value;
  dirty = true;
}

void TarnGraphMarkerPrice::SetFontSize(int size) {
  fontSize = size;
  dirty = true;
}

void TarnGraphMarkerPrice::SetFontStyle(int style) {
  fontStyle = style;
  dirty = true;
}

void TarnGraphMarkerPrice::SetTextColor(TarnColor color) {
  textColor = color;
  dirty = true;
}

void TarnGraphMarkerPrice::SetFontName(const std::string& name) {
  fontName = name;
  dirty = true;
}

void TarnGraphMarkerPrice::SetTextFrameColor(TarnColor color) {
  textFrameColor = color;
  dirty = true;
}

float TarnGraphMarkerPrice::BarWidth() {
  float width = 1.0f;
  TarnGeometry::GetBarWidth(coordinate, &width);
  // So narrow a bar that the label's bar count overflows counts as 1 pixel.
  return width > 0.0f && std::isfinite(kLabelOffsetPixels / width) ? width : 1.0f;
}

void TarnGraphMarkerPrice::AddLabelPoint(float barWidth) {
  if (anchors.size() != 1) return;
  const TarnGraphPoint& p0 = anchors[0];
  TarnGraphPoint label;
  label.x = p0.x + std::ceil(kLabelOffsetPixels / barWidth);
  if (!std::isfinite(label.x)) return;
  label.time = p0.time;
  TarnGeometry::BarToTime(coordinate, label.x, &label.time);
  float row = 0.0f;
  float bottom = 0.0f;
  TarnGeometry::PriceToPixel(coordinate, p0.y, &row);
  TarnGeometry::GetPlotBottom(coordinate, &bottom);
  const float labelRow = bottom > row + kRoomBelow ? row + kLabelRowOffset : row - kLabelRowOffset;
  label.y = 0.0;
  TarnGeometry::PixelToPrice(coordinate, labelRow, &label.y);
  anchors.push_back(label);
}

void TarnGraphMarkerPrice::ApplyConstraints() {
  if (anchors.empty()) return;
  AddLabelPoint(BarWidth());
  SetText(TarnToolRecords::FormatFixed(anchors[0].y, 3));
}

void TarnGraphMarkerPrice::BuildDrawInfo(std::vector<TarnPoint> points) {
  if (points.size() < 2) return;
  GraphDrawInfo info;
  GraphDrawInfoBuilder builder(&info);
  const int id =
      builder.AddText(TarnDrawInfo::GetText(textColor, textFrameColor, GetFillColor(), static_cast<float>(fontSize),
                                            TarnToolRecords::kLabelAlignment, fontName, fontStyle, 0));
  builder.AddTextItem(id, points[1], text, true, points[0]);
  drawings.push_back(info);
}

void TarnGraphMarkerText::SetTextBoxWidth(int width) {
  textBoxWidth = width;
  dirty = true;
}

void TarnGraphMarkerText::ApplyConstraints() {
  if (anchors.empty()) return;
  const float barWidth = BarWidth();
  AddLabelPoint(barWidth);
  if (anchors.size() < 2) return;
  // The width handle: textBoxWidth pixels right of the label, at its price.
  const TarnGraphPoint& label = anchors[1];
  TarnGraphPoint handle;
  handle.x = label.x + static_cast<float>(textBoxWidth) / barWidth;
  handle.y = label.y;
  handle.time = label.time;
  if (!std::isfinite(handle.x) || !TarnGeometry::BarToTime(coordinate, handle.x, &handle.time)) return;
  if (anchors.size() > 2) {
    anchors[2] = handle;
  } else {
    anchors.push_back(handle);
  }
}

bool TarnGraphMarkerText::OnDrag(float fromX, float fromY, float toX, float toY) {
  float px = 0.0f;
  float py = 0.0f;
  if (selectedHotPoint != 2 || anchors.size() < 3 ||
      !TarnGeometry::ToPixels(coordinate, anchors[2].x, anchors[2].y, &px, &py)) {
    return TarnGraphShapeBase::OnDrag(fromX, fromY, toX, toY);
  }
  float labelPx = 0.0f;
  if (TarnGeometry::BarToPixel(coordinate, anchors[1].x, &labelPx)) {
    SetTextBoxWidth(BoxWidthFromPixels(toX - labelPx, kMinTextBoxWidth));
    ApplyConstraints();
  }
  return true;
}

void TarnGraphMarkerText::BuildDrawInfo(std::vector<TarnPoint> points) {
  if (text.empty() || points.size() < 3) return;
  GraphDrawInfo info;
  GraphDrawInfoBuilder builder(&info);
  const int id =
      builder.AddText(TarnDrawInfo::GetText(textColor, GetLineColor(), GetFillColor(), static_cast<float>(fontSize),
                                            TarnToolRecords::kLabelAlignment, fontName, fontStyle, textBoxWidth));
  builder.AddTextItem(id, points[1], text, true, points[0]);
  drawings.push_back(info);
}
