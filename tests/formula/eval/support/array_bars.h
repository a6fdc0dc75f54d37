#pragma once
// Bars held in arrays for calculator tests: read one datum at a time
// (ArrayBars), or also handed out as whole columns (ColumnBars).
#include <cmath>
#include <cstdint>
#include <map>
#include <vector>

#include "abacor/bulk_data_provider.h"
#include "abacor/data_provider.h"

// Read one datum at a time; a NaN cell is a failed read.
class ArrayBars : public IIndexDataProvider {
 public:
  std::map<int32_t, std::vector<double>> fields;
  int32_t bars = 0;

  bool GetBarCount(int32_t* count) override { return *count = bars, true; }
  bool GetTotalBarCount(int32_t* count) override { return *count = bars, true; }
  bool GetFieldValue(int32_t fieldId, int32_t bar, double* value) override {
    auto it = fields.find(fieldId);
    if (it == fields.end() || bar < 0 || bar >= bars) return false;
    *value = it->second[static_cast<size_t>(bar)];
    return !std::isnan(*value);
  }
  bool GetScalarValue(int32_t, double*) override { return false; }
  bool GetAnchorBar(int32_t bar, int32_t, int32_t* anchor) override { return *anchor = bar, true; }
  bool GetPeriod(int32_t*, int32_t*) override { return true; }
  bool GetBarTime(int32_t bar, int64_t* time) override { return *time = 86400 * int64_t{bar}, true; }
  bool GetBarIndexByTime(int64_t time, int32_t* bar) override {
    return *bar = static_cast<int32_t>(time / 86400), true;
  }
  bool GetTimeOfDate(int64_t, int64_t*) override { return false; }
};

// The same bars, also handed out as columns, but for one field a test may
// leave to the per-bar reads, so that both ways meet in one calculation.
class ColumnBars final : public ArrayBars, public IIndexBulkDataProvider {
 public:
  int32_t columnsAsked = 0;
  int32_t perBarOnly = -1;  // the field never handed out as a column (-1: none)

  const double* GetFieldColumn(int32_t fieldId, int32_t count) override {
    ++columnsAsked;
    auto it = fields.find(fieldId);
    if (fieldId == perBarOnly || it == fields.end() || count > bars) return nullptr;
    return it->second.data();
  }
};
