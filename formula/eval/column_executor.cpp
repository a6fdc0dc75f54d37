#include "formula/eval/column_executor.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <new>

#include "formula/eval/builtins/steps.h"
#include "formula/eval/evaluator.h"
#include "formula/eval/series_store.h"
#include "formula/eval/value.h"

namespace {

std::atomic<int32_t> g_blockBars{ColumnExecutor::kBlockBars};

// One operator over `count` cells; a constant side is read as such.
template <int32_t Op>
void OperatorLoop(const Column& a, const Column& b, int32_t count, double* out) {
  const double* x = a.cells;
  const double* y = b.cells;
  if (x != nullptr && y != nullptr) {
    for (int32_t k = 0; k < count; ++k) out[k] = step::OperatorCell(Op, x[k], y[k]);
  } else if (x != nullptr) {
    for (int32_t k = 0; k < count; ++k) out[k] = step::OperatorCell(Op, x[k], b.constant);
  } else if (y != nullptr) {
    for (int32_t k = 0; k < count; ++k) out[k] = step::OperatorCell(Op, a.constant, y[k]);
  } else {
    std::fill(out, out + count, step::OperatorCell(Op, a.constant, b.constant));
  }
}

void RunOperator(int32_t op, const Column& a, const Column& b, int32_t count, double* out) {
  switch (op) {
    case OP_ADD: return OperatorLoop<OP_ADD>(a, b, count, out);
    case OP_SUB: return OperatorLoop<OP_SUB>(a, b, count, out);
    case OP_MUL: return OperatorLoop<OP_MUL>(a, b, count, out);
    case OP_DIV: return OperatorLoop<OP_DIV>(a, b, count, out);
    case OP_AND: return OperatorLoop<OP_AND>(a, b, count, out);
    case OP_OR: return OperatorLoop<OP_OR>(a, b, count, out);
    case OP_GT: return OperatorLoop<OP_GT>(a, b, count, out);
    case OP_LT: return OperatorLoop<OP_LT>(a, b, count, out);
    case OP_EQ: return OperatorLoop<OP_EQ>(a, b, count, out);
    case OP_GE: return OperatorLoop<OP_GE>(a, b, count, out);
    case OP_LE: return OperatorLoop<OP_LE>(a, b, count, out);
    case OP_NE: return OperatorLoop<OP_NE>(a, b, count, out);
    default: return OperatorLoop<OP_BITOR>(a, b, count, out);
  }
}

// Cells of a column over `count` bars into out.
void CopyColumn(const Column& c, int32_t count, double* out) {
  if (c.cells == nullptr) {
    std::fill(out, out + count, c.constant);
    return;
  }
  std::copy(c.cells, c.cells + count, out);
}

}  // namespace

int32_t ColumnExecutor::SetBlockBars(int32_t bars) {
  return g_blockBars.exchange(std::min(std::max(bars, 1), kBlockBars));
}

ColumnExecutor::~ColumnExecutor() { Release(); }

void ColumnExecutor::Release() {
  for (NodeState& s : m_nodes) series_memory::Release(&s.whole);
  for (SeriesMemory& m : m_fieldMemory) series_memory::Release(&m);
  m_nodes.clear();
  m_fieldMemory.clear();
  m_fields.clear();
  m_blocks.clear();
  m_busy.clear();
}

double* ColumnExecutor::TakeBlock() {
  if (m_blocks.empty()) {
    std::unique_ptr<double[]> cells(new (std::nothrow) double[kBlockBars]);
    if (cells == nullptr) return nullptr;
    m_blocks.push_back(std::move(cells));
  }
  m_busy.push_back(std::move(m_blocks.back()));
  m_blocks.pop_back();
  return m_busy.back().get();
}

void ColumnExecutor::GiveBlock(double* cells) {
  for (size_t i = m_busy.size(); i-- > 0;) {
    if (m_busy[i].get() != cells) continue;
    m_blocks.push_back(std::move(m_busy[i]));
    m_busy.erase(m_busy.begin() + static_cast<std::ptrdiff_t>(i));
    return;
  }
}

double* ColumnExecutor::WholeOf(int32_t node) {
  NodeState& s = m_nodes[static_cast<size_t>(node)];
  if (s.whole.cells == nullptr) s.whole = series_memory::Allocate(m_cells, false);
  return s.whole.cells;
}

// A field as the evaluator reads it: the host's column where it holds the
// bar (only a finite number is a value), the provider otherwise, over the
// bars from m_readFrom on.
const double* ColumnExecutor::FieldColumn(const PlanNode& node) {
  for (const auto& field : m_fields) {
    if (field.first == node.fieldIndex) return field.second;
  }
  const CalcContext* ctx = m_ctx;
  const double* host = node.fieldIndex < ctx->fieldColumnCount ? ctx->fieldColumns[node.fieldIndex] : nullptr;
  const int32_t held = host != nullptr ? std::min(ctx->columnBars, m_last + 1) : 0;
  const auto finite = [](double v) { return std::isfinite(v); };
  if (held == m_last + 1 && std::all_of(host + m_readFrom, host + held, finite)) {
    m_fields.emplace_back(node.fieldIndex, host);
    return host;
  }
  SeriesMemory memory = series_memory::Allocate(m_cells, false);
  double* cells = memory.cells;
  if (cells == nullptr) return nullptr;
  m_fieldMemory.push_back(memory);
  m_fields.emplace_back(node.fieldIndex, cells);
  for (int32_t b = m_readFrom; b < held; ++b) {
    const double v = host[b];
    cells[b] = std::isfinite(v) ? v : INVALID_VALUE;
  }
  for (int32_t b = std::max(held, m_readFrom); b <= m_last; ++b) {
    m_ctx->bar = b;
    if (EvaluateStatementVariable(m_ctx, node.variable, &cells[b], 0) != EVAL_OK) return nullptr;
  }
  return cells;
}

bool ColumnExecutor::ColumnOf(const ColumnPlan& plan, int32_t node, bool whole, int32_t first, int32_t last,
                              Column* column, Taken* taken) {
  const PlanNode& n = plan.nodes[static_cast<size_t>(node)];
  *column = Column{};
  const double* base = nullptr;
  switch (n.kind) {
    case PlanNode::Kind::Constant:
      column->constant = n.constant;
      if (!whole) return true;
      if (double* cells = WholeOf(node)) {
        std::fill(cells + first, cells + last + 1, n.constant);
        base = cells;
      }
      break;
    case PlanNode::Kind::Field: base = FieldColumn(n); break;
    case PlanNode::Kind::Series: base = m_ctx->store->GetSeries(n.key.kind, n.key.slot, true, 0); break;
    default: {
      double* cells = whole ? WholeOf(node) : TakeBlock();
      if (cells == nullptr) return false;
      if (!whole) taken->Add(cells);
      double* dest = whole ? cells + first : cells;  // a whole column holds bar 0 first
      column->cells = dest;
      return Evaluate(plan, node, dest, first, last);
    }
  }
  if (base == nullptr) return false;
  column->cells = base + first;
  return true;
}

bool ColumnExecutor::Evaluate(const ColumnPlan& plan, int32_t node, double* dest, int32_t first, int32_t last) {
  const PlanNode& n = plan.nodes[static_cast<size_t>(node)];
  const int32_t count = last - first + 1;
  if (n.kind == PlanNode::Kind::Call) return EvaluateCall(plan, node, dest, first, last);
  Taken taken;
  Column args[3];
  bool ok = true;
  if (n.kind != PlanNode::Kind::Operator) {
    ok = ColumnOf(plan, node, false, first, last, &args[0], &taken);
    if (ok) CopyColumn(args[0], count, dest);
  } else if (IsSmootherCall(plan, n.args[0]) && IsSmootherCall(plan, n.args[1])) {
    ok = EvaluateSmootherPair(plan, n, first, last, args, &taken);
  } else {
    for (int32_t i = 0; ok && i < 2; ++i) ok = ColumnOf(plan, n.args[i], false, first, last, &args[i], &taken);
  }
  if (ok && n.kind == PlanNode::Kind::Operator) RunOperator(n.op, args[0], args[1], count, dest);
  for (int32_t i = 0; i < taken.count; ++i) GiveBlock(taken.cells[i]);
  return ok;
}

bool ColumnExecutor::IsSmootherCall(const ColumnPlan& plan, int32_t node) const {
  if (node < 0) return false;
  const PlanNode& n = plan.nodes[static_cast<size_t>(node)];
  return n.kind == PlanNode::Kind::Call && IsSmoother(*n.kernel);
}

bool ColumnExecutor::EvaluateCall(const ColumnPlan& plan, int32_t node, double* dest, int32_t first, int32_t last) {
  PreparedCall call;
  const bool ok = PrepareCall(plan, node, first, last, &call);
  if (ok) RunColumnKernel(*plan.nodes[static_cast<size_t>(node)].kernel, call.run, dest, call.own);
  for (int32_t i = 0; i < call.taken.count; ++i) GiveBlock(call.taken.cells[i]);
  return ok;
}

// An operator over two smoothers runs both walks in one loop, each into a
// block buffer that becomes the operator's argument.
bool ColumnExecutor::EvaluateSmootherPair(const ColumnPlan& plan, const PlanNode& op, int32_t first, int32_t last,
                                          Column* args, Taken* taken) {
  PreparedCall calls[2];
  double* cells[2] = {nullptr, nullptr};
  bool ok = true;
  for (int32_t i = 0; ok && i < 2; ++i) {
    cells[i] = TakeBlock();
    ok = cells[i] != nullptr;
    if (ok) taken->Add(cells[i]);
    if (ok) ok = PrepareCall(plan, op.args[i], first, last, &calls[i]);
    args[i].cells = cells[i];
  }
  if (ok) {
    RunSmootherPair(*plan.nodes[static_cast<size_t>(op.args[0])].kernel, calls[0].run, cells[0], calls[0].own,
                    *plan.nodes[static_cast<size_t>(op.args[1])].kernel, calls[1].run, cells[1], calls[1].own);
  }
  for (const PreparedCall& call : calls) {
    for (int32_t i = 0; i < call.taken.count; ++i) GiveBlock(call.taken.cells[i]);
  }
  return ok;
}

// A kernel reads its series arguments as arrays: a constant is spread
// over a block buffer (a kernel that reads older bars has it as a whole
// column already), and it also holds before bar 0.
bool ColumnExecutor::PrepareCall(const ColumnPlan& plan, int32_t node, int32_t first, int32_t last,
                                 PreparedCall* call) {
  const PlanNode& n = plan.nodes[static_cast<size_t>(node)];
  NodeState& state = m_nodes[static_cast<size_t>(node)];
  Column args[3];
  KernelRun& run = call->run;
  const double* arrays[3] = {nullptr, nullptr, nullptr};
  double before[3] = {INVALID_VALUE, INVALID_VALUE, INVALID_VALUE};
  for (int32_t i = 0; i < n.kernel->seriesArgs; ++i) {
    if (!ColumnOf(plan, n.args[i], n.kernel->readsOlder, first, last, &args[i], &call->taken)) return false;
    const PlanNode& arg = plan.nodes[static_cast<size_t>(n.args[i])];
    if (arg.kind == PlanNode::Kind::Constant) before[i] = arg.constant;
    arrays[i] = args[i].cells;
    if (arrays[i] != nullptr) continue;
    double* cells = TakeBlock();
    if (cells == nullptr) return false;
    call->taken.Add(cells);
    std::fill(cells, cells + (last - first + 1), args[i].constant);
    arrays[i] = cells;
  }
  run.x = arrays[0];
  run.y = arrays[1];
  run.z = arrays[2];
  run.xBefore = before[0];
  run.yBefore = before[1];
  run.n = n.n;
  run.m = n.m;
  run.first = first;
  run.last = last;
  run.carry = &state.carry;
  if (n.kernel->ownSeries) {
    call->own = m_ctx->store->GetSeries(n.key.kind, n.key.slot, true, 0);
    if (call->own == nullptr) return false;
    call->own += first;
  }
  // The call's state is made afresh and left as the per-bar walk leaves it.
  if (!state.started) {
    for (const int32_t slot : n.stateSlots) {
      if (slot >= 0) m_ctx->store->FreeSeries(OPK_STATE, slot);
    }
    state.started = true;
  }
  const int32_t stateCells = StateCells(*n.kernel, n.n, m_last);
  if (last == m_last && stateCells > 0 && n.stateSlots[0] >= 0) {
    run.state = m_ctx->store->GetSeries(OPK_STATE, n.stateSlots[0], true, stateCells);
  }
  return true;
}

bool ColumnExecutor::RunBlock(const ColumnPlan& plan, int32_t first, int32_t last) {
  for (const PlannedSeries& s : plan.series) {
    if (s.root < 0) continue;
    // Every cell of the range is written: a new array is not filled there first.
    double* out = m_ctx->store->GetSeriesToWrite(s.key.kind, s.key.slot, m_first, m_last);
    if (out == nullptr || !Evaluate(plan, s.root, out + first, first, last)) return false;
  }
  return true;
}

// Whether what the plan reads before `first` is all there: series read at
// older bars, and the previous cell of every smoother's own series, hold a
// computed cell at every bar read, and nothing else is read at older bars
// (an expression there would need the bars before the range computed too).
// *from is the first bar read.
bool ColumnExecutor::CanRunFrom(const ColumnPlan& plan, SeriesStore* store, int32_t first, int32_t* from) {
  *from = first;
  if (first == 0) return true;
  for (const PlanNode& n : plan.nodes) {
    if (n.kind != PlanNode::Kind::Call) continue;
    if (n.kernel->ownSeries && !ComputedCells(store, n.key, first - 1, first - 1)) return false;
    const int32_t look = LookBack(*n.kernel, n.n);
    if (look == 0) continue;
    const int32_t oldest = std::max(first - look, 0);
    for (int32_t i = 0; i < n.kernel->seriesArgs; ++i) {
      const PlanNode& arg = plan.nodes[static_cast<size_t>(n.args[i])];
      if (arg.kind == PlanNode::Kind::Series && !ComputedCells(store, arg.key, oldest, first - 1)) return false;
      if (arg.kind != PlanNode::Kind::Series && arg.kind != PlanNode::Kind::Field) return false;
      *from = std::min(*from, oldest);
    }
  }
  return true;
}

bool ColumnExecutor::ComputedCells(SeriesStore* store, SeriesKey key, int32_t from, int32_t to) {
  const double* cells = store->GetSeries(key.kind, key.slot, false, 0);
  if (cells == nullptr) return false;
  return std::none_of(cells + from, cells + to + 1, [](double v) { return IsUncomputed(v); });
}

bool ColumnExecutor::Run(const ColumnPlan& plan, CalcContext* ctx, int32_t first, int32_t last) {
  if (ctx == nullptr || ctx->store == nullptr || first < 0 || first > last || last >= ctx->store->BarCount()) {
    return false;
  }
  Release();
  if (!CanRunFrom(plan, ctx->store, first, &m_readFrom)) return false;
  m_cells = static_cast<size_t>(ctx->store->BarCount()) + 2;
  m_ctx = ctx;
  m_first = first;
  m_last = last;
  m_blockBars = g_blockBars.load();
  bool ok = true;
  try {
    m_nodes.resize(plan.nodes.size());
  } catch (const std::exception&) {
    ok = false;
  }
  for (int64_t start = first; ok && start <= last; start += m_blockBars) {
    if (ctx->Cancelled()) {
      ok = false;
      break;
    }
    const int64_t end = std::min<int64_t>(last, start + m_blockBars - 1);
    ok = RunBlock(plan, static_cast<int32_t>(start), static_cast<int32_t>(end));
  }
  // Nothing stays with an idle calculator.
  Release();
  ctx->NoteCell(last);
  return ok;
}
