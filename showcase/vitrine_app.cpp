#include "showcase/vitrine_app.h"

#include "showcase/platform/basalt.h"
#include "showcase/platform/common.h"
#include "showcase/platform/hearth.h"
#include "showcase/platform/hearthres.h"
#include "showcase/platform/kestrel.h"
#include "showcase/platform/ledger.h"
#include "showcase/platform/trellis.h"
#include "showcase/platform/velvet.h"
#include "showcase/vitrine_dlg.h"

CVitrineApp theApp;

int32_t ScaleFactor(double factor, int scale) { return static_cast<int32_t>(factor * scale + 1e-6); }

int32_t LanguageFromLangId(LANGID langId) {
  if (langId == 0x0404 || langId == 0x0C04) return 1;
  if (langId == 0x0804) return 0;
  if ((langId & 0x3FF) == 9) return 2;
  return 0;
}

BOOL CVitrineApp::InitInstance() {
  INITCOMMONCONTROLSEX icc;
  icc.dwSize = 8;
  icc.dwICC = ICC_WIN95_CLASSES;
  InitCommonControlsEx(&icc);

  CWinAppEx::InitInstance();
  AfxEnableControlContainer();
  m_pShellManager = new CShellManager;
  CMFCVisualManager::SetDefaultManager<CMFCVisualManagerWindows>();
  SetRegistryKey(L"应用程序向导生成的本地应用程序");

  m_pPlaceholder = new CFrameWnd;
  m_pPlaceholder->Create(nullptr, nullptr, WS_CAPTION, RECT{0, 0, 1, 1}, nullptr);
  m_pMainWnd = m_pPlaceholder;
  m_pPlaceholder->ShowWindow(SW_SHOW);
  m_pPlaceholder->UpdateWindow();

  // When start-up stopped early there is no window to wait for.
  if (StartModules()) RunMessageLoop();

  delete m_pShellManager;
  m_pShellManager = nullptr;
  StopModules();
  return FALSE;
}

void CVitrineApp::RunMessageLoop() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

bool CVitrineApp::StartModules() {
  OMWarn_EnableReport(false);
  CoInitialize(nullptr);
  Gdiplus::GdiplusStartupInput gdiplusInput;
  gdiplusInput.GdiplusVersion = 1;
  GdiplusStartup(&m_gdiplusToken, &gdiplusInput, nullptr);

  IUI::Init();
  IMessageDispatch::Init();
  IOMEv::Init();
  IData_QueryLanguage::Init();
  IMgr_Cfg_App::Init();
  IMgr_Skin::Init();
  IMgr_Language::Init();

  if (!LoadSettings()) {
    OMWarn_WriteLog(L"Vitrine", 156);
    return false;
  }
  IMgr_Skin::RegUIHinstance_ForChangeSkin(AfxGetInstanceHandle());
  ISOUIManager::InitSOUI();
  RegisterAllControl();

  HWND hMain = VitrineDlg::ShowMainWindow(POINT{0, 0});
  if (CWnd* pMain = CWnd::FromHandle(hMain)) pMain->CenterWindow(nullptr);

  m_pPlaceholder->DestroyWindow();
  delete m_pPlaceholder;
  m_pPlaceholder = nullptr;
  m_pMainWnd = nullptr;
  return true;
}

bool CVitrineApp::LoadSettings() {
  wchar_t cfgPath[MAX_PATH] = {0};
  if (!IComm_Path::GetCommFilePath(2, cfgPath)) OMWarn_WriteLog(L"Vitrine", kLogConfigPathLine);
  IMgr_Cfg_App::SetFilePath(cfgPath);
  IMgr_Cfg_App::LoadData();

  // Zoom: the user's choice when it is on and in range, else the system's.
  bool userZoom = false;
  Util_Config::AppCfg_ReadBool(kCfgUserZoom, &userZoom);
  int32_t zoomMilli = 0;
  Util_Config::AppCfg_ReadInt32(kCfgZoom, &zoomMilli);
  double zoom = zoomMilli / 1000.0;
  if (!userZoom || zoom < 1.0 || GetZoomMaxLimit() < zoom) {
    zoom = GetSysDefZoomX();
    Util_Config::AppCfg_SaveInt32(kCfgZoom, ScaleFactor(zoom, 1000));
  }
  OM::EnableAppZoom(true);
  OM::SetAppZoomX(zoom);

  int32_t firstRunMarker = 0;
  if (!Util_Config::AppCfg_ReadInt32(kCfgFirstRun, &firstRunMarker) || firstRunMarker < 1) {
    firstRunMarker = 0;
    Util_Config::AppCfg_SaveInt32(kCfgFirstRun, 1);
  }

  // Modern font: on by default on a first run, and for a zoomed Windows 8 or
  // later that never stored a choice.
  int winVer = OM::GetWindowsVer();
  bool fontKeyWritten = false;
  if (zoom > 1.0 && winVer >= 8) {
    int32_t modern = 0;
    if (!Util_Config::AppCfg_ReadInt32(kCfgModernFont, &modern)) {
      Util_Config::AppCfg_SaveInt32(kCfgModernFont, 1);
      fontKeyWritten = true;
    }
  }
  if (!fontKeyWritten && firstRunMarker < 1) Util_Config::AppCfg_SaveInt32(kCfgModernFont, 1);
  int32_t modernFont = 0;
  Util_Config::AppCfg_ReadInt32(kCfgModernFont, &modernFont);
  if (modernFont == 1 && winVer >= 8) {
    IUI::ChangeFont(L"Microsoft YaHei", L"Microsoft YaHei", L"Microsoft YaHei", L"Microsoft YaHei");
    OM::SetMordenFont(true);
  }

  IMgr_Skin::Load();
  int32_t skinId = m_skinId;
  if (!Util_Config::AppCfg_ReadInt32(kCfgSkin, &skinId)) Util_Config::AppCfg_SaveInt32(kCfgSkin, skinId);
  ApplySkin(skinId, true);

  if (!Util_Config::AppCfg_ReadInt32(kCfgLanguage, &m_languageId)) {
    m_languageId = LanguageFromLangId(GetUserDefaultLangID());
    Util_Config::AppCfg_SaveInt32(kCfgLanguage, m_languageId);
  }
  if (m_languageId < 0 || m_languageId > 2) m_languageId = 0;
  IData_QueryLanguage::SetLanguage(m_languageId);
  if (IMgr_Language::ChangeLanguage() != 0) OMWarn_WriteLog(L"Vitrine", 364);

  Util_Config::AppCfg_SaveCfg();
  return true;
}

HRESULT CVitrineApp::ApplySkin(int skinId, bool force) {
  int chosen = skinId == 1 ? 1 : 0;
  if (!force && chosen == m_skinId) return S_OK;

  wchar_t skinPath[MAX_PATH] = {0};
  IComm_Path::GetSkinFilePath(chosen, skinPath);
  if (!OM::IsFileExist(skinPath)) {
    IComm_Path::GetSkinFilePath(0, skinPath);
    chosen = 0;
    OM::IsFileExist(skinPath);
  }
  if (IMgr_Skin::ChangeSkin(skinPath) != 0) {
    OMWarn_WriteLog(L"Vitrine", 395);
    return E_FAIL;
  }
  Util_Config::AppCfg_SaveInt32(kCfgSkin, chosen);
  m_skinId = chosen;
  return S_OK;
}

void CVitrineApp::StopModules() {
  if (!Util_Config::AppCfg_SaveInt32(kCfgSkin, m_skinId)) OMWarn_WriteLog(L"Vitrine", 181);
  if (!Util_Config::AppCfg_SaveInt32(kCfgLanguage, m_languageId)) OMWarn_WriteLog(L"Vitrine", 182);
  if (!Util_Config::AppCfg_SaveInt32(kCfgRedRises, m_redRises ? 1 : 0)) OMWarn_WriteLog(L"Vitrine", 183);
  Util_Config::AppCfg_SaveCfg();

  ISOUIManager::UninitSOUI();
  IOMEv::UnInit();
  IData_QueryLanguage::UnInit();
  IMgr_Skin::UnInit();
  IMgr_Language::ExitApping();
  IMgr_Language::UnInit();
  IMgr_Cfg_App::UnInit();

  CoUninitialize();
  if (m_gdiplusToken != 0) GdiplusShutdown(m_gdiplusToken);
  m_gdiplusToken = 0;

  IUI::UnInit();
  IMessageDispatch::UnInit();
}
