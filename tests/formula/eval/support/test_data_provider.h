#pragma once
// A data provider for tests: settable bar counts, per-field arrays, scalars,
// failing reads, read counters and an optional hook that replaces field reads.
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "abacor/data_provider.h"

class TestDataProvider : public IIndexDataProvider {
 public:
  // Bars available (GetBarCount) and of the instrument (GetTotalBarCount).
  int32_t barCount = 0;
  int32_t totalBarCount = 0;
  bool totalBarCountFails = false;
  // n > 0: every n-th GetTotalBarCount call fails (2: every other call).
  int32_t totalBarCountFailsEvery = 0;
  std::atomic<int32_t> totalBarCountCalls{0};
  // Per-bar field values by field id; a bar beyond the array fails.
  std::map<int32_t, std::vector<double>> fields;
  // Scalar values by field id; an id not listed fails.
  std::map<int32_t, double> scalars;
  // Reads that fail: (field id, bar); bar -1 makes every bar of the field fail.
  std::set<std::pair<int32_t, int32_t>> failingReads;
  std::set<int32_t> failingScalars;
  // Answers reads of fields that have no array (values computed on the fly).
  std::function<bool(int32_t field, int32_t bar, double* value)> fieldHook;
  // Anchor bars: GetAnchorBar(bar, direction) gives anchorOffset[direction]
  // bars before (0) or after (1) the bar; leaves the preset when unset.
  std::map<int32_t, int32_t> anchorOffset;
  int32_t periodType = 3;
  int32_t periodMult = 1;
  // Bar times in seconds since 1970; a bar beyond the array has no time.
  std::vector<int64_t> barTimes;
  // Dates (yyyymmdd) to times for GetTimeOfDate.
  std::map<int64_t, int64_t> dateTimes;

  // Counters of provider calls.
  std::atomic<int32_t> fieldReads{0};
  std::atomic<int32_t> scalarReads{0};

  // Sets the values of field `id` and raises barCount and totalBarCount to
  // at least their number.
  void SetField(int32_t id, const std::vector<double>& values);

  bool GetBarCount(int32_t* count) override;
  bool GetTotalBarCount(int32_t* count) override;
  bool GetFieldValue(int32_t fieldId, int32_t bar, double* value) override;
  bool GetScalarValue(int32_t fieldId, double* value) override;
  bool GetAnchorBar(int32_t bar, int32_t direction, int32_t* anchor) override;
  bool GetPeriod(int32_t* type, int32_t* multiplier) override;
  bool GetBarTime(int32_t bar, int64_t* time) override;
  bool GetBarIndexByTime(int64_t time, int32_t* bar) override;
  bool GetTimeOfDate(int64_t date, int64_t* time) override;
};
