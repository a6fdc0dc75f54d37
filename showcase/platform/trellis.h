// Trellis, the client's UI base.
#pragma once

#include "showcase/platform/win32.h"

class IUI {
 public:
  static bool Init();
  static void UnInit();
  static void ChangeFont(LPCWSTR font1, LPCWSTR font2, LPCWSTR font3, LPCWSTR font4);
};
