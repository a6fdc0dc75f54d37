// Analysing a formula of many statements: preparation, tokenizing, checks and
// script writing, and the whole compilation. The time per statement should stay
// flat as the formula grows.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "formula/frontend/index_parser.h"
#include "formula/frontend/parse_context.h"

namespace {

// Half variables, half outputs with attributes; two numbers per pair of statements.
std::string MakeFormula(int64_t statements) {
  std::string text = "{ generated }\r\n";
  for (int64_t k = 0; k < statements / 2; ++k) {
    std::string n = std::to_string(k);
    text += "v" + n + ":=ma(c,n)+ref(h," + std::to_string(k % 9 + 1) + ")*-2;\r\n";
    text += "out" + n + ":v" + n + "/+l-if(c>o,m,n),colorred,linethick2;\r\n";
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
    benchmark::DoNotOptimize(context.Script().script.data());
  }
  state.SetComplexityN(state.range(0));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_AnalyseFormula)->Arg(125)->Arg(250)->Arg(500)->Arg(1000)->Arg(2000)->Complexity(benchmark::oN);

// The whole compilation: analysis, script and translation into the program.
void BM_CompileFormula(benchmark::State& state) {
  const std::string text = MakeFormula(state.range(0));
  for (auto _ : state) {
    CIndexParser parser;
    if (!parser.Compile(text, {"n", "m"}, {5.0f, 10.0f})) state.SkipWithError("formula did not compile");
  }
  state.SetComplexityN(state.range(0));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_CompileFormula)->Arg(250)->Arg(1000)->Arg(2000)->Complexity(benchmark::oN);

}  // namespace
