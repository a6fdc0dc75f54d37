// Line tools: what each draws for its anchors, and their constraints.
#include <gtest/gtest.h>

#include <vector>

#include "support/shape_fixture.h"

using TarnDrawInfo::CurveDrawInfo;
using TarnDrawInfo::TarnPoint;

namespace {

class LineToolsTest : public ::testing::Test {
 protected:
  // A tool of `type` on the test pane holding the given anchors.
  const std::vector<TarnDrawInfo::GraphDrawInfo>& Draw(ToolHandle& tool,
                                                       const std::vector<std::pair<float, double>>& points) {
    tool->SetCoordinate(&coord);
    tool->SetPoints(Anchors(points));
    return tool->GetDrawInfo();
  }
  TestCoordinate coord;
};

TEST_F(LineToolsTest, SegmentRayAndLineDifferOnlyInExtensions) {
  struct Case {
    int type;
    bool extendStart, extendEnd;
  };
  const Case cases[] = {{1, false, false}, {2, false, false}, {3, false, false}, {4, false, true}, {5, true, true}};
  for (const auto& c : cases) {
    ToolHandle tool(c.type);
    tool->SetLineColor(TarnDrawInfo::GetColorByValue(0xFF0000FFu));
    tool->SetLineWidth(3);
    tool->SetLineStyle(2);
    // Points chosen to satisfy the horizontal and vertical constraints.
    const float x1 = c.type == 3 ? 2.0f : 8.0f;
    const double y1 = c.type == 2 ? 5.0 : 9.0;
    const CurveDrawInfo& curve = OnlyCurve(Draw(tool, {{2, 5}, {x1, y1}}));
    ASSERT_EQ(curve.lines.size(), 1u) << c.type;
    EXPECT_EQ(curve.lineColor.colorValue, 0xFF0000FFu);
    EXPECT_EQ(curve.lineWidth, 3.0f);
    EXPECT_EQ(curve.lineStyle, TarnDrawInfo::LINE_STYLE_DOT);
    EXPECT_EQ(curve.fillStyle, TarnDrawInfo::FILL_STYLE_NONE);
    EXPECT_EQ(curve.lines[0].extendStart, c.extendStart) << c.type;
    EXPECT_EQ(curve.lines[0].extendEnd, c.extendEnd) << c.type;
    const auto pts = LinePoints(curve.lines[0]);
    ASSERT_EQ(pts.size(), 2u);
    ExpectPoint(pts[0], 2, 5);
    ExpectPoint(pts[1], x1, y1);
  }
}

TEST_F(LineToolsTest, EqualPointsDrawNothing) {
  for (int type : {1, 4, 5, 6, 7, 8}) {
    ToolHandle tool(type);
    tool->SetCoordinate(&coord);
    tool->SetPoints(Anchors({{3, 4}, {3, 4}, {3, 4}}));
    EXPECT_TRUE(tool->GetDrawInfo().empty()) << type;
  }
}

TEST_F(LineToolsTest, RayFollowsTheMouseWhilePlacing) {
  ToolHandle tool(4);
  tool->SetCoordinate(&coord);
  EXPECT_FALSE(tool->OnAddPoint(20, 450));  // bar 2, price 5
  tool->OnPreviewPoint(60, 400);            // bar 6, price 10
  const CurveDrawInfo& curve = OnlyCurve(tool->GetDrawInfo());
  ASSERT_EQ(curve.lines.size(), 1u);
  EXPECT_FALSE(curve.lines[0].extendStart);
  EXPECT_TRUE(curve.lines[0].extendEnd);
  const auto pts = LinePoints(curve.lines[0]);
  ASSERT_EQ(pts.size(), 2u);
  ExpectPoint(pts[0], 2, 5);
  ExpectPoint(pts[1], 6, 10);
}

TEST_F(LineToolsTest, HorizontalLineNeedsOneClick) {
  ToolHandle tool(9);
  tool->SetCoordinate(&coord);
  EXPECT_TRUE(tool->OnAddPoint(70, 380));  // bar 7, price 12
  const CurveDrawInfo& curve = OnlyCurve(tool->GetDrawInfo());
  ASSERT_EQ(curve.lines.size(), 1u);
  EXPECT_TRUE(curve.lines[0].extendStart);
  EXPECT_TRUE(curve.lines[0].extendEnd);
  const auto pts = LinePoints(curve.lines[0]);
  ASSERT_EQ(pts.size(), 2u);
  ExpectPoint(pts[0], 7, 12);
  ExpectPoint(pts[1], 8, 12);
}

TEST_F(LineToolsTest, ParallelLines) {
  ToolHandle two(6);
  two->SetCoordinate(&coord);
  two->OnAddPoint(0, 500);        // (0, 0)
  two->OnPreviewPoint(100, 400);  // (10, 10)
  {
    const CurveDrawInfo& curve = OnlyCurve(two->GetDrawInfo());
    ASSERT_EQ(curve.lines.size(), 1u);  // only line 1 before the third point exists
    ExpectPoint(LinePoints(curve.lines[0])[1], 10, 10);
  }
  ToolHandle three(6);
  const CurveDrawInfo& curve = OnlyCurve(Draw(three, {{0, 0}, {10, 10}, {20, 10}}));
  ASSERT_EQ(curve.lines.size(), 2u);
  const auto l2 = LinePoints(curve.lines[1]);
  ASSERT_EQ(l2.size(), 2u);
  ExpectPoint(l2[0], 20, 10);
  ExpectPoint(l2[1], 10, 0);
  EXPECT_TRUE(curve.lines[1].extendStart && curve.lines[1].extendEnd);
}

TEST_F(LineToolsTest, ChannelReflectsLineOneThroughTheParallelPoint) {
  ToolHandle tool(8);
  const CurveDrawInfo& curve = OnlyCurve(Draw(tool, {{0, 10}, {10, 20}, {0, 30}}));
  ASSERT_EQ(curve.lines.size(), 3u);
  const auto l1 = LinePoints(curve.lines[0]);
  const auto l2 = LinePoints(curve.lines[1]);
  const auto l3 = LinePoints(curve.lines[2]);
  ExpectPoint(l1[0], 0, 10);
  ExpectPoint(l1[1], 10, 20);
  ExpectPoint(l2[0], 0, 30);
  ExpectPoint(l2[1], -10, 20);
  ExpectPoint(l3[0], -20, 30);
  ExpectPoint(l3[1], -30, 20);
  for (const auto& line : curve.lines) EXPECT_TRUE(line.extendStart && line.extendEnd);
}

// Line 2 midway between lines 1 and 3, measured in pixel rows at one bar,
// also on a logarithmic price scale.
TEST_F(LineToolsTest, ChannelIsEvenInPixelsOnALogScale) {
  coord.logScale = true;
  coord.pixelsPerPrice = 100.0;
  ToolHandle tool(8);
  const CurveDrawInfo& curve = OnlyCurve(Draw(tool, {{5, 10}, {15, 20}, {8, 40}}));
  ASSERT_EQ(curve.lines.size(), 3u);
  // Pixel row of each line at bar 30, by linear interpolation in pixels.
  auto rowAt = [&](const TarnDrawInfo::CurveLine& line, float bar) {
    const auto p = LinePoints(line);
    const double r0 = coord.Py(p[0].y);
    const double r1 = coord.Py(p[1].y);
    return r0 + (r1 - r0) * (bar - p[0].x) / (p[1].x - p[0].x);
  };
  const double a = rowAt(curve.lines[0], 30);
  const double b = rowAt(curve.lines[1], 30);
  const double c = rowAt(curve.lines[2], 30);
  EXPECT_NEAR(b - a, c - b, 1e-2);
  EXPECT_GT(std::abs(b - a), 10.0);
}

TEST_F(LineToolsTest, ChannelWithRefusedConversionsDrawsLineOneOnly) {
  ToolHandle tool(8);
  coord.minPy = 0;  // price 60 (row -100) is outside the pane
  const CurveDrawInfo& curve = OnlyCurve(Draw(tool, {{0, 10}, {10, 60}, {0, 30}}));
  EXPECT_EQ(curve.lines.size(), 1u);
}

TEST_F(LineToolsTest, PeriodLines) {
  ToolHandle tool(7);
  const CurveDrawInfo& curve = OnlyCurve(Draw(tool, {{10, 50}, {15, 52}}));
  ASSERT_EQ(curve.lines.size(), 20u);
  for (int i = 0; i < 20; ++i) {
    const auto pts = LinePoints(curve.lines[static_cast<size_t>(i)]);
    ASSERT_EQ(pts.size(), 2u);
    const float x = 10.0f + 5.0f * static_cast<float>(i);
    ExpectPoint(pts[0], x, 50);
    ExpectPoint(pts[1], x, 51);
    EXPECT_TRUE(curve.lines[static_cast<size_t>(i)].extendStart);
    EXPECT_TRUE(curve.lines[static_cast<size_t>(i)].extendEnd);
  }
  EXPECT_FLOAT_EQ(LinePoints(curve.lines.back())[0].x, 105.0f);
}

TEST_F(LineToolsTest, PeriodLinesStayBelowTheHighestVisiblePrice) {
  coord.maxPrice = 50.25;
  ToolHandle tool(7);
  const CurveDrawInfo& curve = OnlyCurve(Draw(tool, {{10, 50}, {15, 52}}));
  ASSERT_EQ(curve.lines.size(), 20u);
  ExpectPoint(LinePoints(curve.lines[3])[1], 25, 50.25);
}

TEST_F(LineToolsTest, PeriodLinesNeedTheHighestVisiblePrice) {
  coord.refuseMaxPrice = true;
  ToolHandle tool(7);
  EXPECT_TRUE(Draw(tool, {{10, 50}, {15, 52}}).empty());
}

TEST_F(LineToolsTest, PeriodPointsSnapToWholeBars) {
  ToolHandle tool(7);
  tool->SetCoordinate(&coord);
  tool->OnAddPoint(35.0f, 400);  // bar 3.5
  tool->OnAddPoint(34.9f, 400);  // bar 3.49
  const auto pts = PointsOf(tool.get());
  ASSERT_EQ(pts.size(), 2u);
  EXPECT_EQ(pts[0].x, 4.0f);
  EXPECT_EQ(pts[1].x, 3.0f);
  tool->SetPoints(Anchors({{7.5f, 1}, {12.2f, 1}}));
  const auto restored = PointsOf(tool.get());
  EXPECT_EQ(restored[0].x, 8.0f);
  EXPECT_EQ(restored[1].x, 12.0f);
}

// p1 keeps p0's price: dragging p1 vertically only moves it sideways, and
// dragging p0 vertically takes p1 along.
TEST_F(LineToolsTest, HorizontalSegmentDragRules) {
  ToolHandle tool(2);
  tool->SetCoordinate(&coord);
  tool->OnAddPoint(100, 300);  // bar 10, price 20
  tool->OnPreviewPoint(150, 250);
  std::vector<TarnPoint> preview;
  tool->GetDrawPoints(preview);
  ASSERT_EQ(preview.size(), 2u);
  EXPECT_DOUBLE_EQ(preview[1].y, 20.0);  // the mouse point too
  tool->OnAddPoint(200, 260);            // bar 20, price 24 -> 20
  auto pts = PointsOf(tool.get());
  EXPECT_DOUBLE_EQ(pts[1].y, 20.0);

  tool->OnAddPoint(200, 300);  // select p1
  ASSERT_EQ(tool->GetSelectedHotPoint(), 1);
  ASSERT_TRUE(tool->OnDrag(200, 300, 230, 200));
  pts = PointsOf(tool.get());
  EXPECT_FLOAT_EQ(pts[1].x, 23.0f);
  EXPECT_DOUBLE_EQ(pts[1].y, 20.0);
  EXPECT_DOUBLE_EQ(pts[0].y, 20.0);

  tool->OnAddPoint(100, 300);  // select p0
  ASSERT_EQ(tool->GetSelectedHotPoint(), 0);
  ASSERT_TRUE(tool->OnDrag(100, 300, 100, 250));
  pts = PointsOf(tool.get());
  EXPECT_DOUBLE_EQ(pts[0].y, 25.0);
  EXPECT_DOUBLE_EQ(pts[1].y, 25.0);
  EXPECT_FLOAT_EQ(pts[1].x, 23.0f);
}

TEST_F(LineToolsTest, VerticalSegmentKeepsBarAndTimeOfTheFirstPoint) {
  ToolHandle tool(3);
  tool->SetCoordinate(&coord);
  tool->OnAddPoint(100, 300);
  tool->OnAddPoint(180, 200);
  const auto pts = PointsOf(tool.get());
  EXPECT_FLOAT_EQ(pts[1].x, 10.0f);
  EXPECT_EQ(pts[1].time, pts[0].time);
  EXPECT_DOUBLE_EQ(pts[1].y, 30.0);
}

// With angle snapping on, the segment, ray and infinite line snap the
// dragged end; without it they do not.
TEST_F(LineToolsTest, AngleSnapOnlyWhileEnabled) {
  for (bool snap : {false, true}) {
    for (int type : {1, 4, 5}) {
      ToolHandle tool(type);
      tool->SetCoordinate(&coord);
      tool->OnAddPoint(100, 100);
      tool->OnAddPoint(200, 100);
      tool->SetAngleSnap(snap);
      tool->OnAddPoint(200, 100);
      ASSERT_TRUE(tool->OnDrag(200, 100, 110, 103));
      const auto pts = PointsOf(tool.get());
      EXPECT_NEAR(coord.Py(pts[1].y), snap ? 100.0f : 103.0f, 1e-3) << type;
    }
  }
}

}  // namespace
