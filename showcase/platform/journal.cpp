#include "showcase/platform/journal.h"

#include <cstdlib>
#include <fstream>

namespace {
std::vector<std::string>& Calls() {
  static std::vector<std::string> calls;
  return calls;
}
}  // namespace

void StandInCall(const std::string& name) {
  Calls().push_back(name);
  static const char* mirror = std::getenv("VITRINE_CALL_LOG");
  if (mirror == nullptr || *mirror == '\0') return;
  std::ofstream out(mirror, std::ios::app);
  out << name << "\n";
}
const std::vector<std::string>& StandInCalls() { return Calls(); }
void ClearStandInCalls() { Calls().clear(); }
