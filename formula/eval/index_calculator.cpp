#include "formula/eval/index_calculator.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "abacor/data_provider.h"
#include "abacor/draw_info.h"
#include "abacor/index_parser.h"
#include "formula/eval/assignment_index.h"
#include "formula/eval/calc_context.h"
#include "formula/eval/calculate_info.h"
#include "formula/eval/column_executor.h"
#include "formula/eval/column_plan.h"
#include "formula/eval/draw/elements.h"
#include "formula/eval/draw/job.h"
#include "formula/eval/draw/output.h"
#include "formula/eval/evaluator.h"
#include "formula/eval/function_table.h"
#include "formula/eval/price_snapshot.h"
#include "formula/eval/series_store.h"
#include "formula/eval/value.h"

namespace {

using Lock = std::lock_guard<std::recursive_mutex>;

// Ranges shorter than this stay per bar: planning would cost more than it saves.
constexpr int32_t kMinColumnBars = 64;

// Extra bars before or after a requested range are capped at this many.
constexpr int64_t kExtraBarsCap = 500;

// Style codes that make an output colour its marks by price movement.
constexpr uint32_t kCircleSar = 0x01000004;         // CITSAR
constexpr uint32_t kColumnVolStick = 0x01000000;    // CLTVOLSTICK
constexpr uint32_t kColumnRtVolStick = 0x01000004;  // CLTRTVOLSTICK

// Runs an interface operation; an escaping exception (out of memory, a lock
// failure) becomes a plain false, since nothing may cross the interface.
template <typename Fn>
bool NoThrow(Fn&& fn) {
  try {
    return fn();
  } catch (...) {
    return false;
  }
}

int32_t ClampToBars(int64_t bar, int32_t lastBar) {
  return static_cast<int32_t>(std::clamp<int64_t>(bar, 0, std::max(lastBar, 0)));
}

// The element list of an output record's draw id; null for anything else.
const DrawElements* ElementsOf(const ExprRecord* record) {
  if (record == nullptr || record->count < 1 || record->kinds[0] != OPK_FUNC_ID) return nullptr;
  return FindDrawElements(record->values[0].Int32());
}

bool OutputNeedsPrices(const ExprRecord* record) {
  const DrawElements* list = ElementsOf(record);
  if (list == nullptr) return false;
  uint32_t code = 0;
  switch (list->drawId) {
    case kDrawKLine: return true;
    case kDrawCircular: return ReadConstantCode(*record, 1, &code) && code == kCircleSar;
    case kDrawColumn:
      return ReadConstantCode(*record, 1, &code) && (code == kColumnVolStick || code == kColumnRtVolStick);
    default: return false;
  }
}

// Whether the environment turns the column executor off: "off" or "0".
bool ColumnExecutorOffByEnvironment() {
  const char* value = std::getenv("ABACOR_COLUMN_EXECUTOR");
  if (value == nullptr) return false;
  return std::strcmp(value, "off") == 0 || std::strcmp(value, "0") == 0;
}

}  // namespace

CIndexCalculator::CIndexCalculator() = default;

void CIndexCalculator::SetColumnExecutor(bool on) { m_columnExecutor.store(on); }

bool CIndexCalculator::ColumnExecutorEnabled() const {
  return m_columnExecutor.load() && !ColumnExecutorOffByEnvironment();
}

CIndexCalculator::~CIndexCalculator() {
  Lock calc(m_calcLock);
  Lock read(m_readLock);
  m_store.reset();
  m_priceSnapshot.reset();
  m_readStore.reset();
  m_readSnapshot.reset();
  m_columnExecutorState.reset();
}

CCalculateInfo* CIndexCalculator::Program() const {
  if (m_parser == nullptr) return nullptr;
  CCalculateInfo* program = nullptr;
  if (!m_parser->GetCalculateInfo(&program)) return nullptr;
  return program;
}

// ---- setters ----------------------------------------------------------------

bool CIndexCalculator::SetIndexParser(IIndexParser* parser) {
  if (parser == nullptr) return false;
  return NoThrow([&] {
    Lock calc(m_calcLock);
    {
      Lock read(m_readLock);
      m_parser = parser;
    }
    FullReset();
    RefreshProgramFlags();
    return true;
  });
}

bool CIndexCalculator::SetDataProvider(IIndexDataProvider* provider) {
  if (provider == nullptr) return false;
  return NoThrow([&] {
    Lock calc(m_calcLock);
    {
      Lock read(m_readLock);
      m_dataProvider = provider;
      m_bulkProvider = dynamic_cast<IIndexBulkDataProvider*>(provider);
      m_guard.Reset(provider);
    }
    FullReset();
    return true;
  });
}

void CIndexCalculator::RefreshProgramFlags() {
  bool flag = false;
  m_extendHistory = m_parser != nullptr && m_parser->GetExtendHistory(&flag) && flag;
  flag = false;
  m_extendForward = m_parser != nullptr && m_parser->GetExtendForward(&flag) && flag;
  flag = false;
  m_recalcAll = m_parser != nullptr && m_parser->GetRecalcAll(&flag) && flag;
  m_needsPriceSnapshot = ComputeNeedsPriceSnapshot();
  m_storeProgram = Program();
}

bool CIndexCalculator::ComputeNeedsPriceSnapshot() const {
  const CCalculateInfo* program = Program();
  if (program == nullptr) return false;
  const int32_t outputs = static_cast<int32_t>(program->m_outputs.size());
  for (int32_t i = 0; i < outputs; ++i) {
    if (OutputNeedsPrices(program->FindOutputRecord(i))) return true;
  }
  return false;
}

// The program differs from the one the store was filled from: another
// object, or the same address holding a recompiled program.
bool CIndexCalculator::ProgramChanged() const {
  const CCalculateInfo* program = Program();
  if (program != m_storeProgram) return true;
  return program != nullptr && m_assignmentIndex != nullptr && !m_assignmentIndex->Fits(*program);
}

// ---- resets -----------------------------------------------------------------

void CIndexCalculator::FullReset() {
  m_rangeFirst = -1;
  m_rangeLast = -1;
  m_dirtyLast = -1;
  m_store.reset();
  m_priceSnapshot.reset();
  m_scalarCache.clear();
  m_assignmentIndex.reset();
}

void CIndexCalculator::PartialReset() {
  const CCalculateInfo* program = Program();
  if (program == nullptr || m_store == nullptr) return;
  m_rangeFirst = -1;
  m_rangeLast = -1;
  for (const auto& slot : program->m_resetSlots4) m_store->FreeSeries(OPK_OUTPUT_SERIES, slot.first);
  for (const auto& slot : program->m_resetSlots5) m_store->FreeSeries(OPK_VAR_SERIES, slot.first);
  for (const int32_t handle : program->m_resetStateBlocks) {
    const int32_t low = handle & 0xFFFF;
    const int32_t high = (handle >> 16) & 0xFFFF;
    if (low != 0xFFFF) m_store->FreeSeries(OPK_STATE, low);
    if (high != 0xFFFF) m_store->FreeSeries(OPK_STATE, high);
  }
}

void CIndexCalculator::ReleaseReadSide() {
  Lock read(m_readLock);
  m_readStore.reset();
  m_readSnapshot.reset();
}

// ---- calculation ------------------------------------------------------------

bool CIndexCalculator::Calculate(int32_t first, int32_t last, bool force) {
  return NoThrow([&] {
    Lock calc(m_calcLock);
    try {
      return CalculateLocked(first, last, force);
    } catch (...) {
      // A run cut short (out of memory) leaves nothing half calculated.
      FullReset();
      return false;
    }
  });
}

bool CIndexCalculator::CalculateLocked(int32_t first, int32_t last, bool force) {
  m_stop.store(false);
  int32_t n = 0;
  if (m_dataProvider != nullptr) m_guard.GetBarCount(&n);
  if (n < 1) {
    FullReset();
    return false;
  }
  // A recompiled program names its series afresh: nothing cached survives.
  if (ProgramChanged()) {
    FullReset();
    RefreshProgramFlags();
  }
  const bool full = first == 0 && last == n - 1;
  if (full) FullReset();
  if (!MakeStores()) {
    FullReset();
    return false;
  }
  NormaliseRange(first, last);
  if (!full && m_recalcAll) {
    PartialReset();
    ReleaseReadSide();
  }
  if (!force && m_rangeFirst >= 0 && first >= m_rangeFirst && first <= m_rangeLast) {
    if (last <= m_rangeLast) return true;
    first = m_rangeLast + 1;
  }
  if (CalculateRange(first, last)) return true;
  FullReset();
  return false;
}

bool CIndexCalculator::MakeStores() {
  int32_t n = 0;
  m_guard.GetBarCount(&n);
  if (n < 1) return false;
  if (m_store == nullptr) {
    // Output series may be handed to the read store when published whole.
    m_store = std::make_unique<SeriesStore>(n, OPK_OUTPUT_SERIES);
    m_dirtyLast = -1;
    m_storeProgram = Program();
  }
  if (m_needsPriceSnapshot && m_priceSnapshot == nullptr) {
    m_priceSnapshot = std::make_unique<PriceSnapshot>(m_store->BarCount());
  }
  return true;
}

void CIndexCalculator::NormaliseRange(int32_t& first, int32_t& last) const {
  if (first > last) std::swap(first, last);
  const int32_t lastBar = m_store != nullptr ? m_store->BarCount() - 1 : 0;
  first = ClampToBars(first, lastBar);
  last = ClampToBars(last, lastBar);
}

bool CIndexCalculator::CalculateRange(int32_t first, int32_t last) {
  int32_t total = 0;
  if (!m_guard.GetTotalBarCount(&total)) return false;
  if (total < 1) return true;
  if (last >= total) {
    last = total - 1;
    first = std::min(first, last);
  }
  if (m_needsPriceSnapshot && first >= 0 && last >= 0 && m_priceSnapshot != nullptr) {
    m_priceSnapshot->Fill(&m_guard, first, last);
    m_pendingSnapshotRanges.emplace_back(first, last);
  }
  ExtendRange(first, last);
  NormaliseRange(first, last);
  if (m_recalcAll) {
    m_pendingOutputRanges.emplace_back(m_rangeFirst, m_rangeLast);
  } else {
    m_pendingOutputRanges.emplace_back(first, last);
  }
  return RunOutputs(first, last);
}

int64_t CIndexCalculator::ExtraBefore(int32_t bar) {
  int32_t anchor = bar;
  m_guard.GetAnchorBar(bar, 0, &anchor);
  const int64_t distance = std::max<int64_t>(int64_t{bar} - anchor, 0);
  return m_extendHistory ? std::max(distance, kExtraBarsCap) : std::min(distance, kExtraBarsCap);
}

int64_t CIndexCalculator::ExtraAfter(int32_t bar) {
  if (!m_extendForward) return 0;
  int32_t anchor = bar;
  m_guard.GetAnchorBar(bar, 1, &anchor);
  return std::clamp<int64_t>(int64_t{anchor} - bar, 0, kExtraBarsCap);
}

void CIndexCalculator::ExtendRange(int32_t& first, int32_t& last) {
  const int32_t lastBar = m_store->BarCount() - 1;
  // A range that starts beyond the calculated one (a gap) starts afresh.
  const bool fresh = m_rangeFirst < 0 || first > m_rangeLast + 1;
  if (fresh || first < m_rangeFirst) first = ClampToBars(int64_t{first} - ExtraBefore(first), lastBar);
  if (fresh || last > m_rangeLast) last = ClampToBars(int64_t{last} + ExtraAfter(last), lastBar);
  if (fresh || first < m_rangeFirst) m_rangeFirst = first;
  m_rangeLast = last;
  // Nothing outside the calculated range survives.
  if (m_rangeFirst > 0) m_store->Invalidate(0, m_rangeFirst - 1);
  const int32_t dirtyEnd = std::min(lastBar, m_dirtyLast);
  if (m_rangeLast < dirtyEnd) m_store->Invalidate(m_rangeLast + 1, dirtyEnd);
  m_dirtyLast = std::min(m_dirtyLast, m_rangeLast);
}

void CIndexCalculator::FillContext(CalcContext& ctx, CCalculateInfo* program) {
  ctx.store = m_store.get();
  ctx.dataProvider = &m_guard;
  ctx.program = program;
  ctx.scalarCache = &m_scalarCache;
  ctx.cancelFlag = &m_stop;
  m_guard.GetBarCount(&ctx.barCount);
  // The store never grows; bars it cannot hold are outside the data.
  ctx.barCount = std::min(ctx.barCount, m_store->BarCount());
  m_guard.GetTotalBarCount(&ctx.totalBarCount);
  ctx.periodType = 3;
  ctx.periodMult = 1;
  m_guard.GetPeriod(&ctx.periodType, &ctx.periodMult);
  ctx.defaultValue = 0.0;
  ctx.rangeFirst = m_rangeFirst;
  ctx.rangeLast = m_rangeLast;
  // CalculateLocked has just checked that an existing index fits the program.
  if (m_assignmentIndex == nullptr || m_assignmentIndex->Program() != program) {
    m_assignmentIndex = std::make_unique<AssignmentIndex>(*program);
  }
  ctx.assignmentIndex = m_assignmentIndex.get();
  FillColumns(ctx, *program);
}

// Asks a bulk-read provider for a column of each per-bar field the program
// reads; a column refused (or a throwing host) leaves that field to
// GetFieldValue.
void CIndexCalculator::FillColumns(CalcContext& ctx, const CCalculateInfo& program) {
  m_columns.clear();
  if (m_bulkProvider == nullptr || ctx.barCount < 1) return;
  m_columns.assign(program.m_fieldIds.size(), nullptr);
  for (size_t i = 0; i < m_columns.size(); ++i) {
    const int32_t field = program.m_fieldIds[i];
    if (field < 1 || field > 500) continue;
    try {
      m_columns[i] = m_bulkProvider->GetFieldColumn(field, ctx.barCount);
    } catch (...) {
      m_columns[i] = nullptr;
    }
  }
  ctx.fieldColumns = m_columns.data();
  ctx.fieldColumnCount = static_cast<int32_t>(m_columns.size());
  ctx.columnBars = ctx.barCount;
}

bool CIndexCalculator::RunOutputs(int32_t first, int32_t last) {
  m_store->Invalidate(first, last);
  CCalculateInfo* program = Program();
  if (program == nullptr) return false;
  CalcContext ctx;
  FillContext(ctx, program);
  const bool done =
      ColumnRange(first, last) ? RunColumns(ctx, program, first, last) : RunAllOutputs(ctx, program, first, last);
  // Whole-range passes fill up to the last addressable bar.
  const int32_t addressable = std::min(ctx.totalBarCount, m_store->BarCount()) - 1;
  m_dirtyLast = std::max({m_dirtyLast, ctx.highestCell, last, addressable});
  return done;
}

bool CIndexCalculator::RunAllOutputs(CalcContext& ctx, CCalculateInfo* program, int32_t first, int32_t last) {
  const int32_t outputs = static_cast<int32_t>(program->m_outputs.size());
  for (int32_t i = 0; i < outputs; ++i) {
    if (m_stop.load(std::memory_order_relaxed)) return false;
    const ExprRecord* record = program->FindOutputRecord(i);
    const DrawElements* list = ElementsOf(record);
    if (list == nullptr) continue;
    if (!ComputeOutput(ctx, *record, *list, first, last)) return false;
  }
  return !m_stop.load(std::memory_order_relaxed);
}

bool CIndexCalculator::ColumnRange(int32_t first, int32_t last) const {
  if (m_rangeFirst != 0 || last - first + 1 < kMinColumnBars) return false;
  if (m_recalcAll || m_extendForward) return false;
  return ColumnExecutorEnabled();
}

bool CIndexCalculator::RunColumns(CalcContext& ctx, CCalculateInfo* program, int32_t first, int32_t last) {
  const ColumnPlan plan = PlanColumns(*program, m_assignmentIndex.get(), OutputElementsOf(*program));
  // A range after bar 0 runs in columns only when what it reads before
  // its first bar is all computed already.
  int32_t oldest = first;
  if (!plan.usable || !ColumnExecutor::CanRunFrom(plan, ctx.store, first, &oldest)) {
    return RunAllOutputs(ctx, program, first, last);
  }
  if (m_columnExecutorState == nullptr) m_columnExecutorState = std::make_unique<ColumnExecutor>();
  if (!m_columnExecutorState->Run(plan, &ctx, first, last)) return false;
  for (const OutputElement& e : plan.perBar) {
    if (m_stop.load(std::memory_order_relaxed)) return false;
    if (!RunElement(ctx, *program->FindOutputRecord(e.output), e.element, first, last)) return false;
  }
  return !m_stop.load(std::memory_order_relaxed);
}

bool CIndexCalculator::ComputeOutput(CalcContext& ctx, const ExprRecord& record, const DrawElements& list,
                                     int32_t first, int32_t last) {
  for (int32_t k = 0; k < list.elementCount; ++k) {
    SeriesKey key;
    const int32_t element = list.elements[static_cast<size_t>(k)];
    if (!ctx.program->FindOutputSeriesKey(&record, element, &key)) return true;
    const bool whole = ctx.program->IsWholeRange(key);
    if (!RunElement(ctx, record, element, whole ? m_rangeFirst : first, whole ? m_rangeLast : last)) {
      return false;
    }
  }
  return true;
}

bool CIndexCalculator::RunElement(CalcContext& ctx, const ExprRecord& record, int32_t element, int32_t first,
                                  int32_t last) {
  const OperandKind kind = record.kinds[element];
  const OperandValue value = record.values[element];
  double ignored = 0.0;
  for (int32_t bar = first; bar <= last; ++bar) {
    if (m_stop.load(std::memory_order_relaxed)) return false;
    ctx.bar = bar;
    EvaluateOutputOperand(&ctx, kind, value, &ignored, 0);
  }
  return true;
}

bool CIndexCalculator::Stop() {
  m_stop.store(true);
  return true;
}

// ---- publishing -------------------------------------------------------------

bool CIndexCalculator::PublishResults() {
  return NoThrow([&] {
    Lock calc(m_calcLock);
    Lock read(m_readLock);
    if (m_dataProvider == nullptr) return false;
    int32_t total = -1;
    if (!m_guard.GetTotalBarCount(&total)) total = -1;
    m_publishedTotalBars = total;
    if (m_store == nullptr) return false;
    const int32_t n = m_store->BarCount();
    if (m_needsPriceSnapshot && !PublishSnapshot()) return false;
    if (m_readStore != nullptr && m_readStore->BarCount() != n) {
      m_readStore.reset();
      m_pendingOutputRanges.assign(1, Range{0, n - 1});
    }
    if (m_readStore == nullptr) {
      if (n < 1) return false;
      m_readStore = std::make_unique<SeriesStore>(n);
      // A new read store receives the whole calculated range, not only
      // what changed since the last publish; outside that range the
      // calculation store holds nothing.
      if (m_rangeFirst >= 0) m_pendingOutputRanges.assign(1, Range{m_rangeFirst, m_rangeLast});
    }
    return PublishOutputs(n);
  });
}

bool CIndexCalculator::PublishSnapshot() {
  if (m_priceSnapshot == nullptr) return false;
  const int32_t size = m_priceSnapshot->BarCount();
  if (m_readSnapshot != nullptr && m_readSnapshot->BarCount() != size) m_readSnapshot.reset();
  if (m_readSnapshot == nullptr) {
    if (size < 1) return false;
    m_readSnapshot = std::make_unique<PriceSnapshot>(size);
    m_pendingSnapshotRanges.assign(1, Range{0, size - 1});
  }
  for (const Range& range : m_pendingSnapshotRanges) {
    m_readSnapshot->CopyRange(*m_priceSnapshot, std::min(range.first, range.second),
                              std::max(range.first, range.second));
  }
  m_pendingSnapshotRanges.clear();
  return true;
}

bool CIndexCalculator::PublishOutputs(int32_t n) {
  const CCalculateInfo* program = Program();
  if (program == nullptr) return false;
  const int32_t outputs = static_cast<int32_t>(program->m_outputs.size());
  for (const Range& pending : m_pendingOutputRanges) {
    const int32_t first = std::max(std::min(pending.first, pending.second), 0);
    const int32_t last = std::min(std::max(pending.first, pending.second), n - 1);
    // A range that lies wholly outside the store has nothing to copy.
    if (first > last) continue;
    for (int32_t i = 0; i < outputs; ++i) {
      const ExprRecord* record = program->FindOutputRecord(i);
      const DrawElements* list = ElementsOf(record);
      if (list != nullptr) CopyOutputRange(*program, *record, *list, first, last);
    }
  }
  m_published = true;
  m_pendingOutputRanges.clear();
  return true;
}

void CIndexCalculator::CopyOutputRange(const CCalculateInfo& program, const ExprRecord& record,
                                       const DrawElements& list, int32_t first, int32_t last) {
  for (int32_t k = 0; k < list.elementCount; ++k) {
    SeriesKey key;
    if (!program.FindOutputSeriesKey(&record, list.elements[static_cast<size_t>(k)], &key)) {
      continue;
    }
    // A range over every bar takes the calculated array over instead of
    // copying it, so a whole-range calculation is not held twice.
    const bool whole = first == 0 && last == m_readStore->BarCount() - 1;
    if (whole && m_readStore->TakeShared(m_store.get(), key.kind, key.slot)) continue;
    const double* from = m_store->GetSeries(key.kind, key.slot, true, 0);
    double* to = m_readStore->GetSeries(key.kind, key.slot, true, 0);
    if (from == nullptr || to == nullptr) continue;
    std::copy(from + first, from + last + 1, to + first);
  }
}

bool CIndexCalculator::ReleaseResults() {
  return NoThrow([&] {
    ReleaseReadSide();
    return true;
  });
}

// ---- read-backs -------------------------------------------------------------

bool CIndexCalculator::GetCalculatedRange(int32_t* first, int32_t* last) {
  if (first == nullptr || last == nullptr) return false;
  return NoThrow([&] {
    Lock calc(m_calcLock);
    *first = m_rangeFirst;
    *last = m_rangeLast;
    return true;
  });
}

const double* CIndexCalculator::ReadSeries(const ExprRecord& record, int32_t element) const {
  const CCalculateInfo* program = Program();
  SeriesKey key;
  if (program == nullptr || m_readStore == nullptr) return nullptr;
  if (!program->FindOutputSeriesKey(&record, element, &key)) return nullptr;
  return m_readStore->GetSeries(key.kind, key.slot, false, 0);
}

bool CIndexCalculator::GetOutputValues(int32_t output, int32_t first, int32_t last, double* values, bool* valid) {
  if (first < 0 || last < 0 || first > last || values == nullptr || valid == nullptr) return false;
  return NoThrow([&] {
    Lock read(m_readLock);
    const CCalculateInfo* program = Program();
    if (program == nullptr) return false;
    const ExprRecord* record = program->FindOutputRecord(output);
    const DrawElements* list = ElementsOf(record);
    if (list == nullptr || list->drawId > kDrawColumn) return false;
    // The line element: 1 for a curve, 2 for circle marks, 3 for columns.
    const int32_t element = list->elements[0];
    if (m_readStore == nullptr || last >= m_readStore->BarCount()) return false;
    const double* cells = ReadSeries(*record, element);
    if (cells == nullptr) return false;
    for (int32_t bar = first; bar <= last; ++bar) {
      const double v = cells[bar];
      const bool has = HasValue(v);
      values[bar - first] = has ? v : INVALID_VALUE;
      valid[bar - first] = has;
    }
    return true;
  });
}

bool CIndexCalculator::GetOutputValue(int32_t output, int32_t bar, double* value) {
  if (value == nullptr) return false;
  double v = INVALID_VALUE;
  bool valid = false;
  if (!GetOutputValues(output, bar, bar, &v, &valid)) return false;
  *value = v;
  return valid;
}

bool CIndexCalculator::GetOutputArgValue(int32_t output, int32_t arg, int32_t bar, double* value) {
  if (value == nullptr) return false;
  *value = INVALID_VALUE;
  if (output < 0 || arg < 0 || bar < 0) return false;
  return NoThrow([&] {
    Lock read(m_readLock);
    const CCalculateInfo* program = Program();
    if (program == nullptr) return false;
    if (output >= static_cast<int32_t>(program->m_outputs.size())) return false;
    const ExprRecord* record = program->FindOutputRecord(output);
    if (record == nullptr || record->count < 1 || record->kinds[0] != OPK_FUNC_ID) return false;
    if (arg >= FunctionArgCount(record->values[0].Int32())) return false;
    if (m_readStore == nullptr || bar >= m_readStore->BarCount()) return false;
    const double* cells = ReadSeries(*record, arg + 1);
    if (cells == nullptr || !HasValue(cells[bar])) return false;
    *value = cells[bar];
    return true;
  });
}

bool CIndexCalculator::WidenByOutput(const ExprRecord& record, int32_t first, int32_t last, double* min,
                                     double* max) const {
  const DrawElements* list = ElementsOf(&record);
  if (list == nullptr) return false;
  bool counted = false;
  for (int32_t k = 0; k < list->valueCount; ++k) {
    const DrawValueElement& ve = list->values[static_cast<size_t>(k)];
    const double* cells = ReadSeries(record, ve.element);
    const double* condition = ve.condition != 0 ? ReadSeries(record, ve.condition) : nullptr;
    if (cells == nullptr || (ve.condition != 0 && condition == nullptr)) continue;
    for (int32_t bar = first; bar <= last; ++bar) {
      const double v = cells[bar];
      // An infinity or NaN would make the range useless to a chart axis.
      if (!HasValue(v) || !std::isfinite(v)) continue;
      if (condition != nullptr && !IsTrue(condition[bar])) continue;
      *min = std::min(*min, v);
      *max = std::max(*max, v);
      counted = true;
    }
  }
  return counted;
}

bool CIndexCalculator::GetValueRange(int32_t first, int32_t last, const std::set<int32_t>& hidden, double* min,
                                     double* max) {
  if (first < 0 || last < 0 || first > last || min == nullptr || max == nullptr) return false;
  return NoThrow([&] {
    Lock read(m_readLock);
    const CCalculateInfo* program = Program();
    if (program == nullptr) return false;
    if (m_readStore == nullptr || last >= m_readStore->BarCount()) return false;
    double low = std::numeric_limits<double>::max();
    double high = -std::numeric_limits<double>::max();
    bool counted = false;
    const int32_t outputs = static_cast<int32_t>(program->m_outputs.size());
    for (int32_t i = 0; i < outputs; ++i) {
      bool flagged = false;
      if (hidden.count(i) != 0) continue;
      if (m_parser->IsOutputHidden(i, &flagged) && flagged) continue;
      const ExprRecord* record = program->FindOutputRecord(i);
      if (record != nullptr && WidenByOutput(*record, first, last, &low, &high)) counted = true;
    }
    if (!counted) return false;
    *min = low;
    *max = high;
    return true;
  });
}

bool CIndexCalculator::GetDrawInfo(int32_t first, int32_t last, int32_t step, const std::set<int32_t>& hidden,
                                   std::vector<TarnDrawInfo::GraphDrawInfo>& out) {
  return NoThrow([&] {
    Lock read(m_readLock);
    CCalculateInfo* program = Program();
    if (program == nullptr) return false;
    int32_t total = -1;
    if (m_published) {
      total = m_publishedTotalBars;
    } else if (!m_guard.GetTotalBarCount(&total)) {
      total = -1;
    }
    if (total < 0) return false;
    if (last >= total) {
      last = total - 1;
      first = std::min(first, last);
    }
    if (first < 0 || last < 0 || first > last) return false;
    // The drawings come from published results only: the calculation
    // store and range belong to a calculation that may be running.
    DrawSource source;
    source.program = program;
    source.parser = m_parser;
    source.readStore = m_readStore.get();
    source.snapshot = m_readSnapshot.get();
    source.ready = m_published && m_dataProvider != nullptr && m_readStore != nullptr;
    return BuildDrawInfo(source, first, last, step, hidden, out);
  });
}

bool CIndexCalculator::ReleaseDrawInfo(std::vector<TarnDrawInfo::GraphDrawInfo>& records) {
  ReleaseDrawRecords(records);
  return true;
}
