#include "formula/eval/series_store.h"

#include <algorithm>
#include <limits>
#include <new>

#include "formula/eval/value.h"

// The count is held where barCount + 2 cells still count in int32.
SeriesStore::SeriesStore(int32_t barCount, int32_t shareableKind)
    : m_barCount(std::min(barCount, std::numeric_limits<int32_t>::max() - 2)), m_shareableKind(shareableKind) {}

SeriesStore::~SeriesStore() {
  for (auto& table : m_tables) {
    for (Entry& e : table) series_memory::Release(&e.memory);
  }
}

SeriesStore::Entry* SeriesStore::Slot(int32_t kind, int32_t slot) {
  if (kind < 0 || kind >= SERIES_KIND_COUNT || slot < 0) return nullptr;
  std::vector<Entry>& table = m_tables[kind];
  try {
    if (static_cast<size_t>(slot) >= table.size()) table.resize(static_cast<size_t>(slot) + 1);
  } catch (const std::exception&) {
    return nullptr;
  }
  return &table[static_cast<size_t>(slot)];
}

double* SeriesStore::MakeSeries(int32_t kind, int32_t slot, bool create, int32_t length) {
  const bool explicitLength = length > 0;
  if (!explicitLength && m_barCount < 1) return nullptr;
  const int32_t wanted = explicitLength ? length : DefaultLength();
  Entry* e = Slot(kind, slot);
  if (e == nullptr) return nullptr;
  // A shorter array than asked for (two call sites sharing a block number)
  // is refused rather than read past its end.
  if (e->memory.cells != nullptr) return e->length >= wanted ? e->memory.cells : nullptr;
  if (!create) return nullptr;
  return Fill(e, kind, wanted, explicitLength, 0, -1);
}

double* SeriesStore::GetSeriesToWrite(int32_t kind, int32_t slot, int32_t from, int32_t to) {
  if (m_barCount < 1) return nullptr;
  Entry* e = Slot(kind, slot);
  if (e == nullptr) return nullptr;
  if (e->memory.cells != nullptr) return e->length >= DefaultLength() ? e->memory.cells : nullptr;
  return Fill(e, kind, DefaultLength(), false, std::max(from, 0), std::min(to, DefaultLength() - 1));
}

double* SeriesStore::Fill(Entry* e, int32_t kind, int32_t wanted, bool explicitLength, int32_t skipFirst,
                          int32_t skipLast) {
  const bool shareable = !explicitLength && kind == m_shareableKind;
  e->memory = series_memory::Allocate(static_cast<size_t>(wanted), shareable);
  double* cells = e->memory.cells;
  if (cells == nullptr) return nullptr;
  if (skipFirst > skipLast) {
    std::fill(cells, cells + wanted, UNCOMPUTED);
  } else {
    std::fill(cells, cells + skipFirst, UNCOMPUTED);
    std::fill(cells + skipLast + 1, cells + wanted, UNCOMPUTED);
  }
  e->length = wanted;
  e->explicitLength = explicitLength;
  return cells;
}

SeriesStore::MarkBit SeriesStore::MakeMarks(int32_t slot, int32_t cell) {
  if (slot < 0 || cell < 0 || cell >= DefaultLength() || m_barCount < 1) return MarkBit{};
  try {
    if (static_cast<size_t>(slot) >= m_marks.size()) m_marks.resize(static_cast<size_t>(slot) + 1);
    std::vector<uint64_t>& words = m_marks[static_cast<size_t>(slot)];
    if (words.empty()) words.assign((static_cast<size_t>(DefaultLength()) + 63) / 64, 0);
    return MarkBit{&words[static_cast<size_t>(cell) >> 6], uint64_t{1} << (cell & 63)};
  } catch (const std::exception&) {
    return MarkBit{};
  }
}

int32_t SeriesStore::SeriesLength(int32_t kind, int32_t slot) const {
  const Entry* e = Find(kind, slot);
  return e != nullptr && e->memory.cells != nullptr ? e->length : 0;
}

void SeriesStore::Invalidate(int32_t first, int32_t last) {
  if (first > last) std::swap(first, last);
  first = std::max(first, 0);
  last = std::min(last, DefaultLength() - 1);
  if (first > last) return;
  for (auto& table : m_tables) {
    for (Entry& e : table) {
      if (e.memory.cells == nullptr || e.explicitLength) continue;
      const int32_t end = std::min(last, e.length - 1);
      if (first <= end) std::fill(e.memory.cells + first, e.memory.cells + end + 1, UNCOMPUTED);
    }
  }
  ClearMarks(first, last);
}

// Clears the mark bits of cells first..last (already clipped) of every slot.
void SeriesStore::ClearMarks(int32_t first, int32_t last) {
  const size_t firstWord = static_cast<size_t>(first) >> 6;
  const size_t lastWord = static_cast<size_t>(last) >> 6;
  const uint64_t head = ~uint64_t{0} << (first & 63);
  const uint64_t tail = ~uint64_t{0} >> (63 - (last & 63));
  for (std::vector<uint64_t>& words : m_marks) {
    if (words.empty()) continue;
    if (firstWord == lastWord) {
      words[firstWord] &= ~(head & tail);
      continue;
    }
    words[firstWord] &= ~head;
    std::fill(words.begin() + static_cast<std::ptrdiff_t>(firstWord) + 1,
              words.begin() + static_cast<std::ptrdiff_t>(lastWord), uint64_t{0});
    words[lastWord] &= ~tail;
  }
}

void SeriesStore::FreeSeries(int32_t kind, int32_t slot) {
  if (kind < 0 || kind >= SERIES_KIND_COUNT || slot < 0) return;
  std::vector<Entry>& table = m_tables[kind];
  if (static_cast<size_t>(slot) >= table.size()) return;
  Entry& e = table[slot];
  series_memory::Release(&e.memory);
  e = Entry{};
}

bool SeriesStore::TakeShared(SeriesStore* writer, int32_t kind, int32_t slot) {
  if (writer == nullptr || writer == this || writer->m_barCount != m_barCount || m_barCount < 1) return false;
  const Entry* from = writer->Find(kind, slot);
  if (from == nullptr || from->explicitLength || from->length != DefaultLength()) return false;
  if (!series_memory::Shareable(from->memory)) return false;
  Entry* to = Slot(kind, slot);
  if (to == nullptr) return false;
  Entry& source = writer->m_tables[kind][static_cast<size_t>(slot)];
  SeriesMemory taken;
  if (!series_memory::Share(&source.memory, &taken)) return false;
  series_memory::Release(&to->memory);
  *to = Entry{};
  to->memory = taken;
  to->length = source.length;
  // The writer's cells past the bars go on as they were; here they start
  // uncomputed. Writing to the writer's view first gives it its own page.
  volatile double* own = source.memory.cells + m_barCount;
  own[0] = own[0];
  own[1] = own[1];
  to->memory.cells[m_barCount] = UNCOMPUTED;
  to->memory.cells[m_barCount + 1] = UNCOMPUTED;
  return true;
}
