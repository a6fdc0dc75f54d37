// Stop requested from another thread at random moments of a calculation:
// a run either completes with the values of an undisturbed run or fails and
// leaves no calculated range; the next undisturbed run is whole again.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <random>
#include <thread>

#include "abacor/index_calculator.h"
#include "abacor/index_obj_creator.h"
#include "abacor/index_parser.h"
#include "support/bar_provider.h"
#include "support/calc_programs.h"
#include "support/owned_objects.h"

namespace {

constexpr int32_t kBars = 3000;

double Ma10(int32_t bar) {
  double sum = 0.0;
  for (int32_t b = bar - 9; b <= bar; ++b) sum += BarProvider::Price(kClose, b);
  return sum / 10.0;
}

TEST(HostileStopConcurrencyTest, StopAtRandomMomentsLeavesWholeOrNoResults) {
  BarProvider provider(kBars);
  ParserPtr parser{IndexObjCreator::CreateIndexParserObj()};
  CalcPtr calc{IndexObjCreator::CreateIndexCalculatorObj()};
  ASSERT_TRUE(parser->Compile("M10:MA(CLOSE,10);SD:STD(CLOSE,20);HH:HHV(HIGH,30);", {}, {}));
  ASSERT_TRUE(calc->SetIndexParser(parser.get()));
  ASSERT_TRUE(calc->SetDataProvider(&provider));

  std::mt19937 random(20261210);
  int stopped = 0;
  for (int round = 0; round < 40; ++round) {
    const int delayMicros = std::uniform_int_distribution<int>(0, 3000)(random);
    std::atomic<bool> go{false};
    std::thread stopper([&] {
      while (!go.load()) std::this_thread::yield();
      std::this_thread::sleep_for(std::chrono::microseconds(delayMicros));
      calc->Stop();
    });
    go = true;
    const bool ok = calc->Calculate(0, kBars - 1, true);
    stopper.join();
    int32_t first = -2, last = -2;
    ASSERT_TRUE(calc->GetCalculatedRange(&first, &last));
    if (!ok) {
      ++stopped;
      EXPECT_EQ(first, -1);
      EXPECT_EQ(last, -1);
      continue;
    }
    EXPECT_EQ(first, 0);
    EXPECT_EQ(last, kBars - 1);
    ASSERT_TRUE(calc->PublishResults());
    for (int32_t bar : {9, 1000, kBars - 1}) {
      double v = 0.0;
      ASSERT_TRUE(calc->GetOutputValue(0, bar, &v)) << bar;
      EXPECT_NEAR(v, Ma10(bar), 1e-9) << bar;
    }
  }
  // Not a timing claim: only that some rounds were cut and the engine
  // recovered from each.
  (void)stopped;
  ASSERT_TRUE(calc->Calculate(0, kBars - 1, true));
  ASSERT_TRUE(calc->PublishResults());
  double v = 0.0;
  ASSERT_TRUE(calc->GetOutputValue(0, kBars - 1, &v));
  EXPECT_NEAR(v, Ma10(kBars - 1), 1e-9);
}

}  // namespace
