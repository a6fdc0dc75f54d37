#include "formula/eval/series_memory.h"

#include <atomic>
#include <cstdlib>
#include <iterator>
#include <map>
#include <mutex>
#include <new>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace series_memory {

// A file both sides of a share map; whichever side is released last puts
// the file, pages and all, back in the pool.
struct SharedFile {
  int file = -1;
  size_t mappedBytes = 0;
  std::atomic<int> sides{2};
};

namespace {

#if defined(__linux__)
constexpr size_t kPage = 4096;

// At most this many shareable arrays hold a file at once, so that a host
// with many unpublished calculators never runs out of file descriptors;
// beyond it arrays are mapped privately (and copied when published).
constexpr int kMaxOpenFiles = 256;
std::atomic<int> g_openFiles{0};

// Files kept open after sharing, so that they can be recycled once both
// sides are released; beyond this many a shared file is closed at once.
constexpr int kMaxKeptFiles = 64;
std::atomic<int> g_keptFiles{0};

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
  *m = SeriesMemory{static_cast<double*>(p), bytes, bytes, file, true};
  return true;
}

// A private anonymous mapping of `bytes` that asks for huge pages.
bool MapAnonymous(size_t bytes, SeriesMemory* m) {
  void* p = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) return false;
  ::madvise(p, bytes, MADV_HUGEPAGE);  // a hint: ignored where the system has none
  *m = SeriesMemory{static_cast<double*>(p), bytes, bytes, -1, true};
  return true;
}
#endif

SeriesMemory FromHeap(size_t count) {
  SeriesMemory m;
  m.cells = new (std::nothrow) double[count];
  if (m.cells != nullptr) m.bytes = count * sizeof(double);
  return m;
}

// Gives the array back to the system (a pooled file may have no mapping).
void Free(SeriesMemory* m) {
  if (m->mappedBytes == 0) {
    delete[] m->cells;
    *m = SeriesMemory{};
    return;
  }
#if defined(__linux__)
  if (m->cells != nullptr) ::munmap(m->cells, m->mappedBytes);
  CloseFile(m);
#endif
  *m = SeriesMemory{};
}

// The cap the environment asks for: ABACOR_SERIES_POOL_BYTES, a count of bytes.
size_t CapFromEnvironment() {
  const char* text = std::getenv("ABACOR_SERIES_POOL_BYTES");
  if (text == nullptr || *text == '\0') return kDefaultPoolCap;
  char* end = nullptr;
  const unsigned long long bytes = std::strtoull(text, &end, 10);
  return end != nullptr && *end == '\0' ? static_cast<size_t>(bytes) : kDefaultPoolCap;
}

// Whether the pool keeps mapped arrays too: yes unless the environment says
// ABACOR_SERIES_POOL_MAPPED=0.
bool MappedFromEnvironment() {
  const char* text = std::getenv("ABACOR_SERIES_POOL_MAPPED");
  return text == nullptr || text[0] != '0' || text[1] != '\0';
}

// At most this many arrays holding a file wait in the pool, so that new
// shareable arrays still find files to be had.
constexpr size_t kMaxPooledFiles = 32;

// Freed arrays by size: plain ones (heap or anonymous mappings) and those
// still holding their file, which only shareable requests take.
class Pool {
 public:
  Pool() : m_cap(CapFromEnvironment()), m_mapped(MappedFromEnvironment()) {}

  // A pooled array of at least `bytes` and not much more; false when none
  // fits. A large request that finds none makes room for the array the
  // caller maps instead: pooled mapped arrays, which could not serve it, go
  // to *evicted until they add up to its size, so that arrays of sizes that
  // do not come again never add to what the process holds.
  bool Take(size_t bytes, bool wantFile, SeriesMemory* m, std::vector<SeriesMemory>* evicted) {
    std::lock_guard<std::mutex> lock(m_lock);
    Blocks& blocks = wantFile ? m_files : m_plain;
    const auto it = blocks.lower_bound(bytes);
    if (it != blocks.end() && it->first <= bytes + bytes / 4) {
      *m = it->second;
      m_held -= it->first;
      blocks.erase(it);
      return true;
    }
    if (bytes >= MAPPED_MIN_BYTES) Evict(bytes, evicted);
    return false;
  }

  // Keeps the array for later; false when it is not to be recycled or the
  // cap leaves no room (the caller frees it).
  bool Put(const SeriesMemory& m) {
    if (!m.recyclable || m.bytes == 0) return false;
    std::lock_guard<std::mutex> lock(m_lock);
    if (m.mappedBytes != 0 && !m_mapped) return false;
    if (m.bytes > m_cap || m_held > m_cap - m.bytes) return false;
    Blocks& blocks = m.file >= 0 ? m_files : m_plain;
    if (m.file >= 0 && blocks.size() >= kMaxPooledFiles) return false;
    try {
      blocks.emplace(m.bytes, m);
    } catch (const std::exception&) {
      return false;
    }
    m_held += m.bytes;
    return true;
  }

  PoolState State() {
    std::lock_guard<std::mutex> lock(m_lock);
    return PoolState{m_held, m_plain.size() + m_files.size(), m_cap, m_mapped};
  }

  // Whether mapped arrays are kept; those held go back to the system when
  // they no longer are. Returns the previous setting.
  bool KeepMapped(bool keep) {
    std::lock_guard<std::mutex> lock(m_lock);
    const bool previous = m_mapped;
    m_mapped = keep;
    if (!keep) {
      DropMapped(&m_plain);
      DropMapped(&m_files);
    }
    return previous;
  }

  // Sets the cap and frees, largest first, the arrays beyond it.
  size_t SetCap(size_t cap) {
    std::lock_guard<std::mutex> lock(m_lock);
    const size_t previous = m_cap;
    m_cap = cap;
    while (m_held > m_cap) {
      Blocks& blocks = Largest();
      const auto last = std::prev(blocks.end());
      m_held -= last->first;
      SeriesMemory evicted = last->second;
      blocks.erase(last);
      Free(&evicted);
    }
    return previous;
  }

 private:
  using Blocks = std::multimap<size_t, SeriesMemory>;

  // The list whose largest array is the larger (one of them is not empty).
  Blocks& Largest() {
    if (m_files.empty()) return m_plain;
    if (m_plain.empty()) return m_files;
    return m_files.rbegin()->first > m_plain.rbegin()->first ? m_files : m_plain;
  }

  // Moves mapped arrays, the largest first, to *evicted until they add up
  // to `bytes` or none is left.
  void Evict(size_t bytes, std::vector<SeriesMemory>* evicted) {
    size_t freed = 0;
    while (freed < bytes) {
      Blocks& blocks = LargestMapped();
      if (blocks.empty() || blocks.rbegin()->second.mappedBytes == 0) return;
      const auto last = std::prev(blocks.end());
      try {
        evicted->push_back(last->second);
      } catch (const std::exception&) {
        return;
      }
      freed += last->first;
      m_held -= last->first;
      blocks.erase(last);
    }
  }

  // The list whose largest array is mapped and the larger of the two; an
  // empty list or one of heap arrays only when neither has a mapped array.
  Blocks& LargestMapped() {
    const bool plainMapped = !m_plain.empty() && m_plain.rbegin()->second.mappedBytes != 0;
    const bool filesMapped = !m_files.empty();
    if (!filesMapped) return m_plain;
    if (!plainMapped) return m_files;
    return m_files.rbegin()->first > m_plain.rbegin()->first ? m_files : m_plain;
  }

  void DropMapped(Blocks* blocks) {
    for (auto it = blocks->begin(); it != blocks->end();) {
      if (it->second.mappedBytes == 0) {
        ++it;
        continue;
      }
      SeriesMemory dropped = it->second;
      m_held -= it->first;
      it = blocks->erase(it);
      Free(&dropped);
    }
  }

  std::mutex m_lock;
  Blocks m_plain;
  Blocks m_files;
  size_t m_held = 0;
  size_t m_cap;
  bool m_mapped;
};

// Never destroyed: stores that outlive static destruction still return their
// arrays to it.
Pool& ThePool() {
  static Pool* pool = new Pool();
  return *pool;
}

// A new array from the system.
SeriesMemory Fresh(size_t count, bool shareable) {
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

// Maps a pooled file that has no mapping (its pages are still there);
// false, with the file closed, when that fails.
bool MapPooledFile(SeriesMemory* m) {
#if defined(__linux__)
  void* p = ::mmap(nullptr, m->mappedBytes, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_POPULATE, m->file, 0);
  if (p != MAP_FAILED) {
    m->cells = static_cast<double*>(p);
    return true;
  }
#endif
  Free(m);
  return false;
}

// Releases one side of a shared file; the last side puts the file back.
void ReleaseSide(SeriesMemory* m) {
  SharedFile* f = m->shared;
#if defined(__linux__)
  if (m->cells != nullptr) ::munmap(m->cells, m->mappedBytes);
#endif
  *m = SeriesMemory{};
  if (f->sides.fetch_sub(1) != 1) return;
  SeriesMemory parked{nullptr, f->mappedBytes, f->mappedBytes, f->file, true, nullptr};
  delete f;
#if defined(__linux__)
  g_keptFiles.fetch_sub(1);
  g_openFiles.fetch_add(1);
#endif
  if (!ThePool().Put(parked)) Free(&parked);
}

#if defined(__linux__)
// The file of a writer being shared, kept open for recycling while few
// are; null (the file closed) otherwise.
SharedFile* KeepFile(SeriesMemory* writer) {
  SharedFile* f = nullptr;
  if (g_keptFiles.fetch_add(1) < kMaxKeptFiles) f = new (std::nothrow) SharedFile;
  if (f == nullptr) {
    g_keptFiles.fetch_sub(1);
    CloseFile(writer);
    return nullptr;
  }
  f->file = writer->file;
  f->mappedBytes = writer->mappedBytes;
  writer->file = -1;
  g_openFiles.fetch_sub(1);
  return f;
}
#endif

}  // namespace

SeriesMemory Allocate(size_t count, bool shareable) {
  const size_t bytes = count * sizeof(double);
  SeriesMemory m;
  std::vector<SeriesMemory> evicted;
  if (count > 0 && ThePool().Take(bytes, shareable && bytes >= MAPPED_MIN_BYTES, &m, &evicted)) {
    if (m.cells != nullptr || MapPooledFile(&m)) return m;
  }
  for (SeriesMemory& e : evicted) Free(&e);
  return Fresh(count, shareable);
}

void Release(SeriesMemory* m) {
  if (m->shared != nullptr) return ReleaseSide(m);
  if (m->cells == nullptr) return;
  if (ThePool().Put(*m)) {
    *m = SeriesMemory{};
    return;
  }
  Free(m);
}

PoolState Pooled() { return ThePool().State(); }

size_t SetPoolCap(size_t bytes) { return ThePool().SetCap(bytes); }

bool SetPoolKeepsMapped(bool keep) { return ThePool().KeepMapped(keep); }

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
  // Both mappings keep the file alive; its descriptor is kept only to
  // recycle the file.
  ::munmap(writer->cells, bytes);
  SharedFile* file = KeepFile(writer);
  const size_t usable = writer->bytes;
  *writer = SeriesMemory{static_cast<double*>(view), usable, bytes, -1, false, file};
  *reader = SeriesMemory{static_cast<double*>(shared), usable, bytes, -1, false, file};
  return true;
#else
  static_cast<void>(writer);
  static_cast<void>(reader);
  return false;
#endif
}

}  // namespace series_memory
