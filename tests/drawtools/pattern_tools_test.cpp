// Pattern tools: wave polylines, ABCD, XABCD, head and shoulders and the
// converging triangle.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "drawtools/pattern_tools.h"
#include "support/drawing_checks.h"
#include "support/shape_fixture.h"

using namespace TarnDrawInfo;

namespace {

class PatternToolsTest : public ::testing::Test {
 protected:
  const std::vector<GraphDrawInfo>& Draw(ToolHandle& tool, const std::vector<std::pair<float, double>>& points) {
    tool->SetCoordinate(&coord);
    tool->SetPoints(Anchors(points));
    return tool->GetDrawInfo();
  }
  // Clicks all points but the last, then moves the mouse to the last one.
  const std::vector<GraphDrawInfo>& Place(ToolHandle& tool, const std::vector<std::pair<float, double>>& points) {
    tool->SetCoordinate(&coord);
    for (size_t i = 0; i + 1 < points.size(); ++i)
      tool->OnAddPoint(coord.Px(points[i].first), coord.Py(points[i].second));
    tool->OnPreviewPoint(coord.Px(points.back().first), coord.Py(points.back().second));
    return tool->GetDrawInfo();
  }
  TestCoordinate coord;
};

TEST_F(PatternToolsTest, WavePolylinesDropRepeatedPoints) {
  const int types[] = {TARN_GRAPH_PATTERN_3, TARN_GRAPH_PATTERN_5, TARN_GRAPH_PATTERN_8, TARN_GRAPH_PATTERN_MW};
  for (int type : types) {
    ToolHandle tool(type);
    std::vector<std::pair<float, double>> points;
    for (unsigned i = 0; i < tool->GetPointCount(); ++i)
      points.push_back({static_cast<float>(2 * i), i % 2 ? 20.0 : 10.0});
    points[1] = points[0];  // a repeated click
    const CurveDrawInfo& curve = OnlyCurve(Draw(tool, points));
    ASSERT_EQ(curve.lines.size(), 1u) << type;
    EXPECT_EQ(LinePoints(curve.lines[0]).size(), points.size() - 1) << type;
    EXPECT_FALSE(curve.lines[0].extendStart || curve.lines[0].extendEnd);
  }
}

TEST_F(PatternToolsTest, AbcdLabelsAndRatios) {
  ToolHandle tool(TARN_GRAPH_PATTERN_ABCD);
  tool->SetLineStyle(3);
  const auto& drawings = Draw(tool, {{0, 10.0}, {2, 20.0}, {4, 15.0}, {6, 25.0}});
  ASSERT_EQ(drawings.size(), 1u);
  ASSERT_EQ(drawings[0].curves.size(), 2u);
  EXPECT_EQ(drawings[0].curves[0].lineStyle, LINE_STYLE_SOLID);
  EXPECT_EQ(LinePoints(drawings[0].curves[0].lines.at(0)).size(), 4u);
  const CurveDrawInfo& dashed = drawings[0].curves[1];
  EXPECT_EQ(dashed.lineStyle, LINE_STYLE_DASH);
  ASSERT_EQ(dashed.lines.size(), 2u);
  ExpectPoint(LinePoints(dashed.lines[0])[1], 4, 15.0, "A-C");
  ExpectPoint(LinePoints(dashed.lines[1])[0], 2, 20.0, "B-D");
  const TextDrawInfo& labels = drawings[0].texts.at(0);
  const std::vector<std::string> expected = {"A", "B", "C", "0.5", "D", "2"};
  ASSERT_EQ(TextsOf(labels), expected);
  ExpectPoint(labels.items[3].position, 2, 12.5, "midpoint of A and C");
  ExpectPoint(labels.items[5].position, 4, 22.5, "midpoint of B and D");
}

TEST_F(PatternToolsTest, AbcdWithThreePointsHasNoD) {
  ToolHandle tool(TARN_GRAPH_PATTERN_ABCD);
  const auto& drawings = Place(tool, {{0, 10.0}, {2, 20.0}, {4, 15.0}});
  ASSERT_EQ(drawings.size(), 1u);
  const std::vector<std::string> expected = {"A", "B", "C", "0.5"};
  EXPECT_EQ(TextsOf(drawings[0].texts.at(0)), expected);
  EXPECT_EQ(drawings[0].curves.at(1).lines.size(), 1u);
}

TEST_F(PatternToolsTest, RatioOverEqualPricesGetsNoLabel) {
  EXPECT_EQ(PatternRatioText(5.0, -10.0), "0.5");
  EXPECT_EQ(PatternRatioText(1.0, 3.0), "0.333333");
  EXPECT_EQ(PatternRatioText(5.0, 0.0), "");
  EXPECT_EQ(PatternRatioText(0.0, 0.0), "");
  ToolHandle tool(TARN_GRAPH_PATTERN_ABCD);
  const auto& drawings = Draw(tool, {{0, 10.0}, {2, 10.0}, {4, 15.0}, {6, 25.0}});
  const std::vector<std::string> expected = {"A", "B", "C", "D", "2"};
  EXPECT_EQ(TextsOf(drawings.at(0).texts.at(0)), expected);
}

TEST_F(PatternToolsTest, XabcdAfterThreePoints) {
  ToolHandle tool(TARN_GRAPH_PATTERN_XABCD);
  const auto& drawings = Place(tool, {{0, 10.0}, {2, 20.0}, {4, 15.0}});
  ASSERT_EQ(drawings.size(), 1u);
  ASSERT_EQ(drawings[0].curves.size(), 3u);
  const CurveDrawInfo& fill = drawings[0].curves[1];
  EXPECT_EQ(fill.fillStyle, FILL_STYLE_SOLID);
  EXPECT_EQ(fill.fillColor.colorId, 4);
  ASSERT_EQ(fill.lines.size(), 1u);
  const auto triangle = LinePoints(fill.lines[0]);
  ASSERT_EQ(triangle.size(), 3u);
  ExpectPoint(triangle[1], 2, 20.0, "A");
  const CurveDrawInfo& dashed = drawings[0].curves[2];
  ASSERT_EQ(dashed.lines.size(), 1u);
  ExpectPoint(LinePoints(dashed.lines[0])[0], 0, 10.0, "X");
  ExpectPoint(LinePoints(dashed.lines[0])[1], 4, 15.0, "B");
  const TextDrawInfo& labels = drawings[0].texts.at(0);
  const std::vector<std::string> expected = {"X", "A", "B", "0.5"};
  ASSERT_EQ(TextsOf(labels), expected);
  ExpectPoint(labels.items[3].position, 2, 12.5);
}

TEST_F(PatternToolsTest, XabcdComplete) {
  ToolHandle tool(TARN_GRAPH_PATTERN_XABCD);
  const auto& drawings = Draw(tool, {{0, 10.0}, {2, 30.0}, {4, 20.0}, {6, 28.0}, {8, 14.0}});
  ASSERT_EQ(drawings.size(), 1u);
  const CurveDrawInfo& fill = drawings[0].curves.at(1);
  ASSERT_EQ(fill.lines.size(), 2u);
  ExpectPoint(LinePoints(fill.lines[1])[1], 6, 28.0, "C of BCD");
  const CurveDrawInfo& dashed = drawings[0].curves.at(2);
  ASSERT_EQ(dashed.lines.size(), 3u);
  const auto bdx = LinePoints(dashed.lines[2]);
  ASSERT_EQ(bdx.size(), 3u);
  ExpectPoint(bdx[2], 0, 10.0, "back to X");
  // AB/XA = 10/20, BC/AB = 8/10, CD/BC = 14/8, AD/XA = 16/20.
  const std::vector<std::string> expected = {"X", "A", "B", "0.5", "C", "0.8", "D", "1.75", "0.8"};
  const TextDrawInfo& labels = drawings[0].texts.at(0);
  ASSERT_EQ(TextsOf(labels), expected);
  ExpectPoint(labels.items[8].position, 4, 12.0, "midpoint of X and D");
}

TEST_F(PatternToolsTest, HeadAndShouldersWithFivePointsHasNoNeckline) {
  ToolHandle tool(TARN_GRAPH_PATTERN_HEAD_SHOULDER);
  const auto& drawings = Place(tool, {{0, 10.0}, {2, 20.0}, {4, 15.0}, {6, 25.0}, {8, 15.0}});
  ASSERT_EQ(drawings.size(), 1u);
  ASSERT_EQ(drawings[0].curves.size(), 2u) << "outline and fill only";
  const CurveDrawInfo& fill = drawings[0].curves[1];
  ASSERT_EQ(fill.lines.size(), 2u);
  ExpectPoint(LinePoints(fill.lines[0])[1], 6, 25.0, "head");
  // The start-to-shoulder line (slope 5) meets the neckline at x = 1.
  ExpectPoint(LinePoints(fill.lines[1])[0], 1, 15.0, "left shoulder base");
}

TEST_F(PatternToolsTest, HeadAndShouldersComplete) {
  ToolHandle tool(TARN_GRAPH_PATTERN_HEAD_SHOULDER);
  const auto& drawings = Draw(tool, {{0, 10.0}, {2, 20.0}, {4, 15.0}, {6, 25.0}, {8, 15.0}, {10, 20.0}, {12, 10.0}});
  ASSERT_EQ(drawings.size(), 1u);
  ASSERT_EQ(drawings[0].curves.size(), 3u);
  const CurveDrawInfo& neckline = drawings[0].curves[2];
  EXPECT_EQ(neckline.lineStyle, LINE_STYLE_DASH);
  ASSERT_EQ(neckline.lines.size(), 1u);
  ExpectPoint(LinePoints(neckline.lines[0])[0], 4, 15.0);
  ExpectPoint(LinePoints(neckline.lines[0])[1], 8, 15.0);
  const CurveDrawInfo& fill = drawings[0].curves[1];
  ASSERT_EQ(fill.lines.size(), 3u);
  ExpectPoint(LinePoints(fill.lines[2])[0], 11, 15.0, "right shoulder base");
  // The outline is drawn last, above the fills.
  EXPECT_EQ(drawings[0].drawOrder.back(), 1000000000000000LL);
  EXPECT_EQ(LinePoints(drawings[0].curves[0].lines.at(0)).size(), 7u);
}

TEST_F(PatternToolsTest, ConvergingTriangleShadesToTheApex) {
  ToolHandle tool(TARN_GRAPH_PATTERN_TRIANGLE);
  const auto& drawings = Draw(tool, {{0, 20.0}, {0, 10.0}, {10, 18.0}, {10, 12.0}});
  ASSERT_EQ(drawings.size(), 1u);
  const std::vector<std::string> letters = {"A", "B", "C", "D"};
  EXPECT_EQ(TextsOf(drawings[0].texts.at(0)), letters);
  const CurveDrawInfo& outline = drawings[0].curves.at(0);
  const CurveDrawInfo& fill = drawings[0].curves.at(1);
  ASSERT_EQ(outline.lines.size(), 2u);
  ASSERT_EQ(fill.lines.size(), 1u);
  const auto shade = LinePoints(fill.lines[0]);
  ASSERT_EQ(shade.size(), 4u);
  ExpectPoint(shade[0], 25, 15.0, "apex");
  ExpectPoint(shade[1], 0, 20.0, "A, farthest from the apex");
  ExpectPoint(shade[2], 0, 10.0, "on B-D below A");
  ExpectPoint(shade[3], 25, 15.0, "closed");
}

TEST_F(PatternToolsTest, ConvergingTriangleFromTheRight) {
  // Apex to the left of A: the point with the largest bar position wins.
  ToolHandle tool(TARN_GRAPH_PATTERN_TRIANGLE);
  const auto& drawings = Draw(tool, {{10, 18.0}, {10, 12.0}, {20, 20.0}, {20, 10.0}});
  const CurveDrawInfo& fill = drawings.at(0).curves.at(1);
  ASSERT_EQ(fill.lines.size(), 1u);
  const auto shade = LinePoints(fill.lines[0]);
  ExpectPoint(shade[0], -5, 15.0, "apex");
  ExpectPoint(shade[1], 20, 20.0, "C");
  ExpectPoint(shade[2], 20, 10.0, "on B-D below C");
}

TEST_F(PatternToolsTest, ConvergingTriangleWithParallelLinesDrawsOnlyPolylineAndLabels) {
  ToolHandle tool(TARN_GRAPH_PATTERN_TRIANGLE);
  const auto& drawings = Draw(tool, {{0, 20.0}, {0, 10.0}, {10, 25.0}, {10, 15.0}});
  ASSERT_EQ(drawings.size(), 1u);
  EXPECT_EQ(drawings[0].curves.at(0).lines.size(), 1u);
  EXPECT_TRUE(drawings[0].curves.at(1).lines.empty());
  EXPECT_EQ(drawings[0].texts.at(0).items.size(), 4u);
}

TEST_F(PatternToolsTest, AngleSnapAppliesToHarmonicPatterns) {
  ToolHandle tool(TARN_GRAPH_PATTERN_ABCD);
  tool->SetCoordinate(&coord);
  tool->SetAngleSnap(true);
  tool->OnAddPoint(100, 300);
  tool->OnPreviewPoint(200, 297);  // 3 pixels off the horizontal
  tool->OnAddPoint(200, 297);
  std::vector<TarnPoint> pts;
  tool->GetDrawPoints(pts);
  ASSERT_GE(pts.size(), 2u);
  // The mouse point snapped back onto the horizontal through the first.
  EXPECT_NEAR(coord.Py(pts.back().y), 300.0f, 1e-3);
}

}  // namespace
