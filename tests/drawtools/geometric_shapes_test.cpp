// Geometric outline shapes.
#include <gtest/gtest.h>

#include <vector>

#include "support/shape_fixture.h"

using TarnDrawInfo::CurveDrawInfo;
using TarnDrawInfo::ElipseDrawInfo;
using TarnDrawInfo::GraphDrawInfo;
using TarnDrawInfo::TarnPoint;

namespace {

class ShapesTest : public ::testing::Test {
 protected:
  const std::vector<GraphDrawInfo>& Draw(ToolHandle& tool, const std::vector<std::pair<float, double>>& points) {
    tool->SetCoordinate(&coord);
    tool->SetPoints(Anchors(points));
    return tool->GetDrawInfo();
  }
  // The single closed polyline of a polygon shape.
  std::vector<TarnPoint> Polyline(const std::vector<GraphDrawInfo>& drawings) {
    const CurveDrawInfo& curve = OnlyCurve(drawings);
    EXPECT_EQ(curve.lines.size(), 1u);
    if (curve.lines.size() != 1) return {};
    EXPECT_FALSE(curve.lines[0].extendStart || curve.lines[0].extendEnd);
    EXPECT_EQ(curve.fillStyle, TarnDrawInfo::FILL_STYLE_NONE);
    return LinePoints(curve.lines[0]);
  }
  // The single ellipse item of the circle and the ellipse.
  std::vector<TarnPoint> ElipseItem(const std::vector<GraphDrawInfo>& drawings) {
    EXPECT_EQ(drawings.size(), 1u);
    if (drawings.size() != 1) return {};
    EXPECT_TRUE(drawings[0].curves.empty());
    EXPECT_EQ(drawings[0].elipses.size(), 1u);
    if (drawings[0].elipses.size() != 1) return {};
    const ElipseDrawInfo& record = drawings[0].elipses[0];
    EXPECT_EQ(record.fillStyle, TarnDrawInfo::FILL_STYLE_NONE);
    EXPECT_EQ(record.elipses.size(), 1u);
    if (record.elipses.size() != 1) return {};
    return record.elipses[0].GetPoint();
  }
  void ExpectPolyline(const std::vector<TarnPoint>& got, const std::vector<std::pair<float, double>>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) ExpectPoint(got[i], want[i].first, want[i].second);
  }
  TestCoordinate coord;
};

TEST_F(ShapesTest, RectanglePolyline) {
  ToolHandle tool(21);
  tool->SetLineWidth(2);
  ExpectPolyline(Polyline(Draw(tool, {{10, 5.0}, {20, 8.0}})), {{10, 5}, {10, 8}, {20, 8}, {20, 5}, {10, 5}});
  EXPECT_EQ(OnlyCurve(tool->GetDrawInfo()).lineWidth, 2.0f);
}

TEST_F(ShapesTest, ParabolaNeedsThreeClicksButDrawsTheRectangleOfTheFirstTwo) {
  ToolHandle tool(25);
  tool->SetCoordinate(&coord);
  EXPECT_FALSE(tool->OnAddPoint(100, 450));  // (10, 5)
  EXPECT_FALSE(tool->OnAddPoint(200, 420));  // (20, 8)
  EXPECT_TRUE(tool->OnAddPoint(400, 100));   // (40, 40): not drawn
  ExpectPolyline(Polyline(tool->GetDrawInfo()), {{10, 5}, {10, 8}, {20, 8}, {20, 5}, {10, 5}});
}

TEST_F(ShapesTest, TriangleClosesOnItsFirstPoint) {
  ToolHandle tool(20);
  tool->SetCoordinate(&coord);
  tool->OnAddPoint(0, 500);        // (0, 0)
  tool->OnPreviewPoint(100, 400);  // (10, 10)
  ExpectPolyline(Polyline(tool->GetDrawInfo()), {{0, 0}, {10, 10}, {0, 0}});
  tool->OnAddPoint(100, 400);
  tool->OnAddPoint(200, 500);  // (20, 0)
  ExpectPolyline(Polyline(tool->GetDrawInfo()), {{0, 0}, {10, 10}, {20, 0}, {0, 0}});
}

TEST_F(ShapesTest, ParallelogramFourthCorner) {
  ToolHandle tool(22);
  ExpectPolyline(Polyline(Draw(tool, {{0, 0}, {10, 10}, {20, 10}})), {{0, 0}, {10, 10}, {20, 10}, {10, 0}, {0, 0}});
  ToolHandle placing(22);
  placing->SetCoordinate(&coord);
  placing->OnAddPoint(0, 500);
  placing->OnPreviewPoint(100, 400);
  ExpectPolyline(Polyline(placing->GetDrawInfo()), {{0, 0}, {10, 10}});
}

TEST_F(ShapesTest, ParallelogramWithRefusedConversionsDrawsNothing) {
  ToolHandle tool(22);
  coord.refusePriceToPixel = true;
  EXPECT_TRUE(Draw(tool, {{0, 0}, {10, 10}, {20, 10}}).empty());
}

TEST_F(ShapesTest, CircleKeepsItsDiameterHorizontal) {
  ToolHandle tool(23);
  tool->SetCoordinate(&coord);
  tool->SetLineStyle(3);
  tool->OnAddPoint(100, 300);  // (10, 20)
  tool->OnAddPoint(200, 250);  // (20, 25) -> price 20
  auto item = ElipseItem(tool->GetDrawInfo());
  ASSERT_EQ(item.size(), 2u);
  ExpectPoint(item[0], 10, 20);
  ExpectPoint(item[1], 20, 20);
  EXPECT_EQ(tool->GetDrawInfo()[0].elipses[0].lineStyle, TarnDrawInfo::LINE_STYLE_DASH);

  tool->OnAddPoint(200, 300);
  ASSERT_EQ(tool->GetSelectedHotPoint(), 1);
  ASSERT_TRUE(tool->OnDrag(200, 300, 200, 100));
  item = ElipseItem(tool->GetDrawInfo());
  ASSERT_EQ(item.size(), 2u);
  ExpectPoint(item[1], 20, 20);
}

TEST_F(ShapesTest, EllipseThirdPointStaysOnTheCentreLine) {
  ToolHandle tool(24);
  tool->SetCoordinate(&coord);
  tool->OnAddPoint(100, 300);  // (10, 20)
  tool->OnPreviewPoint(300, 200);
  // Two draw points: flat ellipse through the centre.
  auto item = ElipseItem(tool->GetDrawInfo());
  ASSERT_EQ(item.size(), 3u);
  ExpectPoint(item[1], 30, 20);
  ExpectPoint(item[2], 20, 20);

  tool->OnAddPoint(300, 200);  // p1 -> (30, 20)
  tool->OnPreviewPoint(50, 150);
  std::vector<TarnPoint> dp;
  tool->GetDrawPoints(dp);
  ASSERT_EQ(dp.size(), 3u);
  ExpectPoint(dp[2], 20, 35);  // the mouse point on the centre's bar
  tool->OnAddPoint(50, 150);
  item = ElipseItem(tool->GetDrawInfo());
  ASSERT_EQ(item.size(), 3u);
  ExpectPoint(item[0], 10, 20);
  ExpectPoint(item[1], 30, 20);
  ExpectPoint(item[2], 20, 35);

  // Dragging the third anchor sideways keeps it on bar 20.
  tool->OnAddPoint(200, 150);
  ASSERT_EQ(tool->GetSelectedHotPoint(), 2);
  ASSERT_TRUE(tool->OnDrag(200, 150, 260, 120));
  auto pts = PointsOf(tool.get());
  EXPECT_FLOAT_EQ(pts[2].x, 20.0f);
  EXPECT_DOUBLE_EQ(pts[2].y, 38.0);

  // Dragging p0 up takes p1 to the same price; the centre follows p0's bar.
  tool->OnAddPoint(100, 300);
  ASSERT_EQ(tool->GetSelectedHotPoint(), 0);
  ASSERT_TRUE(tool->OnDrag(100, 300, 0, 280));
  pts = PointsOf(tool.get());
  EXPECT_DOUBLE_EQ(pts[0].y, 22.0);
  EXPECT_DOUBLE_EQ(pts[1].y, 22.0);
  EXPECT_FLOAT_EQ(pts[2].x, 15.0f);
}

TEST_F(ShapesTest, ShapesUseTheToolsLineStyle) {
  for (int type : {20, 21, 22, 25}) {
    ToolHandle tool(type);
    tool->SetLineColor(TarnDrawInfo::GetColorByID(static_cast<TarnDrawInfo::COLOR_TYPE>(9)));
    tool->SetLineStyle(4);
    const CurveDrawInfo& curve = OnlyCurve(Draw(tool, {{0, 0}, {10, 10}, {20, 10}}));
    EXPECT_EQ(curve.lineColor.colorId, 9) << type;
    EXPECT_EQ(curve.lineStyle, TarnDrawInfo::LINE_STYLE_DASH_DOT) << type;
    EXPECT_EQ(curve.lineWidth, 1.0f) << type;
  }
}

}  // namespace
