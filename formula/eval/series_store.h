#pragma once
// Per-run cache of computed series: one table per storage kind (0 to 14),
// each a growable list of double arrays indexed by slot. Arrays made with the
// default length hold one cell per bar plus two; arrays made with an explicit
// length are state blocks and survive Invalidate.
#include <cstdint>
#include <vector>

#include "formula/eval/calculate_info.h"

class SeriesStore {
 public:
  // A store for barCount bars (at most INT32_MAX - 2, so that every array
  // length fits an int32); the count never changes afterwards.
  explicit SeriesStore(int32_t barCount);
  ~SeriesStore();
  SeriesStore(const SeriesStore&) = delete;
  SeriesStore& operator=(const SeriesStore&) = delete;

  int32_t BarCount() const { return m_barCount; }

  // The array of (kind, slot). An existing array is returned when it holds at
  // least the asked length; otherwise null. A missing array is made only when
  // create is set: barCount + 2 cells for length <= 0 (needs barCount >= 1),
  // else `length` cells, every cell UNCOMPUTED. Null for kind outside 0..14,
  // a negative slot or when memory runs out.
  double* GetSeries(int32_t kind, int32_t slot, bool create, int32_t length) {
    // Fast path: the array exists (every cell of a run after the first).
    if (kind >= 0 && kind < SERIES_KIND_COUNT && slot >= 0 && static_cast<size_t>(slot) < m_tables[kind].size()) {
      const Entry& e = m_tables[kind][static_cast<size_t>(slot)];
      if (e.cells != nullptr && (length > 0 || m_barCount >= 1)) {
        return e.length >= (length > 0 ? length : DefaultLength()) ? e.cells : nullptr;
      }
    }
    return MakeSeries(kind, slot, create, length);
  }
  // Number of cells of the array of (kind, slot); 0 when there is none.
  int32_t SeriesLength(int32_t kind, int32_t slot) const;
  // Marks cells first..last (swapped if reversed, clipped to 0..barCount + 1)
  // of every default-length array UNCOMPUTED; state blocks are left alone.
  void Invalidate(int32_t first, int32_t last);
  // Releases the array of (kind, slot) and empties its entry.
  void FreeSeries(int32_t kind, int32_t slot);

  // Number of cells of (kind, slot) whose definition is running right now
  // (kept by the evaluator); 0 for a missing array.
  int32_t BusyCells(int32_t kind, int32_t slot) const {
    const Entry* e = Find(kind, slot);
    return e != nullptr ? e->busy : 0;
  }
  void AddBusyCells(int32_t kind, int32_t slot, int32_t delta) {
    if (Find(kind, slot) != nullptr) m_tables[kind][static_cast<size_t>(slot)].busy += delta;
  }

 private:
  struct Entry {
    double* cells = nullptr;
    int32_t length = 0;
    bool explicitLength = false;
    int32_t busy = 0;
  };

  const Entry* Find(int32_t kind, int32_t slot) const {
    if (kind < 0 || kind >= SERIES_KIND_COUNT || slot < 0) return nullptr;
    const std::vector<Entry>& table = m_tables[kind];
    return static_cast<size_t>(slot) < table.size() ? &table[static_cast<size_t>(slot)] : nullptr;
  }
  // GetSeries when the array is missing (or the store has no bars).
  double* MakeSeries(int32_t kind, int32_t slot, bool create, int32_t length);
  int32_t DefaultLength() const { return m_barCount + 2; }

  int32_t m_barCount;
  std::vector<Entry> m_tables[SERIES_KIND_COUNT];
};
