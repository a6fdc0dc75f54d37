#pragma once
// Column kernels: built-ins computed over a run of bars at once from whole
// columns of their arguments. Each kernel repeats its built-in's per-bar
// arithmetic (builtins/steps.h, window_aggregate.h) in the same order, so
// every cell gets the bits the per-bar path gives it, for a calculation
// whose range starts at bar 0 and whose periods are constants. A range is
// computed in blocks of bars; what a kernel carries from one block to the
// next keeps the bits of a single walk.
#include <cstdint>
#include <vector>

#include "formula/eval/builtins/window_aggregate.h"
#include "formula/eval/calc_context.h"
#include "formula/eval/value.h"

// A column as the executor hands it on for the block of bars being run:
// cells[k] is bar first + k of the block, or a constant (a number or a
// parameter, the same at every bar, even before bar 0).
struct Column {
  const double* cells = nullptr;  // null: the constant
  double constant = 0.0;
};

enum class KernelKind { Max, Min, Abs, If, Ifn, Cross, Ma, Sum, Std, Hhv, Llv, Ref, Ema, ExpMa, Sma };

// How a built-in's call record is laid out and what its kernel needs.
struct ColumnKernel {
  KernelKind kind;
  int32_t count;        // elements of the call record
  int32_t firstSeries;  // element of the first series argument
  int32_t seriesArgs;   // series arguments from firstSeries on
  int32_t period;       // element of the period (a constant); 0: none
  int32_t weight;       // element of SMA's weight (a constant); 0: none
  int32_t minPeriod;    // smallest period the kernel takes
  bool ownSeries;       // element 1 is the call's own result series
  bool stateBlock;      // element 1 is a state handle
  bool readsOlder;      // reads its series arguments at bars before the current one
};

// Call layouts: (function, args...) for a plain call, (function, state,
// X, N) for a window, (function, own series, X, N[, M]) for a smoother.
// One row per kind, in the order of KernelKind; the built-in registry
// points each built-in that has a kernel at its row.
inline constexpr ColumnKernel kColumnKernels[] = {
    {KernelKind::Max, 3, 1, 2, 0, 0, 0, false, false, false}, {KernelKind::Min, 3, 1, 2, 0, 0, 0, false, false, false},
    {KernelKind::Abs, 2, 1, 1, 0, 0, 0, false, false, false}, {KernelKind::If, 4, 1, 3, 0, 0, 0, false, false, false},
    {KernelKind::Ifn, 4, 1, 3, 0, 0, 0, false, false, false}, {KernelKind::Cross, 3, 1, 2, 0, 0, 0, false, false, true},
    {KernelKind::Ma, 4, 2, 1, 3, 0, 1, false, true, true},    {KernelKind::Sum, 4, 2, 1, 3, 0, 1, false, true, true},
    {KernelKind::Std, 4, 2, 1, 3, 0, 2, false, true, true},   {KernelKind::Hhv, 4, 2, 1, 3, 0, 1, false, true, true},
    {KernelKind::Llv, 4, 2, 1, 3, 0, 1, false, true, true},   {KernelKind::Ref, 3, 1, 1, 2, 0, 0, false, false, true},
    {KernelKind::Ema, 4, 2, 1, 3, 0, 1, true, false, false},  {KernelKind::ExpMa, 4, 2, 1, 3, 0, 1, true, false, false},
    {KernelKind::Sma, 5, 2, 1, 3, 4, 1, true, false, false},
};
static_assert(sizeof(kColumnKernels) / sizeof(kColumnKernels[0]) == 15, "one row per kernel kind");

// The row of a kernel kind.
constexpr const ColumnKernel* KernelOf(KernelKind kind) { return &kColumnKernels[static_cast<int>(kind)]; }

constexpr bool KernelRowsInKindOrder() {
  for (int i = 0; i < 15; ++i) {
    if (static_cast<int>(kColumnKernels[i].kind) != i) return false;
  }
  return true;
}
static_assert(KernelRowsInKindOrder(), "row i is the kernel of kind i");

// Where a kernel's walk stands between two runs over consecutive bars.
struct KernelCarry {
  std::vector<window::SumAgg> sums;  // MA, SUM: the suffixes of the walk
  window::WalkEnd<window::SumAgg> sumEnd;
  std::vector<window::MomentAgg> moments;  // STD: the same
  window::WalkEnd<window::MomentAgg> momentEnd;
  bool walked = false;    // MA, SUM, STD: a walk ended at the bar before this run
  int32_t previous = -1;  // HHV, LLV: the extreme's bar at the last bar run, -1 for none
  int32_t before = -1;    // the same one bar earlier
};

// What one kernel run over bars first..last gets. Arrays start at bar
// `first`: x[k] is bar first + k. A kernel that reads older bars gets whole
// columns, where x[k] also holds the older bars it reads. A range is run
// block after block, every block with the same carry; a range that starts
// after bar 0 reads what lies before it from whole columns.
struct KernelRun {
  const double* x = nullptr;
  const double* y = nullptr;
  const double* z = nullptr;
  double xBefore = INVALID_VALUE;  // X at the bars before bar 0
  double yBefore = INVALID_VALUE;  // the same for Y
  int32_t n = 0;                   // the period, rounded as a count
  double m = 0.0;                  // SMA's weight
  int32_t first = 0;               // cells first..last are computed
  int32_t last = 0;
  double* state = nullptr;       // the call's state block (StateCells long), on the last block only
  KernelCarry* carry = nullptr;  // never null
};

// Cells of the state block a kernel leaves as the per-bar walk would leave
// it after bar `last` (0: it keeps none).
int32_t StateCells(const ColumnKernel& kernel, int32_t n, int32_t last);

// Computes cells first..last into out[0..last - first]; a smoother also
// writes its own series into `own`, which starts at bar first as well and
// holds bar first - 1 when first > 0.
void RunColumnKernel(const ColumnKernel& kernel, const KernelRun& run, double* out, double* own);

// Whether the kernel is a smoother (EMA, EXPMA, SMA).
bool IsSmoother(const ColumnKernel& kernel);
// Two smoothers over the same bars whose walks do not depend on each other,
// run in one loop; each gets the cells RunColumnKernel gives it.
void RunSmootherPair(const ColumnKernel& a, const KernelRun& runA, double* outA, double* ownA, const ColumnKernel& b,
                     const KernelRun& runB, double* outB, double* ownB);

// Bars before the current one that a kernel reads its series arguments at
// (a window walk starts at its block, and takes the suffixes of the block
// before); 0 for a kernel that reads the current bar only.
int32_t LookBack(const ColumnKernel& kernel, int32_t n);
