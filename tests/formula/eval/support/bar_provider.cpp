#include "support/bar_provider.h"

#include <algorithm>
#include <limits>

BarProvider::BarProvider(int32_t bars) {
  barCount = bars;
  totalBarCount = bars;
  fieldHook = [this](int32_t fieldId, int32_t bar, double* out) { return ReadPrice(fieldId, bar, out); };
}

double BarProvider::Price(int32_t fieldId, int32_t bar) {
  const double base = 10.0 + 0.25 * bar + static_cast<double>((bar * 7) % 5);
  switch (fieldId) {
    case 1: return base + 1.5;                            // HIGH
    case 2: return base + ((bar % 3) - 1) * 0.5;          // OPEN
    case 3: return base - 1.5;                            // LOW
    case 4: return base;                                  // CLOSE
    case 15: return bar == 0 ? base : Price(4, bar - 1);  // PRECLOSE
    default: return fieldId * 100.0 + bar;
  }
}

bool BarProvider::ReadPrice(int32_t fieldId, int32_t bar, double* out) {
  if (onFieldRead) onFieldRead();
  if (bar < 0 || bar >= barCount || failingBars.count(bar) != 0) return false;
  *out = value ? value(fieldId, bar) : Price(fieldId, bar);
  return true;
}

bool BarProvider::GetBarCount(int32_t* count) {
  if (!barCountSequence.empty()) {
    *count = barCountSequence.front();
    barCountSequence.erase(barCountSequence.begin());
    return true;
  }
  return TestDataProvider::GetBarCount(count);
}

bool BarProvider::GetAnchorBar(int32_t bar, int32_t direction, int32_t* anchor) {
  const int64_t a = direction == 0 ? int64_t{bar} - backAnchor : int64_t{bar} + forwardAnchor;
  *anchor = static_cast<int32_t>(
      std::clamp<int64_t>(a, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
  return true;
}
