#include "showcase/platform/faults.h"

#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <sstream>

namespace {

StandInFaults& Raw() {
  static StandInFaults faults;
  return faults;
}

std::vector<std::string>& Refused() {
  static std::vector<std::string> refused;
  return refused;
}

// A whole decimal number that fits 32 bits.
bool IsInt32(const std::string& text) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  long long v = std::strtoll(text.c_str(), &end, 10);
  return *end == '\0' && errno == 0 && v >= INT32_MIN && v <= INT32_MAX;
}

bool NoValue(const std::string& value, bool hasValue) { return !hasValue && value.empty(); }
bool KeyOrAll(const std::string& value, bool hasValue) { return hasValue && (value == "all" || IsInt32(value)); }
bool Number(const std::string& value, bool hasValue) { return hasValue && IsInt32(value); }
bool Stage(const std::string& value, bool hasValue) {
  return hasValue && (value == "half-written" || value == "written" || value == "renamed" || value == "pause");
}
bool Milliseconds(const std::string& value, bool hasValue) {
  return Number(value, hasValue) && std::atoi(value.c_str()) >= 0 && std::atoi(value.c_str()) <= 1000;
}

void Clear(StandInFaults& f, const std::string&) { f = StandInFaults{}; }
void CfgWrite(StandInFaults& f, const std::string& v) {
  if (v == "all")
    f.cfgWriteAll = true;
  else
    f.cfgWriteKeys += "," + v + ",";
}
void CfgPersist(StandInFaults& f, const std::string&) { f.cfgPersist = true; }
void ChangeLanguage(StandInFaults& f, const std::string&) { f.changeLanguage = true; }
void ChangeSkin(StandInFaults& f, const std::string&) { f.changeSkin = true; }
void SkinMissing(StandInFaults& f, const std::string& v) { f.skinMissing += "," + v + ","; }
void CrashSave(StandInFaults& f, const std::string& v) { f.crashSave = v; }
void SlowSave(StandInFaults& f, const std::string& v) { f.slowSaveMs = std::atoi(v.c_str()); }

struct FaultItem {
  const char* name;
  bool (*valid)(const std::string& value, bool hasValue);
  void (*apply)(StandInFaults& faults, const std::string& value);
};

constexpr std::array<FaultItem, 8> kFaultItems = {{
    {"clear", NoValue, Clear},
    {"cfg-write", KeyOrAll, CfgWrite},
    {"cfg-persist", NoValue, CfgPersist},
    {"change-language", NoValue, ChangeLanguage},
    {"change-skin", NoValue, ChangeSkin},
    {"skin-missing", Number, SkinMissing},
    {"crash-save", Stage, CrashSave},
    {"slow-save", Milliseconds, SlowSave},
}};
static_assert(kFaultItems.size() == 8, "one row per fault item");

// NAME or NAME=VALUE, with a name of the table and a value its row accepts.
bool ApplyItem(const std::string& item) {
  size_t eq = item.find('=');
  std::string name = item.substr(0, eq);
  bool hasValue = eq != std::string::npos;
  std::string value = hasValue ? item.substr(eq + 1) : "";
  for (const FaultItem& row : kFaultItems) {
    if (name != row.name) continue;
    if (!row.valid(value, hasValue)) return false;
    row.apply(Raw(), value);
    return true;
  }
  return false;
}

// Comma-separated items; empty items are skipped, refused ones collected.
bool ApplyList(const std::string& spec, std::vector<std::string>* refused) {
  std::stringstream in(spec);
  std::string item;
  bool ok = true;
  while (std::getline(in, item, ',')) {
    if (item.empty() || ApplyItem(item)) continue;
    ok = false;
    if (refused != nullptr) refused->push_back(item);
  }
  return ok;
}

bool LoadedFromEnv() {
  static bool loaded = [] {
    const char* env = std::getenv("VITRINE_FAULTS");
    if (env != nullptr) ApplyList(env, &Refused());
    return true;
  }();
  return loaded;
}
}  // namespace

StandInFaults& Faults() {
  LoadedFromEnv();
  return Raw();
}

bool ApplyFaultSpec(const std::string& spec) {
  LoadedFromEnv();
  return ApplyList(spec, nullptr);
}

const std::vector<std::string>& RefusedEnvFaults() {
  LoadedFromEnv();
  return Refused();
}

bool CfgWriteFails(int32_t key) {
  const StandInFaults& f = Faults();
  return f.cfgWriteAll || f.cfgWriteKeys.find("," + std::to_string(key) + ",") != std::string::npos;
}

bool SkinFileMissing(int32_t skinId) {
  return Faults().skinMissing.find("," + std::to_string(skinId) + ",") != std::string::npos;
}
