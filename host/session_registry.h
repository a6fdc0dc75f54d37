#pragma once
// The chart server's sessions by id. Ids are 32 random hex digits; when the
// registry is full, a new session replaces the one used least recently.
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <string>

#include "chart_session.h"

namespace abacor_host {

class SessionRegistry {
 public:
  SessionRegistry(CsvBarProvider& bars, size_t capacity, SessionLimits limits = {});

  // A new session and its id.
  std::string Create(std::shared_ptr<ChartSession>* session);
  // The session of an id (and marks it used), or null.
  std::shared_ptr<ChartSession> Find(const std::string& id);
  bool Remove(const std::string& id);
  size_t Size();

 private:
  struct Entry {
    std::shared_ptr<ChartSession> session;
    uint64_t used = 0;
  };
  CsvBarProvider& bars_;
  size_t capacity_;
  SessionLimits limits_;
  std::mutex mutex_;
  std::map<std::string, Entry> sessions_;
  std::mt19937_64 random_;
  uint64_t clock_ = 0;
};

}  // namespace abacor_host
