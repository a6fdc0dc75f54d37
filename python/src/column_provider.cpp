#include "column_provider.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <limits>
#include <string>

#include "csv_provider.h"

namespace abacor_py {
namespace {

constexpr int64_t kNanosPerSecond = 1000000000;
constexpr int64_t kSecondsPerDay = 86400;
constexpr int64_t kNoTime = std::numeric_limits<int64_t>::min();

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }

// The proleptic Gregorian date of a day count since 1970-01-01.
void CivilFromDays(int64_t days, int* year, int* month, int* day) {
  days += 719468;
  const int64_t era = FloorDiv(days, 146097);
  const int64_t doe = days - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  *day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  *month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  *year = static_cast<int>(yoe + era * 400 + (*month <= 2));
}

}  // namespace

bool StampToEpoch(int64_t stampNs, bool local, int64_t* epochSeconds) {
  const int64_t seconds = FloorDiv(stampNs, kNanosPerSecond);
  int year = 0, month = 0, day = 0;
  const int64_t days = FloorDiv(seconds, kSecondsPerDay);
  CivilFromDays(days, &year, &month, &day);
  if (year < 1900 || year > 9999) return false;
  if (!local) {
    *epochSeconds = seconds;
    return true;
  }
  // The wall-clock fields go through the CSV reader's own date parser, so a
  // DataFrame and a CSV file with the same dates give the same times.
  const int64_t tod = seconds - days * kSecondsPerDay;
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, static_cast<int>(tod / 3600),
                static_cast<int>(tod / 60 % 60), static_cast<int>(tod % 60));
  return abacor_host::ParseDateTime(text, epochSeconds);
}

int64_t EpochToLocalStamp(int64_t epochSeconds) {
  std::time_t t = static_cast<std::time_t>(epochSeconds);
  std::tm tm{};
  if (!localtime_r(&t, &tm)) return epochSeconds * kNanosPerSecond;
  std::tm utc = tm;
  utc.tm_isdst = 0;
  return static_cast<int64_t>(timegm(&utc)) * kNanosPerSecond;
}

void ColumnProvider::Reset(const BarColumns& columns, int32_t capacity) {
  columns_ = columns;
  capacity_ = std::max(capacity, columns.count);
  times_.clear();
  converted_ = 0;
  periodKnown_ = false;
}

void ColumnProvider::Repoint(const BarColumns& columns) {
  columns_ = columns;
  converted_ = std::min(converted_, columns.count);
  if (columns.count < 3) periodKnown_ = false;
}

void ColumnProvider::ForgetNewestTime() { converted_ = std::min(converted_, std::max(columns_.count - 1, 0)); }

bool ColumnProvider::EnsureTimes(int32_t upTo) {
  if (upTo < 0 || upTo >= columns_.count) return false;
  if (times_.size() < static_cast<size_t>(columns_.count)) times_.resize(static_cast<size_t>(columns_.count));
  for (; converted_ <= upTo; ++converted_) {
    int64_t t = 0;
    times_[converted_] = StampToEpoch(columns_.stamps[converted_], columns_.local, &t) ? t : kNoTime;
  }
  return true;
}

// The period follows the median gap between bars, as the CSV reader derives it
// (daily unless bars are less than 20 hours apart, then minutes). The gaps are
// taken from the stamps themselves; it is fixed once three bars are known.
void ColumnProvider::DerivePeriod() {
  periodKnown_ = true;
  periodType_ = 3;
  periodMult_ = 1;
  if (columns_.count < 2) return;
  std::vector<int64_t> gaps(static_cast<size_t>(columns_.count - 1));
  for (int32_t i = 1; i < columns_.count; ++i)
    gaps[i - 1] = FloorDiv(columns_.stamps[i], kNanosPerSecond) - FloorDiv(columns_.stamps[i - 1], kNanosPerSecond);
  std::nth_element(gaps.begin(), gaps.begin() + gaps.size() / 2, gaps.end());
  const int64_t gap = gaps[gaps.size() / 2];
  if (gap >= 20 * 3600) return;
  periodType_ = 1;
  periodMult_ = static_cast<int32_t>(std::max<int64_t>(gap / 60, 1));
}

bool ColumnProvider::GetBarCount(int32_t* count) {
  if (!count) return false;
  *count = capacity_;
  return true;
}

bool ColumnProvider::GetTotalBarCount(int32_t* count) {
  if (!count) return false;
  *count = columns_.count;
  return true;
}

bool ColumnProvider::GetFieldValue(int32_t fieldId, int32_t bar, double* value) {
  if (!value || bar < 0 || bar >= columns_.count) return false;
  switch (fieldId) {
    case 1: *value = columns_.high[bar]; return true;
    case 2: *value = columns_.open[bar]; return true;
    case 3: *value = columns_.low[bar]; return true;
    case 4: *value = columns_.close[bar]; return true;
    case 5:
      if (!columns_.amount) return false;
      *value = columns_.amount[bar];
      return true;
    case 6: *value = columns_.volume[bar]; return true;
    case 15:
      if (bar == 0) return false;
      *value = columns_.close[bar - 1];
      return true;
    default: return false;
  }
}

bool ColumnProvider::GetScalarValue(int32_t, double*) { return false; }

bool ColumnProvider::GetAnchorBar(int32_t bar, int32_t, int32_t* anchor) {
  if (anchor) *anchor = bar;
  return true;
}

bool ColumnProvider::GetPeriod(int32_t* type, int32_t* multiplier) {
  if (!periodKnown_) DerivePeriod();
  if (type) *type = periodType_;
  if (multiplier) *multiplier = periodMult_;
  return true;
}

bool ColumnProvider::GetBarTime(int32_t bar, int64_t* time) {
  if (!time || !EnsureTimes(bar) || times_[bar] == kNoTime) return false;
  *time = times_[bar];
  return true;
}

bool ColumnProvider::GetBarIndexByTime(int64_t time, int32_t* bar) {
  if (!bar || !EnsureTimes(columns_.count - 1)) return false;
  auto end = times_.begin() + columns_.count;
  auto it = std::upper_bound(times_.begin(), end, time);
  // The last bar at or before the time; -1 when the time precedes every bar.
  *bar = static_cast<int32_t>(it - times_.begin()) - 1;
  return *bar >= 0;
}

bool ColumnProvider::GetTimeOfDate(int64_t date, int64_t* time) {
  if (!time || date <= 0) return false;
  return abacor_host::ParseDateTime(std::to_string(date), time);
}

}  // namespace abacor_py
