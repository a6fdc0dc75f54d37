#include "showcase/platform/ledger.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>

#include "showcase/platform/basalt.h"
#include "showcase/platform/faults.h"
#include "showcase/platform/journal.h"
#include "showcase/platform/text.h"

namespace {

constexpr const char* kHeader = "# vitrine configuration v1";

struct Ledger {
  bool initialised = false;
  std::string appPath;
  std::string userPath;
  LedgerStore app;
  LedgerStore user;
  // Keys this process wrote since its last load or save: on saving, these
  // keep this process's values and every other key takes the file's.
  std::set<int32_t> appWritten;
  std::set<int32_t> userWritten;
};

Ledger& State() {
  static Ledger ledger;
  return ledger;
}

std::string DirOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

bool ReadFile(const std::string& path, std::string* text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream buf;
  buf << in.rdbuf();
  *text = buf.str();
  return true;
}

// A process whose id is in /proc and that is not a zombie; without /proc,
// any process the kernel still knows.
bool ProcessAlive(pid_t pid) {
  if (kill(pid, 0) != 0 && errno == ESRCH) return false;
  std::string stat;
  if (!ReadFile("/proc/" + std::to_string(pid) + "/stat", &stat)) return true;
  size_t paren = stat.rfind(')');
  return paren == std::string::npos || paren + 2 >= stat.size() || stat[paren + 2] != 'Z';
}

// The owner of "<file>.tmp.<pid>": a live process other than this one, which
// is not saving while it loads. Anything else names no live owner.
bool OwnedByLiveProcess(const std::string& pidText) {
  if (pidText.empty() || pidText.size() > 9 || pidText.find_first_not_of("0123456789") != std::string::npos) {
    return false;
  }
  pid_t pid = static_cast<pid_t>(std::atol(pidText.c_str()));
  return pid > 0 && pid != getpid() && ProcessAlive(pid);
}

// A save cut short by a crash leaves its temporary file behind; the real
// file is intact, so the leftover is simply removed. A temporary file whose
// owner is still alive is another instance's save in progress and is kept.
void RemoveLeftovers(const std::string& path) {
  std::string dir = DirOf(path);
  std::string prefix = path.substr(dir.size() + 1) + ".tmp.";
  DIR* d = opendir(dir.c_str());
  if (d == nullptr) return;
  while (dirent* e = readdir(d)) {
    std::string name = e->d_name;
    if (name.compare(0, prefix.size(), prefix) != 0) continue;
    if (OwnedByLiveProcess(name.substr(prefix.size()))) continue;
    unlink((dir + "/" + name).c_str());
  }
  closedir(d);
}

// Holds an exclusive lock on the configuration directory, so that saves of
// several instances run one after the other. A save takes milliseconds; an
// instance stopped in the middle of one is waited for 5 seconds at most, and
// then this save goes ahead without the lock.
class DirLock {
 public:
  explicit DirLock(const std::string& dir) : m_fd(open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    for (int i = 0; m_fd >= 0 && i < 500 && flock(m_fd, LOCK_EX | LOCK_NB) != 0; ++i) usleep(10000);
  }
  ~DirLock() {
    if (m_fd >= 0) close(m_fd);
  }
  DirLock(const DirLock&) = delete;
  DirLock& operator=(const DirLock&) = delete;

 private:
  int m_fd;
};

// Missing file: empty store. Unparsable file: empty store, logged.
void LoadStore(const std::string& path, LedgerStore* store) {
  store->clear();
  std::string text;
  if (!ReadFile(path, &text)) return;
  if (!LedgerParse(text, store)) {
    store->clear();
    OMWarn_WriteLog(L"Ledger", kLedgerCorruptLine);
  }
}

void CrashIfAsked(const char* stage) {
  if (Faults().crashSave == stage) raise(SIGKILL);
}

// Half-way through a save: tell the outside world and wait to be killed.
void PauseIfAsked(const std::string& path) {
  if (Faults().crashSave != "pause") return;
  int fd = open((path + ".saving").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  if (fd >= 0) close(fd);
  for (;;) pause();
}

bool WriteAll(int fd, const std::string& data) {
  size_t done = 0;
  while (done < data.size()) {
    ssize_t n = write(fd, data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

void SyncDir(const std::string& dir) {
  int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

bool Save(int32_t key, char type, int32_t value, LedgerStore* store, std::set<int32_t>* written, const char* what) {
  StandInCall(std::string("Util_Config::") + what + "(" + std::to_string(key) + "," + std::to_string(value) + ")");
  if (CfgWriteFails(key)) return false;
  (*store)[key] = LedgerEntry{type, value};
  written->insert(key);
  return true;
}

// Another instance may have saved since this one loaded: its keys are taken
// from the file unless this process wrote them itself. The caller holds the
// directory lock.
bool Persist(const std::string& path, LedgerStore* store, std::set<int32_t>* written) {
  LedgerStore merged = *store;
  LedgerStore onDisk;
  std::string text;
  if (ReadFile(path, &text) && LedgerParse(text, &onDisk)) {
    for (const auto& kv : onDisk) {
      if (written->count(kv.first) == 0) merged[kv.first] = kv.second;
    }
  }
  if (!LedgerWriteAtomically(path, LedgerSerialize(merged))) return false;
  *store = merged;
  written->clear();
  return true;
}

void SlowIfAsked() {
  int ms = Faults().slowSaveMs;
  if (ms > 0) usleep(static_cast<useconds_t>(ms) * 1000);
}

// Either type reads as either: a bool is 0 or 1, an int is true when nonzero.
bool Read(int32_t key, int32_t* value) {
  const LedgerStore& app = State().app;
  auto it = app.find(key);
  if (it == app.end()) return false;
  *value = it->second.value;
  return true;
}

// "KEY TYPE VALUE" with a known type; bools are 0 or 1.
bool ParseEntry(const std::string& line, int32_t* key, LedgerEntry* entry) {
  std::istringstream in(line);
  long long k = 0;
  long long v = 0;
  std::string type;
  std::string extra;
  if (!(in >> k >> type >> v) || (in >> extra)) return false;
  if (k < INT32_MIN || k > INT32_MAX || v < INT32_MIN || v > INT32_MAX) return false;
  if (type == "int") {
    *entry = LedgerEntry{'i', static_cast<int32_t>(v)};
  } else if (type == "bool" && (v == 0 || v == 1)) {
    *entry = LedgerEntry{'b', static_cast<int32_t>(v)};
  } else {
    return false;
  }
  *key = static_cast<int32_t>(k);
  return true;
}

}  // namespace

std::string LedgerSerialize(const LedgerStore& store) {
  std::string out = std::string(kHeader) + "\n";
  for (const auto& kv : store) {
    out += std::to_string(kv.first) + (kv.second.type == 'b' ? " bool " : " int ") + std::to_string(kv.second.value) +
           "\n";
  }
  out += "end " + std::to_string(store.size()) + "\n";
  return out;
}

// Header, unique entries, and an "end" line whose count matches.
bool LedgerParse(const std::string& text, LedgerStore* store) {
  std::istringstream in(text);
  std::string line;
  if (!std::getline(in, line) || line != kHeader) return false;
  LedgerStore parsed;
  while (std::getline(in, line)) {
    if (line.compare(0, 4, "end ") == 0) {
      std::string rest;
      if (std::getline(in, rest)) return false;
      if (line.substr(4) != std::to_string(parsed.size())) return false;
      *store = parsed;
      return true;
    }
    int32_t key = 0;
    LedgerEntry entry{};
    if (!ParseEntry(line, &key, &entry) || parsed.count(key) != 0) return false;
    parsed[key] = entry;
  }
  return false;
}

bool LedgerWriteAtomically(const std::string& path, const std::string& text) {
  std::string temp = path + ".tmp." + std::to_string(getpid());
  int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  size_t half = text.size() / 2;
  bool ok = WriteAll(fd, text.substr(0, half));
  CrashIfAsked("half-written");
  PauseIfAsked(path);
  ok = ok && WriteAll(fd, text.substr(half));
  ok = ok && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  CrashIfAsked("written");
  SlowIfAsked();
  if (!ok || rename(temp.c_str(), path.c_str()) != 0) {
    unlink(temp.c_str());
    return false;
  }
  SyncDir(DirOf(path));
  CrashIfAsked("renamed");
  return true;
}

const LedgerStore& LedgerAppStore() { return State().app; }
const LedgerStore& LedgerUserStore() { return State().user; }

bool IMgr_Cfg_App::Init() {
  StandInCall("IMgr_Cfg_App::Init");
  State().initialised = true;
  return true;
}

void IMgr_Cfg_App::UnInit() {
  StandInCall("IMgr_Cfg_App::UnInit");
  State().initialised = false;
}

void IMgr_Cfg_App::SetFilePath(LPCWSTR path) {
  StandInCall("IMgr_Cfg_App::SetFilePath");
  State().appPath = WideToUtf8(path == nullptr ? L"" : path);
  State().userPath = DirOf(State().appPath) + "/user.cfg";
}

bool IMgr_Cfg_App::LoadData() {
  StandInCall("IMgr_Cfg_App::LoadData");
  if (State().appPath.empty()) return false;
  RemoveLeftovers(State().appPath);
  RemoveLeftovers(State().userPath);
  LoadStore(State().appPath, &State().app);
  LoadStore(State().userPath, &State().user);
  State().appWritten.clear();
  State().userWritten.clear();
  return true;
}

namespace Util_Config {
bool AppCfg_ReadBool(int32_t key, bool* value) {
  int32_t v = 0;
  if (value == nullptr || !Read(key, &v)) return false;
  *value = v != 0;
  return true;
}

bool AppCfg_ReadInt32(int32_t key, int32_t* value) { return value != nullptr && Read(key, value); }

bool AppCfg_SaveBool(int32_t key, bool value) {
  return Save(key, 'b', value ? 1 : 0, &State().app, &State().appWritten, "AppCfg_SaveBool");
}

bool AppCfg_SaveInt32(int32_t key, int32_t value) {
  return Save(key, 'i', value, &State().app, &State().appWritten, "AppCfg_SaveInt32");
}

bool UserCfg_SaveBool(int32_t key, bool value) {
  return Save(key, 'b', value ? 1 : 0, &State().user, &State().userWritten, "UserCfg_SaveBool");
}

bool AppCfg_SaveCfg() {
  StandInCall("Util_Config::AppCfg_SaveCfg");
  Ledger& s = State();
  if (s.appPath.empty()) return false;
  bool ok = !Faults().cfgPersist;
  DirLock lock(DirOf(s.appPath));
  ok = ok && Persist(s.appPath, &s.app, &s.appWritten);
  ok = ok && Persist(s.userPath, &s.user, &s.userWritten);
  if (!ok) OMWarn_WriteLog(L"Ledger", kLedgerPersistLine);
  return ok;
}
}  // namespace Util_Config
