// Line drawings end to end: a formula is compiled, calculated and published,
// then GetDrawInfo is read back.
#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "abacor/index_calculator.h"
#include "support/draw_run.h"

using TarnDrawInfo::GraphDrawInfo;
using Points = std::vector<std::pair<float, double>>;

namespace {

// Ten bars whose close is 10 + bar; other prices follow the close.
void TenBars(TestDataProvider& provider) {
  std::vector<double> close;
  for (int i = 0; i < 10; ++i) close.push_back(10.0 + i);
  std::vector<double> high = close;
  std::vector<double> low = close;
  for (double& v : high) v += 1.0;
  for (double& v : low) v -= 1.0;
  SetPrices(provider, high, close, low, close);
}

// The curve lines of the only drawing as point lists.
std::vector<Points> LinesOf(const std::vector<GraphDrawInfo>& drawings, size_t curve = 0) {
  std::vector<Points> lines;
  if (drawings.size() != 1 || drawings[0].curves.size() <= curve) return lines;
  for (const auto& line : drawings[0].curves[curve].lines) lines.push_back(PointsOf(line));
  return lines;
}

TEST(DrawCurveLine, SplitsAtAGapIntoLinesOfFiveAndFourPoints) {
  TestDataProvider provider;
  TenBars(provider);
  provider.failingReads.insert({4, 5});
  DrawRun run("X:CLOSE,COLORRED,LINETHICK3;", provider);
  const auto drawings = run.Draw(0, 9);
  ASSERT_EQ(drawings.size(), 1u);
  const GraphDrawInfo& d = drawings[0];
  ASSERT_EQ(d.curves.size(), 1u);
  EXPECT_EQ(d.curves[0].lineColor.colorValue, 0xFF3D3DFFu);
  EXPECT_TRUE(d.curves[0].lineColor.useValue);
  EXPECT_FLOAT_EQ(d.curves[0].lineWidth, 3.0f);
  EXPECT_EQ(d.curves[0].lineStyle, TarnDrawInfo::LINE_STYLE_SOLID);
  const auto lines = LinesOf(drawings);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], (Points{{0, 10}, {1, 11}, {2, 12}, {3, 13}, {4, 14}}));
  EXPECT_EQ(lines[1], (Points{{6, 16}, {7, 17}, {8, 18}, {9, 19}}));
  for (const auto& line : d.curves[0].lines) {
    EXPECT_FALSE(line.extendStart);
    EXPECT_FALSE(line.extendEnd);
  }
  EXPECT_EQ(d.drawOrder, (std::vector<int64_t>{1000000000000000, 1000000000000001}));
}

TEST(DrawCurveLine, DefaultColourAndThinningByStep) {
  TestDataProvider provider;
  TenBars(provider);
  DrawRun run("X:CLOSE;", provider);
  struct Case {
    int32_t step;
    Points expected;
  };
  const Case cases[] = {
      {1, {{2, 12}, {4, 14}, {6, 16}, {8, 18}}},
      {2, {{3, 13}, {6, 16}}},
      {-5, {{2, 12}, {3, 13}, {4, 14}, {5, 15}, {6, 16}, {7, 17}, {8, 18}}},
  };
  for (const Case& c : cases) {
    const auto drawings = run.Draw(2, 8, c.step);
    const auto lines = LinesOf(drawings);
    ASSERT_EQ(lines.size(), 1u) << c.step;
    EXPECT_EQ(lines[0], c.expected) << c.step;
    EXPECT_EQ(drawings[0].curves[0].lineColor.colorValue, 0xFFFF8080u);
    EXPECT_FLOAT_EQ(drawings[0].curves[0].lineWidth, 1.0f);
  }
}

// A plain loop over the bars: the polyline through the bars whose condition
// holds, with straight-line values on the bars between them.
Points PolylineOracle(const std::vector<double>& price, const std::vector<bool>& cond, int first, int last) {
  Points points;
  int previous = -1;
  for (int bar = first; bar <= last; ++bar) {
    if (!cond[bar]) continue;
    if (previous >= 0) {
      for (int i = previous + 1; i < bar; ++i) {
        const double t = double(i - previous) / (bar - previous);
        points.emplace_back(float(i), price[previous] + t * (price[bar] - price[previous]));
      }
    }
    points.emplace_back(float(bar), price[bar]);
    previous = bar;
  }
  return points;
}

TEST(DrawPolyLine, JoinsTrueBarsAndInterpolatesTheBarsBetween) {
  TestDataProvider provider;
  // The condition H>C holds where high exceeds the close.
  const std::vector<double> close{10, 12, 15, 11, 9, 14, 13, 16, 10, 12};
  const std::vector<bool> cond{true, false, false, true, false, false, true, true, false, true};
  std::vector<double> high = close;
  for (size_t i = 0; i < high.size(); ++i) high[i] += cond[i] ? 1.0 : 0.0;
  SetPrices(provider, high, close, close, close);
  DrawRun run("PLOYLINE(H>C,C);", provider);
  const auto lines = LinesOf(run.Draw(0, 9));
  ASSERT_EQ(lines.size(), 1u);
  const Points expected = PolylineOracle(close, cond, 0, 9);
  ASSERT_EQ(lines[0].size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_FLOAT_EQ(lines[0][i].first, expected[i].first);
    EXPECT_NEAR(lines[0][i].second, expected[i].second, 1e-9);
  }
}

TEST(DrawPolyLine, ReachesBackBeforeTheRangeAndOnBeyondIt) {
  TestDataProvider provider;
  const std::vector<double> close{10, 12, 15, 11, 9, 14, 13, 16, 10, 12};
  const std::vector<bool> cond{false, true, false, false, false, true, false, false, true, false};
  std::vector<double> high = close;
  for (size_t i = 0; i < high.size(); ++i) high[i] += cond[i] ? 1.0 : 0.0;
  SetPrices(provider, high, close, close, close);
  DrawRun run("PLOYLINE(H>C,C),DOTLINE;", provider);
  // Bars 3 to 6: the line starts at bar 1 (found before the range) and runs on to bar 8.
  const auto drawings = run.Draw(3, 6);
  const auto lines = LinesOf(drawings);
  ASSERT_EQ(lines.size(), 1u);
  Points expected = PolylineOracle(close, cond, 1, 8);
  ASSERT_EQ(lines[0].size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_FLOAT_EQ(lines[0][i].first, expected[i].first);
    EXPECT_NEAR(lines[0][i].second, expected[i].second, 1e-9);
  }
}

TEST(DrawPolyLine, APriceWithoutValueEndsTheLine) {
  TestDataProvider provider;
  const std::vector<double> close{10, 12, 15, 11, 9, 14};
  std::vector<double> high = close;
  for (double& v : high) v += 1.0;
  SetPrices(provider, high, close, close, close);
  provider.failingReads.insert({4, 3});
  // H>0 holds everywhere; the price C is missing at bar 3.
  DrawRun run("PLOYLINE(H>0,C);", provider);
  const auto lines = LinesOf(run.Draw(0, 5));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], (Points{{0, 10}, {1, 12}, {2, 15}}));
  // After the gap the line starts afresh: bar 3 is not filled in.
  EXPECT_EQ(lines[1], (Points{{4, 9}, {5, 14}}));
}

TEST(DrawLine, ExtendFlagsZeroAndOneGiveSegmentsAndRays) {
  TestDataProvider provider;
  // Up bars (C>O) start a segment at their high, down bars (C<O) end it at their low.
  const std::vector<double> open{10, 11, 12, 11, 12, 13, 12};
  const std::vector<double> close{11, 10, 12, 12, 11, 14, 11};
  std::vector<double> high;
  std::vector<double> low;
  for (size_t i = 0; i < open.size(); ++i) {
    high.push_back(std::max(open[i], close[i]) + 0.5);
    low.push_back(std::min(open[i], close[i]) - 0.5);
  }
  SetPrices(provider, high, open, low, close);
  for (int extend : {0, 1}) {
    DrawRun run("DRAWLINE(C>O,H,C<O,L," + std::to_string(extend) + ");", provider);
    const auto drawings = run.Draw(0, 6);
    ASSERT_EQ(drawings.size(), 1u);
    ASSERT_EQ(drawings[0].curves.size(), 1u);
    const auto& lines = drawings[0].curves[0].lines;
    // Bar 0 up, 1 down, 2 flat: segment 0->1. Bar 3 up, 4 down: 3->4. Bar 5 up,
    // 6 down: 5->6, closed at the end.
    ASSERT_EQ(lines.size(), 3u) << extend;
    const Points expected[] = {{{0, 11.5}, {1, 9.5}}, {{3, 12.5}, {4, 10.5}}, {{5, 14.5}, {6, 10.5}}};
    for (size_t i = 0; i < 3; ++i) {
      EXPECT_EQ(PointsOf(lines[i]), expected[i]) << extend;
      EXPECT_FALSE(lines[i].extendStart);
      EXPECT_EQ(lines[i].extendEnd, extend == 1);
    }
  }
}

TEST(DrawLine, ExtendFlagTwoAbandonsTheDrawingOnceASegmentIsComplete) {
  TestDataProvider provider;
  const std::vector<double> open{10, 11, 12};
  const std::vector<double> close{11, 10, 13};
  SetPrices(provider, close, open, open, close);
  DrawRun run("DRAWLINE(C>O,H,C<O,L,2);X:C;", provider);
  const auto drawings = run.Draw(0, 2);
  // Only the plain line of the second output is left.
  ASSERT_EQ(drawings.size(), 1u);
  EXPECT_EQ(drawings[0].curves[0].lines.size(), 1u);
  EXPECT_EQ(drawings[0].curves[0].lines[0].points.GetPoint().size(), 3u);
  // Without a complete segment the drawing stays, with its empty curve.
  const auto early = run.Draw(0, 0);
  ASSERT_EQ(early.size(), 2u);
  ASSERT_EQ(early[0].curves.size(), 1u);
  EXPECT_TRUE(early[0].curves[0].lines.empty());
}

}  // namespace
