// Every tool of the catalogue against panes that refuse conversions or
// answer NaN/infinity: no crash, no non-finite point drawn, no false success.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "drawtools/catalogue.h"
#include "support/shape_fixture.h"

using TarnDrawInfo::GraphDrawInfo;
using TarnDrawInfo::TarnPoint;

namespace {

bool Finite(const TarnPoint& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

// Counts the points of every item in the drawings that are not finite.
int NonFinitePoints(const std::vector<GraphDrawInfo>& drawings) {
  int bad = 0;
  auto check = [&](const std::vector<TarnPoint>& pts) {
    for (const auto& p : pts) bad += Finite(p) ? 0 : 1;
  };
  for (const auto& g : drawings) {
    for (const auto& c : g.curves)
      for (const auto& l : c.lines) check(l.points.GetPoint());
    for (const auto& b : g.bezierCurves)
      for (const auto& v : b.curves) check(v.GetPoint());
    for (const auto& r : g.rectangles)
      for (const auto& c : r.corners) check({c.first, c.second});
    for (const auto& e : g.elipses)
      for (const auto& v : e.elipses) check(v.GetPoint());
    for (const auto& c : g.crosses)
      for (const auto& i : c.crosses) check({i.center});
    for (const auto& t : g.texts)
      for (const auto& i : t.items) check({i.position, i.linkTarget});
    for (const auto& t : g.tdxIcons)
      for (const auto& i : t.icons) check({i.position});
  }
  return bad;
}

enum class Pane { kNaN, kInfinity, kNaNToPixel, kRefuseAll, kTinyArea };

void Configure(TestCoordinate& c, Pane pane) {
  switch (pane) {
    case Pane::kNaN: c.hostile = true; break;
    case Pane::kInfinity:
      c.hostile = true;
      c.hostileValue = std::numeric_limits<double>::infinity();
      break;
    case Pane::kNaNToPixel: c.hostileToPixel = true; break;
    case Pane::kRefuseAll:
      c.refusePixelToPrice = c.refusePriceToPixel = c.refusePixelToBar = c.refuseBarToPixel = true;
      c.refuseBarToTime = c.refuseMaxPrice = true;
      break;
    case Pane::kTinyArea:
      c.minPx = 90;
      c.maxPx = 130;
      c.minPy = 90;
      c.maxPy = 130;
      break;
  }
}

class ToolsRobustness : public ::testing::TestWithParam<Pane> {};

TEST_P(ToolsRobustness, EveryToolSurvivesAHostilePane) {
  size_t count = 0;
  const GraphCatalogueRow* rows = GraphCatalogue(&count);
  for (size_t i = 0; i < count; ++i) {
    const std::string name = rows[i].className;
    TestCoordinate pane;
    Configure(pane, GetParam());
    ToolHandle tool(rows[i].type);
    tool->SetCoordinate(&pane);
    tool->SetAngleSnap(true);
    // Clicks across the pane, previews and drags, then restored anchors.
    for (int k = 0; k < 12; ++k) {
      const float px = 100.0f + 7.0f * static_cast<float>(k);
      const float py = 120.0f - 3.0f * static_cast<float>(k % 4);
      tool->OnPreviewPoint(px, py);
      EXPECT_EQ(NonFinitePoints(tool->GetDrawInfo()), 0) << name;
      tool->OnAddPoint(px, py);
      EXPECT_EQ(NonFinitePoints(tool->GetDrawInfo()), 0) << name;
    }
    tool->OnDrag(100, 120, 140, 90);
    EXPECT_EQ(NonFinitePoints(tool->GetDrawInfo()), 0) << name;

    std::vector<std::pair<float, double>> restored;
    for (unsigned k = 0; k < rows[i].points; ++k) restored.push_back({10.0f + 3.0f * k, 40.0 - (k % 3)});
    tool->SetPoints(Anchors(restored));
    tool->SetExtraPoints(Anchors({{11, 39}, {12, 38}}));
    EXPECT_EQ(NonFinitePoints(tool->GetDrawInfo()), 0) << name;
    tool->OnAddPoint(100, 400);
    EXPECT_FALSE(tool->OnDrag(100, 400, 5000, 5000)) << name;
    for (const auto& p : PointsOf(tool.get())) EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y)) << name;
  }
}

INSTANTIATE_TEST_SUITE_P(Panes, ToolsRobustness,
                         ::testing::Values(Pane::kNaN, Pane::kInfinity, Pane::kNaNToPixel, Pane::kRefuseAll,
                                           Pane::kTinyArea));

}  // namespace

namespace {

// Anchors at the edge of the float range make the channel, period lines and
// ellipse overflow: such drawings are dropped instead of drawn with inf.
TEST(ToolsRobustnessExtreme, OverflowingGeometryDrawsNothing) {
  const float huge = 3.0e38f;
  TestCoordinate pane;
  pane.barWidth = 1e-30f;  // keeps pixel columns finite
  struct Case {
    int type;
    std::vector<std::pair<float, double>> points;
  };
  const Case cases[] = {
      {TARN_GRAPH_LINE_AISLE, {{huge, 10}, {0, 20}, {huge, 30}}},
      {TARN_GRAPH_LINE_PERIOD, {{huge, 10}, {0, 20}}},
      {TARN_GRAPH_SHAPE_ELIPSE, {{huge, 10}, {huge, 10}, {huge, 12}}},
  };
  for (const auto& c : cases) {
    ToolHandle tool(c.type);
    tool->SetCoordinate(&pane);
    tool->SetPoints(Anchors(c.points));
    EXPECT_EQ(NonFinitePoints(tool->GetDrawInfo()), 0) << c.type;
    for (const auto& p : PointsOf(tool.get())) EXPECT_TRUE(std::isfinite(p.x)) << c.type;
  }
}

}  // namespace
