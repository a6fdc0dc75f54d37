// Win32 subset the showcase runs on: window handles, the per-thread message
// queue, a memory DC whose PrintWindow succeeds, COM/GDI+ start-up and the
// user's default language.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

using BOOL = int;
using UINT = unsigned int;
using DWORD = uint32_t;
using WORD = uint16_t;
using LANGID = uint16_t;
using LONG = int32_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using HRESULT = int32_t;
using ULONG_PTR = uintptr_t;
using LPCWSTR = const wchar_t*;
using LPWSTR = wchar_t*;

struct HWND__;
using HWND = HWND__*;
struct HDC__;
using HDC = HDC__*;
struct HBITMAP__;
using HBITMAP = HBITMAP__*;
using HGDIOBJ = void*;
struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;
constexpr int MAX_PATH = 260;
constexpr HRESULT S_OK = 0;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);

struct POINT {
  LONG x;
  LONG y;
};
struct RECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};

struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_MOVE = 0x0003;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_SYSCOMMAND = 0x0112;
constexpr UINT WM_CTLCOLORMSGBOX = 0x0132;
constexpr UINT WM_CTLCOLORSTATIC = 0x0138;

constexpr WPARAM SIZE_RESTORED = 0;
constexpr WPARAM SIZE_MINIMIZED = 1;
constexpr WPARAM SIZE_MAXIMIZED = 2;

constexpr WPARAM SC_MINIMIZE = 0xF020;
constexpr WPARAM SC_MAXIMIZE = 0xF030;
constexpr WPARAM SC_RESTORE = 0xF120;

constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOW = 5;

constexpr DWORD WS_CAPTION = 0x00C00000;
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_CLIPSIBLINGS = 0x04000000;
constexpr DWORD WS_SYSMENU = 0x00080000;

constexpr DWORD ICC_WIN95_CLASSES = 0x000000FF;

constexpr int SCREEN_WIDTH = 1920;
constexpr int SCREEN_HEIGHT = 1080;

inline LPARAM MAKELPARAM(int lo, int hi) {
  return static_cast<LPARAM>((static_cast<uint32_t>(hi & 0xFFFF) << 16) | static_cast<uint32_t>(lo & 0xFFFF));
}

// What a native window is bound to: the object whose procedure gets its messages.
class IWindowProcTarget {
 public:
  virtual ~IWindowProcTarget() = default;
  virtual LRESULT WindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) = 0;
};

// Native windows. The stand-in keeps a record per handle; handles are never
// reused, so IsWindow on a destroyed handle is false.
HWND CreateWindowStandIn(IWindowProcTarget* target, const std::wstring& alias, HWND parent, DWORD style, DWORD exStyle,
                         const RECT& rect);
BOOL IsWindow(HWND hWnd);
BOOL DestroyWindow(HWND hWnd);
BOOL ShowWindow(HWND hWnd, int cmd);
BOOL UpdateWindow(HWND hWnd);
BOOL IsWindowVisible(HWND hWnd);
BOOL BringWindowToTop(HWND hWnd);
BOOL GetWindowRect(HWND hWnd, RECT* rect);
BOOL GetClientRect(HWND hWnd, RECT* rect);
BOOL MoveWindow(HWND hWnd, int x, int y, int width, int height, BOOL repaint);
HWND GetParent(HWND hWnd);
LRESULT SendMessageW(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL PostMessageW(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
BOOL GetMessageW(MSG* msg, HWND hWnd, UINT filterMin, UINT filterMax);
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessageW(const MSG* msg);
BOOL GetCursorPos(POINT* pt);

// The system's own handling of a message nobody took (sizing commands, close).
LRESULT DefWindowProcW(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Stand-in inspection and control, for the automation console and tests.
struct WindowInfo {
  HWND hwnd;
  std::wstring alias;
  HWND parent;
  DWORD style;
  RECT rect;
  bool visible;
  bool maximized;
  bool minimized;
  uint64_t zorder;  // larger is nearer the top
};
std::vector<WindowInfo> EnumStandInWindows();  // live windows, in creation order
std::wstring WindowAlias(HWND hWnd);           // "0" for null, "?" for a dead handle
void SetStandInCursorPos(int x, int y);
int StandInQuitCode();
// Called by GetMessageW whenever the queue is empty; returns false when the
// source is exhausted. The default source is the automation console on stdin.
using IdleMessageSource = std::function<bool()>;
void SetIdleMessageSource(IdleMessageSource source);

// GDI: a memory DC with a compatible bitmap.
HDC GetDC(HWND hWnd);
int ReleaseDC(HWND hWnd, HDC dc);
HDC CreateCompatibleDC(HDC dc);
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
HGDIOBJ SelectObject(HDC dc, HGDIOBJ obj);
BOOL PrintWindow(HWND hWnd, HDC dc, UINT flags);
BOOL DeleteDC(HDC dc);
BOOL DeleteObject(HGDIOBJ obj);
struct GdiStats {
  int liveDCs;
  int liveBitmaps;
  int printed;  // successful PrintWindow calls
};
GdiStats StandInGdiStats();

// Common controls, COM and GDI+.
struct INITCOMMONCONTROLSEX {
  DWORD dwSize;
  DWORD dwICC;
};
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* icc);
HRESULT CoInitialize(void* reserved);
void CoUninitialize();
namespace Gdiplus {
struct GdiplusStartupInput {
  uint32_t GdiplusVersion = 1;
  void* DebugEventCallback = nullptr;
  BOOL SuppressBackgroundThread = FALSE;
  BOOL SuppressExternalCodecs = FALSE;
};
enum Status { Ok = 0, GenericError = 1 };
}  // namespace Gdiplus
Gdiplus::Status GdiplusStartup(ULONG_PTR* token, const Gdiplus::GdiplusStartupInput* input, void* output);
void GdiplusShutdown(ULONG_PTR token);

HINSTANCE AfxGetInstanceHandle();

// The user's default language, from LANG: zh_CN 0x0804, zh_TW 0x0404,
// zh_HK 0x0C04, en_US 0x0409 and the other English locales their own English
// ids; a few other languages their ids; unset, C or POSIX 0x0409.
LANGID GetUserDefaultLangID();
LANGID LangIdFromLocaleName(const std::string& locale);
