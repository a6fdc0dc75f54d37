// Appending bars one at a time, as a chart does once per period: the provider
// offers more bar slots than the instrument has bars, the total grows by one
// and only the new bar is calculated. The result must equal one calculation
// over the final bars, also where an evaluation once looked past the last bar.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "abacor/index_calculator.h"
#include "abacor/index_obj_creator.h"
#include "abacor/index_parser.h"
#include "formula/eval/value.h"
#include "support/owned_objects.h"
#include "support/test_data_provider.h"

namespace {

constexpr int32_t kSlots = 160;  // bar slots the provider offers
constexpr int32_t kStart = 90;   // bars of the instrument at the start

// Prices of bar i, answered only for bars the instrument has.
void ServeWalk(TestDataProvider* p) {
  p->barCount = kSlots;
  p->totalBarCount = kStart;
  p->fieldHook = [p](int32_t field, int32_t bar, double* v) {
    if (bar < 0 || bar >= p->totalBarCount || field < 1 || field > 4) return false;
    *v = 50.0 + 10.0 * std::sin(0.37 * bar + field) + 0.05 * bar;
    return true;
  };
  // A recalculated range reaches back to bar 0.
  p->anchorOffset[0] = 1000000;
}

// Output k of bars 0..bars-1, no value as INVALID_VALUE.
std::vector<double> Output(IIndexCalculator& calc, int32_t k, int32_t bars) {
  std::vector<double> values(static_cast<size_t>(bars));
  std::unique_ptr<bool[]> valid(new bool[static_cast<size_t>(bars)]);
  if (!calc.GetOutputValues(k, 0, bars - 1, values.data(), valid.get())) return {};
  return values;
}

std::string FirstDifference(const std::vector<double>& a, const std::vector<double>& b) {
  if (a.size() != b.size()) return "sizes differ";
  for (size_t i = 0; i < a.size(); ++i) {
    const bool va = HasValue(a[i]);
    const bool vb = HasValue(b[i]);
    if (va == vb && (!va || std::memcmp(&a[i], &b[i], sizeof(double)) == 0)) continue;
    return "bar " + std::to_string(i);
  }
  return "";
}

struct AppendCase {
  const char* formula;
  int32_t output;  // the output compared
};

// REFX looks past the newest bar; the X it reads there must not keep the
// missing value once those bars exist. The others are the suite's kinds.
const AppendCase kCases[] = {
    {"X:=CLOSE*2;A:REFX(X,3);B:X;", 1},
    {"X:=CLOSE-OPEN;A:REFX(X,5)+1;B:MA(X,4);", 1},
    {"MA5:MA(CLOSE,5);", 0},
    {"DIF:EMA(CLOSE,12)-EMA(CLOSE,26);DEA:EMA(DIF,9);", 1},
    {"RSV:=(CLOSE-LLV(LOW,9))/(HHV(HIGH,9)-LLV(LOW,9))*100;K:SMA(RSV,3,1);", 0},
    {"LC:=REF(CLOSE,1);A:SMA(MAX(CLOSE-LC,0),6,1)/SMA(ABS(CLOSE-LC),6,1)*100;", 0},
    {"A:STD(CLOSE,20)+AVEDEV(CLOSE,14);", 0},
    {"A:BARSLAST(CLOSE>OPEN);", 0},
};

TEST(CalculatorAppend, AppendingBarByBarEqualsOneCalculation) {
  for (const AppendCase& c : kCases) {
    TestDataProvider provider;
    ServeWalk(&provider);
    ParserPtr parser(IndexObjCreator::CreateIndexParserObj());
    ASSERT_TRUE(parser->Compile(c.formula, {}, {})) << c.formula;

    CalcPtr grown(IndexObjCreator::CreateIndexCalculatorObj());
    grown->SetIndexParser(parser.get());
    grown->SetDataProvider(&provider);
    ASSERT_TRUE(grown->Calculate(0, kSlots - 1, false)) << c.formula;
    ASSERT_TRUE(grown->PublishResults());
    while (provider.totalBarCount < kSlots) {
      ++provider.totalBarCount;
      const int32_t last = provider.totalBarCount - 1;
      ASSERT_TRUE(grown->Calculate(last, last, false)) << c.formula;
      ASSERT_TRUE(grown->PublishResults());
    }

    CalcPtr full(IndexObjCreator::CreateIndexCalculatorObj());
    full->SetIndexParser(parser.get());
    full->SetDataProvider(&provider);
    ASSERT_TRUE(full->Calculate(0, kSlots - 1, false));
    ASSERT_TRUE(full->PublishResults());

    const std::vector<double> expected = Output(*full, c.output, kSlots);
    int32_t valued = 0;
    for (double v : expected) valued += HasValue(v) ? 1 : 0;
    EXPECT_GE(valued, 60) << c.formula;
    EXPECT_EQ(FirstDifference(Output(*grown, c.output, kSlots), expected), "") << c.formula;
  }
}

}  // namespace
