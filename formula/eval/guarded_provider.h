#pragma once
// The host's data provider as evaluation sees it: every call is forwarded,
// but answers that would poison a run are turned into "no value". A field or
// scalar read that yields NaN or an infinity fails (the bar reads as
// INVALID_VALUE), and a negative bar count reads as 0. So does a bar count
// above kMaxBarCount: no instrument has that many bars, and the series of
// such a run would take gigabytes each.
#include <cstdint>

#include "abacor/data_provider.h"

constexpr int32_t kMaxBarCount = 1 << 24;

class GuardedProvider final : public IIndexDataProvider {
 public:
  void Reset(IIndexDataProvider* inner) { m_inner = inner; }

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
  IIndexDataProvider* m_inner = nullptr;
};
