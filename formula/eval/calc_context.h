#pragma once
// The evaluation context of one run: what the calculator hands to every
// evaluation and every built-in, and the form every built-in has.
#include <atomic>
#include <cstdint>
#include <map>

#include "formula/eval/calculate_info.h"

class SeriesStore;
class IIndexDataProvider;
class AssignmentIndex;

// The variable table an OPK_VAR operand indexes.
enum class VariableTable : uint8_t {
  kStatements,  // m_stmtVars: the variables of the assignments
  kOutputs,     // m_outputVars: the variables of the output records
};

struct CalcContext {
  SeriesStore* store = nullptr;                      // per-series arrays of this run
  IIndexDataProvider* dataProvider = nullptr;        // the host's bar data
  CCalculateInfo* program = nullptr;                 // the compiled program
  std::map<int32_t, double>* scalarCache = nullptr;  // scalar fields (ids 501..1000) of this run
  // When it points to true every evaluation returns EVAL_BAD_ARGUMENT at once.
  // Atomic because Stop sets it from another thread without a lock.
  const std::atomic<bool>* cancelFlag = nullptr;
  int32_t barCount = 0;       // bars available, from the provider
  int32_t totalBarCount = 0;  // bars of the instrument; the last bar is totalBarCount - 1
  int32_t periodType = 3;     // bar period type from the provider
  int32_t periodMult = 1;     // bar period multiplier from the provider
  double defaultValue = 0.0;  // value of a data field with an id outside 1..1000
  int32_t bar = -1;           // the bar being computed
  int32_t rangeFirst = -1;    // calculated range of this run
  int32_t rangeLast = -1;
  // Columns from a bulk-read provider by index into the program's m_fieldIds
  // (a null entry: that field is read through dataProvider), holding bars
  // 0 to columnBars - 1 as the host gave them.
  const double* const* fieldColumns = nullptr;
  int32_t fieldColumnCount = 0;
  int32_t columnBars = 0;

  // Optional: where each series is defined, built once per program. Without
  // it the defining assignment is found by walking m_assignments.
  const AssignmentIndex* assignmentIndex = nullptr;
  // Evaluation bookkeeping; the evaluator maintains these, callers leave them 0.
  int32_t evalDepth = 0;    // nested EvaluateOperand calls
  int32_t seriesDepth = 0;  // nested series cells being computed
  // The table of the evaluation in progress: m_outputVars inside
  // EvaluateOutputOperand, m_stmtVars everywhere else (and inside the
  // assignments that compute series cells for an output).
  VariableTable variables = VariableTable::kStatements;
  // Highest bar at which this run computed a series cell or called a
  // built-in (-1: none), so the calculator knows how far cells may be set.
  int32_t highestCell = -1;

  void NoteCell(int64_t cellBar) {
    if (cellBar > highestCell) highestCell = static_cast<int32_t>(cellBar);
  }

  bool Cancelled() const { return cancelFlag != nullptr && cancelFlag->load(std::memory_order_relaxed); }
};

// Every built-in has this form: computes the value of `call` at bar
// ctx->bar - offset into *out and returns EVAL_OK or EVAL_BAD_ARGUMENT.
using BuiltinFn = int32_t (*)(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
