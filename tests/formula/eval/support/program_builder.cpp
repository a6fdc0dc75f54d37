#include "support/program_builder.h"

#include "abacor/data_provider.h"
#include "formula/eval/evaluator.h"
#include "formula/eval/value.h"

Operand Num(float v) { return {OPK_NUMBER, OperandValue::FromFloat(v)}; }
Operand Param(int32_t index) { return {OPK_PARAM, OperandValue::FromInt32(index)}; }
Operand Text(int32_t index) { return {OPK_STRING, OperandValue::FromInt32(index)}; }
Operand Zero() { return {}; }
Operand Raw(OperandKind kind, uint64_t bits) { return {kind, OperandValue{bits}}; }

ProgramBuilder::ProgramBuilder() : m_program(new CCalculateInfo) {}

int32_t ProgramBuilder::FieldIndex(int32_t fieldId) {
  std::vector<int32_t>& ids = m_program->m_fieldIds;
  for (size_t i = 0; i < ids.size(); ++i) {
    if (ids[i] == fieldId) return static_cast<int32_t>(i);
  }
  ids.push_back(fieldId);
  return static_cast<int32_t>(ids.size() - 1);
}

Operand ProgramBuilder::RawVar(OperandKind kind, uint64_t bits, bool outputs) {
  ExprRecord* r = m_program->m_arena.NewRecord(OP_VARIABLE, 2);
  r->kinds[0] = kind;
  r->values[0] = OperandValue{bits};
  r->kinds[1] = OPK_NUMBER;
  r->values[1] = OperandValue::FromFloat(0.0f);
  const int32_t index = m_program->AddVariable(r, outputs);
  return {OPK_VAR, OperandValue::FromIndex(index)};
}

Operand ProgramBuilder::FieldVar(int32_t fieldId, bool outputs) {
  return RawVar(OPK_FIELD, static_cast<uint32_t>(FieldIndex(fieldId)), outputs);
}

Operand ProgramBuilder::SeriesVar(int32_t kind, int32_t slot, bool outputs) {
  return RawVar(static_cast<OperandKind>(kind), static_cast<uint32_t>(slot), outputs);
}

Operand ProgramBuilder::Record(int32_t op, const std::vector<Operand>& elements) {
  ExprRecord* r = NewExprRecord(op, static_cast<int32_t>(elements.size()));
  for (size_t i = 0; i < elements.size(); ++i) {
    r->kinds[i] = elements[i].kind;
    r->values[i] = elements[i].value;
  }
  return {OPK_RECORD, OperandValue::FromRecord(r)};
}

Operand ProgramBuilder::Op(int32_t op, Operand a, Operand b) { return Record(op, {a, b}); }

Operand ProgramBuilder::Call(int32_t id, const std::vector<Operand>& args) {
  std::vector<Operand> elements{{OPK_FUNC_ID, OperandValue::FromInt32(id)}};
  elements.insert(elements.end(), args.begin(), args.end());
  return Record(OP_CALL, elements);
}

Operand ProgramBuilder::CallState(int32_t id, uint32_t handle, const std::vector<Operand>& args) {
  std::vector<Operand> elements{{OPK_FUNC_ID, OperandValue::FromInt32(id)},
                                {OPK_STATE, OperandValue::FromLow32(handle)}};
  elements.insert(elements.end(), args.begin(), args.end());
  return Record(OP_CALL_STATE, elements);
}

Operand ProgramBuilder::CallSlot(int32_t slot, const std::vector<Operand>& args) {
  std::vector<Operand> elements{{OPK_FUNC_SLOT, OperandValue::FromInt32(slot)}};
  elements.insert(elements.end(), args.begin(), args.end());
  return Record(OP_CALL, elements);
}

Statement* ProgramBuilder::Adopt(const Operand& expr) {
  if (expr.kind == OPK_RECORD) m_program->m_arena.Adopt(expr.value.Record());
  return m_program->m_arena.NewStatement();
}

int32_t ProgramBuilder::Assign(int32_t kind, int32_t slot, Operand expr) {
  const Operand target = SeriesVar(kind, slot, false);
  Statement* s = Adopt(expr);
  s->stmtKind = STMT_ASSIGN;
  s->target = target.value;
  s->targetKind = OPK_VAR;
  s->expr = expr.value;
  s->exprKind = expr.kind;
  m_program->m_assignments.push_back(s);
  return static_cast<int32_t>(m_program->m_assignments.size() - 1);
}

int32_t ProgramBuilder::Expression(Operand expr) {
  Statement* s = Adopt(expr);
  s->stmtKind = STMT_ASSIGN;
  s->expr = expr.value;
  s->exprKind = expr.kind;
  m_program->m_assignments.push_back(s);
  return static_cast<int32_t>(m_program->m_assignments.size() - 1);
}

int32_t ProgramBuilder::Output(int32_t drawId, const std::vector<Operand>& args, int32_t stateBlocks) {
  const Operand call = Call(drawId, args);
  Statement* s = Adopt(call);
  s->stmtKind = STMT_OUTPUT;
  s->target = OperandValue::FromInt32(stateBlocks);
  s->targetKind = OPK_NUMBER;
  s->expr = call.value;
  s->exprKind = OPK_RECORD;
  m_program->m_outputs.push_back(s);
  return static_cast<int32_t>(m_program->m_outputs.size() - 1);
}

namespace {

int32_t ProviderBarCount(IIndexDataProvider& provider) {
  int32_t n = 0;
  provider.GetBarCount(&n);
  return n;
}

}  // namespace

TestRun::TestRun(CCalculateInfo& program, IIndexDataProvider& provider) : store(ProviderBarCount(provider)) {
  ctx.store = &store;
  ctx.dataProvider = &provider;
  ctx.program = &program;
  ctx.scalarCache = &scalarCache;
  ctx.cancelFlag = &cancel;
  ctx.barCount = store.BarCount();
  int32_t total = 0;
  provider.GetTotalBarCount(&total);
  ctx.totalBarCount = total;
  provider.GetPeriod(&ctx.periodType, &ctx.periodMult);
  ctx.rangeFirst = 0;
  ctx.rangeLast = ctx.barCount - 1;
}

int32_t TestRun::Eval(const Operand& op, int32_t bar, double* out, int32_t offset, bool outputs) {
  ctx.bar = bar;
  if (outputs) return EvaluateOutputOperand(&ctx, op.kind, op.value, out, offset);
  return EvaluateOperand(&ctx, op.kind, op.value, out, offset);
}

double TestRun::Cell(int32_t kind, int32_t slot, int32_t bar) {
  const double* cells = store.GetSeries(kind, slot, false, 0);
  return cells == nullptr ? UNCOMPUTED : cells[bar];
}
