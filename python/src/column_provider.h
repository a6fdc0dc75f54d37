#pragma once
// A bar provider over columns that live elsewhere (a DataFrame's arrays or a
// stream's own vectors): it reads them in place and never copies them.
#include <cstdint>
#include <vector>

#include <abacor/data_provider.h>

namespace abacor_py {

// One instrument's bars as borrowed columns, oldest bar first.
struct BarColumns {
  const double* open = nullptr;
  const double* high = nullptr;
  const double* low = nullptr;
  const double* close = nullptr;
  const double* volume = nullptr;
  const double* amount = nullptr;   // null when the bars have no amount
  const int64_t* stamps = nullptr;  // nanoseconds since 1970-01-01 (wall clock when local)
  bool local = true;                // stamps are local wall-clock times, as the CSV reader reads dates
  int32_t count = 0;
};

class ColumnProvider : public IIndexDataProvider {
 public:
  // `capacity` (at least the bar count) is the number of bar slots the
  // calculator sizes its store for; a stream keeps room to append.
  void Reset(const BarColumns& columns, int32_t capacity);
  // The same bars, moved or grown by appending; converted times stay.
  void Repoint(const BarColumns& columns);
  // The newest bar was replaced; its time is converted again on demand.
  void ForgetNewestTime();
  int32_t Capacity() const { return capacity_; }

  bool GetBarCount(int32_t* count) override;
  bool GetTotalBarCount(int32_t* count) override;
  bool GetFieldValue(int32_t fieldId, int32_t bar, double* value) override;
  bool GetScalarValue(int32_t fieldId, double* value) override;
  bool GetAnchorBar(int32_t bar, int32_t direction, int32_t* anchor) override;
  bool GetPeriod(int32_t* type, int32_t* multiplier) override;
  bool GetBarTime(int32_t bar, int64_t* time) override;
  bool GetBarIndexByTime(int64_t time, int32_t* bar) override;
  bool GetTimeOfDate(int64_t date, int64_t* time) override;

 private:
  bool EnsureTimes(int32_t upTo);
  void DerivePeriod();

  BarColumns columns_;
  int32_t capacity_ = 0;
  // Epoch seconds of the first `converted_` bars. Local-time conversion is
  // slow and most formulas never ask for a time, so it happens on demand.
  std::vector<int64_t> times_;
  int32_t converted_ = 0;
  bool periodKnown_ = false;
  int32_t periodType_ = 3;
  int32_t periodMult_ = 1;
};

// Epoch seconds of a stamp: wall-clock stamps are read as local time exactly
// as the CSV reader reads a date; false outside the years 1900 to 9999.
bool StampToEpoch(int64_t stampNs, bool local, int64_t* epochSeconds);

// Local wall-clock nanoseconds of epoch seconds (the way back, for CSV files).
int64_t EpochToLocalStamp(int64_t epochSeconds);

}  // namespace abacor_py
