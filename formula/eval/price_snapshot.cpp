#include "formula/eval/price_snapshot.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "abacor/data_provider.h"
#include "formula/eval/value.h"

namespace {

constexpr uint32_t kMissingBits = 0xFFFFFFFFu;

uint32_t FloatBits(float f) {
  uint32_t bits;
  std::memcpy(&bits, &f, sizeof bits);
  return bits;
}

float BitsFloat(uint32_t bits) {
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

// A provider value narrows to a float entry only when it is a finite number
// that a float can hold; everything else is missing.
uint32_t NarrowOrMissing(double value) {
  if (!HasValue(value) || !std::isfinite(value)) return kMissingBits;
  if (std::fabs(value) > std::numeric_limits<float>::max()) return kMissingBits;
  return FloatBits(static_cast<float>(value));
}

}  // namespace

PriceSnapshot::PriceSnapshot(int32_t barCount) : m_barCount(barCount > 0 ? barCount : 0) {
  for (auto& field : m_bits) field.assign(static_cast<size_t>(m_barCount), kMissingBits);
}

int32_t PriceSnapshot::FieldSlot(int32_t fieldId) {
  for (size_t i = 0; i < kFieldIds.size(); ++i) {
    if (kFieldIds[i] == fieldId) return static_cast<int32_t>(i);
  }
  return -1;
}

void PriceSnapshot::Store(int32_t slot, int32_t bar, double value) {
  m_bits[static_cast<size_t>(slot)][static_cast<size_t>(bar)] = NarrowOrMissing(value);
}

void PriceSnapshot::Fill(IIndexDataProvider* provider, int32_t first, int32_t last) {
  if (provider == nullptr) return;
  if (first < 0) first = 0;
  if (last >= m_barCount) last = m_barCount - 1;
  for (int32_t bar = first; bar <= last; ++bar) {
    for (size_t slot = 0; slot < kFieldIds.size(); ++slot) {
      double value = INVALID_VALUE;
      if (!provider->GetFieldValue(kFieldIds[slot], bar, &value)) value = INVALID_VALUE;
      Store(static_cast<int32_t>(slot), bar, value);
    }
  }
}

void PriceSnapshot::CopyRange(const PriceSnapshot& from, int32_t first, int32_t last) {
  if (first < 0) first = 0;
  if (last >= m_barCount) last = m_barCount - 1;
  if (last >= from.m_barCount) last = from.m_barCount - 1;
  for (size_t slot = 0; slot < kFieldIds.size(); ++slot) {
    for (int32_t bar = first; bar <= last; ++bar) {
      Store(static_cast<int32_t>(slot), bar, from.Get(kFieldIds[slot], bar));
    }
  }
}

double PriceSnapshot::Get(int32_t fieldId, int32_t bar) const {
  const int32_t slot = FieldSlot(fieldId);
  if (slot < 0 || bar < 0 || bar >= m_barCount) return INVALID_VALUE;
  const uint32_t bits = m_bits[static_cast<size_t>(slot)][static_cast<size_t>(bar)];
  if (bits == kMissingBits) return INVALID_VALUE;
  return static_cast<double>(BitsFloat(bits));
}
