// Tables of cases for the counting, extreme, reference, aggregate and
// averaging built-ins on a small close series, with expected values worked
// out from the rules by hand (or by a plain reference loop where noted).
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "support/series_harness.h"

namespace {

using harness::Case;
using harness::Harness;
using harness::NA;

const std::vector<double> kClose = {10, 11, 12, 11, 13, 13, 9, 10};

class WindowCases : public ::testing::TestWithParam<Case> {};

TEST_P(WindowCases, MatchesRule) {
  const Case& c = GetParam();
  Harness h(kClose);
  const Operand expr = c.expr(h);
  const std::vector<double> got = h.Run(expr);
  EXPECT_EQ(h.lastCode, 0);
  EXPECT_TRUE(harness::SeriesNear(got, c.expected, 1e-12)) << c.name;
}

Operand Gt(Harness& h, float v) { return Harness::Op(OP_GT, h.C(), Harness::N(v)); }

// The close where it is above 11.5, else no value: NA NA 12 NA 13 13 NA NA.
Operand Gappy(Harness& h) { return h.Fn("IF", {Gt(h, 11.5f), h.C(), h.Fn("DRAWNULL", {})}); }

const Case kCases[] = {
    // Aggregates: SUM covers the bars that exist, MA waits for n bars.
    {"SUM5",
     [](Harness& h) {
       return h.Fn("SUM", {h.C(), Harness::N(5)});
     },
     {10, 21, 33, 44, 57, 60, 58, 56}},
    {"SUM0",
     [](Harness& h) {
       return h.Fn("SUM", {h.C(), Harness::N(0)});
     },
     {NA, NA, NA, NA, NA, NA, NA, NA}},
    {"SUM1",
     [](Harness& h) {
       return h.Fn("SUM", {h.C(), Harness::N(1)});
     },
     kClose},
    {"SUMneg",
     [](Harness& h) {
       return h.Fn("SUM", {h.C(), Harness::N(-3)});
     },
     {NA, NA, NA, NA, NA, NA, NA, NA}},
    {"SUMhuge",
     [](Harness& h) {
       return h.Fn("SUM", {h.C(), Harness::N(1e9f)});
     },
     {10, 21, 33, 44, 57, 70, 79, 89}},
    {"MA5",
     [](Harness& h) {
       return h.Fn("MA", {h.C(), Harness::N(5)});
     },
     {NA, NA, NA, NA, 11.4, 12, 11.6, 11.2}},
    {"MA1",
     [](Harness& h) {
       return h.Fn("MA", {h.C(), Harness::N(1)});
     },
     kClose},
    {"MA9",
     [](Harness& h) {
       return h.Fn("MA", {h.C(), Harness::N(9)});
     },
     {NA, NA, NA, NA, NA, NA, NA, NA}},
    {"MULAR2",
     [](Harness& h) {
       return h.Fn("MULAR", {h.C(), Harness::N(2)});
     },
     {10, 110, 132, 132, 143, 169, 117, 90}},
    // Gaps: while fewer than n bars precede b the window skips the gap; on a
    // full window (b >= n) a gap at b gives no value, whatever the bar before
    // gave, so that the value depends on the window alone.
    {"SUM5gaps",
     [](Harness& h) {
       return h.Fn("SUM", {Gappy(h), Harness::N(5)});
     },
     {0, 0, 12, 12, 25, 38, NA, NA}},
    {"MULAR5gaps",
     [](Harness& h) {
       return h.Fn("MULAR", {Gappy(h), Harness::N(5)});
     },
     {1, 1, 12, 12, 156, 2028, NA, NA}},
    // Gaps inside a full window are skipped: C where C < 12.5 (NA at bars 4, 5).
    {"SUM3gapInside",
     [](Harness& h) {
       const Operand low = Harness::Op(OP_LT, h.C(), Harness::N(12.5f));
       return h.Fn("SUM", {h.Fn("IF", {low, h.C(), h.Fn("DRAWNULL", {})}), Harness::N(3)});
     },
     {10, 21, 33, 34, NA, NA, 9, 19}},
    {"SUMBARS25",
     [](Harness& h) {
       return h.Fn("SUMBARS", {h.C(), Harness::N(25)});
     },
     {NA, NA, 3, 3, 3, 2, 3, 3}},
    {"SUMBARS5",
     [](Harness& h) {
       return h.Fn("SUMBARS", {h.C(), Harness::N(5)});
     },
     {1, 1, 1, 1, 1, 1, 1, 1}},
    // Counts.
    {"COUNT3",
     [](Harness& h) {
       return h.Fn("COUNT", {Gt(h, 10.5f), Harness::N(3)});
     },
     {0, 1, 2, 3, 3, 3, 2, 1}},
    {"COUNT1",
     [](Harness& h) {
       return h.Fn("COUNT", {Gt(h, 10.5f), Harness::N(1)});
     },
     {0, 1, 1, 1, 1, 1, 0, 0}},
    {"BARSLAST", [](Harness& h) { return h.Fn("BARSLAST", {Gt(h, 12)}); }, {NA, NA, NA, NA, 0, 0, 1, 2}},
    {"BARSSINCE", [](Harness& h) { return h.Fn("BARSSINCE", {Gt(h, 10.5f)}); }, {NA, 0, 1, 2, 3, 4, 5, 6}},
    {"BARSSINCEN3",
     [](Harness& h) {
       return h.Fn("BARSSINCEN", {Gt(h, 12), Harness::N(3)});
     },
     {NA, NA, NA, NA, 0, 1, 2, 2}},
    {"BARSSINCEN1",
     [](Harness& h) {
       return h.Fn("BARSSINCEN", {Gt(h, 12), Harness::N(1)});
     },
     {NA, NA, NA, NA, 0, 0, NA, NA}},
    {"BARSCOUNT", [](Harness& h) { return h.Fn("BARSCOUNT", {h.C()}); }, {0, 1, 2, 3, 4, 5, 6, 7}},
    {"BARSLASTCOUNT", [](Harness& h) { return h.Fn("BARSLASTCOUNT", {Gt(h, 10.5f)}); }, {0, 1, 2, 3, 4, 5, 0, 0}},
    {"BARSNEXT", [](Harness& h) { return h.Fn("BARSNEXT", {Gt(h, 12)}); }, {4, 3, 2, 1, 0, 0, NA, NA}},
    // FILTER: a signal silences the following n bars.
    {"FILTER3",
     [](Harness& h) {
       return h.Fn("FILTER", {Gt(h, 10.5f), Harness::N(3)});
     },
     {0, 1, 0, 0, 0, 1, 0, 0}},
    {"FILTER0",
     [](Harness& h) {
       return h.Fn("FILTER", {Gt(h, 10.5f), Harness::N(0)});
     },
     {0, 1, 1, 1, 1, 1, 0, 0}},
    {"FILTERfraction",
     [](Harness& h) {
       return h.Fn("FILTER", {Harness::N(0.5f), Harness::N(2)});
     },
     {0, 0, 0, 0, 0, 0, 0, 0}},
    // Extremes: ties keep the newest bar.
    {"HHV3",
     [](Harness& h) {
       return h.Fn("HHV", {h.C(), Harness::N(3)});
     },
     {10, 11, 12, 12, 13, 13, 13, 13}},
    {"HHVBARS3",
     [](Harness& h) {
       return h.Fn("HHVBARS", {h.C(), Harness::N(3)});
     },
     {0, 0, 0, 1, 0, 0, 1, 2}},
    {"HHVBARS1",
     [](Harness& h) {
       return h.Fn("HHVBARS", {h.C(), Harness::N(1)});
     },
     {0, 0, 0, 0, 0, 0, 0, 0}},
    {"LLV3",
     [](Harness& h) {
       return h.Fn("LLV", {h.C(), Harness::N(3)});
     },
     {10, 10, 10, 11, 11, 11, 9, 9}},
    {"LLVBARS3",
     [](Harness& h) {
       return h.Fn("LLVBARS", {h.C(), Harness::N(3)});
     },
     {0, 1, 2, 0, 1, 2, 0, 1}},
    {"HHV0",
     [](Harness& h) {
       return h.Fn("HHV", {h.C(), Harness::N(0)});
     },
     {NA, NA, NA, NA, NA, NA, NA, NA}},
    {"HOD3",
     [](Harness& h) {
       return h.Fn("HOD", {h.C(), Harness::N(3)});
     },
     {1, 1, 1, 2, 1, 1, 3, 2}},
    {"LOD3",
     [](Harness& h) {
       return h.Fn("LOD", {h.C(), Harness::N(3)});
     },
     {1, 2, 3, 1, 3, 2, 1, 2}},
    {"TOPRANGE", [](Harness& h) { return h.Fn("TOPRANGE", {h.C()}); }, {0, 1, 2, 0, 4, 0, 0, 1}},
    {"LOWRANGE", [](Harness& h) { return h.Fn("LOWRANGE", {h.C()}); }, {0, 0, 0, 1, 0, 0, 6, 0}},
    // References.
    {"REF1",
     [](Harness& h) {
       return h.Fn("REF", {h.C(), Harness::N(1)});
     },
     {10, 10, 11, 12, 11, 13, 13, 9}},
    {"REF10",
     [](Harness& h) {
       return h.Fn("REF", {h.C(), Harness::N(10)});
     },
     {10, 10, 10, 10, 10, 10, 10, 10}},
    {"REFneg",
     [](Harness& h) {
       return h.Fn("REF", {h.C(), Harness::N(-1)});
     },
     {NA, NA, NA, NA, NA, NA, NA, NA}},
    {"REFV2",
     [](Harness& h) {
       return h.Fn("REFV", {h.C(), Harness::N(2)});
     },
     {NA, NA, 10, 11, 12, 11, 13, 13}},
    {"REFV10", [](Harness& h) { return h.Fn("REFV", {h.C(), Harness::N(10)}); }, {NA, NA, NA, NA, NA, NA, NA, NA}},
    {"REFX1", [](Harness& h) { return h.Fn("REFX", {h.C(), Harness::N(1)}); }, {11, 12, 11, 13, 13, 9, 10, NA}},
    {"REFXV1", [](Harness& h) { return h.Fn("REFXV", {h.C(), Harness::N(1)}); }, {11, 12, 11, 13, 13, 9, 10, 10}},
    {"REFXV20", [](Harness& h) { return h.Fn("REFXV", {h.C(), Harness::N(20)}); }, {10, 10, 10, 10, 10, 10, 10, 10}},
    // Averages over a window.
    {"WMA3",
     [](Harness& h) { return h.Fn("WMA", {h.C(), Harness::N(3)}); },
     {NA, NA, 68.0 / 6, 68.0 / 6, 73.0 / 6, 76.0 / 6, 11, 61.0 / 6}},
    {"WMA1", [](Harness& h) { return h.Fn("WMA", {h.C(), Harness::N(1)}); }, kClose},
    {"SMMA3",
     [](Harness& h) { return h.Fn("SMMA", {h.C(), Harness::N(3)}); },
     {NA, NA, 34.0 / 3, 101.0 / 9, 37.0 / 3, 113.0 / 9, 97.0 / 9, 94.0 / 9}},
    {"XMA3",
     [](Harness& h) { return h.Fn("XMA", {h.C(), Harness::N(3)}); },
     {10.5, 11, 34.0 / 3, 12, 37.0 / 3, 35.0 / 3, 32.0 / 3, 9.5}},
    {"XMA4",
     [](Harness& h) { return h.Fn("XMA", {h.C(), Harness::N(4)}); },
     {10.5, 11, 11, 11.75, 12.25, 11.5, 11.25, 32.0 / 3}},
    // Recursive smoothers, seeded with X on the first calculated bar.
    {"EMA3",
     [](Harness& h) { return h.Fn("EMA", {h.C(), Harness::N(3)}); },
     {10, 10.5, 11.25, 11.125, 12.0625, 12.53125, 10.765625, 10.3828125}},
    {"EXPMA3",
     [](Harness& h) { return h.Fn("EXPMA", {h.C(), Harness::N(3)}); },
     {10, 10.5, 11.25, 11.125, 12.0625, 12.53125, 10.765625, 10.3828125}},
    {"EMA0", [](Harness& h) { return h.Fn("EMA", {h.C(), Harness::N(0)}); }, {NA, NA, NA, NA, NA, NA, NA, NA}},
    {"SMA3_1",
     [](Harness& h) { return h.Fn("SMA", {h.C(), Harness::N(3), Harness::N(1)}); },
     {10, 31.0 / 3, 98.0 / 9, 295.0 / 27, 941.0 / 81, 2935.0 / 243, 8057.0 / 729, 23404.0 / 2187}},
    {"SMA3_5", [](Harness& h) { return h.Fn("SMA", {h.C(), Harness::N(3), Harness::N(5)}); }, kClose},
    {"DMA05",
     [](Harness& h) { return h.Fn("DMA", {h.C(), Harness::N(0.5f)}); },
     {10, 10.5, 11.25, 11.125, 12.0625, 12.53125, 10.765625, 10.3828125}},
    {"DMA1", [](Harness& h) { return h.Fn("DMA", {h.C(), Harness::N(0.9999995f)}); }, kClose},
    {"AMAclamped", [](Harness& h) { return h.Fn("AMA", {h.C(), Harness::N(7)}); }, kClose},
    {"AMA05",
     [](Harness& h) { return h.Fn("AMA", {h.C(), Harness::N(0.5f)}); },
     {10, 10.5, 11.25, 11.125, 12.0625, 12.53125, 10.765625, 10.3828125}},
    {"TMA",
     [](Harness& h) { return h.Fn("TMA", {h.C(), Harness::N(0.5f), Harness::N(0.25f)}); },
     {10, 7.75, 6.875, 6.1875, 6.34375, 6.421875, 5.4609375, 5.23046875}},
    {"MEMA3",
     [](Harness& h) { return h.Fn("MEMA", {h.C(), Harness::N(3)}); },
     {NA, NA, 11, 11, 35.0 / 3, 109.0 / 9, 299.0 / 27, 868.0 / 81}},
    {"EXPMEMA3",
     [](Harness& h) { return h.Fn("EXPMEMA", {h.C(), Harness::N(3)}); },
     {NA, NA, 11, 11, 12, 12.5, 10.75, 10.375}},
};

INSTANTIATE_TEST_SUITE_P(Builtins, WindowCases, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& i) { return std::string(i.param.name); });

TEST(BuiltinSmoothers, SeedOnTheFirstCalculatedBar) {
  Harness h(kClose);
  // The calculated range starts at bar 3: every smoother starts from X there.
  const std::vector<double> ema = h.Run(h.Fn("EMA", {h.C(), Harness::N(10)}), 3);
  EXPECT_EQ(ema[0], 11);
  EXPECT_DOUBLE_EQ(ema[1], (9 * 11.0 + 2 * 13.0) / 11);
  EXPECT_EQ(h.Run(h.Fn("EXPMA", {h.C(), Harness::N(4)}), 3)[0], 11);
  EXPECT_EQ(h.Run(h.Fn("DMA", {h.C(), Harness::N(0.5f)}), 3)[0], 11);
  EXPECT_EQ(h.Run(h.Fn("AMA", {h.C(), Harness::N(0.5f)}), 3)[0], 11);
  EXPECT_EQ(h.Run(h.Fn("SMA", {h.C(), Harness::N(5), Harness::N(1)}), 3)[0], 11);
  EXPECT_EQ(h.Run(h.Fn("TMA", {h.C(), Harness::N(0.5f), Harness::N(0.5f)}), 3)[0], 11);
  // MEMA seeds with the plain average of the first n calculated bars.
  EXPECT_TRUE(harness::SeriesNear(h.Run(h.Fn("MEMA", {h.C(), Harness::N(2)}), 3), {NA, 12, 12.5, 10.75, 10.375}));
}

}  // namespace
