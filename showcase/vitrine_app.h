// The application object: starts the client's modules in their fixed order,
// loads and defaults the persisted settings, runs the message loop until the
// main window closes, and stops the modules again.
#pragma once

#include <cstdint>

#include "showcase/platform/framework.h"

// Configuration keys.
constexpr int32_t kCfgLanguage = 20501;
constexpr int32_t kCfgSkin = 20602;
constexpr int32_t kCfgUserZoom = 20610;
constexpr int32_t kCfgZoom = 20611;
constexpr int32_t kCfgModernFont = 20621;
constexpr int32_t kCfgRedRises = 50501;
constexpr int32_t kCfgFirstRun = 90611;

// Warning-log line of a configuration path that does not fit the path buffer
// (the settings then live only in memory).
constexpr int kLogConfigPathLine = 205;

// A factor times a scale, truncated toward zero. A factor such as 1.15 is
// stored as 1.1499999..., so a tiny margin keeps 1.15 x 100 at 115.
int32_t ScaleFactor(double factor, int scale);

// The language for a Windows language identifier: Traditional Chinese (1)
// for 0x0404 and 0x0C04, Simplified (0) for 0x0804, English (2) for any
// other English variant, else Simplified.
int32_t LanguageFromLangId(LANGID langId);

class CVitrineApp : public CWinAppEx {
 public:
  CVitrineApp() = default;

  BOOL InitInstance() override;
  bool StartModules();
  bool LoadSettings();
  HRESULT ApplySkin(int skinId, bool force);
  void StopModules();

  int32_t m_skinId = 0;
  int32_t m_languageId = 0;
  bool m_redRises = true;

 private:
  void RunMessageLoop();

  ULONG_PTR m_gdiplusToken = 0;
  CFrameWnd* m_pPlaceholder = nullptr;
  CShellManager* m_pShellManager = nullptr;
};

extern CVitrineApp theApp;
