#pragma once
// Where the arrays of a series store live. Small arrays come from the heap.
// Large ones are mapped directly and ask for huge pages, which saves most of
// the page faults of a first write. A large array that a store may later hand
// to a reader lives in an anonymous in-memory file: sharing it maps the same
// pages for the reader, while the writer goes on with a private
// copy-on-write view, so nothing is copied and what the writer changes
// afterwards stays its own until it copies it over again.
#include <cstddef>

struct SeriesMemory {
  double* cells = nullptr;
  size_t mappedBytes = 0;  // 0 for a heap array
  int file = -1;           // the file of a shareable array until it is shared
};

namespace series_memory {

// Arrays of at least this many bytes are mapped rather than taken from the heap.
constexpr size_t MAPPED_MIN_BYTES = size_t{1} << 20;

// An array of `count` cells, their contents unset; cells is null when memory
// runs out. `shareable` asks for an array Share can hand over later (it may
// still come back unshareable: a small array, or no file to be had).
SeriesMemory Allocate(size_t count, bool shareable);
// Frees the array and empties *m.
void Release(SeriesMemory* m);
// Whether Share can hand over this array.
bool Shareable(const SeriesMemory& m);
// Maps the pages of `writer` into *reader (an empty SeriesMemory) and turns
// *writer into a private copy-on-write view of them (its cells may move).
// False, with nothing changed, when writer is not shareable or a mapping fails.
bool Share(SeriesMemory* writer, SeriesMemory* reader);

}  // namespace series_memory
