#include "showcase/platform/win32.h"

#include <cstdlib>
#include <deque>
#include <map>
#include <set>

#include "showcase/platform/journal.h"
#include "showcase/platform/text.h"

namespace {

struct WindowRecord {
  IWindowProcTarget* target = nullptr;
  std::wstring alias;
  HWND parent = nullptr;
  DWORD style = 0;
  RECT rect{0, 0, 0, 0};
  bool visible = false;
  bool maximized = false;
  bool minimized = false;
  bool destroying = false;
  RECT restoreRect{0, 0, 0, 0};
  uint64_t zorder = 0;
};

struct WindowTable {
  std::map<uintptr_t, WindowRecord> records;
  uintptr_t nextHandle = 0x10000;
  uint64_t nextZ = 1;
};

WindowTable& Windows() {
  static WindowTable table;
  return table;
}

WindowRecord* Find(HWND hWnd) {
  auto& recs = Windows().records;
  auto it = recs.find(reinterpret_cast<uintptr_t>(hWnd));
  return it == recs.end() ? nullptr : &it->second;
}

struct ThreadQueue {
  std::deque<MSG> messages;
  int quitCode = 0;
};

ThreadQueue& Queue() {
  thread_local ThreadQueue queue;
  return queue;
}

IdleMessageSource& IdleSource() {
  static IdleMessageSource source;
  return source;
}

POINT& Cursor() {
  static POINT pt{0, 0};
  return pt;
}

struct GdiTable {
  std::set<uintptr_t> dcs;
  std::set<uintptr_t> bitmaps;
  uintptr_t next = 0x500000;
  int printed = 0;
};

GdiTable& Gdi() {
  static GdiTable table;
  return table;
}

// Moves a window and tells it, as the system does after a position change.
void Reposition(HWND hWnd, const RECT& rect) {
  WindowRecord* rec = Find(hWnd);
  if (rec == nullptr) return;
  bool moved = rec->rect.left != rect.left || rec->rect.top != rect.top;
  bool sized = (rec->rect.right - rec->rect.left) != (rect.right - rect.left) ||
               (rec->rect.bottom - rec->rect.top) != (rect.bottom - rect.top);
  rec->rect = rect;
  if (moved) SendMessageW(hWnd, WM_MOVE, 0, MAKELPARAM(rect.left, rect.top));
  if (sized) {
    WPARAM kind = SIZE_RESTORED;
    WindowRecord* now = Find(hWnd);
    if (now != nullptr && now->maximized) kind = SIZE_MAXIMIZED;
    SendMessageW(hWnd, WM_SIZE, kind, MAKELPARAM(rect.right - rect.left, rect.bottom - rect.top));
  }
}

LRESULT SysCommand(HWND hWnd, WPARAM cmd) {
  WindowRecord* rec = Find(hWnd);
  if (rec == nullptr) return 0;
  if (cmd == SC_MINIMIZE) {
    rec->minimized = true;
    SendMessageW(hWnd, WM_SIZE, SIZE_MINIMIZED, 0);
    return 0;
  }
  if (cmd == SC_MAXIMIZE) {
    if (!rec->maximized) rec->restoreRect = rec->rect;
    rec->maximized = true;
    rec->minimized = false;
    RECT full{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT};
    if (rec->rect.left != 0 || rec->rect.top != 0) SendMessageW(hWnd, WM_MOVE, 0, 0);
    rec->rect = full;
    SendMessageW(hWnd, WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(SCREEN_WIDTH, SCREEN_HEIGHT));
    return 0;
  }
  if (cmd == SC_RESTORE) {
    bool wasMax = rec->maximized;
    rec->minimized = false;
    rec->maximized = false;
    if (wasMax) {
      Reposition(hWnd, rec->restoreRect);
    }
    SendMessageW(hWnd, WM_SIZE, SIZE_RESTORED, 0);
  }
  return 0;
}

}  // namespace

HWND CreateWindowStandIn(IWindowProcTarget* target, const std::wstring& alias, HWND parent, DWORD style,
                         DWORD /*exStyle*/, const RECT& rect) {
  WindowTable& table = Windows();
  uintptr_t id = table.nextHandle;
  table.nextHandle += 0x10;
  WindowRecord rec;
  rec.target = target;
  rec.alias = alias;
  rec.parent = parent;
  rec.style = style;
  rec.rect = rect;
  rec.visible = (style & WS_VISIBLE) != 0;
  rec.zorder = table.nextZ++;
  table.records[id] = rec;
  return reinterpret_cast<HWND>(id);
}

BOOL IsWindow(HWND hWnd) { return Find(hWnd) != nullptr ? TRUE : FALSE; }

// WM_DESTROY goes to the window first, then its remaining children and owned
// windows are destroyed, then the handle dies.
BOOL DestroyWindow(HWND hWnd) {
  WindowRecord* rec = Find(hWnd);
  if (rec == nullptr || rec->destroying) return FALSE;
  rec->destroying = true;
  rec->visible = false;
  SendMessageW(hWnd, WM_DESTROY, 0, 0);
  std::vector<HWND> children;
  for (auto& kv : Windows().records) {
    if (kv.second.parent == hWnd) children.push_back(reinterpret_cast<HWND>(kv.first));
  }
  for (HWND child : children) DestroyWindow(child);
  StandInCall("WindowDestroyed(" + WideToUtf8(Find(hWnd)->alias) + ")");
  Windows().records.erase(reinterpret_cast<uintptr_t>(hWnd));
  return TRUE;
}

BOOL ShowWindow(HWND hWnd, int cmd) {
  WindowRecord* rec = Find(hWnd);
  if (rec == nullptr) return FALSE;
  BOOL was = rec->visible ? TRUE : FALSE;
  rec->visible = cmd != SW_HIDE;
  if (rec->visible) rec->zorder = Windows().nextZ++;
  return was;
}

BOOL UpdateWindow(HWND hWnd) { return IsWindow(hWnd); }

BOOL IsWindowVisible(HWND hWnd) {
  WindowRecord* rec = Find(hWnd);
  return rec != nullptr && rec->visible ? TRUE : FALSE;
}

BOOL BringWindowToTop(HWND hWnd) {
  WindowRecord* rec = Find(hWnd);
  if (rec == nullptr) return FALSE;
  rec->zorder = Windows().nextZ++;
  return TRUE;
}

BOOL GetWindowRect(HWND hWnd, RECT* rect) {
  WindowRecord* rec = Find(hWnd);
  if (rec == nullptr || rect == nullptr) return FALSE;
  *rect = rec->rect;
  return TRUE;
}

BOOL GetClientRect(HWND hWnd, RECT* rect) {
  WindowRecord* rec = Find(hWnd);
  if (rec == nullptr || rect == nullptr) return FALSE;
  *rect = RECT{0, 0, rec->rect.right - rec->rect.left, rec->rect.bottom - rec->rect.top};
  return TRUE;
}

BOOL MoveWindow(HWND hWnd, int x, int y, int width, int height, BOOL /*repaint*/) {
  if (Find(hWnd) == nullptr) return FALSE;
  Reposition(hWnd, RECT{x, y, x + width, y + height});
  return TRUE;
}

HWND GetParent(HWND hWnd) {
  WindowRecord* rec = Find(hWnd);
  return rec == nullptr ? nullptr : rec->parent;
}

LRESULT SendMessageW(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  WindowRecord* rec = Find(hWnd);
  if (rec == nullptr) return 0;
  if (rec->target == nullptr) return DefWindowProcW(hWnd, msg, wParam, lParam);
  return rec->target->WindowProc(hWnd, msg, wParam, lParam);
}

BOOL PostMessageW(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (hWnd != nullptr && Find(hWnd) == nullptr) return FALSE;
  Queue().messages.push_back(MSG{hWnd, msg, wParam, lParam});
  return TRUE;
}

void PostQuitMessage(int exitCode) {
  Queue().quitCode = exitCode;
  Queue().messages.push_back(MSG{nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0});
}

int StandInQuitCode() { return Queue().quitCode; }

void SetIdleMessageSource(IdleMessageSource source) { IdleSource() = std::move(source); }

// When the queue runs dry the idle source is asked for more; an exhausted
// source with nothing queued ends the loop as a quit would.
BOOL GetMessageW(MSG* msg, HWND /*hWnd*/, UINT /*filterMin*/, UINT /*filterMax*/) {
  ThreadQueue& q = Queue();
  while (q.messages.empty()) {
    bool more = IdleSource() ? IdleSource()() : false;
    if (!more && q.messages.empty()) {
      PostQuitMessage(0);
    }
  }
  *msg = q.messages.front();
  q.messages.pop_front();
  return msg->message == WM_QUIT ? FALSE : TRUE;
}

BOOL TranslateMessage(const MSG* /*msg*/) { return FALSE; }

LRESULT DispatchMessageW(const MSG* msg) {
  if (msg == nullptr || msg->hwnd == nullptr) return 0;
  return SendMessageW(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL GetCursorPos(POINT* pt) {
  if (pt == nullptr) return FALSE;
  *pt = Cursor();
  return TRUE;
}

void SetStandInCursorPos(int x, int y) { Cursor() = POINT{x, y}; }

LRESULT DefWindowProcW(HWND hWnd, UINT msg, WPARAM wParam, LPARAM /*lParam*/) {
  if (msg == WM_SYSCOMMAND) return SysCommand(hWnd, wParam & 0xFFF0);
  if (msg == WM_CLOSE) DestroyWindow(hWnd);
  return 0;
}

std::vector<WindowInfo> EnumStandInWindows() {
  std::vector<WindowInfo> out;
  for (auto& kv : Windows().records) {
    const WindowRecord& r = kv.second;
    out.push_back(WindowInfo{reinterpret_cast<HWND>(kv.first), r.alias, r.parent, r.style, r.rect, r.visible,
                             r.maximized, r.minimized, r.zorder});
  }
  return out;
}

std::wstring WindowAlias(HWND hWnd) {
  if (hWnd == nullptr) return L"0";
  WindowRecord* rec = Find(hWnd);
  return rec == nullptr ? L"?" : rec->alias;
}

HDC GetDC(HWND hWnd) {
  if (hWnd != nullptr && Find(hWnd) == nullptr) return nullptr;
  uintptr_t id = Gdi().next++;
  Gdi().dcs.insert(id);
  return reinterpret_cast<HDC>(id);
}

int ReleaseDC(HWND /*hWnd*/, HDC dc) { return Gdi().dcs.erase(reinterpret_cast<uintptr_t>(dc)) ? 1 : 0; }

HDC CreateCompatibleDC(HDC /*dc*/) {
  uintptr_t id = Gdi().next++;
  Gdi().dcs.insert(id);
  return reinterpret_cast<HDC>(id);
}

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) {
  if (dc == nullptr || width <= 0 || height <= 0) return nullptr;
  uintptr_t id = Gdi().next++;
  Gdi().bitmaps.insert(id);
  return reinterpret_cast<HBITMAP>(id);
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ obj) {
  if (Gdi().dcs.count(reinterpret_cast<uintptr_t>(dc)) == 0) return nullptr;
  return obj;
}

BOOL PrintWindow(HWND hWnd, HDC dc, UINT /*flags*/) {
  if (Find(hWnd) == nullptr || Gdi().dcs.count(reinterpret_cast<uintptr_t>(dc)) == 0) return FALSE;
  ++Gdi().printed;
  return TRUE;
}

BOOL DeleteDC(HDC dc) { return Gdi().dcs.erase(reinterpret_cast<uintptr_t>(dc)) ? TRUE : FALSE; }

BOOL DeleteObject(HGDIOBJ obj) { return Gdi().bitmaps.erase(reinterpret_cast<uintptr_t>(obj)) ? TRUE : FALSE; }

GdiStats StandInGdiStats() {
  return GdiStats{static_cast<int>(Gdi().dcs.size()), static_cast<int>(Gdi().bitmaps.size()), Gdi().printed};
}

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* icc) {
  if (icc == nullptr) return FALSE;
  StandInCall("InitCommonControlsEx(size=" + std::to_string(icc->dwSize) + ",icc=" + std::to_string(icc->dwICC) + ")");
  return TRUE;
}

HRESULT CoInitialize(void* /*reserved*/) {
  StandInCall("CoInitialize");
  return S_OK;
}

void CoUninitialize() { StandInCall("CoUninitialize"); }

Gdiplus::Status GdiplusStartup(ULONG_PTR* token, const Gdiplus::GdiplusStartupInput* input, void* /*output*/) {
  if (token == nullptr || input == nullptr) return Gdiplus::GenericError;
  StandInCall("GdiplusStartup(version=" + std::to_string(input->GdiplusVersion) + ")");
  *token = 0x6D1;
  return Gdiplus::Ok;
}

void GdiplusShutdown(ULONG_PTR /*token*/) { StandInCall("GdiplusShutdown"); }

HINSTANCE AfxGetInstanceHandle() { return reinterpret_cast<HINSTANCE>(static_cast<uintptr_t>(0x400000)); }

LANGID LangIdFromLocaleName(const std::string& locale) {
  struct Row {
    const char* prefix;
    LANGID id;
  };
  static constexpr Row kRows[] = {
      {"zh_CN", 0x0804}, {"zh_SG", 0x1004}, {"zh_TW", 0x0404}, {"zh_HK", 0x0C04}, {"zh_MO", 0x1404},
      {"en_US", 0x0409}, {"en_GB", 0x0809}, {"en_AU", 0x0C09}, {"en_CA", 0x1009}, {"de_DE", 0x0407},
      {"fr_FR", 0x040C}, {"ja_JP", 0x0411}, {"ko_KR", 0x0412}, {"zh", 0x0804},    {"en", 0x0409},
      {"de", 0x0407},    {"fr", 0x040C},    {"ja", 0x0411},    {"ko", 0x0412},
  };
  for (const Row& row : kRows) {
    if (locale.compare(0, std::string(row.prefix).size(), row.prefix) == 0) return row.id;
  }
  return 0x0409;
}

LANGID GetUserDefaultLangID() {
  const char* lang = std::getenv("LANG");
  return LangIdFromLocaleName(lang == nullptr ? "" : lang);
}
