// Arrow tools and the arrow head.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "drawtools/arrow_tools.h"
#include "support/drawing_checks.h"
#include "support/shape_fixture.h"

using namespace TarnDrawInfo;

namespace {

// Barb ends by plain vector arithmetic: from the tip, 10 pixels along the
// shaft direction back towards the tail, turned by +-30 degrees.
std::vector<std::pair<double, double>> BarbOracle(double ax, double ay, double bx, double by) {
  const double len = std::hypot(ax - bx, ay - by);
  const double ux = (ax - bx) / len, uy = (ay - by) / len;
  std::vector<std::pair<double, double>> out;
  for (double deg : {30.0, -30.0}) {
    const double r = deg * M_PI / 180.0;
    out.push_back(
        {bx + 10.0 * (ux * std::cos(r) - uy * std::sin(r)), by + 10.0 * (ux * std::sin(r) + uy * std::cos(r))});
  }
  return out;
}

class ArrowToolsTest : public ::testing::Test {
 protected:
  // The pixel positions of the barb ends ArrowHead adds for pixel a -> b.
  std::vector<std::pair<float, float>> Barbs(float ax, float ay, float bx, float by) {
    GraphDrawInfo info;
    GraphDrawInfoBuilder builder(&info);
    const int id = builder.AddCurve(GetCurve(GetDefaultColor(), 1.0f, LINE_STYLE_SOLID));
    const TarnPoint a{coord.Bar(ax), coord.Price(ay)};
    const TarnPoint b{coord.Bar(bx), coord.Price(by)};
    ArrowHead(&coord, builder, id, a, b);
    std::vector<std::pair<float, float>> ends;
    for (const CurveLine& line : info.curves[0].lines) {
      const auto pts = LinePoints(line);
      EXPECT_EQ(pts.size(), 2u);
      ExpectPoint(pts[0], b.x, b.y, "barbs start at the tip");
      ends.push_back({coord.Px(pts[1].x), coord.Py(pts[1].y)});
    }
    return ends;
  }
  TestCoordinate coord;
};

TEST_F(ArrowToolsTest, ArrowHeadOfTheExamples) {
  auto e = Barbs(0, 0, 100, 0);
  ASSERT_EQ(e.size(), 2u);
  EXPECT_NEAR(e[0].first, 91.34, 0.01);
  EXPECT_NEAR(e[0].second, -5.0, 0.01);
  EXPECT_NEAR(e[1].first, 91.34, 0.01);
  EXPECT_NEAR(e[1].second, 5.0, 0.01);
  e = Barbs(50, 100, 50, 0);
  ASSERT_EQ(e.size(), 2u);
  EXPECT_NEAR(e[0].first, 45.0, 0.01);
  EXPECT_NEAR(e[0].second, 8.66, 0.01);
  EXPECT_NEAR(e[1].first, 55.0, 0.01);
  EXPECT_NEAR(e[1].second, 8.66, 0.01);
}

TEST_F(ArrowToolsTest, ArrowHeadPointsBackInEveryDirection) {
  const float tails[][2] = {{0, 0}, {200, 0}, {100, 200}, {100, -80}, {130, 140}, {40, 60}, {100, 37}};
  for (const auto& t : tails) {
    const auto got = Barbs(t[0], t[1], 100, 100);
    const auto want = BarbOracle(t[0], t[1], 100, 100);
    ASSERT_EQ(got.size(), 2u);
    // The two barbs in either order.
    const bool same =
        std::fabs(got[0].first - want[0].first) < 0.01 && std::fabs(got[0].second - want[0].second) < 0.01;
    const size_t first = same ? 0 : 1;
    EXPECT_NEAR(got[0].first, want[first].first, 0.01) << t[0] << "," << t[1];
    EXPECT_NEAR(got[0].second, want[first].second, 0.01) << t[0] << "," << t[1];
    EXPECT_NEAR(got[1].first, want[1 - first].first, 0.01) << t[0] << "," << t[1];
    EXPECT_NEAR(got[1].second, want[1 - first].second, 0.01) << t[0] << "," << t[1];
  }
}

TEST_F(ArrowToolsTest, ArrowHeadAddsNothingForOnePointOrFailedConversions) {
  EXPECT_TRUE(Barbs(100, 100, 100, 100).empty());
  coord.refusePriceToPixel = true;
  GraphDrawInfo info;
  GraphDrawInfoBuilder builder(&info);
  const int id = builder.AddCurve(GetCurve(GetDefaultColor(), 1.0f, LINE_STYLE_SOLID));
  ArrowHead(&coord, builder, id, TarnPoint{1, 2}, TarnPoint{3, 4});
  ArrowHead(nullptr, builder, id, TarnPoint{1, 2}, TarnPoint{3, 4});
  EXPECT_TRUE(info.curves[0].lines.empty());
}

TEST_F(ArrowToolsTest, ArrowIsShaftAndHeadInOneSolidRecord) {
  ToolHandle tool(TARN_GRAPH_ARROW);
  tool->SetCoordinate(&coord);
  tool->SetLineStyle(2);
  tool->SetPoints(Anchors({{2, 10.0}, {8, 10.0}}));
  const CurveDrawInfo& curve = OnlyCurve(tool->GetDrawInfo());
  EXPECT_EQ(curve.lineStyle, LINE_STYLE_SOLID);
  ASSERT_EQ(curve.lines.size(), 3u);
  ExpectPoint(LinePoints(curve.lines[0])[0], 2, 10.0);
  ExpectPoint(LinePoints(curve.lines[0])[1], 8, 10.0);
  // Barbs 10 pixels long: 0.866 bars back, 0.5 price units either side.
  ExpectPoint(LinePoints(curve.lines[1])[1], 8 - 0.866025f, 10.5);
  ExpectPoint(LinePoints(curve.lines[2])[1], 8 - 0.866025f, 9.5);
}

TEST_F(ArrowToolsTest, RiseAndDropArrowsAreTwentyPixelsLong) {
  struct Case {
    int type;
    float tailRow, tipRow;
  };
  const Case cases[] = {{TARN_GRAPH_RISE_ARROW, 200, 180}, {TARN_GRAPH_DROP_ARROW, 180, 200}};
  for (const Case& c : cases) {
    ToolHandle tool(c.type);
    tool->SetCoordinate(&coord);
    EXPECT_TRUE(tool->OnAddPoint(50, 200)) << "one click completes it";
    const CurveDrawInfo& curve = OnlyCurve(tool->GetDrawInfo());
    ASSERT_EQ(curve.lines.size(), 3u);
    const auto shaft = LinePoints(curve.lines[0]);
    EXPECT_NEAR(coord.Py(shaft[0].y), c.tailRow, 1e-3) << c.type;
    EXPECT_NEAR(coord.Py(shaft[1].y), c.tipRow, 1e-3) << c.type;
    EXPECT_FLOAT_EQ(shaft[0].x, 5.0f);
    EXPECT_FLOAT_EQ(shaft[1].x, 5.0f);
    // The head sits at the tip: barbs 8.66 pixels back towards the tail.
    for (size_t i = 1; i < 3; ++i) {
      const auto barb = LinePoints(curve.lines[i]);
      EXPECT_NEAR(coord.Py(barb[0].y), c.tipRow, 1e-3);
      EXPECT_NEAR(coord.Py(barb[1].y), c.tipRow + (c.tailRow - c.tipRow) * 0.433f, 1e-2);
    }
  }
}

TEST_F(ArrowToolsTest, RiseArrowWithTwoPointsDrawsLikeAnArrow) {
  ToolHandle tool(TARN_GRAPH_RISE_ARROW);
  tool->SetCoordinate(&coord);
  tool->SetPoints(Anchors({{2, 10.0}, {8, 30.0}}));
  const CurveDrawInfo& curve = OnlyCurve(tool->GetDrawInfo());
  ASSERT_EQ(curve.lines.size(), 3u);
  ExpectPoint(LinePoints(curve.lines[0])[1], 8, 30.0);
}

TEST_F(ArrowToolsTest, RiseArrowWithoutPriceConversionDrawsNothing) {
  ToolHandle tool(TARN_GRAPH_RISE_ARROW);
  tool->SetPoints(Anchors({{2, 10.0}}));
  TestCoordinate bad;
  bad.hostile = true;
  tool->SetCoordinate(&bad);
  EXPECT_TRUE(tool->GetDrawInfo().empty());
}

}  // namespace
