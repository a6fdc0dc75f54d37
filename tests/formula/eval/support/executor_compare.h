#pragma once
// Runs one compiled formula over generated bars twice, with the column
// executor switched on and off, through the steps a chart takes: one
// whole-range calculation, a long stretch of new bars calculated at once,
// a few bars appended one by one and a tick that changes the last bar. The
// published results after the whole range and after the tick must agree
// bit for bit.
#include <cstdint>
#include <string>

#include "support/rough_bars.h"

class IIndexParser;

struct ChartSteps {
  int32_t forward = 300;  // bars added at once after the whole range
  int32_t appends = 3;    // bars then added one at a time
  double tick = 0.01;     // the last bar's close moves by this much
};

// Sets the switch every range calculation reads when it starts.
void SetColumnExecutor(bool on);

// Restores the switch's previous setting when it goes out of scope.
class ColumnExecutorSetting {
 public:
  ColumnExecutorSetting();
  ~ColumnExecutorSetting();
  ColumnExecutorSetting(const ColumnExecutorSetting&) = delete;
  ColumnExecutorSetting& operator=(const ColumnExecutorSetting&) = delete;

 private:
  bool had_ = false;
  std::string saved_;
};

enum class Agreement {
  kSame,
  kDiffers,
  // Two runs with the executor off already differ (RAND and the like), so
  // the formula says nothing about the executor.
  kNotRepeatable,
};

struct ExecutorComparison {
  Agreement agreement = Agreement::kSame;
  std::string difference;  // where the runs first differ, in words
};

// Runs the formula with the executor off, then on (and off once more when
// they differ). `columns` serves the bars through the bulk-read face too.
ExecutorComparison CompareExecutor(IIndexParser& parser, const RoughBars& bars, bool columns, const ChartSteps& steps);
