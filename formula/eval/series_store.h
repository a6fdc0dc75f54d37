#pragma once
// Per-run cache of computed series: one table per storage kind (0 to 14),
// each a growable list of double arrays indexed by slot. Arrays made with the
// default length hold one cell per bar plus two; arrays made with an explicit
// length are state blocks and survive Invalidate. Visit marks are one bit
// per cell of the default length, kept beside the arrays.
#include <cstdint>
#include <vector>

#include "formula/eval/calculate_info.h"
#include "formula/eval/series_memory.h"

class SeriesStore {
 public:
  // A store for barCount bars (at most INT32_MAX - 2, so that every array
  // length fits an int32); the count never changes afterwards. Large
  // default-length arrays of `shareableKind` are made so that a reader store
  // can take them over (TakeShared); -1: none.
  explicit SeriesStore(int32_t barCount, int32_t shareableKind = -1);
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
      if (e.memory.cells != nullptr && (length > 0 || m_barCount >= 1)) {
        return e.length >= (length > 0 ? length : DefaultLength()) ? e.memory.cells : nullptr;
      }
    }
    return MakeSeries(kind, slot, create, length);
  }
  // The default-length array of (kind, slot) for a caller that writes every
  // cell in from..to itself: a new array has every other cell UNCOMPUTED and
  // leaves those cells unset, which saves filling cells only to overwrite
  // them. An existing array is returned as it is. The range is clipped to
  // 0..barCount + 1; an empty one (from > to) leaves nothing unset. Null as
  // for GetSeries.
  double* GetSeriesToWrite(int32_t kind, int32_t slot, int32_t from, int32_t to);
  // Number of cells of the array of (kind, slot); 0 when there is none.
  int32_t SeriesLength(int32_t kind, int32_t slot) const;
  // Marks cells first..last (swapped if reversed, clipped to 0..barCount + 1)
  // of every default-length array UNCOMPUTED and clears their visit marks;
  // state blocks are left alone.
  void Invalidate(int32_t first, int32_t last);

  // The visit mark of (slot, cell): its word and bit; a null word when the
  // cell is outside 0..barCount + 1, the store has no bars or memory runs out.
  struct MarkBit {
    uint64_t* word = nullptr;
    uint64_t bit = 0;
  };
  MarkBit VisitMark(int32_t slot, int32_t cell) {
    if (slot >= 0 && static_cast<size_t>(slot) < m_marks.size() && cell >= 0 && cell < DefaultLength()) {
      std::vector<uint64_t>& words = m_marks[static_cast<size_t>(slot)];
      if (!words.empty()) return MarkBit{&words[static_cast<size_t>(cell) >> 6], uint64_t{1} << (cell & 63)};
    }
    return MakeMarks(slot, cell);
  }

  // Takes over the array (kind, slot) of `writer`, a store of the same bar
  // count, without copying: this store maps its pages, the writer keeps a
  // private copy-on-write view, and cells barCount and barCount + 1 read
  // UNCOMPUTED here as in a fresh array. Any array this store held for the
  // key is released. False, with nothing changed, when the writer's array is
  // missing or cannot be shared; the caller then copies.
  bool TakeShared(SeriesStore* writer, int32_t kind, int32_t slot);
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
    SeriesMemory memory;
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
  // Makes the missing array of *e with `wanted` cells, all UNCOMPUTED but
  // for cells skipFirst..skipLast (an empty range skips none).
  double* Fill(Entry* e, int32_t kind, int32_t wanted, bool explicitLength, int32_t skipFirst, int32_t skipLast);
  // VisitMark when the slot has no marks yet.
  MarkBit MakeMarks(int32_t slot, int32_t cell);
  // The entry of (kind, slot), the table grown to hold it; null when it cannot be.
  Entry* Slot(int32_t kind, int32_t slot);
  void ClearMarks(int32_t first, int32_t last);
  int32_t DefaultLength() const { return m_barCount + 2; }

  int32_t m_barCount;
  int32_t m_shareableKind;
  std::vector<Entry> m_tables[SERIES_KIND_COUNT];
  std::vector<std::vector<uint64_t>> m_marks;
};
