#include "formula/frontend/compile_lock.h"

std::recursive_mutex& CompileLock() {
  // Intentionally leaked: compilations may run during static destruction.
  static std::recursive_mutex* lock = new std::recursive_mutex();
  return *lock;
}
