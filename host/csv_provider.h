#pragma once
// A bar provider over a CSV file: date or date-time, open, high, low, close,
// volume and an optional amount column, oldest bar first.
#include <cstdint>
#include <string>
#include <vector>

#include <abacor/bulk_data_provider.h>
#include <abacor/data_provider.h>

namespace abacor_host {

struct Bar {
  int64_t time = 0;  // seconds since 1970-01-01 00:00 UTC
  double open = 0, high = 0, low = 0, close = 0, volume = 0, amount = 0;
  bool hasAmount = false;
};

// Besides bar by bar, it hands the calculator whole columns of its fields.
class CsvBarProvider : public IIndexDataProvider, public IIndexBulkDataProvider {
 public:
  // Reads a CSV file; on failure returns false and says why (naming the line).
  bool Load(const std::string& path, std::string* error);
  // Parses CSV text; `source` names it in messages.
  bool Parse(const std::string& text, const std::string& source, std::string* error);

  const std::vector<Bar>& Bars() const { return bars_; }
  void SetBars(std::vector<Bar> bars);
  // Limits what the calculator sees to the first `count` bars (-1: all).
  void SetVisibleCount(int32_t count) { visible_ = count; }

  bool GetBarCount(int32_t* count) override;
  bool GetTotalBarCount(int32_t* count) override;
  bool GetFieldValue(int32_t fieldId, int32_t bar, double* value) override;
  bool GetScalarValue(int32_t fieldId, double* value) override;
  bool GetAnchorBar(int32_t bar, int32_t direction, int32_t* anchor) override;
  bool GetPeriod(int32_t* type, int32_t* multiplier) override;
  bool GetBarTime(int32_t bar, int64_t* time) override;
  bool GetBarIndexByTime(int64_t time, int32_t* bar) override;
  bool GetTimeOfDate(int64_t date, int64_t* time) override;

  const double* GetFieldColumn(int32_t fieldId, int32_t count) override;

 private:
  // One column per field GetFieldValue answers, built with the bars.
  struct Column {
    int32_t fieldId;
    std::vector<double> cells;
  };

  void DerivePeriod();
  void BuildColumns();
  int32_t Count() const;

  std::vector<Bar> bars_;
  std::vector<Column> columns_;
  int32_t visible_ = -1;
  int32_t periodType_ = 3;
  int32_t periodMult_ = 1;
};

// Parses "YYYY-MM-DD", "YYYY/MM/DD", "YYYYMMDD", optionally followed by
// " HH:MM" or " HH:MM:SS" (or 'T' instead of the space), as local time.
bool ParseDateTime(const std::string& text, int64_t* epochSeconds);

// Formats epoch seconds as local "YYYY-MM-DD" or "YYYY-MM-DD HH:MM".
std::string FormatDateTime(int64_t epochSeconds, bool withTime);

}  // namespace abacor_host
