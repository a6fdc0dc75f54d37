#include "showcase/host_window.h"

HWND ShowOrCreateHostWnd(SHostWnd* wnd, HWND parent, DWORD style, POINT pt) {
  if (wnd->IsWindow()) {
    wnd->SendMessageW(WM_INITDIALOG, 0, 0);
    wnd->ShowWindow(SW_SHOW);
    wnd->BringWindowToTop();
    return wnd->m_hWnd;
  }
  if (wnd->Create(parent, style, 0, pt.x, pt.y, 0, 0) == nullptr) return nullptr;
  wnd->SendMessageW(WM_INITDIALOG, 0, 0);
  wnd->ShowWindow(SW_SHOWNORMAL);
  if (pt.x == 0 && pt.y == 0) wnd->CenterWindow();
  return wnd->m_hWnd;
}

BOOL ChainToHostAndReflect(SHostWnd* wnd, HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult,
                           DWORD dwMsgMapID) {
  if (wnd->SHostWnd::ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult, dwMsgMapID)) return TRUE;
  if (!wnd->ReflectNotifications(uMsg, wParam, lParam, lResult)) return FALSE;
  bool controlColour = uMsg >= WM_CTLCOLORMSGBOX && uMsg <= WM_CTLCOLORSTATIC;
  return controlColour && lResult == 0 ? FALSE : TRUE;
}
