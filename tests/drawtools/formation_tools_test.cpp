// Top and bottom formations: level, sloped and bent guides from the host's
// extra points, and the arcs.
#include <gtest/gtest.h>

#include <vector>

#include "drawtools/formation_tools.h"
#include "support/drawing_checks.h"
#include "support/shape_fixture.h"

using namespace TarnDrawInfo;

namespace {

class FormationToolsTest : public ::testing::Test {
 protected:
  // `count` points from x = 0 to x = span, zigzagging between 10 and 20.
  static std::vector<std::pair<float, double>> Zigzag(unsigned count, float span) {
    std::vector<std::pair<float, double>> points;
    for (unsigned i = 0; i < count; ++i) {
      points.push_back({span * static_cast<float>(i) / static_cast<float>(count - 1), i % 2 ? 20.0 : 10.0});
    }
    return points;
  }
  const std::vector<GraphDrawInfo>& Draw(ToolHandle& tool, const std::vector<std::pair<float, double>>& points,
                                         const std::vector<std::pair<float, double>>& extra) {
    tool->SetCoordinate(&coord);
    if (!extra.empty()) {
      EXPECT_TRUE(tool->SetExtraPoints(Anchors(extra)));
    }
    tool->SetPoints(Anchors(points));
    return tool->GetDrawInfo();
  }
  // The grey guide record of a single drawing.
  static const CurveDrawInfo& Guides(const std::vector<GraphDrawInfo>& drawings) {
    static const CurveDrawInfo none;
    if (drawings.size() != 1 || drawings[0].curves.size() != 2) {
      ADD_FAILURE() << "expected one drawing with main and guide records";
      return none;
    }
    return drawings[0].curves[1];
  }
  TestCoordinate coord;
};

TEST_F(FormationToolsTest, DoubleTopDrawsNothingUntilComplete) {
  ToolHandle tool(TARN_GRAPH_DOUBLE_TOP);
  auto points = Zigzag(5, 20);
  points.pop_back();
  tool->SetCoordinate(&coord);
  tool->SetPoints(Anchors(points));
  EXPECT_TRUE(tool->GetDrawInfo().empty());
  // Three clicks and the mouse: four draw points, nothing drawn; the fourth
  // click makes the mouse point the fifth and the preview appears.
  ToolHandle placing(TARN_GRAPH_DOUBLE_TOP);
  placing->SetCoordinate(&coord);
  for (size_t i = 0; i < 3; ++i) placing->OnAddPoint(coord.Px(points[i].first), coord.Py(points[i].second));
  placing->OnPreviewPoint(coord.Px(points[3].first), coord.Py(points[3].second));
  EXPECT_TRUE(placing->GetDrawInfo().empty());
  placing->OnAddPoint(coord.Px(points[3].first), coord.Py(points[3].second));
  placing->OnPreviewPoint(coord.Px(20), coord.Py(10));
  EXPECT_EQ(placing->GetDrawInfo().size(), 1u);
}

TEST_F(FormationToolsTest, DoubleTopLevelGuidesReachTenPercentBeyondBothEnds) {
  ToolHandle tool(TARN_GRAPH_DOUBLE_TOP);
  const auto& drawings = Draw(tool, Zigzag(5, 20), {{1, 15.0}, {3, 99.0}, {2, 12.0}, {4, 0.0}});
  ASSERT_EQ(drawings.size(), 1u);
  EXPECT_EQ(LinePoints(drawings[0].curves.at(0).lines.at(0)).size(), 5u);
  const CurveDrawInfo& guides = Guides(drawings);
  EXPECT_EQ(guides.lineColor.colorValue, 0xFFA9A9A9u);
  EXPECT_TRUE(guides.lineColor.useValue);
  EXPECT_EQ(guides.lineWidth, 1.0f);
  EXPECT_EQ(guides.lineStyle, LINE_STYLE_DASH);
  ASSERT_EQ(guides.lines.size(), 2u);
  ExpectPoint(LinePoints(guides.lines[0])[0], -2, 15.0);
  ExpectPoint(LinePoints(guides.lines[0])[1], 22, 15.0);
  ExpectPoint(LinePoints(guides.lines[1])[0], -2, 12.0);
  ExpectPoint(LinePoints(guides.lines[1])[1], 22, 12.0);
}

TEST_F(FormationToolsTest, FlagGuideThroughItsPair) {
  ToolHandle tool(TARN_GRAPH_BULLISH_FLAG);
  const CurveDrawInfo& guides = Guides(Draw(tool, Zigzag(6, 20), {{0, 10.0}, {10, 20.0}}));
  ASSERT_EQ(guides.lines.size(), 1u);
  ExpectPoint(LinePoints(guides.lines[0])[0], -2, 8.0);
  ExpectPoint(LinePoints(guides.lines[0])[1], 22, 32.0);
}

TEST_F(FormationToolsTest, SlopedGuideOfAVerticalPairIsLeftOut) {
  ToolHandle tool(TARN_GRAPH_BULLISH_CONTINUOUS_WEDGE);
  const auto& drawings = Draw(tool, Zigzag(5, 20), {{5, 10.0}, {5, 20.0}, {0, 10.0}, {10, 10.0}});
  const CurveDrawInfo& guides = Guides(drawings);
  ASSERT_EQ(guides.lines.size(), 1u);
  ExpectPoint(LinePoints(guides.lines[0])[1], 22, 10.0);
  EXPECT_TRUE(AllPointsFinite(drawings));
}

TEST_F(FormationToolsTest, DiamondBentGuidesIgnoreATrailingPair) {
  ToolHandle tool(TARN_GRAPH_BULLISH_CONTINUOUS_DIAMOND);
  const CurveDrawInfo& guides =
      Guides(Draw(tool, Zigzag(9, 16), {{0, 10.0}, {8, 20.0}, {8, 20.0}, {16, 10.0}, {2, 3.0}, {4, 5.0}}));
  ASSERT_EQ(guides.lines.size(), 1u);
  const auto bent = LinePoints(guides.lines[0]);
  ASSERT_EQ(bent.size(), 3u);
  // L = -1.6, R = 17.6; the first line rises 1.25 per bar, the second falls.
  ExpectPoint(bent[0], -1.6f, 8.0);
  ExpectPoint(bent[1], 8, 20.0);
  ExpectPoint(bent[2], 17.6f, 8.0);
}

TEST_F(FormationToolsTest, ArcIsAQuadraticBezierWithLevelGuides) {
  ToolHandle tool(TARN_GRAPH_ARC_BOTTOM);
  const auto& drawings = Draw(tool, {{0, 10.0}, {20, 10.0}, {10, 2.0}}, {{5, 10.0}, {6, 0.0}});
  ASSERT_EQ(drawings.size(), 1u);
  ASSERT_EQ(drawings[0].bezierCurves.size(), 1u);
  const auto& curve = drawings[0].bezierCurves[0];
  EXPECT_EQ(curve.lineColor.colorId, 1);
  ASSERT_EQ(curve.curves.size(), 1u);
  const auto pts = curve.curves[0].GetPoint();
  ASSERT_EQ(pts.size(), 3u);
  ExpectPoint(pts[0], 0, 10.0, "start");
  ExpectPoint(pts[1], 10, 2.0, "control");
  ExpectPoint(pts[2], 20, 10.0, "end");
  ASSERT_EQ(drawings[0].curves.size(), 1u);
  ASSERT_EQ(drawings[0].curves[0].lines.size(), 1u);
  ExpectPoint(LinePoints(drawings[0].curves[0].lines[0])[0], -2, 10.0);
  ExpectPoint(LinePoints(drawings[0].curves[0].lines[0])[1], 22, 10.0);
}

TEST_F(FormationToolsTest, ArcExtentUsesTheEndPointNotTheControl) {
  ToolHandle tool(TARN_GRAPH_ARC_TOP);
  const auto& drawings = Draw(tool, {{0, 10.0}, {10, 10.0}, {30, 20.0}}, {{0, 12.0}, {1, 12.0}});
  const auto guide = LinePoints(drawings.at(0).curves.at(0).lines.at(0));
  ExpectPoint(guide[0], -1, 12.0);
  ExpectPoint(guide[1], 11, 12.0);
}

// A top draws exactly what its bottom draws.
TEST_F(FormationToolsTest, TopsInheritTheirBottomsDrawing) {
  for (int bottom = TARN_GRAPH_TRIPLE_BOTTOM; bottom <= TARN_GRAPH_ARC_BOTTOM; ++bottom) {
    ToolHandle b(bottom);
    ToolHandle t(bottom + 30);
    ASSERT_EQ(static_cast<int>(t->GetGraphType()), bottom + 30);
    ASSERT_EQ(b->GetPointCount(), t->GetPointCount()) << bottom;
    const auto points = Zigzag(b->GetPointCount(), 24);
    const std::vector<std::pair<float, double>> extra = {{0, 11.0}, {6, 14.0}, {12, 17.0}, {18, 13.0}};
    const auto& db = Draw(b, points, extra);
    const auto& dt = Draw(t, points, extra);
    ASSERT_EQ(db.size(), 1u) << bottom;
    ASSERT_EQ(dt.size(), 1u) << bottom;
    EXPECT_EQ(db[0].drawOrder, dt[0].drawOrder) << bottom;
    ASSERT_EQ(db[0].curves.size(), dt[0].curves.size()) << bottom;
    EXPECT_GT(ItemCount(db[0]), 1u) << bottom << ": guides drawn";
    for (size_t r = 0; r < db[0].curves.size(); ++r) {
      ASSERT_EQ(db[0].curves[r].lines.size(), dt[0].curves[r].lines.size());
      for (size_t i = 0; i < db[0].curves[r].lines.size(); ++i) {
        const auto pb = LinePoints(db[0].curves[r].lines[i]);
        const auto pt = LinePoints(dt[0].curves[r].lines[i]);
        ASSERT_EQ(pb.size(), pt.size());
        for (size_t k = 0; k < pb.size(); ++k) ExpectPoint(pt[k], pb[k].x, pb[k].y);
      }
    }
  }
}

TEST_F(FormationToolsTest, GuideShapeOfEveryBottom) {
  struct Case {
    int type;
    FormationGuides guides;
  };
  // The drawing of each class equals the shared builder with its guide shape.
  const Case cases[] = {
      {120, FormationGuides::kLevel}, {121, FormationGuides::kSloped}, {122, FormationGuides::kLevel},
      {123, FormationGuides::kLevel}, {124, FormationGuides::kSloped}, {125, FormationGuides::kSloped},
      {126, FormationGuides::kBent},  {127, FormationGuides::kSloped}, {128, FormationGuides::kSloped}};
  const std::vector<std::pair<float, double>> extra = {{0, 11.0}, {6, 14.0}, {12, 17.0}, {18, 13.0}};
  for (const Case& c : cases) {
    ToolHandle tool(c.type);
    const auto points = Zigzag(tool->GetPointCount(), 24);
    const auto& drawn = Draw(tool, points, extra);
    std::vector<TarnPoint> chart;
    for (const auto& p : points) chart.push_back(TarnPoint{p.first, p.second});
    const GraphDrawInfo expected = FormationDrawing(c.guides, chart, Anchors(extra), tool->GetDrawInfo()[0].curves[0]);
    ASSERT_EQ(drawn.size(), 1u);
    const auto& got = drawn[0].curves.at(1).lines;
    const auto& want = expected.curves.at(1).lines;
    ASSERT_EQ(got.size(), want.size()) << c.type;
    for (size_t i = 0; i < got.size(); ++i) EXPECT_EQ(LinePoints(got[i]).size(), LinePoints(want[i]).size());
    ExpectPoint(LinePoints(got[0]).back(), LinePoints(want[0]).back().x, LinePoints(want[0]).back().y);
  }
}

}  // namespace
