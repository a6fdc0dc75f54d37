#include <gtest/gtest.h>

#include <map>

#include "formula/eval/calculate_info.h"
#include "support/program_builder.h"

namespace {

TEST(OperandValueTest, PayloadsKeepTheirBits) {
  EXPECT_EQ(OperandValue::FromFloat(1.5f).bits, 0x3FC00000u);
  EXPECT_EQ(OperandValue::FromFloat(-2.0f).Float(), -2.0f);
  EXPECT_EQ(OperandValue::FromInt32(-1).bits, 0xFFFFFFFFu);  // low 4 bytes only
  EXPECT_EQ(OperandValue::FromIndex(-1).Index(), -1);
  // A record pointer keeps all 64 bits.
  ExprRecord* r = NewExprRecord(OP_ADD, 2);
  const OperandValue v = OperandValue::FromRecord(r);
  EXPECT_EQ(v.Record(), r);
  EXPECT_EQ(v.bits, static_cast<uint64_t>(reinterpret_cast<uintptr_t>(r)));
  ReleaseRecord(r);
}

TEST(ExprRecordTest, InsertMovesLaterElementsUp) {
  ExprRecord* r = NewExprRecord(OP_CALL, 0);
  ASSERT_TRUE(AppendElement(r, OPK_FUNC_ID, OperandValue::FromInt32(144)));
  ASSERT_TRUE(AppendElement(r, OPK_NUMBER, OperandValue::FromFloat(3.0f)));
  ASSERT_TRUE(InsertElement(r, 1, OPK_VAR, OperandValue::FromIndex(7)));
  ASSERT_EQ(r->count, 3);
  EXPECT_EQ(r->kinds[0], OPK_FUNC_ID);
  EXPECT_EQ(r->kinds[1], OPK_VAR);
  EXPECT_EQ(r->values[1].Index(), 7);
  EXPECT_EQ(r->kinds[2], OPK_NUMBER);
  EXPECT_EQ(r->values[2].Float(), 3.0f);
  EXPECT_FALSE(InsertElement(r, 5, OPK_ZERO, OperandValue{}));
  EXPECT_FALSE(InsertElement(r, -1, OPK_ZERO, OperandValue{}));
  ReleaseRecord(r);
}

TEST(ExprRecordTest, ReleasingADeepTreeFreesEveryLevel) {
  // A chain far deeper than any call stack could follow recursively; run
  // under AddressSanitizer a double or missing free would be reported.
  Operand leaf = Num(1.0f);
  for (int i = 0; i < 200000; ++i) leaf = ProgramBuilder::Op(OP_ADD, leaf, Num(2.0f));
  Statement* s = new Statement;
  s->exprKind = OPK_RECORD;
  s->expr = leaf.value;
  s->targetKind = OPK_RECORD;
  s->target = ProgramBuilder::Op(OP_SUB, Num(1.0f), ProgramBuilder::Op(OP_MUL, Num(1.0f), Num(2.0f))).value;
  ReleaseStatement(s);
  ReleaseOperand(OPK_NUMBER, OperandValue::FromFloat(1.0f));  // owns nothing
  SUCCEED();
}

TEST(ExprArenaTest, AdoptsEveryRecordOfADeepTreeOnce) {
  // Operators nest on the left and carry a call on the right: a chain of n
  // operators holds 2n + 1 records. Freed by the arena under
  // AddressSanitizer, a double or missing free would be reported.
  const int n = 100000;
  Operand tree = ProgramBuilder::Call(1, {Num(1.0f)});
  for (int i = 0; i < n; ++i) tree = ProgramBuilder::Op(OP_ADD, tree, ProgramBuilder::Call(1, {Num(2.0f)}));
  CCalculateInfo p;
  ExprRecord* own = p.m_arena.NewRecord(OP_VARIABLE, 2);
  ASSERT_NE(own, nullptr);
  ASSERT_TRUE(p.m_arena.Adopt(tree.value.Record()));
  EXPECT_EQ(p.m_arena.RecordCount(), static_cast<size_t>(2 * n + 1) + 1);
  EXPECT_TRUE(p.m_arena.Adopt(nullptr));
  EXPECT_EQ(p.m_arena.RecordCount(), static_cast<size_t>(2 * n + 2));
}

TEST(ExprArenaTest, RecordsGrowInPlaceAndStatementsStayPut) {
  ExprArena arena;
  ExprRecord* r = arena.NewRecord(OP_CALL, 1);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->kinds[0], OPK_ZERO);
  for (int i = 0; i < 40; ++i)
    ASSERT_TRUE(AppendElement(r, OPK_NUMBER, OperandValue::FromFloat(static_cast<float>(i))));
  ASSERT_TRUE(InsertElement(r, 0, OPK_FUNC_ID, OperandValue::FromInt32(7)));
  ASSERT_EQ(r->count, 42);
  EXPECT_EQ(r->values[0].Int32(), 7);
  EXPECT_EQ(r->kinds[1], OPK_ZERO);
  for (int i = 0; i < 40; ++i) EXPECT_EQ(r->values[i + 2].Float(), static_cast<float>(i));
  Statement* first = arena.NewStatement();
  ASSERT_NE(first, nullptr);
  first->exprKind = OPK_RECORD;
  first->expr = OperandValue::FromRecord(r);
  for (int i = 0; i < 1000; ++i) ASSERT_NE(arena.NewStatement(), nullptr);
  EXPECT_EQ(first->expr.Record(), r);
  EXPECT_EQ(first->stmtKind, STMT_ASSIGN);
  EXPECT_EQ(arena.RecordCount(), 1u);
}

TEST(CalculateInfoTest, WholeRangeSlotsByStorageKind) {
  CCalculateInfo p;
  p.MarkWholeRange(SeriesKey{OPK_OUTPUT_SERIES, 2});
  p.MarkWholeRange(SeriesKey{OPK_VAR_SERIES, 5});
  p.MarkWholeRange(SeriesKey{OPK_FIELD, 1});  // ignored
  EXPECT_EQ(p.m_resetSlots4, (std::map<int32_t, int32_t>{{2, 2}}));
  EXPECT_EQ(p.m_resetSlots5, (std::map<int32_t, int32_t>{{5, 5}}));
  const struct {
    SeriesKey key;
    bool whole;
  } cases[] = {{{OPK_OUTPUT_SERIES, 2}, true},  {{OPK_VAR_SERIES, 2}, false}, {{OPK_VAR_SERIES, 5}, true},
               {{OPK_OUTPUT_SERIES, 5}, false}, {{OPK_FIELD, 1}, false},      {{OPK_STATE, 2}, false}};
  for (const auto& c : cases) EXPECT_EQ(p.IsWholeRange(c.key), c.whole) << c.key.kind << " " << c.key.slot;
}

TEST(CalculateInfoTest, ConstructorStartsEmpty) {
  CCalculateInfo p;
  EXPECT_EQ(p.m_stateCounter, 0);
  EXPECT_EQ(p.m_reserved, 0);
  EXPECT_FALSE(p.m_extendHistory);
  EXPECT_FALSE(p.m_extendForward);
  EXPECT_FALSE(p.m_recalcAll);
  EXPECT_TRUE(p.m_outputs.empty());
  EXPECT_EQ(p.FindOutputRecord(0), nullptr);
}

TEST(CalculateInfoTest, FindOrAddNameReturnsTheExistingIndex) {
  CCalculateInfo p;
  EXPECT_EQ(p.FindOrAddName("N", 0x40A00000u), 0);
  EXPECT_EQ(p.FindOrAddName("M", 7u), 1);
  EXPECT_EQ(p.FindOrAddName("N", 99u), 0);
  ASSERT_EQ(p.m_names.size(), 2u);
  ASSERT_EQ(p.m_nameValues.size(), 2u);
  EXPECT_EQ(p.m_nameValues[0], 0x40A00000u);  // the first value stays
}

TEST(CalculateInfoTest, AddVariableChoosesTheTable) {
  CCalculateInfo p;
  EXPECT_EQ(p.AddVariable(p.m_arena.NewRecord(OP_VARIABLE, 2), false), 0);
  EXPECT_EQ(p.AddVariable(p.m_arena.NewRecord(OP_VARIABLE, 2), false), 1);
  EXPECT_EQ(p.AddVariable(p.m_arena.NewRecord(OP_VARIABLE, 2), true), 0);
  EXPECT_EQ(p.m_stmtVars.size(), 2u);
  EXPECT_EQ(p.m_outputVars.size(), 1u);
}

class OutputLookupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    b.FieldVar(4, false);  // a statement variable, so that output indexes differ
    const Operand v = b.SeriesVar(OPK_OUTPUT_SERIES, 3, true);
    b.Output(500, {v, Num(1.0f), Param(0)});
    ExprArena& arena = b.Program().m_arena;
    // An output statement whose record has no function id.
    Statement* s = arena.NewStatement();
    s->stmtKind = STMT_OUTPUT;
    s->targetKind = OPK_NUMBER;
    s->exprKind = OPK_RECORD;
    s->expr = ProgramBuilder::Record(OP_CALL, {Num(1.0f)}).value;
    ASSERT_TRUE(arena.Adopt(s->expr.Record()));
    b.Program().m_outputs.push_back(s);
    // An assignment standing among the outputs.
    Statement* a = arena.NewStatement();
    a->stmtKind = STMT_ASSIGN;
    a->exprKind = OPK_RECORD;
    a->expr = ProgramBuilder::Call(500, {v}).value;
    ASSERT_TRUE(arena.Adopt(a->expr.Record()));
    b.Program().m_outputs.push_back(a);
    b.Program().m_outputs.push_back(nullptr);
  }
  ProgramBuilder b;
};

TEST_F(OutputLookupTest, OutputRecordNeedsAnOutputStatementWithAFunctionId) {
  const CCalculateInfo& p = b.Program();
  ASSERT_NE(p.FindOutputRecord(0), nullptr);
  EXPECT_EQ(p.FindOutputRecord(0)->values[0].Int32(), 500);
  EXPECT_EQ(p.FindOutputRecord(1), nullptr);
  EXPECT_EQ(p.FindOutputRecord(2), nullptr);
  EXPECT_EQ(p.FindOutputRecord(3), nullptr);
  EXPECT_EQ(p.FindOutputRecord(4), nullptr);
  EXPECT_EQ(p.FindOutputRecord(-1), nullptr);
}

TEST_F(OutputLookupTest, SeriesKeyOnlyForVariableElements) {
  const CCalculateInfo& p = b.Program();
  const ExprRecord* r = p.FindOutputRecord(0);
  SeriesKey key;
  ASSERT_TRUE(p.FindOutputSeriesKey(r, 1, &key));
  EXPECT_EQ(key.kind, OPK_OUTPUT_SERIES);
  EXPECT_EQ(key.slot, 3);
  EXPECT_FALSE(p.FindOutputSeriesKey(r, 0, &key));  // the function id
  EXPECT_FALSE(p.FindOutputSeriesKey(r, 2, &key));  // a number
  EXPECT_FALSE(p.FindOutputSeriesKey(r, 3, &key));  // a parameter
  EXPECT_FALSE(p.FindOutputSeriesKey(r, 4, &key));  // beyond the record
  // An OPK_VAR beyond m_outputVars.
  r->values[1] = OperandValue::FromIndex(5);
  EXPECT_FALSE(p.FindOutputSeriesKey(r, 1, &key));
}

TEST(CalculateInfoTest, DefiningAssignmentIsTheFirstMatchOnKindAndFullPayload) {
  ProgramBuilder b;
  b.Expression(b.SeriesVar(OPK_VAR_SERIES, 1));  // 0: defines nothing
  b.Assign(OPK_VAR_SERIES, 0, Num(1.0f));        // 1
  b.Assign(OPK_OUTPUT_SERIES, 1, Num(2.0f));     // 2
  b.Assign(OPK_VAR_SERIES, 1, Num(3.0f));        // 3
  b.Assign(OPK_VAR_SERIES, 1, Num(4.0f));        // 4: a later duplicate
  const CCalculateInfo& p = b.Program();
  EXPECT_EQ(p.FindDefiningAssignment(OPK_VAR_SERIES, 0), 1);
  EXPECT_EQ(p.FindDefiningAssignment(OPK_OUTPUT_SERIES, 1), 2);
  EXPECT_EQ(p.FindDefiningAssignment(OPK_VAR_SERIES, 1), 3);
  EXPECT_EQ(p.FindDefiningAssignment(OPK_VAR_SERIES, 1ull | (1ull << 32)), -1);
  EXPECT_EQ(p.FindDefiningAssignment(OPK_VAR_SERIES, 2), -1);
}

}  // namespace
