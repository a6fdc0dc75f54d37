// The application shell: start-up and shut-down order, settings defaults and
// the configuration file's survival.
#include <gtest/gtest.h>

#include <ostream>

#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/vitrine_runner.h"

namespace {

// Each expected call must appear after the previous one.
void ExpectInOrder(const std::vector<std::string>& calls, const std::vector<std::string>& expected) {
  size_t at = 0;
  for (const std::string& name : expected) {
    size_t found = IndexOf(calls, name, at);
    ASSERT_NE(found, std::string::npos) << "missing or out of order: " << name;
    at = found + 1;
  }
}

int Stored(const StoredConfig& c, int key) {
  auto it = c.find(key);
  return it == c.end() ? -999 : it->second.value;
}

TEST(VitrineShell, StartsAndStopsModulesInOrder) {
  VitrineRunner vit;
  VitrineRun run = vit.Run("");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  std::vector<std::string> calls = vit.CallLog();
  ExpectInOrder(calls, {
                           "InitCommonControlsEx(size=8,icc=255)",
                           "CWinApp::InitInstance",
                           "AfxEnableControlContainer",
                           "CShellManager::CShellManager",
                           "CMFCVisualManager::SetDefaultManager(CMFCVisualManagerWindows)",
                           "CWinApp::SetRegistryKey(应用程序向导生成的本地应用程序)",
                           "CFrameWnd::Create(class=,title=,style=12582912,rect=0,0,1,1,parent=0)",
                           "CWnd::ShowWindow(placeholder,5)",
                           "CWnd::UpdateWindow(placeholder)",
                           "OMWarn_EnableReport(0)",
                           "CoInitialize",
                           "GdiplusStartup(version=1)",
                           "IUI::Init",
                           "IMessageDispatch::Init",
                           "IOMEv::Init",
                           "IData_QueryLanguage::Init",
                           "IMgr_Cfg_App::Init",
                           "IMgr_Skin::Init",
                           "IMgr_Language::Init",
                           "IMgr_Cfg_App::SetFilePath",
                           "IMgr_Cfg_App::LoadData",
                           "IMgr_Skin::Load",
                           "IMgr_Language::ChangeLanguage",
                           "Util_Config::AppCfg_SaveCfg",
                           "IMgr_Skin::RegUIHinstance_ForChangeSkin",
                           "ISOUIManager::InitSOUI",
                           "RegisterAllControl",
                           "SHostWnd::Create(dlg_Vitrine,style=2483552256)",
                           "CWnd::DestroyWindow(placeholder)",
                           "CShellManager::~CShellManager",
                           "Util_Config::AppCfg_SaveInt32(20602,0)",
                           "Util_Config::AppCfg_SaveInt32(20501,0)",
                           "Util_Config::AppCfg_SaveInt32(50501,1)",
                           "Util_Config::AppCfg_SaveCfg",
                           "ISOUIManager::UninitSOUI",
                           "IOMEv::UnInit",
                           "IData_QueryLanguage::UnInit",
                           "IMgr_Skin::UnInit",
                           "IMgr_Language::ExitApping",
                           "IMgr_Language::UnInit",
                           "IMgr_Cfg_App::UnInit",
                           "CoUninitialize",
                           "GdiplusShutdown",
                           "IUI::UnInit",
                           "IMessageDispatch::UnInit",
                       });
  EXPECT_TRUE(vit.WarnLog().empty());
}

struct LanguageCase {
  const char* lang;
  int expected;
};

// Readable test names in listings.
void PrintTo(const LanguageCase& c, std::ostream* os) { *os << c.lang; }

class FreshConfiguration : public ::testing::TestWithParam<LanguageCase> {};

TEST_P(FreshConfiguration, WritesFirstRunKeysAndTheUsersLanguage) {
  VitrineRunner vit;
  vit.SetEnv("LANG", GetParam().lang);
  ASSERT_EQ(vit.Run("").exitCode, 0);
  StoredConfig c = vit.AppConfig();
  EXPECT_EQ(Stored(c, 20611), 1000);
  EXPECT_EQ(Stored(c, 90611), 1);
  EXPECT_EQ(Stored(c, 20621), 1);
  EXPECT_EQ(Stored(c, 20602), 0);
  EXPECT_EQ(Stored(c, 50501), 1);
  EXPECT_EQ(Stored(c, 20501), GetParam().expected);
  EXPECT_TRUE(Contains(vit.CallLog(), "IData_QueryLanguage::SetLanguage(" + std::to_string(GetParam().expected) + ")"));
}

INSTANTIATE_TEST_SUITE_P(UserLanguages, FreshConfiguration,
                         ::testing::Values(LanguageCase{"zh_TW.UTF-8", 1}, LanguageCase{"zh_HK.UTF-8", 1},
                                           LanguageCase{"zh_CN.UTF-8", 0}, LanguageCase{"en_US.UTF-8", 2},
                                           LanguageCase{"en_GB.UTF-8", 2}, LanguageCase{"de_DE.UTF-8", 0},
                                           LanguageCase{"ja_JP.UTF-8", 0}));

// 1.15 is stored as 1.1499999...: the key and the windows' scale still
// take it as 115 %.
TEST(VitrineShell, SystemZoomIsWrittenInThousandths) {
  VitrineRunner vit;
  vit.SetEnv("VITRINE_SYS_ZOOM", "1.15");
  VitrineRun run = vit.Run("window main\nclick btn_setting\nwindow setting\n");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(Stored(vit.AppConfig(), 20611), 1150);
  EXPECT_TRUE(Contains(vit.CallLog(), "OM::SetAppZoomX(1.15)"));
  EXPECT_EQ(Field(OutputOf(run.output, "window main"), "scale"), "115");
  EXPECT_EQ(Field(OutputOf(run.output, "window setting"), "scale"), "115");
}

struct ZoomCase {
  int userZoom;
  int stored;
  const char* sysZoom;
  int expectedKey;
  const char* expectedZoom;
};

// Readable test names in listings.
void PrintTo(const ZoomCase& c, std::ostream* os) {
  *os << "user " << c.userZoom << ", stored " << c.stored << ", system " << c.sysZoom;
}

class StoredZoom : public ::testing::TestWithParam<ZoomCase> {};

TEST_P(StoredZoom, OutOfRangeFallsBackToTheSystemZoom) {
  const ZoomCase& z = GetParam();
  VitrineRunner vit;
  vit.SetEnv("VITRINE_SYS_ZOOM", z.sysZoom);
  vit.WriteConfig("app.cfg", {{20610, {"bool", z.userZoom}}, {20611, {"int", z.stored}}, {90611, {"int", 1}}});
  ASSERT_EQ(vit.Run("").exitCode, 0);
  EXPECT_EQ(Stored(vit.AppConfig(), 20611), z.expectedKey);
  EXPECT_TRUE(Contains(vit.CallLog(), std::string("OM::SetAppZoomX(") + z.expectedZoom + ")"));
}

INSTANTIATE_TEST_SUITE_P(Keys, StoredZoom,
                         ::testing::Values(ZoomCase{1, 999, "1.25", 1250, "1.25"},   // below 100 %
                                           ZoomCase{1, 2001, "1.25", 1250, "1.25"},  // above the limit 2.0
                                           ZoomCase{1, 1000, "1.25", 1000, "1"},     // exactly 100 % is kept
                                           ZoomCase{1, 2000, "1.25", 2000, "2"},     // the limit itself is kept
                                           ZoomCase{1, 1500, "1", 1500, "1.5"},
                                           ZoomCase{0, 1500, "1.25", 1250, "1.25"}));  // user zoom off

TEST(VitrineShell, ModernFontNeedsWindows8) {
  VitrineRunner vit;
  vit.SetEnv("VITRINE_WINVER", "7");
  vit.WriteConfig("app.cfg", {{20621, {"int", 1}}, {90611, {"int", 1}}});
  ASSERT_EQ(vit.Run("").exitCode, 0);
  for (const std::string& call : vit.CallLog()) {
    EXPECT_EQ(call.find("IUI::ChangeFont"), std::string::npos);
    EXPECT_EQ(call.find("OM::SetMordenFont"), std::string::npos);
  }
}

TEST(VitrineShell, ZoomedWindowsWithoutAFontChoiceGetsTheModernFont) {
  VitrineRunner vit;
  vit.WriteConfig("app.cfg", {{20610, {"bool", 1}}, {20611, {"int", 1500}}, {90611, {"int", 1}}});
  ASSERT_EQ(vit.Run("").exitCode, 0);
  EXPECT_EQ(Stored(vit.AppConfig(), 20621), 1);
  EXPECT_TRUE(
      Contains(vit.CallLog(), "IUI::ChangeFont(Microsoft YaHei|Microsoft YaHei|Microsoft YaHei|Microsoft YaHei)"));
}

TEST(VitrineShell, AnExplicitFontChoiceOfZeroIsKept) {
  VitrineRunner vit;
  vit.WriteConfig("app.cfg", {{20621, {"int", 0}}, {90611, {"int", 1}}});
  ASSERT_EQ(vit.Run("").exitCode, 0);
  EXPECT_EQ(Stored(vit.AppConfig(), 20621), 0);
  EXPECT_FALSE(Contains(vit.CallLog(), "IUI::ChangeFont"));
}

struct StoredIdCase {
  int key;
  int stored;
  int expected;
  const char* call;
};

// Readable test names in listings.
void PrintTo(const StoredIdCase& c, std::ostream* os) { *os << "key " << c.key << " = " << c.stored; }

class StoredIds : public ::testing::TestWithParam<StoredIdCase> {};

TEST_P(StoredIds, OutOfRangeValuesFallBackToZero) {
  VitrineRunner vit;
  vit.WriteConfig("app.cfg", {{GetParam().key, {"int", GetParam().stored}}, {90611, {"int", 1}}});
  ASSERT_EQ(vit.Run("").exitCode, 0);
  EXPECT_EQ(Stored(vit.AppConfig(), GetParam().key), GetParam().expected);
  EXPECT_TRUE(Contains(vit.CallLog(), GetParam().call));
}

INSTANTIATE_TEST_SUITE_P(Keys, StoredIds,
                         ::testing::Values(StoredIdCase{20602, 7, 0, "IMgr_Skin::ChangeSkin(skin_0.skin)"},
                                           StoredIdCase{20602, 1, 1, "IMgr_Skin::ChangeSkin(skin_1.skin)"},
                                           StoredIdCase{20501, 3, 0, "IData_QueryLanguage::SetLanguage(0)"},
                                           StoredIdCase{20501, -1, 0, "IData_QueryLanguage::SetLanguage(0)"},
                                           StoredIdCase{20501, 1, 1, "IData_QueryLanguage::SetLanguage(1)"}));

TEST(VitrineShell, MissingSkinFileFallsBackToSkinZero) {
  VitrineRunner vit;
  vit.SetEnv("VITRINE_FAULTS", "skin-missing=1");
  vit.WriteConfig("app.cfg", {{20602, {"int", 1}}, {90611, {"int", 1}}});
  ASSERT_EQ(vit.Run("").exitCode, 0);
  EXPECT_TRUE(Contains(vit.CallLog(), "IMgr_Skin::ChangeSkin(skin_0.skin)"));
  EXPECT_FALSE(Contains(vit.CallLog(), "IMgr_Skin::ChangeSkin(skin_1.skin)"));
  EXPECT_EQ(Stored(vit.AppConfig(), 20602), 0);
  EXPECT_TRUE(vit.WarnLog().empty());
}

TEST(VitrineShell, ModuleRefusalsAreLoggedAndStartUpGoesOn) {
  VitrineRunner vit;
  vit.SetEnv("VITRINE_FAULTS", "change-language,change-skin");
  VitrineRun run = vit.Run("window main\n");
  ASSERT_EQ(run.exitCode, 0);
  EXPECT_EQ(vit.WarnLog(), (std::vector<std::string>{"Vitrine, 395", "Vitrine, 364"}));
  EXPECT_EQ(Field(OutputOf(run.output, "window main"), "exists"), "1");
}

struct ExitSaveCase {
  const char* failingKey;
  const char* logged;
};

// Readable test names in listings.
void PrintTo(const ExitSaveCase& c, std::ostream* os) { *os << "failing " << c.failingKey; }

class ExitSaves : public ::testing::TestWithParam<ExitSaveCase> {};

TEST_P(ExitSaves, AFailedWriteIsLoggedAndTheOthersStillHappen) {
  VitrineRunner vit;
  vit.SetEnv("VITRINE_FAULTS", std::string("cfg-write=") + GetParam().failingKey);
  ASSERT_EQ(vit.Run("").exitCode, 0);
  EXPECT_EQ(vit.WarnLog(), std::vector<std::string>{GetParam().logged});
  StoredConfig c = vit.AppConfig();
  for (int key : {20602, 20501, 50501}) {
    if (std::to_string(key) == GetParam().failingKey) continue;
    EXPECT_NE(Stored(c, key), -999) << key;
  }
}

INSTANTIATE_TEST_SUITE_P(Keys, ExitSaves,
                         ::testing::Values(ExitSaveCase{"20602", "Vitrine, 181"}, ExitSaveCase{"20501", "Vitrine, 182"},
                                           ExitSaveCase{"50501", "Vitrine, 183"}));

TEST(VitrineShell, CorruptConfigurationIsTreatedAsEmptyAndLogged) {
  VitrineRunner vit;
  vit.WriteRaw("app.cfg", "# vitrine configuration v1\n20501 int 2\n20602 in");
  ASSERT_EQ(vit.Run("").exitCode, 0);
  EXPECT_EQ(vit.WarnLog(), std::vector<std::string>{"Ledger, 120"});
  StoredConfig c;
  ASSERT_TRUE(vit.ReadConfig("app.cfg", &c));
  EXPECT_EQ(Stored(c, 20501), 0);  // from LANG, the stored 2 was not trusted
  EXPECT_EQ(Stored(c, 90611), 1);
}

// The process kills itself at a point inside the save; the file on disk is
// then the old one or the new one, never a torn one.
class CrashDuringSave : public ::testing::TestWithParam<const char*> {};

TEST_P(CrashDuringSave, LeavesAParsableConfiguration) {
  VitrineRunner vit;
  vit.WriteConfig("app.cfg", {{20501, {"int", 1}}, {90611, {"int", 1}}, {20621, {"int", 1}}});
  vit.SetEnv("VITRINE_FAULTS", std::string("crash-save=") + GetParam());
  VitrineRun run = vit.Run("click btn_setting\n");
  EXPECT_EQ(run.signal, 9);
  StoredConfig c;
  ASSERT_TRUE(vit.ReadConfig("app.cfg", &c)) << vit.ReadFile("app.cfg");
  EXPECT_EQ(Stored(c, 20501), 1);
  EXPECT_EQ(Stored(c, 90611), 1);
  bool renamed = std::string(GetParam()) == "renamed";
  EXPECT_EQ(c.count(20611), renamed ? 1u : 0u);  // only the new file has the zoom written at start-up

  // The next run starts from that file and clears the crashed save's leftovers.
  vit.SetEnv("VITRINE_FAULTS", "");
  ASSERT_EQ(vit.Run("").exitCode, 0);
  EXPECT_EQ(Stored(vit.AppConfig(), 20501), 1);
  int rc = std::system(("ls " + vit.Home() + " > " + vit.Home() + "/listing.txt").c_str());
  ASSERT_EQ(rc, 0);
  EXPECT_EQ(vit.ReadFile("listing.txt").find(".tmp."), std::string::npos) << vit.ReadFile("listing.txt");
}

// Killed from outside while the new file is half written.
TEST(VitrineShell, KilledInTheMiddleOfASaveKeepsTheOldFile) {
  VitrineRunner vit;
  vit.WriteConfig("app.cfg", {{20501, {"int", 2}}, {90611, {"int", 1}}, {20621, {"int", 1}}});
  vit.SetEnv("VITRINE_FAULTS", "crash-save=pause");
  int pid = vit.Start("");
  ASSERT_GT(pid, 0);
  const std::string marker = vit.Home() + "/app.cfg.saving";
  for (int i = 0; i < 2000 && access(marker.c_str(), F_OK) != 0; ++i) usleep(5000);
  ASSERT_EQ(access(marker.c_str(), F_OK), 0) << "the save never started";
  kill(pid, SIGKILL);
  EXPECT_EQ(vit.Wait(pid).signal, SIGKILL);
  StoredConfig c;
  ASSERT_TRUE(vit.ReadConfig("app.cfg", &c)) << vit.ReadFile("app.cfg");
  EXPECT_EQ(Stored(c, 20501), 2);
  EXPECT_EQ(c.count(20611), 0u);
}

INSTANTIATE_TEST_SUITE_P(Stages, CrashDuringSave, ::testing::Values("half-written", "written", "renamed"));

TEST(VitrineShell, ChoosingEnglishInSettingsIsStoredAtExit) {
  VitrineRunner vit;
  VitrineRun run = vit.Run("click btn_setting\nclick language_radio_e\nclick btn_ok\n");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(Stored(vit.AppConfig(), 20501), 2);
  EXPECT_EQ(run.output.find("error"), std::string::npos) << run.output;
}

}  // namespace
