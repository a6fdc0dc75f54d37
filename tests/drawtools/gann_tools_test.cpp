// Gann tools: speed-resistance lines, Gann box, Gann fan.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "support/drawing_checks.h"
#include "support/shape_fixture.h"

using namespace TarnDrawInfo;

namespace {

class GannToolsTest : public ::testing::Test {
 protected:
  const std::vector<GraphDrawInfo>& Draw(ToolHandle& tool, const std::vector<std::pair<float, double>>& points) {
    tool->SetCoordinate(&coord);
    tool->SetPoints(Anchors(points));
    return tool->GetDrawInfo();
  }
  TestCoordinate coord;  // 10 pixels per bar, 10 pixels per price unit
};

TEST_F(GannToolsTest, SpeedLinesAimAtTheDecimalThirdsOfTheRise) {
  ToolHandle tool(TARN_GRAPH_COMPLEX_SPEED_RESISTANCE);
  tool->SetLineStyle(3);  // the tool's own style is not used
  const auto& drawings = Draw(tool, {{0, 10.0}, {10, 20.0}});
  ASSERT_EQ(drawings.size(), 1u);
  ASSERT_EQ(drawings[0].curves.size(), 2u);
  const CurveDrawInfo& solid = drawings[0].curves[0];
  const CurveDrawInfo& dashed = drawings[0].curves[1];
  EXPECT_EQ(solid.lineStyle, LINE_STYLE_SOLID);
  EXPECT_EQ(dashed.lineStyle, LINE_STYLE_DASH);
  ASSERT_EQ(solid.lines.size(), 1u);
  ExpectPoint(LinePoints(solid.lines[0])[1], 10, 20.0);
  ASSERT_EQ(dashed.lines.size(), 2u);
  ExpectPoint(LinePoints(dashed.lines[0])[1], 10, 13.33, "0.667 down");
  ExpectPoint(LinePoints(dashed.lines[1])[1], 10, 16.67, "0.333 down");
  for (const auto* record : {&solid, &dashed}) {
    for (const CurveLine& line : record->lines) {
      ExpectPoint(LinePoints(line)[0], 0, 10.0);
      EXPECT_FALSE(line.extendStart);
      EXPECT_TRUE(line.extendEnd);
    }
  }
}

TEST_F(GannToolsTest, GannBoxQuarterLinesOnALinearPane) {
  ToolHandle tool(TARN_GRAPH_COMPLEX_GANN_BOX);
  const float x0 = 2, x1 = 10;
  const double y0 = 10, y1 = 30;
  const auto& drawings = Draw(tool, {{x0, y0}, {x1, y1}});
  ASSERT_EQ(drawings.size(), 1u);
  ASSERT_EQ(drawings[0].curves.size(), 2u);
  const CurveDrawInfo& solid = drawings[0].curves[0];
  const CurveDrawInfo& dashed = drawings[0].curves[1];
  ASSERT_EQ(solid.lines.size(), 3u);
  const auto box = LinePoints(solid.lines[0]);
  ASSERT_EQ(box.size(), 5u);
  ExpectPoint(box[1], x0, y1);
  ExpectPoint(box[3], x1, y0);
  ExpectPoint(LinePoints(solid.lines[2])[0], x0, y1, "other diagonal");
  ExpectPoint(LinePoints(solid.lines[2])[1], x1, y0, "other diagonal");
  // On a linear pane the pixel quarters are the chart quarters.
  ASSERT_EQ(dashed.lines.size(), 8u);
  const float qx[] = {x0 + (x1 - x0) * 0.25f, x0 + (x1 - x0) * 0.5f};
  const double qy[] = {y0 + (y1 - y0) * 0.25, y0 + (y1 - y0) * 0.5};
  const TarnPoint expectedEnds[] = {{qx[0], y1},
                                    {qx[1], y1},
                                    {x1, qy[0]},
                                    {x1, qy[1]},
                                    {qx[0], y0},
                                    {qx[1], y0},
                                    {x1, y1 - (y1 - y0) * 0.25},
                                    {x1, y1 - (y1 - y0) * 0.5}};
  for (size_t i = 0; i < 8; ++i) {
    const auto pts = LinePoints(dashed.lines[i]);
    ExpectPoint(pts[0], x0, i < 4 ? y0 : y1, "start corner");
    ExpectPoint(pts[1], expectedEnds[i].x, expectedEnds[i].y, "quarter point");
  }
}

TEST_F(GannToolsTest, GannFanHasNineLabelledRays) {
  ToolHandle tool(TARN_GRAPH_COMPLEX_GANN_FAN);
  const auto& drawings = Draw(tool, {{0, 10.0}, {8, 20.0}});
  ASSERT_EQ(drawings.size(), 1u);
  ASSERT_EQ(drawings[0].curves.size(), 1u);
  ASSERT_EQ(drawings[0].texts.size(), 1u);
  const CurveDrawInfo& rays = drawings[0].curves[0];
  const TextDrawInfo& labels = drawings[0].texts[0];
  EXPECT_EQ(labels.alignment, 0x11);
  EXPECT_EQ(labels.fontSize, 12.0f);
  const std::vector<std::string> expected = {"1/1", "1/8", "1/4", "1/3", "1/2", "1/8", "1/4", "1/3", "1/2"};
  EXPECT_EQ(TextsOf(labels), expected);
  ASSERT_EQ(rays.lines.size(), 9u);
  const float ratios[] = {0.125f, 0.25f, 0.333f, 0.5f};
  for (size_t i = 0; i < 4; ++i) {
    ExpectPoint(LinePoints(rays.lines[1 + i])[1], 8 * ratios[i], 20.0, "steep");
    // Pixel rows are floats: the shallow ends agree to float precision.
    EXPECT_NEAR(LinePoints(rays.lines[5 + i])[1].x, 8.0f, 1e-4);
    EXPECT_NEAR(LinePoints(rays.lines[5 + i])[1].y, 10.0 + 10.0 * ratios[i], 1e-4);
  }
  for (size_t i = 0; i < 9; ++i) {
    ExpectPoint(LinePoints(rays.lines[i])[0], 0, 10.0);
    EXPECT_TRUE(rays.lines[i].extendEnd);
    EXPECT_FALSE(rays.lines[i].extendStart);
    // Each label sits at the point its ray aims at.
    ExpectPoint(labels.items[i].position, LinePoints(rays.lines[i])[1].x, LinePoints(rays.lines[i])[1].y);
  }
}

// Without pixel conversions only the chart-space lines remain.
TEST_F(GannToolsTest, FailingOrNonFiniteConversionsLeaveOutThePixelLines) {
  for (bool hostile : {false, true}) {
    ToolHandle box(TARN_GRAPH_COMPLEX_GANN_BOX);
    ToolHandle fan(TARN_GRAPH_COMPLEX_GANN_FAN);
    box->SetPoints(Anchors({{0, 10}, {8, 20}}));
    fan->SetPoints(Anchors({{0, 10}, {8, 20}}));
    TestCoordinate bad;
    bad.refuseBarToPixel = !hostile;
    bad.hostile = hostile;
    box->SetCoordinate(&bad);
    fan->SetCoordinate(&bad);
    const auto& boxDrawing = box->GetDrawInfo();
    ASSERT_EQ(boxDrawing.size(), 1u);
    EXPECT_EQ(boxDrawing[0].curves[0].lines.size(), 3u);
    EXPECT_TRUE(boxDrawing[0].curves[1].lines.empty());
    const auto& fanDrawing = fan->GetDrawInfo();
    ASSERT_EQ(fanDrawing.size(), 1u);
    EXPECT_EQ(fanDrawing[0].curves[0].lines.size(), 1u);
    EXPECT_TRUE(AllPointsFinite(boxDrawing));
    EXPECT_TRUE(AllPointsFinite(fanDrawing));
  }
}

TEST_F(GannToolsTest, EqualPointsDrawNothing) {
  for (int type : {60, 61, 62}) {
    ToolHandle tool(type);
    EXPECT_TRUE(Draw(tool, {{3, 4}, {3, 4}}).empty()) << type;
  }
}

}  // namespace
