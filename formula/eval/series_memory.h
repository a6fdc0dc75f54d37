#pragma once
// Where the arrays of a series store live. Small arrays come from the heap.
// Large ones are mapped directly and ask for huge pages, which saves most of
// the page faults of a first write. A large array that a store may later hand
// to a reader lives in an anonymous in-memory file: sharing it maps the same
// pages for the reader, while the writer goes on with a private
// copy-on-write view, so nothing is copied and what the writer changes
// afterwards stays its own until it copies it over again.
//
// Freed arrays go back to a process-wide pool, capped in bytes, from which
// later arrays of about the same size are taken again: their pages are
// already there, so a calculator that is reset or handed new bars (one
// instrument after another) does not fault them in again, and memory the
// allocator would trim and take back stays put. An array of a shared file is
// recycled only once both its sides are released: the file then waits in the
// pool with its pages, unmapped, and the next shareable array maps them
// again instead of faulting in new zeroed pages. Arrays beyond the cap go
// back to the system. The cap is read from the environment variable
// ABACOR_SERIES_POOL_BYTES (0: no pool) or defaults to kDefaultPoolCap.
//
// Mapped arrays are kept too unless ABACOR_SERIES_POOL_MAPPED=0 (or
// SetPoolKeepsMapped) says otherwise. So that arrays of sizes that do not
// come again (state blocks) never pile up in a process that holds many
// whole-range calculations, a large array that finds no pooled array of its
// size first gives back as many bytes of pooled mapped arrays.
#include <cstddef>

namespace series_memory {
struct SharedFile;
}

struct SeriesMemory {
  double* cells = nullptr;
  size_t bytes = 0;        // bytes usable at cells
  size_t mappedBytes = 0;  // 0 for a heap array
  int file = -1;           // the file of a shareable array until it is shared
  bool recyclable = true;  // false for either side of a shared file
  // Either side of a shared file: the file, which goes back to the pool
  // once both sides are released (null when it goes back to the system).
  series_memory::SharedFile* shared = nullptr;
};

namespace series_memory {

// Arrays of at least this many bytes are mapped rather than taken from the heap.
constexpr size_t MAPPED_MIN_BYTES = size_t{1} << 20;
// The pool's cap when the environment sets none.
constexpr size_t kDefaultPoolCap = size_t{128} << 20;

// An array of `count` cells, their contents unset (a recycled array keeps
// what it held); cells is null when memory runs out. `shareable` asks for an
// array Share can hand over later (it may still come back unshareable: a
// small array, or no file to be had).
SeriesMemory Allocate(size_t count, bool shareable);
// Returns the array to the pool (or to the system) and empties *m.
void Release(SeriesMemory* m);
// Whether Share can hand over this array.
bool Shareable(const SeriesMemory& m);
// Maps the pages of `writer` into *reader (an empty SeriesMemory) and turns
// *writer into a private copy-on-write view of them (its cells may move).
// False, with nothing changed, when writer is not shareable or a mapping fails.
bool Share(SeriesMemory* writer, SeriesMemory* reader);

// What the pool holds now.
struct PoolState {
  size_t bytes = 0;
  size_t arrays = 0;
  size_t cap = 0;
  bool keepsMapped = false;
};
PoolState Pooled();
// Sets the pool's cap; what it holds beyond the new cap goes back to the
// system at once (0 empties it). Returns the previous cap.
size_t SetPoolCap(size_t bytes);
// Sets whether mapped arrays are kept (those held go back to the system when
// they no longer are). Returns the previous setting.
bool SetPoolKeepsMapped(bool keep);

}  // namespace series_memory
