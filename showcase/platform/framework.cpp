#include "showcase/platform/framework.h"

#include <map>

#include "showcase/platform/journal.h"
#include "showcase/platform/text.h"

namespace {
std::map<HWND, std::unique_ptr<CWnd>>& TempWnds() {
  static std::map<HWND, std::unique_ptr<CWnd>> wnds;
  return wnds;
}
}  // namespace

CWnd::~CWnd() {
  if (::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
}

CWnd* CWnd::FromHandle(HWND hWnd) {
  if (!::IsWindow(hWnd)) return nullptr;
  auto& wnds = TempWnds();
  for (auto it = wnds.begin(); it != wnds.end();) {
    it = ::IsWindow(it->first) ? std::next(it) : wnds.erase(it);
  }
  auto it = wnds.find(hWnd);
  if (it == wnds.end()) {
    auto wnd = std::make_unique<CWnd>();
    wnd->m_hWnd = hWnd;
    it = wnds.emplace(hWnd, std::move(wnd)).first;
  }
  return it->second.get();
}

BOOL CWnd::ShowWindow(int cmd) {
  StandInCall("CWnd::ShowWindow(" + WideToUtf8(WindowAlias(m_hWnd)) + "," + std::to_string(cmd) + ")");
  return ::ShowWindow(m_hWnd, cmd);
}

BOOL CWnd::UpdateWindow() {
  StandInCall("CWnd::UpdateWindow(" + WideToUtf8(WindowAlias(m_hWnd)) + ")");
  return ::UpdateWindow(m_hWnd);
}

BOOL CWnd::DestroyWindow() {
  StandInCall("CWnd::DestroyWindow(" + WideToUtf8(WindowAlias(m_hWnd)) + ")");
  BOOL ok = ::DestroyWindow(m_hWnd);
  m_hWnd = nullptr;
  return ok;
}

void CWnd::CenterWindow(CWnd* alternateOwner) {
  RECT mine{};
  if (!::GetWindowRect(m_hWnd, &mine)) return;
  RECT area{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT};
  HWND over = alternateOwner != nullptr ? alternateOwner->m_hWnd : ::GetParent(m_hWnd);
  if (over != nullptr) ::GetWindowRect(over, &area);
  int w = mine.right - mine.left;
  int h = mine.bottom - mine.top;
  ::MoveWindow(m_hWnd, area.left + ((area.right - area.left) - w) / 2, area.top + ((area.bottom - area.top) - h) / 2, w,
               h, TRUE);
}

LRESULT CWnd::WindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(hWnd, msg, wParam, lParam);
}

BOOL CFrameWnd::Create(LPCWSTR className, LPCWSTR title, DWORD style, const RECT& rect, CWnd* parent) {
  StandInCall("CFrameWnd::Create(class=" + WideToUtf8(className == nullptr ? L"" : className) +
              ",title=" + WideToUtf8(title == nullptr ? L"" : title) + ",style=" + std::to_string(style) +
              ",rect=" + std::to_string(rect.left) + "," + std::to_string(rect.top) + "," + std::to_string(rect.right) +
              "," + std::to_string(rect.bottom) + ",parent=" + (parent == nullptr ? "0" : "1") + ")");
  m_hWnd = CreateWindowStandIn(this, L"placeholder", parent == nullptr ? nullptr : parent->m_hWnd, style, 0, rect);
  return m_hWnd != nullptr ? TRUE : FALSE;
}

CShellManager::CShellManager() { StandInCall("CShellManager::CShellManager"); }
CShellManager::~CShellManager() { StandInCall("CShellManager::~CShellManager"); }

void CMFCVisualManager::RecordDefaultManager(const char* name) {
  StandInCall(std::string("CMFCVisualManager::SetDefaultManager(") + name + ")");
}

void AfxEnableControlContainer() { StandInCall("AfxEnableControlContainer"); }

BOOL CWinApp::InitInstance() {
  StandInCall("CWinApp::InitInstance");
  return TRUE;
}

int CWinApp::ExitInstance() { return StandInQuitCode(); }

void CWinApp::SetRegistryKey(LPCWSTR key) {
  StandInCall("CWinApp::SetRegistryKey(" + WideToUtf8(key == nullptr ? L"" : key) + ")");
}

// The showcase's InitInstance runs the loop itself and returns FALSE, so the
// framework's own loop is never entered and is left out here.
int AfxWinMain(CWinApp* app) {
  if (app == nullptr) return 1;
  app->InitInstance();
  return app->ExitInstance();
}
