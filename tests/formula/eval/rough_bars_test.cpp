// The generated bars of the executor comparison: rough data really holds the
// hazards it promises (counted by plain loops over the cells), the same seed
// gives the same bits, and the provider's columns hold exactly what its
// reads give.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "formula/eval/value.h"
#include "support/rough_bars.h"

namespace {

uint64_t Bits(double v) {
  uint64_t b = 0;
  std::memcpy(&b, &v, sizeof b);
  return b;
}

struct Hazards {
  int32_t exactTies = 0;   // a price equal in every bit to the previous bar's
  int32_t nearTies = 0;    // 0 < |difference| <= the equality tolerance
  int32_t nearMisses = 0;  // just beyond the tolerance
  int32_t offGrid = 0;     // not a whole number of cents
  int32_t nans = 0;
  int32_t plusInf = 0;
  int32_t minusInf = 0;
  int32_t markers = 0;     // the no-value marker itself
  int32_t failedRuns = 0;  // two or more failed reads in a row of one field
  int32_t gapBars = 0;     // bars where every field fails
};

Hazards Count(const RoughBars& bars) {
  Hazards h;
  for (int32_t f = 1; f <= 4; ++f) {
    const auto& v = bars.values[f];
    for (size_t b = 1; b < v.size(); ++b) {
      const double d = std::fabs(v[b] - v[b - 1]);
      h.exactTies += Bits(v[b]) == Bits(v[b - 1]) ? 1 : 0;
      h.nearTies += d > 0.0 && d <= VALUE_EPSILON ? 1 : 0;
      h.nearMisses += d > VALUE_EPSILON && d < 3e-7 ? 1 : 0;
      h.offGrid += std::isfinite(v[b]) && std::round(v[b] * 100.0) / 100.0 != v[b] ? 1 : 0;
    }
  }
  for (int32_t f = 1; f <= kRoughFieldCount; ++f) {
    for (size_t b = 0; b < bars.values[f].size(); ++b) {
      const double x = bars.values[f][b];
      h.nans += std::isnan(x) && !IsInvalid(x) ? 1 : 0;
      h.plusInf += x == std::numeric_limits<double>::infinity() ? 1 : 0;
      h.minusInf += x == -std::numeric_limits<double>::infinity() ? 1 : 0;
      h.markers += IsInvalid(x) ? 1 : 0;
      h.failedRuns += b > 0 && bars.fails[f][b] && bars.fails[f][b - 1] && (b < 2 || !bars.fails[f][b - 2]) ? 1 : 0;
    }
  }
  for (size_t b = 0; b < static_cast<size_t>(bars.bars); ++b) {
    bool all = true;
    for (int32_t f = 1; f <= kRoughFieldCount; ++f) all = all && bars.fails[f][b] != 0;
    h.gapBars += all ? 1 : 0;
  }
  return h;
}

TEST(RoughBars, RoughDataHoldsEveryHazard) {
  const Hazards h = Count(MakeRoughBars({11, 3000, true}));
  // Mostly the 0.01 grid with many exact ties, some cells nudged off it.
  EXPECT_GT(h.exactTies, 1000);
  EXPECT_GT(h.offGrid, 200);
  EXPECT_GT(h.nearTies, 50);
  EXPECT_GT(h.nearMisses, 30);
  EXPECT_GT(h.nans, 20);
  EXPECT_GT(h.plusInf, 20);
  EXPECT_GT(h.minusInf, 20);
  EXPECT_GT(h.markers, 20);
  EXPECT_GT(h.failedRuns, 100);
  EXPECT_GT(h.gapBars, 20);
}

TEST(RoughBars, RandomWalkIsCleanAndContinuous) {
  const RoughBars walk = MakeRoughBars({11, 3000, false});
  const Hazards h = Count(walk);
  EXPECT_EQ(h.exactTies, 0);
  EXPECT_EQ(h.nans + h.plusInf + h.minusInf + h.markers + h.failedRuns + h.gapBars, 0);
  for (size_t b = 0; b < 3000; ++b) {
    EXPECT_GE(walk.values[1][b], std::max(walk.values[2][b], walk.values[4][b]));
    EXPECT_LE(walk.values[3][b], std::min(walk.values[2][b], walk.values[4][b]));
  }
}

TEST(RoughBars, SameSeedSameBitsOtherSeedOtherBars) {
  const RoughBars a = MakeRoughBars({5, 500, true});
  const RoughBars b = MakeRoughBars({5, 500, true});
  const RoughBars c = MakeRoughBars({6, 500, true});
  int32_t differing = 0;
  for (int32_t f = 1; f <= kRoughFieldCount; ++f) {
    for (size_t i = 0; i < 500; ++i) {
      ASSERT_EQ(Bits(a.values[f][i]), Bits(b.values[f][i]));
      ASSERT_EQ(a.fails[f][i], b.fails[f][i]);
      differing += Bits(a.values[f][i]) != Bits(c.values[f][i]) ? 1 : 0;
    }
  }
  EXPECT_GT(differing, 4000);
}

// Every column cell holds what GetFieldValue gives, NaN where it fails, also
// after the instrument grows and its last bar ticks.
void ExpectColumnsMatchReads(RoughBarsProvider& p) {
  for (int32_t f = 1; f <= kRoughFieldCount; ++f) {
    const double* column = p.GetFieldColumn(f, p.Slots());
    ASSERT_NE(column, nullptr);
    for (int32_t b = 0; b < p.Slots(); ++b) {
      double v = 0.0;
      const bool ok = p.GetFieldValue(f, b, &v);
      if (ok) {
        EXPECT_EQ(Bits(column[b]), Bits(v)) << f << " " << b;
      } else {
        EXPECT_TRUE(std::isnan(column[b])) << f << " " << b;
      }
      EXPECT_TRUE(b < p.Total() || !ok) << f << " " << b;
    }
  }
}

TEST(RoughBars, ColumnsHoldWhatReadsGive) {
  RoughBars bars = MakeRoughBars({9, 400, true});
  RoughBarsProvider p(bars, 300, true);
  ExpectColumnsMatchReads(p);
  p.SetTotal(350);
  const double close = bars.values[4][349];
  p.Retick(0.01);
  ExpectColumnsMatchReads(p);
  double v = 0.0;
  if (p.GetFieldValue(4, 349, &v)) {
    EXPECT_EQ(v, close + 0.01);
  }
  RoughBarsProvider reads(bars, 300, false);
  EXPECT_EQ(reads.GetFieldColumn(4, 400), nullptr);
  EXPECT_EQ(p.GetFieldColumn(kRoughFieldCount + 1, 400), nullptr);
}

}  // namespace
