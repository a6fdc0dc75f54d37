#include "support/bar_provider.h"

#include <algorithm>
#include <cmath>
#include <limits>

double BarProvider::Price(int32_t fieldId, int32_t bar) {
    const double base = 10.0 + 0.25 * bar + static_cast<double>((bar * 7) % 5);
    switch (fieldId) {
        case 1: return base + 1.5;                            // HIGH
        case 2: return base + ((bar % 3) - 1) * 0.5;          // OPEN
        case 3: return base - 1.5;                            // LOW
        case 4: return base;                                  // CLOSE
        case 6: return 1000.0 + 10.0 * (bar % 11);            // VOL
        case 15: return bar == 0 ? base : Price(4, bar - 1);  // PRECLOSE
        default: return fieldId * 100.0 + bar;
    }
}

bool BarProvider::GetBarCount(int32_t* count) {
    ++barCountCalls;
    {
        std::lock_guard<std::mutex> lock(m_sequenceLock);
        if (!barCountSequence.empty()) {
            *count = barCountSequence.front();
            barCountSequence.erase(barCountSequence.begin());
            return true;
        }
    }
    *count = barCount.load();
    return true;
}

bool BarProvider::GetTotalBarCount(int32_t* count) {
    if (totalFails.load()) return false;
    *count = totalCount.load();
    return true;
}

bool BarProvider::GetFieldValue(int32_t fieldId, int32_t bar, double* out) {
    ++fieldReads;
    if (onFieldRead) onFieldRead();
    if (bar < 0 || bar >= barCount.load() || failingBars.count(bar) != 0) return false;
    *out = value ? value(fieldId, bar) : Price(fieldId, bar);
    return true;
}

bool BarProvider::GetScalarValue(int32_t fieldId, double* out) {
    *out = fieldId * 2.0;
    return true;
}

bool BarProvider::GetAnchorBar(int32_t bar, int32_t direction, int32_t* anchor) {
    const int64_t a = direction == 0 ? int64_t{bar} - backAnchor : int64_t{bar} + forwardAnchor;
    *anchor = static_cast<int32_t>(std::clamp<int64_t>(a, std::numeric_limits<int32_t>::min(),
                                                       std::numeric_limits<int32_t>::max()));
    return true;
}

bool BarProvider::GetPeriod(int32_t* type, int32_t* multiplier) {
    *type = 3;
    *multiplier = 1;
    return true;
}

bool BarProvider::GetBarTime(int32_t bar, int64_t* time) {
    *time = 946684800 + int64_t{bar} * 86400;
    return true;
}

bool BarProvider::GetBarIndexByTime(int64_t time, int32_t* bar) {
    *bar = static_cast<int32_t>((time - 946684800) / 86400);
    return true;
}

bool BarProvider::GetTimeOfDate(int64_t, int64_t*) { return false; }
