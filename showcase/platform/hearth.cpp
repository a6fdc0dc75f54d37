#include "showcase/platform/hearth.h"

#include <cwchar>
#include <fstream>
#include <map>
#include <vector>

#include "showcase/platform/basalt.h"
#include "showcase/platform/faults.h"
#include "showcase/platform/journal.h"
#include "showcase/platform/standin_env.h"
#include "showcase/platform/text.h"

namespace {
struct Binding {
  UINT msgId;
  IMessageDispatch::Callback callback;
  void* owner;
};

std::vector<Binding>& Bindings() {
  static std::vector<Binding> bindings;
  return bindings;
}

int& Language() {
  static int language = 0;
  return language;
}

bool CopyPath(const std::string& path, wchar_t* buffer) {
  if (buffer == nullptr) return false;
  std::wstring wide = Utf8ToWide(path);
  buffer[0] = L'\0';
  if (wide.size() >= static_cast<size_t>(MAX_PATH)) return false;
  std::wmemcpy(buffer, wide.c_str(), wide.size() + 1);
  return true;
}

using StringTable = std::map<int, std::wstring>;

// "ID=text" per line; other lines are ignored.
StringTable LoadTable(int language) {
  StringTable table;
  std::ifstream in(StandInResourceDir() + "/lang/lang_" + std::to_string(language) + ".txt");
  std::string line;
  while (std::getline(in, line)) {
    size_t eq = line.find('=');
    if (eq == std::string::npos || eq == 0) continue;
    int32_t id = 0;
    std::wstring key = Utf8ToWide(line.substr(0, eq));
    if (!OM::StrToInt32(key.c_str(), &id)) continue;
    table[id] = Utf8ToWide(line.substr(eq + 1));
  }
  return table;
}
}  // namespace

bool IMessageDispatch::Init() {
  StandInCall("IMessageDispatch::Init");
  return true;
}

void IMessageDispatch::UnInit() {
  StandInCall("IMessageDispatch::UnInit");
  Bindings().clear();
}

void IMessageDispatch::Bind(UINT msgId, Callback callback, void* owner) {
  Bindings().push_back(Binding{msgId, std::move(callback), owner});
}

void IMessageDispatch::UnBind(void* owner) {
  auto& b = Bindings();
  for (size_t i = b.size(); i-- > 0;) {
    if (b[i].owner == owner) b.erase(b.begin() + static_cast<long>(i));
  }
}

bool IMessageDispatch::Send(UINT msgId, WPARAM param, std::shared_ptr<msg_body> body, bool /*flag*/) {
  StandInCall("IMessageDispatch::Send(" + std::to_string(msgId) + ")");
  std::vector<Callback> targets;
  for (const Binding& b : Bindings()) {
    if (b.msgId == msgId) targets.push_back(b.callback);
  }
  for (const Callback& cb : targets) cb(msgId, param, body);
  return !targets.empty();
}

bool IMessageDispatch::Send(UINT msgId, std::shared_ptr<msg_body> body, bool flag) {
  return Send(msgId, 0, std::move(body), flag);
}

bool IComm_Path::GetCommFilePath(int kind, wchar_t* buffer) {
  std::string name = kind == 2 ? "app.cfg" : "common_" + std::to_string(kind) + ".dat";
  return CopyPath(StandInConfigDir() + "/" + name, buffer);
}

// A skin the faults mark missing points into a folder that does not exist.
bool IComm_Path::GetSkinFilePath(int skinId, wchar_t* buffer) {
  std::string folder = SkinFileMissing(skinId) ? "/skins-missing/" : "/skins/";
  return CopyPath(StandInResourceDir() + folder + "skin_" + std::to_string(skinId) + ".skin", buffer);
}

bool IData_QueryLanguage::Init() {
  StandInCall("IData_QueryLanguage::Init");
  return true;
}

void IData_QueryLanguage::UnInit() { StandInCall("IData_QueryLanguage::UnInit"); }

void IData_QueryLanguage::SetLanguage(int languageId) {
  StandInCall("IData_QueryLanguage::SetLanguage(" + std::to_string(languageId) + ")");
  Language() = languageId;
}

int IData_QueryLanguage::GetLanguage() { return Language(); }

int ZPixel(int designPixels) { return static_cast<int>(designPixels * OM::GetAppZoomX()); }

BaseString::BaseString(int id) {
  static std::map<int, StringTable> cache;
  int language = IData_QueryLanguage::GetLanguage();
  auto it = cache.find(language);
  if (it == cache.end()) it = cache.emplace(language, LoadTable(language)).first;
  auto text = it->second.find(id);
  if (text != it->second.end()) m_text = text->second;
}
