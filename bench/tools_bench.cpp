// Drawing tools as the chart drives them while the user places the last
// anchor: one mouse move (OnPreviewPoint) and the rebuilt draw records
// (GetDrawInfo), for every tool of the catalogue (ns per rebuild).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include <abacor/abacor.h>

#include "drawtools/catalogue.h"

namespace {

// A linear pane 1600 x 900 pixels: 10 pixels per bar, prices 0..100 upwards.
class LinearPane final : public ITarnGraphCoordinate {
 public:
  bool PixelToPrice(float py, double* price) override {
    *price = (900.0 - py) / 9.0;
    return true;
  }
  bool PriceToPixel(double price, float* py) override {
    *py = static_cast<float>(900.0 - 9.0 * price);
    return true;
  }
  bool PixelToBar(float px, float* x) override {
    *x = px / 10.0f;
    return true;
  }
  bool BarToPixel(float x, float* px) override {
    *px = 10.0f * x;
    return true;
  }
  bool BarToTime(float x, int* time) override {
    *time = 20260000 + static_cast<int>(x);
    return true;
  }
  bool TimeToBar(int, float*) override { return false; }
  bool GetPlotBottom(float* py) override {
    *py = 900.0f;
    return true;
  }
  bool GetMaxPrice(double* price) override {
    *price = 100.0;
    return true;
  }
  bool GetMinPrice(double* price) override {
    *price = 0.0;
    return true;
  }
  bool GetPriceUnit(double* unit) override {
    *unit = 0.01;
    return true;
  }
  bool GetBarWidth(float* pixels) override {
    *pixels = 10.0f;
    return true;
  }
  bool SnapPoint(float, float, int, int, TarnGraphPoint*) override { return false; }
};

void BM_ToolPreview(benchmark::State& state, TARN_GRAPH_TYPE type, unsigned points) {
  LinearPane pane;
  ITarnGraphShapeBase* tool = TarnGraphInterface::CreateGraphShape(type);
  if (tool == nullptr) {
    state.SkipWithError("no tool");
    return;
  }
  tool->SetCoordinate(&pane);
  // Every anchor but the last is placed; the last follows the mouse.
  for (unsigned k = 0; k + 1 < points; ++k) tool->OnAddPoint(200.0f + 150.0f * k, 300.0f + 120.0f * (k % 2));
  float x = 200.0f + 150.0f * (points > 0 ? points - 1 : 0);
  size_t records = 0;
  for (auto _ : state) {
    x += 0.5f;
    if (x > 1500.0f) x = 900.0f;
    tool->OnPreviewPoint(x, 420.0f + 0.25f * x);
    const auto& info = tool->GetDrawInfo();
    records = info.size();
    benchmark::DoNotOptimize(info.data());
  }
  state.counters["records"] = static_cast<double>(records);
  TarnGraphInterface::ReleaseGraphShape(tool);
}

// One benchmark per catalogue row, named by its class.
const bool kRegistered = [] {
  size_t count = 0;
  const GraphCatalogueRow* rows = GraphCatalogue(&count);
  for (size_t i = 0; i < count; ++i) {
    const GraphCatalogueRow& row = rows[i];
    if (row.create == nullptr) continue;
    benchmark::RegisterBenchmark(("BM_ToolPreview/" + std::string(row.className)).c_str(), BM_ToolPreview, row.type,
                                 row.points)
        ->Unit(benchmark::kNanosecond);
  }
  return true;
}();

}  // namespace
