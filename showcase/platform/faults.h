// Fault injection for tests: set from VITRINE_FAULTS at start (a comma list)
// or by the automation command "fault". Items:
//   cfg-write=KEY|all    configuration writes of that key fail
//   cfg-persist          persisting the configuration file fails
//   change-language      IMgr_Language::ChangeLanguage fails
//   change-skin          IMgr_Skin::ChangeSkin fails
//   skin-missing=ID      the skin file of that skin does not exist
//   crash-save=STAGE     the process kills itself while saving the
//                        configuration: half-written, written, renamed;
//                        "pause" instead stops half-way, after creating
//                        <file>.saving, until something kills it
//   slow-save=MS         each file save waits MS milliseconds (0..1000)
//                        between writing its temporary file and renaming it
// An unknown name, or a value its item does not take, is refused; the
// refused items of VITRINE_FAULTS are reported when the program starts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct StandInFaults {
  bool cfgWriteAll = false;
  std::string cfgWriteKeys;  // ",20501,20602," style list
  bool cfgPersist = false;
  bool changeLanguage = false;
  bool changeSkin = false;
  std::string skinMissing;  // ",1," style list
  std::string crashSave;    // stage name, empty when off
  int slowSaveMs = 0;
};

StandInFaults& Faults();
// Applies one comma list; "clear" resets everything. False on an unknown item.
bool ApplyFaultSpec(const std::string& spec);
// The items of VITRINE_FAULTS that were refused, in the order given.
const std::vector<std::string>& RefusedEnvFaults();
bool CfgWriteFails(int32_t key);
bool SkinFileMissing(int32_t skinId);
