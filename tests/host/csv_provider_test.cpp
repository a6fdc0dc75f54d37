#include "csv_provider.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>

using abacor_host::CsvBarProvider;

namespace {

class CsvProviderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "Asia/Shanghai", 1);
    tzset();
  }
};

TEST_F(CsvProviderTest, ReadsTheShippedSample) {
  CsvBarProvider p;
  std::string error;
  ASSERT_TRUE(p.Load(std::string(ABACOR_TEST_DATA) + "/daily-ohlcv.csv", &error)) << error;
  int32_t n = 0;
  ASSERT_TRUE(p.GetBarCount(&n));
  EXPECT_EQ(n, 5550);
  double v = 0;
  // 1985-01-02,3.18,3.18,3.08,3.08,1870906
  ASSERT_TRUE(p.GetFieldValue(2, 0, &v));
  EXPECT_DOUBLE_EQ(v, 3.18);
  ASSERT_TRUE(p.GetFieldValue(3, 0, &v));
  EXPECT_DOUBLE_EQ(v, 3.08);
  ASSERT_TRUE(p.GetFieldValue(6, 0, &v));
  EXPECT_DOUBLE_EQ(v, 1870906);
  EXPECT_FALSE(p.GetFieldValue(5, 0, &v)) << "no amount column";
  EXPECT_FALSE(p.GetFieldValue(15, 0, &v)) << "no previous close on the first bar";
  ASSERT_TRUE(p.GetFieldValue(15, 1, &v));
  EXPECT_DOUBLE_EQ(v, 3.08);
  EXPECT_FALSE(p.GetFieldValue(4, n, &v));
  int32_t type = 0, mult = 0;
  p.GetPeriod(&type, &mult);
  EXPECT_EQ(type, 3);
  EXPECT_EQ(mult, 1);
  int64_t t = 0;
  ASSERT_TRUE(p.GetBarTime(0, &t));
  EXPECT_EQ(abacor_host::FormatDateTime(t, false), "1985-01-02");
}

TEST_F(CsvProviderTest, DateFormatsAreLocalTime) {
  struct Case {
    const char* text;
    bool ok;
    const char* shown;
  };
  const Case cases[] = {
      {"2006-12-29", true, "2006-12-29 00:00"},
      {"2006/12/29", true, "2006-12-29 00:00"},
      {"20061229", true, "2006-12-29 00:00"},
      {"2006-12-29 14:35", true, "2006-12-29 14:35"},
      {"2006-12-29T09:30:15", true, "2006-12-29 09:30"},
      {"2006-02-30", false, ""},
      {"2006-13-01", false, ""},
      {"29/12/2006", false, ""},
      {"2006-12-29 25:00", false, ""},
      {"", false, ""},
  };
  for (const Case& c : cases) {
    int64_t t = 0;
    EXPECT_EQ(abacor_host::ParseDateTime(c.text, &t), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(abacor_host::FormatDateTime(t, true), c.shown) << c.text;
    }
  }
  int64_t t = 0;
  ASSERT_TRUE(abacor_host::ParseDateTime("1970-01-01 08:00", &t));
  EXPECT_EQ(t, 0) << "Asia/Shanghai is UTC+8";
}

TEST_F(CsvProviderTest, BadFilesAreRefusedNamingTheLine) {
  struct Case {
    const char* text;
    const char* message;
  };
  const Case cases[] = {
      {"Date,Open,High,Low,Close\n2000-01-03,1,2,0.5,1.5\n", "t.csv:1: missing column \"volume\""},
      {"Date,Open,High,Low,Close,Volume\n2000-01-03,1,2,0.5,x,10\n",
       "t.csv:2: not a number in column \"close\": \"x\""},
      {"Date,Open,High,Low,Close,Volume\n2000-01-04,1,2,0.5,1,10\n2000-01-03,1,2,0.5,1,10\n",
       "t.csv:3: dates are not in ascending order"},
      {"Date,Open,High,Low,Close,Volume\n2000-01-03,1,2,0.5,1\n", "t.csv:2: missing value for column \"volume\""},
      {"Date,Open,High,Low,Close,Volume\n2000-01-03,1,2,nan,1,5\n", "t.csv:2: not a number in column \"low\": \"nan\""},
      {"Date,Open,High,Low,Close,Volume\n", "t.csv:1: no bars"},
      {"Date,Open,High,Low,Close,Volume\n2000-01-33,1,2,1,1,5\n", "t.csv:2: not a date: \"2000-01-33\""},
  };
  for (const Case& c : cases) {
    CsvBarProvider p;
    std::string error;
    EXPECT_FALSE(p.Parse(c.text, "t.csv", &error)) << c.text;
    EXPECT_EQ(error, c.message);
  }
}

TEST_F(CsvProviderTest, ColumnsByNameWithAmountAndExtras) {
  CsvBarProvider p;
  std::string error;
  ASSERT_TRUE(
      p.Parse("close,extra,vol,low,high,open,amount,time\r\n"
              "10,x,100,9,11,9.5,1000,2020-03-02 09:31\r\n"
              "10.5,y,50,10,10.6,10,520,2020-03-02 09:32\r\n"
              "10.4,z,40,10.1,10.7,10.5,410,2020-03-02 09:33\r\n",
              "m.csv", &error))
      << error;
  double v = 0;
  ASSERT_TRUE(p.GetFieldValue(5, 1, &v));
  EXPECT_DOUBLE_EQ(v, 520);
  ASSERT_TRUE(p.GetFieldValue(1, 0, &v));
  EXPECT_DOUBLE_EQ(v, 11);
  int32_t type = 0, mult = 0;
  p.GetPeriod(&type, &mult);
  EXPECT_EQ(type, 1);
  EXPECT_EQ(mult, 1);
  int32_t bar = -7;
  int64_t t = 0;
  ASSERT_TRUE(p.GetBarTime(1, &t));
  EXPECT_TRUE(p.GetBarIndexByTime(t + 30, &bar));
  EXPECT_EQ(bar, 1);
  EXPECT_FALSE(p.GetBarIndexByTime(t - 3600, &bar));
  EXPECT_EQ(bar, -1);
}

TEST_F(CsvProviderTest, VisibleCountLimitsEveryRead) {
  CsvBarProvider p;
  std::string error;
  ASSERT_TRUE(p.Parse("2000-01-03,1,2,0.5,1,10\n2000-01-04,1,2,0.5,1,10\n2000-01-05,1,2,0.5,1,10\n", "p.csv", &error))
      << error;
  p.SetVisibleCount(2);
  int32_t n = 0;
  p.GetTotalBarCount(&n);
  EXPECT_EQ(n, 2);
  double v = 0;
  EXPECT_TRUE(p.GetFieldValue(4, 1, &v));
  EXPECT_FALSE(p.GetFieldValue(4, 2, &v));
  int64_t t = 0;
  ASSERT_TRUE(p.GetTimeOfDate(20000104, &t));
  int32_t bar = 0;
  p.GetBarIndexByTime(t, &bar);
  EXPECT_EQ(bar, 1);
  EXPECT_FALSE(p.GetTimeOfDate(20001304, &t));
}

// The columns hold what GetFieldValue answers for every bar (NaN where it
// fails); fields without a column, and more bars than are visible, get none.
TEST_F(CsvProviderTest, ColumnsMatchPerBarReads) {
  const char* texts[] = {
      "time,open,high,low,close,vol,amount\n2020-03-02,9.5,11,9,10,100,1000\n2020-03-03,10,10.6,10,10.5,50,520\n"
      "2020-03-04,10.5,10.7,10.1,10.4,40,410\n",
      "2000-01-03,1,2,0.5,1.5,10\n2000-01-04,1.5,2.5,1,2,11\n2000-01-05,2,3,1.5,2.5,12\n",
  };
  for (const char* text : texts) {
    CsvBarProvider p;
    std::string error;
    ASSERT_TRUE(p.Parse(text, "c.csv", &error)) << error;
    for (int32_t field : {1, 2, 3, 4, 5, 6, 15}) {
      const double* column = p.GetFieldColumn(field, 3);
      ASSERT_NE(column, nullptr) << field;
      for (int32_t bar = 0; bar < 3; ++bar) {
        double v = -1;
        if (p.GetFieldValue(field, bar, &v)) {
          EXPECT_EQ(column[bar], v) << field << " " << bar;
        } else {
          EXPECT_TRUE(std::isnan(column[bar])) << field << " " << bar;
        }
      }
    }
    EXPECT_EQ(p.GetFieldColumn(7, 3), nullptr);
    EXPECT_EQ(p.GetFieldColumn(4, 4), nullptr);
    p.SetVisibleCount(2);
    EXPECT_EQ(p.GetFieldColumn(4, 3), nullptr);
    EXPECT_NE(p.GetFieldColumn(4, 2), nullptr);
  }
}

}  // namespace
