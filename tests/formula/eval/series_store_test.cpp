#include <gtest/gtest.h>

#include <algorithm>
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
  EXPECT_EQ(empty.GetSeries(5, 0, true, 0), nullptr);   // needs a bar
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

// Visit marks: one bit per cell, cleared by Invalidate over exactly the
// invalidated cells (word edges included), absent outside 0..n+1.
TEST(SeriesStoreTest, VisitMarksAreBitsClearedByInvalidate) {
  SeriesStore store(200);
  EXPECT_EQ(store.VisitMark(0, -1).word, nullptr);
  EXPECT_EQ(store.VisitMark(0, 202).word, nullptr);
  EXPECT_EQ(store.VisitMark(-1, 0).word, nullptr);
  for (int32_t cell = 0; cell < 202; ++cell) {
    const SeriesStore::MarkBit m = store.VisitMark(3, cell);
    ASSERT_NE(m.word, nullptr);
    EXPECT_EQ(*m.word & m.bit, 0u) << cell;
    *m.word |= m.bit;
  }
  const SeriesStore::MarkBit other = store.VisitMark(4, 70);
  *other.word |= other.bit;
  const int32_t ranges[][2] = {{63, 64}, {5, 5}, {130, 70}, {190, 500}};
  for (const auto& r : ranges) store.Invalidate(r[0], r[1]);
  for (int32_t cell = 0; cell < 202; ++cell) {
    bool cleared = false;
    for (const auto& r : ranges) {
      cleared = cleared || (cell >= std::min(r[0], r[1]) && cell <= std::max(r[0], r[1]));
    }
    const SeriesStore::MarkBit m = store.VisitMark(3, cell);
    EXPECT_EQ((*m.word & m.bit) != 0, !cleared) << cell;
  }
  const SeriesStore::MarkBit again = store.VisitMark(4, 70);
  EXPECT_EQ(*again.word & again.bit, 0u);
  SeriesStore empty(0);
  EXPECT_EQ(empty.VisitMark(0, 0).word, nullptr);
}

// A large output array handed to a reader store: the reader sees every
// calculated cell without a copy, later writes on either side stay apart,
// and the cells past the bars read UNCOMPUTED as in a fresh array.
TEST(SeriesStoreTest, TakeSharedHandsOverWithoutSharingLaterWrites) {
  const int32_t n = 300000;  // large enough to be mapped
  SeriesStore writer(n, 4);
  SeriesStore reader(n);
  double* w = writer.GetSeries(4, 2, true, 0);
  ASSERT_NE(w, nullptr);
  for (int32_t i = 0; i < n + 2; ++i) w[i] = i * 0.5;
  ASSERT_TRUE(reader.TakeShared(&writer, 4, 2));
  const double* r = reader.GetSeries(4, 2, false, 0);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(reader.SeriesLength(4, 2), n + 2);
  double* view = writer.GetSeries(4, 2, false, 0);
  ASSERT_NE(view, nullptr);
  for (int32_t i = 0; i < n; ++i) ASSERT_EQ(r[i], i * 0.5) << i;
  EXPECT_TRUE(IsUncomputed(r[n]));
  EXPECT_TRUE(IsUncomputed(r[n + 1]));
  EXPECT_EQ(view[n], n * 0.5);
  EXPECT_EQ(view[n + 1], (n + 1) * 0.5);
  for (int32_t i = 0; i < n; ++i) ASSERT_EQ(view[i], i * 0.5) << i;
  // The writer recalculates: the reader keeps what it was given.
  writer.Invalidate(n - 10, n - 1);
  view[n - 1] = -1.0;
  view[7] = -2.0;
  EXPECT_EQ(r[n - 1], (n - 1) * 0.5);
  EXPECT_EQ(r[n - 5], (n - 5) * 0.5);
  EXPECT_EQ(r[7], 3.5);
  // The reader is given a cell: the writer's own page stays as it is.
  reader.GetSeries(4, 2, false, 0)[8] = -3.0;
  EXPECT_EQ(view[8], 4.0);
  EXPECT_EQ(view[7], -2.0);
  // An array already handed over, a small one, another kind or another bar count is copied instead.
  EXPECT_FALSE(reader.TakeShared(&writer, 4, 2));
  SeriesStore small(100, 4);
  SeriesStore smallReader(100);
  ASSERT_NE(small.GetSeries(4, 0, true, 0), nullptr);
  EXPECT_FALSE(smallReader.TakeShared(&small, 4, 0));
  ASSERT_NE(writer.GetSeries(5, 0, true, 0), nullptr);
  EXPECT_FALSE(reader.TakeShared(&writer, 5, 0));
  SeriesStore longer(n + 1);
  ASSERT_NE(writer.GetSeries(4, 3, true, 0), nullptr);
  EXPECT_FALSE(longer.TakeShared(&writer, 4, 3));
  EXPECT_TRUE(reader.TakeShared(&writer, 4, 3));
}

// An array asked for to be written over from..to: every cell outside the
// (clipped) range is UNCOMPUTED, whatever the cells inside hold; the writer
// owns them. The same key then gives the same array, and an existing array
// comes back untouched.
TEST(SeriesStoreTest, ArrayToWriteIsUncomputedOutsideItsRange) {
  struct Case {
    int32_t from, to;
    int32_t skipFirst, skipLast;  // the cells left to the writer; first > last: none
  };
  const Case cases[] = {
      {0, 9, 0, 9},   {0, 11, 0, 11}, {3, 5, 3, 5},   {-4, 2, 0, 2},
      {7, 40, 7, 11}, {6, 2, 1, 0},   {12, 20, 1, 0}, {-5, -1, 1, 0},
  };
  for (const Case& c : cases) {
    SeriesStore store(10);
    double* a = store.GetSeriesToWrite(4, 1, c.from, c.to);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(store.SeriesLength(4, 1), 12);
    for (int32_t i = 0; i < 12; ++i) {
      const bool left = i >= c.skipFirst && i <= c.skipLast;
      if (left) {
        a[i] = i + 0.25;
        continue;
      }
      EXPECT_TRUE(IsUncomputed(a[i])) << c.from << ".." << c.to << " cell " << i;
    }
    EXPECT_EQ(store.GetSeries(4, 1, false, 0), a);
    EXPECT_EQ(store.GetSeriesToWrite(4, 1, 0, 11), a);
    for (int32_t i = c.skipFirst; i <= c.skipLast; ++i) EXPECT_EQ(a[i], i + 0.25);
  }
}

TEST(SeriesStoreTest, ArrayToWriteRefusesWhatGetSeriesRefuses) {
  SeriesStore store(10);
  EXPECT_EQ(store.GetSeriesToWrite(15, 0, 0, 9), nullptr);
  EXPECT_EQ(store.GetSeriesToWrite(-1, 0, 0, 9), nullptr);
  EXPECT_EQ(store.GetSeriesToWrite(4, -1, 0, 9), nullptr);
  ASSERT_NE(store.GetSeries(11, 2, true, 4), nullptr);  // a state block too short for every bar
  EXPECT_EQ(store.GetSeriesToWrite(11, 2, 0, 9), nullptr);
  SeriesStore empty(0);
  EXPECT_EQ(empty.GetSeriesToWrite(4, 0, 0, 0), nullptr);
  // An array already made by GetSeries keeps its cells.
  double* made = store.GetSeries(5, 0, true, 0);
  ASSERT_NE(made, nullptr);
  made[3] = 7.5;
  EXPECT_EQ(store.GetSeriesToWrite(5, 0, 0, 11), made);
  EXPECT_EQ(made[3], 7.5);
  EXPECT_TRUE(IsUncomputed(made[4]));
}

}  // namespace
