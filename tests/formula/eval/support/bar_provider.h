#pragma once
// A data provider for calculator tests. Prices are a fixed function of the
// bar (or a per-field override), and every answer that a hostile host could
// get wrong can be set: the bar count (also as a sequence of successive
// answers), the total count, failing reads, anchors and a hook run on every
// field read.
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <set>
#include <vector>

#include "abacor/data_provider.h"

class BarProvider : public IIndexDataProvider {
public:
    explicit BarProvider(int32_t bars) : barCount(bars), totalCount(bars) {}

    // The default price of field f at bar b (an independent oracle for tests).
    static double Price(int32_t fieldId, int32_t bar);

    std::atomic<int32_t> barCount;
    std::atomic<int32_t> totalCount;
    std::atomic<bool> totalFails{false};
    // Successive GetBarCount answers, used up front to back before barCount.
    std::vector<int32_t> barCountSequence;
    // Bars whose field reads fail.
    std::set<int32_t> failingBars;
    // Overrides the default price; may return NaN or infinities.
    std::function<double(int32_t fieldId, int32_t bar)> value;
    // Anchor distances: GetAnchorBar(b, 0) answers b - backAnchor, (b, 1) b + forwardAnchor.
    int64_t backAnchor = 0;
    int64_t forwardAnchor = 0;
    // Run after each field read (for example to request a stop).
    std::function<void()> onFieldRead;

    std::atomic<int64_t> fieldReads{0};
    std::atomic<int64_t> barCountCalls{0};

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
    std::mutex m_sequenceLock;
};
