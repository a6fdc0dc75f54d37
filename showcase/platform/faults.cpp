#include "showcase/platform/faults.h"

#include <cstdlib>
#include <sstream>

namespace {
bool LoadedFromEnv();

StandInFaults& Raw() {
  static StandInFaults faults;
  return faults;
}

bool ApplyItem(const std::string& item) {
  StandInFaults& f = Raw();
  size_t eq = item.find('=');
  std::string name = item.substr(0, eq);
  std::string value = eq == std::string::npos ? "" : item.substr(eq + 1);
  if (name == "clear") {
    f = StandInFaults{};
  } else if (name == "cfg-write") {
    if (value == "all") f.cfgWriteAll = true;
    else f.cfgWriteKeys += "," + value + ",";
  } else if (name == "cfg-persist") {
    f.cfgPersist = true;
  } else if (name == "change-language") {
    f.changeLanguage = true;
  } else if (name == "change-skin") {
    f.changeSkin = true;
  } else if (name == "skin-missing") {
    f.skinMissing += "," + value + ",";
  } else if (name == "crash-save") {
    f.crashSave = value;
  } else {
    return false;
  }
  return true;
}

bool ApplyList(const std::string& spec) {
  std::stringstream in(spec);
  std::string item;
  bool ok = true;
  while (std::getline(in, item, ',')) {
    if (!item.empty() && !ApplyItem(item)) ok = false;
  }
  return ok;
}

bool LoadedFromEnv() {
  static bool loaded = [] {
    const char* env = std::getenv("VITRINE_FAULTS");
    if (env != nullptr) ApplyList(env);
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
  return ApplyList(spec);
}

bool CfgWriteFails(int32_t key) {
  const StandInFaults& f = Faults();
  return f.cfgWriteAll || f.cfgWriteKeys.find("," + std::to_string(key) + ",") != std::string::npos;
}

bool SkinFileMissing(int32_t skinId) {
  return Faults().skinMissing.find("," + std::to_string(skinId) + ",") != std::string::npos;
}
