// The calculator through its exported interface: ranges, resets, publishing
// and every read-back, against hand-built programs and a scriptable provider.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "abacor/draw_info.h"
#include "abacor/index_calculator.h"
#include "abacor/index_obj_creator.h"
#include "formula/eval/value.h"
#include "support/bar_provider.h"
#include "support/calc_programs.h"
#include "support/fake_index_parser.h"
#include "support/owned_objects.h"

namespace {

CalcPtr NewCalculator() { return CalcPtr(IndexObjCreator::CreateIndexCalculatorObj()); }

using Range = std::pair<int32_t, int32_t>;

bool SameBits(double a, double b) { return ValueBits(a) == ValueBits(b); }

class CalculatorTest : public ::testing::Test {
 protected:
  void Attach(std::unique_ptr<CCalculateInfo> program) {
    parser.SetProgram(std::move(program));
    ASSERT_TRUE(calc->SetIndexParser(&parser));
    ASSERT_TRUE(calc->SetDataProvider(&provider));
  }

  std::pair<int32_t, int32_t> CalcRange() {
    std::pair<int32_t, int32_t> r{-2, -2};
    EXPECT_TRUE(calc->GetCalculatedRange(&r.first, &r.second));
    return r;
  }

  // Output 0 over all bars, as the line oracle predicts, after a publish.
  void ExpectLineValues(int32_t first, int32_t last) {
    for (int32_t bar = first; bar <= last; ++bar) {
      double v = 0.0;
      ASSERT_TRUE(calc->GetOutputValue(0, bar, &v)) << "bar " << bar;
      EXPECT_DOUBLE_EQ(v, LineOracle(bar)) << "bar " << bar;
    }
  }

  BarProvider provider{100};
  FakeIndexParser parser;
  CalcPtr calc = NewCalculator();
};

TEST_F(CalculatorTest, FullRangeRecomputesEveryTimeAndCoveredRangeReturnsAtOnce) {
  Attach(MakeLineProgram());
  ASSERT_TRUE(calc->Calculate(0, 99, false));
  // Two outputs of two fields each: every bar read exactly four times.
  EXPECT_EQ(provider.fieldReads.load(), 400);
  EXPECT_EQ(CalcRange(), Range(0, 99));

  ASSERT_TRUE(calc->Calculate(0, 99, false));
  EXPECT_EQ(provider.fieldReads.load(), 800);

  ASSERT_TRUE(calc->Calculate(10, 20, false));
  EXPECT_EQ(provider.fieldReads.load(), 800);
  EXPECT_EQ(CalcRange(), Range(0, 99));

  // Forced, the range is computed again and the calculated range ends there.
  ASSERT_TRUE(calc->Calculate(20, 10, true));
  EXPECT_EQ(provider.fieldReads.load(), 800 + 4 * 11);
  EXPECT_EQ(CalcRange(), Range(0, 20));
}

TEST_F(CalculatorTest, ZeroBarsFailsAndLeavesNoRange) {
  Attach(MakeLineProgram());
  provider.barCount = 0;
  EXPECT_FALSE(calc->Calculate(0, 0, false));
  EXPECT_EQ(CalcRange(), Range(-1, -1));

  provider.barCount = 100;
  ASSERT_TRUE(calc->Calculate(0, 99, false));
  provider.barCount = 0;
  EXPECT_FALSE(calc->Calculate(0, 99, false));
  EXPECT_EQ(CalcRange(), Range(-1, -1));
  EXPECT_FALSE(calc->PublishResults());
}

TEST_F(CalculatorTest, RangeIsClippedToTotalBarCount) {
  Attach(MakeLineProgram());
  provider.totalBarCount = 60;
  ASSERT_TRUE(calc->Calculate(50, 5000, false));
  EXPECT_EQ(CalcRange(), Range(50, 59));
  ASSERT_TRUE(calc->PublishResults());
  ExpectLineValues(50, 59);
  double v = 0.0;
  EXPECT_FALSE(calc->GetOutputValue(0, 60, &v));
  EXPECT_TRUE(SameBits(v, INVALID_VALUE));
  EXPECT_FALSE(calc->GetOutputValue(0, 49, &v));

  // A range wholly beyond the total shrinks to the last bar.
  ASSERT_TRUE(calc->Calculate(70, 90, true));
  EXPECT_EQ(CalcRange(), Range(50, 59));
}

TEST_F(CalculatorTest, ResultsAreReadableOnlyAfterPublishing) {
  Attach(MakeLineProgram());
  ASSERT_TRUE(calc->Calculate(0, 99, false));
  double v = 0.0;
  double values[3];
  bool valid[3];
  double lo = 0.0, hi = 0.0;
  EXPECT_FALSE(calc->GetOutputValue(0, 5, &v));
  EXPECT_FALSE(calc->GetOutputValues(0, 0, 2, values, valid));
  EXPECT_FALSE(calc->GetValueRange(0, 99, {}, &lo, &hi));

  ASSERT_TRUE(calc->PublishResults());
  ExpectLineValues(0, 99);

  // New data: the read store keeps the last published values until the next publish.
  provider.value = [](int32_t f, int32_t b) { return BarProvider::Price(f, b) + 1.0; };
  ASSERT_TRUE(calc->Calculate(0, 99, false));
  ExpectLineValues(0, 99);
  ASSERT_TRUE(calc->PublishResults());
  ASSERT_TRUE(calc->GetOutputValue(0, 7, &v));
  EXPECT_DOUBLE_EQ(v, LineOracle(7) + 3.0);

  // Released results are gone until the next publish, which restores them all.
  ASSERT_TRUE(calc->ReleaseResults());
  EXPECT_FALSE(calc->GetOutputValue(0, 7, &v));
  ASSERT_TRUE(calc->PublishResults());
  ASSERT_TRUE(calc->GetOutputValue(0, 99, &v));
  EXPECT_DOUBLE_EQ(v, LineOracle(99) + 3.0);
}

TEST_F(CalculatorTest, PublishAfterReleaseRestoresTheWholeCalculatedRange) {
  Attach(MakeLineProgram());
  ASSERT_TRUE(calc->Calculate(0, 49, false));
  ASSERT_TRUE(calc->PublishResults());
  ASSERT_TRUE(calc->ReleaseResults());
  ASSERT_TRUE(calc->Calculate(40, 99, false));  // computes bars 50 to 99 only
  ASSERT_TRUE(calc->PublishResults());
  ExpectLineValues(0, 99);
}

TEST_F(CalculatorTest, DrawTextHasNoLineValuesButItsArgumentsAreReadable) {
  Attach(MakeTextProgram());
  ASSERT_TRUE(calc->Calculate(0, 99, false));
  ASSERT_TRUE(calc->PublishResults());
  double values[4];
  bool valid[4];
  double v = 0.0;
  EXPECT_FALSE(calc->GetOutputValues(0, 0, 3, values, valid));
  EXPECT_FALSE(calc->GetOutputValue(0, 0, &v));

  for (int32_t bar = 0; bar < 100; ++bar) {
    const bool rises = BarProvider::Price(kClose, bar) - BarProvider::Price(kOpen, bar) > 1e-7;
    ASSERT_TRUE(calc->GetOutputArgValue(0, 0, bar, &v));
    EXPECT_EQ(v, rises ? 1.0 : 0.0) << bar;
    ASSERT_TRUE(calc->GetOutputArgValue(0, 1, bar, &v));
    EXPECT_DOUBLE_EQ(v, BarProvider::Price(kHigh, bar));
    ASSERT_TRUE(calc->GetOutputArgValue(0, 2, bar, &v));
    EXPECT_EQ(v, 0.0);  // text index 0
  }
  // DRAWTEXT takes three arguments; output 1 (a line) one.
  EXPECT_FALSE(calc->GetOutputArgValue(0, 3, 5, &v));
  EXPECT_TRUE(SameBits(v, INVALID_VALUE));
  ASSERT_TRUE(calc->GetOutputArgValue(1, 0, 5, &v));
  EXPECT_DOUBLE_EQ(v, BarProvider::Price(kLow, 5));
  EXPECT_FALSE(calc->GetOutputArgValue(1, 1, 5, &v));
  EXPECT_FALSE(calc->GetOutputArgValue(2, 0, 5, &v));
  EXPECT_FALSE(calc->GetOutputArgValue(0, 1, 100, &v));
  EXPECT_FALSE(calc->GetOutputArgValue(-1, 0, 5, &v));
  EXPECT_FALSE(calc->GetOutputArgValue(0, -1, 5, &v));
  EXPECT_FALSE(calc->GetOutputArgValue(0, 1, -1, &v));
  EXPECT_FALSE(calc->GetOutputArgValue(0, 1, 5, nullptr));
  ASSERT_TRUE(calc->GetOutputValues(1, 10, 13, values, valid));
  for (int32_t k = 0; k < 4; ++k) {
    EXPECT_TRUE(valid[k]);
    EXPECT_DOUBLE_EQ(values[k], BarProvider::Price(kLow, 10 + k));
  }
}

struct RangeOracle {
  double min = std::numeric_limits<double>::infinity();
  double max = -std::numeric_limits<double>::infinity();
  void Add(double v) {
    min = std::min(min, v);
    max = std::max(max, v);
  }
};

TEST_F(CalculatorTest, ValueRangeCountsVisibleOutputsWhereTheirConditionHolds) {
  Attach(MakeTextProgram());
  ASSERT_TRUE(calc->Calculate(0, 99, false));
  ASSERT_TRUE(calc->PublishResults());
  RangeOracle text, all;
  for (int32_t bar = 20; bar <= 70; ++bar) {
    all.Add(BarProvider::Price(kLow, bar));
    if (BarProvider::Price(kClose, bar) - BarProvider::Price(kOpen, bar) > 1e-7) {
      text.Add(BarProvider::Price(kHigh, bar));
      all.Add(BarProvider::Price(kHigh, bar));
    }
  }
  double lo = 0.0, hi = 0.0;
  ASSERT_TRUE(calc->GetValueRange(20, 70, {}, &lo, &hi));
  EXPECT_DOUBLE_EQ(lo, all.min);
  EXPECT_DOUBLE_EQ(hi, all.max);
  ASSERT_TRUE(calc->GetValueRange(20, 70, {1}, &lo, &hi));
  EXPECT_DOUBLE_EQ(lo, text.min);
  EXPECT_DOUBLE_EQ(hi, text.max);

  // Hidden by the set and by the parser: nothing counts, nothing is written.
  parser.hiddenOutputs = {0};
  lo = hi = 42.0;
  EXPECT_FALSE(calc->GetValueRange(20, 70, {1}, &lo, &hi));
  EXPECT_EQ(lo, 42.0);
  EXPECT_EQ(hi, 42.0);

  EXPECT_FALSE(calc->GetValueRange(70, 20, {}, &lo, &hi));
  EXPECT_FALSE(calc->GetValueRange(-1, 20, {}, &lo, &hi));
  EXPECT_FALSE(calc->GetValueRange(0, 100, {}, &lo, &hi));
  EXPECT_FALSE(calc->GetValueRange(0, 10, {}, nullptr, &hi));
}

TEST_F(CalculatorTest, StopDuringCalculationFailsAndLeavesNoRange) {
  Attach(MakeLineProgram());
  ASSERT_TRUE(calc->Calculate(0, 99, false));
  provider.fieldReads = 0;
  provider.onFieldRead = [this] {
    if (provider.fieldReads.load() == 150) calc->Stop();
  };
  EXPECT_FALSE(calc->Calculate(0, 99, false));
  EXPECT_LE(provider.fieldReads.load(), 152);
  EXPECT_EQ(CalcRange(), Range(-1, -1));
  EXPECT_FALSE(calc->PublishResults());

  // The next run starts with the stop request cleared.
  provider.onFieldRead = nullptr;
  ASSERT_TRUE(calc->Calculate(0, 99, false));
  ASSERT_TRUE(calc->PublishResults());
  ExpectLineValues(0, 99);
}

TEST_F(CalculatorTest, IncrementalExtensionMatchesFullRecompute) {
  Attach(MakeLineProgram());
  ASSERT_TRUE(calc->Calculate(0, 39, false));
  ASSERT_TRUE(calc->PublishResults());
  const int64_t before = provider.fieldReads.load();
  ASSERT_TRUE(calc->Calculate(30, 69, false));
  // Only bars 40 to 69 are new.
  EXPECT_EQ(provider.fieldReads.load() - before, 4 * 30);
  EXPECT_EQ(CalcRange(), Range(0, 69));
  ASSERT_TRUE(calc->Calculate(69, 99, false));
  EXPECT_EQ(CalcRange(), Range(0, 99));
  ASSERT_TRUE(calc->PublishResults());

  BarProvider freshProvider{100};
  FakeIndexParser freshParser(MakeLineProgram());
  CalcPtr fresh = NewCalculator();
  fresh->SetIndexParser(&freshParser);
  fresh->SetDataProvider(&freshProvider);
  ASSERT_TRUE(fresh->Calculate(0, 99, false));
  ASSERT_TRUE(fresh->PublishResults());
  for (int32_t output = 0; output < 2; ++output) {
    double a[100], b[100];
    bool va[100], vb[100];
    ASSERT_TRUE(calc->GetOutputValues(output, 0, 99, a, va));
    ASSERT_TRUE(fresh->GetOutputValues(output, 0, 99, b, vb));
    for (int32_t bar = 0; bar < 100; ++bar) {
      EXPECT_TRUE(va[bar] && vb[bar]);
      EXPECT_TRUE(SameBits(a[bar], b[bar])) << output << " bar " << bar;
    }
  }
}

TEST_F(CalculatorTest, RangeAfterAGapRestarts) {
  Attach(MakeLineProgram());
  ASSERT_TRUE(calc->Calculate(0, 19, false));
  ASSERT_TRUE(calc->Calculate(50, 79, false));
  EXPECT_EQ(CalcRange(), Range(50, 79));
  ASSERT_TRUE(calc->PublishResults());
  ExpectLineValues(50, 79);
  // Adjoining the end extends instead.
  ASSERT_TRUE(calc->Calculate(80, 89, false));
  EXPECT_EQ(CalcRange(), Range(50, 89));
}

struct ExtensionCase {
  const char* name;
  int32_t bars;
  int64_t backAnchor;
  int64_t forwardAnchor;
  bool extendHistory;
  bool extendForward;
  Range request;
  Range expected;
};

class CalculatorExtensionTest : public ::testing::TestWithParam<ExtensionCase> {};

TEST_P(CalculatorExtensionTest, ExtendsByAnchorBars) {
  const ExtensionCase& c = GetParam();
  BarProvider provider(c.bars);
  provider.backAnchor = c.backAnchor;
  provider.forwardAnchor = c.forwardAnchor;
  auto program = MakeLineProgram();
  program->m_extendHistory = c.extendHistory;
  program->m_extendForward = c.extendForward;
  FakeIndexParser parser(std::move(program));
  CalcPtr calc = NewCalculator();
  calc->SetIndexParser(&parser);
  calc->SetDataProvider(&provider);
  ASSERT_TRUE(calc->Calculate(c.request.first, c.request.second, false));
  Range r;
  ASSERT_TRUE(calc->GetCalculatedRange(&r.first, &r.second));
  EXPECT_EQ(r, c.expected);
  ASSERT_TRUE(calc->PublishResults());
  double v = 0.0;
  ASSERT_TRUE(calc->GetOutputValue(0, c.expected.first, &v));
  EXPECT_DOUBLE_EQ(v, LineOracle(c.expected.first));
  ASSERT_TRUE(calc->GetOutputValue(0, c.expected.second, &v));
  EXPECT_DOUBLE_EQ(v, LineOracle(c.expected.second));
}

INSTANTIATE_TEST_SUITE_P(
    Anchors, CalculatorExtensionTest,
    ::testing::Values(ExtensionCase{"back10", 100, 10, 0, false, false, {50, 59}, {40, 59}},
                      ExtensionCase{"backCapped", 2000, 1000, 0, false, false, {1500, 1510}, {1000, 1510}},
                      ExtensionCase{"historyAtLeast500", 2000, 0, 0, true, false, {1500, 1510}, {1000, 1510}},
                      ExtensionCase{"historyBeyond500", 2000, 800, 0, true, false, {1500, 1510}, {700, 1510}},
                      ExtensionCase{"backToZero", 100, 80, 0, false, false, {50, 59}, {0, 59}},
                      ExtensionCase{"forwardIgnored", 100, 0, 10, false, false, {50, 59}, {50, 59}},
                      ExtensionCase{"forward10", 100, 0, 10, false, true, {50, 59}, {50, 69}},
                      ExtensionCase{"forwardCapped", 2000, 0, 1000, false, true, {50, 59}, {50, 559}},
                      ExtensionCase{"forwardToEnd", 100, 0, 1000, false, true, {50, 59}, {50, 99}},
                      ExtensionCase{"hostileBack", 100, -5000000000LL, 0, false, false, {50, 59}, {50, 59}},
                      ExtensionCase{"hostileBackHistory", 2000, 5000000000LL, 0, true, false, {1500, 1510}, {0, 1510}},
                      ExtensionCase{"hostileForward", 100, 0, -100, false, true, {50, 59}, {50, 59}}),
    [](const ::testing::TestParamInfo<ExtensionCase>& info) { return info.param.name; });

TEST_F(CalculatorTest, RecalcAllProgramResetsOnEveryPartialRange) {
  auto program = MakeLineProgram();
  program->m_recalcAll = true;
  program->m_resetSlots4[0] = 0;
  Attach(std::move(program));
  ASSERT_TRUE(calc->Calculate(0, 99, false));
  ASSERT_TRUE(calc->PublishResults());
  ExpectLineValues(0, 99);

  // A covered range is not taken as done: it is calculated afresh, and the
  // published results are released until the next publish.
  const int64_t before = provider.fieldReads.load();
  ASSERT_TRUE(calc->Calculate(10, 20, false));
  EXPECT_EQ(provider.fieldReads.load() - before, 4 * 11);
  EXPECT_EQ(CalcRange(), Range(10, 20));
  double v = 0.0;
  EXPECT_FALSE(calc->GetOutputValue(0, 15, &v));
  ASSERT_TRUE(calc->PublishResults());
  ExpectLineValues(10, 20);
  EXPECT_FALSE(calc->GetOutputValue(0, 9, &v));
  EXPECT_FALSE(calc->GetOutputValue(0, 21, &v));

  ASSERT_TRUE(calc->Calculate(15, 30, false));
  EXPECT_EQ(CalcRange(), Range(15, 30));
}

TEST_F(CalculatorTest, RecompiledProgramStartsFromScratch) {
  Attach(MakeLineProgram());
  ASSERT_TRUE(calc->Calculate(0, 99, false));
  parser.SetProgram(MakeTextProgram());
  const int64_t before = provider.fieldReads.load();
  ASSERT_TRUE(calc->Calculate(10, 20, false));
  EXPECT_GT(provider.fieldReads.load(), before);
  EXPECT_EQ(CalcRange(), Range(10, 20));
  ASSERT_TRUE(calc->PublishResults());
  double v = 0.0;
  ASSERT_TRUE(calc->GetOutputArgValue(0, 1, 12, &v));
  EXPECT_DOUBLE_EQ(v, BarProvider::Price(kHigh, 12));
}

TEST_F(CalculatorTest, MissingPartsFailSoftly) {
  EXPECT_FALSE(calc->SetIndexParser(nullptr));
  EXPECT_FALSE(calc->SetDataProvider(nullptr));
  EXPECT_FALSE(calc->Calculate(0, 10, false));
  EXPECT_FALSE(calc->PublishResults());
  EXPECT_EQ(CalcRange(), Range(-1, -1));
  EXPECT_FALSE(calc->GetCalculatedRange(nullptr, nullptr));

  ASSERT_TRUE(calc->SetDataProvider(&provider));
  EXPECT_FALSE(calc->Calculate(0, 10, false));  // no parser
  parser.SetProgram(nullptr);
  ASSERT_TRUE(calc->SetIndexParser(&parser));
  EXPECT_FALSE(calc->Calculate(0, 10, false));  // parser without a program

  parser.SetProgram(MakeLineProgram());
  ASSERT_TRUE(calc->Calculate(0, 99, false));
  ASSERT_TRUE(calc->PublishResults());
  double values[2];
  bool valid[2];
  EXPECT_FALSE(calc->GetOutputValues(0, 0, 1, nullptr, valid));
  EXPECT_FALSE(calc->GetOutputValues(0, 0, 1, values, nullptr));
  EXPECT_FALSE(calc->GetOutputValues(0, 1, 0, values, valid));
  EXPECT_FALSE(calc->GetOutputValues(0, -1, 0, values, valid));
  EXPECT_FALSE(calc->GetOutputValues(0, 99, 100, values, valid));
  EXPECT_FALSE(calc->GetOutputValues(2, 0, 1, values, valid));
  EXPECT_FALSE(calc->GetOutputValue(0, 0, nullptr));
}

TEST(CalculatorFactoryTest, ReleaseNullsThePointer) {
  IIndexCalculator* p = IndexObjCreator::CreateIndexCalculatorObj();
  ASSERT_NE(p, nullptr);
  IndexObjCreator::ReleaseIndexCalculatorObj(&p);
  EXPECT_EQ(p, nullptr);
  IndexObjCreator::ReleaseIndexCalculatorObj(&p);
  IndexObjCreator::ReleaseIndexCalculatorObj(nullptr);
}

TEST_F(CalculatorTest, DrawInfoChecksItsRangeAgainstTheTotalBarCount) {
  std::vector<TarnDrawInfo::GraphDrawInfo> out(2);
  EXPECT_FALSE(calc->GetDrawInfo(0, 10, 0, {}, out));  // no parser yet
  EXPECT_EQ(out.size(), 2u);
  Attach(MakeLineProgram());
  provider.totalBarCount = 50;
  // Before a publish the provider's total counts; a range beyond it is clipped.
  EXPECT_TRUE(calc->GetDrawInfo(40, 500, 0, {}, out));
  EXPECT_TRUE(out.empty());
  EXPECT_FALSE(calc->GetDrawInfo(10, 5, 0, {}, out));
  EXPECT_FALSE(calc->GetDrawInfo(-1, 5, 0, {}, out));
  provider.totalBarCountFails = true;
  EXPECT_FALSE(calc->GetDrawInfo(0, 5, 0, {}, out));

  // After a publish the total taken then counts.
  provider.totalBarCountFails = false;
  ASSERT_TRUE(calc->Calculate(0, 99, false));
  ASSERT_TRUE(calc->PublishResults());
  provider.totalBarCountFails = true;
  out.resize(3);
  EXPECT_TRUE(calc->GetDrawInfo(0, 5, 0, {}, out));
  ASSERT_EQ(out.size(), 2u) << "one drawing per line output, nothing left of the old contents";
  EXPECT_EQ(out[0].curves.size(), 1u);

  out.resize(4);
  EXPECT_TRUE(calc->ReleaseDrawInfo(out));
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(out.capacity(), 0u);
}

// A calculator the host made itself: the library nulls the pointer but never
// destroys what it did not create.
class HostCalculator final : public IIndexCalculator {
 public:
  bool SetIndexParser(IIndexParser*) override { return false; }
  bool SetDataProvider(IIndexDataProvider*) override { return false; }
  bool Calculate(int32_t, int32_t, bool) override { return false; }
  bool Stop() override { return false; }
  bool PublishResults() override { return false; }
  bool ReleaseResults() override { return false; }
  bool GetCalculatedRange(int32_t*, int32_t*) override { return false; }
  bool GetOutputArgValue(int32_t, int32_t, int32_t, double*) override { return false; }
  bool GetOutputValues(int32_t, int32_t, int32_t, double*, bool*) override { return false; }
  bool GetOutputValue(int32_t, int32_t, double*) override { return false; }
  bool GetValueRange(int32_t, int32_t, const std::set<int32_t>&, double*, double*) override { return false; }
  bool GetDrawInfo(int32_t, int32_t, int32_t, const std::set<int32_t>&,
                   std::vector<TarnDrawInfo::GraphDrawInfo>&) override {
    return false;
  }
  bool ReleaseDrawInfo(std::vector<TarnDrawInfo::GraphDrawInfo>&) override { return false; }
};

TEST(CalculatorFactoryTest, ReleaseLeavesAForeignObjectAlone) {
  HostCalculator host;
  IIndexCalculator* p = &host;
  IndexObjCreator::ReleaseIndexCalculatorObj(&p);
  EXPECT_EQ(p, nullptr);
  EXPECT_FALSE(host.Stop());  // still alive (a stack object freed would trip the sanitizers)
}

// ---- hostile hosts ------------------------------------------------------------

TEST_F(CalculatorTest, FailingTotalBarCountFailsTheRange) {
  Attach(MakeLineProgram());
  provider.totalBarCountFails = true;
  EXPECT_FALSE(calc->Calculate(0, 99, false));
  EXPECT_EQ(CalcRange(), Range(-1, -1));
  EXPECT_FALSE(calc->PublishResults());
  provider.totalBarCountFails = false;
  EXPECT_TRUE(calc->Calculate(0, 99, false));
}

TEST_F(CalculatorTest, ShrinkingBarCountNeverReadsPastTheStore) {
  Attach(MakeLineProgram());
  // The store is made for 100 bars, then the provider reports 30.
  provider.barCountSequence = {100, 100, 30};
  ASSERT_TRUE(calc->Calculate(0, 99, false));
  ASSERT_TRUE(calc->PublishResults());
  ExpectLineValues(0, 29);
  double v = 0.0;
  EXPECT_FALSE(calc->GetOutputValue(0, 30, &v));
  EXPECT_FALSE(calc->GetOutputValue(0, 99, &v));

  // A full range at the new count makes a smaller store.
  provider.barCount = 20;
  ASSERT_TRUE(calc->Calculate(0, 19, false));
  ASSERT_TRUE(calc->PublishResults());
  double values[100];
  bool valid[100];
  EXPECT_FALSE(calc->GetOutputValues(0, 0, 99, values, valid));
  ASSERT_TRUE(calc->GetOutputValues(0, 0, 19, values, valid));
  EXPECT_DOUBLE_EQ(values[19], LineOracle(19));
  // Asking beyond it is clipped to the store.
  ASSERT_TRUE(calc->Calculate(10, 5000, true));
  EXPECT_EQ(CalcRange(), Range(0, 19));

  provider.barCount = -7;
  EXPECT_FALSE(calc->Calculate(0, 10, false));
  EXPECT_EQ(CalcRange(), Range(-1, -1));
}

TEST_F(CalculatorTest, ExtremeArgumentsAreClippedOrRefused) {
  Attach(MakeLineProgram());
  const int32_t lowest = std::numeric_limits<int32_t>::min();
  const int32_t highest = std::numeric_limits<int32_t>::max();
  ASSERT_TRUE(calc->Calculate(highest, lowest, false));
  EXPECT_EQ(CalcRange(), Range(0, 99));
  ASSERT_TRUE(calc->PublishResults());
  double v = 0.0;
  double values[1];
  bool valid[1];
  EXPECT_FALSE(calc->GetOutputValue(0, highest, &v));
  EXPECT_FALSE(calc->GetOutputValues(0, highest, highest, values, valid));
  EXPECT_FALSE(calc->GetOutputArgValue(0, 0, highest, &v));
  EXPECT_FALSE(calc->GetOutputArgValue(highest, 0, 0, &v));
  EXPECT_FALSE(calc->GetOutputArgValue(0, highest, 0, &v));
  double lo = 0.0, hi = 0.0;
  EXPECT_FALSE(calc->GetValueRange(0, highest, {}, &lo, &hi));
  std::vector<TarnDrawInfo::GraphDrawInfo> out;
  EXPECT_TRUE(calc->GetDrawInfo(0, highest, highest, {}, out));
  EXPECT_FALSE(calc->GetDrawInfo(lowest, highest, 0, {}, out));
}

TEST_F(CalculatorTest, NonFiniteAndFailedReadsBecomeNoValue) {
  Attach(MakeLineProgram());
  provider.failingBars = {3};
  provider.value = [](int32_t f, int32_t b) {
    if (f != kClose) return BarProvider::Price(f, b);
    if (b == 5) return std::nan("");
    if (b == 6) return std::numeric_limits<double>::infinity();
    if (b == 7) return -std::numeric_limits<double>::infinity();
    if (b == 8) return UNCOMPUTED;
    return BarProvider::Price(f, b);
  };
  ASSERT_TRUE(calc->Calculate(0, 99, false));
  ASSERT_TRUE(calc->PublishResults());
  RangeOracle oracle;
  for (int32_t bar = 0; bar < 100; ++bar) {
    const bool bad = bar == 3 || (bar >= 5 && bar <= 8);
    double v = 0.0;
    EXPECT_EQ(calc->GetOutputValue(0, bar, &v), !bad) << bar;
    if (bad) {
      EXPECT_TRUE(SameBits(v, INVALID_VALUE)) << bar;
      continue;
    }
    EXPECT_DOUBLE_EQ(v, LineOracle(bar));
    oracle.Add(v);
  }
  double lo = 0.0, hi = 0.0;
  ASSERT_TRUE(calc->GetValueRange(0, 99, {1}, &lo, &hi));
  EXPECT_DOUBLE_EQ(lo, oracle.min);
  EXPECT_DOUBLE_EQ(hi, oracle.max);
}

}  // namespace
