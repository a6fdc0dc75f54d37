#include "support/shape_fixture.h"

std::vector<TarnGraphPoint> Anchors(const std::vector<std::pair<float, double>>& points) {
  std::vector<TarnGraphPoint> out;
  for (const auto& p : points) out.push_back(TarnGraphPoint{p.first, p.second, TestCoordinate::TimeOf(p.first)});
  return out;
}

std::vector<TarnDrawInfo::TarnPoint> LinePoints(const TarnDrawInfo::CurveLine& line) { return line.points.GetPoint(); }

void ExpectPoint(const TarnDrawInfo::TarnPoint& p, float x, double y, const char* what) {
  EXPECT_NEAR(p.x, x, 1e-4) << what;
  EXPECT_NEAR(p.y, y, 1e-6) << what;
}

const TarnDrawInfo::CurveDrawInfo& OnlyCurve(const std::vector<TarnDrawInfo::GraphDrawInfo>& drawings) {
  static const TarnDrawInfo::CurveDrawInfo empty;
  EXPECT_EQ(drawings.size(), 1u);
  if (drawings.size() != 1) return empty;
  EXPECT_EQ(drawings[0].curves.size(), 1u);
  if (drawings[0].curves.size() != 1) return empty;
  return drawings[0].curves[0];
}

std::vector<TarnGraphPoint> PointsOf(ITarnGraphShapeBase* tool) {
  std::vector<TarnGraphPoint> pts;
  tool->GetPoints(pts);
  return pts;
}
