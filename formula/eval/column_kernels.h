#pragma once
// Column kernels: built-ins computed over a run of bars at once from whole
// columns of their arguments. Each kernel repeats its built-in's per-bar
// arithmetic (builtin_steps.h, window_aggregate.h) in the same order, so
// every cell gets the bits the per-bar path gives it, for a calculation
// whose range starts at bar 0 and whose periods are constants.
#include <cstdint>
#include <vector>

#include "formula/eval/calc_context.h"
#include "formula/eval/value.h"

// A column as a kernel reads it: an array holding every bar from 0, or a
// constant (a number or a parameter, the same at every bar, even before
// bar 0).
struct Column {
  const double* cells = nullptr;  // null: the constant
  double constant = 0.0;

  double At(int64_t bar) const {
    if (cells == nullptr) return constant;
    return bar < 0 ? INVALID_VALUE : cells[bar];
  }
};

enum class KernelKind { Max, Min, Abs, If, Ifn, Cross, Ma, Sum, Std, Hhv, Llv, Ref, Ema, ExpMa, Sma };

// How a built-in's call record is laid out and what its kernel needs.
struct ColumnKernel {
  BuiltinFn impl;       // the per-bar implementation the kernel stands for
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

// The kernel of a built-in, or null when it has none.
const ColumnKernel* FindColumnKernel(BuiltinFn impl);

// What one kernel run gets: its series arguments as arrays of bars 0..last,
// constants and the bars.
struct KernelRun {
  const double* x = nullptr;
  const double* y = nullptr;
  const double* z = nullptr;
  double xBefore = INVALID_VALUE;  // X at the bars before bar 0
  double yBefore = INVALID_VALUE;  // the same for Y
  int32_t n = 0;                   // the period, rounded as a count
  double m = 0.0;                  // SMA's weight
  int32_t last = 0;                // cells 0..last are computed
  double* state = nullptr;         // the call's state block (StateCells long)
};

// Cells of the state block a kernel leaves as the per-bar walk would leave
// it after bar `last` (0: it keeps none).
int32_t StateCells(const ColumnKernel& kernel, int32_t n, int32_t last);

// Computes cells 0..last of `out`; a smoother also writes its own series
// into `own`.
void RunColumnKernel(const ColumnKernel& kernel, const KernelRun& run, double* out, double* own);
