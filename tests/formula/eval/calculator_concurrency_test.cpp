// A worker thread calculates while a drawing thread reads published results;
// and a stop request from another thread ends a long calculation.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <set>
#include <thread>
#include <utility>
#include <vector>

#include "abacor/draw_info.h"
#include "abacor/index_calculator.h"
#include "abacor/index_obj_creator.h"
#include "support/bar_provider.h"
#include "support/calc_programs.h"
#include "support/fake_index_parser.h"
#include "support/owned_objects.h"

namespace {

constexpr int32_t kBars = 200;
constexpr int32_t kTicks = 300;

// The newest bar's close moves with every tick, as a live quote would.
struct LiveSetup {
  LiveSetup() : provider(kBars), parser(MakeLineProgram()) {
    provider.value = [this](int32_t f, int32_t b) {
      const double price = BarProvider::Price(f, b);
      return f == kClose && b == kBars - 1 ? price + 0.125 * tick.load() : price;
    };
    calc->SetIndexParser(&parser);
    calc->SetDataProvider(&provider);
  }

  bool Tick(int32_t t) {
    tick = t;
    return calc->Calculate(kBars - 1, kBars - 1, true) && calc->PublishResults();
  }

  std::atomic<int32_t> tick{0};
  BarProvider provider;
  FakeIndexParser parser;
  CalcPtr calc{IndexObjCreator::CreateIndexCalculatorObj()};
};

struct SerialResults {
  std::set<double> newest;
  std::set<std::pair<double, double>> ranges;
};

SerialResults RunSerially() {
  LiveSetup s;
  SerialResults r;
  EXPECT_TRUE(s.calc->Calculate(0, kBars - 1, false));
  EXPECT_TRUE(s.calc->PublishResults());
  for (int32_t t = 0; t <= kTicks; ++t) {
    if (t > 0) {
      EXPECT_TRUE(s.Tick(t));
    }
    double v = 0.0, lo = 0.0, hi = 0.0;
    EXPECT_TRUE(s.calc->GetOutputValue(0, kBars - 1, &v));
    EXPECT_TRUE(s.calc->GetValueRange(0, kBars - 1, {}, &lo, &hi));
    r.newest.insert(v);
    r.ranges.insert({lo, hi});
  }
  return r;
}

TEST(CalculatorConcurrencyTest, ReaderSeesOnlyValuesOfASerialRun) {
  const SerialResults serial = RunSerially();
  ASSERT_EQ(serial.newest.size(), static_cast<size_t>(kTicks + 1));

  LiveSetup s;
  ASSERT_TRUE(s.calc->Calculate(0, kBars - 1, false));
  ASSERT_TRUE(s.calc->PublishResults());

  std::atomic<bool> done{false};
  std::atomic<int32_t> failedTicks{0};
  std::thread worker([&] {
    for (int32_t t = 1; t <= kTicks; ++t) {
      if (!s.Tick(t)) ++failedTicks;
    }
    done = true;
  });

  int64_t reads = 0, mismatches = 0;
  std::vector<double> values(kBars);
  std::unique_ptr<bool[]> valid(new bool[kBars]);
  std::vector<TarnDrawInfo::GraphDrawInfo> drawings;
  while (!done.load() || reads == 0) {
    ASSERT_TRUE(s.calc->GetOutputValues(0, 0, kBars - 1, values.data(), valid.get()));
    for (int32_t bar = 0; bar < kBars - 1; ++bar) {
      if (!valid[bar] || values[bar] != LineOracle(bar)) ++mismatches;
    }
    if (!valid[kBars - 1] || serial.newest.count(values[kBars - 1]) == 0) ++mismatches;
    double lo = 0.0, hi = 0.0;
    ASSERT_TRUE(s.calc->GetValueRange(0, kBars - 1, {}, &lo, &hi));
    if (serial.ranges.count({lo, hi}) == 0) ++mismatches;
    int32_t first = -1, last = -1;
    ASSERT_TRUE(s.calc->GetCalculatedRange(&first, &last));
    if (first != 0 || last != kBars - 1) ++mismatches;
    ASSERT_TRUE(s.calc->GetDrawInfo(0, kBars - 1, 0, {}, drawings));
    ++reads;
  }
  worker.join();
  EXPECT_EQ(failedTicks.load(), 0);
  EXPECT_EQ(mismatches, 0) << "after " << reads << " reads";

  // The last tick is what remains published.
  double v = 0.0;
  ASSERT_TRUE(s.calc->GetOutputValue(0, kBars - 1, &v));
  EXPECT_EQ(v, *serial.newest.rbegin());
}

TEST(CalculatorConcurrencyTest, StopFromAnotherThreadEndsALongCalculation) {
  BarProvider provider(20000);
  FakeIndexParser parser(MakeLineProgram());
  CalcPtr calc(IndexObjCreator::CreateIndexCalculatorObj());
  calc->SetIndexParser(&parser);
  calc->SetDataProvider(&provider);

  std::atomic<bool> started{false};
  std::atomic<bool> stopped{false};
  // The run holds at its tenth read until the stop request has been made.
  provider.onFieldRead = [&] {
    if (provider.fieldReads.load() != 10) return;
    started = true;
    while (!stopped.load()) std::this_thread::yield();
  };
  std::thread stopper([&] {
    while (!started.load()) std::this_thread::yield();
    calc->Stop();
    stopped = true;
  });
  const bool ok = calc->Calculate(0, 19999, false);
  stopper.join();
  EXPECT_FALSE(ok);
  EXPECT_LT(provider.fieldReads.load(), 20);
  int32_t first = 0, last = 0;
  ASSERT_TRUE(calc->GetCalculatedRange(&first, &last));
  EXPECT_EQ(first, -1);
  EXPECT_EQ(last, -1);
}

}  // namespace
