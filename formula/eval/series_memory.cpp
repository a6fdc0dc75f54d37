#include "formula/eval/series_memory.h"

#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#endif

namespace series_memory {
namespace {

#if defined(__linux__)
constexpr size_t kPage = 4096;

// At most this many shareable arrays hold a file at once, so that a host
// with many unpublished calculators never runs out of file descriptors;
// beyond it arrays are mapped privately (and copied when published).
constexpr int kMaxOpenFiles = 256;
std::atomic<int> g_openFiles{0};

size_t RoundToPages(size_t bytes) { return (bytes + kPage - 1) / kPage * kPage; }

void CloseFile(SeriesMemory* m) {
  if (m->file < 0) return;
  ::close(m->file);
  m->file = -1;
  g_openFiles.fetch_sub(1);
}

// A file-backed shared mapping of `bytes`; false when none can be had.
bool MapFile(size_t bytes, SeriesMemory* m) {
  if (g_openFiles.fetch_add(1) >= kMaxOpenFiles) {
    g_openFiles.fetch_sub(1);
    return false;
  }
  const int file = ::memfd_create("abacor-series", MFD_CLOEXEC);
  if (file < 0) {
    g_openFiles.fetch_sub(1);
    return false;
  }
  void* p = ::ftruncate(file, static_cast<off_t>(bytes)) == 0
                ? ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_POPULATE, file, 0)
                : MAP_FAILED;
  if (p == MAP_FAILED) {
    ::close(file);
    g_openFiles.fetch_sub(1);
    return false;
  }
  *m = SeriesMemory{static_cast<double*>(p), bytes, file};
  return true;
}

// A private anonymous mapping of `bytes` that asks for huge pages.
bool MapAnonymous(size_t bytes, SeriesMemory* m) {
  void* p = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) return false;
  ::madvise(p, bytes, MADV_HUGEPAGE);  // a hint: ignored where the system has none
  *m = SeriesMemory{static_cast<double*>(p), bytes, -1};
  return true;
}
#endif

SeriesMemory FromHeap(size_t count) {
  SeriesMemory m;
  m.cells = new (std::nothrow) double[count];
  return m;
}

}  // namespace

SeriesMemory Allocate(size_t count, bool shareable) {
  const size_t bytes = count * sizeof(double);
  if (bytes < MAPPED_MIN_BYTES) return FromHeap(count);
#if defined(__linux__)
  SeriesMemory m;
  const size_t mapped = RoundToPages(bytes);
  if (shareable && MapFile(mapped, &m)) return m;
  if (MapAnonymous(mapped, &m)) return m;
#else
  static_cast<void>(shareable);
#endif
  return FromHeap(count);
}

void Release(SeriesMemory* m) {
  if (m->cells == nullptr) return;
  if (m->mappedBytes == 0) {
    delete[] m->cells;
    *m = SeriesMemory{};
    return;
  }
#if defined(__linux__)
  ::munmap(m->cells, m->mappedBytes);
  CloseFile(m);
#endif
  *m = SeriesMemory{};
}

bool Shareable(const SeriesMemory& m) { return m.cells != nullptr && m.mappedBytes != 0 && m.file >= 0; }

bool Share(SeriesMemory* writer, SeriesMemory* reader) {
#if defined(__linux__)
  if (!Shareable(*writer) || reader->cells != nullptr) return false;
  const size_t bytes = writer->mappedBytes;
  void* shared = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, writer->file, 0);
  if (shared == MAP_FAILED) return false;
  void* view = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE, writer->file, 0);
  if (view == MAP_FAILED) {
    ::munmap(shared, bytes);
    return false;
  }
  // Both mappings keep the file alive; its descriptor is no longer needed.
  ::munmap(writer->cells, bytes);
  CloseFile(writer);
  *writer = SeriesMemory{static_cast<double*>(view), bytes, -1};
  *reader = SeriesMemory{static_cast<double*>(shared), bytes, -1};
  return true;
#else
  static_cast<void>(writer);
  static_cast<void>(reader);
  return false;
#endif
}

}  // namespace series_memory
