// Circle marks and icons end to end.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "support/draw_run.h"

using TarnDrawInfo::GraphDrawInfo;
using Points = std::vector<std::pair<float, double>>;

namespace {

// Record order of a circle-mark drawing.
constexpr size_t kFrame = 0, kFill = 1, kRiseFrame = 2, kFallFrame = 3, kTurnFrame = 4;

// Centre bar and radius of each circle of an ellipse record.
std::vector<std::pair<float, float>> CirclesOf(const TarnDrawInfo::ElipseDrawInfo& e) {
  std::vector<std::pair<float, float>> circles;
  for (const auto& item : e.elipses) {
    const auto& p = item.GetPoint();
    if (p.size() != 2) continue;
    circles.emplace_back((p[0].x + p[1].x) / 2, (p[1].x - p[0].x) / 2);
  }
  return circles;
}

std::vector<float> BarsOf(const TarnDrawInfo::ElipseDrawInfo& e) {
  std::vector<float> bars;
  for (const auto& c : CirclesOf(e)) bars.push_back(c.first);
  return bars;
}

TEST(DrawCircular, ThicknessNineGivesRadiiPoint42AndPoint415) {
  TestDataProvider provider;
  SetPrices(provider, {5, 5, 5}, {5, 5, 5}, {5, 5, 5}, {1, 2, 3});
  struct Case {
    const char* text;
    size_t record;
    float radius;
  };
  const Case cases[] = {
      {"X:C,CIRCLEDOT,LINETHICK9;", kFrame, 0.42f},
      {"X:C,POINTDOT,LINETHICK9;", kFill, 0.415f},
      {"X:C,CIRCLEDOT;", kFrame, 0.18f},
      {"X:C,POINTDOT;", kFill, 0.135f},
  };
  for (const Case& c : cases) {
    DrawRun run(c.text, provider);
    const GraphDrawInfo d = run.Draw(0, 2).at(0);
    ASSERT_EQ(d.elipses.size(), 5u);
    for (size_t r = 0; r < d.elipses.size(); ++r) {
      if (r == c.record) continue;
      EXPECT_TRUE(d.elipses[r].elipses.empty()) << c.text;
    }
    const auto circles = CirclesOf(d.elipses[c.record]);
    ASSERT_EQ(circles.size(), 3u) << c.text;
    for (size_t i = 0; i < 3; ++i) {
      EXPECT_FLOAT_EQ(circles[i].first, float(i));
      EXPECT_NEAR(circles[i].second, c.radius, 1e-6) << c.text;
      EXPECT_EQ(d.elipses[c.record].elipses[i].GetPoint()[0].y, double(i + 1));
    }
  }
}

TEST(DrawCircular, CrossesAndDottedLinesSplitAtGaps) {
  TestDataProvider provider;
  SetPrices(provider, {5, 5, 5, 5}, {5, 5, 5, 5}, {5, 5, 5, 5}, {1, 2, 3, 4});
  provider.failingReads.insert({4, 2});
  DrawRun cross("X:C,CROSSDOT,LINETHICK4;", provider);
  const GraphDrawInfo c = cross.Draw(0, 3).at(0);
  ASSERT_EQ(c.crosses.size(), 1u);
  ASSERT_EQ(c.crosses[0].crosses.size(), 3u);
  EXPECT_FLOAT_EQ(c.crosses[0].crosses[2].center.x, 3.0f);
  EXPECT_FLOAT_EQ(c.crosses[0].crosses[2].size, 0.27f);

  DrawRun dots("X:C,DOTLINE,LINETHICK2;", provider);
  const GraphDrawInfo d = dots.Draw(0, 3).at(0);
  ASSERT_EQ(d.curves.size(), 1u);
  EXPECT_EQ(d.curves[0].lineStyle, TarnDrawInfo::LINE_STYLE_DASH);
  EXPECT_FLOAT_EQ(d.curves[0].lineWidth, 2.0f);
  ASSERT_EQ(d.curves[0].lines.size(), 2u);
  EXPECT_EQ(PointsOf(d.curves[0].lines[0]), (Points{{0, 1}, {1, 2}}));
  EXPECT_EQ(PointsOf(d.curves[0].lines[1]), (Points{{3, 4}}));
}

TEST(DrawCircular, SarDotsTurnColourWhereTheTrendTurns) {
  TestDataProvider provider;
  // The dots are the open; high and low frame them; the close decides the
  // trend before a range that starts after bar 0.
  //   bar:   0  1  2   3   4   5
  //   dot:   7  8  13  12  11  10    below low, below low, above high, at high, inside, at low
  SetPrices(provider, {10, 11, 12, 12, 12, 12}, {7, 8, 13, 12, 11, 10}, {8, 9, 10, 10, 10, 10},
            {9, 10, 12, 11, 11, 11});
  DrawRun run("X:O,SARLINE;", provider);
  struct Case {
    int32_t first;
    std::vector<float> rise, fall, turn;
  };
  const Case cases[] = {
      {0, {0, 1}, {3, 4}, {2, 5}},
      // From bar 3: the close at bar 2 (12) is below the dot there (13), a falling trend: no turn at bar 3.
      {3, {}, {3, 4}, {5}},
      // From bar 2: the close at bar 1 (10) is above its dot (8), a rising trend: bar 2 turns.
      {2, {}, {3, 4}, {2, 5}},
  };
  for (const Case& c : cases) {
    const GraphDrawInfo d = run.Draw(c.first, 5).at(0);
    EXPECT_EQ(d.elipses[kRiseFrame].lineColor.colorId, 7);
    EXPECT_EQ(d.elipses[kTurnFrame].lineColor.colorId, 9);
    EXPECT_EQ(BarsOf(d.elipses[kRiseFrame]), c.rise) << c.first;
    EXPECT_EQ(BarsOf(d.elipses[kFallFrame]), c.fall) << c.first;
    EXPECT_EQ(BarsOf(d.elipses[kTurnFrame]), c.turn) << c.first;
  }
  // Thinned so that the first bar of the range is not drawn: the first drawn dot is a turn.
  const GraphDrawInfo thinned = run.Draw(1, 5, 1).at(0);
  EXPECT_EQ(BarsOf(thinned.elipses[kTurnFrame]), (std::vector<float>{2}));
  EXPECT_EQ(BarsOf(thinned.elipses[kFallFrame]), (std::vector<float>{4}));
}

TEST(DrawIcon, IconsWhereTheConditionHoldsWithTheThicknessAsType) {
  TestDataProvider provider;
  SetPrices(provider, {11, 12, 13}, {10, 12, 11}, {9, 10, 10}, {11, 11, 12});
  DrawRun run("DRAWICON(C>O,H,3.7),LINETHICK5;", provider);
  const GraphDrawInfo d = run.Draw(0, 2).at(0);
  ASSERT_EQ(d.tdxIcons.size(), 1u);
  EXPECT_EQ(d.tdxIcons[0].iconType, 5);
  ASSERT_EQ(d.tdxIcons[0].icons.size(), 2u);
  EXPECT_FLOAT_EQ(d.tdxIcons[0].icons[0].position.x, 0.0f);
  EXPECT_EQ(d.tdxIcons[0].icons[0].position.y, 11.0);
  EXPECT_EQ(d.tdxIcons[0].icons[0].value, 3);
  EXPECT_FLOAT_EQ(d.tdxIcons[0].icons[1].position.x, 2.0f);
  EXPECT_EQ(d.drawOrder, (std::vector<int64_t>{7000000000000000, 7000000000000001}));
}

}  // namespace
