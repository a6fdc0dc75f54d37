// The bubble window's event and message maps. The window itself comes from
// the control library; its maps are declared in its class and defined here.
#include <array>

#include "showcase/host_window.h"
#include "showcase/platform/kestrel.h"

namespace {
constexpr UINT kMsgSkinChanged = 2076;
}  // namespace

// Only clicks are handled: close, next, before and the background.
BOOL CTarnBubbleWnd::_HandleEvent(EventArgs* pEvt) {
  struct Route {
    const wchar_t* name;
    void (CTarnBubbleWnd::*handler)();
  };
  static constexpr std::array<Route, 4> kRoutes = {{
      {L"btn_close", &CTarnBubbleWnd::OnBtnClose},
      {L"btn_next", &CTarnBubbleWnd::OnBtnNext},
      {L"btn_before", &CTarnBubbleWnd::OnBtnBefore},
      {L"pop", &CTarnBubbleWnd::OnBgWndClick},
  }};
  if (pEvt == nullptr || pEvt->GetID() != EVT_CMD || pEvt->nameFrom == nullptr) return FALSE;
  SStringW name = pEvt->nameFrom;
  for (const Route& r : kRoutes) {
    if (name != r.name) continue;
    pEvt->bubbleUp = false;
    (this->*r.handler)();
    return TRUE;
  }
  return FALSE;
}

// The handled flag is saved around the whole call.
BOOL CTarnBubbleWnd::ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult,
                                          DWORD dwMsgMapID) {
  BOOL savedHandled = m_bMsgHandled;
  BOOL handled = _ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult, dwMsgMapID);
  m_bMsgHandled = savedHandled;
  return handled;
}

BOOL CTarnBubbleWnd::_ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult,
                                           DWORD dwMsgMapID) {
  if (dwMsgMapID != 0) return FALSE;
  if (uMsg == WM_INITDIALOG) {
    SetMsgHandled(TRUE);
    lResult = OnInitDialog(wParam, lParam);
    if (IsMsgHandled()) return TRUE;
  } else if (uMsg == WM_DESTROY) {
    SetMsgHandled(TRUE);
    OnDestroy();
    lResult = 0;
    if (IsMsgHandled()) return TRUE;
  } else if (uMsg == kMsgSkinChanged) {
    SetMsgHandled(TRUE);
    OnRefresh();
    lResult = 0;
    if (IsMsgHandled()) return TRUE;
  }
  return ChainToHostAndReflect(this, hWnd, uMsg, wParam, lParam, lResult, dwMsgMapID);
}

BOOL CTarnBubbleWnd::IsMsgHandled() const { return m_bMsgHandled; }

void CTarnBubbleWnd::SetMsgHandled(BOOL handled) { m_bMsgHandled = handled; }
