#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "formula/eval/builtins/time.h"
#include "formula/eval/value.h"
#include "support/series_harness.h"
#include "support/shanghai_zone.h"

namespace {

using harness::BY_SERIES;
using harness::Harness;
using harness::SameValue;
using harness::ShowValue;

constexpr double INV = INVALID_VALUE;
using Values = std::vector<double>;
constexpr int32_t DATETODAY = 90, DAYTODATE = 91, TIMETOSEC = 92, SECTOTIME = 93, PERIOD = 94, DATE = 95, TIME = 96,
                  TIME2 = 97, YEAR = 98, MONTH = 99, WEEKOFYEAR = 100, WEEKDAY = 101, DAY = 102, HOUR = 103,
                  MINUTE = 104, TOTALFZNUM = 105, FROMOPEN = 106;

// Runs each test in the UTC+8 zone of Shanghai and restores the zone after.
class ShanghaiTime : public ::testing::Test {
 protected:
  ShanghaiZone m_zone;

  // A one-argument conversion of v.
  static double Convert(int32_t id, double v, int32_t* code = nullptr) {
    Harness h(BY_SERIES, std::vector<Values>{{v}});
    return h.At(h.Call(id, {h.Series(0)}), 0, code);
  }
};

struct ConversionCase {
  int32_t id;
  double arg;
  double expected;
};

void ExpectConversions(const std::vector<ConversionCase>& cases, double (*convert)(int32_t, double, int32_t*)) {
  for (const ConversionCase& c : cases) {
    int32_t code = -1;
    const double v = convert(c.id, c.arg, &code);
    EXPECT_EQ(code, EVAL_OK);
    EXPECT_TRUE(SameValue(c.expected, v)) << "id " << c.id << " of " << ShowValue(c.arg) << ": expected "
                                          << ShowValue(c.expected) << ", got " << ShowValue(v);
  }
}

TEST_F(ShanghaiTime, TimeOfDayConversions) {
  ExpectConversions(
      {
          {TIMETOSEC, 0, INV},
          {TIMETOSEC, 93000, 34200},
          {TIMETOSEC, 235959, 86399},
          {TIMETOSEC, 240000, INV},
          {TIMETOSEC, 6000, INV},
          {TIMETOSEC, 75, INV},
          {TIMETOSEC, 930, 570},
          {TIMETOSEC, -93000, INV},
          {TIMETOSEC, INV, INV},
          {SECTOTIME, 34200, 93000},
          {SECTOTIME, 0, INV},
          {SECTOTIME, 86399, 235959},
          {SECTOTIME, 86400, INV},
          {SECTOTIME, 59, 59},
          {SECTOTIME, 3661, 10101},
          {SECTOTIME, -5, INV},
      },
      Convert);
}

// Day numbers computed independently (calendar arithmetic from 1990-12-19).
TEST_F(ShanghaiTime, DayNumbers) {
  ExpectConversions(
      {
          {DATETODAY, 901219, 0},
          {DATETODAY, 901220, 1},
          {DATETODAY, 1000101, 3300},
          {DATETODAY, 1230812, 11924},
          {DATETODAY, 920229, 437},
          {DATETODAY, 901218, INV},
          {DATETODAY, 0, INV},
          {DATETODAY, INV, INV},
          {DAYTODATE, 0, INV},
          {DAYTODATE, -3, INV},
          {DAYTODATE, 11924, 1230812},
          {DAYTODATE, 3300, 1000101},
          {DAYTODATE, 24855, 1590106},
          // Beyond the 32-bit product of the day number and 86400.
          {DAYTODATE, 24856, 1590107},
          {DAYTODATE, 40000, 2000625},
      },
      Convert);
}

TEST_F(ShanghaiTime, DatesRoundTrip) {
  for (double date : {901220.0, 920101.0, 991231.0, 1000229.0, 1230812.0, 1380119.0, 1501130.0}) {
    const double day = Convert(DATETODAY, date);
    ASSERT_FALSE(IsInvalid(day)) << date;
    EXPECT_EQ(Convert(DAYTODATE, day), date);
  }
}

// 2023-08-12 09:30:15 and 2024-01-01 00:05:00 at UTC+8.
constexpr int64_t SATURDAY_MORNING = 1691803815;
constexpr int64_t NEW_YEAR = 1704038700;

struct FieldCase {
  int32_t id;
  double first;
  double second;
};

TEST_F(ShanghaiTime, CalendarFieldsOfBarTimes) {
  const FieldCase cases[] = {
      {DATE, 1230812, 1240101},
      {TIME, 930, 5},
      {TIME2, 93015, 500},
      {YEAR, 2023, 2024},
      {MONTH, 8, 1},
      {WEEKDAY, 6, 1},
      {DAY, 12, 1},
      {HOUR, 9, 0},
      {MINUTE, 30, 5},
      // (day of year - weekday + 6) / 7: (223 - 6 + 6) / 7 and (0 - 1 + 6) / 7.
      {WEEKOFYEAR, 31, 0},
  };
  for (const FieldCase& c : cases) {
    Harness h(BY_SERIES, {{0, 0}});
    h.provider.barTimes = {SATURDAY_MORNING, NEW_YEAR};
    const Operand call = h.Call(c.id, {});
    int32_t code = -1;
    EXPECT_EQ(h.At(call, 0, &code), c.first) << "id " << c.id;
    EXPECT_EQ(code, EVAL_OK);
    EXPECT_EQ(h.At(call, 1, &code), c.second) << "id " << c.id;
  }
}

TEST_F(ShanghaiTime, CalendarFieldsFailWithoutABarTime) {
  Harness h(BY_SERIES, {{0, 0}});
  h.provider.barTimes = {SATURDAY_MORNING};  // bar 1 has no time
  int32_t code = -1;
  EXPECT_TRUE(IsInvalid(h.At(h.Call(DATE, {}), 1, &code)));
  EXPECT_EQ(code, EVAL_BAD_ARGUMENT);
  // An argument where none belongs.
  h.At(h.Call(HOUR, {Num(1)}), 0, &code);
  EXPECT_EQ(code, EVAL_BAD_ARGUMENT);
  // Without a provider.
  double out = 0.0;
  TestRun& run = h.SharedRun();
  run.ctx.dataProvider = nullptr;
  run.ctx.bar = 0;
  const Operand call = h.Call(MINUTE, {});
  EXPECT_EQ(BuiltinMinute(call.value.Record(), &out, &run.ctx, 0), EVAL_BAD_ARGUMENT);
}

TEST(SessionBuiltins, ScalarsOfTheProvider) {
  Harness h(BY_SERIES, std::vector<Values>{{0.0}});
  h.provider.scalars[502] = 240;
  int32_t code = -1;
  EXPECT_EQ(h.At(h.Call(TOTALFZNUM, {}), 0, &code), 240.0);
  EXPECT_EQ(code, EVAL_OK);
  EXPECT_TRUE(IsInvalid(h.At(h.Call(FROMOPEN, {}), 0, &code)));  // 503 refused
  EXPECT_EQ(code, EVAL_BAD_ARGUMENT);
  h.provider.scalars[503] = 37;
  EXPECT_EQ(h.At(h.Call(FROMOPEN, {}), 0, &code), 37.0);
}

TEST(SessionBuiltins, PeriodCodes) {
  struct Case {
    int32_t type;
    int32_t mult;
    int32_t code;
  };
  const Case cases[] = {
      {1, 1, 0},   {1, 3, 12},   {1, 5, 1},    {1, 10, 15},  {1, 15, 2}, {1, 20, 16}, {1, 30, 3}, {1, 60, 4},
      {1, 90, 17}, {1, 120, 13}, {1, 180, 18}, {1, 240, 14}, {1, 7, 8},  {2, 1, 15},  {3, 1, 5},  {3, 2, 9},
      {4, 1, 6},   {5, 1, 7},    {6, 1, 10},   {7, 1, 11},   {8, 1, 15}, {0, 1, 15},
  };
  for (const Case& c : cases) {
    Harness h(BY_SERIES, std::vector<Values>{{0.0}});
    h.provider.periodType = c.type;
    h.provider.periodMult = c.mult;
    EXPECT_EQ(h.At(h.Call(PERIOD, {}), 0), c.code) << c.type << "/" << c.mult;
  }
}

}  // namespace
