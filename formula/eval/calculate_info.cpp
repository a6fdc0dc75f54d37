#include "formula/eval/calculate_info.h"

#include <new>

namespace {

void FreeArrays(ExprRecord* r) {
  delete[] r->values;
  delete[] r->kinds;
  r->values = nullptr;
  r->kinds = nullptr;
}

// Replaces the element arrays of r by arrays of newCount elements, copying the
// first `keep` elements; false (r unchanged) when memory runs out.
bool Reallocate(ExprRecord* r, int32_t newCount, int32_t keep) {
  auto* values = new (std::nothrow) OperandValue[newCount];
  auto* kinds = new (std::nothrow) OperandKind[newCount];
  if (values == nullptr || kinds == nullptr) {
    delete[] values;
    delete[] kinds;
    return false;
  }
  for (int32_t i = 0; i < newCount; ++i) {
    values[i] = i < keep ? r->values[i] : OperandValue{};
    kinds[i] = i < keep ? r->kinds[i] : OPK_ZERO;
  }
  FreeArrays(r);
  r->values = values;
  r->kinds = kinds;
  r->count = newCount;
  return true;
}

bool IsValidIndex(int64_t i, size_t size) { return i >= 0 && static_cast<uint64_t>(i) < size; }

}  // namespace

ExprRecord* NewExprRecord(int32_t op, int32_t count) {
  if (count < 0) return nullptr;
  auto* r = new (std::nothrow) ExprRecord;
  if (r == nullptr) return nullptr;
  r->op = op;
  if (count == 0) return r;
  if (!Reallocate(r, count, 0)) {
    delete r;
    return nullptr;
  }
  return r;
}

bool AppendElement(ExprRecord* r, OperandKind kind, OperandValue value) {
  if (r == nullptr) return false;
  return InsertElement(r, r->count, kind, value);
}

bool InsertElement(ExprRecord* r, int32_t pos, OperandKind kind, OperandValue value) {
  if (r == nullptr || pos < 0 || pos > r->count || r->count == INT32_MAX) return false;
  const int32_t oldCount = r->count;
  if (!Reallocate(r, oldCount + 1, oldCount)) return false;
  for (int32_t i = oldCount; i > pos; --i) {
    r->values[i] = r->values[i - 1];
    r->kinds[i] = r->kinds[i - 1];
  }
  r->values[pos] = value;
  r->kinds[pos] = kind;
  return true;
}

// Frees a record tree with an explicit work list, so that nesting depth never
// reaches the call stack. Children are freed before their parent's arrays.
void ReleaseRecord(ExprRecord* r) {
  if (r == nullptr) return;
  std::vector<ExprRecord*> pending{r};
  while (!pending.empty()) {
    ExprRecord* current = pending.back();
    pending.pop_back();
    for (int32_t i = 0; i < current->count && current->kinds != nullptr; ++i) {
      if (current->kinds[i] != OPK_RECORD) continue;
      ExprRecord* child = current->values[i].Record();
      if (child != nullptr) pending.push_back(child);
    }
    FreeOneRecord(current);
  }
}

void FreeOneRecord(ExprRecord* r) {
  if (r == nullptr) return;
  FreeArrays(r);
  delete r;
}

void ReleaseOperand(OperandKind kind, OperandValue value) {
  if (kind == OPK_RECORD) ReleaseRecord(value.Record());
}

void ReleaseStatement(Statement* s) {
  if (s == nullptr) return;
  ReleaseOperand(s->targetKind, s->target);
  ReleaseOperand(s->exprKind, s->expr);
  delete s;
}

CCalculateInfo::CCalculateInfo()
    : m_stateCounter(0), m_reserved(0), m_extendHistory(false), m_extendForward(false), m_recalcAll(false) {}

CCalculateInfo::~CCalculateInfo() = default;

int32_t CCalculateInfo::AddVariable(ExprRecord* record, bool toOutputs) {
  std::vector<ExprRecord*>& table = toOutputs ? m_outputVars : m_stmtVars;
  if (table.size() >= static_cast<size_t>(INT32_MAX)) return -1;
  try {
    table.push_back(record);
  } catch (const std::bad_alloc&) {
    return -1;
  }
  return static_cast<int32_t>(table.size() - 1);
}

int32_t CCalculateInfo::FindOrAddName(const std::string& name, uint32_t value) {
  for (size_t i = 0; i < m_names.size(); ++i) {
    if (m_names[i] == name) return static_cast<int32_t>(i);
  }
  if (m_names.size() >= static_cast<size_t>(INT32_MAX)) return -1;
  try {
    m_names.push_back(name);
    m_nameValues.push_back(value);
  } catch (const std::bad_alloc&) {
    m_names.resize(m_nameValues.size());
    return -1;
  }
  return static_cast<int32_t>(m_names.size() - 1);
}

const ExprRecord* CCalculateInfo::FindOutputRecord(int32_t i) const {
  if (!IsValidIndex(i, m_outputs.size())) return nullptr;
  const Statement* s = m_outputs[i];
  if (s == nullptr || s->stmtKind != STMT_OUTPUT || s->exprKind != OPK_RECORD) return nullptr;
  const ExprRecord* r = s->expr.Record();
  if (r == nullptr || r->kinds == nullptr) return nullptr;
  for (int32_t k = 0; k < r->count; ++k) {
    if (r->kinds[k] == OPK_FUNC_ID) return r;
  }
  return nullptr;
}

bool CCalculateInfo::FindOutputSeriesKey(const ExprRecord* output, int32_t k, SeriesKey* key) const {
  if (output == nullptr || key == nullptr || k < 0 || k >= output->count) return false;
  if (output->kinds[k] != OPK_VAR) return false;
  return VariableKey(m_outputVars, output->values[k].Index(), key);
}

int32_t CCalculateInfo::FindDefiningAssignment(OperandKind kind, uint64_t payload) const {
  for (size_t i = 0; i < m_assignments.size(); ++i) {
    const Statement* s = m_assignments[i];
    if (s == nullptr || s->targetKind != OPK_VAR) continue;
    const int64_t v = s->target.Index();
    if (!IsValidIndex(v, m_stmtVars.size())) continue;
    const ExprRecord* r = m_stmtVars[v];
    if (r == nullptr || r->count < 1) continue;
    if (r->kinds[0] == kind && r->values[0].bits == payload) return static_cast<int32_t>(i);
  }
  return -1;
}

bool CCalculateInfo::IsWholeRange(const SeriesKey& key) const {
  if (key.kind == OPK_OUTPUT_SERIES) return m_resetSlots4.count(key.slot) != 0;
  if (key.kind == OPK_VAR_SERIES) return m_resetSlots5.count(key.slot) != 0;
  return false;
}

void CCalculateInfo::MarkWholeRange(const SeriesKey& key) {
  if (key.kind == OPK_OUTPUT_SERIES) m_resetSlots4[key.slot] = key.slot;
  if (key.kind == OPK_VAR_SERIES) m_resetSlots5[key.slot] = key.slot;
}
