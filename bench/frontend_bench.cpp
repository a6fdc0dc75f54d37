// Analysing a formula of many statements: preparation, tokenizing, checks and
// script writing. The time per statement should stay flat as the formula grows.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "formula/frontend/parse_context.h"

namespace {

// Half variables, half outputs with attributes; one number per pair of statements.
std::string MakeFormula(int64_t statements) {
    std::string text = "{ generated }\r\n";
    for (int64_t k = 0; k < statements / 2; ++k) {
        std::string n = std::to_string(k);
        text += "v" + n + ":=ma(c,n)+ref(h," + std::to_string(k % 9 + 1) + ")*-o;\r\n";
        text += "out" + n + ":v" + n + "/+l-if(c>o,m,0),colorred,linethick2;\r\n";
    }
    return text;
}

void BM_AnalyseFormula(benchmark::State& state) {
    const std::string text = MakeFormula(state.range(0));
    const std::vector<std::string> names = {"n", "m"};
    const std::vector<float> values = {5.0f, 10.0f};
    for (auto _ : state) {
        ParseContext context;
        context.Prepare(text, names, values);
        bool ok = context.Analyse();
        if (!ok) state.SkipWithError("formula did not analyse");
        benchmark::DoNotOptimize(context.script.data());
    }
    state.SetComplexityN(state.range(0));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_AnalyseFormula)->RangeMultiplier(2)->Range(125, 2000)->Complexity(benchmark::oN);

}  // namespace

BENCHMARK_MAIN();
