// The application framework: the process object with its start-up
// override, the framework windows the shell touches, and the entry point.
#pragma once

#include <memory>

#include "showcase/platform/win32.h"

class CWnd : public IWindowProcTarget {
 public:
  CWnd() = default;
  ~CWnd() override;
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  // A framework view of a native window, kept while the window lives.
  static CWnd* FromHandle(HWND hWnd);
  BOOL ShowWindow(int cmd);
  BOOL UpdateWindow();
  virtual BOOL DestroyWindow();
  // Centres over the alternate owner, else the parent, else the screen.
  void CenterWindow(CWnd* alternateOwner = nullptr);
  LRESULT WindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

  HWND m_hWnd = nullptr;
};

// Frame window; the shell uses a hidden placeholder.
class CFrameWnd : public CWnd {
 public:
  BOOL Create(LPCWSTR className, LPCWSTR title, DWORD style, const RECT& rect, CWnd* parent = nullptr);
};

class CShellManager {
 public:
  CShellManager();
  ~CShellManager();
};

class CMFCVisualManagerWindows {};

class CMFCVisualManager {
 public:
  template <class Manager>
  static void SetDefaultManager() {
    RecordDefaultManager("CMFCVisualManagerWindows");
  }
  static void RecordDefaultManager(const char* name);
};

void AfxEnableControlContainer();

class CWinApp {
 public:
  CWinApp() = default;
  virtual ~CWinApp() = default;
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  // The start-up override; returning FALSE ends the process without the
  // framework's own message loop.
  virtual BOOL InitInstance();
  virtual int ExitInstance();
  void SetRegistryKey(LPCWSTR key);

  CWnd* m_pMainWnd = nullptr;
};

class CWinAppEx : public CWinApp {};

// The framework's entry: runs the application object's start-up override.
int AfxWinMain(CWinApp* app);
