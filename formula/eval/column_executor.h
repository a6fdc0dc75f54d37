#pragma once
// The column executor: computes the series of a column plan over a range of
// bars block by block, every planned series over one block of bars
// before the next block, into the calculation store, leaving every cell,
// own series and state as the per-bar path would have them for later ticks
// (state blocks of the calls it ran are dropped: they only cache, and the
// next per-bar call rebuilds them).
//
// Intermediate values live in small block buffers that stay in cache. Only
// what a kernel reads at older bars (a window's or REF's argument, when it
// is an expression) is kept as a whole column while the range runs.
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "formula/eval/calc_context.h"
#include "formula/eval/column_kernels.h"
#include "formula/eval/column_plan.h"
#include "formula/eval/series_memory.h"

class SeriesStore;

class ColumnExecutor {
 public:
  // Bars computed at once, at most.
  static constexpr int32_t kBlockBars = 2048;
  // Sets the bars every executor of the process computes at once from its
  // next run on (clipped to 1..kBlockBars; tests take small blocks to cross
  // many block edges). Returns the previous setting.
  static int32_t SetBlockBars(int32_t bars);

  ColumnExecutor() = default;
  ~ColumnExecutor();
  ColumnExecutor(const ColumnExecutor&) = delete;
  ColumnExecutor& operator=(const ColumnExecutor&) = delete;

  // Computes every planned series over bars first..last (last <
  // ctx.barCount). A range after bar 0 needs what it reads before `first`
  // computed already (CanRunFrom). False when cancelled, memory runs out or
  // the range cannot run; cells computed so far stay.
  bool Run(const ColumnPlan& plan, CalcContext* ctx, int32_t first, int32_t last);
  // Whether a range from `first` finds in the store every cell it reads
  // before `first`; *from is the oldest bar it reads.
  static bool CanRunFrom(const ColumnPlan& plan, SeriesStore* store, int32_t first, int32_t* from);
  // Gives back the block buffers and whole columns kept between runs.
  void Release();

 private:
  // What a node keeps from one block to the next.
  struct NodeState {
    KernelCarry carry;
    SeriesMemory whole;    // the node's column from bar 0, when read at older bars
    bool started = false;  // its call has run on an earlier block
  };

  // The block buffers a node's arguments took: at most one per argument
  // and one more per constant a kernel reads as an array.
  struct Taken {
    double* cells[6] = {};
    int32_t count = 0;
    void Add(double* c) { cells[count++] = c; }
  };

  bool RunBlock(const ColumnPlan& plan, int32_t first, int32_t last);
  // A block buffer; null when memory runs out.
  double* TakeBlock();
  void GiveBlock(double* cells);
  // Computes node over bars first..last into dest[0..last - first].
  bool Evaluate(const ColumnPlan& plan, int32_t node, double* dest, int32_t first, int32_t last);
  // The column a node is read from over first..last: an array of the store,
  // a field column, a constant, a block buffer it was computed into (added
  // to *taken) or, with `whole`, its own column from bar 0.
  bool ColumnOf(const ColumnPlan& plan, int32_t node, bool whole, int32_t first, int32_t last, Column* column,
                Taken* taken);
  // The node's whole column, made on its first block; null when memory runs out.
  double* WholeOf(int32_t node);
  // A field's column from bar 0: the host's own, or one read in full on first use.
  const double* FieldColumn(const PlanNode& node);
  // A call with its arguments computed over the block and its own series
  // and state found, ready for its kernel.
  struct PreparedCall {
    KernelRun run;
    double* own = nullptr;
    Taken taken;
  };
  bool PrepareCall(const ColumnPlan& plan, int32_t node, int32_t first, int32_t last, PreparedCall* call);
  bool EvaluateCall(const ColumnPlan& plan, int32_t node, double* dest, int32_t first, int32_t last);
  bool IsSmootherCall(const ColumnPlan& plan, int32_t node) const;
  // Both arguments of `op`, smoothers, into block buffers set in args[0..1].
  bool EvaluateSmootherPair(const ColumnPlan& plan, const PlanNode& op, int32_t first, int32_t last, Column* args,
                            Taken* taken);

  int32_t m_blockBars = kBlockBars;
  // Whether cells from..to of the series of `key` are all computed.
  static bool ComputedCells(SeriesStore* store, SeriesKey key, int32_t from, int32_t to);

  CalcContext* m_ctx = nullptr;
  int32_t m_first = 0;
  int32_t m_last = -1;
  int32_t m_readFrom = 0;  // the oldest bar the run reads
  size_t m_cells = 0;
  std::vector<NodeState> m_nodes;
  std::vector<std::unique_ptr<double[]>> m_blocks;  // free block buffers
  std::vector<std::unique_ptr<double[]>> m_busy;    // block buffers in use
  // This run's field columns: the host's own, or one of m_fieldMemory.
  std::vector<std::pair<int32_t, const double*>> m_fields;
  std::vector<SeriesMemory> m_fieldMemory;
};
