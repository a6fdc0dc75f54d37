#pragma once
// The host's view of one instrument's bars. The host implements it; the
// calculator only calls it and never takes ownership.
#include <cstdint>

#include "abacor/export.h"

class IIndexDataProvider {
 public:
  virtual ~IIndexDataProvider() = default;

  // Number of bars available; the result flag is not read.
  virtual bool GetBarCount(int32_t* count) = 0;
  // Total bar count of the instrument; false makes a range calculation fail.
  virtual bool GetTotalBarCount(int32_t* count) = 0;
  // One datum of a per-bar field (ids 1 to 500); false means no value.
  virtual bool GetFieldValue(int32_t fieldId, int32_t bar, double* value) = 0;
  // One scalar field (ids 501 to 1000); false means no value.
  virtual bool GetScalarValue(int32_t fieldId, double* value) = 0;
  // The bar up to which extra earlier (direction 0) or later (direction 1)
  // bars should be calculated; anchor is preset to bar.
  virtual bool GetAnchorBar(int32_t bar, int32_t direction, int32_t* anchor) = 0;
  // The bar period, preset to type 3 and multiplier 1.
  virtual bool GetPeriod(int32_t* type, int32_t* multiplier) = 0;
  // The bar's time in seconds since 1970-01-01 00:00 UTC; false means no value.
  virtual bool GetBarTime(int32_t bar, int64_t* time) = 0;
  // The bar that corresponds to a time; the result flag is not read.
  virtual bool GetBarIndexByTime(int64_t time, int32_t* bar) = 0;
  // The time of a calendar date given as yyyymmdd; false means none.
  virtual bool GetTimeOfDate(int64_t date, int64_t* time) = 0;
};
