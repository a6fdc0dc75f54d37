// Fibonacci tools: repeated channel, digestion point, time zones, golden
// section, and their settings.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "abacor/tool_settings.h"
#include "drawtools/fibonacci_tools.h"
#include "support/drawing_checks.h"
#include "support/shape_fixture.h"

using namespace TarnDrawInfo;

namespace {

class FibonacciToolsTest : public ::testing::Test {
 protected:
  const std::vector<GraphDrawInfo>& Draw(ToolHandle& tool, const std::vector<std::pair<float, double>>& points) {
    tool->SetCoordinate(&coord);
    tool->SetPoints(Anchors(points));
    return tool->GetDrawInfo();
  }
  TestCoordinate coord;  // 10 pixels per bar, 10 pixels per price unit
};

// ---- Repeated channel --------------------------------------------------------

struct ChannelCase {
  const char* name;
  TarnPoint p0, p1, p2;
  float dx;  // expected offset per repeat
  double dy;
};

TEST_F(FibonacciToolsTest, ChannelRepeatsTheOffsetThroughTheThirdPoint) {
  const ChannelCase cases[] = {
      {"gentle slope: vertical offset", {0, 10}, {10, 15}, {5, 16}, 0.0f, 3.5},
      {"steep slope: horizontal offset", {0, 0}, {1, 10}, {3, 10}, 2.0f, 0.0},
      {"vertical base", {5, 0}, {5, 10}, {8, 3}, 3.0f, 0.0},
      {"flat base", {0, 10}, {10, 10}, {4, 12}, 0.0f, 2.0},
  };
  for (const ChannelCase& c : cases) {
    ToolHandle tool(TARN_GRAPH_COMPLEX_FIB_CHANNEL);
    const auto& curve = OnlyCurve(Draw(tool, {{c.p0.x, c.p0.y}, {c.p1.x, c.p1.y}, {c.p2.x, c.p2.y}}));
    ASSERT_EQ(curve.lines.size(), 30u) << c.name;
    ExpectPoint(LinePoints(curve.lines[0])[0], c.p0.x, c.p0.y, c.name);
    size_t line = 1;
    for (int i = -15; i <= 14; ++i) {
      if (i == 0) continue;
      const auto pts = LinePoints(curve.lines[line++]);
      ExpectPoint(pts[0], c.p0.x + i * c.dx, c.p0.y + i * c.dy, c.name);
      ExpectPoint(pts[1], c.p1.x + i * c.dx, c.p1.y + i * c.dy, c.name);
      EXPECT_TRUE(curve.lines[line - 1].extendStart && curve.lines[line - 1].extendEnd);
    }
    // The first repeat on p2's side passes through p2: p2 lies on the
    // segment's line, i.e. the cross product vanishes.
    const auto through = LinePoints(curve.lines[16]);
    const double cross = (through[1].x - through[0].x) * (c.p2.y - through[0].y) -
                         (through[1].y - through[0].y) * (c.p2.x - through[0].x);
    EXPECT_NEAR(cross, 0.0, 1e-4) << c.name;
  }
}

TEST_F(FibonacciToolsTest, ChannelWithThirdPointOnTheBaseDrawsOnlyTheBase) {
  ToolHandle tool(TARN_GRAPH_COMPLEX_FIB_CHANNEL);
  EXPECT_EQ(OnlyCurve(Draw(tool, {{0, 10}, {10, 15}, {5, 12.5}})).lines.size(), 1u);
  // While the third point is not placed yet: the first click and the mouse.
  ToolHandle two(TARN_GRAPH_COMPLEX_FIB_CHANNEL);
  two->SetCoordinate(&coord);
  two->OnAddPoint(coord.Px(0), coord.Py(10));
  two->OnPreviewPoint(coord.Px(10), coord.Py(15));
  EXPECT_EQ(OnlyCurve(two->GetDrawInfo()).lines.size(), 1u);
}

// ---- Digestion point -----------------------------------------------------------

TEST_F(FibonacciToolsTest, DigestionApexOfTheExampleBase) {
  // Pixels (0, 0) and (100, 0) on the test pane.
  const double basePrice = coord.Price(0.0f);
  ToolHandle tool(TARN_GRAPH_COMPLEX_DIGESTION_POINT);
  const auto& drawings = Draw(tool, {{coord.Bar(0.0f), basePrice}, {coord.Bar(100.0f), basePrice}});
  ASSERT_EQ(drawings.size(), 1u);
  ASSERT_EQ(drawings[0].curves.size(), 2u);
  EXPECT_EQ(drawings[0].curves[0].lineStyle, LINE_STYLE_SOLID);
  EXPECT_EQ(drawings[0].curves[0].lines.size(), 1u);
  const CurveDrawInfo& sides = drawings[0].curves[1];
  EXPECT_EQ(sides.lineStyle, LINE_STYLE_DASH);
  ASSERT_EQ(sides.lines.size(), 2u);
  const TarnPoint apex = LinePoints(sides.lines[0])[1];
  EXPECT_NEAR(coord.Px(apex.x), -36.6, 0.1);
  EXPECT_NEAR(coord.Py(apex.y), -136.7, 0.1);
  ExpectPoint(LinePoints(sides.lines[1])[1], apex.x, apex.y);
  // Interior angles in pixels: about 105 degrees at p0, 45 at p1.
  const double ax = coord.Px(apex.x), ay = coord.Py(apex.y);
  const double atP0 = std::acos((ax * 100.0) / (100.0 * std::hypot(ax, ay))) * 180.0 / M_PI;
  const double atP1 = std::acos(((ax - 100.0) * -100.0) / (100.0 * std::hypot(ax - 100.0, ay))) * 180.0 / M_PI;
  EXPECT_NEAR(atP0, 105.0, 0.1);
  EXPECT_NEAR(atP1, 45.0, 0.1);
}

// ---- Time zones --------------------------------------------------------------

TEST_F(FibonacciToolsTest, TimeZonesDrawElevenLabelledLines) {
  ToolHandle tool(TARN_GRAPH_COMPLEX_FIB_TIME_ZONE);
  const auto& drawings = Draw(tool, {{10, 5.0}, {12, 8.0}});
  ASSERT_EQ(drawings.size(), 1u);
  const CurveDrawInfo& lines = drawings[0].curves.at(0);
  const TextDrawInfo& labels = drawings[0].texts.at(0);
  const std::vector<std::string> expected = {"0", "1", "1", "2", "3", "5", "8", "13", "21", "34", "55"};
  EXPECT_EQ(TextsOf(labels), expected);
  ASSERT_EQ(lines.lines.size(), 11u);
  // Fibonacci numbers by a plain loop, times the distance of two bars.
  int a = 0, b = 1;
  for (size_t i = 0; i < 11; ++i) {
    const float x = 10.0f + 2.0f * a;
    const auto pts = LinePoints(lines.lines[i]);
    ExpectPoint(pts[0], x, 5.0);
    ExpectPoint(pts[1], x, 8.0);
    EXPECT_TRUE(lines.lines[i].extendStart && lines.lines[i].extendEnd);
    ExpectPoint(labels.items[i].position, x, 5.0);
    const int next = a + b;
    a = b;
    b = next;
  }
}

TEST_F(FibonacciToolsTest, TimeZonesWithABackwardsSecondPointDrawOneLine) {
  ToolHandle tool(TARN_GRAPH_COMPLEX_FIB_TIME_ZONE);
  const auto& drawings = Draw(tool, {{10, 5.0}, {7, 8.0}});
  ASSERT_EQ(drawings.size(), 1u);
  ASSERT_EQ(drawings[0].curves[0].lines.size(), 1u);
  ExpectPoint(LinePoints(drawings[0].curves[0].lines[0])[0], 10, 5.0);
  ExpectPoint(LinePoints(drawings[0].curves[0].lines[0])[1], 10, 8.0);
  EXPECT_TRUE(drawings[0].texts[0].items.empty());
}

TEST_F(FibonacciToolsTest, TimeZonesStoreDefaultLevelsOnFirstDraw) {
  ToolHandle tool(TARN_GRAPH_COMPLEX_FIB_TIME_ZONE);
  stFibTimeZoneSettings settings;
  tool->GetToolSettings(&settings);
  EXPECT_TRUE(settings.GetLineParams().empty());
  EXPECT_EQ(settings.GetExtendDirection(), LINE_EXTEND_BOTH);
  Draw(tool, {{10, 5.0}, {12, 8.0}});
  tool->GetToolSettings(&settings);
  const int levels[] = {0, 1, 1, 2, 3, 5, 8, 13, 21, 34, 55};
  ASSERT_EQ(settings.GetLineParams().size(), 11u);
  for (size_t i = 0; i < 11; ++i) {
    const stSingleLineDrawParams& p = settings.GetLineParams()[i];
    EXPECT_EQ(p.index, static_cast<int>(i));
    EXPECT_EQ(p.GetIntLevel(), levels[i]);
    EXPECT_EQ(p.hostValueA, 1);
    EXPECT_EQ(p.hostValueB, 1);
    EXPECT_FALSE(p.color.useValue);
    EXPECT_EQ(p.color.colorId, 0);
  }
}

TEST_F(FibonacciToolsTest, TimeZonesFollowTheirSettings) {
  ToolHandle tool(TARN_GRAPH_COMPLEX_FIB_TIME_ZONE);
  stFibTimeZoneSettings settings;
  std::vector<stSingleLineDrawParams> levels(2);
  levels[0].SetIntLevel(-1);
  levels[1].SetIntLevel(4);
  settings.SetLineParams(levels);
  settings.SetExtendDirection(LINE_EXTEND_NONE);
  tool->SetToolSettings(&settings);
  const auto& lines = OnlyCurve(Draw(tool, {{10, 5.0}, {13, 8.0}})).lines;
  ASSERT_EQ(lines.size(), 2u);
  ExpectPoint(LinePoints(lines[0])[0], 7, 5.0);
  ExpectPoint(LinePoints(lines[1])[1], 22, 8.0);
  EXPECT_FALSE(lines[0].extendStart || lines[0].extendEnd);

  settings.SetExtendDirection(static_cast<enLineExtendDirection>(LINE_EXTEND_LEFT));
  tool->SetToolSettings(&settings);
  EXPECT_TRUE(tool->GetDrawInfo().empty()) << "left is no direction of vertical lines";

  // A null pointer changes nothing.
  tool->SetToolSettings(static_cast<const stFibTimeZoneSettings*>(nullptr));
  tool->GetToolSettings(static_cast<stFibTimeZoneSettings*>(nullptr));
  stFibTimeZoneSettings back;
  tool->GetToolSettings(&back);
  EXPECT_EQ(back.GetExtendDirection(), LINE_EXTEND_LEFT);
  EXPECT_EQ(back.GetLineParams().size(), 2u);
}

TEST_F(FibonacciToolsTest, TimeZonesNeedThePanePriceRange) {
  ToolHandle tool(TARN_GRAPH_COMPLEX_FIB_TIME_ZONE);
  coord.refuseMinPrice = true;
  EXPECT_TRUE(Draw(tool, {{10, 5.0}, {12, 8.0}}).empty());
}

TEST_F(FibonacciToolsTest, TimeZonePointsSnapToWholeBars) {
  ToolHandle tool(TARN_GRAPH_COMPLEX_FIB_TIME_ZONE);
  tool->SetCoordinate(&coord);
  tool->SetPoints(Anchors({{3.5f, 5.0}, {3.49f, 8.0}}));
  const auto pts = PointsOf(tool.get());
  EXPECT_EQ(pts[0].x, 4.0f);
  EXPECT_EQ(pts[1].x, 3.0f);
}

struct ExtensionCase {
  enLineExtendDirection direction;
  double y0, y1;
  bool ok, start, end;
  double nudge;
};

TEST(FibExtension, TimeZoneFlagsAndNudges) {
  const TarnPoint p{0, 0};
  const ExtensionCase cases[] = {
      {LINE_EXTEND_NONE, 5, 8, true, false, false, 0},
      {LINE_EXTEND_BOTH, 5, 8, true, true, true, 0},
      {LINE_EXTEND_BOTH, 50, 50, true, true, true, 1.0},
      {LINE_EXTEND_BOTH, 99.5, 99.5, true, true, true, 0.5},
      {LINE_EXTEND_UP, 5, 8, true, false, true, 0},
      {LINE_EXTEND_UP, 8, 5, true, true, false, 0},
      {LINE_EXTEND_UP, 50, 50, true, false, true, 1.0},
      {LINE_EXTEND_DOWN, 8, 5, true, false, true, 0},
      {LINE_EXTEND_DOWN, 5, 8, true, true, false, 0},
      {LINE_EXTEND_DOWN, 50, 50, true, false, true, -1.0},
      {LINE_EXTEND_DOWN, 10.25, 10.25, true, false, true, -0.25},
      {LINE_EXTEND_LEFT, 5, 8, false, false, false, 0},
      {static_cast<enLineExtendDirection>(9), 5, 8, false, false, false, 0},
  };
  for (const ExtensionCase& c : cases) {
    LevelLineExtension e;
    const bool ok = TimeZoneExtension(c.direction, TarnPoint{p.x, c.y0}, TarnPoint{p.x, c.y1}, 100.0, 10.0, &e);
    ASSERT_EQ(ok, c.ok) << c.direction << " " << c.y0;
    if (!ok) continue;
    EXPECT_EQ(e.extendStart, c.start) << c.direction << " " << c.y0 << " " << c.y1;
    EXPECT_EQ(e.extendEnd, c.end) << c.direction << " " << c.y0 << " " << c.y1;
    EXPECT_DOUBLE_EQ(e.nudge, c.nudge) << c.direction << " " << c.y0;
  }
}

struct GoldenExtensionCase {
  enLineExtendDirection direction;
  float x0, x1;
  bool ok, start, end;
  double nudge;
};

TEST(FibExtension, GoldenSectionFlagsAndNudges) {
  const GoldenExtensionCase cases[] = {
      {LINE_EXTEND_NONE, 0, 5, true, false, false, 0},  {LINE_EXTEND_BOTH, 0, 5, true, true, true, 0},
      {LINE_EXTEND_BOTH, 3, 3, true, true, true, 1},    {LINE_EXTEND_LEFT, 0, 5, true, true, false, 0},
      {LINE_EXTEND_LEFT, 5, 0, true, false, true, 0},   {LINE_EXTEND_LEFT, 3, 3, true, false, true, -1},
      {LINE_EXTEND_RIGHT, 0, 5, true, false, true, 0},  {LINE_EXTEND_RIGHT, 5, 0, true, true, false, 0},
      {LINE_EXTEND_RIGHT, 3, 3, true, false, true, 1},  {LINE_EXTEND_UP, 0, 5, false, false, false, 0},
      {LINE_EXTEND_DOWN, 0, 5, false, false, false, 0},
  };
  for (const GoldenExtensionCase& c : cases) {
    LevelLineExtension e;
    const bool ok = GoldenSectionExtension(c.direction, {TarnPoint{c.x0, 1.0}, TarnPoint{c.x1, 2.0}}, &e);
    ASSERT_EQ(ok, c.ok) << c.direction;
    if (!ok) continue;
    EXPECT_EQ(e.extendStart, c.start) << c.direction << " " << c.x0 << " " << c.x1;
    EXPECT_EQ(e.extendEnd, c.end) << c.direction << " " << c.x0 << " " << c.x1;
    EXPECT_DOUBLE_EQ(e.nudge, c.nudge) << c.direction;
  }
  LevelLineExtension e;
  EXPECT_FALSE(GoldenSectionExtension(LINE_EXTEND_BOTH, {TarnPoint{0, 1}, TarnPoint{1, 2}, TarnPoint{2, 3}}, &e));
}

// ---- Golden section -----------------------------------------------------------

TEST_F(FibonacciToolsTest, GoldenSectionTwelveLevelsWithSolidBounds) {
  ToolHandle tool(TARN_GRAPH_COMPLEX_GOLDEN_SECTION);
  const auto& drawings = Draw(tool, {{0, 10.0}, {10, 20.0}});
  ASSERT_EQ(drawings.size(), 1u);
  ASSERT_EQ(drawings[0].curves.size(), 2u);
  const CurveDrawInfo& solid = drawings[0].curves[0];
  const CurveDrawInfo& dashed = drawings[0].curves[1];
  EXPECT_EQ(solid.lineStyle, LINE_STYLE_SOLID);
  EXPECT_EQ(dashed.lineStyle, LINE_STYLE_DASH);
  ASSERT_EQ(solid.lines.size(), 2u);
  ASSERT_EQ(dashed.lines.size(), 10u);
  ExpectPoint(LinePoints(solid.lines[0])[0], 0, 10.0, "level 0");
  ExpectPoint(LinePoints(solid.lines[1])[1], 10, 20.0, "level 1");
  const double dashedLevels[] = {0.236, 0.382, 0.5, 0.618, 1.382, 1.5, 1.618, 2, 2.382, 2.618};
  for (size_t i = 0; i < 10; ++i) {
    ExpectPoint(LinePoints(dashed.lines[i])[0], 0, 10.0 + 10.0 * dashedLevels[i]);
    EXPECT_NEAR(LinePoints(dashed.lines[i])[1].y, 10.0 + 10.0 * dashedLevels[i], 1e-5);
    EXPECT_TRUE(dashed.lines[i].extendStart && dashed.lines[i].extendEnd);
  }
  const TextDrawInfo& labels = drawings[0].texts.at(0);
  const std::vector<std::string> expected = {"10",           "23.6% 12.36", "38.2% 13.82",  "50% 15",
                                             "61.8% 16.18",  "100% 20",     "138.2% 23.82", "150% 25",
                                             "161.8% 26.18", "200% 30",     "238.2% 33.82", "261.8% 36.18"};
  EXPECT_EQ(TextsOf(labels), expected);
  // Six pixels above the line's left end: 0.6 in price on this pane.
  ExpectPoint(labels.items[3].position, 0, 15.6);
}

TEST_F(FibonacciToolsTest, GoldenSectionLabelsFollowTheDisplayFlags) {
  struct Case {
    bool ratio, price;
    size_t count;       // labels drawn
    std::string first;  // the first label
  };
  const Case cases[] = {
      {true, true, 12, "10"}, {false, true, 12, "10"}, {true, false, 11, "23.6% "}, {false, false, 0, ""}};
  for (const Case& c : cases) {
    ToolHandle tool(TARN_GRAPH_COMPLEX_GOLDEN_SECTION);
    stGoldenSectionSettings settings;
    settings.SetDisplayRatio(c.ratio);
    settings.SetDisplayPrice(c.price);
    tool->SetToolSettings(&settings);
    const auto& drawings = Draw(tool, {{0, 10.0}, {10, 20.0}});
    ASSERT_EQ(drawings.size(), 1u);
    EXPECT_EQ(drawings[0].curves[0].lines.size() + drawings[0].curves[1].lines.size(), 12u);
    const auto texts = TextsOf(drawings[0].texts[0]);
    ASSERT_EQ(texts.size(), c.count) << c.ratio << c.price;
    if (c.count > 0) {
      EXPECT_EQ(texts[0], c.first);
    }
  }
}

TEST_F(FibonacciToolsTest, GoldenSectionOnOneBarIsNudgedRight) {
  ToolHandle tool(TARN_GRAPH_COMPLEX_GOLDEN_SECTION);
  stGoldenSectionSettings settings;
  std::vector<stSingleLineDrawParams> levels(1);
  levels[0].SetFloatLevel(0.5f);
  settings.SetLineParams(levels);
  tool->SetToolSettings(&settings);
  const auto& drawings = Draw(tool, {{4, 10.0}, {4, 20.0}});
  ASSERT_EQ(drawings.size(), 1u);
  EXPECT_TRUE(drawings[0].curves[0].lines.empty());
  ASSERT_EQ(drawings[0].curves[1].lines.size(), 1u);
  ExpectPoint(LinePoints(drawings[0].curves[1].lines[0])[1], 5, 15.0);
}

TEST_F(FibonacciToolsTest, OtherToolsIgnoreSettings) {
  ToolHandle tool(TARN_GRAPH_COMPLEX_SPEED_RESISTANCE);
  stGoldenSectionSettings settings;
  settings.SetDisplayPrice(false);
  tool->SetToolSettings(&settings);
  stGoldenSectionSettings out;
  out.SetDisplayRatio(false);
  tool->GetToolSettings(&out);
  EXPECT_FALSE(out.GetDispLayRatio());
  EXPECT_TRUE(out.GetDisplayPrice());
}

}  // namespace
