#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "formula/eval/assignment_index.h"
#include "formula/eval/dispatch_table.h"
#include "formula/eval/evaluator.h"
#include "support/program_builder.h"
#include "support/test_data_provider.h"

namespace {

constexpr int32_t HIGH = 1;
constexpr int32_t OPEN = 2;
constexpr int32_t CLOSE = 4;
constexpr int32_t CAPITAL = 501;

uint64_t Bits(double v) {
  uint64_t b;
  std::memcpy(&b, &v, sizeof b);
  return b;
}

// Two double fields a (HIGH) and b (OPEN) at bar 0 feed each operator, so the
// operands are exact doubles rather than floats.
class OperatorTest : public ::testing::Test {
 protected:
  double Apply(int32_t op, double a, double b) {
    provider.fields[HIGH] = {a};
    provider.fields[OPEN] = {b};
    provider.barCount = provider.totalBarCount = 1;
    ProgramBuilder builder;
    const Operand expr = ProgramBuilder::Op(op, builder.FieldVar(HIGH), builder.FieldVar(OPEN));
    TestRun run(builder.Program(), provider);
    double v = 0.0;
    code = run.Eval(expr, 0, &v);
    ReleaseOperand(expr.kind, expr.value);
    return v;
  }
  TestDataProvider provider;
  int32_t code = -1;
};

TEST_F(OperatorTest, ArithmeticAndEpsilonRules) {
  struct Case {
    int32_t op;
    double a;
    double b;
    double expected;
  };
  const Case cases[] = {
      {OP_ADD, 1.5, 2.25, 3.75},
      {OP_SUB, 1.5, 2.25, -0.75},
      {OP_MUL, 1.5, -2.0, -3.0},
      {OP_DIV, 1.0, 0.0, 0.0},
      {OP_DIV, 1.0, 0.00000001, 0.0},
      {OP_DIV, 1.0, 0.001, 1000.0},
      {OP_DIV, 3.0, -1e-7, 0.0},
      {OP_DIV, 3.0, -2e-7, -15000000.0},
      // and / or: magnitudes above the epsilon are true.
      {OP_AND, 1.0, 2.0, 1.0},
      {OP_AND, 1.0, 1e-7, 0.0},
      {OP_AND, -3.0, 2e-7, 1.0},
      {OP_OR, 0.0, 5e-8, 0.0},
      {OP_OR, 0.0, -1.0, 1.0},
      // A difference of 0.00000005 is equality.
      {OP_GT, 1.00000005, 1.0, 0.0},
      {OP_EQ, 1.00000005, 1.0, 1.0},
      {OP_NE, 1.00000005, 1.0, 0.0},
      {OP_GE, 1.0, 1.00000005, 1.0},
      {OP_LE, 1.00000005, 1.0, 1.0},
      {OP_LT, 1.0, 1.00000005, 0.0},
      {OP_GT, 1.000001, 1.0, 1.0},
      {OP_LT, 1.0, 1.000001, 1.0},
      {OP_GE, 1.0, 1.000001, 0.0},
      {OP_LE, 1.000001, 1.0, 0.0},
      {OP_NE, 1.0, 1.000001, 1.0},
      {OP_EQ, 2.0, 3.0, 0.0},
  };
  for (const Case& c : cases) {
    const double v = Apply(c.op, c.a, c.b);
    EXPECT_EQ(code, EVAL_OK);
    EXPECT_EQ(v, c.expected) << "op " << c.op << " a " << c.a << " b " << c.b;
  }
}

TEST_F(OperatorTest, BitOrUnitesTheRawPatterns) {
  const double a = ValueFromBits(0x0000000000000F0Full);
  const double b = ValueFromBits(0x4000000000F00000ull);
  EXPECT_EQ(Bits(Apply(OP_BITOR, a, b)), 0x4000000000F00F0Full);
}

TEST_F(OperatorTest, InvalidOperandGivesInvalidWithoutShortCircuit) {
  for (int32_t op : {OP_ADD, OP_DIV, OP_AND, OP_OR, OP_EQ, OP_BITOR}) {
    EXPECT_TRUE(IsInvalid(Apply(op, 0.0, INVALID_VALUE))) << op;
    EXPECT_TRUE(IsInvalid(Apply(op, INVALID_VALUE, 1.0))) << op;
  }
  // Both operands are read even when the left one is invalid.
  provider.fieldReads = 0;
  Apply(OP_AND, INVALID_VALUE, 0.0);
  EXPECT_EQ(provider.fieldReads.load(), 2);
  // An ordinary NaN is a value: it goes through the arithmetic.
  const double nan = std::nan("");
  EXPECT_TRUE(std::isnan(Apply(OP_ADD, nan, 1.0)));
  EXPECT_FALSE(IsInvalid(Apply(OP_ADD, nan, 1.0)));
}

TEST_F(OperatorTest, ElementCountAndUnknownOpsAreStructuralFaults) {
  ProgramBuilder b;
  provider.barCount = provider.totalBarCount = 1;
  TestRun run(b.Program(), provider);
  double v = 0.0;
  for (const Operand& r :
       {ProgramBuilder::Record(OP_ADD, {Num(1)}), ProgramBuilder::Record(OP_ADD, {Num(1), Num(2), Num(3)}),
        ProgramBuilder::Op(12, Num(1), Num(2)), ProgramBuilder::Op(13, Num(1), Num(2)),
        ProgramBuilder::Op(17, Num(1), Num(2)), ProgramBuilder::Op(-1, Num(1), Num(2))}) {
    EXPECT_EQ(run.Eval(r, 0, &v), EVAL_BAD_ARGUMENT) << r.value.Record()->op;
    ReleaseOperand(r.kind, r.value);
  }
  // A failing operand's code comes up unchanged.
  const Operand nested = ProgramBuilder::Op(OP_ADD, Num(1), Raw(OPK_FIELD, 0));
  EXPECT_EQ(run.Eval(nested, 0, &v), EVAL_BAD_ARGUMENT);
  ReleaseOperand(nested.kind, nested.value);
  EXPECT_EQ(run.Eval(Raw(OPK_RECORD, 0), 0, &v), EVAL_BAD_ARGUMENT);  // a missing record
}

class EvaluatorTest : public ::testing::Test {
 protected:
  EvaluatorTest() {
    provider.SetField(CLOSE, {10, 11, 12, 13, 14, 15, 16, 17});
    provider.SetField(OPEN, {9, 10, 11, 12, 13, 14, 15, 16});
  }
  TestDataProvider provider;
  ProgramBuilder b;
};

TEST_F(EvaluatorTest, ConstantsParametersAndTexts) {
  b.Program().m_paramValues = {2.5f, -7.0f};
  TestRun run(b.Program(), provider);
  double v = -1.0;
  EXPECT_EQ(run.Eval(Zero(), 3, &v), EVAL_OK);
  EXPECT_EQ(v, 0.0);
  EXPECT_EQ(run.Eval(Num(0.1f), 3, &v), EVAL_OK);
  EXPECT_EQ(v, static_cast<double>(0.1f));  // the float widened, not 0.1
  EXPECT_EQ(run.Eval(Param(1), 3, &v), EVAL_OK);
  EXPECT_EQ(v, -7.0);
  EXPECT_EQ(run.Eval(Param(2), 3, &v), EVAL_BAD_ARGUMENT);  // beyond the parameters
  // A text index travels as float bits and comes back when narrowed.
  EXPECT_EQ(run.Eval(Text(5), 3, &v), EVAL_OK);
  const float f = static_cast<float>(v);
  uint32_t bits;
  std::memcpy(&bits, &f, 4);
  EXPECT_EQ(bits, 5u);
  // Kinds that are not values.
  for (OperandKind k : {OPK_FIELD, OPK_VAR_SERIES, OPK_FUNC_ID, OPK_FUNC_SLOT, OPK_STATE, static_cast<OperandKind>(6),
                        static_cast<OperandKind>(12), static_cast<OperandKind>(15)}) {
    EXPECT_EQ(run.Eval(Raw(k, 0), 3, &v), EVAL_BAD_ARGUMENT) << k;
  }
  run.ctx.program = nullptr;
  EXPECT_EQ(run.Eval(Param(0), 3, &v), EVAL_BAD_ARGUMENT);
  EXPECT_EQ(EvaluateOperand(nullptr, OPK_ZERO, OperandValue{}, &v, 0), EVAL_BAD_ARGUMENT);
}

TEST_F(EvaluatorTest, OffsetsBeyondBarZeroGiveInvalidOnlyForRecordsAndVariables) {
  b.Program().m_paramValues = {4.0f};
  const Operand close = b.FieldVar(CLOSE);
  const Operand sum = ProgramBuilder::Op(OP_ADD, Num(1), Num(2));
  TestRun run(b.Program(), provider);
  double v = 0.0;
  EXPECT_EQ(run.Eval(close, 2, &v, 3), EVAL_OK);
  EXPECT_TRUE(IsInvalid(v));
  EXPECT_EQ(run.Eval(sum, 2, &v, 3), EVAL_OK);
  EXPECT_TRUE(IsInvalid(v));
  EXPECT_EQ(run.Eval(Num(6), 2, &v, 3), EVAL_OK);
  EXPECT_EQ(v, 6.0);
  EXPECT_EQ(run.Eval(Param(0), 2, &v, 3), EVAL_OK);
  EXPECT_EQ(v, 4.0);
  EXPECT_EQ(run.Eval(close, 5, &v, 3), EVAL_OK);
  EXPECT_EQ(v, 12.0);
  EXPECT_EQ(run.Eval(close, 7, &v, -1), EVAL_OK);  // a later bar beyond the data
  EXPECT_TRUE(IsInvalid(v));
  EXPECT_EQ(run.Eval(close, 6, &v, -1), EVAL_OK);
  EXPECT_EQ(v, 17.0);
  ReleaseOperand(sum.kind, sum.value);
}

TEST_F(EvaluatorTest, DataFieldsReadTheProviderOrTheDefault) {
  const Operand close = b.FieldVar(CLOSE);
  const Operand id0 = b.FieldVar(0);
  const Operand id1001 = b.FieldVar(1001);
  const Operand missing = b.FieldVar(7);  // no array in the provider
  const Operand badIndex = b.RawVar(OPK_FIELD, 99);
  provider.failingReads.insert({CLOSE, 2});
  TestRun run(b.Program(), provider);
  double v = -1.0;
  EXPECT_EQ(run.Eval(close, 1, &v), EVAL_OK);
  EXPECT_EQ(v, 11.0);
  EXPECT_EQ(run.Eval(close, 2, &v), EVAL_OK);
  EXPECT_TRUE(IsInvalid(v));
  EXPECT_EQ(run.Eval(missing, 2, &v), EVAL_OK);
  EXPECT_TRUE(IsInvalid(v));
  EXPECT_EQ(run.Eval(id0, 2, &v), EVAL_OK);
  EXPECT_EQ(v, 0.0);
  run.ctx.defaultValue = 7.5;
  EXPECT_EQ(run.Eval(id1001, 2, &v), EVAL_OK);
  EXPECT_EQ(v, 7.5);
  EXPECT_EQ(run.Eval(badIndex, 2, &v), EVAL_BAD_ARGUMENT);
  EXPECT_EQ(run.Eval(Raw(OPK_VAR, 99), 2, &v), EVAL_BAD_ARGUMENT);     // beyond the table
  EXPECT_EQ(run.Eval(Raw(OPK_VAR, ~0ull), 2, &v), EVAL_BAD_ARGUMENT);  // negative index
  EXPECT_EQ(run.Eval(close, 1, &v, 0, true), EVAL_BAD_ARGUMENT);       // not in m_outputVars
  run.ctx.dataProvider = nullptr;
  EXPECT_EQ(run.Eval(close, 1, &v), EVAL_BAD_ARGUMENT);
}

TEST_F(EvaluatorTest, ScalarIsFetchedOncePerRun) {
  const Operand capital = b.FieldVar(CAPITAL);
  provider.scalars[CAPITAL] = 1.25e9;
  TestRun run(b.Program(), provider);
  double v = 0.0;
  for (int32_t bar = 0; bar < 8; ++bar) {
    ASSERT_EQ(run.Eval(capital, bar, &v), EVAL_OK);
    EXPECT_EQ(v, 1.25e9);
  }
  EXPECT_EQ(provider.scalarReads.load(), 1);
  EXPECT_EQ(run.scalarCache.at(CAPITAL), 1.25e9);
  // A new run (a new cache) asks again.
  TestRun next(b.Program(), provider);
  ASSERT_EQ(next.Eval(capital, 0, &v), EVAL_OK);
  EXPECT_EQ(provider.scalarReads.load(), 2);
  next.ctx.scalarCache = nullptr;
  EXPECT_EQ(next.Eval(capital, 0, &v), EVAL_BAD_ARGUMENT);
}

TEST_F(EvaluatorTest, FailedOrInvalidScalarIsNotCached) {
  const Operand a = b.FieldVar(502);
  const Operand c = b.FieldVar(503);
  provider.failingScalars.insert(502);
  provider.scalars[503] = INVALID_VALUE;
  TestRun run(b.Program(), provider);
  double v = 0.0;
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(run.Eval(a, 0, &v), EVAL_OK);
    EXPECT_TRUE(IsInvalid(v));
    ASSERT_EQ(run.Eval(c, 0, &v), EVAL_OK);
    EXPECT_TRUE(IsInvalid(v));
  }
  EXPECT_EQ(provider.scalarReads.load(), 6);
  EXPECT_TRUE(run.scalarCache.empty());
}

TEST_F(EvaluatorTest, SeriesCellsAreComputedLazilyAndOnce) {
  // X := CLOSE * 2 - OPEN (slot 0 of storage kind 5).
  b.Assign(OPK_VAR_SERIES, 0,
           ProgramBuilder::Op(OP_SUB, ProgramBuilder::Op(OP_MUL, b.FieldVar(CLOSE), Num(2)), b.FieldVar(OPEN)));
  const Operand x = b.SeriesVar(OPK_VAR_SERIES, 0);
  TestRun run(b.Program(), provider);
  double v = 0.0;
  ASSERT_EQ(run.Eval(x, 5, &v), EVAL_OK);
  EXPECT_EQ(v, 15.0 * 2 - 14.0);
  EXPECT_EQ(run.Cell(OPK_VAR_SERIES, 0, 5), 16.0);
  for (int32_t bar : {0, 4, 6, 7}) EXPECT_TRUE(IsUncomputed(run.Cell(OPK_VAR_SERIES, 0, bar))) << bar;
  const int32_t reads = provider.fieldReads.load();
  ASSERT_EQ(run.Eval(x, 5, &v), EVAL_OK);
  EXPECT_EQ(v, 16.0);
  EXPECT_EQ(provider.fieldReads.load(), reads);  // served from the store
  // At offset 2 the cell of bar 3 is computed.
  ASSERT_EQ(run.Eval(x, 5, &v, 2), EVAL_OK);
  EXPECT_EQ(v, 13.0 * 2 - 12.0);
}

TEST_F(EvaluatorTest, OutputSideSharesTheSeriesOfEqualKeys) {
  b.Assign(OPK_OUTPUT_SERIES, 0, ProgramBuilder::Op(OP_ADD, b.FieldVar(CLOSE), Num(1)));
  const Operand out = b.SeriesVar(OPK_OUTPUT_SERIES, 0, true);
  TestRun run(b.Program(), provider);
  double v = 0.0;
  ASSERT_EQ(run.Eval(out, 3, &v, 0, true), EVAL_OK);
  EXPECT_EQ(v, 14.0);
  EXPECT_EQ(run.Cell(OPK_OUTPUT_SERIES, 0, 3), 14.0);
  EXPECT_EQ(run.ctx.variables, VariableTable::kStatements);  // the table is restored
  EXPECT_EQ(run.ctx.bar, 3);                                 // the bar is restored
}

TEST_F(EvaluatorTest, OutputOperandKeepsItsTableAfterComputingASeries) {
  // m_stmtVars: [0] CLOSE, [1] output series 0; m_outputVars: [0] output
  // series 0, [1] OPEN. The second operand must still read m_outputVars[1]
  // after the first one computed its cell through m_stmtVars.
  b.Assign(OPK_OUTPUT_SERIES, 0, ProgramBuilder::Op(OP_ADD, b.FieldVar(CLOSE), Num(1)));
  const Operand series = b.SeriesVar(OPK_OUTPUT_SERIES, 0, true);
  const Operand open = b.FieldVar(OPEN, true);
  const Operand diff = ProgramBuilder::Op(OP_SUB, series, open);
  TestRun run(b.Program(), provider);
  double v = 0.0;
  for (int32_t bar = 0; bar < 8; ++bar) {
    ASSERT_EQ(run.Eval(diff, bar, &v, 0, true), EVAL_OK);
    EXPECT_EQ(v, (10.0 + bar + 1) - (9.0 + bar)) << bar;
  }
  EXPECT_EQ(run.ctx.variables, VariableTable::kStatements);
  ReleaseOperand(diff.kind, diff.value);
}

TEST_F(EvaluatorTest, UndefinedSeriesStaysUncomputed) {
  const Operand hidden = b.SeriesVar(OPK_VAR_SERIES, 4);
  TestRun run(b.Program(), provider);
  double v = 0.0;
  ASSERT_EQ(run.Eval(hidden, 3, &v), EVAL_OK);
  EXPECT_TRUE(IsUncomputed(v));
  // Kinds of 15 and above have no series.
  const Operand bad = b.SeriesVar(15, 0);
  TestRun again(b.Program(), provider);
  EXPECT_EQ(again.Eval(bad, 3, &v), EVAL_BAD_ARGUMENT);
}

TEST_F(EvaluatorTest, ExpressionStatementDoesNotDefineASeries) {
  // An expression statement whose (unused) target 0 indexes a variable record
  // of series (5, 0) must not hide the real definition of that series.
  const Operand x = b.SeriesVar(OPK_VAR_SERIES, 0);  // m_stmtVars[0]
  b.Expression(ProgramBuilder::Op(OP_ADD, x, Num(1)));
  b.Assign(OPK_VAR_SERIES, 0, b.FieldVar(CLOSE));
  TestRun run(b.Program(), provider);
  double v = 0.0;
  ASSERT_EQ(run.Eval(x, 2, &v), EVAL_OK);
  EXPECT_EQ(v, 12.0);
}

TEST_F(EvaluatorTest, StoreSmallerThanTheBarCountIsAFault) {
  b.Assign(OPK_VAR_SERIES, 0, Num(1));
  const Operand x = b.SeriesVar(OPK_VAR_SERIES, 0);
  TestRun run(b.Program(), provider);
  SeriesStore small(4);
  run.ctx.store = &small;
  double v = 0.0;
  EXPECT_EQ(run.Eval(x, 2, &v), EVAL_BAD_ARGUMENT);
  run.ctx.store = nullptr;
  EXPECT_EQ(run.Eval(x, 2, &v), EVAL_BAD_ARGUMENT);
}

TEST_F(EvaluatorTest, CancellationStopsEveryEvaluation) {
  b.Assign(OPK_VAR_SERIES, 0, b.FieldVar(CLOSE));
  const Operand x = b.SeriesVar(OPK_VAR_SERIES, 0);
  TestRun run(b.Program(), provider);
  run.cancel = true;
  double v = 0.0;
  EXPECT_EQ(run.Eval(Num(1), 2, &v), EVAL_BAD_ARGUMENT);
  EXPECT_EQ(run.Eval(x, 2, &v), EVAL_BAD_ARGUMENT);
  run.ctx.bar = 2;
  EXPECT_EQ(ComputeSeriesAt(&run.ctx, OPK_VAR_SERIES, 0), EVAL_BAD_ARGUMENT);
  EXPECT_TRUE(IsUncomputed(run.Cell(OPK_VAR_SERIES, 0, 2)));
}

TEST_F(EvaluatorTest, CallBuiltinResolvesIdsAndSlots) {
  TestRun run(b.Program(), provider);
  double v = 0.0;
  struct Case {
    Operand call;
    int32_t code;
  };
  const Case cases[] = {
      {ProgramBuilder::Call(131, {Num(1), Num(2), Num(3)}), EVAL_OK},  // the constant stub by id
      {ProgramBuilder::CallSlot(74, {}), EVAL_OK},                     // and by slot
      {ProgramBuilder::Call(125, {Num(1)}), EVAL_BAD_ARGUMENT},        // REVERSE: no slot
      {ProgramBuilder::Call(240, {Num(1)}), EVAL_BAD_ARGUMENT},        // BUY: no slot
      {ProgramBuilder::Call(500, {Num(1)}), EVAL_BAD_ARGUMENT},        // a draw id
      {ProgramBuilder::Call(600, {}), EVAL_BAD_ARGUMENT},
      {ProgramBuilder::Call(-5, {}), EVAL_BAD_ARGUMENT},
      {ProgramBuilder::CallSlot(-1, {}), EVAL_BAD_ARGUMENT},
      {ProgramBuilder::CallSlot(139, {}), EVAL_BAD_ARGUMENT},
      {ProgramBuilder::Record(OP_CALL, {Num(131)}), EVAL_BAD_ARGUMENT},  // element 0 not a function
      {ProgramBuilder::Record(OP_CALL, {}), EVAL_BAD_ARGUMENT},
  };
  for (const Case& c : cases) {
    v = 0.0;
    EXPECT_EQ(run.Eval(c.call, 3, &v), c.code) << c.call.value.Record()->values[0].Int32();
    if (c.code == EVAL_OK) {
      EXPECT_EQ(v, 1.0);
    }
  }
  // A bar outside the data is INVALID_VALUE before the function is looked at.
  EXPECT_EQ(CallBuiltin(cases[2].call.value.Record(), &v, &run.ctx, 4), EVAL_OK);
  EXPECT_TRUE(IsInvalid(v));
  // Only OP_CALL and OP_CALL_STATE records are calls.
  ExprRecord* r = cases[0].call.value.Record();
  r->op = OP_ADD;
  EXPECT_EQ(CallBuiltin(r, &v, &run.ctx, 0), EVAL_BAD_ARGUMENT);
  r->op = OP_CALL_STATE;
  EXPECT_EQ(CallBuiltin(r, &v, &run.ctx, 0), EVAL_OK);
  EXPECT_EQ(CallBuiltin(nullptr, &v, &run.ctx, 0), EVAL_BAD_ARGUMENT);
  // Slots without an implementation yet answer 4.
  for (int32_t slot = 0; slot < DISPATCH_SLOT_COUNT; ++slot) {
    if (DispatchSlot(slot)->impl != nullptr) continue;
    const Operand call = ProgramBuilder::CallSlot(slot, {});
    EXPECT_EQ(run.Eval(call, 3, &v), EVAL_BAD_ARGUMENT) << slot;
    ReleaseOperand(call.kind, call.value);
  }
  for (const Case& c : cases) ReleaseOperand(c.call.kind, c.call.value);
}

TEST_F(EvaluatorTest, RunAssignmentWritesTheTargetCell) {
  const int32_t i = b.Assign(OPK_VAR_SERIES, 2, ProgramBuilder::Op(OP_MUL, b.FieldVar(CLOSE), Num(3)));
  const int32_t e = b.Expression(ProgramBuilder::Op(OP_ADD, Num(1), Num(2)));
  TestRun run(b.Program(), provider);
  const auto& stmts = b.Program().m_assignments;
  run.ctx.bar = 4;
  EXPECT_EQ(RunAssignment(&run.ctx, stmts[i]), EVAL_OK);
  EXPECT_EQ(run.Cell(OPK_VAR_SERIES, 2, 4), 42.0);
  EXPECT_EQ(RunAssignment(&run.ctx, stmts[e]), EVAL_OK);  // computed and discarded
  run.ctx.bar = -1;
  EXPECT_EQ(RunAssignment(&run.ctx, stmts[i]), EVAL_BAD_ARGUMENT);
  run.ctx.bar = 8;
  EXPECT_EQ(RunAssignment(&run.ctx, stmts[i]), EVAL_BAD_ARGUMENT);
  run.ctx.bar = 4;
  stmts[i]->stmtKind = STMT_OUTPUT;
  EXPECT_EQ(RunAssignment(&run.ctx, stmts[i]), EVAL_BAD_ARGUMENT);
  stmts[i]->stmtKind = STMT_ASSIGN;
  stmts[i]->target = OperandValue::FromIndex(50);
  EXPECT_EQ(RunAssignment(&run.ctx, stmts[i]), EVAL_BAD_ARGUMENT);
  EXPECT_EQ(RunAssignment(&run.ctx, nullptr), EVAL_BAD_ARGUMENT);
}

TEST_F(EvaluatorTest, FailingDefinitionLeavesTheCellUncomputed) {
  b.Assign(OPK_VAR_SERIES, 0, ProgramBuilder::Call(125, {Num(1)}));  // REVERSE has no slot
  const Operand x = b.SeriesVar(OPK_VAR_SERIES, 0);
  TestRun run(b.Program(), provider);
  double v = 0.0;
  ASSERT_EQ(run.Eval(x, 3, &v), EVAL_OK);
  EXPECT_TRUE(IsUncomputed(v));
  run.ctx.bar = 3;
  EXPECT_EQ(ComputeSeriesAt(&run.ctx, OPK_VAR_SERIES, 0), EVAL_BAD_ARGUMENT);
  EXPECT_EQ(ComputeSeriesAt(&run.ctx, OPK_VAR_SERIES, 1), EVAL_OK);  // nothing defines it
}

TEST_F(EvaluatorTest, WriteBackAlwaysUsesStatementVariables) {
  b.SeriesVar(OPK_VAR_SERIES, 3);           // m_stmtVars[0]
  b.SeriesVar(OPK_OUTPUT_SERIES, 0, true);  // m_outputVars[0]: must not be written
  TestRun run(b.Program(), provider);
  run.ctx.bar = 5;
  run.ctx.variables = VariableTable::kOutputs;  // as inside an output's evaluation
  WriteBack(&run.ctx, 0, 1, 2.5);
  EXPECT_EQ(run.Cell(OPK_VAR_SERIES, 3, 4), 2.5);
  EXPECT_TRUE(IsUncomputed(run.Cell(OPK_OUTPUT_SERIES, 0, 4)));
  WriteBack(&run.ctx, 0, 6, 1.0);   // bar -1: skipped
  WriteBack(&run.ctx, 0, -3, 1.0);  // bar 8: skipped
  WriteBack(&run.ctx, 1, 0, 1.0);   // no such variable
  WriteBack(nullptr, 0, 0, 1.0);
  EXPECT_TRUE(IsUncomputed(run.Cell(OPK_VAR_SERIES, 3, 5)));
}

TEST_F(EvaluatorTest, AssignmentIndexGivesTheSameDefinitions) {
  b.Expression(b.SeriesVar(OPK_VAR_SERIES, 0));
  b.Assign(OPK_VAR_SERIES, 0, ProgramBuilder::Op(OP_ADD, b.FieldVar(CLOSE), Num(1)));
  b.Assign(OPK_VAR_SERIES, 0, Num(99));  // a later duplicate never wins
  b.Assign(OPK_OUTPUT_SERIES, 0, ProgramBuilder::Op(OP_MUL, b.SeriesVar(OPK_VAR_SERIES, 0), Num(2)));
  const Operand out = b.SeriesVar(OPK_OUTPUT_SERIES, 0, true);
  AssignmentIndex index(b.Program());
  EXPECT_EQ(index.Find(OPK_VAR_SERIES, 0), 1);
  EXPECT_EQ(index.Find(OPK_OUTPUT_SERIES, 0), 3);
  EXPECT_EQ(index.Find(OPK_OUTPUT_SERIES, 1), -1);
  for (bool useIndex : {false, true}) {
    TestRun run(b.Program(), provider);
    if (useIndex) run.ctx.assignmentIndex = &index;
    for (int32_t bar = 0; bar < 8; ++bar) {
      double v = 0.0;
      ASSERT_EQ(run.Eval(out, bar, &v, 0, true), EVAL_OK);
      EXPECT_EQ(v, (10.0 + bar + 1) * 2) << bar;
    }
  }
  EXPECT_TRUE(index.Fits(b.Program()));
  // A changed target or a new assignment makes the index stale.
  b.Assign(OPK_VAR_SERIES, 7, Num(1));
  EXPECT_FALSE(index.Fits(b.Program()));
  b.Program().m_assignments.back()->target = OperandValue::FromIndex(0);
  AssignmentIndex rebuilt(b.Program());
  EXPECT_TRUE(rebuilt.Fits(b.Program()));
  b.Program().m_assignments.back()->target = OperandValue::FromIndex(1);
  EXPECT_FALSE(rebuilt.Fits(b.Program()));
  // An index of another program is ignored.
  ProgramBuilder other;
  EXPECT_FALSE(AssignmentIndex(other.Program()).Fits(b.Program()));
  AssignmentIndex foreign(other.Program());
  TestRun run(b.Program(), provider);
  run.ctx.assignmentIndex = &foreign;
  double v = 0.0;
  ASSERT_EQ(run.Eval(out, 2, &v, 0, true), EVAL_OK);
  EXPECT_EQ(v, 26.0);
}

}  // namespace
