#pragma once
// The evaluator: turns operands of the compiled program into numbers at one
// bar, computing variable series lazily and memoising every cell in the store.
#include <cstdint>

#include "formula/eval/calc_context.h"
#include "formula/eval/calculate_info.h"
#include "formula/eval/value.h"

// Evaluates one operand for bar ctx->bar - offset into *out. Its OPK_VAR
// operands index the table of the evaluation in progress (m_stmtVars unless
// inside EvaluateOutputOperand).
int32_t EvaluateOperand(CalcContext* ctx, OperandKind kind, OperandValue value, double* out, int32_t offset);

// EvaluateOperand for an operand of an output record: its OPK_VAR operands
// index m_outputVars; the series it needs are computed by their assignments
// over m_stmtVars.
int32_t EvaluateOutputOperand(CalcContext* ctx, OperandKind kind, OperandValue value, double* out, int32_t offset);

// Variable i of m_stmtVars for bar ctx->bar - offset, whatever evaluation is
// in progress.
int32_t EvaluateStatementVariable(CalcContext* ctx, int64_t i, double* out, int32_t offset);

// Calls the built-in that element 0 of an OP_CALL / OP_CALL_STATE record names.
// *out is INVALID_VALUE unless the built-in writes a value.
int32_t CallBuiltin(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);

// Evaluates an assignment at ctx->bar and stores the value in its target's series.
int32_t RunAssignment(CalcContext* ctx, const Statement* s);

// Runs the assignment that defines series (kind, slot) at ctx->bar; EVAL_OK
// without touching anything when no assignment defines it.
int32_t ComputeSeriesAt(CalcContext* ctx, OperandKind kind, int32_t slot);

// Stores a built-in's result into its own result series: variable i of
// m_stmtVars at bar ctx->bar - offset. Any failed condition skips the write.
void WriteBack(CalcContext* ctx, int64_t i, int32_t offset, double value);
