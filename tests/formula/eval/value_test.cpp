#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "formula/eval/value.h"

namespace {

uint64_t Bits(double v) {
  uint64_t b;
  std::memcpy(&b, &v, sizeof b);
  return b;
}

TEST(ValueTest, MarkerPatternsBitForBit) {
  const double invalid = INVALID_VALUE;
  unsigned char bytes[8];
  std::memcpy(bytes, &invalid, 8);
  const unsigned char expected[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(std::memcmp(bytes, expected, 8), 0);
  EXPECT_EQ(Bits(UNCOMPUTED), ~0ull);
  EXPECT_EQ(Bits(VALUE_EPSILON), 0x3E7AD7F2A0000000ull);
  EXPECT_EQ(VALUE_EPSILON, 1.0000000116860974e-07);
}

TEST(ValueTest, MarkersAreRecognisedByBitsNotByNaN) {
  EXPECT_TRUE(IsInvalid(INVALID_VALUE));
  EXPECT_FALSE(IsInvalid(UNCOMPUTED));
  EXPECT_TRUE(IsUncomputed(UNCOMPUTED));
  EXPECT_FALSE(IsUncomputed(INVALID_VALUE));
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_FALSE(IsInvalid(nan));
  EXPECT_FALSE(IsUncomputed(nan));
  EXPECT_TRUE(HasValue(nan));  // an arithmetic NaN is a value like any other
  // Only one word matching is not enough.
  EXPECT_FALSE(IsInvalid(ValueFromBits(0xFFFFFFFEFFFFFFFEull)));
  EXPECT_FALSE(IsUncomputed(ValueFromBits(0x7FFFFFFFFFFFFFFFull)));
  EXPECT_TRUE(IsTrue(1.0));
  EXPECT_FALSE(IsTrue(5e-8));
  EXPECT_FALSE(IsTrue(INVALID_VALUE));
  EXPECT_TRUE(IsZero(-1e-7));
}

TEST(ValueTest, CountRoundingAddsTheFloatEpsilonTowardTheSign) {
  struct Case {
    double v;
    int32_t n;
  };
  const Case cases[] = {
      {5.0, 5},         {4.9999999, 5},  // within the float 1e-7 of the next integer
      {4.99999, 4},     {4.5, 4},       {0.0, 0},          {-0.5, 0},
      {-4.9999999, -5}, {-4.99999, -4}, {1e12, INT32_MAX}, {-1e12, INT32_MIN},
  };
  for (const Case& c : cases) {
    // Oracle: the rule written out with the float constant.
    const float step = 1e-7f;
    const double oracle = std::trunc(c.v + (c.v >= 0 ? static_cast<double>(step) : -static_cast<double>(step)));
    EXPECT_EQ(RoundCountValue(c.v), oracle) << c.v;
    EXPECT_EQ(RoundCount(c.v), c.n) << c.v;
  }
  EXPECT_EQ(RoundCount(std::numeric_limits<double>::quiet_NaN()), 0);
}

}  // namespace
