// Filled areas end to end: BAND and FILLRGN.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "support/draw_run.h"

using TarnDrawInfo::GraphDrawInfo;
using Points = std::vector<std::pair<float, double>>;

namespace {

void ExpectPolygon(const TarnDrawInfo::CurveLine& line, const Points& expected) {
  const Points actual = PointsOf(line);
  ASSERT_EQ(actual.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_NEAR(actual[i].first, expected[i].first, 1e-6) << i;
    EXPECT_NEAR(actual[i].second, expected[i].second, 1e-9) << i;
  }
  EXPECT_FALSE(line.extendStart);
  EXPECT_FALSE(line.extendEnd);
}

TEST(DrawBand, CrossingsAddTheIntersectionVertexAndSidesKeepTheirColours) {
  TestDataProvider provider;
  // First value H over second value L at bars 0, 1 and 4; below at 2 and 3.
  SetPrices(provider, {5, 6, 4, 3, 6}, {0, 0, 0, 0, 0}, {3, 4, 5, 5, 4}, {0, 0, 0, 0, 0});
  DrawRun run("DRAWBAND(H,1,L,2);", provider);
  const GraphDrawInfo d = run.Draw(0, 4).at(0);
  ASSERT_EQ(d.curves.size(), 2u);
  // Colour codes carry 0xBBGGRR in the bits of a float: 1.0f is 0x3F800000, 2.0f 0x40000000.
  EXPECT_EQ(d.curves[0].fillColor.colorValue, 0xFF800000u);
  EXPECT_EQ(d.curves[1].fillColor.colorValue, 0xFF000000u);
  EXPECT_EQ(d.curves[0].fillStyle, TarnDrawInfo::FILL_STYLE_SOLID);
  // The lines cross between bars 1 and 2 and between bars 3 and 4, where
  // H - L changes sign: at 1 + 2/3 and 3 + 1/2.
  const std::pair<float, double> x1{1.0f + 2.0f / 3.0f, 6.0 - 2.0 * 2.0 / 3.0};
  const std::pair<float, double> x2{3.5f, 4.5};
  ASSERT_EQ(d.curves[0].lines.size(), 2u);
  ExpectPolygon(d.curves[0].lines[0], {{0, 5}, {1, 6}, x1, {1, 4}, {0, 3}});
  ExpectPolygon(d.curves[0].lines[1], {x2, {4, 6}, {4, 4}});
  ASSERT_EQ(d.curves[1].lines.size(), 2u);
  // The lower side takes its colour at bar 2, which closes the piece since the crossing.
  ExpectPolygon(d.curves[1].lines[0], {x1, {2, 4}, {2, 5}});
  ExpectPolygon(d.curves[1].lines[1], {{2, 4}, {3, 3}, x2, {3, 5}, {2, 5}});
}

TEST(DrawBand, AColourChangeStartsANewPieceInTheNewColour) {
  TestDataProvider provider;
  // H over L throughout; the first colour code (1 + (C>O)) changes at bar 2.
  SetPrices(provider, {5, 6, 7, 8}, {0, 0, 1, 1}, {3, 3, 3, 3}, {0, 0, 2, 2});
  DrawRun run("DRAWBAND(H,1+(C>O),L,2);", provider);
  const GraphDrawInfo d = run.Draw(0, 3).at(0);
  ASSERT_EQ(d.curves.size(), 2u);
  EXPECT_EQ(d.curves[1].fillColor.colorValue, 0xFF000000u);  // 2.0f
  // The piece up to the change keeps the colour of its bars.
  ASSERT_EQ(d.curves[0].lines.size(), 1u);
  ExpectPolygon(d.curves[0].lines[0], {{0, 5}, {1, 6}, {2, 7}, {2, 3}, {1, 3}, {0, 3}});
  ASSERT_EQ(d.curves[1].lines.size(), 1u);
  ExpectPolygon(d.curves[1].lines[0], {{2, 7}, {3, 8}, {3, 3}, {2, 3}});
}

TEST(DrawBand, ColoursMadeByRgbKeepTheirChannels) {
  TestDataProvider provider;
  SetPrices(provider, {5, 2}, {0, 0}, {3, 4}, {0, 0});
  DrawRun run("DRAWBAND(H,RGB(255,0,0),L,RGB(0,128,255));", provider);
  const GraphDrawInfo d = run.Draw(0, 1).at(0);
  ASSERT_EQ(d.curves.size(), 2u);
  EXPECT_EQ(d.curves[0].fillColor.colorValue, TarnDrawInfo::MakeRGBVal(255, 0, 0));
  EXPECT_EQ(d.curves[1].fillColor.colorValue, TarnDrawInfo::MakeRGBVal(0, 128, 255));
}

TEST(DrawBand, ABarWithoutValuesEndsThePieceWithoutACrossingPoint) {
  TestDataProvider provider;
  SetPrices(provider, {5, 6, 6, 6, 7}, {0, 0, 0, 0, 0}, {3, 4, 4, 4, 4}, {0, 0, 0, 0, 0});
  provider.failingReads.insert({1, 2});  // no H at bar 2
  DrawRun run("DRAWBAND(H,1,L,2);", provider);
  const GraphDrawInfo d = run.Draw(0, 4).at(0);
  ASSERT_EQ(d.curves.size(), 1u);
  ASSERT_EQ(d.curves[0].lines.size(), 2u);
  ExpectPolygon(d.curves[0].lines[0], {{0, 5}, {1, 6}, {1, 4}, {0, 3}});
  ExpectPolygon(d.curves[0].lines[1], {{3, 6}, {4, 7}, {4, 4}, {3, 4}});
}

TEST(DrawFillRegion, ARunOfTrueBarsIsFilledHalfABarBeyondItsEnds) {
  TestDataProvider provider;
  // Condition C>O true at bars 1 to 3.
  SetPrices(provider, {10, 12, 14, 12, 10, 8}, {0, 0, 0, 0, 1, 1}, {8, 9, 10, 9, 8, 6}, {0, 1, 1, 1, 0, 0});
  DrawRun run("FILLRGN(H,L,C>O),COLORRED;", provider);
  const GraphDrawInfo d = run.Draw(0, 5).at(0);
  ASSERT_EQ(d.curves.size(), 2u);
  EXPECT_EQ(d.curves[0].fillColor.colorValue, 0xFF3D3DFFu);
  EXPECT_EQ(d.curves[0].fillStyle, TarnDrawInfo::FILL_STYLE_SOLID);
  // The first bar of the run is a polygon of its own, from the midpoints on either side.
  ASSERT_EQ(d.curves[0].lines.size(), 1u);
  ExpectPolygon(d.curves[0].lines[0], {{0.5, 11}, {1, 12}, {1.5, 13}, {1.5, 9.5}, {1, 9}, {0.5, 8.5}});
  ASSERT_EQ(d.curves[1].lines.size(), 1u);
  ExpectPolygon(
      d.curves[1].lines[0],
      {{1.5, 13}, {2, 14}, {2.5, 13}, {3, 12}, {3.5, 11}, {3.5, 8.5}, {3, 9}, {2.5, 9.5}, {2, 10}, {1.5, 9.5}});
}

TEST(DrawFillRegion, ClippedToTheBarsOwnPointsAtTheEndsOfTheRange) {
  TestDataProvider provider;
  SetPrices(provider, {10, 12, 14, 12, 10, 8}, {0, 0, 0, 0, 1, 1}, {8, 9, 10, 9, 8, 6}, {0, 1, 1, 1, 0, 0});
  DrawRun run("FILLRGN(H,L,C>O);", provider);
  const GraphDrawInfo d = run.Draw(2, 3).at(0);
  ASSERT_EQ(d.curves.size(), 1u);
  ASSERT_EQ(d.curves[0].lines.size(), 1u);
  float lo = 1e9f;
  float hi = -1e9f;
  for (const auto& p : d.curves[0].lines[0].points.GetPoint()) {
    lo = std::min(lo, p.x);
    hi = std::max(hi, p.x);
  }
  EXPECT_EQ(lo, 2.0f);
  EXPECT_EQ(hi, 3.0f);
  // A range of one bar draws nothing.
  EXPECT_TRUE(run.Draw(2, 2).at(0).curves.empty());
}

}  // namespace
