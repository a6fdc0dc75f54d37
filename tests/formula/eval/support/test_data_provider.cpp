#include "support/test_data_provider.h"

#include <algorithm>

void TestDataProvider::SetField(int32_t id, const std::vector<double>& values) {
  fields[id] = values;
  const int32_t n = static_cast<int32_t>(values.size());
  barCount = std::max(barCount, n);
  totalBarCount = std::max(totalBarCount, n);
}

bool TestDataProvider::GetBarCount(int32_t* count) {
  if (count != nullptr) *count = barCount;
  return true;
}

bool TestDataProvider::GetTotalBarCount(int32_t* count) {
  const int32_t call = ++totalBarCountCalls;
  if (totalBarCountFails) return false;
  if (totalBarCountFailsEvery > 0 && call % totalBarCountFailsEvery == 0) return false;
  if (count != nullptr) *count = totalBarCount;
  return true;
}

bool TestDataProvider::GetFieldValue(int32_t fieldId, int32_t bar, double* value) {
  ++fieldReads;
  if (failingReads.count({fieldId, -1}) != 0 || failingReads.count({fieldId, bar}) != 0) return false;
  auto it = fields.find(fieldId);
  if (it == fields.end()) return fieldHook ? fieldHook(fieldId, bar, value) : false;
  if (bar < 0 || static_cast<size_t>(bar) >= it->second.size()) return false;
  *value = it->second[bar];
  return true;
}

bool TestDataProvider::GetScalarValue(int32_t fieldId, double* value) {
  ++scalarReads;
  if (failingScalars.count(fieldId) != 0) return false;
  auto it = scalars.find(fieldId);
  if (it == scalars.end()) return false;
  *value = it->second;
  return true;
}

bool TestDataProvider::GetAnchorBar(int32_t bar, int32_t direction, int32_t* anchor) {
  auto it = anchorOffset.find(direction);
  if (it == anchorOffset.end()) return false;
  *anchor = direction == 0 ? bar - it->second : bar + it->second;
  return true;
}

bool TestDataProvider::GetPeriod(int32_t* type, int32_t* multiplier) {
  *type = periodType;
  *multiplier = periodMult;
  return true;
}

bool TestDataProvider::GetBarTime(int32_t bar, int64_t* time) {
  if (bar < 0 || static_cast<size_t>(bar) >= barTimes.size()) return false;
  *time = barTimes[bar];
  return true;
}

bool TestDataProvider::GetBarIndexByTime(int64_t time, int32_t* bar) {
  auto it = std::lower_bound(barTimes.begin(), barTimes.end(), time);
  if (it == barTimes.end()) return false;
  *bar = static_cast<int32_t>(it - barTimes.begin());
  return true;
}

bool TestDataProvider::GetTimeOfDate(int64_t date, int64_t* time) {
  auto it = dateTimes.find(date);
  if (it == dateTimes.end()) return false;
  *time = it->second;
  return true;
}
