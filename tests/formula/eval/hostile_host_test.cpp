// Hosts that answer badly: a total bar count that fails every other call,
// bar counts that shrink and grow between runs, NaN and infinities in the
// data, and parsers and calculators released in every state they can be in.
// Each case ends in a defined result (false, INVALID_VALUE, nothing drawn).
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "abacor/draw_info.h"
#include "abacor/index_calculator.h"
#include "abacor/index_obj_creator.h"
#include "abacor/index_parser.h"
#include "formula/eval/value.h"
#include "support/bar_provider.h"
#include "support/calc_programs.h"
#include "support/fake_index_parser.h"
#include "support/owned_objects.h"

namespace {

bool IsInvalid(double v) { return ValueBits(v) == ValueBits(INVALID_VALUE); }

// A plain 5-bar mean of CLOSE, INVALID before bar 4.
double Ma5(int32_t bar) {
  if (bar < 4) return INVALID_VALUE;
  double sum = 0.0;
  for (int32_t b = bar - 4; b <= bar; ++b) sum += BarProvider::Price(kClose, b);
  return sum / 5.0;
}

class HostileHostTest : public ::testing::Test {
 protected:
  void Compile(const std::string& text) {
    ParseErrorInfo error{};
    const bool ok = parser->Compile(text, {}, {});
    parser->GetErrorInfo(&error);
    ASSERT_TRUE(ok) << text << " error " << error.code << " at " << error.position;
    ASSERT_TRUE(calc->SetIndexParser(parser.get()));
    ASSERT_TRUE(calc->SetDataProvider(&provider));
  }
  std::pair<int32_t, int32_t> Range() {
    std::pair<int32_t, int32_t> r{-2, -2};
    EXPECT_TRUE(calc->GetCalculatedRange(&r.first, &r.second));
    return r;
  }
  // Draw records for bars [first, last], released again; returns their count.
  size_t DrawCount(int32_t first, int32_t last) {
    std::vector<TarnDrawInfo::GraphDrawInfo> records;
    const bool ok = calc->GetDrawInfo(first, last, 1, {}, records);
    const size_t n = records.size();
    if (!ok) {
      EXPECT_EQ(n, 0u);
    }
    calc->ReleaseDrawInfo(records);
    return n;
  }

  BarProvider provider{100};
  ParserPtr parser{IndexObjCreator::CreateIndexParserObj()};
  CalcPtr calc{IndexObjCreator::CreateIndexCalculatorObj()};
};

TEST_F(HostileHostTest, TotalBarCountFailingEveryOtherCall) {
  Compile("M:MA(CLOSE,5);");
  provider.totalBarCountFailsEvery = 2;
  int succeeded = 0, failed = 0;
  for (int run = 0; run < 8; ++run) {
    const int32_t calls = provider.totalBarCountCalls.load();
    const bool ok = calc->Calculate(0, 99, true);
    // Success exactly when the count was answered.
    const bool answered = (calls + 1) % 2 != 0;
    ASSERT_EQ(ok, answered) << "run " << run;
    if (!ok) {
      ++failed;
      EXPECT_EQ(Range(), std::make_pair(-1, -1));
      continue;
    }
    ++succeeded;
    EXPECT_EQ(Range(), std::make_pair(0, 99));
    ASSERT_TRUE(calc->PublishResults());
    for (int32_t bar : {0, 3, 4, 50, 99}) {
      double v = 0.0;
      const bool has = calc->GetOutputValue(0, bar, &v);
      EXPECT_EQ(has, bar >= 4) << bar;
      if (has) {
        EXPECT_DOUBLE_EQ(v, Ma5(bar)) << bar;
      } else {
        EXPECT_TRUE(IsInvalid(v)) << bar;
      }
    }
    // Published results draw without asking the provider again.
    EXPECT_EQ(DrawCount(0, 99), 1u);
  }
  EXPECT_EQ(succeeded, 4);
  EXPECT_EQ(failed, 4);
}

TEST_F(HostileHostTest, UnpublishedDrawInfoFailsWhenTheTotalCountFails) {
  Compile("M:MA(CLOSE,5);");
  ASSERT_TRUE(calc->Calculate(0, 99, true));
  provider.totalBarCountFails = true;
  EXPECT_EQ(DrawCount(0, 99), 0u);
  provider.totalBarCountFails = false;
  ASSERT_TRUE(calc->PublishResults());
  provider.totalBarCountFails = true;
  EXPECT_EQ(DrawCount(0, 99), 1u);
}

// The bar count shrinks to one bar and to none, then grows again: each run
// publishes what the provider has, and nothing is read past it.
TEST_F(HostileHostTest, BarCountShrinksAndGrowsBetweenRuns) {
  Compile("M:MA(CLOSE,5);R:REF(CLOSE,3);STICKLINE(CLOSE>OPEN,CLOSE,OPEN,1,0);");
  for (int32_t bars : {100, 40, 1, 0, 7, 60}) {
    provider.barCount = provider.totalBarCount = bars;
    const bool ok = calc->Calculate(0, bars - 1, false);
    ASSERT_EQ(ok, bars > 0) << bars;
    if (!ok) {
      EXPECT_EQ(Range(), std::make_pair(-1, -1));
      double v = 0.0;
      calc->PublishResults();
      EXPECT_FALSE(calc->GetOutputValue(0, 0, &v));
      EXPECT_EQ(DrawCount(0, 10), 0u);
      continue;
    }
    ASSERT_TRUE(calc->PublishResults());
    EXPECT_EQ(Range(), std::make_pair(0, bars - 1));
    for (int32_t bar = 0; bar < bars; ++bar) {
      double v = 0.0;
      const bool has = calc->GetOutputValue(0, bar, &v);
      EXPECT_EQ(has, bar >= 4) << bars << "/" << bar;
      if (has) {
        EXPECT_DOUBLE_EQ(v, Ma5(bar));
      }
      if (bar >= 3) {
        ASSERT_TRUE(calc->GetOutputValue(1, bar, &v)) << bars << "/" << bar;
        EXPECT_DOUBLE_EQ(v, BarProvider::Price(kClose, bar - 3));
      }
    }
    double v = 0.0;
    EXPECT_FALSE(calc->GetOutputValue(0, bars, &v));
    EXPECT_FALSE(calc->GetOutputValue(1, bars + 100, &v));
  }
}

// A provider that claims billions of bars is refused before anything is
// allocated for them; a plausible count afterwards calculates normally.
TEST_F(HostileHostTest, ImplausibleBarCountIsRefused) {
  Compile("M:MA(CLOSE,5);");
  for (int32_t bars : {std::numeric_limits<int32_t>::max(), (1 << 24) + 1}) {
    provider.barCount = provider.totalBarCount = bars;
    EXPECT_FALSE(calc->Calculate(0, 99, false)) << bars;
    EXPECT_EQ(Range(), std::make_pair(-1, -1));
  }
  provider.barCount = provider.totalBarCount = 100;
  ASSERT_TRUE(calc->Calculate(0, 99, false));
  ASSERT_TRUE(calc->PublishResults());
  double v = 0.0;
  ASSERT_TRUE(calc->GetOutputValue(0, 99, &v));
  EXPECT_DOUBLE_EQ(v, Ma5(99));
}

// NaN and infinities in the bars never come out as published values: every
// cell is a finite number or INVALID_VALUE, the value range stays finite and
// the drawings hold finite points. (Infinities that a formula's own
// arithmetic makes, such as LN(0), pass through by design.)
TEST_F(HostileHostTest, NonFiniteBarsNeverReachPublishedValues) {
  const char* formulas[] = {
      "OUT1:MA(CLOSE,5);OUT2:EMA(CLOSE,5);OUT3:SMA(CLOSE,5,1);",
      "OUT1:SUM(CLOSE,3);OUT2:HHV(HIGH,5);OUT3:LLV(LOW,5);",
      "OUT1:STD(CLOSE,5);OUT2:AVEDEV(CLOSE,5);OUT3:SLOPE(CLOSE,5);",
      "OUT1:CLOSE/(HIGH-HIGH);OUT2:CLOSE*VOL;OUT3:MAX(CLOSE,OPEN)-MIN(HIGH,LOW);",
      "OUT1:REF(CLOSE,1);OUT2:BARSLAST(CLOSE>OPEN);OUT3:COUNT(CLOSE>0,10);",
      "OUT1:SAR(4,2,20);OUT2:ZIG(3,5);OUT3:DMA(CLOSE,0.5);",
  };
  provider.value = [](int32_t f, int32_t b) {
    switch (b % 11) {
      case 3: return std::numeric_limits<double>::quiet_NaN();
      case 5: return std::numeric_limits<double>::infinity();
      case 7: return -std::numeric_limits<double>::infinity();
      default: return BarProvider::Price(f, b);
    }
  };
  for (const char* text : formulas) {
    // A parser object compiles once: each formula gets its own.
    parser.reset(IndexObjCreator::CreateIndexParserObj());
    ASSERT_NO_FATAL_FAILURE(Compile(text));
    ASSERT_TRUE(calc->Calculate(0, 99, true)) << text;
    ASSERT_TRUE(calc->PublishResults());
    for (int32_t out = 0; out < 3; ++out) {
      std::vector<double> values(100);
      std::unique_ptr<bool[]> valid(new bool[100]);
      ASSERT_TRUE(calc->GetOutputValues(out, 0, 99, values.data(), valid.get())) << text;
      int32_t finite = 0;
      for (int32_t bar = 0; bar < 100; ++bar) {
        EXPECT_TRUE(valid[bar] ? std::isfinite(values[bar]) : IsInvalid(values[bar]))
            << text << " output " << out << " bar " << bar << " value " << values[bar];
        finite += valid[bar] ? 1 : 0;
      }
      EXPECT_GT(finite, 0) << text << " output " << out;
    }
    double lo = 0.0, hi = 0.0;
    ASSERT_TRUE(calc->GetValueRange(0, 99, {}, &lo, &hi)) << text;
    EXPECT_TRUE(std::isfinite(lo) && std::isfinite(hi) && lo <= hi) << text;
    std::vector<TarnDrawInfo::GraphDrawInfo> records;
    ASSERT_TRUE(calc->GetDrawInfo(0, 99, 1, {}, records)) << text;
    for (const auto& g : records)
      for (const auto& c : g.curves)
        for (const auto& l : c.lines)
          for (const auto& p : l.points.GetPoint()) EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y)) << text;
    calc->ReleaseDrawInfo(records);
  }
}

// ---- release in every state ----------------------------------------------------

TEST(HostileReleaseTest, ParserInEveryState) {
  const char* texts[] = {nullptr, "M:MA(CLOSE,5);", "M:MA(CLOSE,;", "M:CLOSE;N:"};
  for (const char* text : texts) {
    IIndexParser* p = IndexObjCreator::CreateIndexParserObj();
    ASSERT_NE(p, nullptr);
    if (text != nullptr) {
      p->Compile(text, {"n"}, {1.0f});
      CCalculateInfo* info = nullptr;
      p->GetCalculateInfo(&info);
      ParseErrorInfo error{};
      p->GetErrorInfo(&error);
    }
    IndexObjCreator::ReleaseIndexParserObj(&p);
    EXPECT_EQ(p, nullptr);
    IndexObjCreator::ReleaseIndexParserObj(&p);  // a null pointer is ignored
  }
}

// Each state is reached by the first `steps` steps of one host's life.
TEST(HostileReleaseTest, CalculatorInEveryState) {
  BarProvider provider(80);
  ParserPtr parser{IndexObjCreator::CreateIndexParserObj()};
  ASSERT_TRUE(parser->Compile("M:MA(CLOSE,5);DRAWTEXT(CLOSE>OPEN,HIGH,'up');", {}, {}));
  std::vector<TarnDrawInfo::GraphDrawInfo> records;
  for (int steps = 0; steps <= 9; ++steps) {
    IIndexCalculator* c = IndexObjCreator::CreateIndexCalculatorObj();
    ASSERT_NE(c, nullptr);
    bool ok = true;
    const std::function<bool()> life[] = {
        [&] { return c->SetIndexParser(parser.get()); },
        [&] { return c->SetDataProvider(&provider); },
        [&] { return c->Calculate(0, 39, false); },
        [&] { return c->PublishResults(); },
        [&] { return c->GetDrawInfo(0, 39, 1, {}, records) && !records.empty(); },
        [&] { return c->ReleaseDrawInfo(records); },
        [&] { return c->Calculate(40, 79, false); },
        [&] {
          c->Stop();
          return true;
        },
        [&] { return c->ReleaseResults(); },
    };
    for (int s = 0; s < steps && s < 9; ++s) ok = life[s]() && ok;
    EXPECT_TRUE(ok) << "steps " << steps;
    IndexObjCreator::ReleaseIndexCalculatorObj(&c);
    EXPECT_EQ(c, nullptr);
    // Records taken before the release stay the host's to free.
    if (!records.empty()) {
      IIndexCalculator* other = IndexObjCreator::CreateIndexCalculatorObj();
      other->ReleaseDrawInfo(records);
      EXPECT_TRUE(records.empty());
      IndexObjCreator::ReleaseIndexCalculatorObj(&other);
    }
  }
}

}  // namespace
