// The chart's repaint: GetDrawInfo of a ten-output formula over a window of
// 2,000 bars, with the records released afterwards as the host does.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <set>
#include <vector>

#include "abacor/data_provider.h"
#include "abacor/draw_info.h"
#include "abacor/index_calculator.h"
#include "abacor/index_obj_creator.h"
#include "abacor/index_parser.h"

namespace {

constexpr int32_t kBars = 5000;
constexpr int32_t kWindow = 2000;

// Prices that wander up and down, so that conditions flip and bands cross.
class WavyProvider final : public IIndexDataProvider {
 public:
  bool GetBarCount(int32_t* count) override {
    *count = kBars;
    return true;
  }
  bool GetTotalBarCount(int32_t* count) override {
    *count = kBars;
    return true;
  }
  bool GetFieldValue(int32_t fieldId, int32_t bar, double* value) override {
    const double base = 20.0 + 0.01 * (bar % 211) + 0.3 * ((bar * 13) % 7);
    switch (fieldId) {
      case 1: *value = base + 1.0; return true;                    // HIGH
      case 2: *value = base + 0.2 * ((bar % 5) - 2); return true;  // OPEN
      case 3: *value = base - 1.0; return true;                    // LOW
      case 4: *value = base; return true;                          // CLOSE
      case 15: *value = base - 0.1; return true;                   // PRECLOSE
      default: return false;
    }
  }
  bool GetScalarValue(int32_t, double*) override { return false; }
  bool GetAnchorBar(int32_t, int32_t, int32_t*) override { return true; }
  bool GetPeriod(int32_t*, int32_t*) override { return true; }
  bool GetBarTime(int32_t, int64_t*) override { return false; }
  bool GetBarIndexByTime(int64_t, int32_t*) override { return false; }
  bool GetTimeOfDate(int64_t, int64_t*) override { return false; }
};

// Ten outputs over most draw forms.
constexpr const char* kFormula =
    "A:C,COLORRED;"
    "B:(H+L)/2,DOTLINE;"
    "D:C-O,VOLSTICK;"
    "E:C-O,LINESTICK;"
    "F:L-0.5,SARLINE;"
    "STICKLINE(C>O,C,O,0.8,0);"
    "DRAWKLINE(H,O,L,C);"
    "DRAWTEXT(C>O+0.3,H,'up');"
    "FILLRGN(H,L,C>O);"
    "DRAWBAND(O,1,C,2);";

void BM_GetDrawInfo(benchmark::State& state) {
  WavyProvider provider;
  IIndexParser* parser = IndexObjCreator::CreateIndexParserObj();
  IIndexCalculator* calc = IndexObjCreator::CreateIndexCalculatorObj();
  if (!parser->Compile(kFormula, {}, {})) {
    state.SkipWithError("the formula does not compile");
  } else {
    calc->SetIndexParser(parser);
    calc->SetDataProvider(&provider);
    calc->Calculate(0, kBars - 1, false);
    calc->PublishResults();
    const std::set<int32_t> hidden;
    const int32_t first = kBars - kWindow;
    int64_t items = 0;
    for (auto _ : state) {
      std::vector<TarnDrawInfo::GraphDrawInfo> out;
      calc->GetDrawInfo(first, kBars - 1, 0, hidden, out);
      items = 0;
      for (const auto& d : out) items += static_cast<int64_t>(d.drawOrder.size());
      benchmark::DoNotOptimize(out.data());
      calc->ReleaseDrawInfo(out);
    }
    state.counters["items"] = static_cast<double>(items);
  }
  IndexObjCreator::ReleaseIndexCalculatorObj(&calc);
  IndexObjCreator::ReleaseIndexParserObj(&parser);
}
BENCHMARK(BM_GetDrawInfo)->Unit(benchmark::kMicrosecond);

}  // namespace
