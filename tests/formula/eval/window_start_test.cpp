// Window aggregates are functions of their window: the value at a bar has the
// same 64 bits whatever bar the calculation started from, however it stepped
// forward, however often the newest bar was recomputed (with other data in
// between) and however far history was extended afterwards. Also the
// accuracy of the window sums and moments against exact integer arithmetic.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "abacor/index_calculator.h"
#include "abacor/index_obj_creator.h"
#include "abacor/index_parser.h"
#include "formula/eval/value.h"
#include "support/owned_objects.h"
#include "support/series_harness.h"
#include "support/test_data_provider.h"

namespace {

ParserPtr Compiled(const std::string& text) {
  ParserPtr parser(IndexObjCreator::CreateIndexParserObj());
  EXPECT_TRUE(parser->Compile(text, {}, {})) << text;
  return parser;
}

CalcPtr NewCalculator(IIndexParser* parser, IIndexDataProvider* provider) {
  CalcPtr calc(IndexObjCreator::CreateIndexCalculatorObj());
  calc->SetIndexParser(parser);
  calc->SetDataProvider(provider);
  return calc;
}

// Output `index`, published; no value as INVALID_VALUE.
std::vector<double> Output(IIndexCalculator& calc, int32_t index, int32_t bars) {
  EXPECT_TRUE(calc.PublishResults());
  std::vector<double> values(bars);
  std::unique_ptr<bool[]> valid(new bool[bars]);
  if (!calc.GetOutputValues(index, 0, bars - 1, values.data(), valid.get())) return {};
  for (int32_t i = 0; i < bars; ++i) {
    if (!valid[i]) values[i] = INVALID_VALUE;
  }
  return values;
}

// Bars from..size-1 of a and b hold the same bits (or both no value).
::testing::AssertionResult SameBitsFrom(const std::vector<double>& a, const std::vector<double>& b, int32_t from) {
  if (a.size() != b.size()) return ::testing::AssertionFailure() << "sizes differ";
  for (size_t i = static_cast<size_t>(from); i < a.size(); ++i) {
    const bool va = HasValue(a[i]);
    if (va == HasValue(b[i]) && (!va || std::memcmp(&a[i], &b[i], sizeof(double)) == 0)) continue;
    return ::testing::AssertionFailure() << "bar " << i << ": " << harness::Show({a[i]}) << " vs "
                                         << harness::Show({b[i]}) << " (" << a[i] - b[i] << ")";
  }
  return ::testing::AssertionSuccess();
}

// Rough prices: a walk on a 0.01 grid that often stands still (many exact
// ties), about one read in twenty-five failing; VOL holds small periods 1..12.
void FillRoughBars(TestDataProvider* p, int32_t bars, uint32_t seed) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int32_t> step(-3, 3);
  std::uniform_int_distribution<int32_t> wick(0, 4);
  std::uniform_int_distribution<int32_t> period(1, 12);
  std::uniform_int_distribution<int32_t> gap(0, 24);
  std::vector<double> open, high, low, close, vol;
  int64_t cents = 821;
  for (int32_t i = 0; i < bars; ++i) {
    const int64_t o = cents + step(rng) / 2;
    cents = std::max<int64_t>(cents + step(rng), 100);
    open.push_back(o / 100.0);
    close.push_back(cents / 100.0);
    high.push_back((std::max(o, cents) + wick(rng)) / 100.0);
    low.push_back((std::min(o, cents) - wick(rng)) / 100.0);
    vol.push_back(period(rng));
  }
  p->SetField(harness::OPEN, open);
  p->SetField(harness::HIGH, high);
  p->SetField(harness::LOW, low);
  p->SetField(harness::CLOSE, close);
  p->SetField(harness::VOL, vol);
  for (int32_t field : {harness::OPEN, harness::HIGH, harness::LOW, harness::CLOSE}) {
    for (int32_t i = 0; i < bars; ++i) {
      if (gap(rng) == 0) p->failingReads.insert({field, i});
    }
  }
}

// Every windowed aggregate, alone, nested and with a period that changes
// from bar to bar (VOL).
const char* const kWindowFormulas[] = {
    "A:SUM(CLOSE,7);",
    "A:SUM(CLOSE,VOL);",
    "A:SUM(CLOSE,1000);",
    "A:MA(CLOSE,5);",
    "A:MA(CLOSE,20);",
    "A:MA(CLOSE,VOL);",
    "A:WMA(CLOSE,6);",
    "A:WMA(HIGH,VOL);",
    "A:MULAR(CLOSE/OPEN,4);",
    "A:COUNT(CLOSE>OPEN,7);",
    "A:SUMBARS(CLOSE,60);",
    "A:STD(CLOSE,8);",
    "A:STDP(CLOSE,VOL);",
    "A:VAR(CLOSE,8);",
    "A:VARP(CLOSE,8);",
    "A:DEVSQ(CLOSE,8);",
    "A:AVEDEV(CLOSE,8);",
    "A:COVAR(CLOSE,OPEN,8);",
    "A:RELATE(CLOSE,HIGH,8);",
    "A:FORCAST(CLOSE,9);",
    "A:SLOPE(CLOSE,9);",
    "A:SMMA(CLOSE,5);",
    "A:VOLAT(CLOSE,8);",
    "A:HHV(HIGH,9);",
    "A:LLVBARS(LOW,9);",
    "A:MA(CLOSE,5)-MA(CLOSE,20);",
    "A:CROSS(MA(CLOSE,5),MA(CLOSE,20));",
    "A:MA(MA(CLOSE,5),20);",
    "A:HHV(MA(CLOSE,3),5)+LLV(SUM(CLOSE,4),6);",
    "A:STD(SUM(CLOSE,3),6)+WMA(MA(CLOSE,4),5)+AVEDEV(STD(CLOSE,4),3);",
    "M:=MA(CLOSE,4);A:SUM(M,9)+STD(M,5)+COVAR(M,CLOSE,6);",
};

class WindowStart : public ::testing::TestWithParam<const char*> {};

// Random starts, random forward steps, reticks of the newest bar with other
// data in between and an extended history all publish, on every bar they
// cover, the bits of one calculation from bar 0.
TEST_P(WindowStart, EveryStartGivesTheBitsOfAFullCalculation) {
  constexpr int32_t kBars = 260;
  const std::string formula = GetParam();
  for (uint32_t seed : {11u, 12u}) {
    TestDataProvider provider;
    FillRoughBars(&provider, kBars, seed);
    ParserPtr parser = Compiled(formula);
    CalcPtr full = NewCalculator(parser.get(), &provider);
    ASSERT_TRUE(full->Calculate(0, kBars - 1, false));
    const std::vector<double> expected = Output(*full, 0, kBars);
    const auto valued = std::count_if(expected.begin(), expected.end(), [](double v) { return HasValue(v); });
    EXPECT_GE(valued, 40) << formula << " has too few values to compare";

    std::mt19937 rng(seed * 31u);
    std::uniform_int_distribution<int32_t> startAt(1, kBars - 1);
    std::uniform_int_distribution<int32_t> stride(0, 9);
    std::uniform_int_distribution<int32_t> reticks(0, 2);
    std::vector<double>& close = provider.fields[harness::CLOSE];
    for (int32_t round = 0; round < 4; ++round) {
      const int32_t start = startAt(rng);
      CalcPtr calc = NewCalculator(parser.get(), &provider);
      int32_t last = std::min(kBars - 1, start + stride(rng));
      ASSERT_TRUE(calc->Calculate(start, last, false));
      while (true) {
        for (int32_t r = reticks(rng); r > 0; --r) {
          const double kept = close[last];
          close[last] = kept + 0.01 * (r + 1);
          ASSERT_TRUE(calc->Calculate(last, last, true));
          close[last] = kept;
          ASSERT_TRUE(calc->Calculate(last, last, true));
        }
        if (last == kBars - 1) break;
        const int32_t next = std::min(kBars - 1, last + 1 + stride(rng));
        ASSERT_TRUE(calc->Calculate(last + (stride(rng) % 2), next, false));
        last = next;
      }
      EXPECT_TRUE(SameBitsFrom(Output(*calc, 0, kBars), expected, start))
          << formula << " seed " << seed << " from " << start;
      const int32_t earlier = start / 2;
      ASSERT_TRUE(calc->Calculate(earlier, kBars - 1, false));
      EXPECT_TRUE(SameBitsFrom(Output(*calc, 0, kBars), expected, earlier))
          << formula << " seed " << seed << " from " << start << " extended to " << earlier;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Windows, WindowStart, ::testing::ValuesIn(kWindowFormulas));

// The centred average reads later bars, so a value near the end of a
// calculated range waits for the bars after it; calculated to the last bar
// from any start, and extended to earlier bars, it has the bits of a
// calculation from bar 0.
TEST(WindowStartCases, CentredAverageDoesNotDependOnTheStart) {
  constexpr int32_t kBars = 260;
  for (const char* formula : {"A:XMA(CLOSE,5);", "A:XMA(CLOSE,8);", "A:XMA(LOW,VOL);", "A:XMA(MA(CLOSE,3),7);"}) {
    TestDataProvider provider;
    FillRoughBars(&provider, kBars, 21u);
    ParserPtr parser = Compiled(formula);
    CalcPtr full = NewCalculator(parser.get(), &provider);
    ASSERT_TRUE(full->Calculate(0, kBars - 1, false));
    const std::vector<double> expected = Output(*full, 0, kBars);
    EXPECT_GE(std::count_if(expected.begin(), expected.end(), [](double v) { return HasValue(v); }), 40) << formula;
    for (int32_t start : {1, 7, 64, 131, 200, 255}) {
      CalcPtr calc = NewCalculator(parser.get(), &provider);
      ASSERT_TRUE(calc->Calculate(start, kBars - 1, false));
      EXPECT_TRUE(SameBitsFrom(Output(*calc, 0, kBars), expected, start)) << formula << " from " << start;
      ASSERT_TRUE(calc->Calculate(start / 3, kBars - 1, false));
      EXPECT_TRUE(SameBitsFrom(Output(*calc, 0, kBars), expected, start / 3))
          << formula << " from " << start << " extended to " << start / 3;
    }
  }
}

// The tie of the shipped sample in miniature: on bar 24 the last 5 closes
// and the last 20 closes both average exactly 8.214 in decimal, so MA5 -
// MA20 is 0 there. MA5 was above MA20 on bar 23 and is again on bar 25
// (8.242 and 8.191), so no cross may fire on bar 25, whatever the start. (A
// running sum updated from bar 0 gave -7.1e-15 on bar 24 and a cross.)
TEST(WindowStartCases, TheCrossOfEqualAveragesDoesNotDependOnTheStart) {
  // 8.214 * 20 = 164.28; the last five sum to 41.07 = 8.214 * 5.
  const std::vector<double> cents = {830, 847, 796, 842, 832, 851, 831, 816, 846, 827, 804, 846, 810, 802,
                                     831, 815, 795, 793, 831, 823, 791, 847, 849, 822, 798, 805, 826};
  std::vector<double> close;
  for (double c : cents) close.push_back(c / 100.0);
  const int32_t bars = static_cast<int32_t>(close.size());
  double last20 = 0.0, last5 = 0.0;
  for (int32_t i = 5; i <= 24; ++i) last20 += cents[i];
  for (int32_t i = 20; i <= 24; ++i) last5 += cents[i];
  ASSERT_EQ(last20, 16428.0);
  ASSERT_EQ(last5, 4107.0);
  TestDataProvider provider;
  provider.SetField(harness::CLOSE, close);
  ParserPtr parser = Compiled("X:MA(C,5)-MA(C,20);Y:CROSS(MA(C,5),MA(C,20));");
  struct Start {
    int32_t from;
    int32_t firstStep;  // the first Calculate covers from..firstStep
  };
  const Start starts[] = {{0, 26}, {0, 24}, {3, 25}, {5, 5}, {19, 20}, {20, 26}, {21, 24}, {22, 23}, {24, 24}};
  for (const Start& s : starts) {
    CalcPtr calc = NewCalculator(parser.get(), &provider);
    ASSERT_TRUE(calc->Calculate(s.from, s.firstStep, false));
    for (int32_t b = s.firstStep; b < bars - 1; ++b) ASSERT_TRUE(calc->Calculate(b, b + 1, false));
    const std::vector<double> x = Output(*calc, 0, bars);
    const std::vector<double> y = Output(*calc, 1, bars);
    if (s.from <= 23) {
      EXPECT_GT(x[23], 0.0) << "from " << s.from;
    }
    EXPECT_EQ(x[24], 0.0) << "from " << s.from;
    EXPECT_EQ(y[25], 0.0) << "from " << s.from;
    EXPECT_GT(x[25], 0.0) << "from " << s.from;
  }
}

// A value a hair below the window's highest (within the zero tolerance) does
// not take its place: the highest stays the larger one from every start.
TEST(WindowStartCases, NearTiesOfTheHighestDoNotDependOnTheStart) {
  const std::vector<double> close = {5, 10, 9.999999999, 3, 4, 2};
  TestDataProvider provider;
  provider.SetField(harness::CLOSE, close);
  ParserPtr parser = Compiled("A:HHV(C,3);B:HHVBARS(C,3);");
  const std::vector<double> high = {5, 10, 10, 10, 9.999999999, 4};
  const std::vector<double> back = {0, 0, 1, 2, 2, 1};
  for (int32_t from = 0; from < 5; ++from) {
    CalcPtr calc = NewCalculator(parser.get(), &provider);
    ASSERT_TRUE(calc->Calculate(from, from, false));
    for (int32_t b = from; b < 5; ++b) ASSERT_TRUE(calc->Calculate(b + 1, b + 1, false));
    const std::vector<double> a = Output(*calc, 0, 6);
    const std::vector<double> bars = Output(*calc, 1, 6);
    for (int32_t b = from; b < 6; ++b) {
      EXPECT_EQ(a[b], high[b]) << "bar " << b << " from " << from;
      EXPECT_EQ(bars[b], back[b]) << "bar " << b << " from " << from;
    }
  }
}

// Exact arithmetic for the oracle: every value is a whole multiple of 2^-scale.
struct Exact {
  int scale;
  __int128 Of(double v) const {
    const double scaled = std::ldexp(v, scale);
    EXPECT_EQ(scaled, std::trunc(scaled)) << v << " is no multiple of 2^-" << scale;
    return static_cast<__int128>(scaled);
  }
  double Round(__int128 v) const { return std::ldexp(static_cast<double>(v), -scale); }
};

// SUM and MA over long windows of prices near 1000 on a 0.01 grid: the sum is
// within one unit in the last place of the exact sum of the doubles (and
// never further from it than the window summed afresh in double), and MA is
// that sum divided by n.
TEST(WindowAccuracy, WindowSumsAreFaithfulToTheExactSum) {
  constexpr int32_t kBars = 1500;
  constexpr int32_t kN = 250;
  std::mt19937 rng(5);
  std::uniform_int_distribution<int32_t> step(-40, 40);
  std::vector<double> close;
  int64_t cents = 100000;
  for (int32_t i = 0; i < kBars; ++i) {
    cents += step(rng);
    close.push_back(cents / 100.0);
  }
  TestDataProvider provider;
  provider.SetField(harness::CLOSE, close);
  ParserPtr parser = Compiled("S:SUM(CLOSE,250);M:MA(CLOSE,250);");
  CalcPtr calc = NewCalculator(parser.get(), &provider);
  ASSERT_TRUE(calc->Calculate(0, kBars - 1, false));
  const std::vector<double> sums = Output(*calc, 0, kBars);
  const std::vector<double> means = Output(*calc, 1, kBars);
  const Exact exact{52 - 7};  // prices of at least 2^7: multiples of 2^-45
  for (int32_t b = kN - 1; b < kBars; ++b) {
    __int128 total = 0;
    double naive = 0.0;
    for (int32_t j = b - kN + 1; j <= b; ++j) {
      total += exact.Of(close[j]);
      naive += close[j];
    }
    const double rounded = exact.Round(total);
    const double ulp = std::nextafter(rounded, INFINITY) - rounded;
    const double err = std::fabs(static_cast<double>(exact.Of(sums[b]) - total)) * std::ldexp(1.0, -exact.scale);
    const double naiveErr = std::fabs(static_cast<double>(exact.Of(naive) - total)) * std::ldexp(1.0, -exact.scale);
    ASSERT_LT(err, ulp) << "bar " << b;
    ASSERT_LE(err, std::max(naiveErr, ulp / 2)) << "bar " << b;
    ASSERT_EQ(means[b], sums[b] / kN) << "bar " << b;
  }
}

// STD and VAR of prices near 10000 that move by a cent or two: relative
// error below 1e-9 against the exact variance of the doubles.
TEST(WindowAccuracy, VarianceOfAHighLevelWithSmallNoise) {
  constexpr int32_t kBars = 700;
  constexpr int32_t kN = 40;
  std::mt19937 rng(9);
  std::uniform_int_distribution<int32_t> noise(-2, 2);
  std::vector<double> close;
  for (int32_t i = 0; i < kBars; ++i) close.push_back((1000000 + noise(rng)) / 100.0);
  TestDataProvider provider;
  provider.SetField(harness::CLOSE, close);
  ParserPtr parser = Compiled("VA:VAR(CLOSE,40);SP:STDP(CLOSE,40);DQ:DEVSQ(CLOSE,40);");
  CalcPtr calc = NewCalculator(parser.get(), &provider);
  ASSERT_TRUE(calc->Calculate(0, kBars - 1, false));
  const std::vector<double> var = Output(*calc, 0, kBars);
  const std::vector<double> stdp = Output(*calc, 1, kBars);
  const std::vector<double> devsq = Output(*calc, 2, kBars);
  const Exact exact{52 - 12};  // prices of at least 2^12: multiples of 2^-40
  for (int32_t b = kN - 1; b < kBars; ++b) {
    __int128 sum = 0, sumsq = 0;
    for (int32_t j = b - kN + 1; j <= b; ++j) {
      const __int128 v = exact.Of(close[j]);
      sum += v;
      sumsq += v * v;
    }
    // n * sum of squares - sum^2 = n^2 * population variance, in units of 2^-2*scale.
    const double d = std::ldexp(static_cast<double>(kN * sumsq - sum * sum), -2 * exact.scale);
    const double wantVar = d / (static_cast<double>(kN) * (kN - 1));
    const double wantM2 = d / kN;
    ASSERT_NEAR(var[b], wantVar, 1e-9 * wantVar) << "bar " << b;
    ASSERT_NEAR(devsq[b], wantM2, 1e-9 * wantM2) << "bar " << b;
    ASSERT_NEAR(stdp[b], std::sqrt(wantM2 / kN), 1e-9 * std::sqrt(wantM2 / kN)) << "bar " << b;
  }
}

}  // namespace
