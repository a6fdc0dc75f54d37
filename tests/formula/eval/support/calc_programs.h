#pragma once
// Hand-built programs for calculator tests, shaped as the translator shapes
// them: each output argument is a variable of m_outputVars whose series is
// defined by an assignment over m_stmtVars.
#include <cstdint>
#include <memory>
#include <vector>

#include "formula/eval/calculate_info.h"

struct TestOperand {
    OperandKind kind;
    OperandValue value;
};

TestOperand Num(float f);
TestOperand Text(int32_t index);
TestOperand Var(int64_t index);

class ProgramBuilder {
public:
    ProgramBuilder();

    // A variable of m_stmtVars naming data field fieldId.
    TestOperand Field(int32_t fieldId);
    // Defines series (kind, slot) as expr; returns its m_stmtVars variable.
    TestOperand Define(OperandKind kind, int32_t slot, TestOperand expr);
    // An operator record over two operands.
    TestOperand Op(int32_t op, TestOperand a, TestOperand b);
    // An output statement of drawId whose arguments are the given elements:
    // a series key becomes an OPK_VAR into m_outputVars, other operands stay.
    void Output(int32_t drawId, const std::vector<TestOperand>& args);
    // An m_outputVars variable naming series (kind, slot).
    TestOperand OutputSeries(OperandKind kind, int32_t slot);

    CCalculateInfo& Program() { return *m_program; }
    std::unique_ptr<CCalculateInfo> Take() { return std::move(m_program); }

private:
    int32_t AddVariable(OperandKind kind, int32_t slot, bool toOutputs);

    std::unique_ptr<CCalculateInfo> m_program;
};

// Field ids used by the programs below.
constexpr int32_t kHigh = 1;
constexpr int32_t kOpen = 2;
constexpr int32_t kLow = 3;
constexpr int32_t kClose = 4;

// Output 0: `.CURVELINE` of CLOSE * 2 + OPEN (series (4, 0)).
// Output 1: `.CURVELINE` of HIGH - LOW (series (4, 1)).
std::unique_ptr<CCalculateInfo> MakeLineProgram();
double LineOracle(int32_t bar);

// Output 0: DRAWTEXT(CLOSE > OPEN, HIGH, 'up'): condition (5, 0), price (5, 1), text (5, 2).
// Output 1: `.CURVELINE` of LOW (series (4, 1)).
std::unique_ptr<CCalculateInfo> MakeTextProgram();
