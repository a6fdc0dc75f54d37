#pragma once
// Single-precision copy of the prices that colour-by-movement drawings need:
// close, open, high, low and previous close of every bar. A missing entry
// holds the all-ones 32-bit pattern.
#include <array>
#include <cstdint>
#include <vector>

class IIndexDataProvider;

class PriceSnapshot {
 public:
  // The five fields, in storage order: close, open, high, low, previous close.
  static constexpr std::array<int32_t, 5> kFieldIds{4, 2, 1, 3, 15};

  // Every entry starts missing; a negative count makes an empty snapshot.
  explicit PriceSnapshot(int32_t barCount);

  int32_t BarCount() const { return m_barCount; }

  // Reads every field of bars first to last from the provider. Bars outside
  // the snapshot are skipped; a failed, invalid or non-finite read is missing.
  void Fill(IIndexDataProvider* provider, int32_t first, int32_t last);

  // Copies bars first to last of another snapshot of the same size;
  // missing entries stay missing. Bars outside either snapshot are skipped.
  void CopyRange(const PriceSnapshot& from, int32_t first, int32_t last);

  // The entry widened to double; INVALID_VALUE when missing, for a bar
  // outside the snapshot or a field that is not one of the five.
  double Get(int32_t fieldId, int32_t bar) const;

 private:
  static int32_t FieldSlot(int32_t fieldId);
  void Store(int32_t slot, int32_t bar, double value);

  int32_t m_barCount;
  std::array<std::vector<uint32_t>, 5> m_bits;
};
