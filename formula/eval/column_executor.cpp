#include "formula/eval/column_executor.h"

#include <algorithm>
#include <cmath>

#include "formula/eval/builtin_steps.h"
#include "formula/eval/evaluator.h"
#include "formula/eval/series_store.h"
#include "formula/eval/value.h"

namespace {

// Scratch columns kept for the next run beyond what a run gives back.
constexpr size_t kKeptScratch = 8;

template <int32_t Op>
void OperatorLoop(const Column& a, const Column& b, int32_t last, double* out) {
  if (a.cells != nullptr && b.cells != nullptr) {
    for (int32_t i = 0; i <= last; ++i) out[i] = step::OperatorCell(Op, a.cells[i], b.cells[i]);
    return;
  }
  for (int32_t i = 0; i <= last; ++i) out[i] = step::OperatorCell(Op, a.At(i), b.At(i));
}

void RunOperator(int32_t op, const Column& a, const Column& b, int32_t last, double* out) {
  switch (op) {
    case OP_ADD: return OperatorLoop<OP_ADD>(a, b, last, out);
    case OP_SUB: return OperatorLoop<OP_SUB>(a, b, last, out);
    case OP_MUL: return OperatorLoop<OP_MUL>(a, b, last, out);
    case OP_DIV: return OperatorLoop<OP_DIV>(a, b, last, out);
    case OP_AND: return OperatorLoop<OP_AND>(a, b, last, out);
    case OP_OR: return OperatorLoop<OP_OR>(a, b, last, out);
    case OP_GT: return OperatorLoop<OP_GT>(a, b, last, out);
    case OP_LT: return OperatorLoop<OP_LT>(a, b, last, out);
    case OP_EQ: return OperatorLoop<OP_EQ>(a, b, last, out);
    case OP_GE: return OperatorLoop<OP_GE>(a, b, last, out);
    case OP_LE: return OperatorLoop<OP_LE>(a, b, last, out);
    case OP_NE: return OperatorLoop<OP_NE>(a, b, last, out);
    default: return OperatorLoop<OP_BITOR>(a, b, last, out);
  }
}

}  // namespace

ColumnExecutor::~ColumnExecutor() { Release(); }

void ColumnExecutor::Release() {
  for (SeriesMemory& m : m_free) series_memory::Release(&m);
  for (SeriesMemory& m : m_busy) series_memory::Release(&m);
  m_free.clear();
  m_busy.clear();
  m_fields.clear();
}

double* ColumnExecutor::Take() {
  if (m_free.empty()) {
    SeriesMemory m = series_memory::Allocate(m_cells, false);
    if (m.cells == nullptr) return nullptr;
    m_free.push_back(m);
  }
  m_busy.push_back(m_free.back());
  m_free.pop_back();
  return m_busy.back().cells;
}

void ColumnExecutor::Give(double* cells) {
  for (size_t i = 0; i < m_busy.size(); ++i) {
    if (m_busy[i].cells != cells) continue;
    SeriesMemory m = m_busy[i];
    m_busy.erase(m_busy.begin() + static_cast<std::ptrdiff_t>(i));
    if (m_free.size() < kKeptScratch) {
      m_free.push_back(m);
    } else {
      series_memory::Release(&m);
    }
    return;
  }
}

// A field as the evaluator reads it: the host's column where it holds the
// bar (only a finite number is a value), the provider otherwise.
bool ColumnExecutor::FieldColumn(const PlanNode& node, Column* column) {
  for (const auto& field : m_fields) {
    if (field.first != node.fieldIndex) continue;
    column->cells = field.second;
    return true;
  }
  double* cells = Take();
  if (cells == nullptr) return false;
  m_fields.emplace_back(node.fieldIndex, cells);
  const CalcContext* ctx = m_ctx;
  const double* host = node.fieldIndex < ctx->fieldColumnCount ? ctx->fieldColumns[node.fieldIndex] : nullptr;
  const int32_t held = host != nullptr ? std::min(ctx->columnBars, m_last + 1) : 0;
  for (int32_t b = 0; b < held; ++b) {
    const double v = host[b];
    cells[b] = std::isfinite(v) ? v : INVALID_VALUE;
  }
  const OperandValue variable = OperandValue::FromIndex(node.variable);
  for (int32_t b = std::max(held, 0); b <= m_last; ++b) {
    m_ctx->bar = b;
    m_ctx->useOutputVars = false;
    if (EvaluateOperand(m_ctx, OPK_VAR, variable, &cells[b], 0) != EVAL_OK) return false;
  }
  column->cells = cells;
  return true;
}

bool ColumnExecutor::ColumnOf(const ColumnPlan& plan, int32_t node, Column* column, std::vector<double*>* taken) {
  const PlanNode& n = plan.nodes[static_cast<size_t>(node)];
  *column = Column{};
  switch (n.kind) {
    case PlanNode::Kind::Constant:
      column->constant = n.constant;
      return true;
    case PlanNode::Kind::Field:
      return FieldColumn(n, column);
    case PlanNode::Kind::Series:
      column->cells = m_ctx->store->GetSeries(n.key.kind, n.key.slot, true, 0);
      return column->cells != nullptr;
    default:
      break;
  }
  double* cells = Take();
  if (cells == nullptr) return false;
  taken->push_back(cells);
  column->cells = cells;
  return Evaluate(plan, node, cells);
}

bool ColumnExecutor::Evaluate(const ColumnPlan& plan, int32_t node, double* dest) {
  const PlanNode& n = plan.nodes[static_cast<size_t>(node)];
  std::vector<double*> taken;
  Column args[2];
  bool ok = true;
  if (n.kind != PlanNode::Kind::Operator && n.kind != PlanNode::Kind::Call) {
    ok = ColumnOf(plan, node, &args[0], &taken);
    for (int32_t b = 0; ok && b <= m_last; ++b) dest[b] = args[0].At(b);
  } else {
    for (int32_t i = 0; ok && i < 2; ++i) {
      if (n.args[i] >= 0) ok = ColumnOf(plan, n.args[i], &args[i], &taken);
    }
  }
  if (ok && n.kind == PlanNode::Kind::Operator) RunOperator(n.op, args[0], args[1], m_last, dest);
  if (ok && n.kind == PlanNode::Kind::Call) {
    double* own = nullptr;
    if (n.kernel->ownSeries) {
      own = m_ctx->store->GetSeries(n.key.kind, n.key.slot, true, 0);
      ok = own != nullptr;
    }
    // The call's caches would describe a walk that did not take place.
    for (const int32_t slot : n.stateSlots) {
      if (slot >= 0) m_ctx->store->FreeSeries(OPK_STATE, slot);
    }
    KernelRun run;
    run.x = args[0];
    run.y = args[1];
    run.n = n.n;
    run.m = n.m;
    run.last = m_last;
    if (ok) RunColumnKernel(*n.kernel, run, dest, own);
  }
  for (double* cells : taken) Give(cells);
  return ok;
}

bool ColumnExecutor::Run(const ColumnPlan& plan, CalcContext* ctx, int32_t last) {
  if (ctx == nullptr || ctx->store == nullptr || last < 0 || last >= ctx->store->BarCount()) return false;
  const size_t cells = static_cast<size_t>(ctx->store->BarCount()) + 2;
  if (cells != m_cells) {
    Release();
    m_cells = cells;
  }
  m_ctx = ctx;
  m_last = last;
  bool ok = true;
  for (const PlannedSeries& s : plan.series) {
    if (ctx->Cancelled()) {
      ok = false;
      break;
    }
    if (s.root < 0) continue;
    double* out = ctx->store->GetSeries(s.key.kind, s.key.slot, true, 0);
    if (out == nullptr || !Evaluate(plan, s.root, out)) {
      ok = false;
      break;
    }
  }
  for (const auto& field : m_fields) Give(field.second);
  m_fields.clear();
  ctx->NoteCell(last);
  return ok;
}
