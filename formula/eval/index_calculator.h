#pragma once
// CIndexCalculator: runs the parser's current program over the provider's
// bars into a calculation store, publishes changed ranges into a read store,
// and answers every read-back from the read store.
//
// Locks: m_calcLock guards the calculation side, m_readLock the read side.
// The only nesting is m_calcLock then m_readLock. Stop takes no lock.
#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <utility>
#include <vector>

#include "abacor/bulk_data_provider.h"
#include "abacor/index_calculator.h"
#include "formula/eval/guarded_provider.h"

class AssignmentIndex;
class CCalculateInfo;
class ColumnExecutor;
class SeriesStore;
class PriceSnapshot;
struct CalcContext;
struct ExprRecord;
struct DrawElements;

class CIndexCalculator final : public IIndexCalculator {
 public:
  CIndexCalculator();
  ~CIndexCalculator();
  CIndexCalculator(const CIndexCalculator&) = delete;
  CIndexCalculator& operator=(const CIndexCalculator&) = delete;

  bool SetIndexParser(IIndexParser* parser) override;
  bool SetDataProvider(IIndexDataProvider* provider) override;
  bool Calculate(int32_t first, int32_t last, bool force) override;
  bool Stop() override;
  bool PublishResults() override;
  bool ReleaseResults() override;
  bool GetCalculatedRange(int32_t* first, int32_t* last) override;
  bool GetOutputArgValue(int32_t output, int32_t arg, int32_t bar, double* value) override;
  bool GetOutputValues(int32_t output, int32_t first, int32_t last, double* values, bool* valid) override;
  bool GetOutputValue(int32_t output, int32_t bar, double* value) override;
  bool GetValueRange(int32_t first, int32_t last, const std::set<int32_t>& hidden, double* min, double* max) override;
  bool GetDrawInfo(int32_t first, int32_t last, int32_t step, const std::set<int32_t>& hidden,
                   std::vector<TarnDrawInfo::GraphDrawInfo>& out) override;
  bool ReleaseDrawInfo(std::vector<TarnDrawInfo::GraphDrawInfo>& records) override;

  // The published price snapshot (null when no output needs one or nothing
  // is published yet); for the drawing builders, which hold the read lock.
  const PriceSnapshot* PublishedSnapshot() const { return m_readSnapshot.get(); }

  // Whether a range calculation of many bars may run column by column
  // (on by default). The environment variable ABACOR_COLUMN_EXECUTOR set to
  // "off" or "0" turns it off as well; it is read when a range starts.
  void SetColumnExecutor(bool on);
  // The setting and the environment together, as the next range sees them.
  bool ColumnExecutorEnabled() const;

 private:
  using Range = std::pair<int32_t, int32_t>;

  CCalculateInfo* Program() const;
  bool ProgramChanged() const;

  // Calculation side; callers hold m_calcLock.
  bool CalculateLocked(int32_t first, int32_t last, bool force);
  void FullReset();
  void PartialReset();
  void ReleaseReadSide();
  bool MakeStores();
  void RefreshProgramFlags();
  bool ComputeNeedsPriceSnapshot() const;
  void NormaliseRange(int32_t& first, int32_t& last) const;
  bool CalculateRange(int32_t first, int32_t last);
  void ExtendRange(int32_t& first, int32_t& last);
  int64_t ExtraBefore(int32_t bar);
  int64_t ExtraAfter(int32_t bar);
  bool RunOutputs(int32_t first, int32_t last);
  bool RunAllOutputs(CalcContext& ctx, CCalculateInfo* program, int32_t first, int32_t last);
  // Whether bars first..last may run column by column.
  bool ColumnRange(int32_t first, int32_t last) const;
  // Runs the outputs column by column where the plan allows, the rest per
  // bar; the whole program per bar when the plan is not usable.
  bool RunColumns(CalcContext& ctx, CCalculateInfo* program, int32_t first, int32_t last);
  void FillContext(CalcContext& ctx, CCalculateInfo* program);
  void FillColumns(CalcContext& ctx, const CCalculateInfo& program);
  bool ComputeOutput(CalcContext& ctx, const ExprRecord& record, const DrawElements& list, int32_t first, int32_t last);
  bool RunElement(CalcContext& ctx, const ExprRecord& record, int32_t element, int32_t first, int32_t last);

  // Publishing; callers hold both locks.
  bool PublishSnapshot();
  bool PublishOutputs(int32_t n);
  void CopyOutputRange(const CCalculateInfo& program, const ExprRecord& record, const DrawElements& list, int32_t first,
                       int32_t last);

  // Read side; callers hold m_readLock.
  const double* ReadSeries(const ExprRecord& record, int32_t element) const;
  bool WidenByOutput(const ExprRecord& record, int32_t first, int32_t last, double* min, double* max) const;

  IIndexParser* m_parser = nullptr;
  IIndexDataProvider* m_dataProvider = nullptr;
  // The same provider's bulk-read face, when it has one.
  IIndexBulkDataProvider* m_bulkProvider = nullptr;
  // Its columns for the running calculation, by index into m_fieldIds.
  std::vector<const double*> m_columns;
  int32_t m_publishedTotalBars = -1;
  std::unique_ptr<SeriesStore> m_store;
  std::map<int32_t, double> m_scalarCache;
  bool m_needsPriceSnapshot = false;
  std::unique_ptr<PriceSnapshot> m_priceSnapshot;
  std::recursive_mutex m_calcLock;
  int32_t m_rangeFirst = -1;
  int32_t m_rangeLast = -1;
  // No cell of the calculation store beyond this bar holds anything but
  // UNCOMPUTED, so invalidating past the range stops here (-1: all clean).
  int32_t m_dirtyLast = -1;
  std::vector<Range> m_pendingOutputRanges;
  std::vector<Range> m_pendingSnapshotRanges;
  bool m_published = false;
  std::unique_ptr<SeriesStore> m_readStore;
  std::unique_ptr<PriceSnapshot> m_readSnapshot;
  std::recursive_mutex m_readLock;
  std::atomic<bool> m_stop{false};
  bool m_extendHistory = false;
  bool m_recalcAll = false;
  bool m_extendForward = false;
  std::atomic<bool> m_columnExecutor{true};
  std::unique_ptr<ColumnExecutor> m_columnExecutorState;

  // The provider as evaluation sees it (non-finite data reads as no value).
  GuardedProvider m_guard;
  // The program the calculation store was filled from; a new program
  // discards the store before the next range is calculated.
  const CCalculateInfo* m_storeProgram = nullptr;
  // Where each series of the program is defined; rebuilt for a new program.
  std::unique_ptr<AssignmentIndex> m_assignmentIndex;
};
