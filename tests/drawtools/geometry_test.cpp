// Shared geometry: checked conversions, parallel point, line intersection,
// 45-degree snapping and whole-bar rounding.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "drawtools/geometry.h"
#include "support/test_coordinate.h"

using TarnDrawInfo::TarnPoint;
using namespace TarnGeometry;

namespace {

TEST(Geometry, CheckedConversionsRefuseNonFiniteAnswersAndKeepTheOutput) {
  TestCoordinate coord;
  coord.hostile = true;
  coord.hostileValue = std::numeric_limits<double>::infinity();
  double price = 7.0;
  float x = 3.0f;
  float px = 4.0f;
  EXPECT_FALSE(PixelToPrice(&coord, 10.0f, &price));
  EXPECT_FALSE(PixelToBar(&coord, 10.0f, &x));
  EXPECT_FALSE(BarToPixel(&coord, 1.0f, &px));
  EXPECT_FALSE(GetMaxPrice(&coord, &price));
  EXPECT_EQ(price, 7.0);
  EXPECT_EQ(x, 3.0f);
  EXPECT_EQ(px, 4.0f);
  EXPECT_FALSE(PixelToPrice(nullptr, 10.0f, &price));
  coord.hostile = false;
  EXPECT_TRUE(PixelToPrice(&coord, 480.0f, &price));
  EXPECT_DOUBLE_EQ(price, 2.0);
}

TEST(Geometry, FromPixelsNeedsBothConversionsAndPaneServicesRejectNonFinite) {
  TestCoordinate coord;
  TarnPoint p{7.0f, 7.0};
  ASSERT_TRUE(FromPixels(&coord, 30.0f, 480.0f, &p));
  EXPECT_FLOAT_EQ(p.x, 3.0f);
  EXPECT_DOUBLE_EQ(p.y, 2.0);
  coord.refusePixelToPrice = true;
  p = TarnPoint{7.0f, 7.0};
  EXPECT_FALSE(FromPixels(&coord, 30.0f, 480.0f, &p));
  EXPECT_EQ(p.x, 7.0f);
  EXPECT_EQ(p.y, 7.0);
  EXPECT_FALSE(FromPixels(nullptr, 30.0f, 480.0f, &p));

  coord.hostile = true;
  float bottom = 1.0f;
  double unit = 1.0;
  float width = 1.0f;
  EXPECT_FALSE(GetPlotBottom(&coord, &bottom));
  EXPECT_FALSE(GetPriceUnit(&coord, &unit));
  EXPECT_FALSE(GetBarWidth(&coord, &width));
  EXPECT_EQ(bottom, 1.0f);
  EXPECT_EQ(unit, 1.0);
  EXPECT_EQ(width, 1.0f);
  coord.hostile = false;
  coord.plotBottom = 400.0f;
  EXPECT_TRUE(GetPlotBottom(&coord, &bottom));
  EXPECT_EQ(bottom, 400.0f);
}

TEST(Geometry, ParallelPointOnALinearScale) {
  TestCoordinate coord;
  TarnPoint r;
  ASSERT_TRUE(ParallelPoint(&coord, {0, 10}, {10, 20}, {0, 30}, &r));
  EXPECT_FLOAT_EQ(r.x, -10.0f);
  EXPECT_NEAR(r.y, 20.0, 1e-6);
  ASSERT_TRUE(ParallelPoint(&coord, {0, 0}, {10, 10}, {20, 10}, &r));
  EXPECT_FLOAT_EQ(r.x, 10.0f);
  EXPECT_NEAR(r.y, 0.0, 1e-6);
}

// On a logarithmic scale equal pixel steps are equal price ratios: the
// result is c moved by the step from b back to a, so its price is
// c.y * a.y / b.y.
TEST(Geometry, ParallelPointKeepsPixelSlopeOnALogScale) {
  TestCoordinate coord;
  coord.logScale = true;
  coord.pixelsPerPrice = 100.0;
  TarnPoint r;
  ASSERT_TRUE(ParallelPoint(&coord, {2, 10}, {6, 20}, {5, 30}, &r));
  EXPECT_FLOAT_EQ(r.x, 1.0f);
  EXPECT_NEAR(r.y, 30.0 * 10.0 / 20.0, 1e-4);
  coord.refusePixelToPrice = true;
  EXPECT_FALSE(ParallelPoint(&coord, {2, 10}, {6, 20}, {5, 30}, &r));
}

TEST(Geometry, LineIntersection) {
  struct Case {
    TarnPoint a, b, c, d;
    bool meets;
    float x;
    double y;
  };
  const Case cases[] = {
      {{0, 0}, {10, 10}, {0, 10}, {10, 0}, true, 5, 5},
      {{0, 1}, {4, 1}, {2, -3}, {2, 7}, true, 2, 1},       // c-d vertical
      {{3, 0}, {3, 9}, {0, 2}, {6, 8}, true, 3, 5},        // a-b vertical
      {{3, 0}, {3, 9}, {5, 0}, {5, 9}, false, 0, 0},       // both vertical
      {{0, 0}, {10, 10}, {0, 5}, {10, 15}, false, 0, 0},   // parallel
      {{1, 2}, {3, 8}, {0, 10}, {5, 0}, true, 2.2f, 5.6},  // y = 3x - 1, y = -2x + 10
  };
  for (const auto& c : cases) {
    TarnPoint r{-99, -99};
    EXPECT_EQ(LineIntersection(c.a, c.b, c.c, c.d, &r), c.meets);
    if (!c.meets) {
      EXPECT_EQ(r.x, -99.0f);
      continue;
    }
    EXPECT_NEAR(r.x, c.x, 1e-5);
    EXPECT_NEAR(r.y, c.y, 1e-5);
  }
}

TEST(Geometry, SnapToAngleKeepsTheLength) {
  float tx = 0;
  float ty = 0;
  ASSERT_TRUE(SnapToAngle(110, 103, 100, 100, &tx, &ty));
  EXPECT_NEAR(tx, 100 + std::sqrt(109.0), 1e-4);
  EXPECT_NEAR(ty, 100.0, 1e-4);
  // 22.5 degrees is a half step: rounded away from zero to 45.
  const double a = 0.7853981633974483 / 2 + 1e-6;
  ASSERT_TRUE(SnapToAngle(static_cast<float>(10 * std::cos(a)), static_cast<float>(10 * std::sin(a)), 0, 0, &tx, &ty));
  EXPECT_NEAR(tx, 10 / std::sqrt(2.0), 1e-4);
  EXPECT_NEAR(ty, 10 / std::sqrt(2.0), 1e-4);
  // Vertically aligned points give no target.
  tx = ty = -1;
  EXPECT_FALSE(SnapToAngle(100, 50, 100, 100, &tx, &ty));
  EXPECT_EQ(tx, -1.0f);
}

TEST(Geometry, RoundToWholeBar) {
  const float cases[][2] = {{3.5f, 4}, {3.49f, 3}, {2.5f, 3}, {0.0f, 0}, {-0.5f, 0}, {-0.51f, -1}, {7.99f, 8}};
  for (const auto& c : cases) EXPECT_EQ(RoundToWholeBar(c[0]), c[1]) << c[0];
}

}  // namespace
