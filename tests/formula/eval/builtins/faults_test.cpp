// Structural faults of the built-ins return EVAL_BAD_ARGUMENT, data problems
// give no value, and hostile arguments neither crash nor hang.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <string>
#include <vector>

#include "formula/eval/dispatch_table.h"
#include "formula/eval/evaluator.h"
#include "formula/eval/function_table.h"
#include "support/series_harness.h"

namespace {

using harness::Harness;
using harness::NA;

const std::vector<double> kClose = {10, 11, 12, 11, 13, 13, 9, 10};

// Every function of this family, by name.
const char* const kNames[] = {
    "BACKSET",
    "ALIGNRIGHT",
    "BARSCOUNT",
    "BARSLAST",
    "BARSNEXT",
    "BARSSINCEN",
    "BARSSINCE",
    "COUNT",
    "BARSLASTCOUNT",
    "HHV",
    "HHVBARS",
    "HOD",
    "LLV",
    "LLVBARS",
    "LOD",
    "REF",
    "REFV",
    "REFX",
    "REFXV",
    "REFDATE",
    "SUM",
    "MULAR",
    "FILTER",
    "FILTERX",
    "TFILTER",
    "TTFILTER",
    "SUMBARS",
    "MA",
    "EMA",
    "SMA",
    "DMA",
    "TMA",
    "MEMA",
    "EXPMA",
    "EXPMEMA",
    "WMA",
    "AMA",
    "XMA",
    "CONST",
    "TOPRANGE",
    "LOWRANGE",
    "FINDHIGH",
    "FINDHIGHBARS",
    "FINDLOW",
    "FINDLOWBARS",
    "ZTPRICE",
    "DTPRICE",
    "DRAWNULL",
    "BARSTATUS",
    "CURRBARSCOUNT",
    "TOTALBARSCOUNT",
    "ISLASTBAR",
    "TR",
    "SMMA",
    "STD",
    "STDP",
    "VAR",
    "VARP",
    "AVEDEV",
    "DEVSQ",
    "FORCAST",
    "SLOPE",
    "COVAR",
    "RELATE",
    "VOLAT",
    "PEAK",
    "PEAKBARS",
    "SAR",
    "SARTURN",
    "TROUGH",
    "TROUGHBARS",
    "ZIG",
    "ZIGA",
};

// Arguments a formula writes: the function's argument count, less the own
// result series that the translator supplies.
int32_t ArgCount(const std::string& name) {
  int32_t id = -1;
  FindFunction(name, &id);
  const FunctionInfo* info = FunctionInfoById(id);
  return FunctionArgCount(id) - ((info->flags & FN_OWN_SERIES) != 0 ? 1 : 0);
}

int32_t AcceptedArgs(const std::string& name) { return ArgCount(name); }

std::vector<Operand> Args(Harness& h, int32_t count, float value) {
  std::vector<Operand> args;
  for (int32_t i = 0; i < count; ++i) args.push_back(i == 0 ? h.C() : Harness::N(value));
  return args;
}

TEST(BuiltinFaults, EveryImplementedSlotOfTheFamilyIsFilled) {
  for (const char* name : kNames) {
    int32_t id = -1;
    ASSERT_GE(FindFunction(name, &id), 0) << name;
    const int32_t slot = DispatchSlotOfId(id);
    ASSERT_GE(slot, 0) << name;
    EXPECT_NE(DispatchSlot(slot)->impl, nullptr) << name;
  }
}

TEST(BuiltinFaults, WrongElementCountIsAFault) {
  for (const char* name : kNames) {
    for (int32_t extra : {-1, 1}) {
      const int32_t count = AcceptedArgs(name) + extra;
      if (count < 0) continue;
      Harness h(kClose);
      double v = 0.0;
      EXPECT_EQ(h.EvalAt(h.Fn(name, Args(h, count, 3)), 3, &v), EVAL_BAD_ARGUMENT) << name << " " << count;
    }
  }
}

TEST(BuiltinFaults, BarOutsideTheDataIsNoValueEvenForAWrongShape) {
  for (const char* name : kNames) {
    Harness h(kClose);
    double v = 0.0;
    EXPECT_EQ(h.EvalAt(h.Fn(name, Args(h, AcceptedArgs(name) + 1, 3)), 2, &v, 5), EVAL_OK) << name;
    EXPECT_FALSE(HasValue(v)) << name;
  }
}

TEST(BuiltinFaults, StatefulCallWithoutAStateHandleIsAFault) {
  for (const char* name : {"SUM", "MA", "HHV", "BARSLAST", "COUNT", "STD", "ZIG", "BACKSET", "CONST", "FILTER"}) {
    Harness h(kClose);
    std::vector<Operand> elements{Harness::N(1)};  // where the handle belongs
    for (const Operand& a : Args(h, ArgCount(name), 3)) elements.push_back(a);
    double v = 0.0;
    EXPECT_EQ(h.EvalAt(h.Raw(name, OP_CALL_STATE, elements), 3, &v), EVAL_BAD_ARGUMENT) << name;
  }
}

TEST(BuiltinFaults, SmootherWithoutItsOwnSeriesIsAFault) {
  for (const char* name : {"EMA", "EXPMA", "SMA", "DMA", "AMA", "TMA", "MEMA", "EXPMEMA"}) {
    Harness h(kClose);
    std::vector<Operand> elements{Harness::N(0)};  // where the own series belongs
    for (const Operand& a : Args(h, ArgCount(name), 3)) elements.push_back(a);
    double v = 0.0;
    EXPECT_EQ(h.EvalAt(h.Raw(name, OP_CALL, elements), 3, &v), EVAL_BAD_ARGUMENT) << name;
  }
}

TEST(BuiltinFaults, MissingContextOrRecordIsAFault) {
  for (const char* name : kNames) {
    int32_t id = -1;
    FindFunction(name, &id);
    const BuiltinFn fn = DispatchSlot(DispatchSlotOfId(id))->impl;
    Harness h(kClose);
    const Operand call = h.Fn(name, Args(h, AcceptedArgs(name), 3));
    double v = 0.0;
    EXPECT_EQ(fn(call.value.Record(), &v, nullptr, 0), EVAL_BAD_ARGUMENT) << name;
    EXPECT_EQ(fn(nullptr, &v, nullptr, 0), EVAL_BAD_ARGUMENT) << name;
    ReleaseOperand(call.kind, call.value);
  }
}

TEST(BuiltinFaults, CancellationIsPassedUp) {
  Harness h(kClose);
  const Operand call = h.Fn("MA", {h.C(), Harness::N(3)});
  h.builder.Expression(call);
  TestRun run(h.builder.Program(), h.provider);
  run.cancel = true;
  double v = 0.0;
  EXPECT_EQ(run.Eval(call, 4, &v), EVAL_BAD_ARGUMENT);
}

TEST(BuiltinFaults, ProviderlessPricesAreAFault) {
  for (const char* name : {"TR", "SAR", "REFDATE"}) {
    Harness h(kClose);
    const Operand call = h.Fn(name, Args(h, ArgCount(name), 3));
    h.builder.Expression(call);
    TestRun run(h.builder.Program(), h.provider);
    run.ctx.dataProvider = nullptr;
    double v = 0.0;
    EXPECT_EQ(run.Eval(call, 4, &v), EVAL_BAD_ARGUMENT) << name;
  }
}

// Hostile periods, counts and factors, over bars with gaps, with a total bar
// count below, equal to and far above the bar count: every call finishes
// with a code of 0 or 4 and no crash.
TEST(BuiltinFaults, HostileArgumentsNeitherCrashNorHang) {
  const float values[] = {0.0f, -1.0f, -7.5f, 0.5f, 1.0f, 2.0f, 3.0f, 50.0f, 1e9f, -1e9f, 3e38f};
  const int32_t totals[] = {8, 5, 0, 100000};
  for (const char* name : kNames) {
    for (float value : values) {
      for (int32_t total : totals) {
        Harness h(kClose);
        h.provider.failingReads = {{harness::CLOSE, 3}, {harness::HIGH, 5}, {harness::LOW, 1}};
        h.provider.totalBarCount = total;
        const std::vector<double> got = h.Run(h.Fn(name, Args(h, AcceptedArgs(name), value)));
        EXPECT_TRUE(h.lastCode == EVAL_OK || h.lastCode == EVAL_BAD_ARGUMENT) << name << " " << value;
        EXPECT_EQ(got.size(), kClose.size());
      }
    }
  }
}

TEST(BuiltinGaps, WindowsSkipOrRefuseMissingValues) {
  Harness h(kClose);
  h.provider.failingReads = {{harness::CLOSE, 3}};
  // SUM skips the gap, MA has no value while the gap is inside its window.
  EXPECT_TRUE(harness::SeriesNear(h.Run(h.Fn("SUM", {h.C(), Harness::N(3)})), {10, 21, 33, NA, 25, 26, 35, 32}));
  EXPECT_TRUE(
      harness::SeriesNear(h.Run(h.Fn("MA", {h.C(), Harness::N(3)})), {NA, NA, 11, NA, NA, NA, 35.0 / 3, 32.0 / 3}));
  EXPECT_TRUE(harness::SeriesNear(h.Run(h.Fn("HHV", {h.C(), Harness::N(3)})), {10, 11, 12, 12, 13, 13, 13, 13}));
  EXPECT_TRUE(harness::SeriesNear(h.Run(h.Fn("STD", {h.C(), Harness::N(2)})),
                                  {NA, std::sqrt(0.5), std::sqrt(0.5), NA, NA, 0, std::sqrt(8.0), std::sqrt(0.5)}));
  // EMA has no value on the gap and starts over from the next close.
  EXPECT_TRUE(harness::SeriesNear(h.Run(h.Fn("EMA", {h.C(), Harness::N(3)})), {10, 10.5, 11.25, NA, 13, 13, 11, 10.5}));
  // An X without a value is no signal for FILTER.
  EXPECT_TRUE(harness::SeriesNear(h.Run(h.Fn("FILTER", {h.C(), Harness::N(1)})), {1, 0, 1, 0, 1, 0, 1, 0}));
  h.provider.failingReads = {{harness::CLOSE, 0}, {harness::CLOSE, 2}};
  EXPECT_TRUE(harness::SeriesNear(h.Run(h.Fn("FILTER", {h.C(), Harness::N(1)})), {0, 1, 0, 1, 0, 1, 0, 1}));
}

TEST(BuiltinGaps, MularRecoversWhenAZeroLeavesTheWindow) {
  Harness h({2, 0, 3, 4, 5});
  EXPECT_TRUE(harness::SeriesNear(h.Run(h.Fn("MULAR", {h.C(), Harness::N(2)})), {2, 0, 0, 12, 20}));
}

TEST(BuiltinGaps, NestedSearchesKeepTheirOwnBuffers) {
  Harness h(kClose);
  // The inner search runs while the outer one collects its values.
  const Operand inner = h.Fn("FINDLOW", {h.C(), Harness::N(0), Harness::N(2), Harness::N(1)});
  const std::vector<double> got = h.Run(h.Fn("FINDHIGH", {inner, Harness::N(0), Harness::N(3), Harness::N(1)}));
  // inner: lowest of the last two closes: 10 10 11 11 11 13 9 9
  EXPECT_TRUE(harness::SeriesNear(got, {10, 10, 11, 11, 11, 13, 13, 13}));
}

}  // namespace
