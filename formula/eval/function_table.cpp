#include "formula/eval/function_table.h"

#include <string>

#include "formula/eval/value.h"

namespace {

char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// The row named by element 0 of a call record, or null.
const FunctionInfo* CalledFunction(const ExprRecord* call) {
  if (call == nullptr || call->count < 1 || call->kinds[0] != OPK_FUNC_ID) return nullptr;
  return FunctionInfoById(call->values[0].Int32());
}

bool IsOperatorOp(int32_t op) { return (op >= OP_ADD && op <= 12) || op == OP_BITOR; }
bool IsCallOp(int32_t op) { return op == OP_CALL || op == OP_CALL_STATE; }

// Kinds that an output argument may hold directly.
bool IsPlainOutputOperand(OperandKind kind) {
  switch (kind) {
    case OPK_NUMBER:
    case OPK_PARAM:
    case OPK_FUNC_ID:
    case OPK_STATE:
    case OPK_STRING:
    case OPK_VAR: return true;
    default: return false;
  }
}

// A record inside an output statement: an operator or a call of a function
// without its own series. Its elements are checked by the caller.
bool IsAcceptedOutputRecord(const ExprRecord* r) {
  if (r == nullptr) return false;
  if (IsOperatorOp(r->op)) return true;
  if (!IsCallOp(r->op)) return false;
  const FunctionInfo* f = CalledFunction(r);
  return f == nullptr || (f->flags & FN_OWN_SERIES) == 0;
}

// The operand check of output arguments, walked with a work list so that a
// deeply nested tree does not deepen the call stack.
int32_t CheckOutputOperand(OperandKind kind, OperandValue value) {
  std::vector<std::pair<OperandKind, OperandValue>> pending{{kind, value}};
  while (!pending.empty()) {
    const auto [k, v] = pending.back();
    pending.pop_back();
    if (IsPlainOutputOperand(k)) continue;
    if (k != OPK_RECORD) return EVAL_BAD_ARGUMENT;
    const ExprRecord* r = v.Record();
    if (!IsAcceptedOutputRecord(r)) return EVAL_BAD_ARGUMENT;
    // Pushed in reverse so that elements are checked in order.
    for (int32_t i = r->count - 1; i >= 0; --i) pending.emplace_back(r->kinds[i], r->values[i]);
  }
  return EVAL_OK;
}

}  // namespace

int32_t CheckArity(const ExprRecord* call, const std::vector<ExprRecord*>& /*vars*/) {
  const FunctionInfo* f = CalledFunction(call);
  if (f == nullptr) return EVAL_BAD_ARGUMENT;
  const int64_t args = static_cast<int64_t>(call->count) - (call->op == OP_CALL_STATE ? 2 : 1);
  const int64_t wanted = f->argInfo & ARG_COUNT_MASK;
  const bool ok = (f->argInfo & ARG_AT_LEAST) != 0 ? args >= wanted : args == wanted;
  return ok ? EVAL_OK : EVAL_BAD_ARGUMENT;
}

int32_t CheckOwnSeries(const ExprRecord* call, const std::vector<ExprRecord*>& vars) {
  if (CheckArity(call, vars) != EVAL_OK) return EVAL_BAD_ARGUMENT;
  if (call->count < 2 || call->kinds[1] != OPK_VAR) return EVAL_BAD_ARGUMENT;
  SeriesKey key;
  if (!VariableKey(vars, call->values[1].Index(), &key)) return EVAL_BAD_ARGUMENT;
  const bool ownSeries = key.kind == OPK_OUTPUT_SERIES || key.kind == OPK_VAR_SERIES;
  return ownSeries ? EVAL_OK : EVAL_BAD_ARGUMENT;
}

int32_t FindFunction(std::string_view name, int32_t* id) {
  std::string upper(name);
  for (char& c : upper) c = UpperAscii(c);
  for (int32_t row = 0; row < FUNCTION_COUNT; ++row) {
    if (upper == kBuiltins[row].name) {
      if (id != nullptr) *id = FunctionInfoTable[row].id;
      return row;
    }
  }
  if (id != nullptr) *id = -1;
  return -1;
}

int32_t CheckCall(const ExprRecord* call, const std::vector<ExprRecord*>& vars) {
  const FunctionInfo* f = CalledFunction(call);
  if (f == nullptr || f->check == nullptr) return EVAL_BAD_ARGUMENT;
  return f->check(call, vars);
}

int32_t CheckOutputStatement(const Statement* s) {
  if (s == nullptr || s->stmtKind != STMT_OUTPUT) return EVAL_BAD_ARGUMENT;
  if (s->targetKind != OPK_NUMBER || s->exprKind != OPK_RECORD) return EVAL_BAD_ARGUMENT;
  const ExprRecord* r = s->expr.Record();
  if (r == nullptr || r->op != OP_CALL) return EVAL_BAD_ARGUMENT;
  const FunctionInfo* f = CalledFunction(r);
  if (f == nullptr) return EVAL_BAD_ARGUMENT;
  if (r->count - 1 < static_cast<int32_t>(f->argInfo & ARG_COUNT_MASK)) return EVAL_BAD_ARGUMENT;
  for (int32_t i = 1; i < r->count; ++i) {
    const int32_t code = CheckOutputOperand(r->kinds[i], r->values[i]);
    if (code != EVAL_OK) return code;
  }
  return EVAL_OK;
}
