// The engine as a chart client uses it: whole-history recalculation, ticks on
// the newest bar, appended bars, compilation and draw records.
#include <benchmark/benchmark.h>

#include <memory>
#include <set>

#include "bench_support.h"

namespace {

using bench::Engine;
using bench::RandomWalkProvider;

const std::vector<bench::SuiteFormula>& Suite() {
  static const std::vector<bench::SuiteFormula> suite = bench::LoadSuite();
  return suite;
}

// (a) compile, full Calculate, PublishResults and read every output, for the whole suite.
void BM_Bulk(benchmark::State& state) {
  const int32_t n = static_cast<int32_t>(state.range(0));
  RandomWalkProvider provider(n, n);
  std::vector<double> values(n);
  std::unique_ptr<bool[]> valid(new bool[n]);
  for (auto _ : state) {
    for (const auto& f : Suite()) {
      Engine e;
      if (!e.Setup(f.text, &provider)) {
        state.SkipWithError(("compile failed: " + f.name).c_str());
        return;
      }
      e.calc->Calculate(0, n - 1, false);
      e.calc->PublishResults();
      for (int32_t i = 0; i < e.outputs; ++i) e.calc->GetOutputValues(i, 0, n - 1, values.data(), valid.get());
      benchmark::DoNotOptimize(values.data());
    }
  }
  state.counters["bars"] = n;
}
BENCHMARK(BM_Bulk)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// (b) a tick: the newest bar changes, then Calculate(n-1, n-1, true) + PublishResults, whole suite.
void BM_Tick(benchmark::State& state) {
  const int32_t n = 10000;
  RandomWalkProvider provider(n, n);
  std::vector<std::unique_ptr<Engine>> engines;
  for (const auto& f : Suite()) {
    engines.push_back(std::make_unique<Engine>());
    engines.back()->Setup(f.text, &provider);
    engines.back()->calc->Calculate(0, n - 1, false);
    engines.back()->calc->PublishResults();
  }
  double factor = 1.0001;
  for (auto _ : state) {
    provider.Tick(factor);
    factor = 2.0 - factor;
    for (auto& e : engines) {
      e->calc->Calculate(n - 1, n - 1, true);
      e->calc->PublishResults();
    }
  }
  state.counters["per_formula_us"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * engines.size(),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert, benchmark::Counter::OneK::kIs1000);
}
BENCHMARK(BM_Tick)->Unit(benchmark::kMicrosecond);

// Appends timed; the provider offers as many bar slots as they reach (a store
// of two million slots per series would not fit twelve formulas).
constexpr int64_t kAppends = 20000;

// (c) an append: the total bar count grows by one, then the new bar is calculated and published.
void BM_Append(benchmark::State& state) {
  const int32_t n = 10000, capacity = n + kAppends;
  RandomWalkProvider provider(n, capacity);
  std::vector<std::unique_ptr<Engine>> engines;
  for (const auto& f : Suite()) {
    engines.push_back(std::make_unique<Engine>());
    engines.back()->Setup(f.text, &provider);
    engines.back()->calc->Calculate(0, n - 1, false);
    engines.back()->calc->PublishResults();
  }
  for (auto _ : state) {
    if (provider.Total() >= capacity) {
      state.SkipWithError("out of capacity");
      break;
    }
    provider.SetTotal(provider.Total() + 1);
    const int32_t last = provider.Total() - 1;
    for (auto& e : engines) {
      e->calc->Calculate(last, last, false);
      e->calc->PublishResults();
    }
  }
  state.counters["per_formula_us"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * engines.size(),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert, benchmark::Counter::OneK::kIs1000);
}
BENCHMARK(BM_Append)->Unit(benchmark::kMicrosecond)->Iterations(kAppends);

// (d) compile time per suite formula.
void BM_Compile(benchmark::State& state) {
  const auto& f = Suite()[state.range(0)];
  state.SetLabel(f.name);
  for (auto _ : state) {
    IIndexParser* p = IndexObjCreator::CreateIndexParserObj();
    benchmark::DoNotOptimize(p->Compile(f.text, {}, {}));
    IndexObjCreator::ReleaseIndexParserObj(&p);
  }
}
BENCHMARK(BM_Compile)->DenseRange(0, 11)->Unit(benchmark::kMicrosecond);

// (e) GetDrawInfo of the suite over a 2,000-bar window, as a chart does on every repaint.
void BM_DrawInfo(benchmark::State& state) {
  const int32_t n = 10000;
  RandomWalkProvider provider(n, n);
  std::vector<std::unique_ptr<Engine>> engines;
  for (const auto& f : Suite()) {
    engines.push_back(std::make_unique<Engine>());
    engines.back()->Setup(f.text, &provider);
    engines.back()->calc->Calculate(0, n - 1, false);
    engines.back()->calc->PublishResults();
  }
  std::vector<TarnDrawInfo::GraphDrawInfo> records;
  for (auto _ : state) {
    for (auto& e : engines) {
      e->calc->GetDrawInfo(n - 2000, n - 1, 0, std::set<int32_t>(), records);
      benchmark::DoNotOptimize(records.data());
      e->calc->ReleaseDrawInfo(records);
    }
  }
}
BENCHMARK(BM_DrawInfo)->Unit(benchmark::kMicrosecond);

}  // namespace
