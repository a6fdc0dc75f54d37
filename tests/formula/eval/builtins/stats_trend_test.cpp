// Tables of cases for the statistics, searches, bar-status, whole-range,
// SAR and zigzag built-ins.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "formula/eval/builtins/refs.h"
#include "formula/eval/builtins/stats.h"
#include "support/series_harness.h"

namespace {

using harness::Case;
using harness::Harness;
using harness::NA;

const std::vector<double> kClose = {10, 11, 12, 11, 13, 13, 9, 10};

class StatCases : public ::testing::TestWithParam<Case> {};

TEST_P(StatCases, MatchesRule) {
  const Case& c = GetParam();
  Harness h(kClose);
  const std::vector<double> got = h.Run(c.expr(h));
  EXPECT_EQ(h.lastCode, 0);
  EXPECT_TRUE(harness::SeriesNear(got, c.expected, 1e-12)) << c.name;
}

Operand Fn2(Harness& h, const char* name, float n) { return h.Fn(name, {h.C(), Harness::N(n)}); }

const double kSqrt250 = std::sqrt(250.0);

const Case kStatCases[] = {
    {"STD3",
     [](Harness& h) { return Fn2(h, "STD", 3); },
     {NA, NA, 1.0, 0.5773502691896257, 1.0, 1.1547005383792515, 2.309401076758503, 2.0816659994661326}},
    {"STDP3",
     [](Harness& h) { return Fn2(h, "STDP", 3); },
     {NA, NA, 0.816496580927726, 0.4714045207910317, 0.816496580927726, 0.9428090415820634, 1.8856180831641267,
      1.699673171197595}},
    {"VAR3", [](Harness& h) { return Fn2(h, "VAR", 3); }, {NA, NA, 1, 1.0 / 3, 1, 4.0 / 3, 16.0 / 3, 13.0 / 3}},
    {"VARP3",
     [](Harness& h) { return Fn2(h, "VARP", 3); },
     {NA, NA, 2.0 / 3, 2.0 / 9, 2.0 / 3, 8.0 / 9, 32.0 / 9, 26.0 / 9}},
    // One bar: no sample dispersion, a population dispersion of 0.
    {"STD1", [](Harness& h) { return Fn2(h, "STD", 1); }, {NA, NA, NA, NA, NA, NA, NA, NA}},
    {"VAR1", [](Harness& h) { return Fn2(h, "VAR", 1); }, {NA, NA, NA, NA, NA, NA, NA, NA}},
    {"STDP1", [](Harness& h) { return Fn2(h, "STDP", 1); }, {0, 0, 0, 0, 0, 0, 0, 0}},
    {"VARP1", [](Harness& h) { return Fn2(h, "VARP", 1); }, {0, 0, 0, 0, 0, 0, 0, 0}},
    {"AVEDEV3",
     [](Harness& h) { return Fn2(h, "AVEDEV", 3); },
     {NA, NA, 2.0 / 3, 4.0 / 9, 2.0 / 3, 8.0 / 9, 16.0 / 9, 14.0 / 9}},
    {"DEVSQ3", [](Harness& h) { return Fn2(h, "DEVSQ", 3); }, {NA, NA, 2, 2.0 / 3, 2, 8.0 / 3, 32.0 / 3, 26.0 / 3}},
    {"SLOPE3", [](Harness& h) { return Fn2(h, "SLOPE", 3); }, {NA, NA, 1, 0, 0.5, 1, -2, -1.5}},
    {"FORCAST3",
     [](Harness& h) { return Fn2(h, "FORCAST", 3); },
     {NA, NA, 12, 34.0 / 3, 12.5, 40.0 / 3, 29.0 / 3, 27.5 / 3}},
    // COVAR of X with 2X + 1 is twice VAR; their correlation is 1.
    {"COVAR3",
     [](Harness& h) {
       return h.Fn("COVAR", {h.C(), Harness::Op(OP_ADD, Harness::Op(OP_MUL, h.C(), Harness::N(2)), Harness::N(1)),
                             Harness::N(3)});
     },
     {NA, NA, 2, 2.0 / 3, 2, 8.0 / 3, 32.0 / 3, 26.0 / 3}},
    {"RELATE3",
     [](Harness& h) {
       return h.Fn("RELATE", {h.C(), Harness::Op(OP_ADD, Harness::Op(OP_MUL, h.C(), Harness::N(2)), Harness::N(1)),
                              Harness::N(3)});
     },
     {NA, NA, 1, 1, 1, 1, 1, 1}},
    {"RELATEneg",
     [](Harness& h) {
       return h.Fn("RELATE", {h.C(), Harness::Op(OP_SUB, Harness::N(0), h.C()), Harness::N(3)});
     },
     {NA, NA, -1, -1, -1, -1, -1, -1}},
    {"COVAR1",
     [](Harness& h) {
       return h.Fn("COVAR", {h.C(), h.C(), Harness::N(1)});
     },
     {NA, NA, NA, NA, NA, NA, NA, NA}},
    {"VOLAT3",
     [](Harness& h) { return Fn2(h, "VOLAT", 3); },
     {NA, NA, 0.06560779686763302, 1.3757706681739754, 2.0085638340125076, 1.320678499925519, 2.9071196432015505,
      3.7400676555229633}},
    // Searches: the second largest / smallest of the last five bars (fewer at the start).
    {"FINDHIGH",
     [](Harness& h) {
       return h.Fn("FINDHIGH", {h.C(), Harness::N(0), Harness::N(5), Harness::N(2)});
     },
     {10, 10, 11, 11, 12, 13, 13, 13}},
    {"FINDLOW",
     [](Harness& h) {
       return h.Fn("FINDLOW", {h.C(), Harness::N(0), Harness::N(5), Harness::N(2)});
     },
     {10, 11, 11, 11, 11, 11, 11, 10}},
    {"FINDHIGHBARS",
     [](Harness& h) {
       return h.Fn("FINDHIGHBARS", {h.C(), Harness::N(0), Harness::N(5), Harness::N(2)});
     },
     {0, 1, 1, 2, 2, 0, 1, 2}},
    {"FINDLOWBARS",
     [](Harness& h) {
       return h.Fn("FINDLOWBARS", {h.C(), Harness::N(0), Harness::N(5), Harness::N(1)});
     },
     {0, 1, 2, 3, 4, 2, 0, 1}},
    {"FINDHIGHskip",
     [](Harness& h) {
       return h.Fn("FINDHIGH", {h.C(), Harness::N(2), Harness::N(2), Harness::N(1)});
     },
     {NA, NA, 10, 11, 12, 12, 13, 13}},
    {"FINDHIGHbadT",
     [](Harness& h) {
       return h.Fn("FINDHIGH", {h.C(), Harness::N(0), Harness::N(5), Harness::N(0)});
     },
     {NA, NA, NA, NA, NA, NA, NA, NA}},
    // Bar status.
    {"BARSTATUS", [](Harness& h) { return h.Fn("BARSTATUS", {}); }, {1, 0, 0, 0, 0, 0, 0, 2}},
    {"CURRBARSCOUNT", [](Harness& h) { return h.Fn("CURRBARSCOUNT", {}); }, {8, 7, 6, 5, 4, 3, 2, 1}},
    {"TOTALBARSCOUNT", [](Harness& h) { return h.Fn("TOTALBARSCOUNT", {}); }, {8, 8, 8, 8, 8, 8, 8, 8}},
    {"ISLASTBAR", [](Harness& h) { return h.Fn("ISLASTBAR", {}); }, {0, 0, 0, 0, 0, 0, 0, 1}},
    {"DRAWNULL", [](Harness& h) { return h.Fn("DRAWNULL", {}); }, {NA, NA, NA, NA, NA, NA, NA, NA}},
    {"ZTPRICE",
     [](Harness& h) {
       return h.Fn("ZTPRICE", {h.C(), Harness::N(0.5f)});
     },
     {15, 16.5, 18, 16.5, 19.5, 19.5, 13.5, 15}},
    {"DTPRICE",
     [](Harness& h) {
       return h.Fn("DTPRICE", {h.C(), Harness::N(0.5f)});
     },
     {5, 5.5, 6, 5.5, 6.5, 6.5, 4.5, 5}},
    {"FILTERX",
     [](Harness& h) {
       return h.Fn("FILTERX", {h.C(), Harness::N(1)});
     },
     {NA, NA, NA, NA, NA, NA, NA, NA}},
    // Whole-range functions.
    {"BACKSET2",
     [](Harness& h) {
       return h.Fn("BACKSET", {Harness::Op(OP_GT, h.C(), Harness::N(12)), Harness::N(2)});
     },
     {0, 0, 0, 1, 1, 1, 0, 0}},
    {"BACKSET0",
     [](Harness& h) {
       return h.Fn("BACKSET", {Harness::Op(OP_GT, h.C(), Harness::N(12)), Harness::N(0)});
     },
     {0, 0, 0, 0, 1, 1, 0, 0}},
    {"CONST", [](Harness& h) { return h.Fn("CONST", {h.C()}); }, {10, 10, 10, 10, 10, 10, 10, 10}},
};

INSTANTIATE_TEST_SUITE_P(Builtins, StatCases, ::testing::ValuesIn(kStatCases),
                         [](const ::testing::TestParamInfo<Case>& i) { return std::string(i.param.name); });

TEST(BuiltinStats, ConstantSeriesHasNoSpreadAndNoCorrelation) {
  Harness h(std::vector<double>(6, 7.0));
  EXPECT_TRUE(harness::SeriesNear(h.Run(Fn2(h, "STD", 3)), {NA, NA, 0, 0, 0, 0}));
  EXPECT_TRUE(harness::SeriesNear(h.Run(Fn2(h, "VAR", 3)), {NA, NA, 0, 0, 0, 0}));
  EXPECT_TRUE(harness::SeriesNear(h.Run(h.Fn("RELATE", {h.C(), h.C(), Harness::N(3)})), {NA, NA, NA, NA, NA, NA}));
}

TEST(BuiltinStats, RegressionOverOneBarIsAFault) {
  Harness h(kClose);
  double v = 0.0;
  EXPECT_EQ(h.EvalAt(Fn2(h, "SLOPE", 1), 3, &v), EVAL_BAD_ARGUMENT);
  EXPECT_EQ(h.EvalAt(Fn2(h, "FORCAST", 1), 3, &v), EVAL_BAD_ARGUMENT);
  // The bar is read before the line is fitted: without a value there is no value, not a fault.
  v = 0.0;
  EXPECT_EQ(h.EvalAt(h.Fn("SLOPE", {h.Fn("DRAWNULL", {}), Harness::N(1)}), 3, &v), EVAL_OK);
  EXPECT_TRUE(IsInvalid(v));
  v = 0.0;
  EXPECT_EQ(h.EvalAt(h.Fn("FORCAST", {h.Fn("DRAWNULL", {}), Harness::N(1)}), 3, &v), EVAL_OK);
  EXPECT_TRUE(IsInvalid(v));
}

TEST(BuiltinStats, ForcastOfALineIsTheLine) {
  std::vector<double> line;
  for (int i = 0; i < 12; ++i) line.push_back(3.5 + 0.75 * i);
  Harness h(line);
  const std::vector<double> got = h.Run(Fn2(h, "FORCAST", 5));
  for (int i = 4; i < 12; ++i) EXPECT_NEAR(got[i], line[i], 1e-12) << i;
  const std::vector<double> slope = h.Run(Fn2(h, "SLOPE", 5));
  for (int i = 4; i < 12; ++i) EXPECT_NEAR(slope[i], 0.75, 1e-12) << i;
}

TEST(BuiltinStats, VolatAnnualisesByPeriod) {
  struct Period {
    int32_t type;
    int32_t mult;
    double factor;  // NA: no value
  };
  const Period periods[] = {
      {3, 1, kSqrt250}, {5, 1, std::sqrt(12.0)}, {3, 2, std::sqrt(125.0)}, {3, 0, NA}, {0, 1, std::sqrt(21600000.0)}};
  for (const Period& p : periods) {
    Harness h(kClose);
    h.provider.periodType = p.type;
    h.provider.periodMult = p.mult;
    const std::vector<double> got = h.Run(Fn2(h, "VOLAT", 3));
    // At bar 2 the returns are ln(11/10) and ln(12/11).
    const double r1 = std::log(1.1), r2 = std::log(12.0 / 11);
    // The deviations are taken over the n - 1 = 2 returns.
    const double sd = std::fabs(r1 - r2) / 2.0;
    if (!HasValue(p.factor)) {
      EXPECT_FALSE(HasValue(got[2])) << p.type << " " << p.mult;
    } else {
      EXPECT_NEAR(got[2], sd * p.factor, 1e-9 * sd * p.factor) << p.type << " " << p.mult;
    }
  }
}

TEST(BuiltinRefs, RefDateChecksTheCalendar) {
  struct Date {
    int32_t d;
    int64_t ymd;  // 0: not a valid date
  };
  const Date dates[] = {
      {900101, 19900101},  {891231, 0},         {1341231, 20341231}, {1350101, 0}, {1000230, 0},
      {1010230, 0},        {1000229, 20000229}, {1040229, 20040229}, {1010229, 0}, {1000431, 0},
      {1000430, 20000430}, {1001301, 0},        {1000001, 0},        {1000100, 0}, {0, 0},
      {-900101, 0},
  };
  for (const Date& d : dates) {
    int64_t ymd = 0;
    EXPECT_EQ(RefDateToYmd(d.d, &ymd), d.ymd != 0) << d.d;
    if (d.ymd != 0) {
      EXPECT_EQ(ymd, d.ymd) << d.d;
    }
  }
}

TEST(BuiltinRefs, RefDateReadsTheBarOfTheDate) {
  Harness h(kClose);
  h.provider.barTimes = {100, 200, 300, 400, 500, 600, 700, 800};
  h.provider.dateTimes[19900101] = 300;  // bar 2
  h.provider.dateTimes[20341231] = 700;  // bar 6
  auto at = [&](float d) { return h.Run(h.Fn("REFDATE", {h.C(), Harness::N(d)})); };
  EXPECT_TRUE(harness::SeriesNear(at(900101), {12, 12, 12, 12, 12, 12, 12, 12}));
  EXPECT_TRUE(harness::SeriesNear(at(1341231), {9, 9, 9, 9, 9, 9, 9, 9}));
  EXPECT_TRUE(harness::SeriesNear(at(891231), {NA, NA, NA, NA, NA, NA, NA, NA}));
  // A valid date the provider does not know.
  EXPECT_TRUE(harness::SeriesNear(at(1000105), {NA, NA, NA, NA, NA, NA, NA, NA}));
}

TEST(BuiltinStatus, TrueRangeUsesThePreviousClose) {
  Harness h({5, 6, 7}, {6, 8, 7.5}, {4, 7, 6}, {5.5, 7.5, 6.5});
  // bar 0: H - L; bar 1: H - prevC = 8 - 5.5; bar 2: |L - prevC| = 1.5 = H - L.
  EXPECT_TRUE(harness::SeriesNear(h.Run(h.Fn("TR", {})), {2, 2.5, 1.5}));
  h.provider.failingReads.insert({harness::HIGH, 1});
  EXPECT_TRUE(harness::SeriesNear(h.Run(h.Fn("TR", {})), {2, NA, 1.5}));
}

TEST(BuiltinWholeRange, AlignRightPacksValuesAgainstTheLastBar) {
  Harness h(kClose);
  h.provider.failingReads = {{harness::CLOSE, 2}, {harness::CLOSE, 5}};
  EXPECT_TRUE(harness::SeriesNear(h.Run(h.Fn("ALIGNRIGHT", {h.C()})), {NA, NA, 10, 11, 11, 13, 9, 10}));
}

// SAR on a rise, a fall and a new rise: values from a separate step-by-step
// reading of the rules.
class SarTest : public ::testing::Test {
 protected:
  SarTest()
      : h({9.25, 10.25, 11.25, 12.25, 13.25, 14.25, 13.25, 12.25, 11.25, 10.25, 9.25, 10.25, 11.25, 12.25},
          {10, 11, 12, 13, 14, 15, 14, 13, 12, 11, 10, 11, 12, 13},
          {9, 10, 11, 12, 13, 14, 13, 12, 11, 10, 9, 10, 11, 12},
          {9.75, 10.75, 11.75, 12.75, 13.75, 14.25, 13.25, 12.25, 11.25, 10.25, 9.25, 10.75, 11.75, 12.75}) {}
  Operand Sar(const char* name, float n, float step, float max) {
    return h.Fn(name, {Harness::N(n), Harness::N(step), Harness::N(max)});
  }
  Harness h;
};

TEST_F(SarTest, FollowsTheTrendAndTurns) {
  EXPECT_TRUE(harness::SeriesNear(h.Run(Sar("SAR", 3, 10, 30)),
                                  {NA, NA, 9, 9.3, 10.04, 11.228, 12.3596, 15, 14.7, 13.96, 12.772, 11.6404, 9, 9.3},
                                  1e-12));
  EXPECT_TRUE(harness::SeriesNear(h.Run(Sar("SARTURN", 3, 10, 30)), {NA, NA, 1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1, 0}));
}

TEST_F(SarTest, WarmUpAndBadFactors) {
  const std::vector<double> none(14, NA);
  std::vector<double> warm = h.Run(Sar("SAR", 10, 2, 20));
  for (int i = 0; i < 9; ++i) EXPECT_FALSE(HasValue(warm[i])) << i;
  EXPECT_TRUE(HasValue(warm[9]));
  EXPECT_TRUE(harness::SeriesNear(h.Run(Sar("SAR", 10, 20, 2)), none));    // maximum below step
  EXPECT_TRUE(harness::SeriesNear(h.Run(Sar("SAR", 3, 0, 20)), none));     // no step
  EXPECT_TRUE(harness::SeriesNear(h.Run(Sar("SAR", 3, 100, 100)), none));  // step of 1
  EXPECT_TRUE(harness::SeriesNear(h.Run(Sar("SAR", 0, 2, 20)), none));
}

TEST_F(SarTest, AMissingPriceRestartsTheTrend) {
  h.provider.failingReads.insert({harness::LOW, 4});
  const std::vector<double> got = h.Run(Sar("SAR", 3, 10, 30));
  EXPECT_FALSE(HasValue(got[4]));
  // Bars 5 and 6 still see the missing low in their first-bar window; bar 7
  // starts over: the closes rose over bars 5..7? (14.25-14.25)+(13.25-13.25)+(12.25-12.25) = 0: up.
  EXPECT_FALSE(HasValue(got[5]));
  EXPECT_FALSE(HasValue(got[6]));
  EXPECT_DOUBLE_EQ(got[7], 12.0);
  EXPECT_TRUE(HasValue(got[8]));
}

// Zigzag on closes.
struct ZigCase {
  const char* name;
  std::vector<double> close;
  std::function<Operand(Harness&)> expr;
  std::vector<double> expected;
};

void PrintTo(const ZigCase& c, std::ostream* os) { *os << c.name; }

class ZigCases : public ::testing::TestWithParam<ZigCase> {};

TEST_P(ZigCases, MatchesRule) {
  const ZigCase& c = GetParam();
  Harness h(c.close);
  const std::vector<double> got = h.Run(c.expr(h));
  EXPECT_EQ(h.lastCode, 0);
  EXPECT_TRUE(harness::SeriesNear(got, c.expected, 1e-12)) << c.name;
}

const std::vector<double> kSwing = {10, 10.5, 12, 11, 10, 9, 9.5, 11, 12, 13};
const std::vector<double> kPeaks = {10, 12, 10, 13, 10, 14, 10};

Operand Zig(Harness& h, const char* name, float k, float n) { return h.Fn(name, {Harness::N(k), Harness::N(n)}); }
Operand Peak(Harness& h, const char* name, float n, float m) {
  return h.Fn(name, {Harness::N(3), Harness::N(n), Harness::N(m)});
}

const ZigCase kZigCases[] = {
    {"flat", std::vector<double>(6, 10.0), [](Harness& h) { return Zig(h, "ZIG", 3, 5); }, {NA, NA, NA, NA, NA, NA}},
    {"belowThreshold",
     {10, 10.2, 10.4, 10.1, 9.9, 10.3},
     [](Harness& h) { return Zig(h, "ZIG", 3, 5); },
     {NA, NA, NA, NA, NA, NA}},
    {"swing", kSwing, [](Harness& h) { return Zig(h, "ZIG", 3, 10); }, {10, 11, 12, 11, 10, 9, 10, 11, 12, 13}},
    {"swingOfCloseExpression",
     kSwing,
     [](Harness& h) {
       return h.Fn("ZIG", {h.C(), Harness::N(10)});
     },
     {10, 11, 12, 11, 10, 9, 10, 11, 12, 13}},
    {"peaksZig", kPeaks, [](Harness& h) { return Zig(h, "ZIG", 3, 5); }, {10, 12, 10, 13, 10, 14, 10}},
    {"peaksZigA", kPeaks, [](Harness& h) { return Zig(h, "ZIGA", 3, 2.5f); }, {10, 11, 12, 13, 10, 14, 10}},
    {"sourceOutOfRange", kPeaks, [](Harness& h) { return Zig(h, "ZIG", 4, 5); }, {NA, NA, NA, NA, NA, NA, NA}},
    {"thresholdChanges",
     kPeaks,
     [](Harness& h) {
       return h.Fn("ZIG", {Harness::N(3), h.C()});
     },
     {NA, NA, NA, NA, NA, NA, NA}},
    {"peak1", kPeaks, [](Harness& h) { return Peak(h, "PEAK", 5, 1); }, {NA, 12, 12, 13, 13, 14, 14}},
    {"peak2", kPeaks, [](Harness& h) { return Peak(h, "PEAK", 5, 2); }, {NA, NA, NA, 12, 12, 13, 13}},
    {"peak4", kPeaks, [](Harness& h) { return Peak(h, "PEAK", 5, 4); }, {NA, NA, NA, NA, NA, NA, NA}},
    {"peakBars1", kPeaks, [](Harness& h) { return Peak(h, "PEAKBARS", 5, 1); }, {NA, 0, 1, 0, 1, 0, 1}},
    {"trough1", kPeaks, [](Harness& h) { return Peak(h, "TROUGH", 5, 1); }, {NA, NA, 10, 10, 10, 10, 10}},
    {"troughBars1", kPeaks, [](Harness& h) { return Peak(h, "TROUGHBARS", 5, 1); }, {NA, NA, 0, 1, 0, 1, 2}},
    {"swingPeak", kSwing, [](Harness& h) { return Peak(h, "PEAK", 10, 1); }, {NA, NA, 12, 12, 12, 12, 12, 12, 12, 12}},
    {"swingTrough",
     kSwing,
     [](Harness& h) { return Peak(h, "TROUGHBARS", 10, 1); },
     {NA, NA, NA, NA, NA, 0, 1, 2, 3, 4}},
};

INSTANTIATE_TEST_SUITE_P(Builtins, ZigCases, ::testing::ValuesIn(kZigCases),
                         [](const ::testing::TestParamInfo<ZigCase>& i) { return std::string(i.param.name); });

TEST(BuiltinZigzag, BarsAfterTheFirstRunOfValuesHaveNoValue) {
  Harness h({10, 12, 10, 13, 0, 10, 11});
  h.provider.failingReads = {{harness::CLOSE, 4}};
  // The source is K = CLOSE: its first unbroken run is bars 0..3; the values
  // after the gap, the last bar's included, are not part of the zigzag.
  EXPECT_TRUE(harness::SeriesNear(h.Run(h.Fn("ZIG", {h.C(), Harness::N(5)})), {10, 12, 10, 13, NA, NA, NA}));
  // With K a selector, a failed read repeats the bar before.
  EXPECT_TRUE(harness::SeriesNear(h.Run(h.Fn("ZIG", {Harness::N(3), Harness::N(5)})), {10, 12, 10, 13, 11.5, 10, 11}));
}

TEST(BuiltinWholeRange, CentredAverageHasNoValueWhereItsWindowHasAGap) {
  Harness h({10, 11, 12, 13, 14, 15});
  h.provider.failingReads = {{harness::CLOSE, 2}};
  EXPECT_TRUE(harness::SeriesNear(h.Run(h.Fn("XMA", {h.C(), Harness::N(3)})), {10.5, NA, NA, NA, 14, 14.5}));
}

}  // namespace
