// Columns, sticks and candles end to end.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "support/draw_run.h"

using TarnDrawInfo::GraphDrawInfo;
using TarnDrawInfo::RectangleCorners;
using Points = std::vector<std::pair<float, double>>;

namespace {

// Record order of a column drawing.
constexpr size_t kOwnFill = 0, kRiseFill = 1, kFallFill = 2, kFlatFill = 3;
constexpr size_t kRiseCurve = 0, kFallCurve = 1, kValueCurve = 2, kStickCurve = 3;

// The bars of a rectangle record, from the middle of each rectangle.
std::vector<float> BarsOf(const TarnDrawInfo::RectangleDrawInfo& r) {
  std::vector<float> bars;
  for (const RectangleCorners& c : r.corners) bars.push_back((c.first.x + c.second.x) / 2);
  return bars;
}

// Bars 0..n-1 with the given open and close; high and low one above and below.
void OpenClose(TestDataProvider& provider, const std::vector<double>& open, const std::vector<double>& close) {
  std::vector<double> high;
  std::vector<double> low;
  for (size_t i = 0; i < open.size(); ++i) {
    high.push_back(std::max(open[i], close[i]) + 1);
    low.push_back(std::min(open[i], close[i]) - 1);
  }
  SetPrices(provider, high, open, low, close);
}

TEST(DrawColumn, RecordsInOrderAndStepOneDrawsOnlyEvenBars) {
  TestDataProvider provider;
  OpenClose(provider, std::vector<double>(10, 5.0), std::vector<double>(10, 6.0));
  DrawRun run("X:C,STICK,COLORRED;", provider);
  const auto drawings = run.Draw(0, 9, 1);
  ASSERT_EQ(drawings.size(), 1u);
  const GraphDrawInfo& d = drawings[0];
  ASSERT_EQ(d.rectangles.size(), 4u);
  ASSERT_EQ(d.curves.size(), 4u);
  EXPECT_EQ(d.rectangles[kOwnFill].fillColor.colorValue, 0xFF3D3DFFu);
  EXPECT_EQ(d.rectangles[kOwnFill].rectangleType, TarnDrawInfo::RECTANGLE_TYPE_0);
  EXPECT_EQ(d.rectangles[kOwnFill].fillStyle, TarnDrawInfo::FILL_STYLE_SOLID);
  const int32_t palette[] = {7, 8, 9};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(d.rectangles[kRiseFill + i].fillColor.colorId, palette[i]);
    EXPECT_FALSE(d.rectangles[kRiseFill + i].fillColor.useValue);
    EXPECT_EQ(d.rectangles[kRiseFill + i].rectangleType, TarnDrawInfo::RECTANGLE_TYPE_1);
  }
  EXPECT_EQ(d.curves[kRiseCurve].lineColor.colorId, 7);
  EXPECT_EQ(d.curves[kFallCurve].lineColor.colorId, 8);
  EXPECT_EQ(d.curves[kValueCurve].lineColor.colorValue, 0xFF3D3DFFu);
  EXPECT_EQ(BarsOf(d.rectangles[kOwnFill]), (std::vector<float>{0, 2, 4, 6, 8}));
  for (const RectangleCorners& c : d.rectangles[kOwnFill].corners) {
    EXPECT_EQ(c.first.y, 0.0);
    EXPECT_EQ(c.second.y, 6.0);
  }
}

TEST(DrawColumn, ThicknessNineGivesColumnsOfPoint76Bars) {
  TestDataProvider provider;
  OpenClose(provider, {5, 5, 5}, {6, -2, 7});
  const std::pair<const char*, double> cases[] = {{"X:C,STICK,LINETHICK9;", 0.76}, {"X:C,STICK,LINETHICK1;", 0.44}};
  for (const auto& [text, width] : cases) {
    DrawRun run(text, provider);
    const auto drawings = run.Draw(0, 2);
    const auto& corners = drawings.at(0).rectangles.at(kOwnFill).corners;
    ASSERT_EQ(corners.size(), 3u);
    for (const RectangleCorners& c : corners) EXPECT_NEAR(c.second.x - c.first.x, width, 1e-5) << text;
    // A negative value hangs below zero.
    EXPECT_EQ(corners[1].first.y, -2.0);
    EXPECT_EQ(corners[1].second.y, 0.0);
  }
}

TEST(DrawColumn, StickSkipsZeroBarsWhileLineStickDrawsThroughThem) {
  TestDataProvider provider;
  OpenClose(provider, {5, 5, 5, 5, 5}, {6, 5, 3, 5, 8});  // C-O: 1, 0, -2, 0, 3
  DrawRun stick("X:C-O,STICK;", provider);
  EXPECT_EQ(BarsOf(stick.Draw(0, 4).at(0).rectangles.at(kOwnFill)), (std::vector<float>{0, 2, 4}));

  DrawRun lineStick("X:C-O,LINESTICK;", provider);
  const GraphDrawInfo d = lineStick.Draw(0, 4).at(0);
  ASSERT_EQ(d.curves[kValueCurve].lines.size(), 1u);
  EXPECT_EQ(PointsOf(d.curves[kValueCurve].lines[0]), (Points{{0, 1}, {1, 0}, {2, -2}, {3, 0}, {4, 3}}));
  ASSERT_EQ(d.curves[kStickCurve].lines.size(), 5u);
  EXPECT_EQ(PointsOf(d.curves[kStickCurve].lines[2]), (Points{{2, -2}, {2, 0}}));
  EXPECT_TRUE(d.rectangles[kOwnFill].corners.empty());
}

TEST(DrawColumn, ColorStickDrawsSticksByTheSignOfTheValue) {
  TestDataProvider provider;
  OpenClose(provider, {5, 5, 5, 5}, {6, 4, 5, 9});  // C-O: 1, -1, 0, 4
  DrawRun run("X:C-O,COLORSTICK;", provider);
  const GraphDrawInfo d = run.Draw(0, 3).at(0);
  ASSERT_EQ(d.curves[kRiseCurve].lines.size(), 2u);
  EXPECT_EQ(PointsOf(d.curves[kRiseCurve].lines[0]), (Points{{0, 0}, {0, 1}}));
  EXPECT_EQ(PointsOf(d.curves[kRiseCurve].lines[1]), (Points{{3, 0}, {3, 4}}));
  ASSERT_EQ(d.curves[kFallCurve].lines.size(), 1u);
  EXPECT_EQ(PointsOf(d.curves[kFallCurve].lines[0]), (Points{{1, -1}, {1, 0}}));
}

TEST(DrawColumn, VolStickColoursByTheBarsMoveAndDojiRules) {
  TestDataProvider provider;
  // bar 0 doji at bar 0: up. 1 up. 2 down. 3 doji, close as before: follows bar 2 (down).
  // 4 doji above the close before: up. 5 doji, close as before: follows bar 4 (up).
  OpenClose(provider, {10, 10, 11, 10, 12, 12}, {10, 11, 10, 10, 12, 12});
  DrawRun run("X:H,VOLSTICK;", provider);
  struct Case {
    int32_t first;
    std::vector<float> rise;
    std::vector<float> fall;
  };
  const Case cases[] = {
      {0, {0, 1, 4, 5}, {2, 3}},
      // Bar 3 first in range: the nearest earlier bar that moved (bar 2) fell.
      {3, {4, 5}, {3}},
      // Bar 5 first in range, close equal to bar 4's: bar 4 did not move, bar 3 neither, bar 2 fell.
      {5, {}, {5}},
  };
  for (const Case& c : cases) {
    const GraphDrawInfo d = run.Draw(c.first, 5).at(0);
    EXPECT_EQ(BarsOf(d.rectangles[kRiseFill]), c.rise) << c.first;
    EXPECT_EQ(BarsOf(d.rectangles[kFallFill]), c.fall) << c.first;
  }
}

TEST(DrawColumn, VolStickSkipsBarsWithoutPrices) {
  TestDataProvider provider;
  OpenClose(provider, {10, 10, 11}, {11, 12, 10});
  provider.failingReads.insert({2, 1});  // no open at bar 1
  DrawRun run("X:H,VOLSTICK;", provider);
  const GraphDrawInfo d = run.Draw(0, 2).at(0);
  EXPECT_EQ(BarsOf(d.rectangles[kRiseFill]), (std::vector<float>{0}));
  EXPECT_EQ(BarsOf(d.rectangles[kFallFill]), (std::vector<float>{2}));
}

TEST(DrawColumn, RtVolStickComparesClosesCutToThreeDecimals) {
  TestDataProvider provider;
  OpenClose(provider, {1, 1, 1, 1, 1}, {10, 10.0004, 10.5, 10.2, 10.2});
  provider.SetField(15, {9, 0, 0, 0, 0});  // previous close of bar 0
  DrawRun run("X:H,RTVOLSTICK;", provider);
  const GraphDrawInfo d = run.Draw(0, 4).at(0);
  EXPECT_EQ(BarsOf(d.rectangles[kRiseFill]), (std::vector<float>{0, 2}));
  EXPECT_EQ(BarsOf(d.rectangles[kFallFill]), (std::vector<float>{3}));
  EXPECT_EQ(BarsOf(d.rectangles[kFlatFill]), (std::vector<float>{1, 4}));
}

TEST(DrawStick, EmptyFlagChoosesDashedFramesFilledBoxesOrPlainFrames) {
  TestDataProvider provider;
  OpenClose(provider, {10, 12, 10}, {11, 11, 13});  // up, down, up
  DrawRun run("STICKLINE(C>O,C,O,2,-1);STICKLINE(C>O,C,O,0,0);STICKLINE(C>O,O,C,1,1);", provider);
  const auto drawings = run.Draw(0, 2);
  ASSERT_EQ(drawings.size(), 3u);
  struct Expect {
    size_t record;
    double halfWidth;
  };
  const Expect expects[] = {{1, 1.0}, {0, 0.5}, {2, 0.5}};
  for (size_t i = 0; i < 3; ++i) {
    const GraphDrawInfo& d = drawings[i];
    ASSERT_EQ(d.rectangles.size(), 3u);
    EXPECT_EQ(d.rectangles[0].fillStyle, TarnDrawInfo::FILL_STYLE_SOLID);
    EXPECT_EQ(d.rectangles[1].lineStyle, TarnDrawInfo::LINE_STYLE_DASH);
    EXPECT_EQ(d.rectangles[2].lineStyle, TarnDrawInfo::LINE_STYLE_SOLID);
    for (size_t r = 0; r < 3; ++r) {
      const auto& corners = d.rectangles[r].corners;
      if (r != expects[i].record) {
        EXPECT_TRUE(corners.empty()) << i;
        continue;
      }
      ASSERT_EQ(corners.size(), 2u) << i;
      EXPECT_EQ(BarsOf(d.rectangles[r]), (std::vector<float>{0, 2}));
      EXPECT_FLOAT_EQ(corners[1].second.x - corners[1].first.x, float(2 * expects[i].halfWidth));
      EXPECT_EQ(corners[1].first.y, 10.0);
      EXPECT_EQ(corners[1].second.y, 13.0);
    }
  }
}

TEST(DrawKLine, CandlesWithBodiesWicksAndDirections) {
  TestDataProvider provider;
  // up, down, doji above the close before (up), doji at the same close (follows: up), down.
  SetPrices(provider, {12, 12, 13, 13, 11}, {10, 11, 12, 12, 11}, {9, 9, 11, 11, 8}, {11, 10, 12, 12, 9});
  DrawRun run("DRAWKLINE(H,O,L,C);", provider);
  const GraphDrawInfo d = run.Draw(0, 4).at(0);
  ASSERT_EQ(d.rectangles.size(), 2u);
  ASSERT_EQ(d.curves.size(), 2u);
  EXPECT_EQ(d.rectangles[0].fillColor.colorId, 8);
  EXPECT_EQ(d.rectangles[1].lineColor.colorId, 7);
  EXPECT_EQ(BarsOf(d.rectangles[1]), (std::vector<float>{0, 2, 3}));
  EXPECT_EQ(BarsOf(d.rectangles[0]), (std::vector<float>{1, 4}));
  const RectangleCorners& body = d.rectangles[0].corners[0];
  EXPECT_FLOAT_EQ(body.first.x, 0.65f);
  EXPECT_FLOAT_EQ(body.second.x, 1.35f);
  EXPECT_EQ(body.first.y, 11.0);
  EXPECT_EQ(body.second.y, 10.0);
  ASSERT_EQ(d.curves[0].lines.size(), 4u);
  EXPECT_EQ(PointsOf(d.curves[0].lines[0]), (Points{{1, 12}, {1, 11}}));
  EXPECT_EQ(PointsOf(d.curves[0].lines[1]), (Points{{1, 10}, {1, 9}}));
  // Draw order: body, upper wick, lower wick per candle.
  ASSERT_EQ(d.drawOrder.size(), 15u);
  EXPECT_EQ(d.drawOrder[0], 3000000100000000);
  EXPECT_EQ(d.drawOrder[1], 1000000100000000);
}

}  // namespace
