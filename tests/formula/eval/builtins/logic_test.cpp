#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "formula/eval/value.h"
#include "support/series_harness.h"

namespace {

using harness::BY_SERIES;
using harness::Harness;
using harness::SameValue;
using harness::ShowValue;

constexpr double INV = INVALID_VALUE;
constexpr int32_t CROSS = 40, LONGCROSS = 41, UPNDAY = 42, DOWNNDAY = 43, NDAY = 44, EXIST = 45, EVERY = 46, LAST = 47,
                  NOT = 48, IF = 70, IFN = 71, VALUEWHEN = 72;

using Values = std::vector<double>;

void ExpectSeries(const Values& expected, const Values& actual, const char* what) {
  ASSERT_EQ(expected.size(), actual.size()) << what;
  for (size_t b = 0; b < expected.size(); ++b) {
    EXPECT_TRUE(SameValue(expected[b], actual[b]))
        << what << " bar " << b << ": expected " << ShowValue(expected[b]) << ", got " << ShowValue(actual[b]);
  }
}

// ---- oracles: plain loops over the whole history, no kept state ----------

bool True(double v) { return HasValue(v) && std::fabs(v) > VALUE_EPSILON; }

// UPNDAY / DOWNNDAY over fully valid data: the last min(n, b) steps all move
// the asked way, and at least the last one does.
double MovesOracle(const Values& x, int32_t b, int32_t n, bool rising) {
  const int32_t k = std::min(n, b);
  if (b == 0) return INV;  // X one bar before the first bar has no value
  for (int32_t step = 0; step < std::max(k, 1); ++step) {
    const double newer = x[b - step];
    const double older = x[b - step - 1];
    if (rising ? !(newer > older) : !(newer < older)) return 0.0;
  }
  return 1.0;
}

double NDayOracle(const Values& x, const Values& y, int32_t b, int32_t n) {
  const int32_t k = std::min(n, b + 1);
  for (int32_t j = 0; j < k; ++j) {
    if (!(x[b - j] > y[b - j])) return 0.0;
  }
  return 1.0;
}

double ExistOracle(const Values& x, int32_t b, int32_t n) {
  const int32_t k = std::min(n, b + 1);
  for (int32_t j = 0; j < k; ++j) {
    if (True(x[b - j])) return 1.0;
  }
  return 0.0;
}

// EVERY: the bar itself exactly 1; no earlier bar of the window a valid zero.
double EveryOracle(const Values& x, int32_t b, int32_t n) {
  if (!HasValue(x[b])) return INV;
  if (std::fabs(x[b] - 1.0) > VALUE_EPSILON) return 0.0;
  const int32_t k = std::min(n, b + 1);
  for (int32_t j = 1; j < k; ++j) {
    if (HasValue(x[b - j]) && std::fabs(x[b - j]) <= VALUE_EPSILON) return 0.0;
  }
  return 1.0;
}

Values RandomSeries(std::mt19937& gen, int32_t n, const Values& pool) {
  std::uniform_int_distribution<size_t> pick(0, pool.size() - 1);
  Values v;
  for (int32_t i = 0; i < n; ++i) v.push_back(pool[pick(gen)]);
  return v;
}

// The call walked bar by bar (the kept count carries over), and each bar
// evaluated alone on a fresh run (a full scan), both against the oracle.
template <typename MakeCall, typename Oracle>
void CheckRunTest(const std::vector<Values>& series, MakeCall make, Oracle oracle, const char* what) {
  Harness walked(BY_SERIES, series);
  const Values sequential = walked.Walk(make(walked));
  const int32_t bars = static_cast<int32_t>(series[0].size());
  Values fresh;
  Values expected;
  for (int32_t b = 0; b < bars; ++b) {
    Harness alone(BY_SERIES, series);
    fresh.push_back(alone.At(make(alone), b));
    expected.push_back(oracle(b));
  }
  ExpectSeries(expected, sequential, what);
  ExpectSeries(expected, fresh, what);
}

// ---- CROSS and LONGCROSS ------------------------------------------------

TEST(CrossBuiltins, CrossResolvesAnEqualBarByTheBarBefore) {
  // A: below, equal, above -> cross on the third bar; A equal twice and
  // above at the start -> no cross.
  Harness h(BY_SERIES, {{0, 2, 3, 3, 2, 2, 3}, {2, 2, 2, 2, 2, 2, 2}});
  const Values v = h.Walk(h.Call(CROSS, {h.Series(0), h.Series(1)}));
  // bar 0: A < B -> 0; bar 1: A = B -> 0; bar 2: A > B, equal at 1, below at 0 -> 1;
  // bar 3: above at 2 -> 0; bar 4, 5: not above -> 0; bar 6: equal at 5 and at 4,
  // decided by bar 4 (equal, not below) -> 0.
  ExpectSeries({0, 0, 1, 0, 0, 0, 0}, v, "CROSS");
}

TEST(CrossBuiltins, CrossNeedsValuesOnTheBarsItReads) {
  Harness h(BY_SERIES, {{3, 2, 3, INV, 3, 1, 3}, {2, 2, 2, 2, 2, 2, 2}});
  const Values v = h.Walk(h.Call(CROSS, {h.Series(0), h.Series(1)}));
  // bar 0: the bar before has no value; bar 2: equal at 1, bar 0 above -> 0;
  // bar 3: no value; bar 4: bar 3 has none -> INVALID; bar 6: below at 5 -> 1.
  ExpectSeries({INV, 0, 0, INV, INV, 0, 1}, v, "CROSS");
  // A constant second argument keeps its value on every bar.
  Harness c(BY_SERIES, {{1, 3, 3}});
  ExpectSeries({0, 1, 0}, c.Walk(c.Call(CROSS, {c.Series(0), Num(2)})), "CROSS constant");
}

TEST(CrossBuiltins, LongCross) {
  Harness h(BY_SERIES, {{1, 1, 1, 3, 1, 1, 3, 1, INV, 3}, {2, 2, 2, 2, 2, 2, 2, 2, 2, 2}});
  const Values v = h.Walk(h.Call(LONGCROSS, {h.Series(0), h.Series(1), Num(3)}));
  // bar 3: below on bars 0-2 -> 1; bar 6: below only on 4, 5 (3 was above) -> 0;
  // bar 8: bar 6 was above, which decides before bar 8 itself is read -> 0;
  // bar 9: bar 6 was above -> 0.
  ExpectSeries({0, 0, 0, 1, 0, 0, 0, 0, 0, 0}, v, "LONGCROSS 3");
  const Values two = h.Walk(h.Call(LONGCROSS, {h.Series(0), h.Series(1), Num(2)}));
  // With N = 2 bar 9 looks at bars 7 (below) and 8 (skipped) -> 1.
  ExpectSeries({0, 0, 0, 1, 0, 0, 1, 0, 0, 1}, two, "LONGCROSS 2");
  // Nothing decides before the bar itself: its missing value shows.
  Harness m(BY_SERIES, {{1, INV}, {2, 2}});
  ExpectSeries({0, INV}, m.Walk(m.Call(LONGCROSS, {m.Series(0), m.Series(1), Num(3)})), "LONGCROSS invalid");
  int32_t code = -1;
  EXPECT_TRUE(IsInvalid(h.At(h.Call(LONGCROSS, {h.Series(0), h.Series(1), Num(0.4f)}), 3, &code)));
  EXPECT_EQ(code, EVAL_OK);
}

// ---- run tests ------------------------------------------------------------

TEST(RunBuiltins, UpAndDownAgainstPlainLoops) {
  std::mt19937 gen(7);
  for (int trial = 0; trial < 20; ++trial) {
    const Values x = RandomSeries(gen, 30, {1, 2, 3, 4});
    for (int32_t n : {1, 2, 3}) {
      for (bool rising : {true, false}) {
        CheckRunTest(
            {x},
            [&](Harness& h) {
              return h.CallState(rising ? UPNDAY : DOWNNDAY, 1, {h.Series(0), Num(n)});
            },
            [&](int32_t b) { return MovesOracle(x, b, n, rising); }, rising ? "UPNDAY" : "DOWNNDAY");
      }
    }
  }
}

TEST(RunBuiltins, UpNDayHandCases) {
  Harness h(BY_SERIES, {{5, 6, 7, 8, 8, 9, 10}});
  // Rises on bars 1 to 3, flat on 4, rises on 5 and 6; the window is
  // min(N, bar), so bar 1 needs one rise only.
  ExpectSeries({INV, 1, 1, 1, 0, 0, 1}, h.Walk(h.CallState(UPNDAY, 1, {h.Series(0), Num(2)})), "UPNDAY 2");
  Harness d(BY_SERIES, {{9, 8, 7, 7, 6}});
  ExpectSeries({INV, 1, 1, 0, 1}, d.Walk(d.CallState(DOWNNDAY, 1, {d.Series(0), Num(1)})), "DOWNNDAY 1");
  int32_t code = -1;
  EXPECT_TRUE(IsInvalid(h.At(h.CallState(UPNDAY, 2, {h.Series(0), Num(0)}), 3, &code)));
  EXPECT_EQ(code, EVAL_OK);
  // The plain call form has the wrong element count.
  h.At(h.Call(UPNDAY, {h.Series(0), Num(2)}), 3, &code);
  EXPECT_EQ(code, EVAL_BAD_ARGUMENT);
}

TEST(RunBuiltins, NDayAgainstPlainLoop) {
  std::mt19937 gen(11);
  for (int trial = 0; trial < 20; ++trial) {
    const Values x = RandomSeries(gen, 25, {1, 2, 3});
    const Values y = RandomSeries(gen, 25, {1, 2});
    for (int32_t n : {1, 2, 4}) {
      CheckRunTest(
          {x, y},
          [&](Harness& h) {
            return h.CallState(NDAY, 3, {h.Series(0), h.Series(1), Num(n)});
          },
          [&](int32_t b) { return NDayOracle(x, y, b, n); }, "NDAY");
    }
  }
}

TEST(RunBuiltins, ExistAgainstPlainLoop) {
  std::mt19937 gen(3);
  for (int trial = 0; trial < 20; ++trial) {
    const Values x = RandomSeries(gen, 30, {0, 0, 0, 1, 2, INV});
    for (int32_t n : {1, 2, 3, 5}) {
      CheckRunTest(
          {x},
          [&](Harness& h) {
            return h.CallState(EXIST, 4, {h.Series(0), Num(n)});
          },
          [&](int32_t b) { return ExistOracle(x, b, n); }, "EXIST");
    }
  }
}

TEST(RunBuiltins, ExistCountsInvalidBarsAsFalse) {
  Harness h(BY_SERIES, {{INV, INV, INV}});
  ExpectSeries({0, 0, 0}, h.Walk(h.CallState(EXIST, 1, {h.Series(0), Num(1)})), "EXIST 1");
  ExpectSeries({0, 0, 0}, h.Walk(h.CallState(EXIST, 2, {h.Series(0), Num(3)})), "EXIST 3");
  // A window whose length changes between bars is counted afresh.
  Harness w(BY_SERIES, {{1, 0, 0, 0, 0}, {5, 5, 5, 2, 2}});
  ExpectSeries({1, 1, 1, 0, 0}, w.Walk(w.CallState(EXIST, 3, {w.Series(0), w.Series(1)})), "EXIST varying N");
}

TEST(RunBuiltins, EveryAgainstPlainLoop) {
  std::mt19937 gen(5);
  for (int trial = 0; trial < 20; ++trial) {
    const Values x = RandomSeries(gen, 30, {1, 1, 1, 1, 0, 2, INV});
    for (int32_t n : {1, 2, 3, 4}) {
      CheckRunTest(
          {x},
          [&](Harness& h) {
            return h.CallState(EVERY, 5, {h.Series(0), Num(n)});
          },
          [&](int32_t b) { return EveryOracle(x, b, n); }, "EVERY");
    }
  }
}

TEST(RunBuiltins, EveryHandCases) {
  // The current bar must be exactly 1; an earlier 2 or an earlier bar
  // without a value does not break the run.
  Harness h(BY_SERIES, {{1, 1, 2, 1, INV, 1, 0, 1}});
  ExpectSeries({1, 1, 0, 1, INV, 1, 0, 1}, h.Walk(h.CallState(EVERY, 1, {h.Series(0), Num(1)})), "EVERY 1");
  // The window is min(N, bar + 1).
  ExpectSeries({1, 1, 0, 1, INV, 1, 0, 0}, h.Walk(h.CallState(EVERY, 2, {h.Series(0), Num(2)})), "EVERY 2");
  ExpectSeries({1, 1, 0, 1, INV, 1, 0, 0}, h.Walk(h.CallState(EVERY, 3, {h.Series(0), Num(3)})), "EVERY 3");
}

TEST(RunBuiltins, TheSameBarComputedTwiceReusesTheCountBeforeIt) {
  // The newest bar is recomputed after its data changed; the kept count of
  // the bar before stays usable.
  Harness h(BY_SERIES, {{1, 2, 3, 4}});
  const Operand call = h.CallState(UPNDAY, 1, {h.Series(0), Num(3)});
  ExpectSeries({INV, 1, 1, 1}, h.Walk(call), "UPNDAY first pass");
  h.provider.fields[1][3] = 2.5;  // no longer a rise
  EXPECT_EQ(h.At(call, 3), 0.0);
  h.provider.fields[1][3] = 5;
  EXPECT_EQ(h.At(call, 3), 1.0);
  // The kept block: previous (2, count 2), last (3, count 3).
  const double* block = h.SharedRun().store.GetSeries(OPK_STATE, 1, false, 4);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(block[0], 2.0);
  EXPECT_EQ(block[1], 2.0);
  EXPECT_EQ(block[2], 3.0);
  EXPECT_EQ(block[3], 3.0);
}

TEST(RunBuiltins, AnEarlyInvalidResultLeavesTheBlockAlone) {
  Harness h(BY_SERIES, {{1, 2, INV, 4}});
  const Operand call = h.CallState(UPNDAY, 1, {h.Series(0), Num(1)});
  EXPECT_EQ(h.At(call, 1), 1.0);
  EXPECT_TRUE(IsInvalid(h.At(call, 2)));
  const double* block = h.SharedRun().store.GetSeries(OPK_STATE, 1, false, 4);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(block[2], 1.0);
  EXPECT_EQ(block[3], 1.0);
}

// ---- LAST, NOT, IF, IFN ------------------------------------------------------

TEST(ConditionBuiltins, Last) {
  Harness h(BY_SERIES, {{1, 1, 0, 1, 1, INV, 1}});
  const Values v = h.Walk(h.Call(LAST, {h.Series(0), Num(3), Num(1)}));
  // Bars 1..3 before: bar 3 sees 0 at bar 2; bar 6 sees 1, INV (true), 1.
  ExpectSeries({1, 1, 1, 0, 0, 0, 1}, v, "LAST 3 1");
  int32_t code = -1;
  EXPECT_TRUE(IsInvalid(h.At(h.Call(LAST, {h.Series(0), Num(3), Num(0)}), 6, &code)));
  EXPECT_TRUE(IsInvalid(h.At(h.Call(LAST, {h.Series(0), Num(2), Num(5)}), 6, &code)));
  EXPECT_EQ(code, EVAL_OK);
  // Windows reaching before the first bar are cut at it: at bar 1 both ends become 2.
  EXPECT_EQ(h.At(h.Call(LAST, {h.Series(0), Num(9), Num(4)}), 1), 1.0);
}

TEST(ConditionBuiltins, NotIfIfn) {
  Harness h(BY_SERIES, {{0, 5e-8, 2, INV}, {10, 11, 12, 13}, {20, 21, INV, 23}});
  ExpectSeries({1, 1, 0, INV}, h.Walk(h.Call(NOT, {h.Series(0)})), "NOT");
  ExpectSeries({20, 21, 12, INV}, h.Walk(h.Call(IF, {h.Series(0), h.Series(1), h.Series(2)})), "IF");
  ExpectSeries({10, 11, INV, INV}, h.Walk(h.Call(IFN, {h.Series(0), h.Series(1), h.Series(2)})), "IFN");
  // An error in the branch not taken is still returned.
  const Operand bad = ProgramBuilder::Record(OP_CALL, {Raw(OPK_FUNC_ID, 125)});  // no implementation
  int32_t code = -1;
  h.At(h.Call(IF, {Num(1), Num(2), bad}), 0, &code);
  EXPECT_EQ(code, EVAL_BAD_ARGUMENT);
}

// ---- VALUEWHEN -------------------------------------------------------------

TEST(ConditionBuiltins, ValueWhenHoldsTheLastValue) {
  Harness h(BY_SERIES, {{0, 1, 0, 0, 1, INV, 0}, {10, 11, 12, 13, 14, 15, 16}});
  h.Assign(0, ProgramBuilder::Call(VALUEWHEN, {h.builder.SeriesVar(OPK_VAR_SERIES, 0), h.Series(0), h.Series(1)}));
  const Operand result = h.builder.SeriesVar(OPK_VAR_SERIES, 0);
  h.SharedRun().ctx.rangeFirst = 0;
  // Bar 0 is the first calculated bar with COND false: no value.
  ExpectSeries({INV, 11, 11, 11, 14, INV, INV}, h.Walk(result), "VALUEWHEN");
}

TEST(ConditionBuiltins, ValueWhenStartsAfreshOnTheFirstCalculatedBar) {
  Harness h(BY_SERIES, {{1, 0, 0, 0, 1, 0}, {10, 11, 12, 13, 14, 15}});
  h.Assign(0, ProgramBuilder::Call(VALUEWHEN, {h.builder.SeriesVar(OPK_VAR_SERIES, 0), h.Series(0), h.Series(1)}));
  const Operand result = h.builder.SeriesVar(OPK_VAR_SERIES, 0);
  h.SharedRun().ctx.rangeFirst = 2;
  ExpectSeries({INV, INV, 14, 14}, h.Walk(result, 2), "VALUEWHEN from bar 2");
}

TEST(ConditionBuiltins, ValueWhenWritesItsResultBack) {
  Harness h(BY_SERIES, {{1, 0, 1, 0}, {10, 11, 12, 13}});
  const Operand call = h.Call(VALUEWHEN, {h.builder.SeriesVar(OPK_VAR_SERIES, 0), h.Series(0), h.Series(1)});
  h.builder.Assign(OPK_VAR_SERIES, 0, Num(-1));  // a definition that VALUEWHEN overrides below
  TestRun& run = h.SharedRun();
  run.ctx.rangeFirst = 0;
  EXPECT_EQ(h.At(call, 0), 10.0);
  EXPECT_EQ(run.Cell(OPK_VAR_SERIES, 0, 0), 10.0);
  // Bar 1 reads bar 0 of the result variable: the written-back 10, not the
  // definition's -1.
  EXPECT_EQ(h.At(call, 1), 10.0);
  EXPECT_EQ(run.Cell(OPK_VAR_SERIES, 0, 1), 10.0);
  // A COND without a value writes nothing.
  h.provider.fields[1][2] = INV;
  EXPECT_TRUE(IsInvalid(h.At(call, 2)));
  EXPECT_TRUE(IsUncomputed(run.Cell(OPK_VAR_SERIES, 0, 2)));
}

TEST(ConditionBuiltins, ValueWhenFindsAnUncomputedPreviousBar) {
  Harness h(BY_SERIES, {{0, 1, 0, 0, 0}, {10, 11, 12, 13, 14}});
  h.Assign(0, ProgramBuilder::Call(VALUEWHEN, {h.builder.SeriesVar(OPK_VAR_SERIES, 0), h.Series(0), h.Series(1)}));
  const Operand result = h.builder.SeriesVar(OPK_VAR_SERIES, 0);
  h.SharedRun().ctx.rangeFirst = 0;
  EXPECT_EQ(h.At(result, 4), 11.0);  // bars 3, 2, 1 are computed on the way
  int32_t code = -1;
  h.At(h.Call(VALUEWHEN, {Num(1), h.Series(0), h.Series(1)}), 1, &code);
  EXPECT_EQ(code, EVAL_BAD_ARGUMENT);  // element 1 must name the result variable
}

}  // namespace
