// What the showcase's host windows do alike: the show-or-create entry and the
// tail of every message map.
#pragma once

#include "showcase/platform/soui.h"

// An existing window is re-initialised (WM_INITDIALOG), shown and raised; a
// new one is created at the point with the layout's size, initialised, shown
// normally and, when the point is (0, 0), centred (over its parent, else on
// the screen). Returns the native handle, null when creation failed.
HWND ShowOrCreateHostWnd(SHostWnd* wnd, HWND parent, DWORD style, POINT pt);

// A message the window's own map left goes to the host's processing, then to
// notification reflection; a control-colour message reflected with result 0
// counts as not handled.
BOOL ChainToHostAndReflect(SHostWnd* wnd, HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult,
                           DWORD dwMsgMapID);
