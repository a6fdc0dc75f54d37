#pragma once
// The test data provider with prices computed from the bar (an independent
// oracle for calculator tests), plus the answers a hostile host could get
// wrong: a bar count that changes between calls, failing bars, arbitrary
// anchors and a hook run on every field read.
#include <cstdint>
#include <functional>
#include <set>
#include <vector>

#include "support/test_data_provider.h"

class BarProvider : public TestDataProvider {
 public:
  explicit BarProvider(int32_t bars);

  // The default price of field f at bar b.
  static double Price(int32_t fieldId, int32_t bar);

  // Successive GetBarCount answers, used up front to back before barCount.
  std::vector<int32_t> barCountSequence;
  // Bars whose field reads fail.
  std::set<int32_t> failingBars;
  // Overrides the default price; may return NaN, infinities or markers.
  std::function<double(int32_t fieldId, int32_t bar)> value;
  // Run on each field read (for example to request a stop).
  std::function<void()> onFieldRead;
  // GetAnchorBar(b, 0) answers b - backAnchor and (b, 1) b + forwardAnchor,
  // saturated to the int32 range.
  int64_t backAnchor = 0;
  int64_t forwardAnchor = 0;

  bool GetBarCount(int32_t* count) override;
  bool GetAnchorBar(int32_t bar, int32_t direction, int32_t* anchor) override;

 private:
  bool ReadPrice(int32_t fieldId, int32_t bar, double* out);
};
