// The pool of freed series arrays: reuse, fit, cap, what is never recycled,
// and many threads taking and returning arrays at once.
#include <gtest/gtest.h>

#include <cstdint>
#include <thread>
#include <vector>

#include "formula/eval/series_memory.h"
#include "formula/eval/series_store.h"
#include "formula/eval/value.h"

namespace {

constexpr size_t kMapped = series_memory::MAPPED_MIN_BYTES / sizeof(double);

// Each test starts with an empty pool of the given cap that keeps mapped
// arrays too, and leaves the settings it found behind.
class PoolScope {
 public:
  explicit PoolScope(size_t cap) {
    series_memory::SetPoolCap(0);
    m_cap = series_memory::SetPoolCap(cap);
    m_mapped = series_memory::SetPoolKeepsMapped(true);
  }
  ~PoolScope() {
    series_memory::SetPoolCap(0);
    series_memory::SetPoolCap(m_cap);
    series_memory::SetPoolKeepsMapped(m_mapped);
  }
  PoolScope(const PoolScope&) = delete;
  PoolScope& operator=(const PoolScope&) = delete;

 private:
  size_t m_cap = 0;
  bool m_mapped = true;
};

void Stamp(const SeriesMemory& m, size_t count, double base) {
  for (size_t i = 0; i < count; ++i) m.cells[i] = base + static_cast<double>(i);
}

bool HasStamp(const SeriesMemory& m, size_t count, double base) {
  for (size_t i = 0; i < count; ++i) {
    if (m.cells[i] != base + static_cast<double>(i)) return false;
  }
  return true;
}

// A freed array of any size class comes back, contents and all, for the next
// array of its size; the pool holds it only in between.
TEST(SeriesPoolTest, FreedArraysAreTakenAgain) {
  struct Case {
    size_t count;
    bool shareable;
  };
  const Case cases[] = {{4, false},           {2502, false},       {2502, true},
                        {kMapped + 3, false}, {kMapped + 3, true}, {1000002, true}};
  for (const Case& c : cases) {
    PoolScope scope(size_t{64} << 20);
    SeriesMemory first = series_memory::Allocate(c.count, c.shareable);
    ASSERT_NE(first.cells, nullptr);
    Stamp(first, c.count, 0.5);
    double* const cells = first.cells;
    const bool shareable = series_memory::Shareable(first);
    const size_t bytes = first.bytes;
    EXPECT_GE(bytes, c.count * sizeof(double));
    series_memory::Release(&first);
    EXPECT_EQ(first.cells, nullptr);
    EXPECT_EQ(series_memory::Pooled().bytes, bytes) << c.count;
    EXPECT_EQ(series_memory::Pooled().arrays, 1u);
    SeriesMemory again = series_memory::Allocate(c.count, c.shareable);
    EXPECT_EQ(again.cells, cells) << c.count;
    EXPECT_TRUE(HasStamp(again, c.count, 0.5)) << c.count;
    EXPECT_EQ(series_memory::Shareable(again), shareable) << c.count;
    EXPECT_EQ(series_memory::Pooled().bytes, 0u);
    series_memory::Release(&again);
  }
}

// An array serves a request of its size down to four fifths of it, never a
// larger one; a shareable large request is not served by a plain array.
TEST(SeriesPoolTest, ArraysServeRequestsOfAboutTheirSize) {
  struct Case {
    size_t freed, asked;
    bool shareable;
    bool reused;
  };
  const Case cases[] = {
      {1000, 1000, false, true},       {1000, 800, false, true}, {1000, 799, false, false},
      {1000, 1001, false, false},      {1000, 900, true, true},  {kMapped, kMapped - 1000, false, true},
      {kMapped, kMapped, true, false},
  };
  for (const Case& c : cases) {
    PoolScope scope(size_t{64} << 20);
    SeriesMemory freed = series_memory::Allocate(c.freed, false);
    ASSERT_NE(freed.cells, nullptr);
    double* const cells = freed.cells;
    Stamp(freed, 100, 0.5);
    series_memory::Release(&freed);
    SeriesMemory asked = series_memory::Allocate(c.asked, c.shareable);
    ASSERT_NE(asked.cells, nullptr);
    // A new mapping may land where a freed one was, but it comes zeroed.
    const bool reused = c.freed >= kMapped ? HasStamp(asked, 100, 0.5) : asked.cells == cells;
    EXPECT_EQ(reused, c.reused) << c.freed << " -> " << c.asked;
    EXPECT_GE(asked.bytes, c.asked * sizeof(double));
    series_memory::Release(&asked);
  }
}

// Past the cap arrays go back to the system; lowering the cap frees what is
// beyond it at once.
TEST(SeriesPoolTest, TheCapBoundsWhatIsKept) {
  PoolScope scope(3 * 8000);
  std::vector<SeriesMemory> arrays;
  for (int i = 0; i < 5; ++i) arrays.push_back(series_memory::Allocate(1000, false));
  for (SeriesMemory& m : arrays) series_memory::Release(&m);
  EXPECT_EQ(series_memory::Pooled().arrays, 3u);
  EXPECT_EQ(series_memory::Pooled().bytes, 3u * 8000);
  SeriesMemory big = series_memory::Allocate(4000, false);
  series_memory::Release(&big);  // larger than the cap alone
  EXPECT_EQ(series_memory::Pooled().bytes, 3u * 8000);
  EXPECT_EQ(series_memory::SetPoolCap(8000), 3u * 8000);
  EXPECT_EQ(series_memory::Pooled().arrays, 1u);
  EXPECT_EQ(series_memory::Pooled().bytes, 8000u);
  EXPECT_EQ(series_memory::Pooled().cap, 8000u);
  series_memory::SetPoolCap(0);
  EXPECT_EQ(series_memory::Pooled().arrays, 0u);
  SeriesMemory none = series_memory::Allocate(1000, false);
  series_memory::Release(&none);
  EXPECT_EQ(series_memory::Pooled().arrays, 0u);
}

// Turning mapped arrays off gives back those the pool holds and keeps heap
// arrays only.
TEST(SeriesPoolTest, MappedArraysAreKeptUnlessTurnedOff) {
  PoolScope scope(size_t{64} << 20);
  SeriesMemory heap = series_memory::Allocate(1000, false);
  SeriesMemory mapped = series_memory::Allocate(kMapped, false);
  SeriesMemory file = series_memory::Allocate(kMapped, true);
  const size_t heapBytes = heap.bytes;
  series_memory::Release(&heap);
  series_memory::Release(&mapped);
  series_memory::Release(&file);
  EXPECT_EQ(series_memory::Pooled().arrays, 3u);
  EXPECT_TRUE(series_memory::SetPoolKeepsMapped(false));
  EXPECT_FALSE(series_memory::Pooled().keepsMapped);
  EXPECT_EQ(series_memory::Pooled().arrays, 1u);
  EXPECT_EQ(series_memory::Pooled().bytes, heapBytes);
  SeriesMemory again = series_memory::Allocate(kMapped, false);
  series_memory::Release(&again);
  EXPECT_EQ(series_memory::Pooled().arrays, 1u);
}

// A large array the pool cannot serve first gives back pooled mapped arrays
// of as many bytes, the largest first; heap arrays stay.
TEST(SeriesPoolTest, AMissGivesBackMappedArraysOfItsSize) {
  struct Case {
    size_t pooled[3];  // mapped arrays freed before the miss (0: none)
    size_t asked;      // cells of the request that misses
    size_t left;       // mapped arrays the pool holds afterwards
  };
  const Case cases[] = {
      {{kMapped, 0, 0}, 3 * kMapped, 0},
      {{kMapped, kMapped, kMapped}, 2 * kMapped, 1},
      {{kMapped, 4 * kMapped, 0}, 2 * kMapped, 1},  // the larger one goes
      {{kMapped, kMapped, 0}, kMapped / 2, 2},      // a heap array gives back nothing
  };
  for (const Case& c : cases) {
    PoolScope scope(size_t{256} << 20);
    SeriesMemory heap = series_memory::Allocate(1000, false);
    series_memory::Release(&heap);
    std::vector<SeriesMemory> arrays;
    for (size_t cells : c.pooled) {
      if (cells > 0) arrays.push_back(series_memory::Allocate(cells, false));
    }
    for (SeriesMemory& m : arrays) series_memory::Release(&m);
    SeriesMemory miss = series_memory::Allocate(c.asked, false);
    ASSERT_NE(miss.cells, nullptr);
    EXPECT_EQ(series_memory::Pooled().arrays, c.left + 1) << c.asked;
    if (c.left == 1 && c.pooled[1] == 4 * kMapped) {
      EXPECT_LT(series_memory::Pooled().bytes, 2 * kMapped * sizeof(double));
    }
    series_memory::Release(&miss);
  }
}

// Either side of a shared array maps one file: while one side lives the
// file is not recycled (a later writer would change what it reads); once
// both are released the file comes back, its pages still there, for the
// next shareable array.
TEST(SeriesPoolTest, SharedFilesComeBackOnceBothSidesAreReleased) {
  PoolScope scope(size_t{64} << 20);
  SeriesMemory writer = series_memory::Allocate(kMapped, true);
  ASSERT_TRUE(series_memory::Shareable(writer));
  Stamp(writer, kMapped, 2.0);
  SeriesMemory reader;
  ASSERT_TRUE(series_memory::Share(&writer, &reader));
  EXPECT_TRUE(HasStamp(reader, kMapped, 2.0));
  EXPECT_FALSE(series_memory::Shareable(writer));
  series_memory::Release(&writer);
  EXPECT_EQ(series_memory::Pooled().arrays, 0u);
  SeriesMemory other = series_memory::Allocate(kMapped, true);
  ASSERT_NE(other.cells, nullptr);
  Stamp(other, kMapped, 7.0);
  EXPECT_TRUE(HasStamp(reader, kMapped, 2.0));
  series_memory::Release(&other);
  series_memory::Release(&reader);
  EXPECT_EQ(series_memory::Pooled().arrays, 2u);
  SeriesMemory again = series_memory::Allocate(kMapped, true);
  SeriesMemory again2 = series_memory::Allocate(kMapped, true);
  EXPECT_TRUE(series_memory::Shareable(again));
  EXPECT_TRUE(series_memory::Shareable(again2));
  // One of them maps the shared file again, with what the writer left there.
  EXPECT_TRUE(HasStamp(again, kMapped, 2.0) || HasStamp(again2, kMapped, 2.0));
  EXPECT_EQ(series_memory::Pooled().arrays, 0u);
  series_memory::Release(&again);
  series_memory::Release(&again2);
}

// A store reset to new bars takes its arrays from the pool, and an array to
// be written over a range keeps whatever the recycled memory held there
// (no prefill) while the rest reads UNCOMPUTED.
TEST(SeriesPoolTest, StoresRecycleAndLeaveTheWrittenRangeAlone) {
  PoolScope scope(size_t{64} << 20);
  double* cells = nullptr;
  {
    SeriesStore store(100, 4);
    cells = store.GetSeries(4, 0, true, 0);
    ASSERT_NE(cells, nullptr);
    for (int32_t i = 0; i < 102; ++i) cells[i] = i * 2.0;
  }
  EXPECT_EQ(series_memory::Pooled().arrays, 1u);
  SeriesStore next(100, 4);
  double* again = next.GetSeriesToWrite(4, 0, 10, 89);
  ASSERT_EQ(again, cells);
  for (int32_t i = 0; i < 102; ++i) {
    if (i >= 10 && i <= 89) {
      EXPECT_EQ(again[i], i * 2.0) << i;
      continue;
    }
    EXPECT_TRUE(IsUncomputed(again[i])) << i;
  }
}

// Threads taking and returning arrays of several sizes at once: no array is
// handed to two holders, what a holder writes stays, and the pool ends within
// its cap holding only whole arrays.
TEST(SeriesPoolConcurrencyTest, ThreadsNeverShareAnArray) {
  const size_t cap = 40 * 8 * 600;
  PoolScope scope(cap);
  constexpr int kThreads = 4;
  constexpr int kRounds = 300;
  const size_t sizes[] = {100, 300, 600};
  std::vector<int> failures(kThreads, 0);
  auto work = [&](int t) {
    for (int round = 0; round < kRounds; ++round) {
      std::vector<SeriesMemory> held;
      for (size_t k = 0; k < 3; ++k) {
        const size_t count = sizes[(static_cast<size_t>(round + t) + k) % 3];
        SeriesMemory m = series_memory::Allocate(count, false);
        if (m.cells == nullptr) continue;
        Stamp(m, count, t * 1e6 + round * 10.0 + static_cast<double>(k));
        held.push_back(m);
      }
      for (size_t k = 0; k < held.size(); ++k) {
        const size_t count = sizes[(static_cast<size_t>(round + t) + k) % 3];
        if (!HasStamp(held[k], count, t * 1e6 + round * 10.0 + static_cast<double>(k))) ++failures[t];
        series_memory::Release(&held[k]);
      }
    }
  };
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) threads.emplace_back(work, t);
  for (std::thread& th : threads) th.join();
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(failures[t], 0) << t;
  const series_memory::PoolState state = series_memory::Pooled();
  EXPECT_LE(state.bytes, cap);
  EXPECT_GE(state.arrays, 1u);
  EXPECT_EQ(state.bytes % (8 * 100), 0u);  // whole arrays of the three sizes
  series_memory::SetPoolCap(0);
  EXPECT_EQ(series_memory::Pooled().arrays, 0u);
  EXPECT_EQ(series_memory::Pooled().bytes, 0u);
}

}  // namespace
