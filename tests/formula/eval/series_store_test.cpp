#include <gtest/gtest.h>

#include <limits>

#include "formula/eval/series_store.h"
#include "formula/eval/value.h"

namespace {

TEST(SeriesStoreTest, DefaultArraysHoldBarCountPlusTwoUncomputedCells) {
  SeriesStore store(5);
  EXPECT_EQ(store.BarCount(), 5);
  EXPECT_EQ(store.GetSeries(5, 3, false, 0), nullptr);
  double* a = store.GetSeries(5, 3, true, 0);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(store.SeriesLength(5, 3), 7);
  for (int i = 0; i < 7; ++i) EXPECT_TRUE(IsUncomputed(a[i]));
  EXPECT_EQ(store.GetSeries(5, 3, false, 0), a);  // the same array again
  EXPECT_EQ(store.GetSeries(5, 3, true, 0), a);
  EXPECT_EQ(store.GetSeries(4, 3, false, 0), nullptr);  // kinds are separate tables
}

TEST(SeriesStoreTest, RefusesBadKeys) {
  SeriesStore store(5);
  EXPECT_EQ(store.GetSeries(15, 0, true, 0), nullptr);
  EXPECT_EQ(store.GetSeries(-1, 0, true, 0), nullptr);
  EXPECT_EQ(store.GetSeries(4, -1, true, 0), nullptr);
  EXPECT_NE(store.GetSeries(14, 0, true, 0), nullptr);
  EXPECT_NE(store.GetSeries(0, 0, true, 0), nullptr);
  SeriesStore empty(0);
  EXPECT_EQ(empty.GetSeries(5, 0, true, 0), nullptr);  // needs a bar
  EXPECT_NE(empty.GetSeries(11, 0, true, 4), nullptr);  // an explicit length does not
}

TEST(SeriesStoreTest, InvalidateSparesStateBlocks) {
  SeriesStore store(4);
  double* series = store.GetSeries(5, 0, true, 0);
  double* block = store.GetSeries(11, 1, true, 4);
  ASSERT_EQ(store.SeriesLength(11, 1), 4);
  for (int i = 0; i < 6; ++i) series[i] = i;
  for (int i = 0; i < 4; ++i) block[i] = 10 + i;
  store.Invalidate(4, 1);  // reversed bounds are swapped
  const bool expectedUncomputed[6] = {false, true, true, true, true, false};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(IsUncomputed(series[i]), expectedUncomputed[i]) << i;
  for (int i = 0; i < 4; ++i) EXPECT_EQ(block[i], 10 + i);
  store.Invalidate(-10, 100);  // clipped to 0..n+1
  for (int i = 0; i < 6; ++i) EXPECT_TRUE(IsUncomputed(series[i]));
}

TEST(SeriesStoreTest, AShorterExistingArrayIsRefused) {
  // Two call sites sharing one block number must not read past its end.
  SeriesStore store(10);
  ASSERT_NE(store.GetSeries(11, 2, true, 4), nullptr);
  EXPECT_EQ(store.GetSeries(11, 2, true, 6), nullptr);
  EXPECT_EQ(store.GetSeries(11, 2, true, 0), nullptr);  // would need 12 cells
  EXPECT_NE(store.GetSeries(11, 2, true, 3), nullptr);  // a longer one serves
}

TEST(SeriesStoreTest, FreeEmptiesTheEntry) {
  SeriesStore store(3);
  double* a = store.GetSeries(4, 0, true, 0);
  a[0] = 1.0;
  store.FreeSeries(4, 0);
  EXPECT_EQ(store.GetSeries(4, 0, false, 0), nullptr);
  double* b = store.GetSeries(4, 0, true, 0);
  ASSERT_NE(b, nullptr);
  EXPECT_TRUE(IsUncomputed(b[0]));
  store.FreeSeries(4, 99);  // nothing there
  store.FreeSeries(20, 0);
}

// A store for the largest count still names every cell of its arrays in
// int32: Invalidate over the whole range does not overflow.
TEST(SeriesStoreTest, LargestBarCountKeepsLengthsInRange) {
  SeriesStore store(std::numeric_limits<int32_t>::max());
  EXPECT_EQ(store.BarCount(), std::numeric_limits<int32_t>::max() - 2);
  store.Invalidate(0, std::numeric_limits<int32_t>::max());
  double* block = store.GetSeries(1, 0, true, 4);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(store.SeriesLength(1, 0), 4);
}

}  // namespace
