// Probe, the client's UI-automation base. A window derives from it and from
// SHostWnd and forwards the window-side operations to the toolkit window.
#pragma once

#include <vector>

#include "showcase/platform/soui.h"

class IUIATestCtrlBase {
 public:
  IUIATestCtrlBase() = default;
  virtual ~IUIATestCtrlBase() = default;

  virtual void SetUIAutoID(int id) { m_autoId = id; }
  virtual int GetUIAutoID() { return m_autoId; }
  virtual void SetIsAutoID(bool isAuto) { m_isAuto = isAuto; }
  virtual bool GetIsAuto() { return m_isAuto; }
  virtual void SetParentWndName(LPCWSTR name) { m_parentName = name == nullptr ? L"" : name; }
  virtual SStringW GetParentWndName() { return m_parentName; }
  virtual void SetUIWndID(int id) { m_wndId = id; }
  virtual int GetUIWndID() { return m_wndId; }
  virtual void AddChildCtrl(IUIATestCtrlBase* child) { m_children.push_back(child); }
  virtual void SetProvider(IUIAProvider* provider) { m_provider = provider; }
  virtual bool HasProvider() { return m_provider != nullptr; }
  virtual bool HasChildProvider() { return !m_children.empty(); }
  virtual bool IsItemPanelCtrl() { return false; }
  virtual void InitCtrlProvider() {}
  virtual void ReleaseProvider() { m_provider = nullptr; }
  virtual LRESULT OnGetObject(WPARAM /*wParam*/, LPARAM /*lParam*/) { return 0; }

  // Window side, implemented by the window.
  virtual IUIAProvider* GetProvider() = 0;
  virtual IUIAProvider* CreateProvider() = 0;
  virtual IUIAProvider* GetChildProviderByIndex(int index) = 0;
  virtual IUIAProvider* GetChildProviderByPoint(POINT pt) = 0;
  virtual IUIAProvider* GetFocusChildProvider() = 0;
  virtual BOOL GetUIACtrlRect(RECT* rect) = 0;
  virtual SStringW GetUIAText() = 0;
  virtual SStringW GetUITestID() = 0;
  virtual void SetUITestID(LPCWSTR id) = 0;
  virtual int GetUIMode() = 0;
  virtual void SortChildCtrl() = 0;
  virtual int GetUIAID() = 0;

 private:
  int m_autoId = 0;
  bool m_isAuto = false;
  SStringW m_parentName;
  int m_wndId = 0;
  std::vector<IUIATestCtrlBase*> m_children;
  IUIAProvider* m_provider = nullptr;
};
