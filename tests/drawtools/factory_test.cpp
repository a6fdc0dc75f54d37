// The tool factory and its catalogue.
#include <gtest/gtest.h>

#include <set>

#include "drawtools/catalogue.h"
#include "support/shape_fixture.h"

namespace {

TEST(GraphFactory, CatalogueRowsAreUniqueAndFindable) {
  size_t count = 0;
  const GraphCatalogueRow* rows = GraphCatalogue(&count);
  ASSERT_EQ(count, 58u);
  std::set<int> types;
  for (size_t i = 0; i < count; ++i) {
    types.insert(rows[i].type);
    EXPECT_EQ(FindGraphCatalogueRow(rows[i].type), &rows[i]);
    EXPECT_GE(rows[i].points, 1u);
  }
  EXPECT_EQ(types.size(), count);
  for (int missing : {0, -1, 10, 26, 130, 160, 999, 1001, 2000}) EXPECT_EQ(FindGraphCatalogueRow(missing), nullptr);
}

// Every tool built so far reports its row's type and point count; rows whose
// class is not available yet give a line segment.
TEST(GraphFactory, CreatedToolsMatchTheirRow) {
  size_t count = 0;
  const GraphCatalogueRow* rows = GraphCatalogue(&count);
  size_t built = 0;
  for (size_t i = 0; i < count; ++i) {
    ToolHandle tool(rows[i].type);
    ASSERT_NE(tool.get(), nullptr);
    if (!rows[i].create) {
      EXPECT_EQ(tool->GetGraphType(), TARN_GRAPH_LINE_SEGMENT) << rows[i].className;
      continue;
    }
    ++built;
    EXPECT_EQ(tool->GetGraphType(), rows[i].type) << rows[i].className;
    EXPECT_EQ(tool->GetPointCount(), rows[i].points) << rows[i].className;
  }
  EXPECT_GE(built, 15u);
}

TEST(GraphFactory, LinesAndShapesOfThisFamily) {
  const int expected[][2] = {{1, 2}, {2, 2},  {3, 2},  {4, 2},  {5, 2},  {6, 3},  {7, 2}, {8, 3},
                             {9, 1}, {20, 3}, {21, 2}, {22, 3}, {23, 2}, {24, 3}, {25, 3}};
  for (const auto& e : expected) {
    ToolHandle tool(e[0]);
    EXPECT_EQ(static_cast<int>(tool->GetGraphType()), e[0]);
    EXPECT_EQ(static_cast<int>(tool->GetPointCount()), e[1]) << e[0];
  }
}

TEST(GraphFactory, UnknownTypesGiveALineSegment) {
  for (int type : {0, 10, 2000, -7, 130, 1001}) {
    ToolHandle tool(type);
    ASSERT_NE(tool.get(), nullptr);
    EXPECT_EQ(tool->GetGraphType(), TARN_GRAPH_LINE_SEGMENT) << type;
    EXPECT_EQ(tool->GetPointCount(), 2u) << type;
  }
}

TEST(GraphFactory, ToolsStartWithTheBaseDefaults) {
  ToolHandle tool(TARN_GRAPH_SHAPE_ELIPSE);
  EXPECT_EQ(tool->GetLineWidth(), 1);
  EXPECT_EQ(tool->GetLineColor().colorId, 1);
  EXPECT_EQ(tool->GetSelectedHotPoint(), -1);
  EXPECT_TRUE(PointsOf(tool.get()).empty());
  EXPECT_TRUE(tool->GetDrawInfo().empty());
}

TEST(GraphFactory, ReleaseIgnoresNullAndNullsOwnTools) {
  ITarnGraphShapeBase* none = nullptr;
  TarnGraphInterface::ReleaseGraphShape(none);
  TarnGraphInterface::ReleaseGraphShape(nullptr);
  EXPECT_EQ(none, nullptr);
  ITarnGraphShapeBase* tool = TarnGraphInterface::CreateGraphShape(TARN_GRAPH_LINE_AISLE);
  TarnGraphInterface::ReleaseGraphShape(&tool);
  EXPECT_EQ(tool, nullptr);
  tool = TarnGraphInterface::CreateGraphShape(TARN_GRAPH_LINE_RAY);
  TarnGraphInterface::ReleaseGraphShape(tool);
  EXPECT_EQ(tool, nullptr);
}

}  // namespace
