// Every tool released in every state a host can leave it in: fresh, with a
// pane, half placed, placed and drawn, in the middle of a drag, after its
// pane was destroyed, and placed over a pane that answers NaN. Nothing may
// leak or touch the pane on release (the sanitizers watch), and a NaN pane
// draws nothing.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "drawtools/catalogue.h"
#include "support/shape_fixture.h"

namespace {

enum class State { kFresh, kWithPane, kHalfPlaced, kPlaced, kDragging, kPaneGone, kNaNPane, kCount };

// Clicks the tool's anchors at distinct pixels of the pane.
void Place(ITarnGraphShapeBase* tool, unsigned clicks) {
  for (unsigned i = 0; i < clicks; ++i) tool->OnAddPoint(100.0f + 40.0f * i, 300.0f - 15.0f * (i % 3));
}

TEST(HostileReleaseTest, EveryToolInEveryState) {
  size_t count = 0;
  const GraphCatalogueRow* rows = GraphCatalogue(&count);
  for (size_t i = 0; i < count; ++i) {
    for (int s = 0; s < static_cast<int>(State::kCount); ++s) {
      const State state = static_cast<State>(s);
      const std::string what = std::string(rows[i].className) + " state " + std::to_string(s);
      auto pane = std::make_unique<TestCoordinate>();
      pane->hostile = state == State::kNaNPane;
      ITarnGraphShapeBase* tool = TarnGraphInterface::CreateGraphShape(rows[i].type);
      ASSERT_NE(tool, nullptr) << what;
      const unsigned points = tool->GetPointCount();
      if (state != State::kFresh) tool->SetCoordinate(pane.get());
      if (state == State::kHalfPlaced) {
        Place(tool, points > 1 ? points - 1 : 0);
        tool->OnPreviewPoint(333.0f, 222.0f);
      }
      if (state >= State::kPlaced) {
        Place(tool, points);
        (void)tool->GetDrawInfo();
      }
      if (state == State::kDragging || state == State::kPaneGone) {
        // Press on the first anchor and move it halfway.
        tool->OnAddPoint(100.0f, 300.0f);
        tool->OnDrag(100.0f, 300.0f, 120.0f, 280.0f);
      }
      if (state == State::kPaneGone) pane.reset();
      if (state == State::kNaNPane) {
        std::vector<TarnGraphPoint> anchors;
        tool->GetPoints(anchors);
        for (const auto& a : anchors) EXPECT_LT(a.x, 0.0f) << what << ": a NaN pane placed an anchor";
        EXPECT_TRUE(tool->GetDrawInfo().empty()) << what;
      }
      if (state == State::kPlaced || state == State::kDragging) {
        std::vector<TarnGraphPoint> anchors;
        tool->GetPoints(anchors);
        EXPECT_GE(anchors.size(), points) << what;
      }
      TarnGraphInterface::ReleaseGraphShape(tool);
      EXPECT_EQ(tool, nullptr) << what;
    }
  }
}

}  // namespace

namespace {

// The test pane itself stays defined for any bar the tools ask about: a bar
// whose time does not fit an int has no time.
TEST(HostileReleaseTest, TestPaneRefusesTimesBeyondAnInt) {
  TestCoordinate pane;
  int time = 7;
  EXPECT_FALSE(pane.BarToTime(1e30f, &time));
  EXPECT_FALSE(pane.BarToTime(-1e30f, &time));
  EXPECT_EQ(time, 7);
  ASSERT_TRUE(pane.BarToTime(12.5f, &time));
  EXPECT_EQ(time, 20260012);
  pane.secondsPerBar = 86400;
  EXPECT_FALSE(pane.BarToTime(1e6f, &time));
  ASSERT_TRUE(pane.BarToTime(3.0f, &time));
  EXPECT_EQ(time, 3 * 86400);
}

}  // namespace
