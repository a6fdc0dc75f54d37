#include "showcase/platform/automation.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <vector>

#include "showcase/platform/basalt.h"
#include "showcase/platform/faults.h"
#include "showcase/platform/hearth.h"
#include "showcase/platform/journal.h"
#include "showcase/platform/kestrel.h"
#include "showcase/platform/ledger.h"
#include "showcase/platform/soui.h"
#include "showcase/platform/standin_env.h"
#include "showcase/platform/text.h"

namespace {

using Args = std::vector<std::string>;

std::string FullAlias(const std::string& alias) {
  if (alias == "main") return "dlg_Vitrine";
  if (alias == "setting") return "setting_Vitrine";
  if (alias == "bubble") return "tarn_bubble";
  return alias;
}

std::string AliasOf(SHostWnd* host) {
  std::wstring name = host->GetLayoutName();
  size_t colon = name.find(L':');
  return WideToUtf8(colon == std::wstring::npos ? name : name.substr(colon + 1));
}

uint64_t ZOrder(SHostWnd* host) {
  for (const WindowInfo& info : EnumStandInWindows()) {
    if (info.hwnd == host->m_hWnd) return info.zorder;
  }
  return 0;
}

// Visible windows from the top down, then hidden ones, then closed ones.
std::vector<SHostWnd*> HostsInSearchOrder() {
  std::vector<SHostWnd*> hosts = SHostWnd::AllHosts();
  auto rank = [](SHostWnd* h) { return h->IsWindow() ? (h->IsWindowVisible() ? 0 : 1) : 2; };
  std::stable_sort(hosts.begin(), hosts.end(), [&](SHostWnd* a, SHostWnd* b) {
    if (rank(a) != rank(b)) return rank(a) < rank(b);
    return ZOrder(a) > ZOrder(b);
  });
  return hosts;
}

SHostWnd* FindHost(const std::string& alias) {
  std::string full = FullAlias(alias);
  for (SHostWnd* h : HostsInSearchOrder()) {
    if (AliasOf(h) == full) return h;
  }
  return nullptr;
}

// "NAME" or "ALIAS:NAME"; "root" is a window's widget tree itself. Clicks
// and typing reach only visible windows.
SWindow* FindWidget(const std::string& spec, bool visibleOnly, std::ostream& out) {
  size_t colon = spec.find(':');
  std::string alias = colon == std::string::npos ? "" : FullAlias(spec.substr(0, colon));
  std::wstring name = Utf8ToWide(colon == std::string::npos ? spec : spec.substr(colon + 1));
  for (SHostWnd* h : HostsInSearchOrder()) {
    if (!alias.empty() && AliasOf(h) != alias) continue;
    if (visibleOnly && !h->IsWindowVisible()) continue;
    if (name == L"root" && h->GetRoot() != nullptr) return h->GetRoot();
    if (SWindow* w = h->FindChildByName(name.c_str())) return w;
  }
  out << "error: no widget " << spec << "\n";
  return nullptr;
}

// A whole number in decimal, 0x hex or 0 octal, with an optional sign, that
// fits between lo and hi; anything else is refused with a message naming it.
bool ParseNumber(const std::string& text, const char* what, long long lo, long long hi, long long* value,
                 std::ostream& out) {
  char* end = nullptr;
  errno = 0;
  long long v = std::strtoll(text.c_str(), &end, 0);
  bool whole = !text.empty() && end != text.c_str() && *end == '\0';
  if (!whole) {
    out << "error: " << what << " " << text << " is not a number\n";
    return false;
  }
  if (errno == ERANGE || v < lo || v > hi) {
    out << "error: " << what << " " << text << " is out of range\n";
    return false;
  }
  *value = v;
  return true;
}

bool ParseInt(const std::string& text, const char* what, int* value, std::ostream& out) {
  long long v = 0;
  if (!ParseNumber(text, what, INT_MIN, INT_MAX, &v, out)) return false;
  *value = static_cast<int>(v);
  return true;
}

// Message ids and parameters: any 32-bit pattern, signed or not.
bool ParseWord(const std::string& text, const char* what, long long* value, std::ostream& out) {
  return ParseNumber(text, what, INT_MIN, UINT_MAX, value, out);
}

void PrintFile(const std::string& label, const std::string& path, std::ostream& out) {
  std::ifstream in(path);
  out << label << ":\n";
  std::string line;
  while (std::getline(in, line)) out << "  " << line << "\n";
}

bool NeedArgs(const Args& a, size_t n, std::ostream& out) {
  if (a.size() >= n) return true;
  out << "error: missing arguments\n";
  return false;
}

// An optional last word that must be the given one when present: *given
// tells whether it was. Any other word, or more words, is refused.
bool OptionalWord(const Args& a, const char* word, bool* given, std::ostream& out) {
  *given = a.size() > 1 && a[1] == word;
  if (a.size() == 1 || (*given && a.size() == 2)) return true;
  out << "error: " << a[0] << " takes only \"" << word << "\"\n";
  return false;
}

bool CmdClick(const Args& a, const std::string&, std::ostream& out) {
  if (!NeedArgs(a, 2, out)) return false;
  SWindow* w = FindWidget(a[1], true, out);
  if (w == nullptr) return false;
  if (!w->IsVisible() || w->IsDisabled()) {
    out << "error: " << a[1] << " cannot be clicked\n";
    return false;
  }
  w->OnUserClick();
  return true;
}

// text NAME VALUE: the rest of the line after the name is typed as it is.
bool CmdText(const Args& a, const std::string& line, std::ostream& out) {
  if (!NeedArgs(a, 2, out)) return false;
  SWindow* w = FindWidget(a[1], true, out);
  if (w == nullptr) return false;
  size_t pos = line.find(a[1]) + a[1].size();
  std::string value = pos < line.size() ? line.substr(pos + 1) : "";
  if (w->GetHost() != nullptr) w->GetHost()->SetFocusedWidget(w);
  w->OnUserType(Utf8ToWide(value));
  return true;
}

bool CmdEvent(const Args& a, const std::string&, std::ostream& out) {
  int id = 0;
  if (!NeedArgs(a, 3, out) || !ParseInt(a[1], "event id", &id, out)) return false;
  SWindow* w = FindWidget(a[2], false, out);
  if (w == nullptr) return false;
  std::unique_ptr<EventArgs> evt = w->MakeEvent(id, a.size() > 3 ? a[3] : "");
  bool handled = w->FireEvent(*evt);
  out << "  handled=" << (handled ? 1 : 0) << "\n";
  return true;
}

bool CmdSelect(const Args& a, const std::string&, std::ostream& out) {
  int item = 0;
  if (!NeedArgs(a, 3, out) || !ParseInt(a[2], "item", &item, out)) return false;
  SWindow* w = FindWidget(a[1], true, out);
  if (w == nullptr) return false;
  if (!w->OnUserSelect(item)) out << "  (no selection change)\n";
  return true;
}

bool CmdFocus(const Args& a, const std::string&, std::ostream& out) {
  if (!NeedArgs(a, 2, out)) return false;
  SWindow* w = FindWidget(a[1], true, out);
  if (w == nullptr) return false;
  w->SetFocus();
  return true;
}

bool CmdFocusLost(const Args& a, const std::string&, std::ostream& out) {
  if (!NeedArgs(a, 2, out)) return false;
  SWindow* w = FindWidget(a[1], false, out);
  if (w == nullptr) return false;
  if (w->IsFocused()) {
    w->GetHost()->SetFocusedWidget(nullptr);
    return true;
  }
  EventKillFocus evt(w);
  w->FireEvent(evt);
  return true;
}

bool CmdDump(const Args& a, const std::string&, std::ostream& out) {
  if (!NeedArgs(a, 2, out)) return false;
  SWindow* w = FindWidget(a[1], false, out);
  if (w == nullptr) return false;
  std::vector<std::string> lines;
  w->DumpState(lines);
  for (const std::string& l : lines) out << l << "\n";
  return true;
}

bool CmdWindow(const Args& a, const std::string&, std::ostream& out) {
  if (!NeedArgs(a, 2, out)) return false;
  SHostWnd* h = FindHost(a[1]);
  if (h == nullptr) {
    out << "window " << FullAlias(a[1]) << " none\n";
    return true;
  }
  for (const std::string& l : h->DescribeState()) out << l << "\n";
  return true;
}

bool CmdWindows(const Args&, const std::string&, std::ostream& out) {
  for (const WindowInfo& info : EnumStandInWindows()) {
    out << "hwnd " << WideToUtf8(info.alias) << " parent=" << WideToUtf8(WindowAlias(info.parent))
        << " visible=" << info.visible << " max=" << info.maximized << " min=" << info.minimized
        << " rect=" << info.rect.left << "," << info.rect.top << "," << info.rect.right << "," << info.rect.bottom
        << "\n";
  }
  return true;
}

bool CmdLog(const Args&, const std::string&, std::ostream& out) {
  PrintFile("warn.log", OMWarn_LogPath(), out);
  return true;
}

void PrintStore(const std::string& label, const LedgerStore& store, std::ostream& out) {
  out << label << ":";
  for (const auto& kv : store) out << " " << kv.first << "=" << kv.second.value;
  out << "\n";
}

// "config": the stores as the program holds them; "config file": on disk.
bool CmdConfig(const Args& a, const std::string&, std::ostream& out) {
  bool file = false;
  if (!OptionalWord(a, "file", &file, out)) return false;
  if (file) {
    PrintFile("app.cfg", StandInConfigDir() + "/app.cfg", out);
    PrintFile("user.cfg", StandInConfigDir() + "/user.cfg", out);
    return true;
  }
  PrintStore("app", LedgerAppStore(), out);
  PrintStore("user", LedgerUserStore(), out);
  return true;
}

bool CmdCalls(const Args& a, const std::string&, std::ostream& out) {
  bool clear = false;
  if (!OptionalWord(a, "clear", &clear, out)) return false;
  if (clear) {
    ClearStandInCalls();
    return true;
  }
  for (const std::string& c : StandInCalls()) out << "  " << c << "\n";
  return true;
}

bool CmdKestrel(const Args&, const std::string&, std::ostream& out) {
  for (const std::string& l : KestrelRecord()) out << "  " << l << "\n";
  return true;
}

bool CmdSouiLog(const Args&, const std::string&, std::ostream& out) {
  for (const std::string& l : SLogManager::Lines()) out << "  " << l << "\n";
  return true;
}

bool CmdMsg(const Args& a, const std::string&, std::ostream& out) {
  if (!NeedArgs(a, 3, out)) return false;
  long long id = 0;
  long long w = 0;
  long long l = 0;
  if (!ParseWord(a[2], "message id", &id, out)) return false;
  if (a.size() > 3 && !ParseWord(a[3], "wparam", &w, out)) return false;
  if (a.size() > 4 && !ParseWord(a[4], "lparam", &l, out)) return false;
  SHostWnd* h = FindHost(a[1]);
  if (h == nullptr || !h->IsWindow()) {
    out << "error: no window " << a[1] << "\n";
    return false;
  }
  UINT msg = static_cast<UINT>(id);
  if (a[0] == "post") return PostMessageW(h->m_hWnd, msg, static_cast<WPARAM>(w), static_cast<LPARAM>(l)) != FALSE;
  out << "  result=" << SendMessageW(h->m_hWnd, msg, static_cast<WPARAM>(w), static_cast<LPARAM>(l)) << "\n";
  return true;
}

// The bubble groups made by "record", kept for the console's life so that
// their addresses stay valid; dispatch passes on no other address.
std::vector<std::unique_ptr<TarnBubbleGroupInfo>>& Records() {
  static std::vector<std::unique_ptr<TarnBubbleGroupInfo>> records;
  return records;
}

bool IsRecord(long long address) {
  for (const auto& r : Records()) {
    if (reinterpret_cast<long long>(r.get()) == address) return true;
  }
  return false;
}

// record KIND GROUP [X Y SIDE]: a bubble group, with one bubble anchored at
// (X, Y) when given; prints the address to pass to dispatch.
bool CmdRecord(const Args& a, const std::string&, std::ostream& out) {
  int kind = 0;
  int group = 0;
  if (!NeedArgs(a, 3, out) || !ParseInt(a[1], "kind", &kind, out) || !ParseInt(a[2], "group", &group, out)) {
    return false;
  }
  auto info = std::make_unique<TarnBubbleGroupInfo>();
  info->kind = kind;
  info->groupId = group;
  info->bubbles = std::make_shared<std::vector<std::shared_ptr<TarnBubbleInfo>>>();
  if (a.size() > 3) {
    auto bubble = std::make_shared<TarnBubbleInfo>();
    if (!NeedArgs(a, 6, out) || !ParseInt(a[3], "x", &bubble->anchorX, out) ||
        !ParseInt(a[4], "y", &bubble->anchorY, out) || !ParseInt(a[5], "side", &bubble->side, out)) {
      return false;
    }
    info->bubbles->push_back(bubble);
  }
  out << "  record=0x" << std::hex << reinterpret_cast<uintptr_t>(info.get()) << std::dec << "\n";
  Records().push_back(std::move(info));
  return true;
}

// dispatch ID [P1|none]: without P1 no body; "none" a body without p1; P1 is
// 0 or the address of a record made by "record".
bool CmdDispatch(const Args& a, const std::string&, std::ostream& out) {
  long long id = 0;
  if (!NeedArgs(a, 2, out) || !ParseWord(a[1], "message id", &id, out)) return false;
  std::shared_ptr<msg_body> body;
  if (a.size() > 2) {
    body = std::make_shared<msg_body>();
    long long p1 = 0;
    if (a[2] != "none") {
      if (!ParseNumber(a[2], "p1", LLONG_MIN, LLONG_MAX, &p1, out)) return false;
      if (p1 != 0 && !IsRecord(p1)) {
        out << "error: p1 " << a[2] << " is not a record made by the console\n";
        return false;
      }
      body->set_p1(p1);
    }
  }
  bool taken = IMessageDispatch::Send(static_cast<UINT>(id), 0, body, false);
  out << "  taken=" << (taken ? 1 : 0) << "\n";
  return true;
}

bool CmdMove(const Args& a, const std::string&, std::ostream& out) {
  int x = 0;
  int y = 0;
  if (!NeedArgs(a, 4, out) || !ParseInt(a[2], "x", &x, out) || !ParseInt(a[3], "y", &y, out)) return false;
  SHostWnd* h = FindHost(a[1]);
  RECT r{};
  if (h == nullptr || !h->GetWindowRect(&r)) {
    out << "error: no window " << a[1] << "\n";
    return false;
  }
  bool resize = a[0] == "resize";
  int w = resize ? x : r.right - r.left;
  int hgt = resize ? y : r.bottom - r.top;
  return MoveWindow(h->m_hWnd, resize ? r.left : x, resize ? r.top : y, w, hgt, TRUE) != FALSE;
}

bool CmdCursor(const Args& a, const std::string&, std::ostream& out) {
  int x = 0;
  int y = 0;
  if (!NeedArgs(a, 3, out) || !ParseInt(a[1], "x", &x, out) || !ParseInt(a[2], "y", &y, out)) return false;
  SetStandInCursorPos(x, y);
  return true;
}

bool CmdClose(const Args& a, const std::string&, std::ostream& out) {
  SHostWnd* h = FindHost(a.size() > 1 ? a[1] : "main");
  if (h == nullptr || !h->IsWindow()) {
    out << "error: no window to close\n";
    return false;
  }
  return PostMessageW(h->m_hWnd, WM_CLOSE, 0, 0) != FALSE;
}

bool CmdFault(const Args& a, const std::string&, std::ostream& out) {
  if (!NeedArgs(a, 2, out)) return false;
  if (ApplyFaultSpec(a[1])) return true;
  out << "error: unknown fault " << a[1] << "\n";
  return false;
}

bool CmdLink(const Args&, const std::string&, std::ostream& out) {
  if (CTarnDefaultDialog::ClickLastLink()) return true;
  out << "error: no dialog link\n";
  return false;
}

bool CmdGdi(const Args&, const std::string&, std::ostream& out) {
  GdiStats s = StandInGdiStats();
  out << "  dcs=" << s.liveDCs << " bitmaps=" << s.liveBitmaps << " printed=" << s.printed << "\n";
  return true;
}

using Command = std::function<bool(const Args&, const std::string&, std::ostream&)>;

const std::map<std::string, Command>& Commands() {
  static const std::map<std::string, Command> commands = {
      {"click", CmdClick},     {"text", CmdText},         {"event", CmdEvent},
      {"select", CmdSelect},   {"focus", CmdFocus},       {"focus-lost", CmdFocusLost},
      {"dump", CmdDump},       {"window", CmdWindow},     {"windows", CmdWindows},
      {"log", CmdLog},         {"config", CmdConfig},     {"calls", CmdCalls},
      {"kestrel", CmdKestrel}, {"soui-log", CmdSouiLog},  {"msg", CmdMsg},
      {"post", CmdMsg},        {"dispatch", CmdDispatch}, {"record", CmdRecord},
      {"move", CmdMove},       {"resize", CmdMove},       {"cursor", CmdCursor},
      {"close", CmdClose},     {"fault", CmdFault},       {"link", CmdLink},
      {"gdi", CmdGdi},
  };
  return commands;
}

struct Console {
  std::istream* in = nullptr;
  std::ostream* out = nullptr;
  bool closedAtEnd = false;
};

Console& TheConsole() {
  static Console console;
  return console;
}

// At the end of input: close the main window once, then report exhaustion.
bool CloseAtEnd() {
  Console& c = TheConsole();
  if (c.closedAtEnd) return false;
  c.closedAtEnd = true;
  for (SHostWnd* h : SHostWnd::AllHosts()) {
    if (h->IsWindow() && GetParent(h->m_hWnd) == nullptr) {
      (*c.out) << "> (end of input: closing " << AliasOf(h) << ")\n";
      c.out->flush();
      return PostMessageW(h->m_hWnd, WM_CLOSE, 0, 0) != FALSE;
    }
  }
  return false;
}

bool NextCommand() {
  Console& c = TheConsole();
  std::string line;
  if (c.closedAtEnd || !std::getline(*c.in, line)) return CloseAtEnd();
  if (!line.empty() && line.back() == '\r') line.pop_back();
  RunAutomationCommand(line, *c.out);
  c.out->flush();
  return true;
}

}  // namespace

bool RunAutomationCommand(const std::string& line, std::ostream& out) {
  std::istringstream words(line);
  Args args;
  std::string word;
  while (words >> word) args.push_back(word);
  if (args.empty() || args[0][0] == '#') return true;
  out << "> " << line << "\n";
  auto it = Commands().find(args[0]);
  if (it == Commands().end()) {
    out << "error: unknown command " << args[0] << "\n";
    return false;
  }
  return it->second(args, line, out);
}

void InstallAutomationConsole(std::istream& in, std::ostream& out) {
  TheConsole().in = &in;
  TheConsole().out = &out;
  SetIdleMessageSource(NextCommand);
}
