// Formulas compiled by the parser and run by the calculator, both made by the
// library's factory: the road from formula text to published values.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "abacor/index_calculator.h"
#include "abacor/index_obj_creator.h"
#include "abacor/index_parser.h"
#include "formula/eval/value.h"
#include "support/bar_provider.h"
#include "support/calc_programs.h"
#include "support/owned_objects.h"

namespace {

class EndToEndTest : public ::testing::Test {
 protected:
  void Compile(const std::string& text, const std::vector<std::string>& names = {},
               const std::vector<float>& values = {}) {
    ASSERT_TRUE(parser->Compile(text, names, values));
    ASSERT_TRUE(calc->SetIndexParser(parser.get()));
    ASSERT_TRUE(calc->SetDataProvider(&provider));
  }

  void RunAll() {
    ASSERT_TRUE(calc->Calculate(0, provider.barCount - 1, false));
    ASSERT_TRUE(calc->PublishResults());
  }

  BarProvider provider{120};
  ParserPtr parser{IndexObjCreator::CreateIndexParserObj()};
  CalcPtr calc{IndexObjCreator::CreateIndexCalculatorObj()};
};

TEST_F(EndToEndTest, LineOutputsMatchAPlainLoop) {
  Compile("X:CLOSE*2+OPEN;\r\nHL:HIGH-LOW,COLORRED;\r\n");
  RunAll();
  std::vector<double> x(120), hl(120);
  std::unique_ptr<bool[]> valid(new bool[120]);
  ASSERT_TRUE(calc->GetOutputValues(0, 0, 119, x.data(), valid.get()));
  for (int32_t bar = 0; bar < 120; ++bar) {
    EXPECT_TRUE(valid[bar]);
    EXPECT_DOUBLE_EQ(x[bar], LineOracle(bar)) << bar;
  }
  ASSERT_TRUE(calc->GetOutputValues(1, 0, 119, hl.data(), valid.get()));
  for (int32_t bar = 0; bar < 120; ++bar) {
    EXPECT_DOUBLE_EQ(hl[bar], BarProvider::Price(kHigh, bar) - BarProvider::Price(kLow, bar));
  }
  double lo = 0.0, hi = 0.0;
  ASSERT_TRUE(calc->GetValueRange(0, 119, {0}, &lo, &hi));
  EXPECT_DOUBLE_EQ(lo, 3.0);
  EXPECT_DOUBLE_EQ(hi, 3.0);
}

TEST_F(EndToEndTest, DrawTextArgumentsAreReadableButNotAsALine) {
  Compile("DRAWTEXT(CLOSE>OPEN,HIGH,'up');\r\nLL:LOW;\r\n");
  RunAll();
  double values[2];
  bool valid[2];
  EXPECT_FALSE(calc->GetOutputValues(0, 0, 1, values, valid));
  for (int32_t bar = 0; bar < 120; bar += 7) {
    const bool rises = BarProvider::Price(kClose, bar) - BarProvider::Price(kOpen, bar) > 1e-7;
    double v = 0.0;
    ASSERT_TRUE(calc->GetOutputArgValue(0, 0, bar, &v));
    EXPECT_EQ(v, rises ? 1.0 : 0.0);
    ASSERT_TRUE(calc->GetOutputArgValue(0, 1, bar, &v));
    EXPECT_DOUBLE_EQ(v, BarProvider::Price(kHigh, bar));
    ASSERT_TRUE(calc->GetOutputValue(1, bar, &v));
    EXPECT_DOUBLE_EQ(v, BarProvider::Price(kLow, bar));
  }
}

TEST_F(EndToEndTest, NewParameterValueIsSeenByTheNextFullRun) {
  Compile("X:CLOSE*N;\r\n", {"N"}, {2.0f});
  RunAll();
  double v = 0.0;
  ASSERT_TRUE(calc->GetOutputValue(0, 30, &v));
  EXPECT_DOUBLE_EQ(v, BarProvider::Price(kClose, 30) * 2.0);
  ASSERT_TRUE(parser->SetParamValue(0, 3.0f));
  RunAll();
  ASSERT_TRUE(calc->GetOutputValue(0, 30, &v));
  EXPECT_DOUBLE_EQ(v, BarProvider::Price(kClose, 30) * 3.0);
}

TEST_F(EndToEndTest, ProgramCompiledAfterAFailedAttemptIsSeenWithoutSettingTheParserAgain) {
  EXPECT_FALSE(parser->Compile("X:CLOSE*2+;\r\n", {}, {}));
  ASSERT_TRUE(calc->SetIndexParser(parser.get()));
  ASSERT_TRUE(calc->SetDataProvider(&provider));
  EXPECT_FALSE(calc->Calculate(0, 119, false));
  ASSERT_TRUE(parser->Compile("Y:HIGH+1;\r\n", {}, {}));
  ASSERT_TRUE(calc->Calculate(10, 20, false));
  ASSERT_TRUE(calc->PublishResults());
  double v = 0.0;
  ASSERT_TRUE(calc->GetOutputValue(0, 15, &v));
  EXPECT_DOUBLE_EQ(v, BarProvider::Price(kHigh, 15) + 1.0);
}

// Functions that look back over earlier bars or keep running state give the
// same values whether the range grows step by step or is calculated at once.
TEST(EndToEndIncrementalTest, GrowingRangeMatchesOneFullRun) {
  const std::string text =
      "XA:VALUEWHEN(CROSS(CLOSE,OPEN),HIGH);\r\n"
      "XB:EXIST(CLOSE>OPEN,5)+EVERY(CLOSE>OPEN,2)*2;\r\n"
      "XC:LAST(CLOSE>OPEN,5,1)+UPNDAY(CLOSE,3)*2+DOWNNDAY(CLOSE,2)*4;\r\n";
  const int32_t bars = 120;
  auto run = [&](const std::vector<std::pair<int32_t, int32_t>>& steps, std::vector<double>* out) {
    BarProvider provider(bars);
    ParserPtr parser(IndexObjCreator::CreateIndexParserObj());
    CalcPtr calc(IndexObjCreator::CreateIndexCalculatorObj());
    ASSERT_TRUE(parser->Compile(text, {}, {}));
    calc->SetIndexParser(parser.get());
    calc->SetDataProvider(&provider);
    for (const auto& step : steps) {
      ASSERT_TRUE(calc->Calculate(step.first, step.second, step.first == step.second));
    }
    ASSERT_TRUE(calc->PublishResults());
    for (int32_t output = 0; output < 3; ++output) {
      std::vector<double> values(bars);
      std::unique_ptr<bool[]> valid(new bool[bars]);
      ASSERT_TRUE(calc->GetOutputValues(output, 0, bars - 1, values.data(), valid.get()));
      out->insert(out->end(), values.begin(), values.end());
    }
  };
  std::vector<double> full, grown, ticked;
  run({{0, bars - 1}}, &full);
  run({{0, 39}, {30, 79}, {70, bars - 1}}, &grown);
  run({{0, bars - 1}, {bars - 1, bars - 1}, {bars - 1, bars - 1}}, &ticked);
  ASSERT_EQ(full.size(), static_cast<size_t>(3 * bars));
  int32_t withValue = 0;
  for (size_t k = 0; k < full.size(); ++k) {
    EXPECT_EQ(ValueBits(grown[k]), ValueBits(full[k])) << "cell " << k;
    EXPECT_EQ(ValueBits(ticked[k]), ValueBits(full[k])) << "cell " << k;
    if (ValueBits(full[k]) != INVALID_VALUE_BITS) ++withValue;
  }
  EXPECT_GT(withValue, 3 * bars / 2);
}

}  // namespace
