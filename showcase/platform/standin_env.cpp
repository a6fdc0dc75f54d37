#include "showcase/platform/standin_env.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#ifndef VITRINE_RESOURCE_DIR
#define VITRINE_RESOURCE_DIR "resources"
#endif

namespace {
std::string EnvOr(const char* name, const std::string& fallback) {
  const char* v = std::getenv(name);
  return v == nullptr || *v == '\0' ? fallback : std::string(v);
}

void MakeDirs(const std::string& path) {
  for (size_t pos = 1; pos <= path.size(); ++pos) {
    if (pos == path.size() || path[pos] == '/') mkdir(path.substr(0, pos).c_str(), 0755);
  }
}

std::string ExecutableDir() {
  char buf[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof(buf) - 1);
  if (n <= 0) return "";
  std::string exe(buf, static_cast<size_t>(n));
  size_t slash = exe.rfind('/');
  return slash == std::string::npos ? "" : exe.substr(0, slash);
}
}  // namespace

bool StandInFileExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

std::string StandInConfigDir() {
  std::string home = EnvOr("HOME", "/tmp");
  std::string dir = EnvOr("VITRINE_HOME", EnvOr("XDG_CONFIG_HOME", home + "/.config") + "/vitrine");
  MakeDirs(dir);
  return dir;
}

std::string StandInResourceDir() {
  std::string fromEnv = EnvOr("VITRINE_RESOURCES", "");
  if (!fromEnv.empty()) return fromEnv;
  std::string installed = ExecutableDir() + "/../share/vitrine/resources";
  if (StandInFileExists(installed + "/layout")) return installed;
  return VITRINE_RESOURCE_DIR;
}

double StandInEnvFactor(const char* name, double fallback) {
  const char* v = std::getenv(name);
  if (v == nullptr || *v == '\0') return fallback;
  char* end = nullptr;
  errno = 0;
  double d = std::strtod(v, &end);
  if (errno != 0 || end == v || *end != '\0' || !(d > 0.0) || d > 100.0) return fallback;
  return d;
}

int StandInEnvInt(const char* name, int fallback) {
  const char* v = std::getenv(name);
  if (v == nullptr || *v == '\0') return fallback;
  char* end = nullptr;
  errno = 0;
  long n = std::strtol(v, &end, 10);
  if (errno != 0 || end == v || *end != '\0' || n < INT_MIN || n > INT_MAX) return fallback;
  return static_cast<int>(n);
}
