// Arrow tools and the arrow head shared with the range tools.
#include "drawtools/arrow_tools.h"

#include <cmath>

#include "drawtools/geometry.h"
#include "drawtools/tool_records.h"

using namespace TarnDrawInfo;

namespace {

using TarnGeometry::kFloatEpsilon;
constexpr double kDoubleEpsilon = 2.220446049250313e-16;
constexpr double kThirdPi = 1.0471975511965979;
constexpr double kSixthPi = 0.5235987755982988;
constexpr float kBarbPixels = 10.0f;

}  // namespace

void ArrowHead(ITarnGraphCoordinate* coordinate, GraphDrawInfoBuilder& builder, int id, const TarnPoint& a,
               const TarnPoint& b) {
  if (std::fabs(a.x - b.x) < kFloatEpsilon && std::fabs(a.y - b.y) < kDoubleEpsilon) return;
  TarnGeometry::PixelSegment shaft;
  if (!TarnGeometry::ToPixels(coordinate, a, b, &shaft)) return;
  const float pxB = shaft.x1;
  const float pyB = shaft.y1;
  const float dx = pxB - shaft.x0;
  const float dy = pyB - shaft.y0;
  float theta = 1.5707964f;
  float s = pyB <= shaft.y0 ? 1.0f : -1.0f;
  if (std::fabs(dx) >= kFloatEpsilon) {
    theta = std::atan(dy / dx);
    s = pxB <= shaft.x0 ? 1.0f : -1.0f;
  }
  const float phi1 = static_cast<float>(kThirdPi - theta);
  const float phi2 = static_cast<float>(theta - kSixthPi);
  const float length = s * kBarbPixels;
  TarnPoint e1;
  TarnPoint e2;
  if (!TarnGeometry::FromPixels(coordinate, pxB + length * std::sin(phi1), pyB + length * std::cos(phi1), &e1) ||
      !TarnGeometry::FromPixels(coordinate, pxB + length * std::cos(phi2), pyB + length * std::sin(phi2), &e2)) {
    return;
  }
  builder.AddCurveLine(id, {b, e1}, false, false);
  builder.AddCurveLine(id, {b, e2}, false, false);
}

void TarnGraphArrow::BuildDrawInfo(std::vector<TarnPoint> points) {
  if (points.empty()) return;
  const TARN_GRAPH_TYPE type = GetGraphType();
  if (points.size() == 1 && (type == TARN_GRAPH_RISE_ARROW || type == TARN_GRAPH_DROP_ARROW)) {
    // The point 20 pixels above p0: the other end of the short arrow.
    float row = 0.0f;
    TarnPoint above{points[0].x, 0.0};
    if (!TarnGeometry::PriceToPixel(coordinate, points[0].y, &row) ||
        !TarnGeometry::PixelToPrice(coordinate, row - kShortArrowPixels, &above.y)) {
      return;
    }
    if (type == TARN_GRAPH_RISE_ARROW) {
      points.push_back(above);
    } else {
      points.insert(points.begin(), above);
    }
  }
  if (points.size() < 2) return;
  GraphDrawInfo info;
  GraphDrawInfoBuilder builder(&info);
  const int outline = builder.AddCurve(TarnToolRecords::StyledCurve(*this, LINE_STYLE_SOLID));
  builder.AddCurveLine(outline, {points[0], points[1]}, false, false);
  ArrowHead(coordinate, builder, outline, points[0], points[1]);
  drawings.push_back(info);
}
