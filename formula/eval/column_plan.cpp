#include "formula/eval/column_plan.h"

#include <algorithm>
#include <map>
#include <set>
#include <utility>

#include "formula/eval/assignment_index.h"
#include "formula/eval/builtins/registry.h"
#include "formula/eval/column_kernels.h"
#include "formula/eval/dispatch_table.h"
#include "formula/eval/draw/elements.h"
#include "formula/eval/value.h"

namespace {

// Nested evaluations a planned series may need; the evaluator gives up far
// beyond this, so a planned tree never meets its limit.
constexpr int32_t kMaxPlanDepth = 1000;

using Key = std::pair<int32_t, int32_t>;

// The column kernel the registry gives the built-in of a dispatch slot.
const ColumnKernel* KernelOfSlot(int32_t slot) {
  if (slot < 0) return nullptr;
  for (const BuiltinRow& row : kBuiltins) {
    if (row.slot == slot) return row.kernel;
  }
  return nullptr;
}

Key KeyOf(SeriesKey key) { return Key{key.kind, key.slot}; }

bool IsSeriesKind(OperandKind kind) { return kind == OPK_OUTPUT_SERIES || kind == OPK_VAR_SERIES; }

// What planning a subtree found out.
struct Traits {
  bool stateful = false;  // a call with state or an own series lies below
  int32_t depth = 0;      // nested evaluations it takes
};

class Planner {
 public:
  Planner(const CCalculateInfo& program, const AssignmentIndex* index) : m_program(program), m_index(index) {}

  ColumnPlan Plan(const std::vector<OutputElement>& elements);

 private:
  enum class State { Visiting, Planned, Failed };
  struct SeriesInfo {
    State state = State::Visiting;
    Traits traits;
    std::string reason;
  };

  const Statement* Definition(SeriesKey key) const;
  bool PlanSeries(SeriesKey key, Traits* traits);
  int32_t PlanOperand(OperandKind kind, OperandValue value, bool older, Traits* traits);
  int32_t PlanRecord(const ExprRecord* r, bool older, Traits* traits);
  int32_t PlanCall(const ExprRecord* r, bool older, Traits* traits);
  bool CallConstants(const ExprRecord* r, const ColumnKernel& k, PlanNode* node);
  bool OwnSeries(const ExprRecord* r, PlanNode* node);
  int32_t Add(const PlanNode& node);
  int32_t Fail(const char* reason);
  void Reach(OperandKind kind, OperandValue value, std::set<Key>* seen) const;
  void ReachSeries(SeriesKey key, std::set<Key>* seen) const;

  const CCalculateInfo& m_program;
  const AssignmentIndex* m_index;
  ColumnPlan m_plan;
  std::map<Key, SeriesInfo> m_series;
  std::string m_reason;
};

const Statement* Planner::Definition(SeriesKey key) const {
  const uint64_t payload = static_cast<uint32_t>(key.slot);
  int32_t found = -1;
  if (m_index != nullptr && m_index->Program() == &m_program) {
    found = m_index->Find(key.kind, payload);
  } else {
    found = m_program.FindDefiningAssignment(key.kind, payload);
  }
  if (found < 0 || static_cast<size_t>(found) >= m_program.m_assignments.size()) return nullptr;
  return m_program.m_assignments[static_cast<size_t>(found)];
}

int32_t Planner::Add(const PlanNode& node) {
  m_plan.nodes.push_back(node);
  return static_cast<int32_t>(m_plan.nodes.size()) - 1;
}

int32_t Planner::Fail(const char* reason) {
  if (m_reason.empty()) m_reason = reason;
  return -1;
}

// A series is planned once; its dependencies are planned before it.
bool Planner::PlanSeries(SeriesKey key, Traits* traits) {
  auto it = m_series.find(KeyOf(key));
  if (it != m_series.end()) {
    if (it->second.state == State::Visiting) return Fail("a series depends on itself") >= 0;
    if (it->second.state == State::Failed) return Fail(it->second.reason.c_str()) >= 0;
    *traits = it->second.traits;
    return true;
  }
  m_series[KeyOf(key)] = SeriesInfo{};
  const Statement* s = Definition(key);
  Traits own;
  int32_t root = -1;
  if (s != nullptr) {
    const std::string saved = m_reason;
    m_reason.clear();
    root = PlanOperand(s->exprKind, s->expr, false, &own);
    if (root < 0) {
      SeriesInfo& info = m_series[KeyOf(key)];
      info.state = State::Failed;
      info.reason = m_reason;
      m_reason = saved.empty() ? info.reason : saved;
      return false;
    }
    m_reason = saved;
    own.depth += 1;
  }
  SeriesInfo& info = m_series[KeyOf(key)];
  info.state = State::Planned;
  info.traits = own;
  m_plan.series.push_back(PlannedSeries{key, root});
  *traits = own;
  return true;
}

int32_t Planner::PlanOperand(OperandKind kind, OperandValue value, bool older, Traits* traits) {
  PlanNode node;
  switch (kind) {
    case OPK_ZERO: return Add(node);
    case OPK_NUMBER:
    case OPK_STRING: node.constant = static_cast<double>(value.Float()); return Add(node);
    case OPK_PARAM:
      if (value.Low32() >= m_program.m_paramValues.size()) return Fail("a parameter out of range");
      node.constant = static_cast<double>(m_program.m_paramValues[value.Low32()]);
      return Add(node);
    case OPK_RECORD: {
      const int32_t at = PlanRecord(value.Record(), older, traits);
      traits->depth += 1;
      return traits->depth > kMaxPlanDepth ? Fail("nesting too deep") : at;
    }
    case OPK_VAR: break;
    default: return Fail("an operand of an unknown kind");
  }
  SeriesKey key;
  if (!VariableKey(m_program.m_stmtVars, value.Index(), &key)) return Fail("an unknown variable");
  traits->depth = 1;
  if (key.kind == OPK_FIELD) {
    if (key.slot < 0 || static_cast<size_t>(key.slot) >= m_program.m_fieldIds.size()) return Fail("an unknown field");
    node.kind = PlanNode::Kind::Field;
    node.variable = value.Index();
    node.fieldIndex = key.slot;
    return Add(node);
  }
  if (!IsSeriesKind(key.kind)) return Fail("a variable of an unknown kind");
  Traits below;
  if (!PlanSeries(key, &below)) return -1;
  // A memoised series reads the same at any bar, so older reads may see it.
  traits->stateful = below.stateful;
  traits->depth = 1 + below.depth;
  if (traits->depth > kMaxPlanDepth) return Fail("nesting too deep");
  node.kind = PlanNode::Kind::Series;
  node.key = key;
  return Add(node);
}

int32_t Planner::PlanRecord(const ExprRecord* r, bool older, Traits* traits) {
  if (r == nullptr || r->values == nullptr || r->kinds == nullptr) return Fail("a missing record");
  if (r->op == OP_CALL || r->op == OP_CALL_STATE) return PlanCall(r, older, traits);
  const bool binary = (r->op >= OP_ADD && r->op <= OP_NE) || r->op == OP_BITOR;
  if (!binary || r->count != 2) return Fail("a record that is no operator or call");
  PlanNode node;
  node.kind = PlanNode::Kind::Operator;
  node.op = r->op;
  for (int32_t i = 0; i < 2; ++i) {
    Traits t;
    node.args[i] = PlanOperand(r->kinds[i], r->values[i], older, &t);
    if (node.args[i] < 0) return -1;
    traits->stateful = traits->stateful || t.stateful;
    traits->depth = std::max(traits->depth, t.depth);
  }
  return Add(node);
}

// Periods and weights must be constants: a number or a parameter.
bool Planner::CallConstants(const ExprRecord* r, const ColumnKernel& k, PlanNode* node) {
  auto constant = [&](int32_t e, double* v) {
    const OperandKind kind = r->kinds[e];
    if (kind == OPK_NUMBER) {
      *v = static_cast<double>(r->values[e].Float());
    } else if (kind == OPK_PARAM && r->values[e].Low32() < m_program.m_paramValues.size()) {
      *v = static_cast<double>(m_program.m_paramValues[r->values[e].Low32()]);
    } else if (kind == OPK_ZERO) {
      *v = 0.0;
    } else {
      return false;
    }
    return HasValue(*v);
  };
  double period = 0.0;
  if (k.period > 0) {
    if (!constant(k.period, &period)) return Fail("a period that is no constant") >= 0;
    node->n = RoundCount(period);
    if (node->n < k.minPeriod) return Fail("a period too short for a kernel") >= 0;
  }
  if (k.weight > 0 && !constant(k.weight, &node->m)) return Fail("a weight that is no constant") >= 0;
  return true;
}

// A smoother's own series: a variable series that nothing else defines.
bool Planner::OwnSeries(const ExprRecord* r, PlanNode* node) {
  SeriesKey key;
  if (r->kinds[1] != OPK_VAR || !VariableKey(m_program.m_stmtVars, r->values[1].Index(), &key)) {
    return Fail("a smoother without its own series") >= 0;
  }
  if (!IsSeriesKind(key.kind) || Definition(key) != nullptr) return Fail("a smoother writing a defined series") >= 0;
  node->key = key;
  return true;
}

int32_t Planner::PlanCall(const ExprRecord* r, bool older, Traits* traits) {
  if (r->count < 1) return Fail("an empty call");
  int32_t slot = -1;
  if (r->kinds[0] == OPK_FUNC_ID) slot = DispatchSlotOfId(r->values[0].Int32());
  if (r->kinds[0] == OPK_FUNC_SLOT) slot = r->values[0].Int32();
  const ColumnKernel* k = KernelOfSlot(slot);
  if (k == nullptr) return Fail("a built-in without a kernel");
  if (r->count != k->count || (r->op == OP_CALL_STATE) != k->stateBlock) return Fail("a call of another layout");
  PlanNode node;
  node.kind = PlanNode::Kind::Call;
  node.kernel = k;
  if (!CallConstants(r, *k, &node)) return -1;
  if (k->ownSeries && !OwnSeries(r, &node)) return -1;
  if (k->stateBlock) {
    if (r->kinds[1] != OPK_STATE) return Fail("a call without its state handle");
    const uint32_t handle = r->values[1].Low32();
    const uint32_t low = handle & 0xFFFFu;
    const uint32_t high = (handle >> 16) & 0xFFFFu;
    node.stateSlots[0] = low == 0xFFFFu ? -1 : static_cast<int32_t>(low);
    node.stateSlots[1] = high == 0xFFFFu ? -1 : static_cast<int32_t>(high);
  }
  traits->stateful = k->ownSeries || k->stateBlock;
  if (older && traits->stateful) return Fail("a stateful call read at older bars");
  for (int32_t i = 0; i < k->seriesArgs; ++i) {
    Traits t;
    node.args[i] = PlanOperand(r->kinds[k->firstSeries + i], r->values[k->firstSeries + i], older || k->readsOlder, &t);
    if (node.args[i] < 0) return -1;
    traits->stateful = traits->stateful || t.stateful;
    traits->depth = std::max(traits->depth, t.depth);
  }
  return Add(node);
}

// Every series an operand may read, through any record and definition.
void Planner::Reach(OperandKind kind, OperandValue value, std::set<Key>* seen) const {
  if (kind == OPK_RECORD) {
    const ExprRecord* r = value.Record();
    if (r == nullptr || r->kinds == nullptr || r->values == nullptr) return;
    for (int32_t i = 0; i < r->count; ++i) Reach(r->kinds[i], r->values[i], seen);
    return;
  }
  SeriesKey key;
  if (kind != OPK_VAR || !VariableKey(m_program.m_stmtVars, value.Index(), &key)) return;
  if (IsSeriesKind(key.kind)) ReachSeries(key, seen);
}

void Planner::ReachSeries(SeriesKey key, std::set<Key>* seen) const {
  if (!seen->insert(KeyOf(key)).second) return;
  const Statement* s = Definition(key);
  if (s != nullptr) Reach(s->exprKind, s->expr, seen);
}

ColumnPlan Planner::Plan(const std::vector<OutputElement>& elements) {
  std::string firstReason;
  for (const OutputElement& e : elements) {
    if (!IsSeriesKind(e.key.kind)) continue;
    Traits t;
    m_reason.clear();
    if (PlanSeries(e.key, &t)) continue;
    m_plan.perBar.push_back(e);
    if (firstReason.empty()) firstReason = m_reason;
  }
  m_plan.usable = true;
  m_plan.reason = firstReason;
  // A stateful series computed in columns must not also be reached from a
  // statement left per bar: the per-bar path might visit it at fewer bars.
  std::set<Key> reached;
  for (const OutputElement& e : m_plan.perBar) ReachSeries(e.key, &reached);
  for (const Key& key : reached) {
    auto it = m_series.find(key);
    if (it != m_series.end() && it->second.state == State::Planned && it->second.traits.stateful) {
      m_plan.usable = false;
      m_plan.reason = "a stateful series shared with a statement left per bar";
      break;
    }
  }
  if (m_plan.series.empty()) {
    m_plan.usable = false;
    if (m_plan.reason.empty()) m_plan.reason = "nothing to compute";
  }
  return std::move(m_plan);
}

}  // namespace

std::vector<OutputElement> OutputElementsOf(const CCalculateInfo& program) {
  std::vector<OutputElement> elements;
  const int32_t outputs = static_cast<int32_t>(program.m_outputs.size());
  for (int32_t i = 0; i < outputs; ++i) {
    const ExprRecord* record = program.FindOutputRecord(i);
    if (record == nullptr || record->count < 1 || record->kinds[0] != OPK_FUNC_ID) continue;
    const DrawElements* list = FindDrawElements(record->values[0].Int32());
    if (list == nullptr) continue;
    for (int32_t k = 0; k < list->elementCount; ++k) {
      OutputElement e;
      e.output = i;
      e.element = list->elements[static_cast<size_t>(k)];
      if (!program.FindOutputSeriesKey(record, e.element, &e.key)) break;
      elements.push_back(e);
    }
  }
  return elements;
}

ColumnPlan PlanColumns(const CCalculateInfo& program, const AssignmentIndex* index,
                       const std::vector<OutputElement>& elements) {
  return Planner(program, index).Plan(elements);
}
