#include "formula/eval/guarded_provider.h"

#include <cmath>

#include "formula/eval/value.h"

namespace {

// A provider datum is kept only when it is a finite number.
bool KeepFinite(bool ok, double* value) {
  if (ok && std::isfinite(*value)) return true;
  *value = INVALID_VALUE;
  return false;
}

}  // namespace

bool GuardedProvider::GetBarCount(int32_t* count) {
  if (m_inner == nullptr || count == nullptr) return false;
  const bool ok = m_inner->GetBarCount(count);
  if (*count < 0 || *count > kMaxBarCount) *count = 0;
  return ok;
}

bool GuardedProvider::GetTotalBarCount(int32_t* count) {
  if (m_inner == nullptr || count == nullptr) return false;
  const bool ok = m_inner->GetTotalBarCount(count);
  if (*count < 0) *count = 0;
  return ok;
}

bool GuardedProvider::GetFieldValue(int32_t fieldId, int32_t bar, double* value) {
  if (m_inner == nullptr || value == nullptr) return false;
  return KeepFinite(m_inner->GetFieldValue(fieldId, bar, value), value);
}

bool GuardedProvider::GetScalarValue(int32_t fieldId, double* value) {
  if (m_inner == nullptr || value == nullptr) return false;
  return KeepFinite(m_inner->GetScalarValue(fieldId, value), value);
}

bool GuardedProvider::GetAnchorBar(int32_t bar, int32_t direction, int32_t* anchor) {
  if (m_inner == nullptr || anchor == nullptr) return false;
  return m_inner->GetAnchorBar(bar, direction, anchor);
}

bool GuardedProvider::GetPeriod(int32_t* type, int32_t* multiplier) {
  if (m_inner == nullptr || type == nullptr || multiplier == nullptr) return false;
  return m_inner->GetPeriod(type, multiplier);
}

bool GuardedProvider::GetBarTime(int32_t bar, int64_t* time) {
  if (m_inner == nullptr || time == nullptr) return false;
  return m_inner->GetBarTime(bar, time);
}

bool GuardedProvider::GetBarIndexByTime(int64_t time, int32_t* bar) {
  if (m_inner == nullptr || bar == nullptr) return false;
  return m_inner->GetBarIndexByTime(time, bar);
}

bool GuardedProvider::GetTimeOfDate(int64_t date, int64_t* time) {
  if (m_inner == nullptr || time == nullptr) return false;
  return m_inner->GetTimeOfDate(date, time);
}
