// The single-precision price snapshot: filling from a provider, missing
// entries, reading back and copying ranges.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "formula/eval/price_snapshot.h"
#include "formula/eval/value.h"
#include "support/bar_provider.h"

namespace {

bool IsInvalidBits(double v) { return ValueBits(v) == INVALID_VALUE_BITS; }

TEST(PriceSnapshotTest, StartsMissingAndReadsBackNarrowedPrices) {
  BarProvider provider(10);
  provider.failingBars = {4};
  PriceSnapshot snapshot(10);
  EXPECT_EQ(snapshot.BarCount(), 10);
  EXPECT_TRUE(IsInvalidBits(snapshot.Get(4, 2)));

  snapshot.Fill(&provider, 2, 5);
  for (int32_t field : {4, 2, 1, 3, 15}) {
    for (int32_t bar = 0; bar < 10; ++bar) {
      const double v = snapshot.Get(field, bar);
      if (bar < 2 || bar > 5 || bar == 4) {
        EXPECT_TRUE(IsInvalidBits(v)) << field << " " << bar;
        continue;
      }
      EXPECT_EQ(v, static_cast<double>(static_cast<float>(BarProvider::Price(field, bar))));
    }
  }
  // Only the five price fields are kept.
  EXPECT_TRUE(IsInvalidBits(snapshot.Get(6, 3)));
  EXPECT_TRUE(IsInvalidBits(snapshot.Get(4, -1)));
  EXPECT_TRUE(IsInvalidBits(snapshot.Get(4, 10)));
}

TEST(PriceSnapshotTest, MarkersAndNonFiniteValuesAreMissing) {
  BarProvider provider(6);
  provider.value = [](int32_t, int32_t bar) {
    switch (bar) {
      case 0: return INVALID_VALUE;
      case 1: return UNCOMPUTED;
      case 2: return std::nan("");
      case 3: return std::numeric_limits<double>::infinity();
      case 4: return 1e300;  // beyond a float
      default: return -2.5;
    }
  };
  PriceSnapshot snapshot(6);
  snapshot.Fill(&provider, -3, 99);
  for (int32_t bar = 0; bar < 5; ++bar) EXPECT_TRUE(IsInvalidBits(snapshot.Get(4, bar))) << bar;
  EXPECT_EQ(snapshot.Get(4, 5), -2.5);
  snapshot.Fill(nullptr, 0, 5);
  EXPECT_EQ(snapshot.Get(4, 5), -2.5);
}

TEST(PriceSnapshotTest, CopyRangeCopiesOnlyTheRangeAndKeepsMissingEntries) {
  BarProvider provider(8);
  provider.failingBars = {3};
  PriceSnapshot from(8), to(8);
  from.Fill(&provider, 0, 7);
  to.CopyRange(from, 2, 4);
  EXPECT_TRUE(IsInvalidBits(to.Get(4, 1)));
  EXPECT_EQ(to.Get(4, 2), from.Get(4, 2));
  EXPECT_TRUE(IsInvalidBits(to.Get(4, 3)));
  EXPECT_EQ(to.Get(15, 4), from.Get(15, 4));
  EXPECT_TRUE(IsInvalidBits(to.Get(4, 5)));

  // A smaller source or a range past either end copies only what both hold.
  PriceSnapshot small(3);
  small.Fill(&provider, 0, 2);
  to.CopyRange(small, -5, 100);
  EXPECT_EQ(to.Get(4, 0), small.Get(4, 0));
  EXPECT_TRUE(IsInvalidBits(to.Get(2, 7)));

  PriceSnapshot empty(-4);
  EXPECT_EQ(empty.BarCount(), 0);
  empty.Fill(&provider, 0, 5);
  EXPECT_TRUE(IsInvalidBits(empty.Get(4, 0)));
}

}  // namespace
