// Price and text markers: the label point, the price text, the width handle
// and what they draw.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "drawtools/marker_tools.h"
#include "support/drawing_checks.h"
#include "support/shape_fixture.h"

using namespace TarnDrawInfo;

namespace {

class MarkerToolsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    coord.originY = 225.0f;  // price 12.5 on row 100
    coord.plotBottom = 400.0f;
  }
  TestCoordinate coord;  // 10 pixels per bar, 10 pixels per price unit
};

TEST_F(MarkerToolsTest, PriceMarkerIsCompleteAfterOneClick) {
  ToolHandle tool(TARN_GRAPH_MARKER_PRICE);
  tool->SetCoordinate(&coord);
  EXPECT_TRUE(tool->GetDrawInfo().empty()) << "nothing before the click";
  EXPECT_TRUE(tool->OnAddPoint(coord.Px(4), 100.0f));
  EXPECT_EQ(tool->GetText(), "12.500");
  const auto pts = PointsOf(tool.get());
  ASSERT_EQ(pts.size(), 2u);
  EXPECT_EQ(pts[1].x, 5.0f) << "5 pixels are one bar of 10";
  EXPECT_NEAR(coord.Py(pts[1].y), 130.0f, 1e-3) << "30 pixels lower";
  EXPECT_EQ(pts[1].time, TestCoordinate::TimeOf(5.0f));

  const auto& drawings = tool->GetDrawInfo();
  ASSERT_EQ(drawings.size(), 1u);
  ASSERT_EQ(drawings[0].texts.size(), 1u);
  const TextDrawInfo& label = drawings[0].texts[0];
  EXPECT_EQ(label.alignment, 0x11);
  EXPECT_EQ(label.fontSize, 12.0f);
  EXPECT_EQ(label.textColor.colorId, 4);
  EXPECT_EQ(label.frameColor.colorId, 4);
  EXPECT_FALSE(label.backColor.useValue);
  EXPECT_EQ(label.backColor.colorId, 0) << "no background";
  ASSERT_EQ(label.items.size(), 1u);
  EXPECT_EQ(label.items[0].text, "12.500");
  EXPECT_TRUE(label.items[0].linked);
  ExpectPoint(label.items[0].position, 5, pts[1].y);
  ExpectPoint(label.items[0].linkTarget, 4, 12.5);
}

TEST_F(MarkerToolsTest, LabelGoesAboveNearTheBottomEdge) {
  struct Case {
    float row, labelRow;
  };
  // 400 is not greater than 350 + 60.
  const Case cases[] = {{100, 130}, {339, 369}, {340, 310}, {350, 320}};
  for (const Case& c : cases) {
    ToolHandle tool(TARN_GRAPH_MARKER_PRICE);
    tool->SetCoordinate(&coord);
    tool->OnAddPoint(40, c.row);
    EXPECT_NEAR(coord.Py(PointsOf(tool.get()).at(1).y), c.labelRow, 1e-3) << c.row;
  }
}

TEST_F(MarkerToolsTest, LabelSpansAtLeastFivePixelsOfBars) {
  struct Case {
    float barWidth, bars;
  };
  const Case cases[] = {{2, 3}, {10, 1}, {0.5f, 10}, {5, 1}, {4.9f, 2}};
  for (const Case& c : cases) {
    coord.barWidth = c.barWidth;
    ToolHandle tool(TARN_GRAPH_MARKER_PRICE);
    tool->SetCoordinate(&coord);
    tool->SetPoints(Anchors({{7, 12.5}}));
    const auto pts = PointsOf(tool.get());
    ASSERT_EQ(pts.size(), 2u);
    EXPECT_EQ(pts[1].x - pts[0].x, c.bars) << c.barWidth;
  }
}

TEST_F(MarkerToolsTest, DraggingThePointRewritesThePrice) {
  ToolHandle tool(TARN_GRAPH_MARKER_PRICE);
  tool->SetCoordinate(&coord);
  tool->OnAddPoint(40, 100);
  tool->OnAddPoint(40, 100);  // select anchor 0
  ASSERT_EQ(tool->GetSelectedHotPoint(), 0);
  EXPECT_TRUE(tool->OnDrag(40, 100, 40, 80));
  EXPECT_EQ(tool->GetText(), "14.500");
  const auto& drawings = tool->GetDrawInfo();
  EXPECT_EQ(drawings.at(0).texts.at(0).items.at(0).text, "14.500");
}

TEST_F(MarkerToolsTest, SettersStoreAndMarkDirty) {
  ToolHandle tool(TARN_GRAPH_MARKER_PRICE);
  EXPECT_EQ(tool->GetFontSize(), 12);
  EXPECT_EQ(tool->GetLineColor().colorId, 0);
  EXPECT_EQ(tool->GetFillColor().colorId, 0);
  EXPECT_EQ(tool->GetTextColor().colorId, 4);
  tool->SetCoordinate(&coord);
  tool->OnAddPoint(40, 100);
  tool->GetDrawInfo();
  tool->SetFontName("Mono");
  tool->SetFontSize(20);
  tool->SetFontStyle(3);
  tool->SetTextColor(GetColorByValue(0xFF010203u));
  tool->SetTextFrameColor(GetColorByValue(0xFF040506u));
  const TextDrawInfo& label = tool->GetDrawInfo().at(0).texts.at(0);
  EXPECT_EQ(label.fontName, "Mono");
  EXPECT_EQ(label.fontSize, 20.0f);
  EXPECT_EQ(label.fontStyle, 3);
  EXPECT_EQ(label.textColor.colorValue, 0xFF010203u);
  EXPECT_EQ(label.frameColor.colorValue, 0xFF040506u);
  EXPECT_EQ(tool->GetTextBoxWidth(), 0) << "the price marker has no box width";
}

TEST_F(MarkerToolsTest, TextMarkerDrawsNothingWithoutText) {
  ToolHandle tool(TARN_GRAPH_MARKER_TEXT);
  tool->SetCoordinate(&coord);
  EXPECT_TRUE(tool->OnAddPoint(40, 100));
  EXPECT_EQ(PointsOf(tool.get()).size(), 3u);
  EXPECT_TRUE(tool->GetText().empty()) << "the text marker keeps no price";
  EXPECT_TRUE(tool->GetDrawInfo().empty());
  tool->SetText("note");
  const auto& drawings = tool->GetDrawInfo();
  ASSERT_EQ(drawings.size(), 1u);
  const TextDrawInfo& label = drawings[0].texts.at(0);
  EXPECT_EQ(label.items.at(0).text, "note");
  EXPECT_EQ(label.frameColor.colorId, 0) << "no frame";
  EXPECT_EQ(label.boxWidth, 0);
  ExpectPoint(label.items[0].linkTarget, 4, 12.5);
}

TEST_F(MarkerToolsTest, TextMarkerHandleFollowsTheWidth) {
  ToolHandle tool(TARN_GRAPH_MARKER_TEXT);
  tool->SetCoordinate(&coord);
  tool->SetText("note");
  tool->SetTextBoxWidth(60);
  tool->OnAddPoint(40, 100);
  auto pts = PointsOf(tool.get());
  ASSERT_EQ(pts.size(), 3u);
  EXPECT_EQ(pts[2].x, pts[1].x + 6.0f) << "60 pixels of 10-pixel bars";
  EXPECT_EQ(pts[2].y, pts[1].y);
  EXPECT_EQ(tool->GetDrawInfo().at(0).texts.at(0).boxWidth, 60);
}

TEST_F(MarkerToolsTest, DraggingTheHandleSetsTheWidth) {
  struct Case {
    float pixelsRightOfLabel;
    int width;
  };
  const Case cases[] = {{25, 40}, {120, 120}, {-30, 40}, {40.7f, 40}, {80.9f, 80}};
  for (const Case& c : cases) {
    ToolHandle tool(TARN_GRAPH_MARKER_TEXT);
    tool->SetCoordinate(&coord);
    tool->SetTextBoxWidth(60);
    tool->OnAddPoint(40, 100);
    const auto pts = PointsOf(tool.get());
    const float labelPx = coord.Px(pts[1].x);
    const float handlePx = coord.Px(pts[2].x);
    const float handlePy = coord.Py(pts[2].y);
    tool->OnAddPoint(handlePx, handlePy);
    ASSERT_EQ(tool->GetSelectedHotPoint(), 2);
    EXPECT_TRUE(tool->OnDrag(handlePx, handlePy, labelPx + c.pixelsRightOfLabel, handlePy + 50));
    EXPECT_EQ(tool->GetTextBoxWidth(), c.width) << c.pixelsRightOfLabel;
    const auto moved = PointsOf(tool.get());
    EXPECT_NEAR(coord.Px(moved[2].x), labelPx + c.width, 1e-3) << "the handle follows through the constraint";
    EXPECT_EQ(moved[2].y, pts[2].y) << "only sideways";
    EXPECT_EQ(moved[1].x, pts[1].x);
  }
}

TEST_F(MarkerToolsTest, DraggingTheLabelMovesTheHandleWithIt) {
  ToolHandle tool(TARN_GRAPH_MARKER_TEXT);
  tool->SetCoordinate(&coord);
  tool->SetTextBoxWidth(60);
  tool->OnAddPoint(40, 100);
  const auto before = PointsOf(tool.get());
  tool->OnAddPoint(coord.Px(before[1].x), coord.Py(before[1].y));
  ASSERT_EQ(tool->GetSelectedHotPoint(), 1);
  tool->OnDrag(0, 0, coord.Px(before[1].x + 3), coord.Py(before[1].y + 2));
  const auto after = PointsOf(tool.get());
  EXPECT_EQ(after[1].x, before[1].x + 3);
  EXPECT_EQ(after[2].x, after[1].x + 6);
  EXPECT_NEAR(after[2].y, before[1].y + 2, 1e-6);
}

TEST_F(MarkerToolsTest, FailingPaneKeepsThePresets) {
  TestCoordinate bad;
  bad.refusePaneServices = true;
  bad.refusePriceToPixel = true;
  bad.refuseBarToTime = true;
  ToolHandle tool(TARN_GRAPH_MARKER_TEXT);
  tool->SetTextBoxWidth(60);
  tool->SetCoordinate(&bad);
  tool->SetPoints(Anchors({{7, 12.5}}));
  const auto pts = PointsOf(tool.get());
  ASSERT_EQ(pts.size(), 2u) << "no handle without the bar's time";
  EXPECT_EQ(pts[1].x, 12.0f) << "bar width preset 1: five bars";
  EXPECT_EQ(pts[1].time, pts[0].time);
  // Row preset 0, bottom preset 0: the label row is -30.
  EXPECT_DOUBLE_EQ(pts[1].y, bad.Price(-30.0f));
}

TEST_F(MarkerToolsTest, NonFiniteBarWidthCountsAsOnePixel) {
  coord.barWidth = 0.0f;
  ToolHandle zero(TARN_GRAPH_MARKER_PRICE);
  zero->SetCoordinate(&coord);
  zero->SetPoints(Anchors({{7, 12.5}}));
  // A zero width would put the label at infinity; it counts as 1 pixel.
  EXPECT_EQ(PointsOf(zero.get()).at(1).x, 12.0f);

  TestCoordinate hostile;
  hostile.hostile = true;
  ToolHandle text(TARN_GRAPH_MARKER_TEXT);
  text->SetText("t");
  text->SetCoordinate(&hostile);
  text->SetPoints(Anchors({{7, 12.5}}));
  const auto pts = PointsOf(text.get());
  ASSERT_EQ(pts.size(), 3u);
  EXPECT_EQ(pts[1].x, 12.0f);
  EXPECT_EQ(pts[1].y, 0.0);
  EXPECT_TRUE(AllPointsFinite(text->GetDrawInfo()));
}

// A pane that gives every bar a time, however far out.
class AnyBarTimeCoordinate : public TestCoordinate {
 public:
  bool BarToTime(float, int* time) override {
    *time = 0;
    return true;
  }
};

TEST_F(MarkerToolsTest, LabelAndHandleNeverOverflowToInfinity) {
  struct Case {
    const char* name;
    int type;
    float barWidth;
    float anchorX;
    int boxWidth;
    size_t anchors;   // kept after one anchor is set
    float labelBars;  // bars from the point to its label
  };
  const Case cases[] = {
      // 5 / 1e-39 overflows a float: the width counts as 1 pixel.
      {"denormal bar width", TARN_GRAPH_MARKER_PRICE, 1e-39f, 7.0f, 0, 2, 5.0f},
      // The label fits, but 2^31 pixels of box width do not: no handle.
      {"huge box width", TARN_GRAPH_MARKER_TEXT, 1e-30f, 7.0f, 2147483647, 2, std::ceil(5.0f / 1e-30f)},
      // A point near the float limit has no room for its label.
      {"point at the float limit", TARN_GRAPH_MARKER_PRICE, 1e-37f, 3.4e38f, 0, 1, 0.0f},
  };
  for (const Case& c : cases) {
    AnyBarTimeCoordinate pane;
    pane.barWidth = c.barWidth;
    ToolHandle tool(c.type);
    tool->SetTextBoxWidth(c.boxWidth);
    tool->SetCoordinate(&pane);
    tool->SetPoints({TarnGraphPoint{c.anchorX, 12.5, 0}});
    const auto pts = PointsOf(tool.get());
    ASSERT_EQ(pts.size(), c.anchors) << c.name;
    for (const auto& p : pts) {
      EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y)) << c.name;
    }
    if (c.anchors > 1) {
      EXPECT_EQ(pts[1].x, c.anchorX + c.labelBars) << c.name;
    }
  }
}

}  // namespace
