// Geometric outline shapes.
#include "drawtools/geometric_shapes.h"

#include <cmath>

#include "drawtools/draw_info_builder.h"
#include "drawtools/geometry.h"
#include "drawtools/tool_records.h"

using TarnDrawInfo::GraphDrawInfo;
using TarnDrawInfo::TarnPoint;

namespace {

// One drawing holding one polyline without extensions.
GraphDrawInfo PolylineDrawing(const TarnDrawInfo::CurveDrawInfo& curve, const std::vector<TarnPoint>& points) {
  return TarnToolRecords::LineDrawing(curve, points, false, false);
}

// The closed outline of the rectangle spanned by the first two points.
void BuildRectangle(const TarnDrawInfo::CurveDrawInfo& curve, const std::vector<TarnPoint>& points,
                    std::vector<GraphDrawInfo>& drawings) {
  if (points.size() < 2) return;
  const TarnPoint& p0 = points[0];
  const TarnPoint& p1 = points[1];
  drawings.push_back(PolylineDrawing(
      curve, {p0, TarnPoint{p0.x, p1.y}, TarnPoint{p1.x, p1.y}, TarnPoint{p1.x, p0.y}, TarnPoint{p0.x, p0.y}}));
}

// One drawing holding one ellipse item.
GraphDrawInfo ElipseDrawing(const TarnDrawInfo::ElipseDrawInfo& record, const std::vector<TarnPoint>& points) {
  GraphDrawInfo info;
  GraphDrawInfoBuilder builder(&info);
  const int id = builder.AddElipse(record);
  builder.AddElipsePoints(id, points);
  return info;
}

}  // namespace

void TarnGraphShapeTriangle::BuildDrawInfo(std::vector<TarnPoint> points) {
  if (points.size() < 2) return;
  points.push_back(points[0]);
  drawings.push_back(PolylineDrawing(MainCurve(), points));
}

void TarnGraphShapeRetangle::BuildDrawInfo(std::vector<TarnPoint> points) {
  BuildRectangle(MainCurve(), points, drawings);
}

void TarnGraphShapeParabola::BuildDrawInfo(std::vector<TarnPoint> points) {
  BuildRectangle(MainCurve(), points, drawings);
}

// Without a usable fourth corner (refused conversions) nothing is drawn.
void TarnGraphShapeParallelogram::BuildDrawInfo(std::vector<TarnPoint> points) {
  if (points.size() < 2) return;
  if (points.size() == 2) {
    drawings.push_back(PolylineDrawing(MainCurve(), points));
    return;
  }
  TarnPoint corner;
  if (!TarnGeometry::ParallelPoint(coordinate, points[0], points[1], points[2], &corner)) return;
  drawings.push_back(PolylineDrawing(MainCurve(), {points[0], points[1], points[2], corner, points[0]}));
}

void TarnGraphShapeCircle::BuildDrawInfo(std::vector<TarnPoint> points) {
  if (points.size() < 2) return;
  points.resize(2);
  const auto record =
      TarnDrawInfo::GetElipseFrame(GetLineColor(), static_cast<float>(GetLineWidth()), GetDrawLineStyle());
  drawings.push_back(ElipseDrawing(record, points));
}

// The axis stays horizontal and the third point on the centre's bar.
void TarnGraphShapeElipse::ApplyConstraints() {
  if (anchors.empty()) return;
  const TarnGraphPoint& p0 = anchors[0];
  if (anchors.size() == 1) {
    currentPoint.y = p0.y;
    return;
  }
  anchors[1].y = p0.y;
  const float middle = (p0.x + anchors[1].x) * 0.5f;
  if (!std::isfinite(middle)) return;
  if (anchors.size() >= 3) {
    anchors[2].x = middle;
  } else {
    currentPoint.x = middle;
  }
}

// With two points the ellipse is flat: its third point is the centre.
void TarnGraphShapeElipse::BuildDrawInfo(std::vector<TarnPoint> points) {
  if (points.size() < 2) return;
  if (points.size() == 2) points.push_back(TarnPoint{(points[0].x + points[1].x) * 0.5f, points[0].y});
  points.resize(3);
  const auto record =
      TarnDrawInfo::GetElipseFrame(GetLineColor(), static_cast<float>(GetLineWidth()), GetDrawLineStyle());
  drawings.push_back(ElipseDrawing(record, points));
}
