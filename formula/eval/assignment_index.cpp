#include "formula/eval/assignment_index.h"

#include <algorithm>
#include <tuple>

namespace {

// Slots below this are found by a direct look-up (a formula has at most 1000
// variables and 1000 outputs).
constexpr uint64_t kDirectSlots = 4096;

bool KeyLess(int32_t kindA, uint64_t payloadA, int32_t kindB, uint64_t payloadB) {
  return std::tie(kindA, payloadA) < std::tie(kindB, payloadB);
}

// The target key of assignment i; kind -1 when it defines no series.
AssignmentIndex::Row TargetOf(const CCalculateInfo& program, size_t i) {
  const Statement* s = program.m_assignments[i];
  const std::vector<ExprRecord*>& vars = program.m_stmtVars;
  AssignmentIndex::Row none{-1, 0, static_cast<int32_t>(i)};
  if (s == nullptr || s->targetKind != OPK_VAR) return none;
  const int64_t v = s->target.Index();
  if (v < 0 || static_cast<uint64_t>(v) >= vars.size()) return none;
  const ExprRecord* r = vars[v];
  if (r == nullptr || r->count < 1) return none;
  return AssignmentIndex::Row{r->kinds[0], r->values[0].bits, static_cast<int32_t>(i)};
}

}  // namespace

AssignmentIndex::AssignmentIndex(const CCalculateInfo& program) : m_program(&program) {
  for (size_t i = 0; i < program.m_assignments.size(); ++i) {
    const Row target = TargetOf(program, i);
    m_targets.push_back(target);
    m_statements.push_back(program.m_assignments[i]);
    if (target.kind != -1) m_rows.push_back(target);
  }
  // Stable, so that of several assignments to one key the first one stays first.
  std::stable_sort(m_rows.begin(), m_rows.end(),
                   [](const Row& a, const Row& b) { return KeyLess(a.kind, a.payload, b.kind, b.payload); });
  auto sameKey = [](const Row& a, const Row& b) { return a.kind == b.kind && a.payload == b.payload; };
  m_rows.erase(std::unique(m_rows.begin(), m_rows.end(), sameKey), m_rows.end());
  for (const Row& row : m_rows) {
    if (row.kind != OPK_OUTPUT_SERIES && row.kind != OPK_VAR_SERIES) continue;
    if (row.payload >= kDirectSlots) continue;
    std::vector<int32_t>& slots = m_bySlot[row.kind - OPK_OUTPUT_SERIES];
    if (slots.size() <= row.payload) slots.resize(static_cast<size_t>(row.payload) + 1, -1);
    slots[static_cast<size_t>(row.payload)] = row.statement;
  }
}

bool AssignmentIndex::Fits(const CCalculateInfo& program) const {
  if (&program != m_program || program.m_assignments.size() != m_targets.size()) return false;
  for (size_t i = 0; i < m_targets.size(); ++i) {
    const Row target = TargetOf(program, i);
    if (program.m_assignments[i] != m_statements[i]) return false;
    if (target.kind != m_targets[i].kind || target.payload != m_targets[i].payload) return false;
  }
  return true;
}

int32_t AssignmentIndex::Find(OperandKind kind, uint64_t payload) const {
  if ((kind == OPK_OUTPUT_SERIES || kind == OPK_VAR_SERIES) && payload < kDirectSlots) {
    const std::vector<int32_t>& slots = m_bySlot[kind - OPK_OUTPUT_SERIES];
    return payload < slots.size() ? slots[static_cast<size_t>(payload)] : -1;
  }
  auto it = std::lower_bound(m_rows.begin(), m_rows.end(), Row{kind, payload, 0},
                             [](const Row& a, const Row& b) { return KeyLess(a.kind, a.payload, b.kind, b.payload); });
  if (it == m_rows.end() || it->kind != kind || it->payload != payload) return -1;
  return it->statement;
}
