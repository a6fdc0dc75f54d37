#include "support/executor_compare.h"

#include <cstdlib>
#include <vector>

#include "abacor/index_calculator.h"
#include "abacor/index_obj_creator.h"
#include "abacor/index_parser.h"
#include "support/owned_objects.h"
#include "support/result_cells.h"

namespace {

constexpr const char* kSwitch = "ABACOR_COLUMN_EXECUTOR";

struct StepCells {
  std::vector<ResultCell> whole;
  std::vector<ResultCell> end;
};

// The outcome of a Calculate or PublishResults call, kept with the results.
void PutStatus(std::vector<ResultCell>& cells, int32_t step, bool ok) {
  cells.push_back({ResultPart::kRange, 100 + step, 0, ok ? 1u : 0u});
}

StepCells RunSteps(IIndexParser& parser, const RoughBars& bars, bool columns, const ChartSteps& steps) {
  StepCells out;
  const int32_t slots = bars.bars;
  RoughBarsProvider provider(bars, slots - steps.forward - steps.appends, columns);
  int32_t outputs = 0;
  parser.GetOutputCount(&outputs);
  CalcPtr calc(IndexObjCreator::CreateIndexCalculatorObj());
  calc->SetIndexParser(&parser);
  calc->SetDataProvider(&provider);
  std::vector<ResultCell>& status = out.end;
  PutStatus(status, 0, calc->Calculate(0, slots - 1, false));
  PutStatus(status, 1, calc->PublishResults());
  out.whole = PublishedCells(*calc, outputs, slots);
  const int32_t start = provider.Total();
  provider.SetTotal(start + steps.forward);
  PutStatus(status, 2, calc->Calculate(start, provider.Total() - 1, false));
  PutStatus(status, 3, calc->PublishResults());
  for (int32_t k = 0; k < steps.appends; ++k) {
    provider.SetTotal(provider.Total() + 1);
    PutStatus(status, 4, calc->Calculate(provider.Total() - 1, provider.Total() - 1, false));
    PutStatus(status, 5, calc->PublishResults());
  }
  provider.Retick(steps.tick);
  PutStatus(status, 6, calc->Calculate(provider.Total() - 1, provider.Total() - 1, true));
  PutStatus(status, 7, calc->PublishResults());
  const std::vector<ResultCell> last = PublishedCells(*calc, outputs, slots);
  status.insert(status.end(), last.begin(), last.end());
  return out;
}

std::string Difference(const StepCells& a, const StepCells& b) {
  std::string d = FirstDifference(a.whole, b.whole);
  if (!d.empty()) return "after the whole range: " + d;
  d = FirstDifference(a.end, b.end);
  if (!d.empty()) return "after new bars and a tick: " + d;
  return "";
}

}  // namespace

void SetColumnExecutor(bool on) { setenv(kSwitch, on ? "on" : "off", 1); }

ColumnExecutorSetting::ColumnExecutorSetting() {
  const char* value = std::getenv(kSwitch);
  had_ = value != nullptr;
  if (had_) saved_ = value;
}

ColumnExecutorSetting::~ColumnExecutorSetting() {
  if (had_) {
    setenv(kSwitch, saved_.c_str(), 1);
  } else {
    unsetenv(kSwitch);
  }
}

ExecutorComparison CompareExecutor(IIndexParser& parser, const RoughBars& bars, bool columns, const ChartSteps& steps) {
  SetColumnExecutor(false);
  const StepCells off = RunSteps(parser, bars, columns, steps);
  SetColumnExecutor(true);
  const StepCells on = RunSteps(parser, bars, columns, steps);
  const std::string d = Difference(on, off);
  if (d.empty()) return {};
  SetColumnExecutor(false);
  if (!Difference(RunSteps(parser, bars, columns, steps), off).empty()) {
    return {Agreement::kNotRepeatable, d};
  }
  return {Agreement::kDiffers, "executor on vs off " + d};
}
