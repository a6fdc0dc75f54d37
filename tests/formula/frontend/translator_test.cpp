// Translation of the intermediate script into the compiled program.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "formula/eval/calculate_info.h"
#include "formula/eval/function_table.h"
#include "formula/frontend/znz_parser.h"
#include "support/frontend_support.h"

namespace {

struct Translated {
  std::unique_ptr<ParseContext> context;
  std::unique_ptr<CCalculateInfo> program = std::make_unique<CCalculateInfo>();
  CZNZParser translator;
  int32_t result = -100;
};

// Analyses a formula and translates its script.
std::unique_ptr<Translated> TranslateFormula(const std::string& text, const std::vector<std::string>& names = {},
                                             const std::vector<float>& values = {}) {
  auto t = std::make_unique<Translated>();
  t->context = AnalyseFormula(text, names, values);
  EXPECT_TRUE(t->context->syntaxOk()) << text << " code " << t->context->Error().errorCode();
  t->result = t->translator.Translate(t->context.get(), t->program.get());
  return t;
}

// Translates a hand-written script with the given name lists.
std::unique_ptr<Translated> TranslateScript(const std::string& script, const std::vector<std::string>& variables,
                                            const std::vector<std::string>& outputs,
                                            const std::vector<std::string>& fields = {"close"}) {
  auto t = std::make_unique<Translated>();
  ScriptOutput source;
  source.script = script;
  source.summaryVariableNames = variables;
  source.summaryOutputNames = outputs;
  source.summaryFieldNames = fields;
  t->result = t->translator.Translate(source, t->program.get());
  return t;
}

const ExprRecord* RecordOf(OperandKind kind, OperandValue value) {
  return kind == OPK_RECORD ? value.Record() : nullptr;
}

// Element 0 (kind, slot) of variable record i of a table.
std::pair<int32_t, int32_t> Identity(const std::vector<ExprRecord*>& table, OperandValue index) {
  const ExprRecord* r = table.at(static_cast<size_t>(index.Index()));
  return {r->kinds[0], r->values[0].Int32()};
}

TEST(Translator, MovingAverageOutput) {
  auto t = TranslateFormula("ma5:ma(c,5);");
  ASSERT_EQ(t->result, 0);
  const CCalculateInfo& p = *t->program;
  EXPECT_EQ(p.m_fieldIds, std::vector<int32_t>{4});
  ASSERT_EQ(p.m_assignments.size(), 1u);
  const Statement* assign = p.m_assignments[0];
  EXPECT_EQ(assign->stmtKind, STMT_ASSIGN);
  ASSERT_EQ(assign->targetKind, OPK_VAR);
  EXPECT_EQ(Identity(p.m_stmtVars, assign->target), std::make_pair(4, 0));
  const ExprRecord* call = RecordOf(assign->exprKind, assign->expr);
  ASSERT_NE(call, nullptr);
  EXPECT_EQ(call->op, OP_CALL_STATE);
  ASSERT_EQ(call->count, 4);
  EXPECT_EQ(call->kinds[0], OPK_FUNC_ID);
  EXPECT_EQ(call->values[0].Int32(), 140);
  EXPECT_EQ(call->kinds[1], OPK_STATE);
  EXPECT_EQ(call->values[1].Low32(), 0xFFFF0001u);  // block 1, no second block
  EXPECT_EQ(call->kinds[2], OPK_VAR);
  EXPECT_EQ(Identity(p.m_stmtVars, call->values[2]), std::make_pair(static_cast<int32_t>(OPK_FIELD), 0));
  EXPECT_EQ(call->kinds[3], OPK_NUMBER);
  EXPECT_EQ(call->values[3].Float(), 5.0f);

  ASSERT_EQ(p.m_outputs.size(), 1u);
  const Statement* out = p.m_outputs[0];
  EXPECT_EQ(out->stmtKind, STMT_OUTPUT);
  EXPECT_EQ(out->targetKind, OPK_NUMBER);
  EXPECT_EQ(out->target.Int32(), 0);
  const ExprRecord* curve = RecordOf(out->exprKind, out->expr);
  ASSERT_NE(curve, nullptr);
  ASSERT_EQ(curve->count, 4);
  EXPECT_EQ(curve->values[0].Int32(), 500);
  EXPECT_EQ(curve->kinds[1], OPK_VAR);
  EXPECT_EQ(Identity(p.m_outputVars, curve->values[1]), std::make_pair(4, 0));
  const ExprRecord* rgb = RecordOf(curve->kinds[2], curve->values[2]);
  ASSERT_NE(rgb, nullptr);
  EXPECT_EQ(rgb->values[0].Int32(), 499);
  EXPECT_EQ(rgb->count, 4);
  EXPECT_EQ(rgb->values[1].Float(), 254.0f);
  EXPECT_EQ(curve->kinds[3], OPK_NUMBER);
  EXPECT_EQ(curve->values[3].Float(), 1.0f);
  ASSERT_EQ(t->translator.HistoryNeeds().size(), 1u);
  EXPECT_EQ(t->translator.HistoryNeeds()[0].kind, 1);
  EXPECT_EQ(t->translator.HistoryNeeds()[0].amount, 5.0f);
  EXPECT_FALSE(p.m_extendHistory);
}

TEST(Translator, HiddenSeriesVariableOfEma) {
  auto t = TranslateFormula("x:=c;a:ema(c,n);", {"n"}, {12.0f});
  ASSERT_EQ(t->result, 0);
  const CCalculateInfo& p = *t->program;
  const ExprRecord* call = RecordOf(p.m_assignments[1]->exprKind, p.m_assignments[1]->expr);
  ASSERT_NE(call, nullptr);
  EXPECT_EQ(call->op, OP_CALL);
  ASSERT_EQ(call->count, 4);
  EXPECT_EQ(call->values[0].Int32(), 144);
  EXPECT_EQ(call->kinds[1], OPK_VAR);
  // one formula variable, so the first hidden series takes slot 1
  EXPECT_EQ(Identity(p.m_stmtVars, call->values[1]), std::make_pair(5, 1));
  EXPECT_EQ(call->kinds[3], OPK_PARAM);
  EXPECT_EQ(call->values[3].Int32(), 0);
  EXPECT_EQ(p.m_stateCounter, 2);  // one variable plus the hidden series
  EXPECT_TRUE(p.m_extendHistory);
  EXPECT_EQ(t->translator.HistoryNeeds().at(0).kind, 2);
  EXPECT_EQ(t->translator.HistoryNeeds().at(0).amount, 0.0f);
}

TEST(Translator, SarGetsOwnSeriesBeforeItsStateHandle) {
  auto t = TranslateFormula("s:sar(10,2,20);");
  ASSERT_EQ(t->result, 0);
  const ExprRecord* call = RecordOf(t->program->m_assignments[0]->exprKind, t->program->m_assignments[0]->expr);
  ASSERT_NE(call, nullptr);
  EXPECT_EQ(call->op, OP_CALL_STATE);
  ASSERT_EQ(call->count, 6);
  EXPECT_EQ(call->kinds[1], OPK_VAR);
  EXPECT_EQ(call->kinds[2], OPK_STATE);
  EXPECT_EQ(call->values[2].Low32(), 0xFFFF0001u);
  EXPECT_EQ(t->program->m_stateCounter, 2);
}

TEST(Translator, StateBlocksCountAfterTheVariables) {
  auto t = TranslateFormula("a:=c;b:=o;x:ma(a,5)+hhv(b,3)+backset(c>o,2);");
  ASSERT_EQ(t->result, 0);
  const CCalculateInfo& p = *t->program;
  const ExprRecord* sum = RecordOf(p.m_assignments[2]->exprKind, p.m_assignments[2]->expr);
  ASSERT_NE(sum, nullptr);
  const ExprRecord* left = RecordOf(sum->kinds[0], sum->values[0]);  // ma + hhv
  const ExprRecord* ma = RecordOf(left->kinds[0], left->values[0]);
  const ExprRecord* hhv = RecordOf(left->kinds[1], left->values[1]);
  const ExprRecord* backset = RecordOf(sum->kinds[1], sum->values[1]);
  EXPECT_EQ(ma->values[1].Low32(), 0xFFFF0003u);
  EXPECT_EQ(hhv->values[1].Low32(), 0xFFFF0004u);
  EXPECT_EQ(backset->values[1].Low32(), 0xFFFF0005u);
  EXPECT_EQ(p.m_resetStateBlocks, std::set<int32_t>{static_cast<int32_t>(0xFFFF0005u)});
  EXPECT_TRUE(p.m_recalcAll);
  EXPECT_TRUE(p.m_extendForward);
  EXPECT_EQ(p.m_resetSlots4.count(0), 1u);  // x uses backset: recomputed over the whole range
}

TEST(Translator, OutputStatementsNumberTheirOwnStateBlocks) {
  auto t = TranslateScript(
      "X=CLOSE;\r\n.CURVELINE(X,RGB(254,254,254),1);\r\nSTICK(X,X,X,X,X,RGB(1,2,3),1,PLOYSTICK);\r\n", {}, {"X"});
  ASSERT_EQ(t->result, 0);
  ASSERT_EQ(t->program->m_outputs.size(), 2u);
  const ExprRecord* stick = RecordOf(t->program->m_outputs[1]->exprKind, t->program->m_outputs[1]->expr);
  ASSERT_NE(stick, nullptr);
  EXPECT_EQ(stick->values[0].Int32(), 507);
  EXPECT_EQ(stick->count, 9);
  EXPECT_EQ(stick->kinds[8], OPK_NUMBER);
  EXPECT_EQ(stick->values[8].Low32(), 0x01000001u);  // PLOYSTICK, bits kept as they are
  auto withState = TranslateScript("X=CLOSE;\r\nSTICK(X,MA(X,2),X,X,X,RGB(1,2,3),1,PLOYSTICK);\r\n", {}, {"X"});
  ASSERT_EQ(withState->result, 0);
  EXPECT_EQ(withState->program->m_outputs[0]->target.Int32(), 1);  // one block, numbered from 1
  EXPECT_EQ(withState->program->m_stateCounter, 0);                // restored after the output
}

TEST(Translator, ReferenceNeeds) {
  auto t = TranslateFormula("a:ref(c,n);b:a+ref(c,20);d:xma(c,10);e:c;", {"n"}, {10.0f});
  ASSERT_EQ(t->result, 0);
  const auto& needs = t->translator.HistoryNeeds();
  ASSERT_EQ(needs.size(), 4u);
  EXPECT_EQ(needs[0].kind, 1);
  EXPECT_EQ(needs[0].amount, 10.0f);
  EXPECT_EQ(needs[1].kind, 1);
  EXPECT_EQ(needs[1].amount, 20.0f);
  EXPECT_EQ(needs[2].kind, 1);
  EXPECT_EQ(needs[2].amount, 5.0f);  // xma looks half its period back
  EXPECT_EQ(needs[3].kind, 0);
  auto runtime = TranslateFormula("a:ref(c,c);");
  EXPECT_EQ(runtime->translator.HistoryNeeds().at(0).kind, 3);
}

TEST(Translator, NumbersAndTexts) {
  auto joined = TranslateFormula("x:1 2;");
  ASSERT_EQ(joined->result, 0);
  const Statement* s = joined->program->m_assignments[0];
  EXPECT_EQ(s->exprKind, OPK_NUMBER);
  EXPECT_EQ(s->expr.Float(), 12.0f);
  auto negative = TranslateFormula("a:c*-1;");
  EXPECT_EQ(negative->result, 0);
  auto percent = TranslateFormula("drawtext(c>o,l,'50%%');");
  ASSERT_EQ(percent->result, 0);
  EXPECT_EQ(percent->program->m_texts, std::vector<std::string>{"50%%"});
  auto joinedText = TranslateScript("X=\"A\" \r\n \"B\";", {}, {"X"});
  ASSERT_EQ(joinedText->result, 0);
  EXPECT_EQ(joinedText->program->m_texts, std::vector<std::string>{"AB"});
  EXPECT_EQ(joinedText->translator.LineCount(), 1);
}

class TranslatorFailureTest : public testing::TestWithParam<const char*> {};

TEST_P(TranslatorFailureTest, Fails) {
  auto t = TranslateFormula(GetParam());
  EXPECT_NE(t->result, 0) << GetParam();
}

INSTANTIATE_TEST_SUITE_P(Formulas, TranslatorFailureTest,
                         testing::Values("a:c*-o;", "a:.5;", "a:5.*c;", "x:1.2.3;", "x:c o;", "drawtext(c>o,l,'up%');",
                                         "x#:=1;y:x#;", "x:ema(c,5)+stickline(c,c,c,c,c);"));

TEST(Translator, ScriptEdges) {
  EXPECT_EQ(TranslateScript("", {}, {})->result, 0);
  EXPECT_EQ(TranslateScript("  X=1;\r\n", {}, {"X"})->result, 0);
  EXPECT_EQ(TranslateScript("X=MA(CLOSE);", {}, {"X"})->result, 4);  // the call check fails
  EXPECT_NE(TranslateScript("X=1", {}, {"X"})->result, 0);
  EXPECT_NE(TranslateScript("X=;", {}, {"X"})->result, 0);
  EXPECT_NE(TranslateScript("X=(1;", {}, {"X"})->result, 0);
  EXPECT_NE(TranslateScript("X=(STICK(1,1,1,1,1));", {}, {"X"})->result, 0);
  EXPECT_NE(TranslateScript("X=1=<2;", {}, {"X"})->result, 0);
  EXPECT_EQ(TranslateScript("(1+2)*3;", {}, {})->result, 0);
  std::string deep = "X=" + std::string(500, '(') + "1" + std::string(500, ')') + ";";
  EXPECT_NE(TranslateScript(deep, {}, {"X"})->result, 0);  // nesting is bounded
  CZNZParser translator;
  EXPECT_EQ(translator.Translate(nullptr, nullptr), 4);
}

TEST(Translator, PrecedenceAndAssociativity) {
  auto t = TranslateScript("X=1-2-3*4>5|6&7;", {}, {"X"});
  ASSERT_EQ(t->result, 0);
  // ((((1-2)-(3*4))>5) | (6&7))
  const ExprRecord* top = RecordOf(t->program->m_assignments[0]->exprKind, t->program->m_assignments[0]->expr);
  ASSERT_NE(top, nullptr);
  EXPECT_EQ(top->op, OP_OR);
  const ExprRecord* gt = RecordOf(top->kinds[0], top->values[0]);
  const ExprRecord* andOp = RecordOf(top->kinds[1], top->values[1]);
  EXPECT_EQ(gt->op, OP_GT);
  EXPECT_EQ(andOp->op, OP_AND);
  const ExprRecord* sub = RecordOf(gt->kinds[0], gt->values[0]);
  EXPECT_EQ(sub->op, OP_SUB);
  const ExprRecord* inner = RecordOf(sub->kinds[0], sub->values[0]);
  EXPECT_EQ(inner->op, OP_SUB);  // left-associative
  EXPECT_EQ(RecordOf(sub->kinds[1], sub->values[1])->op, OP_MUL);
}

// c - reverse(o) is c - (0 - o), and 2 * reverse(c) is 2 * (0 - c).
TEST(Translator, ReverseNegatesItsArgumentAfterAnyOperator) {
  const std::pair<const char*, int32_t> cases[] = {
      {"x:c-reverse(o);", OP_SUB}, {"x:2*reverse(c);", OP_MUL}, {"x:c/reverse(o);", OP_DIV}};
  for (const auto& c : cases) {
    auto t = TranslateFormula(c.first);
    ASSERT_EQ(t->result, 0) << c.first;
    const Statement* assign = t->program->m_assignments.at(0);
    const ExprRecord* top = RecordOf(assign->exprKind, assign->expr);
    ASSERT_NE(top, nullptr) << c.first;
    EXPECT_EQ(top->op, c.second) << c.first;
    EXPECT_NE(top->kinds[0], OPK_RECORD) << c.first;  // the left operand stands alone
    const ExprRecord* negation = RecordOf(top->kinds[1], top->values[1]);
    ASSERT_NE(negation, nullptr) << c.first;
    EXPECT_EQ(negation->op, OP_SUB) << c.first;
    EXPECT_EQ(negation->kinds[0], OPK_NUMBER) << c.first;
    EXPECT_EQ(negation->values[0].Float(), 0.0f) << c.first;
    EXPECT_EQ(negation->kinds[1], OPK_VAR) << c.first;
  }
}

}  // namespace
