// Built-ins of the math, logic and calendar families reached the way a host
// reaches them: formula text compiled by the parser and run by the
// calculator, both made by the library's factory, over small bar fixtures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "abacor/index_calculator.h"
#include "abacor/index_obj_creator.h"
#include "abacor/index_parser.h"
#include "formula/eval/value.h"
#include "support/owned_objects.h"
#include "support/series_harness.h"
#include "support/shanghai_zone.h"
#include "support/test_data_provider.h"

namespace {

using harness::SameValue;
using harness::ShowValue;

constexpr double INV = INVALID_VALUE;
using Values = std::vector<double>;

constexpr int32_t HIGH = 1, OPEN = 2, LOW = 3, CLOSE = 4;

const Values kClose = {10, 12, 12, 13, 11, 11, 14, 15, 15, 9};
const Values kOpen = {11, 11, 12, 12, 12, 10, 13, 14, 16, 10};

// One formula over the fixture bars: HIGH = CLOSE + 1, LOW = OPEN - 1.
class FormulaFixture : public ::testing::Test {
 protected:
  FormulaFixture() {
    provider.SetField(CLOSE, kClose);
    provider.SetField(OPEN, kOpen);
    Values high, low;
    for (size_t b = 0; b < kClose.size(); ++b) {
      high.push_back(kClose[b] + 1);
      low.push_back(kOpen[b] - 1);
    }
    provider.SetField(HIGH, high);
    provider.SetField(LOW, low);
  }

  void Compile(const std::string& text) {
    const bool compiled = parser->Compile(text, {}, {});
    ParseErrorInfo error{};
    parser->GetErrorInfo(&error);
    ASSERT_TRUE(compiled) << text << "error " << error.code << " at " << error.position;
    ASSERT_TRUE(calc->SetIndexParser(parser.get()));
    ASSERT_TRUE(calc->SetDataProvider(&provider));
  }

  void Calculate(int32_t first, int32_t last) {
    ASSERT_TRUE(calc->Calculate(first, last, false));
    ASSERT_TRUE(calc->PublishResults());
  }

  void CalculateAll() { Calculate(0, Bars() - 1); }

  int32_t Bars() const { return provider.barCount; }

  // The published values of output i over every bar; no value is INVALID_VALUE.
  Values Output(int32_t i) {
    const int32_t n = Bars();
    Values v(n);
    std::unique_ptr<bool[]> valid(new bool[n]);
    EXPECT_TRUE(calc->GetOutputValues(i, 0, n - 1, v.data(), valid.get())) << "output " << i;
    for (int32_t b = 0; b < n; ++b) {
      if (!valid[b]) v[b] = INV;
    }
    return v;
  }

  void ExpectOutput(int32_t i, const Values& expected) {
    const Values actual = Output(i);
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t b = 0; b < expected.size(); ++b) {
      EXPECT_TRUE(SameValue(expected[b], actual[b])) << "output " << i << " bar " << b << ": expected "
                                                     << ShowValue(expected[b]) << ", got " << ShowValue(actual[b]);
    }
  }

  TestDataProvider provider;
  ParserPtr parser{IndexObjCreator::CreateIndexParserObj()};
  CalcPtr calc{IndexObjCreator::CreateIndexCalculatorObj()};
};

// Plain loops over the fixture, written without the library's helpers.
Values Each(const std::function<double(int32_t)>& f) {
  Values v;
  for (int32_t b = 0; b < static_cast<int32_t>(kClose.size()); ++b) v.push_back(f(b));
  return v;
}

TEST_F(FormulaFixture, MathFunctions) {
  Compile(
      "M1:MOD(CLOSE,4);\r\nR1:ROUND2(CLOSE/7,2);\r\nS1:SQRT(OPEN-12);\r\nX1:MAX(CLOSE,OPEN);\r\n"
      "C1:RGB(255,0,0);\r\nA1:ASIN((CLOSE-12)/2);\r\n");
  CalculateAll();
  ExpectOutput(0, Each([](int32_t b) { return std::fmod(kClose[b], 4.0); }));
  ExpectOutput(1, Each([](int32_t b) { return std::round(kClose[b] / 7.0 * 100.0) / 100.0; }));
  ExpectOutput(2, Each([](int32_t b) { return kOpen[b] > 12 ? std::sqrt(kOpen[b] - 12) : 0.0; }));
  ExpectOutput(3, Each([](int32_t b) { return std::max(kClose[b], kOpen[b]); }));
  ExpectOutput(4, Each([](int32_t) { return -16776961.0; }));
  ExpectOutput(5, Each([](int32_t b) {
                 const double x = (kClose[b] - 12) / 2;
                 return std::fabs(x) > 1 ? INV : std::asin(x);
               }));
}

// Independent oracles of the run tests over the fixture.
bool Up(int32_t b) { return kClose[b] > kOpen[b]; }
bool UpOrEqual(int32_t b) { return kClose[b] >= kOpen[b]; }

double CrossOracle(int32_t b) {
  if (b == 0) return kClose[0] > kOpen[0] ? INV : 0.0;
  if (!Up(b)) return 0.0;
  int32_t j = b - 1;
  while (j >= 0 && kClose[j] == kOpen[j]) --j;
  if (j < 0) return INV;
  return kClose[j] < kOpen[j] && b - j <= 2 ? 1.0 : 0.0;
}

double WindowAll(int32_t b, int32_t n, bool (*pred)(int32_t)) {
  for (int32_t j = b; j > b - n && j >= 0; --j) {
    if (!pred(j)) return 0.0;
  }
  return 1.0;
}

double WindowAny(int32_t b, int32_t n, bool (*pred)(int32_t)) {
  for (int32_t j = b; j > b - n && j >= 0; --j) {
    if (pred(j)) return 1.0;
  }
  return 0.0;
}

bool CloseRose(int32_t b) { return b > 0 && kClose[b] > kClose[b - 1]; }

const char* const kRunTests =
    "X1:CROSS(CLOSE,OPEN);\r\nU1:UPNDAY(CLOSE,2);\r\nE1:EXIST(CLOSE>OPEN,3);\r\n"
    "V1:EVERY(CLOSE>=OPEN,2);\r\nL1:LAST(CLOSE>=OPEN,3,1);\r\nN1:NDAY(CLOSE,OPEN,2);\r\n";

TEST_F(FormulaFixture, CrossAndRunTests) {
  Compile(kRunTests);
  CalculateAll();
  ExpectOutput(0, Each(CrossOracle));
  ExpectOutput(1, Each([](int32_t b) { return b == 0 ? INV : WindowAll(b, std::max(std::min(2, b), 1), CloseRose); }));
  ExpectOutput(2, Each([](int32_t b) { return WindowAny(b, 3, Up); }));
  ExpectOutput(3, Each([](int32_t b) { return WindowAll(b, 2, UpOrEqual); }));
  ExpectOutput(4, Each([](int32_t b) {
                 const int32_t from = std::min(3, b + 1);
                 const int32_t to = std::min(1, b + 1);
                 for (int32_t j = to; j <= from; ++j) {
                   if (b - j >= 0 && !UpOrEqual(b - j)) return 0.0;
                 }
                 return 1.0;
               }));
  ExpectOutput(5, Each([](int32_t b) { return WindowAll(b, 2, Up); }));
}

bool Down(int32_t b) { return kClose[b] < kOpen[b]; }

// Two calls of one run test in one statement keep separate counts.
TEST_F(FormulaFixture, EachCallKeepsItsOwnCount) {
  Compile("T1:EXIST(CLOSE>OPEN,3)+EXIST(CLOSE<OPEN,2)*10;\r\nT2:UPNDAY(CLOSE,1)+UPNDAY(OPEN,1)*10;\r\n");
  Calculate(0, 4);
  Calculate(3, 9);
  ExpectOutput(0, Each([](int32_t b) { return WindowAny(b, 3, Up) + WindowAny(b, 2, Down) * 10; }));
  ExpectOutput(1, Each([](int32_t b) {
                 if (b == 0) return INV;
                 return (kClose[b] > kClose[b - 1] ? 1.0 : 0.0) + (kOpen[b] > kOpen[b - 1] ? 10.0 : 0.0);
               }));
}

TEST_F(FormulaFixture, RunTestsCalculatedPieceByPieceMatchOneRun) {
  Compile(kRunTests);
  CalculateAll();
  std::vector<Values> whole;
  for (int32_t i = 0; i < 6; ++i) whole.push_back(Output(i));
  // A new calculator walks the bars in three forward extensions, so the kept
  // counts carry over between calls.
  calc.reset(IndexObjCreator::CreateIndexCalculatorObj());
  ASSERT_TRUE(calc->SetIndexParser(parser.get()));
  ASSERT_TRUE(calc->SetDataProvider(&provider));
  Calculate(0, 3);
  Calculate(2, 6);
  Calculate(5, 9);
  for (int32_t i = 0; i < 6; ++i) ExpectOutput(i, whole[i]);
}

TEST_F(FormulaFixture, Conditions) {
  Compile("I1:IF(CLOSE>OPEN,HIGH,LOW);\r\nN1:NOT(CLOSE>OPEN);\r\nW1:VALUEWHEN(CLOSE>OPEN,CLOSE);\r\n");
  CalculateAll();
  ExpectOutput(0, Each([](int32_t b) { return Up(b) ? kClose[b] + 1 : kOpen[b] - 1; }));
  ExpectOutput(1, Each([](int32_t b) { return Up(b) ? 0.0 : 1.0; }));
  // The first bar has COND false and no value; later bars hold the last CLOSE
  // taken where CLOSE > OPEN.
  ExpectOutput(2, {INV, 12, 12, 13, 13, 11, 14, 15, 15, 15});
}

TEST_F(FormulaFixture, ValueWhenStartsAfreshOnTheFirstCalculatedBar) {
  // VALUEWHEN makes the calculator take 500 bars of history before a range,
  // so the range must start beyond them: 600 bars, CLOSE > OPEN on every
  // third bar, calculated from bar 550 on; the calculation starts at bar 50.
  provider.fields.clear();
  provider.barCount = provider.totalBarCount = 0;
  Values close, open;
  for (int32_t b = 0; b < 600; ++b) {
    close.push_back(100 + b);
    open.push_back(b % 3 == 0 ? 50 : 1000);
  }
  provider.SetField(CLOSE, close);
  provider.SetField(OPEN, open);
  Compile("W1:VALUEWHEN(CLOSE>OPEN,CLOSE);\r\n");
  Calculate(550, 599);
  int32_t first = -1, last = -1;
  ASSERT_TRUE(calc->GetCalculatedRange(&first, &last));
  ASSERT_EQ(first, 50);
  double v = 0.0;
  EXPECT_FALSE(calc->GetOutputValue(0, 50, &v));  // bar 50: COND false, first bar
  ASSERT_TRUE(calc->GetOutputValue(0, 51, &v));
  EXPECT_EQ(v, 151.0);
  ASSERT_TRUE(calc->GetOutputValue(0, 53, &v));
  EXPECT_EQ(v, 151.0);
  ASSERT_TRUE(calc->GetOutputValue(0, 599, &v));
  EXPECT_EQ(v, 100.0 + 597);
}

// Runs in the UTC+8 zone of Shanghai and restores the zone after.
class ShanghaiFormula : public FormulaFixture {
 protected:
  ShanghaiZone m_zone;
};

TEST_F(ShanghaiFormula, CalendarFunctions) {
  provider.fields.clear();
  provider.barCount = provider.totalBarCount = 0;
  provider.SetField(CLOSE, {1, 2, 3});
  // 2023-08-12 09:30:15, 2024-01-01 00:05:00 and 2000-01-03 15:00:00 at UTC+8.
  provider.barTimes = {1691803815, 1704038700, 946882800};
  provider.periodType = 1;
  provider.periodMult = 5;
  Compile(
      "D1:DATE;\r\nT1:TIME;\r\nK1:DATETODAY(DATE);\r\nB1:DAYTODATE(DATETODAY(DATE));\r\nW1:WEEKDAY;\r\n"
      "P1:PERIOD;\r\nS1:TIMETOSEC(TIME*100);\r\nY1:YEAR*100+MONTH;\r\n");
  CalculateAll();
  ExpectOutput(0, {1230812, 1240101, 1000103});
  ExpectOutput(1, {930, 5, 1500});
  ExpectOutput(2, {11924, 12066, 3302});
  ExpectOutput(3, {1230812, 1240101, 1000103});
  ExpectOutput(4, {6, 1, 1});
  ExpectOutput(5, {1, 1, 1});
  ExpectOutput(6, {34200, 300, 54000});
  ExpectOutput(7, {202308, 202401, 200001});
}

}  // namespace
