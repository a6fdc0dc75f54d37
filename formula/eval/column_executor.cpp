#include "formula/eval/column_executor.h"

#include <algorithm>
#include <cmath>
#include <mutex>

#include "formula/eval/builtins/steps.h"
#include "formula/eval/evaluator.h"
#include "formula/eval/series_store.h"
#include "formula/eval/value.h"

namespace {

// Scratch columns kept between runs, for any calculator of the process.
constexpr size_t kKeptScratch = 2;

// The scratch columns no run is using, shared by every calculator.
class ScratchPool {
 public:
  ~ScratchPool() {
    for (SeriesMemory& m : m_kept) series_memory::Release(&m);
  }
  // A kept column of `cells` cells, or an empty one.
  SeriesMemory Take(size_t cells) {
    std::lock_guard<std::mutex> lock(m_lock);
    for (size_t i = 0; i < m_kept.size(); ++i) {
      if (m_kept[i].mappedBytes < cells * sizeof(double)) continue;
      SeriesMemory m = m_kept[i];
      m_kept.erase(m_kept.begin() + static_cast<std::ptrdiff_t>(i));
      return m;
    }
    return SeriesMemory{};
  }
  // Keeps a mapped column while there is room; frees it otherwise.
  void Give(SeriesMemory m) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (m.mappedBytes != 0 && m_kept.size() < kKeptScratch) {
      try {
        m_kept.push_back(m);
        return;
      } catch (...) {}
    }
    series_memory::Release(&m);
  }

 private:
  std::mutex m_lock;
  std::vector<SeriesMemory> m_kept;
};

ScratchPool& Pool() {
  static ScratchPool pool;
  return pool;
}

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
  for (SeriesMemory& m : m_free) Pool().Give(m);
  for (SeriesMemory& m : m_busy) Pool().Give(m);
  m_free.clear();
  m_busy.clear();
  m_fields.clear();
}

double* ColumnExecutor::Take() {
  if (m_free.empty()) {
    SeriesMemory m = Pool().Take(m_cells);
    if (m.cells == nullptr) m = series_memory::Allocate(m_cells, false);
    if (m.cells == nullptr) return nullptr;
    m_free.push_back(m);
  }
  m_busy.push_back(m_free.back());
  m_free.pop_back();
  return m_busy.back().cells;
}

void ColumnExecutor::Give(const double* cells) {
  for (size_t i = 0; i < m_busy.size(); ++i) {
    if (m_busy[i].cells != cells) continue;
    SeriesMemory m = m_busy[i];
    m_busy.erase(m_busy.begin() + static_cast<std::ptrdiff_t>(i));
    m_free.push_back(m);
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
  const CalcContext* ctx = m_ctx;
  const double* host = node.fieldIndex < ctx->fieldColumnCount ? ctx->fieldColumns[node.fieldIndex] : nullptr;
  const int32_t held = host != nullptr ? std::min(ctx->columnBars, m_last + 1) : 0;
  if (held == m_last + 1 && std::all_of(host, host + held, [](double v) { return std::isfinite(v); })) {
    m_fields.emplace_back(node.fieldIndex, host);
    column->cells = host;
    return true;
  }
  double* cells = Take();
  if (cells == nullptr) return false;
  m_fields.emplace_back(node.fieldIndex, cells);
  for (int32_t b = 0; b < held; ++b) {
    const double v = host[b];
    cells[b] = std::isfinite(v) ? v : INVALID_VALUE;
  }
  for (int32_t b = std::max(held, 0); b <= m_last; ++b) {
    m_ctx->bar = b;
    if (EvaluateStatementVariable(m_ctx, node.variable, &cells[b], 0) != EVAL_OK) return false;
  }
  column->cells = cells;
  return true;
}

bool ColumnExecutor::ColumnOf(const ColumnPlan& plan, int32_t node, Column* column, std::vector<double*>* taken) {
  const PlanNode& n = plan.nodes[static_cast<size_t>(node)];
  *column = Column{};
  switch (n.kind) {
    case PlanNode::Kind::Constant: column->constant = n.constant; return true;
    case PlanNode::Kind::Field: return FieldColumn(n, column);
    case PlanNode::Kind::Series:
      column->cells = m_ctx->store->GetSeries(n.key.kind, n.key.slot, true, 0);
      return column->cells != nullptr;
    default: break;
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
  Column args[3];
  bool ok = true;
  if (n.kind != PlanNode::Kind::Operator && n.kind != PlanNode::Kind::Call) {
    ok = ColumnOf(plan, node, &args[0], &taken);
    for (int32_t b = 0; ok && b <= m_last; ++b) dest[b] = args[0].At(b);
  } else {
    for (int32_t i = 0; ok && i < 3; ++i) {
      if (n.args[i] >= 0) ok = ColumnOf(plan, n.args[i], &args[i], &taken);
    }
  }
  if (ok && n.kind == PlanNode::Kind::Operator) RunOperator(n.op, args[0], args[1], m_last, dest);
  if (ok && n.kind == PlanNode::Kind::Call) ok = RunCall(n, args, dest, &taken);
  for (double* cells : taken) Give(cells);
  return ok;
}

// A kernel reads its series arguments as arrays: a constant is spread
// over a scratch column (and also holds before bar 0).
bool ColumnExecutor::RunCall(const PlanNode& n, const Column* args, double* dest, std::vector<double*>* taken) {
  KernelRun run;
  const double* arrays[3] = {nullptr, nullptr, nullptr};
  for (int32_t i = 0; i < n.kernel->seriesArgs; ++i) {
    arrays[i] = args[i].cells;
    if (arrays[i] != nullptr) continue;
    double* cells = Take();
    if (cells == nullptr) return false;
    taken->push_back(cells);
    std::fill(cells, cells + m_last + 1, args[i].constant);
    arrays[i] = cells;
    if (i == 0) run.xBefore = args[i].constant;
    if (i == 1) run.yBefore = args[i].constant;
  }
  run.x = arrays[0];
  run.y = arrays[1];
  run.z = arrays[2];
  run.n = n.n;
  run.m = n.m;
  run.last = m_last;
  double* own = nullptr;
  if (n.kernel->ownSeries) {
    own = m_ctx->store->GetSeries(n.key.kind, n.key.slot, true, 0);
    if (own == nullptr) return false;
  }
  // The call's state is made afresh and left as the per-bar walk leaves it.
  for (const int32_t slot : n.stateSlots) {
    if (slot >= 0) m_ctx->store->FreeSeries(OPK_STATE, slot);
  }
  const int32_t stateCells = StateCells(*n.kernel, n.n, m_last);
  if (stateCells > 0 && n.stateSlots[0] >= 0) {
    run.state = m_ctx->store->GetSeries(OPK_STATE, n.stateSlots[0], true, stateCells);
  }
  RunColumnKernel(*n.kernel, run, dest, own);
  return true;
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
    // Every cell up to `last` is written below: a new array is not filled there first.
    double* out = ctx->store->GetSeriesToWrite(s.key.kind, s.key.slot, 0, last);
    if (out == nullptr || !Evaluate(plan, s.root, out)) {
      ok = false;
      break;
    }
  }
  for (const auto& field : m_fields) Give(field.second);
  m_fields.clear();
  // Nothing stays with an idle calculator.
  Release();
  ctx->NoteCell(last);
  return ok;
}
