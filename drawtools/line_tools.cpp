// Line tools. Every builder works on the draw points after duplicate removal
// and puts all its lines into one curve record.
#include "drawtools/line_tools.h"

#include <utility>

#include "drawtools/draw_info_builder.h"
#include "drawtools/geometry.h"
#include "drawtools/tool_records.h"

using TarnDrawInfo::GraphDrawInfo;
using TarnDrawInfo::TarnPoint;

namespace {

// Adds the infinite line through a and b.
void AddInfiniteLine(GraphDrawInfoBuilder& builder, int id, const TarnPoint& a, const TarnPoint& b) {
  builder.AddCurveLine(id, {a, b}, true, true);
}

// Draws all points as one polyline with the given extensions.
void BuildPolyline(std::vector<TarnPoint> points, bool extendEnd, const TarnDrawInfo::CurveDrawInfo& curve,
                   std::vector<GraphDrawInfo>& drawings) {
  TarnGraphShapeBase::RemoveDuplicatePoints(points);
  if (points.size() < 2) return;
  drawings.push_back(TarnToolRecords::LineDrawing(curve, points, false, extendEnd));
}

}  // namespace

// ---- Segments ---------------------------------------------------------------

void TarnGraphLineSegment::BuildDrawInfo(std::vector<TarnPoint> points) {
  BuildPolyline(std::move(points), false, MainCurve(), drawings);
}

void TarnGraphLineSegment::ApplyConstraints() {
  if (angleSnap) SnapAngle();
}

void TarnGraphLineSegment::KeepAtFirstPrice() {
  if (anchors.empty()) return;
  const double price = anchors[0].y;
  if (anchors.size() > 1) anchors[1].y = price;
  currentPoint.y = price;
}

void TarnGraphLineSegmentVertical::ApplyConstraints() {
  if (anchors.empty()) return;
  const TarnGraphPoint& p0 = anchors[0];
  if (anchors.size() > 1) {
    anchors[1].x = p0.x;
    anchors[1].time = p0.time;
  }
  currentPoint.x = p0.x;
  currentPoint.time = p0.time;
}

// ---- Ray and infinite lines -------------------------------------------------

void TarnGraphLineRay::BuildDrawInfo(std::vector<TarnPoint> points) {
  BuildPolyline(std::move(points), true, MainCurve(), drawings);
}

void TarnGraphLineRay::ApplyConstraints() {
  if (angleSnap) SnapAngle();
}

// A single point (the horizontal line) gets a second one a bar to its right.
void TarnGraphLineStraight::BuildDrawInfo(std::vector<TarnPoint> points) {
  if (points.size() >= 2) {
    RemoveDuplicatePoints(points);
    if (points.size() < 2) return;
  }
  if (points.size() == 1) points.push_back(TarnPoint{points[0].x + 1.0f, points[0].y});
  if (points.empty()) return;
  drawings.push_back(TarnToolRecords::LineDrawing(MainCurve(), points, true, true));
}

void TarnGraphLineStraight::ApplyConstraints() {
  if (angleSnap) SnapAngle();
}

// ---- Parallel lines and channel ---------------------------------------------

void TarnGraphLineParallel::BuildDrawInfo(std::vector<TarnPoint> points) {
  RemoveDuplicatePoints(points);
  if (points.size() < 2) return;
  GraphDrawInfo info;
  GraphDrawInfoBuilder builder(&info);
  const int id = builder.AddCurve(MainCurve());
  AddInfiniteLine(builder, id, points[0], points[1]);
  TarnPoint parallel;
  if (points.size() >= 3 && TarnGeometry::ParallelPoint(coordinate, points[0], points[1], points[2], &parallel)) {
    AddInfiniteLine(builder, id, points[2], parallel);
  }
  drawings.push_back(info);
}

// Line 3 is line 1 reflected through the parallel point P', worked out in
// pixel rows so the channel stays even on a non-linear price scale.
void TarnGraphLineAisle::BuildDrawInfo(std::vector<TarnPoint> points) {
  RemoveDuplicatePoints(points);
  if (points.size() < 2) return;
  GraphDrawInfo info;
  GraphDrawInfoBuilder builder(&info);
  const int id = builder.AddCurve(MainCurve());
  const TarnPoint& p0 = points[0];
  const TarnPoint& p1 = points[1];
  AddInfiniteLine(builder, id, p0, p1);
  TarnPoint parallel;
  if (points.size() >= 3 && TarnGeometry::ParallelPoint(coordinate, p0, p1, points[2], &parallel)) {
    AddInfiniteLine(builder, id, points[2], parallel);
    float a = 0.0f;
    float b = 0.0f;
    float c = 0.0f;
    double q0y = 0.0;
    double q1y = 0.0;
    const bool ok = TarnGeometry::PriceToPixel(coordinate, p0.y, &a) &&
                    TarnGeometry::PriceToPixel(coordinate, p1.y, &b) &&
                    TarnGeometry::PriceToPixel(coordinate, parallel.y, &c) &&
                    TarnGeometry::PixelToPrice(coordinate, 2.0f * c - a, &q0y) &&
                    TarnGeometry::PixelToPrice(coordinate, 2.0f * c - b, &q1y);
    if (ok) {
      const TarnPoint q0{2.0f * parallel.x - p0.x, q0y};
      const TarnPoint q1{2.0f * parallel.x - p1.x, q1y};
      AddInfiniteLine(builder, id, q0, q1);
    }
  }
  drawings.push_back(info);
}

// ---- Period lines -----------------------------------------------------------

// Vertical lines at p0.x + i * (p1.x - p0.x); their second point lies at most
// one price unit above p0, kept inside the visible prices.
void TarnGraphLinePeriod::BuildDrawInfo(std::vector<TarnPoint> points) {
  RemoveDuplicatePoints(points);
  if (points.size() < 2) return;
  double maxPrice = 0.0;
  if (!TarnGeometry::GetMaxPrice(coordinate, &maxPrice)) return;
  const TarnPoint& p0 = points[0];
  double h = 1.0;
  if (maxPrice < p0.y + 1.0) h = maxPrice - p0.y;
  // A line needs a direction even when p0 sits on the top edge.
  if (h == 0.0) h = -1.0;
  const float d = points[1].x - p0.x;
  GraphDrawInfo info;
  GraphDrawInfoBuilder builder(&info);
  const int id = builder.AddCurve(MainCurve());
  for (int i = 0; i < kLineCount; ++i) {
    const float x = p0.x + static_cast<float>(i) * d;
    AddInfiniteLine(builder, id, TarnPoint{x, p0.y}, TarnPoint{x, p0.y + h});
  }
  drawings.push_back(info);
}
