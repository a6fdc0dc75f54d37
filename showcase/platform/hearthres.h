// HearthRes, the client's skins and languages.
#pragma once

#include <string>

#include "showcase/platform/win32.h"

class IMgr_Skin {
 public:
  static bool Init();
  static void UnInit();
  static bool Load();
  static void RegUIHinstance_ForChangeSkin(HINSTANCE instance);
  // 0 on success; nonzero when the file is missing or the change fails.
  // Open windows are told to refresh (message 2076).
  static int ChangeSkin(LPCWSTR path);
};

class IMgr_Language {
 public:
  static bool Init();
  static void UnInit();
  // 0 on success; re-translates open windows (message 2075) to the language
  // set through IData_QueryLanguage.
  static int ChangeLanguage();
  static void ExitApping();
};
