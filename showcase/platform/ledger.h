// Ledger, the client's configuration store: integer keys holding ints or
// bools, an application store and a user store, each persisted to its own file
// in the configuration directory (app.cfg and user.cfg).
//
// A file is written to a temporary name, flushed to disk and renamed over the
// old one, so a crash leaves either the old or the new file, never a torn
// one. The temporary name is "<file>.tmp.<process id>"; loading removes the
// temporary files whose process is gone and keeps those of live processes,
// which are other instances saving. Saves of several instances take turns
// under a lock on the directory, and each keeps the keys the other instances
// saved, except those it wrote itself since its own last load or save. A file that does not parse is treated as empty and the fact is logged
// ("Ledger", 120).
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "showcase/platform/win32.h"

class IMgr_Cfg_App {
 public:
  static bool Init();
  static void UnInit();
  static void SetFilePath(LPCWSTR path);
  static bool LoadData();
};

namespace Util_Config {
bool AppCfg_ReadBool(int32_t key, bool* value);
bool AppCfg_ReadInt32(int32_t key, int32_t* value);
bool AppCfg_SaveBool(int32_t key, bool value);
bool AppCfg_SaveInt32(int32_t key, int32_t value);
bool UserCfg_SaveBool(int32_t key, bool value);
// Persists both stores; false when a file could not be written ("Ledger", 150).
bool AppCfg_SaveCfg();
}  // namespace Util_Config

// One stored value: its type tag ('i' or 'b') and value.
struct LedgerEntry {
  char type;
  int32_t value;
};
using LedgerStore = std::map<int32_t, LedgerEntry>;

// The file format, shared with tests: a header line, one "KEY int|bool VALUE"
// line per key in key order, and "end COUNT" as the last line.
std::string LedgerSerialize(const LedgerStore& store);
bool LedgerParse(const std::string& text, LedgerStore* store);
// Writes text to path through a temporary file and a rename.
bool LedgerWriteAtomically(const std::string& path, const std::string& text);

// What the stores hold now, saved or not.
const LedgerStore& LedgerAppStore();
const LedgerStore& LedgerUserStore();

constexpr int kLedgerCorruptLine = 120;
constexpr int kLedgerPersistLine = 150;
