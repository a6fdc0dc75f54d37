#include "session_registry.h"

#include <algorithm>
#include <cstdio>

namespace abacor_host {

SessionRegistry::SessionRegistry(CsvBarProvider& bars, size_t capacity, SessionLimits limits)
    : bars_(bars), capacity_(std::max<size_t>(capacity, 1)), limits_(limits), random_(std::random_device{}()) {}

std::string SessionRegistry::Create(std::shared_ptr<ChartSession>* session) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (sessions_.size() >= capacity_) {
    auto oldest = std::min_element(sessions_.begin(), sessions_.end(),
                                   [](const auto& a, const auto& b) { return a.second.used < b.second.used; });
    sessions_.erase(oldest);
  }
  std::string id;
  do {
    id.clear();
    for (int i = 0; i < 2; ++i) {
      char buf[17];
      std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(random_()));
      id += buf;
    }
  } while (sessions_.count(id) != 0);
  *session = std::make_shared<ChartSession>(bars_, limits_);
  sessions_[id] = {*session, ++clock_};
  return id;
}

std::shared_ptr<ChartSession> SessionRegistry::Find(const std::string& id) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = sessions_.find(id);
  if (it == sessions_.end()) return nullptr;
  it->second.used = ++clock_;
  return it->second.session;
}

bool SessionRegistry::Remove(const std::string& id) {
  std::lock_guard<std::mutex> lock(mutex_);
  return sessions_.erase(id) != 0;
}

size_t SessionRegistry::Size() {
  std::lock_guard<std::mutex> lock(mutex_);
  return sessions_.size();
}

}  // namespace abacor_host
