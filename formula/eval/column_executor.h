#pragma once
// The column executor: computes the series of a column plan over bars
// 0..last, one kernel over whole columns at a time, into the calculation
// store, leaving every cell, own series and state as the per-bar path
// would have them for later ticks (state blocks of the calls it ran are
// dropped: they only cache, and the next per-bar call rebuilds them).
#include <cstdint>
#include <utility>
#include <vector>

#include "formula/eval/calc_context.h"
#include "formula/eval/column_kernels.h"
#include "formula/eval/column_plan.h"
#include "formula/eval/series_memory.h"

class ColumnExecutor {
 public:
  ColumnExecutor() = default;
  ~ColumnExecutor();
  ColumnExecutor(const ColumnExecutor&) = delete;
  ColumnExecutor& operator=(const ColumnExecutor&) = delete;

  // Computes every planned series over bars 0..last (last < ctx.barCount).
  // False when cancelled or memory runs out; cells computed so far stay.
  bool Run(const ColumnPlan& plan, CalcContext* ctx, int32_t last);
  // Gives back the scratch columns kept between runs.
  void Release();

 private:
  // A scratch column of m_cells cells; null when memory runs out.
  double* Take();
  // Takes a scratch column back; any other array is left alone.
  void Give(const double* cells);
  bool Evaluate(const ColumnPlan& plan, int32_t node, double* dest);
  // The column a node is read from: an array of the store, a field column,
  // a constant, or a scratch column it was computed into (added to *taken).
  bool ColumnOf(const ColumnPlan& plan, int32_t node, Column* column, std::vector<double*>* taken);
  bool FieldColumn(const PlanNode& node, Column* column);
  bool RunCall(const PlanNode& node, const Column* args, double* dest, std::vector<double*>* taken);

  CalcContext* m_ctx = nullptr;
  int32_t m_last = -1;
  size_t m_cells = 0;
  std::vector<SeriesMemory> m_free;  // scratch columns of m_cells cells
  std::vector<SeriesMemory> m_busy;
  // This run's field columns: the host's own, or a scratch column (owned).
  std::vector<std::pair<int32_t, const double*>> m_fields;
};
