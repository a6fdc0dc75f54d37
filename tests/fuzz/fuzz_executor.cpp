// The column executor against the per-bar path: a formula calculated over
// generated bars with the executor on and off, through a whole range, a long
// stretch of new bars, appends and a tick, must publish the same bits. Any
// difference aborts with the formula and the place it differs.
//
// Input: formula text, NUL, driver bytes (the data seed, bar count, rough or
// plain data, read one by one or as columns, and the chart steps). Exhausted
// driver bytes read as zeros: rough data of 400 bars read one by one.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "abacor/index_obj_creator.h"
#include "abacor/index_parser.h"
#include "fuzz_split.h"
#include "support/executor_compare.h"
#include "support/owned_objects.h"
#include "support/rough_bars.h"

namespace {

constexpr double kTicks[] = {0.01, -0.01, 3e-8, 0.0};
static_assert(sizeof(kTicks) / sizeof(kTicks[0]) == 4, "four tick sizes");

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const FuzzSplit split = SplitFuzzInput(data, size);
  FuzzedDataProvider in(split.rest, split.restSize);
  RoughBarsSpec spec;
  spec.seed = in.ConsumeIntegral<uint32_t>();
  spec.bars = 400 + in.ConsumeIntegralInRange<int32_t>(-390, 800);
  spec.rough = !in.ConsumeBool();
  const bool columns = in.ConsumeBool();
  ChartSteps steps;
  steps.forward = in.ConsumeIntegralInRange<int32_t>(0, spec.bars / 2);
  steps.appends = in.ConsumeIntegralInRange<int32_t>(0, 4);
  steps.tick = kTicks[in.ConsumeIntegralInRange<int>(0, 3)];
  ParserPtr parser(IndexObjCreator::CreateIndexParserObj());
  if (!parser->Compile(split.text, {"n", "m", "p"}, {5.0f, 12.0f, 26.0f})) return 0;
  const ExecutorComparison c = CompareExecutor(*parser, MakeRoughBars(spec), columns, steps);
  if (c.agreement != Agreement::kDiffers) return 0;
  std::fprintf(stderr, "column executor differs (seed %llu, %d bars, %s, %s, forward %d, appends %d):\n%s\n%s\n",
               static_cast<unsigned long long>(spec.seed), spec.bars, spec.rough ? "rough" : "walk",
               columns ? "columns" : "reads", steps.forward, steps.appends, split.text.c_str(), c.difference.c_str());
  std::abort();
}
