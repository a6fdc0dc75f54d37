// The drawing-tool base: placing, hot points, dragging, the rebuild cycle,
// extra points, style mapping and angle snapping.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "abacor/graph_interface.h"
#include "drawtools/draw_info_builder.h"
#include "drawtools/shape_base.h"
#include "support/test_coordinate.h"

using TarnDrawInfo::TarnPoint;

namespace {

// A tool that draws its draw points as one polyline and counts rebuilds.
class ProbeTool : public TarnGraphShapeBase {
 public:
  ProbeTool(int type = 0, unsigned count = 2) : type_(type), count_(count) {}
  TARN_GRAPH_TYPE GetGraphType() override { return static_cast<TARN_GRAPH_TYPE>(type_); }
  unsigned GetPointCount() override { return count_; }
  bool IsDirty() const { return dirty; }
  const TarnGraphPoint& Current() const { return currentPoint; }
  int builds = 0;
  std::vector<TarnPoint> lastBuilt;

 protected:
  void BuildDrawInfo(std::vector<TarnPoint> points) override {
    ++builds;
    lastBuilt = points;
    TarnDrawInfo::GraphDrawInfo info;
    GraphDrawInfoBuilder b(&info);
    b.AddCurveLine(b.AddCurve(MainCurve()), points, false, false);
    drawings.push_back(info);
  }
  void ApplyConstraints() override {
    if (angleSnap) SnapAngle();
  }

 private:
  int type_;
  unsigned count_;
};

class ShapeBaseTest : public ::testing::Test {
 protected:
  void SetUp() override { TarnGraphInterface::SetHotPointRadius(5); }
  void TearDown() override { TarnGraphInterface::SetHotPointRadius(5); }

  // Places all anchors of `tool` at the given pixel positions.
  void Place(ProbeTool& tool, const std::vector<std::pair<float, float>>& pixels) {
    tool.SetCoordinate(&coord);
    for (const auto& p : pixels) tool.OnAddPoint(p.first, p.second);
  }
  std::vector<TarnGraphPoint> Anchors(ProbeTool& tool) {
    std::vector<TarnGraphPoint> pts;
    tool.GetPoints(pts);
    return pts;
  }

  TestCoordinate coord;
};

TEST_F(ShapeBaseTest, TwoPointClickSequenceThenHotPointSelection) {
  ProbeTool tool;
  tool.SetCoordinate(&coord);
  EXPECT_FALSE(tool.OnAddPoint(100, 100));
  EXPECT_TRUE(tool.OnAddPoint(200, 150));
  const auto pts = Anchors(tool);
  ASSERT_EQ(pts.size(), 2u);
  EXPECT_FLOAT_EQ(pts[0].x, 10.0f);
  EXPECT_DOUBLE_EQ(pts[0].y, 40.0);
  EXPECT_EQ(pts[0].time, TestCoordinate::TimeOf(10.0f));
  EXPECT_FLOAT_EQ(pts[1].x, 20.0f);
  EXPECT_DOUBLE_EQ(pts[1].y, 35.0);

  // Complete: clicks select hot points and place nothing.
  EXPECT_TRUE(tool.OnAddPoint(204.9f, 145.1f));
  EXPECT_EQ(tool.GetSelectedHotPoint(), 1);
  EXPECT_TRUE(tool.OnAddPoint(205.0f, 150.0f));
  EXPECT_EQ(tool.GetSelectedHotPoint(), -1);
  EXPECT_TRUE(tool.OnAddPoint(100.0f, 95.0f));
  EXPECT_EQ(tool.GetSelectedHotPoint(), -1);
  EXPECT_EQ(Anchors(tool).size(), 2u);
  EXPECT_EQ(coord.timeToBarCalls, 0);
}

TEST_F(ShapeBaseTest, HotPointSquareIsStrict) {
  ProbeTool tool;
  Place(tool, {{100, 100}, {300, 300}});
  struct Case {
    float px, py;
    int expected;
  };
  const Case cases[] = {
      {104.9f, 95.1f, 0},  {95.1f, 104.9f, 0},   {105.0f, 100.0f, -1},
      {100.0f, 95.0f, -1}, {104.9f, 105.0f, -1}, {300.0f, 300.0f, 1},
  };
  for (const auto& c : cases) {
    int index = 42;
    EXPECT_EQ(tool.HitHotPoint(c.px, c.py, &index), c.expected >= 0) << c.px << "," << c.py;
    EXPECT_EQ(index, c.expected) << c.px << "," << c.py;
  }
}

TEST_F(ShapeBaseTest, RadiusTenAppliesToExistingTools) {
  ProbeTool tool;
  Place(tool, {{100, 100}, {300, 300}});
  int index = -1;
  EXPECT_FALSE(tool.HitHotPoint(109, 91, &index));
  TarnGraphInterface::SetHotPointRadius(10);
  EXPECT_EQ(TarnGraphInterface::GetHotPointRadius(), 10);
  EXPECT_TRUE(tool.HitHotPoint(109, 91, &index));
  EXPECT_EQ(index, 0);
  EXPECT_FALSE(tool.HitHotPoint(110, 100, &index));
}

TEST_F(ShapeBaseTest, AnchorsThatCannotBeConvertedAreNeverHit) {
  ProbeTool tool;
  Place(tool, {{100, 100}, {300, 300}});
  coord.maxPx = 200;  // anchor 1 is now outside the pane
  int index = 7;
  EXPECT_FALSE(tool.HitHotPoint(300, 300, &index));
  EXPECT_EQ(index, -1);
}

TEST_F(ShapeBaseTest, PreviewIsDrawnOnlyOnceTheMousePointIsPlaced) {
  ProbeTool tool;
  tool.SetCoordinate(&coord);
  tool.OnAddPoint(100, 100);
  // currentPoint is the first anchor, so two draw points exist already.
  EXPECT_EQ(tool.GetDrawInfo().size(), 1u);
  EXPECT_FALSE(tool.IsDirty());

  // A restored single anchor leaves currentPoint unplaced: nothing drawn,
  // still dirty, retried on the next call.
  ProbeTool fresh;
  fresh.SetCoordinate(&coord);
  fresh.SetPoints({TarnGraphPoint{10.0f, 40.0, 0}});
  EXPECT_TRUE(fresh.GetDrawInfo().empty());
  EXPECT_TRUE(fresh.IsDirty());
  EXPECT_EQ(fresh.builds, 0);
  fresh.OnPreviewPoint(150, 120);
  ASSERT_EQ(fresh.GetDrawInfo().size(), 1u);
  EXPECT_FALSE(fresh.IsDirty());
  ASSERT_EQ(fresh.lastBuilt.size(), 2u);
  EXPECT_FLOAT_EQ(fresh.lastBuilt[1].x, 15.0f);
  EXPECT_DOUBLE_EQ(fresh.lastBuilt[1].y, 38.0);
  // Not dirty: the same drawings come back without a rebuild.
  fresh.GetDrawInfo();
  EXPECT_EQ(fresh.builds, 1);
}

TEST_F(ShapeBaseTest, DrawPointsAreAnchorsThenTheMousePointWhilePlacing) {
  ProbeTool tool(0, 3);
  tool.SetCoordinate(&coord);
  tool.OnAddPoint(100, 100);
  tool.OnAddPoint(200, 100);
  tool.OnPreviewPoint(300, 200);
  std::vector<TarnPoint> pts;
  tool.GetDrawPoints(pts);
  ASSERT_EQ(pts.size(), 3u);
  EXPECT_FLOAT_EQ(pts[2].x, 30.0f);
  EXPECT_DOUBLE_EQ(pts[2].y, 30.0);
  tool.OnAddPoint(400, 100);
  tool.OnPreviewPoint(0, 0);  // complete: ignored
  tool.GetDrawPoints(pts);
  ASSERT_EQ(pts.size(), 3u);
  EXPECT_FLOAT_EQ(pts[2].x, 40.0f);
}

TEST_F(ShapeBaseTest, NegativeBarPositionDrawsNothing) {
  ProbeTool tool;
  tool.SetCoordinate(&coord);
  tool.SetPoints({TarnGraphPoint{-0.5f, 40.0, 0}, TarnGraphPoint{3.0f, 40.0, 0}});
  EXPECT_TRUE(tool.GetDrawInfo().empty());
  EXPECT_TRUE(tool.IsDirty());
}

TEST_F(ShapeBaseTest, WithoutCoordinateClicksPlaceNothing) {
  ProbeTool tool;
  EXPECT_FALSE(tool.OnAddPoint(100, 100));
  EXPECT_FALSE(tool.OnAddPoint(100, 100));
  EXPECT_TRUE(Anchors(tool).empty());
  EXPECT_FALSE(tool.OnDrag(0, 0, 10, 10));
  int index = 3;
  EXPECT_FALSE(tool.HitHotPoint(0, 0, &index));
}

TEST_F(ShapeBaseTest, HostSnapComesFirstWithTypeAndIndex) {
  ProbeTool tool(7, 2);
  tool.SetCoordinate(&coord);
  tool.OnAddPoint(100, 100);
  coord.snapEnabled = true;
  coord.snapTo = TarnGraphPoint{33.0f, 12.5, 777};
  EXPECT_TRUE(tool.OnAddPoint(200, 200));
  EXPECT_EQ(coord.lastSnapType, 7);
  EXPECT_EQ(coord.lastSnapIndex, 1);
  const auto pts = Anchors(tool);
  EXPECT_FLOAT_EQ(pts[1].x, 33.0f);
  EXPECT_EQ(pts[1].time, 777);
  // A hot-point drag asks with the dragged anchor's index.
  tool.OnAddPoint(100, 100);
  ASSERT_EQ(tool.GetSelectedHotPoint(), 0);
  EXPECT_TRUE(tool.OnDrag(100, 100, 50, 50));
  EXPECT_EQ(coord.lastSnapIndex, 0);
  EXPECT_FLOAT_EQ(Anchors(tool)[0].x, 33.0f);
}

TEST_F(ShapeBaseTest, DraggingAHotPointMovesOnlyThatAnchor) {
  ProbeTool tool;
  Place(tool, {{100, 100}, {200, 150}});
  tool.OnAddPoint(200, 150);
  ASSERT_EQ(tool.GetSelectedHotPoint(), 1);
  tool.GetDrawInfo();
  EXPECT_TRUE(tool.OnDrag(200, 150, 250, 120));
  EXPECT_TRUE(tool.IsDirty());
  const auto pts = Anchors(tool);
  EXPECT_FLOAT_EQ(pts[0].x, 10.0f);
  EXPECT_FLOAT_EQ(pts[1].x, 25.0f);
  EXPECT_DOUBLE_EQ(pts[1].y, 38.0);
  EXPECT_EQ(pts[1].time, TestCoordinate::TimeOf(25.0f));
}

TEST_F(ShapeBaseTest, RefusedHotPointDragKeepsTheAnchor) {
  ProbeTool tool;
  Place(tool, {{100, 100}, {200, 150}});
  tool.OnAddPoint(200, 150);
  coord.maxPy = 200;
  EXPECT_FALSE(tool.OnDrag(200, 150, 250, 260));
  const auto pts = Anchors(tool);
  EXPECT_FLOAT_EQ(pts[1].x, 20.0f);
  EXPECT_DOUBLE_EQ(pts[1].y, 35.0);
}

TEST_F(ShapeBaseTest, WholeToolMovesBySamePixelOffset) {
  ProbeTool tool;
  Place(tool, {{100, 100}, {200, 150}});
  tool.OnAddPoint(500, 500);  // selects nothing
  ASSERT_EQ(tool.GetSelectedHotPoint(), -1);
  EXPECT_TRUE(tool.OnDrag(300, 300, 315, 293));
  const auto pts = Anchors(tool);
  ASSERT_EQ(pts.size(), 2u);
  const float expected[2][2] = {{115, 93}, {215, 143}};
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_FLOAT_EQ(coord.Px(pts[i].x), expected[i][0]);
    EXPECT_FLOAT_EQ(coord.Py(pts[i].y), expected[i][1]);
    EXPECT_EQ(pts[i].time, TestCoordinate::TimeOf(pts[i].x));
  }
}

TEST_F(ShapeBaseTest, WholeToolMoveIsAllOrNothing) {
  ProbeTool tool(0, 3);
  Place(tool, {{100, 100}, {200, 150}, {150, 120}});
  tool.OnAddPoint(500, 500);
  const auto before = Anchors(tool);
  coord.maxPx = 210;  // the second anchor would land at 215
  EXPECT_FALSE(tool.OnDrag(0, 0, 15, 0));
  const auto after = Anchors(tool);
  ASSERT_EQ(after.size(), before.size());
  for (size_t i = 0; i < after.size(); ++i) {
    EXPECT_EQ(after[i].x, before[i].x);
    EXPECT_EQ(after[i].y, before[i].y);
  }
  // A refused time lookup blocks the move too.
  coord.maxPx = 100000;
  coord.refuseBarToTime = true;
  EXPECT_FALSE(tool.OnDrag(0, 0, 15, 0));
  EXPECT_EQ(Anchors(tool)[0].x, before[0].x);
}

TEST_F(ShapeBaseTest, ExtraPointsOnlyInPairsAndOnlyForBottomAndTopPatterns) {
  const std::vector<TarnGraphPoint> two = {TarnGraphPoint{1, 2, 0}, TarnGraphPoint{3, 4, 0}};
  const std::vector<TarnGraphPoint> three = {TarnGraphPoint{1, 2, 0}, TarnGraphPoint{3, 4, 0}, TarnGraphPoint{5, 6, 0}};
  struct Case {
    int type;
    bool accepted;
  };
  const Case cases[] = {{1, false},   {119, false}, {120, true}, {129, true},  {130, false},
                        {149, false}, {150, true},  {159, true}, {160, false}, {0, false}};
  for (const auto& c : cases) {
    ProbeTool tool(c.type);
    EXPECT_EQ(tool.SetExtraPoints(two), c.accepted) << c.type;
    EXPECT_EQ(tool.IsDirty(), c.accepted) << c.type;
    EXPECT_FALSE(tool.SetExtraPoints(three)) << c.type;
    EXPECT_FALSE(tool.SetExtraPoints({})) << c.type;
  }
}

TEST_F(ShapeBaseTest, DrawLineStyleMapping) {
  const int expected[][2] = {{0, 0}, {1, 1}, {2, 3}, {3, 2}, {4, 4}, {5, 5}, {6, 1}, {7, 1}, {-1, 1}};
  ProbeTool tool;
  for (const auto& e : expected) {
    tool.SetLineStyle(e[0]);
    EXPECT_EQ(tool.GetLineStyle(), e[0]);
    EXPECT_EQ(static_cast<int>(tool.GetDrawLineStyle()), e[1]) << e[0];
  }
}

TEST_F(ShapeBaseTest, DefaultsAndSetters) {
  ProbeTool tool;
  EXPECT_EQ(static_cast<int>(tool.GetGraphType()), 0);
  EXPECT_EQ(tool.GetLineWidth(), 1);
  EXPECT_EQ(tool.GetLineStyle(), 1);
  EXPECT_EQ(tool.GetLineColor().colorId, 1);
  EXPECT_FALSE(tool.GetLineColor().useValue);
  EXPECT_EQ(tool.GetFillColor().colorId, 4);
  EXPECT_EQ(tool.GetTextBoxColor().colorId, 4);
  EXPECT_EQ(tool.GetTextColor().colorValue, 0xFFFF8080u);
  EXPECT_EQ(tool.GetTextFrameColor().colorValue, 0xFFFF8080u);
  EXPECT_TRUE(tool.GetText().empty());
  EXPECT_TRUE(tool.GetFontName().empty());
  EXPECT_EQ(tool.GetSelectedHotPoint(), -1);
  EXPECT_FALSE(tool.IsDirty());

  tool.SetHostFlagA(true);
  tool.SetAngleSnap(true);
  tool.SetHostFlagB(true);
  EXPECT_FALSE(tool.IsDirty());
  EXPECT_TRUE(tool.GetHostFlagA() && tool.GetAngleSnap() && tool.GetHostFlagB());
  tool.SetText("ignored");
  tool.SetFontSize(30);
  EXPECT_TRUE(tool.GetText().empty());
  EXPECT_EQ(tool.GetFontSize(), 0);
  EXPECT_FALSE(tool.IsDirty());
  tool.SetLineWidth(3);
  EXPECT_TRUE(tool.IsDirty());
  EXPECT_EQ(tool.GetLineWidth(), 3);
  tool.SetFillColor(TarnDrawInfo::GetColorByValue(0xFF112233u));
  EXPECT_EQ(tool.GetFillColor().colorValue, 0xFF112233u);
}

TEST_F(ShapeBaseTest, RemoveDuplicatePointsKeepsFirstOccurrences) {
  std::vector<TarnPoint> pts = {{1, 1}, {2, 2}, {1, 1}, {3, 1}, {2, 2}, {1, 1.0000001}};
  TarnGraphShapeBase::RemoveDuplicatePoints(pts);
  ASSERT_EQ(pts.size(), 4u);
  EXPECT_EQ(pts[0].x, 1.0f);
  EXPECT_EQ(pts[1].x, 2.0f);
  EXPECT_EQ(pts[2].x, 3.0f);
  EXPECT_EQ(pts[3].y, 1.0000001);
}

// Dragging the end of a segment to (10, 3) pixels from the other end snaps
// it to angle 0 with the length kept: (10.44, 0).
TEST_F(ShapeBaseTest, AngleSnapOfADraggedEnd) {
  ProbeTool tool;
  Place(tool, {{100, 100}, {180, 100}});
  tool.SetAngleSnap(true);
  tool.OnAddPoint(180, 100);
  ASSERT_EQ(tool.GetSelectedHotPoint(), 1);
  ASSERT_TRUE(tool.OnDrag(180, 100, 110, 103));
  const auto pts = Anchors(tool);
  EXPECT_NEAR(coord.Px(pts[1].x) - 100.0f, std::sqrt(109.0f), 1e-3);
  EXPECT_NEAR(coord.Py(pts[1].y) - 100.0f, 0.0f, 1e-3);
  EXPECT_NEAR(coord.Px(pts[1].x), 110.44f, 0.01f);
  // The other anchor is untouched.
  EXPECT_FLOAT_EQ(pts[0].x, 10.0f);
}

TEST_F(ShapeBaseTest, AngleSnapToDiagonals) {
  struct Case {
    float dx, dy, ex, ey;
  };
  const float d = 10.0f / std::sqrt(2.0f);
  const Case cases[] = {
      {8, 6, d, d}, {-8, 6, -d, d}, {1, -10, 0, -std::sqrt(101.0f)}, {-10, -1, -std::sqrt(101.0f), 0}, {6, -8, d, -d},
  };
  for (const auto& c : cases) {
    ProbeTool tool;
    Place(tool, {{200, 200}, {400, 400}});
    tool.SetAngleSnap(true);
    tool.OnAddPoint(400, 400);
    ASSERT_TRUE(tool.OnDrag(400, 400, 200 + c.dx, 200 + c.dy));
    const auto pts = Anchors(tool);
    EXPECT_NEAR(coord.Px(pts[1].x) - 200.0f, c.ex, 1e-3) << c.dx << "," << c.dy;
    EXPECT_NEAR(coord.Py(pts[1].y) - 200.0f, c.ey, 1e-3) << c.dx << "," << c.dy;
  }
}

// Right after the first click the mouse point equals the only anchor: there
// is nothing to snap against and the point stays where it is.
TEST_F(ShapeBaseTest, AngleSnapWithoutOtherAnchorKeepsThePoint) {
  ProbeTool tool;
  tool.SetCoordinate(&coord);
  tool.SetAngleSnap(true);
  tool.OnAddPoint(100, 100);
  EXPECT_FLOAT_EQ(tool.Current().x, 10.0f);
  EXPECT_DOUBLE_EQ(tool.Current().y, 40.0);
  // Straight above the anchor: within epsilon horizontally, no target.
  tool.OnPreviewPoint(100, 50);
  EXPECT_FLOAT_EQ(tool.Current().x, 10.0f);
  EXPECT_DOUBLE_EQ(tool.Current().y, 45.0);
  // Elsewhere the preview point snaps.
  tool.OnPreviewPoint(130, 98);
  EXPECT_NEAR(coord.Py(tool.Current().y), 100.0f, 1e-3);
}

// The click places the point the preview showed: snapped like it.
TEST_F(ShapeBaseTest, AngleSnapAppliesToThePlacedPointToo) {
  ProbeTool tool;
  tool.SetCoordinate(&coord);
  tool.SetAngleSnap(true);
  tool.OnAddPoint(100, 100);
  tool.OnPreviewPoint(110, 103);
  EXPECT_NEAR(coord.Py(tool.Current().y), 100.0f, 1e-3);
  ASSERT_TRUE(tool.OnAddPoint(110, 103));
  const auto pts = Anchors(tool);
  EXPECT_NEAR(coord.Px(pts[1].x), 100.0f + std::sqrt(109.0f), 1e-3);
  EXPECT_NEAR(coord.Py(pts[1].y), 100.0f, 1e-3);
  EXPECT_NEAR(coord.Px(pts[0].x), 100.0f, 1e-4);
}

// A coordinate object that answers NaN never crashes a tool: points are
// not placed, drags fail and nothing is drawn.
TEST_F(ShapeBaseTest, HostileCoordinateNeverPlacesNonFinitePoints) {
  for (double bad : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
    ProbeTool tool;
    TestCoordinate hostile;
    hostile.hostile = true;
    hostile.hostileValue = bad;
    tool.SetCoordinate(&hostile);
    EXPECT_FALSE(tool.OnAddPoint(100, 100));
    tool.OnPreviewPoint(100, 100);
    EXPECT_TRUE(Anchors(tool).empty());
    EXPECT_TRUE(tool.GetDrawInfo().empty());
    tool.SetPoints({TarnGraphPoint{1, 2, 0}, TarnGraphPoint{3, 4, 0}});
    tool.SetAngleSnap(true);
    int index = 0;
    EXPECT_FALSE(tool.HitHotPoint(10, 10, &index));
    EXPECT_FALSE(tool.OnDrag(0, 0, 5, 5));
    EXPECT_FLOAT_EQ(Anchors(tool)[1].x, 3.0f);
    // A host snap answering NaN is ignored as well.
    hostile.snapEnabled = true;
    hostile.snapTo = TarnGraphPoint{static_cast<float>(bad), bad, 0};
    ProbeTool other;
    other.SetCoordinate(&hostile);
    EXPECT_FALSE(other.OnAddPoint(1, 1));
    EXPECT_TRUE(Anchors(other).empty());
  }
}

}  // namespace
