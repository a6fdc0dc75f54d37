#include "formula/eval/evaluator.h"

#include <cmath>
#include <exception>

#include "abacor/data_provider.h"
#include "formula/eval/assignment_index.h"
#include "formula/eval/builtins/steps.h"
#include "formula/eval/dispatch_table.h"
#include "formula/eval/series_store.h"

namespace {

// Nested evaluations (records and variables) beyond this yield INVALID_VALUE,
// so that no program can exhaust the call stack.
constexpr int32_t MAX_EVAL_DEPTH = 3000;
// When series cells nest this deep and a series asks for its own earlier cell,
// its missing earlier cells are computed in ascending order before the asked
// one, so that a recursive series asked for far ahead does not recurse once
// per bar.
constexpr int32_t PREFILL_SERIES_DEPTH = 24;
// A cell whose definition is running; reading it again (a variable that
// depends on itself at the same bar) yields INVALID_VALUE.
constexpr uint64_t IN_PROGRESS_BITS = 0xFFFFFFFDFFFFFFFFull;

bool IsInProgress(double v) { return ValueBits(v) == IN_PROGRESS_BITS; }

bool IsValidIndex(int64_t i, size_t size) { return i >= 0 && static_cast<uint64_t>(i) < size; }

// Counts one nested evaluation for as long as it lives.
class DepthScope {
 public:
  explicit DepthScope(int32_t* depth) : m_depth(depth) { ++*m_depth; }
  ~DepthScope() { --*m_depth; }
  DepthScope(const DepthScope&) = delete;
  DepthScope& operator=(const DepthScope&) = delete;

 private:
  int32_t* m_depth;
};

// Sets the variable table of the context for as long as it lives.
class TableScope {
 public:
  TableScope(CalcContext* ctx, VariableTable table) : m_ctx(ctx), m_saved(ctx->variables) { ctx->variables = table; }
  ~TableScope() { m_ctx->variables = m_saved; }
  TableScope(const TableScope&) = delete;
  TableScope& operator=(const TableScope&) = delete;

 private:
  CalcContext* m_ctx;
  VariableTable m_saved;
};

bool IsBinaryOperator(int32_t op) { return (op >= OP_ADD && op <= OP_NE) || op == OP_BITOR; }

// Two-operand operator: both operands are always evaluated.
int32_t EvaluateOperator(CalcContext* ctx, const ExprRecord* r, double* out, int32_t offset) {
  if (r->count != 2) return EVAL_BAD_ARGUMENT;
  double a = 0.0;
  double b = 0.0;
  int32_t code = EvaluateOperand(ctx, r->kinds[0], r->values[0], &a, offset);
  if (code != EVAL_OK) return code;
  code = EvaluateOperand(ctx, r->kinds[1], r->values[1], &b, offset);
  if (code != EVAL_OK) return code;
  *out = step::OperatorCell(r->op, a, b);
  return EVAL_OK;
}

int32_t EvaluateRecord(CalcContext* ctx, const ExprRecord* r, double* out, int32_t offset) {
  if (r == nullptr) return EVAL_BAD_ARGUMENT;
  if (IsBinaryOperator(r->op)) return EvaluateOperator(ctx, r, out, offset);
  if (r->op == OP_CALL || r->op == OP_CALL_STATE) return CallBuiltin(r, out, ctx, offset);
  return EVAL_BAD_ARGUMENT;
}

// Provider reads never let a host exception through; a throwing read is a
// failed read.
bool ReadField(IIndexDataProvider* provider, int32_t field, int32_t bar, double* v) {
  try {
    return provider->GetFieldValue(field, bar, v);
  } catch (...) {
    return false;
  }
}

bool ReadScalar(IIndexDataProvider* provider, int32_t field, double* v) {
  try {
    return provider->GetScalarValue(field, v);
  } catch (...) {
    return false;
  }
}

// Scalar fields are read from the provider once per run and then cached.
int32_t ReadScalarField(CalcContext* ctx, int32_t field, double* v, bool* ok) {
  if (ctx->scalarCache == nullptr) return EVAL_BAD_ARGUMENT;
  auto it = ctx->scalarCache->find(field);
  if (it != ctx->scalarCache->end()) {
    *v = it->second;
    return EVAL_OK;
  }
  *ok = ReadScalar(ctx->dataProvider, field, v);
  if (*ok && HasValue(*v)) {
    try {
      (*ctx->scalarCache)[field] = *v;
    } catch (const std::exception&) {
      // Not cached: the next read asks the provider again.
    }
  }
  return EVAL_OK;
}

// The host's column of field fieldIndex when it holds bar; null otherwise.
const double* ColumnHolding(const CalcContext* ctx, int32_t fieldIndex, int32_t bar) {
  if (fieldIndex >= ctx->fieldColumnCount || bar < 0 || bar >= ctx->columnBars) return nullptr;
  return ctx->fieldColumns[fieldIndex];
}

int32_t EvaluateField(CalcContext* ctx, int32_t fieldIndex, int32_t bar, double* out) {
  const std::vector<int32_t>& ids = ctx->program->m_fieldIds;
  if (!IsValidIndex(fieldIndex, ids.size())) return EVAL_BAD_ARGUMENT;
  const int32_t field = ids[fieldIndex];
  double v = ctx->defaultValue;
  bool ok = true;
  const double* column = ColumnHolding(ctx, fieldIndex, bar);
  if (column != nullptr) {
    // As the provider guard reads it: only a finite number is a value.
    v = column[bar];
    ok = std::isfinite(v);
  } else if (field >= 1 && field <= 500) {
    ok = ReadField(ctx->dataProvider, field, bar, &v);
  } else if (field >= 501 && field <= 1000) {
    const int32_t code = ReadScalarField(ctx, field, &v, &ok);
    if (code != EVAL_OK) return code;
  }
  *out = ok ? v : INVALID_VALUE;
  return EVAL_OK;
}

// Whether assignment i of the program targets a variable whose element 0 is
// (kind, payload). Expression statements (no OPK_VAR target) define nothing.
bool Defines(const CCalculateInfo* program, size_t i, OperandKind kind, uint64_t payload) {
  if (i >= program->m_assignments.size()) return false;
  const Statement* s = program->m_assignments[i];
  if (s == nullptr || s->targetKind != OPK_VAR) return false;
  const int64_t v = s->target.Index();
  if (!IsValidIndex(v, program->m_stmtVars.size())) return false;
  const ExprRecord* r = program->m_stmtVars[v];
  if (r == nullptr || r->count < 1) return false;
  return r->kinds[0] == kind && r->values[0].bits == payload;
}

// The defining assignment of (kind, slot): from the program's index when the
// context carries one for this program, else by walking m_assignments.
// Returns -1 when none defines it, -2 when cancelled.
int32_t FindDefinition(const CalcContext* ctx, OperandKind kind, int32_t slot) {
  const CCalculateInfo* program = ctx->program;
  const uint64_t payload = static_cast<uint32_t>(slot);
  const AssignmentIndex* index = ctx->assignmentIndex;
  if (index != nullptr && index->Program() == program) {
    if (ctx->Cancelled()) return -2;
    const int32_t found = index->Find(kind, payload);
    // An index that does not fit the program (stale) is ignored.
    if (found < 0 || Defines(program, found, kind, payload)) return found;
  }
  for (size_t i = 0; i < program->m_assignments.size(); ++i) {
    if (ctx->Cancelled()) return -2;
    if (Defines(program, i, kind, payload)) return static_cast<int32_t>(i);
  }
  return -1;
}

// One series whose cells are being computed: its key, its array and the
// assignment that defines it.
struct SeriesDefinition {
  SeriesKey key;
  double* cells;
  const Statement* statement;
};

// Runs the definition for one cell, marking the cell while it runs. A cell
// left unwritten stays UNCOMPUTED.
void RunDefinitionAt(CalcContext* ctx, const SeriesDefinition& d, int32_t bar) {
  SeriesStore* store = ctx->store;
  d.cells[bar] = ValueFromBits(IN_PROGRESS_BITS);
  store->AddBusyCells(d.key.kind, d.key.slot, 1);
  const int32_t savedBar = ctx->bar;
  ctx->bar = bar;
  {
    DepthScope series(&ctx->seriesDepth);
    RunAssignment(ctx, d.statement);
  }
  ctx->bar = savedBar;
  store->AddBusyCells(d.key.kind, d.key.slot, -1);
  if (IsInProgress(d.cells[bar])) d.cells[bar] = UNCOMPUTED;
}

// Computes the run of UNCOMPUTED cells just below `bar` in ascending order, so
// that each of them finds its predecessor ready. Stops at the first cell that
// stays UNCOMPUTED (a failing definition) or when cancelled.
void PrefillEarlierCells(CalcContext* ctx, const SeriesDefinition& d, int32_t bar) {
  if (bar < 1 || !IsUncomputed(d.cells[bar - 1])) return;
  int32_t first = bar - 1;
  while (first > 0 && IsUncomputed(d.cells[first - 1])) --first;
  for (int32_t c = first; c < bar; ++c) {
    if (ctx->Cancelled()) return;
    if (!IsUncomputed(d.cells[c])) continue;
    RunDefinitionAt(ctx, d, c);
    if (IsUncomputed(d.cells[c])) return;
  }
}

// Computes one UNCOMPUTED cell of series (kind, slot): ComputeSeriesAt with
// the self-dependence and depth guards. A series that deep inside a nest of
// cells asks for its own earlier cell (a recursion across bars) first gets
// its missing earlier cells filled in ascending order.
void ComputeCell(CalcContext* ctx, SeriesKey key, double* cells, int32_t bar) {
  TableScope statements(ctx, VariableTable::kStatements);
  const int32_t found = FindDefinition(ctx, key.kind, key.slot);
  if (found < 0) return;
  const SeriesDefinition d{key, cells, ctx->program->m_assignments[found]};
  const bool recursive = ctx->store->BusyCells(key.kind, key.slot) > 0;
  if (recursive && ctx->seriesDepth >= PREFILL_SERIES_DEPTH) PrefillEarlierCells(ctx, d, bar);
  if (IsUncomputed(cells[bar])) RunDefinitionAt(ctx, d, bar);
}

int32_t EvaluateSeries(CalcContext* ctx, OperandKind kind, int32_t slot, int32_t bar, double* out) {
  SeriesStore* store = ctx->store;
  if (store == nullptr) return EVAL_BAD_ARGUMENT;
  double* cells = store->GetSeries(kind, slot, true, 0);
  if (cells == nullptr) return EVAL_BAD_ARGUMENT;
  if (store->BarCount() < ctx->barCount || bar < 0 || bar >= store->BarCount()) return EVAL_BAD_ARGUMENT;
  if (IsUncomputed(cells[bar])) {
    ctx->NoteCell(bar);
    ComputeCell(ctx, SeriesKey{kind, slot}, cells, bar);
  }
  *out = IsInProgress(cells[bar]) ? INVALID_VALUE : cells[bar];
  return EVAL_OK;
}

int32_t EvaluateVariable(CalcContext* ctx, OperandValue value, int32_t bar, double* out) {
  if (ctx->dataProvider == nullptr || ctx->program == nullptr) return EVAL_BAD_ARGUMENT;
  const CCalculateInfo* program = ctx->program;
  const std::vector<ExprRecord*>& table =
      ctx->variables == VariableTable::kOutputs ? program->m_outputVars : program->m_stmtVars;
  SeriesKey key;
  if (!VariableKey(table, value.Index(), &key)) return EVAL_BAD_ARGUMENT;
  if (key.kind == OPK_FIELD) return EvaluateField(ctx, key.slot, bar, out);
  return EvaluateSeries(ctx, key.kind, key.slot, bar, out);
}

int32_t EvaluateParam(const CalcContext* ctx, OperandValue value, double* out) {
  if (ctx->program == nullptr) return EVAL_BAD_ARGUMENT;
  const std::vector<float>& params = ctx->program->m_paramValues;
  const uint32_t i = value.Low32();
  if (i >= params.size()) return EVAL_BAD_ARGUMENT;
  *out = static_cast<double>(params[i]);
  return EVAL_OK;
}

// The series cell of variable i of m_stmtVars at `bar`, or null.
double* StatementVariableCell(CalcContext* ctx, int64_t i, int64_t bar) {
  if (ctx->program == nullptr || ctx->store == nullptr) return nullptr;
  SeriesKey key;
  if (!VariableKey(ctx->program->m_stmtVars, i, &key)) return nullptr;
  double* cells = ctx->store->GetSeries(key.kind, key.slot, true, 0);
  if (cells == nullptr || bar < 0 || bar >= ctx->store->BarCount()) return nullptr;
  ctx->NoteCell(bar);
  return &cells[bar];
}

}  // namespace

int32_t EvaluateOperand(CalcContext* ctx, OperandKind kind, OperandValue value, double* out, int32_t offset) {
  if (ctx == nullptr || out == nullptr || ctx->Cancelled()) return EVAL_BAD_ARGUMENT;
  const int64_t bar = static_cast<int64_t>(ctx->bar) - offset;
  if (kind == OPK_RECORD || kind == OPK_VAR) {
    if (bar < 0 || bar >= ctx->barCount || ctx->evalDepth >= MAX_EVAL_DEPTH) {
      *out = INVALID_VALUE;
      return EVAL_OK;
    }
  }
  switch (kind) {
    case OPK_ZERO: *out = 0.0; return EVAL_OK;
    case OPK_NUMBER:
    case OPK_STRING: *out = static_cast<double>(value.Float()); return EVAL_OK;
    case OPK_PARAM: return EvaluateParam(ctx, value, out);
    case OPK_RECORD: {
      DepthScope depth(&ctx->evalDepth);
      return EvaluateRecord(ctx, value.Record(), out, offset);
    }
    case OPK_VAR: {
      DepthScope depth(&ctx->evalDepth);
      return EvaluateVariable(ctx, value, static_cast<int32_t>(bar), out);
    }
    default: return EVAL_BAD_ARGUMENT;
  }
}

int32_t EvaluateOutputOperand(CalcContext* ctx, OperandKind kind, OperandValue value, double* out, int32_t offset) {
  if (ctx == nullptr) return EVAL_BAD_ARGUMENT;
  TableScope outputs(ctx, VariableTable::kOutputs);
  return EvaluateOperand(ctx, kind, value, out, offset);
}

int32_t EvaluateStatementVariable(CalcContext* ctx, int64_t i, double* out, int32_t offset) {
  if (ctx == nullptr) return EVAL_BAD_ARGUMENT;
  TableScope statements(ctx, VariableTable::kStatements);
  return EvaluateOperand(ctx, OPK_VAR, OperandValue::FromIndex(i), out, offset);
}

int32_t CallBuiltin(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  if (call == nullptr || out == nullptr || ctx == nullptr || ctx->store == nullptr) return EVAL_BAD_ARGUMENT;
  const int64_t bar = static_cast<int64_t>(ctx->bar) - offset;
  if (bar < 0 || bar >= ctx->store->BarCount()) {
    *out = INVALID_VALUE;
    return EVAL_OK;
  }
  if ((call->op != OP_CALL && call->op != OP_CALL_STATE) || call->count < 1) return EVAL_BAD_ARGUMENT;
  ctx->NoteCell(bar);
  int32_t slot = -1;
  if (call->kinds[0] == OPK_FUNC_ID) {
    slot = DispatchSlotOfId(call->values[0].Int32());
  } else if (call->kinds[0] == OPK_FUNC_SLOT) {
    slot = call->values[0].Int32();
  }
  const DispatchEntry* entry = DispatchSlot(slot);
  if (entry == nullptr || entry->impl == nullptr) return EVAL_BAD_ARGUMENT;
  *out = INVALID_VALUE;
  try {
    return entry->impl(call, out, ctx, offset);
  } catch (...) {
    return EVAL_BAD_ARGUMENT;
  }
}

int32_t RunAssignment(CalcContext* ctx, const Statement* s) {
  if (ctx == nullptr || s == nullptr || s->stmtKind != STMT_ASSIGN) return EVAL_BAD_ARGUMENT;
  double* cell = nullptr;
  if (s->targetKind == OPK_VAR) {
    cell = StatementVariableCell(ctx, s->target.Index(), ctx->bar);
    if (cell == nullptr) return EVAL_BAD_ARGUMENT;
  }
  double v = 0.0;
  const int32_t code = EvaluateOperand(ctx, s->exprKind, s->expr, &v, 0);
  if (code != EVAL_OK) return code;
  if (cell != nullptr) *cell = v;
  return EVAL_OK;
}

int32_t ComputeSeriesAt(CalcContext* ctx, OperandKind kind, int32_t slot) {
  if (ctx == nullptr || ctx->program == nullptr) return EVAL_BAD_ARGUMENT;
  TableScope statements(ctx, VariableTable::kStatements);
  const int32_t found = FindDefinition(ctx, kind, slot);
  if (found == -2) return EVAL_BAD_ARGUMENT;
  if (found < 0) return EVAL_OK;
  return RunAssignment(ctx, ctx->program->m_assignments[found]);
}

void WriteBack(CalcContext* ctx, int64_t i, int32_t offset, double value) {
  if (ctx == nullptr) return;
  double* cell = StatementVariableCell(ctx, i, static_cast<int64_t>(ctx->bar) - offset);
  if (cell != nullptr) *cell = value;
}
