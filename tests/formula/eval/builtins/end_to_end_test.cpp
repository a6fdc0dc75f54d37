// The built-ins through the parser and the calculator: formula text compiled
// by Compile, run by Calculate and read back after PublishResults. Also the
// property that a range grown forward step by step, with its newest bar
// recomputed again and again, publishes exactly what a fresh full
// calculation publishes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "abacor/index_calculator.h"
#include "abacor/index_obj_creator.h"
#include "abacor/index_parser.h"
#include "formula/eval/value.h"
#include "support/owned_objects.h"
#include "support/series_harness.h"
#include "support/test_data_provider.h"

namespace {

using harness::NA;

ParserPtr NewParser() { return ParserPtr(IndexObjCreator::CreateIndexParserObj()); }
CalcPtr NewCalculator() { return CalcPtr(IndexObjCreator::CreateIndexCalculatorObj()); }

// Output 0 of a compiled formula, published; no value as INVALID_VALUE.
std::vector<double> Output(IIndexCalculator& calc, int32_t bars) {
  std::vector<double> values(bars);
  std::unique_ptr<bool[]> valid(new bool[bars]);
  if (!calc.GetOutputValues(0, 0, bars - 1, values.data(), valid.get())) return {};
  for (int32_t i = 0; i < bars; ++i) {
    if (!valid[i]) values[i] = INVALID_VALUE;
  }
  return values;
}

// Compiles text and runs it over every bar of provider.
std::vector<double> RunFormula(const std::string& text, IIndexDataProvider& provider, int32_t bars) {
  ParserPtr parser = NewParser();
  CalcPtr calc = NewCalculator();
  if (!parser->Compile(text, {}, {})) {
    ParseErrorInfo err{};
    parser->GetErrorInfo(&err);
    ADD_FAILURE() << "does not compile: " << text << " (code " << err.code << ")";
    return {};
  }
  calc->SetIndexParser(parser.get());
  calc->SetDataProvider(&provider);
  EXPECT_TRUE(calc->Calculate(0, bars - 1, false)) << text;
  EXPECT_TRUE(calc->PublishResults()) << text;
  return Output(*calc, bars);
}

// ---- Worked cases through Compile and Calculate --------------------------

const std::vector<double> kClose = {10, 11, 12, 11, 13, 13, 9, 10};

struct TextCase {
  const char* formula;
  std::vector<double> expected;
};

void PrintTo(const TextCase& c, std::ostream* os) { *os << c.formula; }

class CompiledCases : public ::testing::TestWithParam<TextCase> {};

TEST_P(CompiledCases, MatchesRule) {
  TestDataProvider provider;
  provider.SetField(harness::CLOSE, kClose);
  provider.SetField(harness::OPEN, {9, 11.5, 11, 12, 12, 13.5, 10, 9});
  provider.SetField(harness::HIGH, {10.5, 12, 12.5, 12, 13, 14, 10, 10.5});
  provider.SetField(harness::LOW, {9, 10.5, 11, 10.5, 12, 12.5, 8.5, 9});
  const std::vector<double> got = RunFormula(GetParam().formula, provider, 8);
  EXPECT_TRUE(harness::SeriesNear(got, GetParam().expected, 1e-12)) << GetParam().formula;
}

const TextCase kTextCases[] = {
    {"A:SUM(CLOSE,5);", {10, 21, 33, 44, 57, 60, 58, 56}},
    {"A:MA(CLOSE,5);", {NA, NA, NA, NA, 11.4, 12, 11.6, 11.2}},
    {"A:HHVBARS(CLOSE,3);", {0, 0, 0, 1, 0, 0, 1, 2}},
    {"A:REF(CLOSE,10);", {10, 10, 10, 10, 10, 10, 10, 10}},
    {"A:REFV(CLOSE,10);", {NA, NA, NA, NA, NA, NA, NA, NA}},
    {"A:REFX(CLOSE,1);", {11, 12, 11, 13, 13, 9, 10, NA}},
    {"A:REFXV(CLOSE,1);", {11, 12, 11, 13, 13, 9, 10, 10}},
    {"A:FILTER(CLOSE>10.5,3);", {0, 1, 0, 0, 0, 1, 0, 0}},
    {"A:EMA(CLOSE,3);", {10, 10.5, 11.25, 11.125, 12.0625, 12.53125, 10.765625, 10.3828125}},
    {"A:FINDHIGH(CLOSE,0,5,2);", {10, 10, 11, 11, 12, 13, 13, 13}},
    {"A:WMA(CLOSE,1);", {10, 11, 12, 11, 13, 13, 9, 10}},
    {"A:STD(CLOSE,1);", {NA, NA, NA, NA, NA, NA, NA, NA}},
    {"A:VAR(CLOSE,1);", {NA, NA, NA, NA, NA, NA, NA, NA}},
    {"A:STDP(CLOSE,1);", {0, 0, 0, 0, 0, 0, 0, 0}},
    {"A:VARP(CLOSE,1);", {0, 0, 0, 0, 0, 0, 0, 0}},
    // A regression over one bar is a fault: the cells stay uncomputed.
    {"A:SLOPE(CLOSE,1);", {NA, NA, NA, NA, NA, NA, NA, NA}},
    {"A:BARSLAST(CLOSE>12);", {NA, NA, NA, NA, 0, 0, 1, 2}},
    {"A:COUNT(CLOSE>OPEN,1);", {1, 0, 1, 0, 1, 0, 0, 1}},
    {"A:ZIG(3,50);", {NA, NA, NA, NA, NA, NA, NA, NA}},
    {"A:BACKSET(CLOSE>12,2);", {0, 0, 0, 1, 1, 1, 0, 0}},
    {"A:CONST(CLOSE);", {10, 10, 10, 10, 10, 10, 10, 10}},
    {"A:TR;", {1.5, 2, 1.5, 1.5, 2, 1.5, 4.5, 1.5}},
};

INSTANTIATE_TEST_SUITE_P(Builtins, CompiledCases, ::testing::ValuesIn(kTextCases));

TEST(BuiltinEndToEnd, PeakStepsToEachNewerPeak) {
  TestDataProvider provider;
  const std::vector<double> close = {10, 12, 10, 13, 10, 14, 10};
  for (int32_t field : {harness::OPEN, harness::HIGH, harness::LOW, harness::CLOSE}) provider.SetField(field, close);
  EXPECT_TRUE(harness::SeriesNear(RunFormula("A:PEAK(3,5,1);", provider, 7), {NA, 12, 12, 13, 13, 14, 14}));
  EXPECT_TRUE(harness::SeriesNear(RunFormula("A:ZIG(3,5);", provider, 7), close));
}

TEST(BuiltinEndToEnd, SarWaitsForItsWindowAndRefusesAMaximumBelowItsStep) {
  TestDataProvider provider;
  std::vector<double> high, low, open, close;
  for (int i = 0; i < 30; ++i) {
    const double mid = 20 + 5 * std::sin(i / 4.0);
    high.push_back(mid + 1);
    low.push_back(mid - 1);
    open.push_back(mid - 0.3);
    close.push_back(mid + 0.3);
  }
  provider.SetField(harness::HIGH, high);
  provider.SetField(harness::LOW, low);
  provider.SetField(harness::OPEN, open);
  provider.SetField(harness::CLOSE, close);
  const std::vector<double> sar = RunFormula("A:SAR(10,2,20);", provider, 30);
  ASSERT_EQ(sar.size(), 30u);
  for (int i = 0; i < 9; ++i) EXPECT_FALSE(HasValue(sar[i])) << i;
  for (int i = 9; i < 30; ++i) EXPECT_TRUE(HasValue(sar[i])) << i;
  // The first bar of the trend starts at the window's low (closes above opens).
  EXPECT_DOUBLE_EQ(sar[9], *std::min_element(low.begin(), low.begin() + 10));
  const std::vector<double> none = RunFormula("A:SAR(10,20,2);", provider, 30);
  for (double v : none) EXPECT_FALSE(HasValue(v));
}

// ---- Incremental equals full ------------------------------------------------

// Every stateful built-in, alone and nested, including whole-range ones.
const char* const kStatefulFormulas[] = {
    "A:BARSCOUNT(CLOSE);",
    "A:BARSLAST(CLOSE>OPEN);",
    "A:BARSNEXT(CLOSE>OPEN);",
    "A:BARSSINCEN(CLOSE>OPEN,5);",
    "A:BARSSINCE(CLOSE>HIGH-0.5);",
    "A:COUNT(CLOSE>OPEN,7);",
    "A:BARSLASTCOUNT(CLOSE>OPEN);",
    "A:HHV(HIGH,9);",
    "A:HHVBARS(HIGH,9);",
    "A:LLV(LOW,9);",
    "A:LLVBARS(LOW,9);",
    "A:SUM(CLOSE,6);",
    "A:MULAR(CLOSE/OPEN,4);",
    "A:FILTER(CLOSE>OPEN,3);",
    "A:MA(CLOSE,5);",
    "A:EMA(CLOSE,7);",
    "A:SMA(CLOSE,7,2);",
    "A:DMA(CLOSE,0.3);",
    "A:TMA(CLOSE,0.6,0.4);",
    "A:MEMA(CLOSE,4);",
    "A:EXPMA(CLOSE,6);",
    "A:EXPMEMA(CLOSE,6);",
    "A:WMA(CLOSE,6);",
    "A:AMA(CLOSE,0.2);",
    "A:XMA(CLOSE,5);",
    "A:CONST(CLOSE);",
    "A:TOPRANGE(HIGH);",
    "A:LOWRANGE(LOW);",
    "A:BACKSET(CLOSE>OPEN+1,3);",
    "A:ALIGNRIGHT(CLOSE);",
    "A:SMMA(CLOSE,5);",
    "A:STD(CLOSE,8);",
    "A:STDP(CLOSE,8);",
    "A:VAR(CLOSE,8);",
    "A:VARP(CLOSE,8);",
    "A:AVEDEV(CLOSE,8);",
    "A:DEVSQ(CLOSE,8);",
    "A:COVAR(CLOSE,OPEN,8);",
    "A:RELATE(CLOSE,HIGH,8);",
    "A:VOLAT(CLOSE,8);",
    "A:SAR(5,2,20);",
    "A:SARTURN(5,2,20);",
    "A:ZIG(3,2);",
    "A:ZIGA(3,1);",
    "A:ZIGA(2,1);",
    "A:PEAK(3,2,1);",
    "A:PEAKBARS(3,2,2);",
    "A:TROUGH(3,2,1);",
    "A:TROUGHBARS(3,2,1);",
    "A:HHV(MA(CLOSE,3),5)+REF(EMA(CLOSE,4),2);",
    "A:HHV(MA(CLOSE,3),5);",
    "A:REF(EMA(CLOSE,4),2);",
    "A:SUM(COUNT(CLOSE>OPEN,3),4)+LLVBARS(STD(CLOSE,3),4);",
    "M:=MA(CLOSE,4);A:EMA(M,3)+HHV(M,6);",
    "A:LLVBARS(SUM(CLOSE,3),6)+HHVBARS(WMA(HIGH,3),4)+COUNT(BARSLAST(CLOSE>OPEN)>2,5);",
    "A:FINDHIGH(MA(CLOSE,3),1,6,2)+STD(SMA(CLOSE,5,1),6)+TOPRANGE(AVEDEV(CLOSE,4));",
    "A:ZIG(3,3)+FILTER(CLOSE>MA(CLOSE,5),4)+PEAK(1,3,2);",
    "LC:=REF(CLOSE,1);A:SMA(MAX(CLOSE-LC,0),6,1)/SMA(ABS(CLOSE-LC),6,1)*100;",
    "A:FILTER(CROSS(CLOSE,MA(CLOSE,5)),4)+BARSLAST(CROSS(MA(CLOSE,3),MA(CLOSE,8)));",
};

// A random walk with gaps: about one read in twenty fails.
void FillRandomBars(TestDataProvider* p, int32_t bars, uint32_t seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> step(-1.0, 1.0);
  std::uniform_int_distribution<int32_t> gap(0, 19);
  std::vector<double> open, high, low, close;
  double price = 50.0;
  for (int32_t i = 0; i < bars; ++i) {
    const double o = price + step(rng);
    const double c = o + 2 * step(rng);
    open.push_back(o);
    close.push_back(c);
    high.push_back(std::max(o, c) + std::fabs(step(rng)));
    low.push_back(std::min(o, c) - std::fabs(step(rng)));
    price = c;
  }
  p->SetField(harness::OPEN, open);
  p->SetField(harness::HIGH, high);
  p->SetField(harness::LOW, low);
  p->SetField(harness::CLOSE, close);
  for (int32_t field : {harness::OPEN, harness::HIGH, harness::LOW, harness::CLOSE}) {
    for (int32_t i = 0; i < bars; ++i) {
      if (gap(rng) == 0) p->failingReads.insert({field, i});
    }
  }
  // A recalculated range reaches back to bar 0 (at most 500 bars are added).
  p->anchorOffset[0] = 1000000;
}

bool SameBits(const std::vector<double>& a, const std::vector<double>& b, std::string* where) {
  if (a.size() != b.size()) {
    *where = "sizes differ";
    return false;
  }
  for (size_t i = 0; i < a.size(); ++i) {
    const bool va = HasValue(a[i]);
    const bool vb = HasValue(b[i]);
    if (va == vb && (!va || std::memcmp(&a[i], &b[i], sizeof(double)) == 0)) continue;
    *where = "bar " + std::to_string(i) + ": " + harness::Show({a[i]}) + " vs " + harness::Show({b[i]});
    return false;
  }
  return true;
}

TEST(BuiltinIncremental, GrowingAndRecomputingEqualsAFullCalculation) {
  constexpr int32_t kBars = 240;
  for (uint32_t seed : {1u, 2u, 3u}) {
    TestDataProvider provider;
    FillRandomBars(&provider, kBars, seed);
    for (const char* formula : kStatefulFormulas) {
      ParserPtr parser = NewParser();
      ASSERT_TRUE(parser->Compile(formula, {}, {})) << formula;
      CalcPtr full = NewCalculator();
      full->SetIndexParser(parser.get());
      full->SetDataProvider(&provider);
      ASSERT_TRUE(full->Calculate(0, kBars - 1, false));
      ASSERT_TRUE(full->PublishResults());
      const std::vector<double> expected = Output(*full, kBars);
      const auto valued = std::count_if(expected.begin(), expected.end(), [](double v) { return HasValue(v); });
      EXPECT_GE(valued, 10) << formula << " has too few values to compare";

      CalcPtr grown = NewCalculator();
      grown->SetIndexParser(parser.get());
      grown->SetDataProvider(&provider);
      std::mt19937 rng(seed * 7919u);
      std::uniform_int_distribution<int32_t> stride(1, 12);
      std::uniform_int_distribution<int32_t> repeats(0, 3);
      int32_t last = stride(rng);
      ASSERT_TRUE(grown->Calculate(0, last, false));
      ASSERT_TRUE(grown->PublishResults());
      while (last < kBars - 1) {
        const int32_t next = std::min(kBars - 1, last + stride(rng));
        ASSERT_TRUE(grown->Calculate(last, next, false)) << formula;
        last = next;
        for (int32_t r = repeats(rng); r > 0; --r) ASSERT_TRUE(grown->Calculate(last, last, true)) << formula;
        ASSERT_TRUE(grown->PublishResults());
      }
      std::string where;
      EXPECT_TRUE(SameBits(Output(*grown, kBars), expected, &where)) << formula << " seed " << seed << ": " << where;
    }
  }
}

// ---- Hostile runs -----------------------------------------------------------

// Periods that change between runs (0, negative, fractional, far beyond the
// data) and a total bar count that shrinks and grows again: every run ends
// and a full calculation afterwards matches a fresh calculator.
TEST(BuiltinEndToEnd, ChangingParametersAndShrinkingTotalsNeitherCrashNorHang) {
  const char* const formulas[] = {
      "A:MA(CLOSE,P);",
      "A:SUM(CLOSE,P);",
      "A:EMA(CLOSE,P);",
      "A:SMA(CLOSE,P,1);",
      "A:WMA(CLOSE,P);",
      "A:SMMA(CLOSE,P);",
      "A:XMA(CLOSE,P);",
      "A:MEMA(CLOSE,P);",
      "A:EXPMEMA(CLOSE,P);",
      "A:EXPMA(CLOSE,P);",
      "A:DMA(CLOSE,P/10);",
      "A:AMA(CLOSE,P/10);",
      "A:TMA(CLOSE,P/10,0.5);",
      "A:HHV(HIGH,P);",
      "A:LLVBARS(LOW,P);",
      "A:HOD(CLOSE,P);",
      "A:COUNT(CLOSE>OPEN,P);",
      "A:MULAR(CLOSE/OPEN,P);",
      "A:BARSSINCEN(CLOSE>OPEN,P);",
      "A:FILTER(CLOSE>OPEN,P);",
      "A:REF(CLOSE,P);",
      "A:REFV(CLOSE,P);",
      "A:REFX(CLOSE,P);",
      "A:REFXV(CLOSE,P);",
      "A:SUMBARS(CLOSE,P);",
      "A:BACKSET(CLOSE>OPEN,P);",
      "A:FINDHIGH(CLOSE,P,P,P);",
      "A:FINDLOWBARS(CLOSE,1,P,2);",
      "A:STD(CLOSE,P);",
      "A:VARP(CLOSE,P);",
      "A:AVEDEV(CLOSE,P);",
      "A:FORCAST(CLOSE,P);",
      "A:SLOPE(CLOSE,P);",
      "A:COVAR(CLOSE,OPEN,P);",
      "A:RELATE(CLOSE,OPEN,P);",
      "A:VOLAT(CLOSE,P);",
      "A:SAR(P,2,20);",
      "A:SARTURN(5,P,20);",
      "A:ZIG(3,P);",
      "A:ZIGA(CLOSE,P);",
      "A:PEAK(3,5,P);",
      "A:TROUGHBARS(3,P,1);",
      "A:CONST(REF(CLOSE,P));",
      "A:ALIGNRIGHT(REFV(CLOSE,P));",
      "A:BARSNEXT(CLOSE>OPEN+P/10);",
      "A:TOPRANGE(REF(HIGH,P));",
  };
  const float values[] = {5, 0, -3, 1, 2.5f, 1e9f, -1e9f, 3e38f, 7};
  constexpr int32_t kBars = 60;
  TestDataProvider provider;
  FillRandomBars(&provider, kBars, 11);
  provider.anchorOffset.clear();
  for (const char* formula : formulas) {
    ParserPtr parser = NewParser();
    ASSERT_TRUE(parser->Compile(formula, {"P"}, {5.0f})) << formula;
    CalcPtr calc = NewCalculator();
    calc->SetIndexParser(parser.get());
    calc->SetDataProvider(&provider);
    ASSERT_TRUE(calc->Calculate(0, kBars - 1, false)) << formula;
    for (float value : values) {
      ASSERT_TRUE(parser->SetParamValue(0, value)) << formula;
      provider.totalBarCount = kBars;
      EXPECT_TRUE(calc->Calculate(40, kBars - 1, false)) << formula << " " << value;
      EXPECT_TRUE(calc->Calculate(kBars - 1, kBars - 1, true)) << formula << " " << value;
      provider.totalBarCount = 45;
      EXPECT_TRUE(calc->Calculate(30, kBars - 1, true)) << formula << " " << value;
      provider.totalBarCount = 1;
      calc->Calculate(0, 10, true);
      provider.totalBarCount = kBars;
      EXPECT_TRUE(calc->Calculate(50, kBars - 1, true)) << formula << " " << value;
      calc->PublishResults();
      EXPECT_EQ(Output(*calc, kBars).size(), static_cast<size_t>(kBars)) << formula;
    }
    // A full calculation starts from scratch whatever the runs before left.
    ASSERT_TRUE(calc->Calculate(0, kBars - 1, false));
    ASSERT_TRUE(calc->PublishResults());
    CalcPtr fresh = NewCalculator();
    fresh->SetIndexParser(parser.get());
    fresh->SetDataProvider(&provider);
    ASSERT_TRUE(fresh->Calculate(0, kBars - 1, false));
    ASSERT_TRUE(fresh->PublishResults());
    std::string where;
    EXPECT_TRUE(SameBits(Output(*calc, kBars), Output(*fresh, kBars), &where)) << formula << ": " << where;
  }
}

}  // namespace
