#pragma once
// The column plan of a program: which series a range calculation from bar 0
// may compute column by column, as trees of kernels, and which output
// elements stay on the per-bar path, with the reason.
//
// A series is planned only where its columns provably hold the per-bar
// path's bits: no series depends on itself; every call has a column kernel,
// constant periods and a plain layout; whatever a call reads at older bars
// holds no stateful call (series read there are memoised, so they may be
// read at any bar); nesting stays far below the evaluator's depth limit.
// A statement that fails stays per bar, unless it shares a stateful series
// with the planned ones: then the whole program stays per bar.
#include <cstdint>
#include <string>
#include <vector>

#include "formula/eval/calculate_info.h"

class AssignmentIndex;
struct ColumnKernel;

struct PlanNode {
  enum class Kind { Constant, Field, Series, Operator, Call };
  Kind kind = Kind::Constant;
  double constant = 0.0;                 // Constant
  int64_t variable = -1;                 // Field: its variable in m_stmtVars
  int32_t fieldIndex = -1;               // Field: index into m_fieldIds
  SeriesKey key;                         // Series: the series read; Call: its own series
  int32_t op = 0;                        // Operator
  const ColumnKernel* kernel = nullptr;  // Call
  int32_t n = 0;                         // Call: the period as a count
  double m = 0.0;                        // Call: SMA's weight
  int32_t stateSlots[2] = {-1, -1};      // Call: its state blocks
  int32_t args[3] = {-1, -1, -1};        // child nodes
};

// One output element to compute: the key its series has.
struct OutputElement {
  int32_t output = 0;
  int32_t element = 0;
  SeriesKey key;
};

struct PlannedSeries {
  SeriesKey key;
  int32_t root = -1;  // node of the defining expression; -1: no definition
};

struct ColumnPlan {
  bool usable = false;  // false: the whole program runs per bar
  std::string reason;   // why something stays per bar ("" when nothing does)
  std::vector<PlanNode> nodes;
  std::vector<PlannedSeries> series;  // dependencies first
  std::vector<OutputElement> perBar;  // output elements left to the per-bar path
};

// The output elements with a series key, in the order the per-bar path
// computes them: output by output, each output's elements up to the first
// without a key.
std::vector<OutputElement> OutputElementsOf(const CCalculateInfo& program);

// Plans the given output elements (in the order the per-bar path computes
// them). The index, when it is the program's, finds definitions faster.
ColumnPlan PlanColumns(const CCalculateInfo& program, const AssignmentIndex* index,
                       const std::vector<OutputElement>& elements);
