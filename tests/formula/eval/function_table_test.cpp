#include <gtest/gtest.h>

#include <set>
#include <string>

#include "formula/eval/builtins/stub.h"
#include "formula/eval/dispatch_table.h"
#include "formula/eval/evaluator.h"
#include "formula/eval/function_table.h"
#include "support/program_builder.h"
#include "support/test_data_provider.h"

namespace {

TEST(FunctionTableTest, RowsKeepTheirOrderAndFields) {
  struct Case {
    int32_t row;
    const char* name;
    int32_t id;
    uint32_t argInfo;
    uint32_t flags;
    ArgCheckFn check;
    int32_t periodArg;
  };
  const Case cases[] = {
      {0, "BACKSET", 110, 2, 0x52000000u, CheckArity, 2},
      {31, "EMA", 144, 3, 0x0C000000u, CheckOwnSeries, 2},
      {32, "SMA", 141, 4, 0x0C000000u, CheckOwnSeries, 2},
      {33, "DMA", 148, 3, 0x0C000000u, CheckOwnSeries, 2},
      {34, "TMA", 142, 4, 0x0C000000u, CheckArity, 0},
      {60, "SAR", 213, 4, 0x0E000000u, CheckArity, 2},
      {96, "LONGCROSS", 41, 3, 0, CheckArity, 3},
      {139, "BUY", 240, ARG_AT_LEAST | 1, 0x20000000u, CheckArity, 0},
      {141, ".CURVELINE", 500, ARG_AT_LEAST | 1, 0x20000000u, CheckArity, 0},
      {155, "DRAWGBK", 514, ARG_AT_LEAST | 6, 0x20000000u, CheckArity, 0},
      {158, "RGB", 499, 3, 0, CheckArity, 0},
  };
  for (const Case& c : cases) {
    const FunctionInfo& f = FunctionInfoTable[c.row];
    EXPECT_STREQ(f.name, c.name);
    EXPECT_EQ(f.id, c.id) << c.name;
    EXPECT_EQ(f.argInfo, c.argInfo) << c.name;
    EXPECT_EQ(f.flags, c.flags) << c.name;
    EXPECT_EQ(f.check, c.check) << c.name;
    EXPECT_EQ(f.periodArg, c.periodArg) << c.name;
  }
  int checkB = 0;
  for (const FunctionInfo& f : FunctionInfoTable) checkB += f.check == CheckOwnSeries;
  EXPECT_EQ(checkB, 3);
}

TEST(FunctionTableTest, FindFunctionUpperCasesTheQuery) {
  int32_t id = 0;
  EXPECT_EQ(FindFunction("ma", &id), 30);
  EXPECT_EQ(id, 140);
  EXPECT_EQ(FindFunction(".curveline", &id), 141);
  EXPECT_EQ(id, 500);
  EXPECT_EQ(FindFunction("DrawNumber_Fix", &id), 153);
  EXPECT_EQ(id, 512);
  EXPECT_EQ(FindFunction("M", &id), -1);  // equal length required
  EXPECT_EQ(id, -1);
  EXPECT_EQ(FindFunction("MAX ", &id), -1);
  EXPECT_EQ(FindFunction("", &id), -1);
}

TEST(FunctionTableTest, LookupsById) {
  EXPECT_EQ(FunctionRowById(126), 16);
  EXPECT_EQ(FunctionRowById(499), 158);
  EXPECT_EQ(FunctionRowById(-1), -1);
  EXPECT_EQ(FunctionRowById(600), -1);
  EXPECT_EQ(FunctionRowById(300), -1);
  EXPECT_EQ(FunctionArgCount(501), 4);  // .CIRCULAR, a minimum
  EXPECT_EQ(FunctionArgCount(146), 3);
  EXPECT_EQ(FunctionArgCount(7777), 0);
}

TEST(DispatchTableTest, SlotsFollowTheFixedOrder) {
  // The slot order written out independently: ids of slots 0..138.
  std::vector<int32_t> expected;
  for (int id = 0; id <= 23; ++id) expected.push_back(id);
  expected.push_back(499);
  for (int id : {40, 41, 42, 43, 44, 45, 46, 47, 48, 70, 71, 72}) expected.push_back(id);
  for (int id = 90; id <= 106; ++id) expected.push_back(id);
  for (int id = 110; id <= 166; ++id) {
    if (id != 125) expected.push_back(id);
  }
  for (int id : {181, 180, 185, 183, 184, 182}) expected.push_back(id);
  for (int id = 186; id <= 224; ++id) {
    if (id < 194 || id > 209) expected.push_back(id);
  }
  ASSERT_EQ(expected.size(), static_cast<size_t>(DISPATCH_SLOT_COUNT));
  for (int32_t slot = 0; slot < DISPATCH_SLOT_COUNT; ++slot) {
    EXPECT_EQ(DispatchSlot(slot)->id, expected[slot]) << slot;
    EXPECT_EQ(DispatchSlotOfId(expected[slot]), slot);
  }
  EXPECT_EQ(DispatchSlot(-1), nullptr);
  EXPECT_EQ(DispatchSlot(139), nullptr);
  for (int id : {125, 240, 241, 500, 516, 599, 600, -3}) EXPECT_EQ(DispatchSlotOfId(id), -1) << id;
}

TEST(DispatchTableTest, TwelvePlaceholderIdsShareTheConstantStub) {
  std::set<int32_t> stubIds;
  for (int32_t slot = 0; slot < DISPATCH_SLOT_COUNT; ++slot) {
    if (DispatchSlot(slot)->impl == ConstantStub) stubIds.insert(DispatchSlot(slot)->id);
  }
  const std::set<int32_t> expected{131, 136, 190, 191, 193, 210, 217, 218, 219, 220, 221, 224};
  EXPECT_EQ(stubIds, expected);
}

TEST(ConstantStubTest, OneInsideTheDataInvalidOutside) {
  TestDataProvider provider;
  provider.barCount = 5;
  provider.totalBarCount = 5;
  ProgramBuilder b;
  TestRun run(b.Program(), provider);
  const Operand call = ProgramBuilder::Call(220, {Num(1.0f), Num(2.0f)});  // COSTEX
  double v = 0.0;
  ASSERT_EQ(run.Eval(call, 4, &v), EVAL_OK);
  EXPECT_EQ(v, 1.0);
  ASSERT_EQ(run.Eval(call, 4, &v, 5), EVAL_OK);
  EXPECT_TRUE(IsInvalid(v));
  // The stub does not look at its arguments, not even their number.
  const Operand odd = ProgramBuilder::Call(131, {});
  ASSERT_EQ(run.Eval(odd, 0, &v), EVAL_OK);
  EXPECT_EQ(v, 1.0);
  run.ctx.bar = 2;
  EXPECT_EQ(ConstantStub(call.value.Record(), &v, &run.ctx, 0), EVAL_OK);
  EXPECT_EQ(ConstantStub(nullptr, &v, &run.ctx, 0), EVAL_BAD_ARGUMENT);
  EXPECT_EQ(ConstantStub(call.value.Record(), &v, nullptr, 0), EVAL_BAD_ARGUMENT);
  run.ctx.store = nullptr;
  EXPECT_EQ(ConstantStub(call.value.Record(), &v, &run.ctx, 0), EVAL_BAD_ARGUMENT);
  ReleaseOperand(call.kind, call.value);
  ReleaseOperand(odd.kind, odd.value);
}

// Call records for the checks; the builder owns the variable tables.
class CheckCallTest : public ::testing::Test {
 protected:
  ~CheckCallTest() override {
    for (Operand& r : owned) ReleaseOperand(r.kind, r.value);
  }
  const ExprRecord* Keep(Operand r) {
    owned.push_back(r);
    return r.value.Record();
  }
  ProgramBuilder b;
  std::vector<Operand> owned;
};

TEST_F(CheckCallTest, CheckACountsArguments) {
  const auto& vars = b.Program().m_stmtVars;
  EXPECT_EQ(CheckCall(Keep(ProgramBuilder::Call(126, {Num(1), Num(2)})), vars), EVAL_OK);  // REF
  EXPECT_EQ(CheckCall(Keep(ProgramBuilder::Call(126, {Num(1)})), vars), EVAL_BAD_ARGUMENT);
  EXPECT_EQ(CheckCall(Keep(ProgramBuilder::CallState(140, 0xFFFF0001u, {Num(1), Num(2)})), vars), EVAL_OK);  // MA
  EXPECT_EQ(CheckCall(Keep(ProgramBuilder::CallState(140, 1, {Num(1), Num(2), Num(3)})), vars), EVAL_BAD_ARGUMENT);
  // At-least counts.
  EXPECT_EQ(CheckCall(Keep(ProgramBuilder::Call(501, {Num(1), Num(2), Num(3), Num(4), Num(5)})), vars), EVAL_OK);
  EXPECT_EQ(CheckCall(Keep(ProgramBuilder::Call(501, {Num(1), Num(2), Num(3)})), vars), EVAL_BAD_ARGUMENT);
  // Unknown ids, slots and empty records.
  EXPECT_EQ(CheckCall(Keep(ProgramBuilder::Call(300, {})), vars), EVAL_BAD_ARGUMENT);
  EXPECT_EQ(CheckCall(Keep(ProgramBuilder::CallSlot(14, {Num(1), Num(2)})), vars), EVAL_BAD_ARGUMENT);
  EXPECT_EQ(CheckCall(Keep(ProgramBuilder::Record(OP_CALL, {})), vars), EVAL_BAD_ARGUMENT);
  EXPECT_EQ(CheckCall(nullptr, vars), EVAL_BAD_ARGUMENT);
}

TEST_F(CheckCallTest, CheckBWantsAnOwnSeriesOfKind4Or5) {
  const Operand own5 = b.SeriesVar(OPK_VAR_SERIES, 9);
  const Operand own4 = b.SeriesVar(OPK_OUTPUT_SERIES, 1);
  const Operand field = b.FieldVar(4);
  const Operand state = b.SeriesVar(OPK_STATE, 1);
  const auto& vars = b.Program().m_stmtVars;
  EXPECT_EQ(CheckCall(Keep(ProgramBuilder::Call(144, {own5, field, Num(5)})), vars), EVAL_OK);  // EMA
  EXPECT_EQ(CheckCall(Keep(ProgramBuilder::Call(144, {own4, field, Num(5)})), vars), EVAL_OK);
  EXPECT_EQ(CheckCall(Keep(ProgramBuilder::Call(144, {field, field, Num(5)})), vars), EVAL_BAD_ARGUMENT);
  EXPECT_EQ(CheckCall(Keep(ProgramBuilder::Call(144, {state, field, Num(5)})), vars), EVAL_BAD_ARGUMENT);
  EXPECT_EQ(CheckCall(Keep(ProgramBuilder::Call(144, {Num(1), field, Num(5)})), vars), EVAL_BAD_ARGUMENT);
  EXPECT_EQ(CheckCall(Keep(ProgramBuilder::Call(144, {field, Num(5)})), vars), EVAL_BAD_ARGUMENT);  // too few
  // An index beyond the table the caller passes.
  const std::vector<ExprRecord*> empty;
  EXPECT_EQ(CheckCall(Keep(ProgramBuilder::Call(144, {own5, field, Num(5)})), empty), EVAL_BAD_ARGUMENT);
}

class OutputCheckTest : public ::testing::Test {
 protected:
  int32_t CheckOutput(int32_t drawId, const std::vector<Operand>& args) {
    const int32_t i = b.Output(drawId, args);
    return CheckOutputStatement(b.Program().m_outputs[i]);
  }
  ProgramBuilder b;
};

TEST_F(OutputCheckTest, AcceptsDataOnlyThroughVariables) {
  const Operand v = b.SeriesVar(OPK_OUTPUT_SERIES, 0, true);
  EXPECT_EQ(CheckOutput(500, {v}), EVAL_OK);
  EXPECT_EQ(CheckOutput(500, {v, ProgramBuilder::Call(499, {Num(255), Num(0), Num(0)}), Num(1)}), EVAL_OK);
  EXPECT_EQ(CheckOutput(509, {ProgramBuilder::Op(OP_GT, v, Num(1)), v, Text(0)}), EVAL_OK);
  EXPECT_EQ(CheckOutput(500, {v, Param(0), Raw(OPK_STATE, 1), Raw(OPK_FUNC_ID, 1)}), EVAL_OK);
  EXPECT_EQ(CheckOutput(500, {ProgramBuilder::Op(12, v, v)}), EVAL_OK);  // 12 passes this check
  EXPECT_EQ(CheckOutput(500, {ProgramBuilder::CallState(140, 1, {v, Num(5)})}), EVAL_OK);
}

TEST_F(OutputCheckTest, RefusesOtherOperands) {
  const Operand v = b.SeriesVar(OPK_OUTPUT_SERIES, 0, true);
  EXPECT_EQ(CheckOutput(500, {Zero()}), EVAL_BAD_ARGUMENT);  // an empty argument
  EXPECT_EQ(CheckOutput(500, {v, Raw(OPK_FIELD, 0)}), EVAL_BAD_ARGUMENT);
  EXPECT_EQ(CheckOutput(500, {v, Raw(OPK_VAR_SERIES, 0)}), EVAL_BAD_ARGUMENT);
  EXPECT_EQ(CheckOutput(500, {v, Raw(OPK_FUNC_SLOT, 0)}), EVAL_BAD_ARGUMENT);
  EXPECT_EQ(CheckOutput(500, {v, Raw(static_cast<OperandKind>(12), 0)}), EVAL_BAD_ARGUMENT);
  EXPECT_EQ(CheckOutput(500, {ProgramBuilder::Op(OP_ADD, v, Zero())}), EVAL_BAD_ARGUMENT);  // nested
  EXPECT_EQ(CheckOutput(500, {ProgramBuilder::Record(OP_VARIABLE, {v, v})}), EVAL_BAD_ARGUMENT);
  // A function that keeps its own series.
  EXPECT_EQ(CheckOutput(500, {ProgramBuilder::Call(144, {v, v, Num(3)})}), EVAL_BAD_ARGUMENT);
  EXPECT_EQ(CheckOutput(500, {ProgramBuilder::Op(OP_ADD, v, ProgramBuilder::Call(141, {v, v, Num(3), Num(1)}))}),
            EVAL_BAD_ARGUMENT);
  EXPECT_EQ(CheckOutput(501, {v, v, v}), EVAL_BAD_ARGUMENT);  // fewer than the minimum
  EXPECT_EQ(CheckOutput(300, {v}), EVAL_BAD_ARGUMENT);        // unknown function
}

TEST_F(OutputCheckTest, DeepTreesAreCheckedWithoutRecursion) {
  const Operand v = b.SeriesVar(OPK_OUTPUT_SERIES, 0, true);
  Operand deep = v;
  for (int i = 0; i < 200000; ++i) deep = ProgramBuilder::Op(OP_ADD, deep, v);
  EXPECT_EQ(CheckOutput(500, {deep}), EVAL_OK);
  Operand bad = Zero();
  for (int i = 0; i < 200000; ++i) bad = ProgramBuilder::Op(OP_ADD, v, bad);
  EXPECT_EQ(CheckOutput(500, {bad}), EVAL_BAD_ARGUMENT);
}

TEST_F(OutputCheckTest, RefusesMalformedStatements) {
  const Operand v = b.SeriesVar(OPK_OUTPUT_SERIES, 0, true);
  const int32_t i = b.Output(500, {v});
  Statement* s = b.Program().m_outputs[i];
  EXPECT_EQ(CheckOutputStatement(s), EVAL_OK);
  s->targetKind = OPK_ZERO;
  EXPECT_EQ(CheckOutputStatement(s), EVAL_BAD_ARGUMENT);
  s->targetKind = OPK_NUMBER;
  s->stmtKind = STMT_ASSIGN;
  EXPECT_EQ(CheckOutputStatement(s), EVAL_BAD_ARGUMENT);
  s->stmtKind = STMT_OUTPUT;
  s->expr.Record()->op = OP_CALL_STATE;
  EXPECT_EQ(CheckOutputStatement(s), EVAL_BAD_ARGUMENT);
  s->expr.Record()->op = OP_CALL;
  EXPECT_EQ(CheckOutputStatement(nullptr), EVAL_BAD_ARGUMENT);
}

}  // namespace
