#include "formula/eval/series_store.h"

#include <algorithm>
#include <limits>
#include <new>

#include "formula/eval/value.h"

// The count is held where barCount + 2 cells still count in int32.
SeriesStore::SeriesStore(int32_t barCount)
    : m_barCount(std::min(barCount, std::numeric_limits<int32_t>::max() - 2)) {}

SeriesStore::~SeriesStore() {
  for (auto& table : m_tables) {
    for (Entry& e : table) delete[] e.cells;
  }
}

double* SeriesStore::MakeSeries(int32_t kind, int32_t slot, bool create, int32_t length) {
  if (kind < 0 || kind >= SERIES_KIND_COUNT || slot < 0) return nullptr;
  const bool explicitLength = length > 0;
  if (!explicitLength && m_barCount < 1) return nullptr;
  const int32_t wanted = explicitLength ? length : DefaultLength();
  std::vector<Entry>& table = m_tables[kind];
  try {
    if (static_cast<size_t>(slot) >= table.size()) table.resize(static_cast<size_t>(slot) + 1);
  } catch (const std::exception&) {
    return nullptr;
  }
  Entry& e = table[slot];
  // A shorter array than asked for (two call sites sharing a block number)
  // is refused rather than read past its end.
  if (e.cells != nullptr) return e.length >= wanted ? e.cells : nullptr;
  if (!create) return nullptr;
  e.cells = new (std::nothrow) double[static_cast<size_t>(wanted)];
  if (e.cells == nullptr) return nullptr;
  std::fill(e.cells, e.cells + wanted, UNCOMPUTED);
  e.length = wanted;
  e.explicitLength = explicitLength;
  return e.cells;
}

int32_t SeriesStore::SeriesLength(int32_t kind, int32_t slot) const {
  const Entry* e = Find(kind, slot);
  return e != nullptr && e->cells != nullptr ? e->length : 0;
}

void SeriesStore::Invalidate(int32_t first, int32_t last) {
  if (first > last) std::swap(first, last);
  first = std::max(first, 0);
  last = std::min(last, DefaultLength() - 1);
  if (first > last) return;
  for (auto& table : m_tables) {
    for (Entry& e : table) {
      if (e.cells == nullptr || e.explicitLength) continue;
      const int32_t end = std::min(last, e.length - 1);
      if (first <= end) std::fill(e.cells + first, e.cells + end + 1, UNCOMPUTED);
    }
  }
}

void SeriesStore::FreeSeries(int32_t kind, int32_t slot) {
  if (kind < 0 || kind >= SERIES_KIND_COUNT || slot < 0) return;
  std::vector<Entry>& table = m_tables[kind];
  if (static_cast<size_t>(slot) >= table.size()) return;
  Entry& e = table[slot];
  delete[] e.cells;
  e = Entry{};
}

