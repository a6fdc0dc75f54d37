#include "formula/eval/assignment_index.h"

#include <algorithm>
#include <tuple>

namespace {

bool KeyLess(int32_t kindA, uint64_t payloadA, int32_t kindB, uint64_t payloadB) {
  return std::tie(kindA, payloadA) < std::tie(kindB, payloadB);
}

}  // namespace

AssignmentIndex::AssignmentIndex(const CCalculateInfo& program) : m_program(&program) {
  const std::vector<ExprRecord*>& vars = program.m_stmtVars;
  for (size_t i = 0; i < program.m_assignments.size(); ++i) {
    const Statement* s = program.m_assignments[i];
    if (s == nullptr || s->targetKind != OPK_VAR) continue;
    const int64_t v = s->target.Index();
    if (v < 0 || static_cast<uint64_t>(v) >= vars.size()) continue;
    const ExprRecord* r = vars[v];
    if (r == nullptr || r->count < 1) continue;
    m_rows.push_back(Row{r->kinds[0], r->values[0].bits, static_cast<int32_t>(i)});
  }
  // Stable, so that of several assignments to one key the first one stays first.
  std::stable_sort(m_rows.begin(), m_rows.end(), [](const Row& a, const Row& b) {
    return KeyLess(a.kind, a.payload, b.kind, b.payload);
  });
  auto sameKey = [](const Row& a, const Row& b) { return a.kind == b.kind && a.payload == b.payload; };
  m_rows.erase(std::unique(m_rows.begin(), m_rows.end(), sameKey), m_rows.end());
}

int32_t AssignmentIndex::Find(OperandKind kind, uint64_t payload) const {
  auto it = std::lower_bound(m_rows.begin(), m_rows.end(), Row{kind, payload, 0}, [](const Row& a, const Row& b) {
    return KeyLess(a.kind, a.payload, b.kind, b.payload);
  });
  if (it == m_rows.end() || it->kind != kind || it->payload != payload) return -1;
  return it->statement;
}
