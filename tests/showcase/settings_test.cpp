// The settings window: the zoom edit's rules, holding and applying choices,
// and the failures it logs.
#include <gtest/gtest.h>

#include <ostream>

#include <string>
#include <vector>

#include "support/vitrine_runner.h"

namespace {

int Stored(const StoredConfig& c, int key) {
  auto it = c.find(key);
  return it == c.end() ? -999 : it->second.value;
}

// Saves recorded between "calls clear" and the "calls" listing.
std::vector<std::string> Saves(const std::vector<std::string>& calls) {
  std::vector<std::string> out;
  for (const std::string& c : calls) {
    if (c.find("Cfg_Save") != std::string::npos) out.push_back(c.substr(2));
  }
  return out;
}

class Settings : public VitrineConsoleTest {
 protected:
  // User zoom on at 125 % unless a test says otherwise.
  void UserZoom(int stored) {
    vit.WriteConfig("app.cfg", {{20610, {"bool", 1}}, {20611, {"int", stored}}, {90611, {"int", 1}}});
  }
};

TEST_F(Settings, ZoomTextIsTheStoredZoomInWholePercent) {
  UserZoom(1255);
  VitrineRun run = Run("click btn_setting\ndump zoom_edit\ncalls clear\nclick btn_apply\ncalls\n");
  std::vector<std::string> edit = OutputOf(run.output, "dump zoom_edit");
  EXPECT_EQ(Field(edit, "text"), "125");
  EXPECT_EQ(Field(edit, "enabled"), "1");
  EXPECT_EQ(Field(edit, "focus"), "1");
  EXPECT_TRUE(Contains(edit, "  limit=3 sel=10000,10000"));
  EXPECT_EQ(
      Saves(OutputOf(run.output, "calls")),
      (std::vector<std::string>{"Util_Config::AppCfg_SaveBool(20610,1)", "Util_Config::AppCfg_SaveInt32(20611,1250)"}));
  EXPECT_EQ(Stored(vit.AppConfig(), 20611), 1250);
}

TEST_F(Settings, ALetterPutsTheLastDigitsBack) {
  UserZoom(1500);
  VitrineRun run =
      Run("click btn_setting\ntext zoom_edit 13\ndump zoom_edit\ntext zoom_edit 13a\ndump zoom_edit\n"
          "text zoom_edit\ndump zoom_edit\nfocus-lost zoom_edit\ndump zoom_edit\n");
  EXPECT_EQ(Field(OutputOf(run.output, "dump zoom_edit", 0), "text"), "13");
  EXPECT_EQ(Field(OutputOf(run.output, "dump zoom_edit", 1), "text"), "13");
  EXPECT_EQ(Field(OutputOf(run.output, "dump zoom_edit", 2), "text"), "");  // empty is accepted while typing
  std::vector<std::string> left = OutputOf(run.output, "dump zoom_edit", 3);
  EXPECT_EQ(Field(left, "text"), "100");
  EXPECT_TRUE(Contains(left, "  limit=3 sel=4,4"));
}

struct ClampCase {
  const char* typed;
  const char* limit;
  const char* expected;
};

// Readable test names in listings.
void PrintTo(const ClampCase& c, std::ostream* os) { *os << "typed " << c.typed << ", limit " << c.limit; }

class ZoomClamp : public ::testing::TestWithParam<ClampCase> {};

TEST_P(ZoomClamp, LeavingTheEditClampsToTheRange) {
  VitrineRunner vit;
  vit.SetEnv("VITRINE_ZOOM_LIMIT", GetParam().limit);
  vit.WriteConfig("app.cfg", {{20610, {"bool", 1}}, {20611, {"int", 1200}}, {90611, {"int", 1}}});
  VitrineRun run = vit.Run(std::string("click btn_setting\ntext zoom_edit ") + GetParam().typed +
                           "\nfocus-lost zoom_edit\ndump zoom_edit\ncalls clear\nclick btn_apply\ncalls\n");
  ASSERT_EQ(run.exitCode, 0);
  EXPECT_EQ(Field(OutputOf(run.output, "dump zoom_edit"), "text"), GetParam().expected);
  int percent = std::stoi(GetParam().expected);
  EXPECT_TRUE(Contains(OutputOf(run.output, "calls"), "AppCfg_SaveInt32(20611," + std::to_string(percent * 10) + ")"));
}

INSTANTIATE_TEST_SUITE_P(Values, ZoomClamp,
                         ::testing::Values(ClampCase{"99", "2.0", "100"}, ClampCase{"0", "2.0", "100"},
                                           ClampCase{"250", "2.0", "200"}, ClampCase{"200", "2.0", "200"},
                                           ClampCase{"150", "2.0", "150"}, ClampCase{"180", "1.5", "150"},
                                           ClampCase{"1234", "2.0", "123"}));

TEST_F(Settings, ClickingElsewhereAlsoLeavesTheEdit) {
  UserZoom(1200);
  VitrineRun run = Run("click btn_setting\ntext zoom_edit 99\nclick btn_ok\n");
  EXPECT_EQ(Stored(vit.AppConfig(), 20611), 1000);
}

TEST_F(Settings, SystemZoomDisablesTheEditButApplyStillStores) {
  VitrineRun run = Run(
      "click btn_setting\ndump zoom_edit\ndump zoom_radio_sys\ndump zoom_text_3\ncalls clear\nclick btn_apply\ncalls\n"
      "click zoom_radio_user\ndump zoom_edit\n");
  std::vector<std::string> edit = OutputOf(run.output, "dump zoom_edit", 0);
  EXPECT_EQ(Field(edit, "enabled"), "0");
  EXPECT_EQ(Field(edit, "text"), "100");
  EXPECT_EQ(Field(OutputOf(run.output, "dump zoom_radio_sys"), "checked"), "1");
  EXPECT_EQ(Field(OutputOf(run.output, "dump zoom_text_3"), "text"), "缩放比例可设置为100%至200%，系统默认为100%");
  EXPECT_EQ(
      Saves(OutputOf(run.output, "calls")),
      (std::vector<std::string>{"Util_Config::AppCfg_SaveBool(20610,0)", "Util_Config::AppCfg_SaveInt32(20611,1000)"}));
  EXPECT_EQ(Field(OutputOf(run.output, "dump zoom_edit", 1), "enabled"), "1");
}

TEST_F(Settings, CancelKeepsTheChoiceForTheNextApply) {
  VitrineRun run =
      Run("click btn_setting\nclick language_radio_e\nclick btn_cancel\nwindow setting\ncalls clear\n"
          "click btn_setting\ndump language_radio_e\ndump language_radio_s\nclick btn_apply\ncalls\n");
  EXPECT_EQ(Field(OutputOf(run.output, "window setting"), "visible"), "0");
  EXPECT_EQ(Field(OutputOf(run.output, "dump language_radio_e"), "checked"), "1");
  EXPECT_EQ(Field(OutputOf(run.output, "dump language_radio_s"), "checked"), "0");
  std::vector<std::string> calls = OutputOf(run.output, "calls");
  EXPECT_TRUE(Contains(calls, "AppCfg_SaveInt32(20501,2)"));
  EXPECT_TRUE(Contains(calls, "IData_QueryLanguage::SetLanguage(2)"));
  EXPECT_FALSE(Contains(calls, "SHostWnd::Create"));  // the hidden window was shown again
  EXPECT_EQ(Stored(vit.AppConfig(), 20501), 2);
}

TEST_F(Settings, ClosedWindowKeepsItsChoicesWhenReopened) {
  VitrineRun run =
      Run("click btn_setting\nclick greenrise\nclick setting:btn_close\nwindow setting\nclick btn_setting\ndump "
          "greenrise\n");
  EXPECT_EQ(Field(OutputOf(run.output, "window setting"), "exists"), "0");
  EXPECT_EQ(Field(OutputOf(run.output, "dump greenrise"), "checked"), "1");
}

TEST_F(Settings, ApplyingNothingChangedWritesOnlyTheZoomKeys) {
  VitrineRun run = Run("click btn_setting\ncalls clear\nclick btn_apply\ncalls\n");
  EXPECT_EQ(
      Saves(OutputOf(run.output, "calls")),
      (std::vector<std::string>{"Util_Config::AppCfg_SaveBool(20610,0)", "Util_Config::AppCfg_SaveInt32(20611,1000)"}));
}

TEST_F(Settings, LanguageChangeReachesOpenWindows) {
  VitrineRun run =
      Run("click btn_setting\nclick language_radio_t\nclick btn_apply\ndump zoom_text_3\ndump setting:root\n");
  EXPECT_EQ(Field(OutputOf(run.output, "dump zoom_text_3"), "text"), "縮放比例可設定為100%至200%，系統預設為100%");
  EXPECT_TRUE(Contains(OutputOf(run.output, "dump setting:root"), "  dispatched 1899"));
}

TEST_F(Settings, SkinAndRiseColourChanges) {
  VitrineRun run =
      Run("click btn_setting\ndump skin_cbx\nselect skin_cbx 0\nclick greenrise\ncalls clear\nclick btn_ok\ncalls\n"
          "window setting\ndump setting:root\n");
  EXPECT_TRUE(Contains(OutputOf(run.output, "dump skin_cbx"), "  cursel=1"));
  std::vector<std::string> calls = OutputOf(run.output, "calls");
  EXPECT_TRUE(Contains(calls, "AppCfg_SaveInt32(20602,1)"));
  EXPECT_TRUE(Contains(calls, "IMgr_Skin::ChangeSkin(skin_1.skin)"));
  size_t first = IndexOf(calls, "UserCfg_SaveBool(50501,0)");
  ASSERT_NE(first, std::string::npos);
  size_t notice = IndexOf(calls, "IMessageDispatch::Send(1063)", first);
  ASSERT_NE(notice, std::string::npos);
  EXPECT_NE(IndexOf(calls, "UserCfg_SaveBool(50501,0)", notice), std::string::npos);
  EXPECT_NE(IndexOf(calls, "IMgr_Language::ChangeLanguage", notice), std::string::npos);
  EXPECT_EQ(Field(OutputOf(run.output, "window setting"), "visible"), "0");
  // The skin change re-skinned the open window, then the colour change re-translated it.
  EXPECT_TRUE(Contains(OutputOf(run.output, "dump setting:root"), "  dispatched 2027 1899"));
  StoredConfig app = vit.AppConfig();
  EXPECT_EQ(Stored(app, 20602), 1);
  EXPECT_EQ(Stored(app, 50501), 0);  // the shell stores the colour it was told at exit
  StoredConfig user;
  ASSERT_TRUE(vit.ReadConfig("user.cfg", &user));
  EXPECT_EQ(Stored(user, 50501), 0);
}

TEST_F(Settings, UnknownStoredSkinLeavesTheComboAlone) {
  vit.SetEnv("VITRINE_FAULTS", "cfg-write=20602");
  vit.WriteConfig("app.cfg", {{20602, {"int", 7}}, {90611, {"int", 1}}});
  VitrineRun run = Run("click btn_setting\ndump skin_cbx\n");
  EXPECT_TRUE(Contains(OutputOf(run.output, "dump skin_cbx"), "  cursel=-1"));
}

struct FailureCase {
  const char* name;
  const char* startFaults;
  const char* actions;  // run after the window is open and before applying
  std::vector<std::string> logged;
  const char* stillCalled;  // proof the change still went through, or ""
};

// Readable test names in listings.
void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class SettingsFailures : public ::testing::TestWithParam<FailureCase> {};

TEST_P(SettingsFailures, AreLoggedWithTheirLines) {
  const FailureCase& f = GetParam();
  VitrineRunner vit;
  if (*f.startFaults != '\0') vit.SetEnv("VITRINE_FAULTS", f.startFaults);
  VitrineRun run = vit.Run(std::string("click btn_setting\n") + f.actions + "calls clear\nclick btn_apply\ncalls\n");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  std::vector<std::string> log = vit.WarnLog();
  size_t at = 0;
  for (const std::string& entry : f.logged) {
    size_t found = IndexOf(log, entry, at);
    ASSERT_NE(found, std::string::npos) << entry;
    EXPECT_EQ(log[found], entry);
    at = found + 1;
  }
  if (*f.stillCalled == '\0') return;
  EXPECT_TRUE(Contains(OutputOf(run.output, "calls"), f.stillCalled));
}

INSTANTIATE_TEST_SUITE_P(Rows, SettingsFailures,
                         ::testing::Values(FailureCase{"language write",
                                                       "cfg-write=20501",
                                                       "click language_radio_e\n",
                                                       {"DlgSetting, 368"},
                                                       "IData_QueryLanguage::SetLanguage(2)"},
                                           FailureCase{"language module",
                                                       "",
                                                       "fault change-language\nclick language_radio_e\n",
                                                       {"Vitrine, 364", "DlgSetting, 380"},
                                                       ""},
                                           FailureCase{"rise colour write",
                                                       "cfg-write=50501",
                                                       "click greenrise\n",
                                                       {"DlgSetting, 391"},
                                                       "IMgr_Language::ChangeLanguage"},
                                           FailureCase{"rise colour module",
                                                       "",
                                                       "fault change-language\nclick greenrise\n",
                                                       {"Vitrine, 413", "DlgSetting, 404"},
                                                       ""},
                                           FailureCase{"skin write",
                                                       "",
                                                       "fault cfg-write=20602\nselect skin_cbx 0\n",
                                                       {"DlgSetting, 418"},
                                                       "IMgr_Skin::ChangeSkin(skin_1.skin)"},
                                           FailureCase{"skin module",
                                                       "",
                                                       "fault change-skin\nselect skin_cbx 0\n",
                                                       {"Vitrine, 395", "DlgSetting, 427"},
                                                       ""}),
                         [](const ::testing::TestParamInfo<FailureCase>& info) {
                           std::string name = info.param.name;
                           for (char& c : name) c = c == ' ' ? '_' : c;
                           return name;
                         });

TEST_F(Settings, AFailedLanguageChangeIsTriedAgainOnTheNextApply) {
  VitrineRun run =
      Run("click btn_setting\nclick language_radio_e\nfault change-language\nclick btn_apply\nfault clear\n"
          "calls clear\nclick btn_apply\ncalls\n");
  EXPECT_EQ(vit.WarnLog(), (std::vector<std::string>{"Vitrine, 364", "DlgSetting, 380"}));
  std::vector<std::string> calls = OutputOf(run.output, "calls");
  EXPECT_TRUE(Contains(calls, "AppCfg_SaveInt32(20501,2)"));
  EXPECT_TRUE(Contains(calls, "IMgr_Language::ChangeLanguage"));
}

TEST_F(Settings, AFailedSkinChangeKeepsTheAppliedSkin) {
  VitrineRun run =
      Run("click btn_setting\nselect skin_cbx 0\nfault change-skin\nclick btn_apply\nfault clear\ncalls clear\n"
          "click btn_apply\ncalls\n");
  EXPECT_TRUE(Contains(OutputOf(run.output, "calls"), "IMgr_Skin::ChangeSkin(skin_1.skin)"));
  EXPECT_EQ(Stored(vit.AppConfig(), 20602), 1);
}

}  // namespace
