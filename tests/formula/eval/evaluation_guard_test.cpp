#include <gtest/gtest.h>

#include <vector>

#include "formula/eval/evaluator.h"
#include "support/program_builder.h"
#include "support/test_data_provider.h"

namespace {

constexpr int32_t CLOSE = 4;
constexpr int32_t LINK = 10;  // a field whose reads evaluate X at another bar

TEST(EvaluationGuardTest, VariableDependingOnItselfAtTheSameBarIsInvalid) {
  TestDataProvider provider;
  provider.SetField(CLOSE, {1, 2, 3, 4});
  ProgramBuilder b;
  // X := X + 1; Y := Z * 2; Z := Y + CLOSE (a cycle of two).
  const Operand x = b.SeriesVar(OPK_VAR_SERIES, 0);
  b.Assign(OPK_VAR_SERIES, 0, ProgramBuilder::Op(OP_ADD, x, Num(1)));
  const Operand y = b.SeriesVar(OPK_VAR_SERIES, 1);
  const Operand z = b.SeriesVar(OPK_VAR_SERIES, 2);
  b.Assign(OPK_VAR_SERIES, 1, ProgramBuilder::Op(OP_MUL, z, Num(2)));
  b.Assign(OPK_VAR_SERIES, 2, ProgramBuilder::Op(OP_ADD, y, b.FieldVar(CLOSE)));
  TestRun run(b.Program(), provider);
  for (int32_t bar = 0; bar < 4; ++bar) {
    double v = 0.0;
    ASSERT_EQ(run.Eval(x, bar, &v), EVAL_OK);
    EXPECT_TRUE(IsInvalid(v)) << bar;
    EXPECT_TRUE(IsInvalid(run.Cell(OPK_VAR_SERIES, 0, bar)));
    ASSERT_EQ(run.Eval(y, bar, &v), EVAL_OK);
    EXPECT_TRUE(IsInvalid(v)) << bar;
    EXPECT_TRUE(IsInvalid(run.Cell(OPK_VAR_SERIES, 2, bar)));
  }
  // Run directly, the assignment reaches the same result.
  run.ctx.bar = 3;
  TestRun fresh(b.Program(), provider);
  fresh.ctx.bar = 3;
  EXPECT_EQ(ComputeSeriesAt(&fresh.ctx, OPK_VAR_SERIES, 0), EVAL_OK);
  EXPECT_TRUE(IsInvalid(fresh.Cell(OPK_VAR_SERIES, 0, 3)));
}

// X := LINK * 0.5 + CLOSE, where reading LINK at bar j evaluates X at bar
// j - step (0 before the first bar): a series that refers to its own earlier
// cells, the way the recursive built-ins do.
class RecursiveSeriesTest : public ::testing::Test {
 protected:
  void Build(int32_t bars, int32_t step) {
    std::vector<double> close(bars);
    for (int32_t i = 0; i < bars; ++i) close[i] = static_cast<double>((static_cast<int64_t>(i) * 7919) % 101);
    provider.SetField(CLOSE, close);
    x = b.SeriesVar(OPK_VAR_SERIES, 0);
    b.Assign(OPK_VAR_SERIES, 0,
             ProgramBuilder::Op(OP_ADD, ProgramBuilder::Op(OP_MUL, b.FieldVar(LINK), Num(0.5f)), b.FieldVar(CLOSE)));
    run.reset(new TestRun(b.Program(), provider));
    provider.fieldHook = [this, step](int32_t field, int32_t bar, double* v) {
      if (field != LINK) return false;
      if (bar - step < 0) {
        *v = 0.0;
        return true;
      }
      // The hook runs inside the cell of `bar`, so ctx.bar == bar here.
      return EvaluateOperand(&run->ctx, x.kind, x.value, v, run->ctx.bar - (bar - step)) == EVAL_OK;
    };
    // The oracle: a plain ascending loop.
    expected.assign(bars, 0.0);
    for (int32_t i = 0; i < bars; ++i) expected[i] = (i >= step ? expected[i - step] : 0.0) * 0.5 + close[i];
  }
  TestDataProvider provider;
  ProgramBuilder b;
  Operand x;
  std::unique_ptr<TestRun> run;
  std::vector<double> expected;
};

TEST_F(RecursiveSeriesTest, CellFarAheadIsAskedFirst) {
  const int32_t bars = 300001;
  Build(bars, 1);
  double v = 0.0;
  ASSERT_EQ(run->Eval(x, 300000, &v), EVAL_OK);
  EXPECT_EQ(v, expected[300000]);
  EXPECT_LT(run->ctx.evalDepth, 1);
  EXPECT_EQ(run->ctx.seriesDepth, 0);
  for (int32_t i = 0; i < bars; i += 997) ASSERT_EQ(run->Cell(OPK_VAR_SERIES, 0, i), expected[i]) << i;
}

TEST_F(RecursiveSeriesTest, LargerStridesAndAscendingWalksAgree) {
  Build(5000, 3);
  double v = 0.0;
  ASSERT_EQ(run->Eval(x, 4999, &v), EVAL_OK);
  EXPECT_EQ(v, expected[4999]);
  // A second run walked bar by bar, as the calculator does, gives the same cells.
  TestRun walk(b.Program(), provider);
  TestRun* deep = run.release();
  run.reset(&walk);
  for (int32_t bar = 0; bar < 5000; ++bar) {
    ASSERT_EQ(walk.Eval(x, bar, &v), EVAL_OK);
    ASSERT_EQ(v, expected[bar]) << bar;
    // Cells off the stride of bar 4999 may never have been needed there.
    const double cell = deep->Cell(OPK_VAR_SERIES, 0, bar);
    if (!IsUncomputed(cell) || bar % 3 == 4999 % 3) {
      ASSERT_EQ(cell, v) << bar;
    }
  }
  run.release();
  delete deep;
}

TEST(EvaluationGuardTest, MutualRecursionAskedFarAhead) {
  // X := LINK + 1 where LINK at bar j is Y at bar j - 1; Y := X * 0.5.
  const int32_t bars = 200000;
  TestDataProvider provider;
  provider.barCount = provider.totalBarCount = bars;
  ProgramBuilder b;
  const Operand x = b.SeriesVar(OPK_VAR_SERIES, 0);
  const Operand y = b.SeriesVar(OPK_VAR_SERIES, 1);
  b.Assign(OPK_VAR_SERIES, 0, ProgramBuilder::Op(OP_ADD, b.FieldVar(LINK), Num(1)));
  b.Assign(OPK_VAR_SERIES, 1, ProgramBuilder::Op(OP_MUL, x, Num(0.5f)));
  TestRun run(b.Program(), provider);
  provider.fieldHook = [&](int32_t, int32_t bar, double* v) {
    if (bar == 0) {
      *v = 0.0;
      return true;
    }
    return EvaluateOperand(&run.ctx, y.kind, y.value, v, run.ctx.bar - (bar - 1)) == EVAL_OK;
  };
  double expectedX = 0.0;
  std::vector<double> oracle(bars);
  for (int32_t i = 0; i < bars; ++i) {
    expectedX = (i == 0 ? 0.0 : expectedX * 0.5) + 1.0;
    oracle[i] = expectedX;
  }
  double v = 0.0;
  ASSERT_EQ(run.Eval(y, bars - 1, &v), EVAL_OK);
  EXPECT_EQ(v, oracle[bars - 1] * 0.5);
  for (int32_t i = 0; i < bars; i += 1013) EXPECT_EQ(run.Cell(OPK_VAR_SERIES, 0, i), oracle[i]) << i;
}

TEST(EvaluationGuardTest, ForwardChainIsCutByTheDepthLimit) {
  // Reading LINK at bar j evaluates X at bar j + 1, so asking bar 0 would
  // recurse once per bar up to the last one. The depth limit cuts it.
  const int32_t bars = 300000;
  TestDataProvider provider;
  provider.barCount = provider.totalBarCount = bars;
  ProgramBuilder b;
  const Operand x = b.SeriesVar(OPK_VAR_SERIES, 0);
  b.Assign(OPK_VAR_SERIES, 0, ProgramBuilder::Op(OP_ADD, b.FieldVar(LINK), Num(1)));
  TestRun run(b.Program(), provider);
  provider.fieldHook = [&](int32_t, int32_t bar, double* v) {
    if (bar + 1 >= bars) {
      *v = 0.0;
      return true;
    }
    return EvaluateOperand(&run.ctx, x.kind, x.value, v, run.ctx.bar - (bar + 1)) == EVAL_OK;
  };
  double v = 0.0;
  ASSERT_EQ(run.Eval(x, 0, &v), EVAL_OK);
  EXPECT_TRUE(IsInvalid(v));
  EXPECT_EQ(run.ctx.evalDepth, 0);
  // Near the end the chain is short enough to be computed.
  ASSERT_EQ(run.Eval(x, bars - 3, &v), EVAL_OK);
  EXPECT_EQ(v, 3.0);
}

TEST(EvaluationGuardTest, DeeplyNestedRecordIsCutByTheDepthLimit) {
  TestDataProvider provider;
  provider.barCount = provider.totalBarCount = 2;
  ProgramBuilder b;
  Operand expr = Num(1);
  for (int i = 0; i < 100000; ++i) expr = ProgramBuilder::Op(OP_ADD, expr, Num(1));
  TestRun run(b.Program(), provider);
  double v = 0.0;
  ASSERT_EQ(run.Eval(expr, 1, &v), EVAL_OK);
  EXPECT_TRUE(IsInvalid(v));
  ReleaseOperand(expr.kind, expr.value);
  // A moderately nested record is computed in full.
  Operand small = Num(0);
  for (int i = 0; i < 500; ++i) small = ProgramBuilder::Op(OP_ADD, small, Num(1));
  ASSERT_EQ(run.Eval(small, 1, &v), EVAL_OK);
  EXPECT_EQ(v, 500.0);
  ReleaseOperand(small.kind, small.value);
}

TEST(EvaluationGuardTest, LongChainOfDistinctVariablesKeepsItsValues) {
  // V0 := CLOSE; Vk := V(k-1) + 1 for 200 variables, asked at the last bar
  // first: a deep nest of cells, but none recursive, so evaluation stays
  // exactly lazy.
  const int32_t bars = 50;
  const int32_t chain = 200;
  TestDataProvider provider;
  std::vector<double> close(bars);
  for (int32_t i = 0; i < bars; ++i) close[i] = 100.0 + i;
  provider.SetField(CLOSE, close);
  ProgramBuilder b;
  b.Assign(OPK_VAR_SERIES, 0, b.FieldVar(CLOSE));
  for (int32_t k = 1; k < chain; ++k) {
    b.Assign(OPK_VAR_SERIES, k, ProgramBuilder::Op(OP_ADD, b.SeriesVar(OPK_VAR_SERIES, k - 1), Num(1)));
  }
  const Operand last = b.SeriesVar(OPK_VAR_SERIES, chain - 1);
  TestRun run(b.Program(), provider);
  double v = 0.0;
  ASSERT_EQ(run.Eval(last, bars - 1, &v), EVAL_OK);
  EXPECT_EQ(v, close[bars - 1] + chain - 1);
  // No series refers to itself, so no earlier cell was computed on the way.
  for (int32_t k = 0; k < chain; ++k) {
    EXPECT_TRUE(IsUncomputed(run.Cell(OPK_VAR_SERIES, k, bars - 2))) << k;
  }
  for (int32_t bar = 0; bar < bars; ++bar) {
    ASSERT_EQ(run.Eval(last, bar, &v), EVAL_OK);
    EXPECT_EQ(v, close[bar] + chain - 1) << bar;
  }
}

}  // namespace
