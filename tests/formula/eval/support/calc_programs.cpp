#include "support/calc_programs.h"

#include "support/bar_provider.h"

TestOperand Num(float f) { return {OPK_NUMBER, OperandValue::FromFloat(f)}; }

TestOperand Text(int32_t index) {
    return {OPK_STRING, OperandValue::FromInt32(index)};
}

TestOperand Var(int64_t index) { return {OPK_VAR, OperandValue::FromIndex(index)}; }

ProgramBuilder::ProgramBuilder() : m_program(std::make_unique<CCalculateInfo>()) {}

int32_t ProgramBuilder::AddVariable(OperandKind kind, int32_t slot, bool toOutputs) {
    ExprRecord* record = NewExprRecord(OP_VARIABLE, 2);
    record->kinds[0] = kind;
    record->values[0] = OperandValue::FromInt32(slot);
    record->kinds[1] = OPK_NUMBER;
    record->values[1] = OperandValue::FromFloat(0.0f);
    return m_program->AddVariable(record, toOutputs);
}

TestOperand ProgramBuilder::Field(int32_t fieldId) {
    m_program->m_fieldIds.push_back(fieldId);
    const int32_t index = static_cast<int32_t>(m_program->m_fieldIds.size()) - 1;
    return Var(AddVariable(OPK_FIELD, index, false));
}

TestOperand ProgramBuilder::Define(OperandKind kind, int32_t slot, TestOperand expr) {
    const int32_t var = AddVariable(kind, slot, false);
    auto* s = new Statement;
    s->stmtKind = STMT_ASSIGN;
    s->targetKind = OPK_VAR;
    s->target = OperandValue::FromIndex(var);
    s->exprKind = expr.kind;
    s->expr = expr.value;
    m_program->m_assignments.push_back(s);
    return Var(var);
}

TestOperand ProgramBuilder::Op(int32_t op, TestOperand a, TestOperand b) {
    ExprRecord* record = NewExprRecord(op, 2);
    record->kinds[0] = a.kind;
    record->values[0] = a.value;
    record->kinds[1] = b.kind;
    record->values[1] = b.value;
    return {OPK_RECORD, OperandValue::FromRecord(record)};
}

TestOperand ProgramBuilder::OutputSeries(OperandKind kind, int32_t slot) {
    return Var(AddVariable(kind, slot, true));
}

void ProgramBuilder::Output(int32_t drawId, const std::vector<TestOperand>& args) {
    ExprRecord* record = NewExprRecord(OP_CALL, 1);
    record->kinds[0] = OPK_FUNC_ID;
    record->values[0] = OperandValue::FromInt32(drawId);
    for (const TestOperand& arg : args) AppendElement(record, arg.kind, arg.value);
    auto* s = new Statement;
    s->stmtKind = STMT_OUTPUT;
    s->targetKind = OPK_NUMBER;
    s->target = OperandValue::FromInt32(0);
    s->exprKind = OPK_RECORD;
    s->expr = OperandValue::FromRecord(record);
    m_program->m_outputs.push_back(s);
}

std::unique_ptr<CCalculateInfo> MakeLineProgram() {
    ProgramBuilder b;
    const TestOperand close = b.Field(kClose);
    const TestOperand open = b.Field(kOpen);
    const TestOperand high = b.Field(kHigh);
    const TestOperand low = b.Field(kLow);
    b.Define(OPK_OUTPUT_SERIES, 0, b.Op(OP_ADD, b.Op(OP_MUL, close, Num(2.0f)), open));
    b.Define(OPK_OUTPUT_SERIES, 1, b.Op(OP_SUB, high, low));
    b.Output(500, {b.OutputSeries(OPK_OUTPUT_SERIES, 0)});
    b.Output(500, {b.OutputSeries(OPK_OUTPUT_SERIES, 1)});
    return b.Take();
}

double LineOracle(int32_t bar) {
    return BarProvider::Price(kClose, bar) * 2.0 + BarProvider::Price(kOpen, bar);
}

std::unique_ptr<CCalculateInfo> MakeTextProgram() {
    ProgramBuilder b;
    const TestOperand close = b.Field(kClose);
    const TestOperand open = b.Field(kOpen);
    const TestOperand high = b.Field(kHigh);
    const TestOperand low = b.Field(kLow);
    b.Program().m_texts.push_back("up");
    b.Define(OPK_VAR_SERIES, 0, b.Op(OP_GT, close, open));
    b.Define(OPK_VAR_SERIES, 1, b.Op(OP_ADD, high, Num(0.0f)));
    b.Define(OPK_VAR_SERIES, 2, Text(0));
    b.Define(OPK_OUTPUT_SERIES, 1, b.Op(OP_ADD, low, Num(0.0f)));
    b.Output(509, {b.OutputSeries(OPK_VAR_SERIES, 0), b.OutputSeries(OPK_VAR_SERIES, 1),
                   b.OutputSeries(OPK_VAR_SERIES, 2)});
    b.Output(500, {b.OutputSeries(OPK_OUTPUT_SERIES, 1)});
    return b.Take();
}
