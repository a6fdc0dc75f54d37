// Every row of the catalogue: the factory makes the right tool, clicking its
// points on a linear pane draws it, and a failing or non-finite pane never
// crashes it.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "drawtools/catalogue.h"
#include "support/drawing_checks.h"
#include "support/shape_fixture.h"

namespace {

std::vector<const GraphCatalogueRow*> AllRows() {
  size_t count = 0;
  const GraphCatalogueRow* rows = GraphCatalogue(&count);
  std::vector<const GraphCatalogueRow*> out;
  for (size_t i = 0; i < count; ++i) out.push_back(&rows[i]);
  return out;
}

bool IsFormation(int type) { return (type >= 120 && type <= 129) || (type >= 150 && type <= 159); }

// A zigzag of clicks across the pane: rising to the right, alternating up
// and down so no three points are collinear.
std::pair<float, float> ClickAt(unsigned i) {
  return {100.0f + 40.0f * static_cast<float>(i), (i % 2 ? 250.0f : 330.0f) - 3.0f * static_cast<float>(i)};
}

// Places all points of `tool` by clicks, with a mouse move before each.
// Returns the result of the last click.
bool ClickAllPoints(ITarnGraphShapeBase* tool, TestCoordinate* coord) {
  tool->SetCoordinate(coord);
  tool->SetText("note");
  if (IsFormation(tool->GetGraphType())) {
    tool->SetExtraPoints(Anchors({{12, 20.0}, {15, 22.0}, {18, 19.0}, {21, 23.0}}));
  }
  bool done = false;
  for (unsigned i = 0; i < tool->GetPointCount() && !done; ++i) {
    const auto at = ClickAt(i);
    tool->OnPreviewPoint(at.first, at.second);
    done = tool->OnAddPoint(at.first, at.second);
  }
  return done;
}

TEST(Catalogue, EveryRowIsBuiltWithItsTypeAndPointCount) {
  const auto rows = AllRows();
  EXPECT_EQ(rows.size(), 58u);
  for (const GraphCatalogueRow* row : rows) {
    EXPECT_NE(row->create, nullptr) << row->className;
    ToolHandle tool(row->type);
    ASSERT_NE(tool.get(), nullptr) << row->className;
    EXPECT_EQ(tool->GetGraphType(), row->type) << row->className;
    EXPECT_EQ(tool->GetPointCount(), row->points) << row->className;
  }
}

TEST(Catalogue, ClickingEveryToolDrawsIt) {
  for (const GraphCatalogueRow* row : AllRows()) {
    TestCoordinate coord;
    ToolHandle tool(row->type);
    ASSERT_TRUE(ClickAllPoints(tool.get(), &coord)) << row->className << ": the last click completes the tool";
    EXPECT_GE(PointsOf(tool.get()).size(), row->points) << row->className;
    const auto& drawings = tool->GetDrawInfo();
    ASSERT_EQ(drawings.size(), 1u) << row->className;
    EXPECT_GT(ItemCount(drawings[0]), 0u) << row->className;
    EXPECT_EQ(drawings[0].drawOrder.size(), ItemCount(drawings[0])) << row->className;
    EXPECT_TRUE(AllPointsFinite(drawings)) << row->className;
  }
}

// Every mouse and drawing operation against panes that refuse every
// conversion or answer NaN or infinity: nothing crashes and nothing
// non-finite is drawn.
TEST(Catalogue, FailingOrNonFinitePanesNeverBreakATool) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (const GraphCatalogueRow* row : AllRows()) {
    for (int pane = 0; pane < 4; ++pane) {
      TestCoordinate good;
      TestCoordinate bad;
      if (pane == 0) {
        bad.refusePixelToPrice = bad.refusePriceToPixel = bad.refusePixelToBar = bad.refuseBarToPixel = true;
        bad.refuseBarToTime = bad.refuseMaxPrice = bad.refuseMinPrice = bad.refusePaneServices = true;
      } else {
        bad.hostile = true;
        bad.hostileValue = pane == 1 ? nan : (pane == 2 ? inf : -inf);
      }
      ToolHandle tool(row->type);
      ClickAllPoints(tool.get(), &good);
      tool->SetCoordinate(&bad);
      const std::string what = std::string(row->className) + " pane " + std::to_string(pane);
      EXPECT_TRUE(AllPointsFinite(tool->GetDrawInfo())) << what;
      tool->OnAddPoint(100, 330);  // select or miss a hot point
      tool->OnDrag(100, 330, 140, 300);
      tool->OnPreviewPoint(120, 300);
      tool->SetPoints(PointsOf(tool.get()));
      tool->SetLineWidth(2);
      EXPECT_TRUE(AllPointsFinite(tool->GetDrawInfo())) << what;
      for (const TarnGraphPoint& p : PointsOf(tool.get())) {
        EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y)) << what;
      }

      // Placing a new tool on the bad pane from the start.
      ToolHandle fresh(row->type);
      ClickAllPoints(fresh.get(), &bad);
      EXPECT_TRUE(AllPointsFinite(fresh->GetDrawInfo())) << what;
    }
  }
}

}  // namespace
