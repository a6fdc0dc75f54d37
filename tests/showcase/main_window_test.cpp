// The main window driven as a person would, checked through the widgets'
// recorded state and the control library's record.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/vitrine_runner.h"

namespace {

std::string Repeat(const std::string& line, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += line;
  return out;
}

class MainWindow : public VitrineConsoleTest {};

TEST_F(MainWindow, ButtonStylesCycleThroughTheSixRows) {
  // Column by column, as the style table lists them.
  const char* rows[6][8] = {
      {"TB1_W", "TB1_W", "TB1_W", "TB1_W", "TB1_W", "TB1_W", "TB1_W", "TB1_W"},
      {"TB1_W", "TB2_W", "TB3_W", "TB4_W", "TB1_W", "TB2_W", "TB3_W", "TB4_W"},
      {"TB1_W", "TB4_W", "TB2_W", "TB1_W", "TB1_W", "TB3_W", "TB2_W", "TB4_W"},
      {"MB1_P", "MB1_P", "TB1_W", "MB1_P", "TB1_W", "MB1_P", "TB1_W", "TB1_W"},
      {"MB1_P", "MB2_P", "TB3_W", "MB4_P", "TB1_W", "MB2_P", "TB3_W", "TB4_W"},
      {"MB1_P", "MB4_P", "TB2_W", "MB1_P", "TB1_W", "MB3_P", "TB2_W", "TB4_W"},
  };
  std::string commands;
  for (int click = 0; click < 7; ++click) {
    commands += "click btn_ctrl\n";
    for (int b = 1; b <= 8; ++b) commands += "dump bnt" + std::to_string(b) + "\n";
  }
  VitrineRun run = Run(commands);
  for (int click = 0; click < 7; ++click) {
    int row = click % 6;
    for (int b = 1; b <= 8; ++b) {
      EXPECT_EQ(Attr(OutputOf(run.output, "dump bnt" + std::to_string(b), click), "tarnstyle"), rows[row][b - 1])
          << "click " << click + 1 << " bnt" << b;
    }
  }
}

TEST_F(MainWindow, IconAndMarketSwitchesStartFromTheSecondEntry) {
  VitrineRun run =
      Run(Repeat("click switch_icon_for_iconbtn\ndump switch_icon_for_iconbtn\n", 4) +
          Repeat("click siwtch_market_btn\ndump market_tag_of_solid\ndump fixed_w_market_tag_of_bordered_2\n", 6));
  const char* icons[] = {"skin_tarnstd_close_demo", "skin_picture_retry_btn", "skin_tarnstd_lock_demo",
                         "skin_tarnstd_close_demo"};
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(Attr(OutputOf(run.output, "dump switch_icon_for_iconbtn", i), "icon"), icons[i]);
  const char* markets[] = {"US", "SG", "SH", "SZ", "JP", "HK"};
  const char* tags[] = {"长文案", "很长的文案", "很长很长的文案", "标签不应该显示不全，请调整文案！！！！！",
                        "文案",   "文案"};
  for (int i = 0; i < 6; ++i) {
    std::vector<std::string> solid = OutputOf(run.output, "dump market_tag_of_solid", i);
    EXPECT_EQ(Attr(solid, "market"), markets[i]);
    EXPECT_EQ(Field(solid, "text"), markets[i]);
    std::vector<std::string> fixed = OutputOf(run.output, "dump fixed_w_market_tag_of_bordered_2", i);
    EXPECT_EQ(Attr(fixed, "market"), markets[i]);
    EXPECT_EQ(Field(fixed, "text"), tags[i]);
  }
}

TEST_F(MainWindow, LoadingTextsCycleOneLineThenLongerTexts) {
  VitrineRun run = Run(Repeat("click change_text_btn\ndump loading_fail_retry\ndump loading_fail\n", 4));
  const size_t lengths[] = {8, 36, 100, 8};
  for (int i = 0; i < 4; ++i) {
    std::string retry = Attr(OutputOf(run.output, "dump loading_fail_retry", i), "failRetryText");
    EXPECT_EQ(CountCodePoints(retry), lengths[i]) << retry;
    EXPECT_EQ(Attr(OutputOf(run.output, "dump loading_fail", i), "failStateText"), retry);
  }
  EXPECT_EQ(Attr(OutputOf(run.output, "dump loading_fail_retry", 0), "failRetryText"), "文字内容只占一行");
  std::string longest = Attr(OutputOf(run.output, "dump loading_fail_retry", 2), "failRetryText");
  EXPECT_EQ(longest.rfind("文字很长图片上传失败", 0), 0u);
}

TEST_F(MainWindow, TabCountersPersistBetweenClicks) {
  VitrineRun run = Run(Repeat("click tabtest3\ndump test_tab1\n", 3) + Repeat("click tabtest4\ndump test_tab1\n", 3) +
                       Repeat("click tabteste7\ndump test_tab6\n", 2) + Repeat("click tabteste6\ndump test_tab6\n", 2) +
                       Repeat("click tabteste1\n", 2) + "dump test_tab6\n");
  const char* dragable[] = {"1", "0", "1"};
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Attr(OutputOf(run.output, "dump test_tab1", i), "dragable"), dragable[i]);
  const char* enable[] = {"enable=\"0\"", "enable=\"1\"", "enable=\"0\""};
  for (int i = 0; i < 3; ++i) {
    std::vector<std::string> dump = OutputOf(run.output, "dump test_tab1", 3 + i);
    size_t item0 = IndexOf(dump, "  item 0 ");
    ASSERT_NE(item0, std::string::npos);
    EXPECT_NE(dump[item0].find(enable[i]), std::string::npos) << dump[item0];
  }
  EXPECT_EQ(Attr(OutputOf(run.output, "dump test_tab6", 0), "MaxRowCount"), "-1");
  EXPECT_EQ(Attr(OutputOf(run.output, "dump test_tab6", 1), "MaxRowCount"), "1");
  EXPECT_EQ(Attr(OutputOf(run.output, "dump test_tab6", 2), "single"), "0");
  EXPECT_EQ(Attr(OutputOf(run.output, "dump test_tab6", 3), "single"), "1");
  std::vector<std::string> tabs = OutputOf(run.output, "dump test_tab6", 4);
  EXPECT_TRUE(Contains(tabs, "  item 3 itemid=\"10000\" more_icon=\"1\" title=\"新建窗口10000\""));
  EXPECT_TRUE(Contains(tabs, "  item 4 itemid=\"10001\" more_icon=\"1\" title=\"新建窗口10001\""));
}

TEST_F(MainWindow, OtherTabRowsAddPlainItemsAndRemoveTheFirst) {
  VitrineRun run =
      Run("click tabtestb1\nclick tabtestb2\ndump test_tab3\ndump text_tab_msg\nclick tabtestb5\ndump text_tab_msg\n");
  std::vector<std::string> tab = OutputOf(run.output, "dump test_tab3");
  EXPECT_TRUE(Contains(tab, "items=3"));
  EXPECT_TRUE(Contains(tab, "  item 0 itemid=\"2\" title=\"标签2\""));
  EXPECT_TRUE(Contains(tab, "  item 2 more_icon=\"1\""));
  EXPECT_EQ(Field(OutputOf(run.output, "dump text_tab_msg", 0), "text"), "EVT_TARNTAB_ITEM_REMOVED");
  EXPECT_EQ(Field(OutputOf(run.output, "dump text_tab_msg", 1), "text"), "EVT_TARNTAB_SELCHANGED");
}

TEST_F(MainWindow, TabEventsShowTheirNamesExceptUnroutedOnes) {
  VitrineRun run =
      Run("event 29007 test_tab2\ndump text_tab_msg\n"
          "event 29010 test_tab2\ndump text_tab_msg\n"
          "event 29011 test_tab1\ndump text_tab_msg\n"
          "event 29011 test_tab6\ndump text_tab_msg\n");
  EXPECT_EQ(Field(OutputOf(run.output, "dump text_tab_msg", 0), "text"), "EVT_TARNTAB_ITEM_CLICK_TAILICON");
  EXPECT_EQ(OutputOf(run.output, "event 29010 test_tab2"), std::vector<std::string>{"  handled=0"});
  EXPECT_EQ(Field(OutputOf(run.output, "dump text_tab_msg", 1), "text"), "EVT_TARNTAB_ITEM_CLICK_TAILICON");
  EXPECT_EQ(Field(OutputOf(run.output, "dump text_tab_msg", 2), "text"), "EVT_TARNTAB_ITEM_CLICK_TAILICON");
  EXPECT_EQ(Field(OutputOf(run.output, "dump text_tab_msg", 3), "text"), "EVT_TARNTAB_ITEM_CANCLE_SEL");
}

TEST_F(MainWindow, PasswordEditReportsAndClears) {
  VitrineRun run =
      Run("text editpwd_test 590274\nevent 26000 editpwd_test\ndump editpwd_test\n"
          "text editpwd_test 123456\nevent 26000 editpwd_test\ndump editpwd_test\n"
          "event 27000 editpwd_test\nkestrel\n");
  EXPECT_EQ(Field(OutputOf(run.output, "dump editpwd_test", 0), "text"), "");
  EXPECT_EQ(Field(OutputOf(run.output, "dump editpwd_test", 1), "text"), "");
  std::vector<std::string> record = OutputOf(run.output, "kestrel");
  size_t ok = IndexOf(record, "content=\"密码正确！\"");
  size_t wrong = IndexOf(record, "content=\"密码错误！\"");
  size_t digits = IndexOf(record, "content=\"请输入输入数字！\"");
  ASSERT_NE(ok, std::string::npos);
  ASSERT_NE(wrong, std::string::npos);
  ASSERT_NE(digits, std::string::npos);
  EXPECT_LT(ok, wrong);
  EXPECT_LT(wrong, digits);
  EXPECT_NE(record[ok].find("style=2"), std::string::npos);
  EXPECT_NE(record[ok].find("width=0"), std::string::npos);
  EXPECT_NE(record[ok].find("owner=0"), std::string::npos);
}

TEST_F(MainWindow, SearchEditShowsTheClearButtonWhileItHasText) {
  VitrineRun run =
      Run("dump btn_clear\ntext tarn_editcoms_test 腾讯\ndump btn_clear\nclick btn_search\n"
          "click btn_clear\ndump tarn_editcoms_test\ndump btn_clear\n"
          "text tarn_editmcoms_test 你好abc\ndump text_char_count\nkestrel\n");
  EXPECT_EQ(Field(OutputOf(run.output, "dump btn_clear", 0), "visible"), "0");
  EXPECT_EQ(Field(OutputOf(run.output, "dump btn_clear", 1), "visible"), "1");
  EXPECT_EQ(Field(OutputOf(run.output, "dump tarn_editcoms_test"), "text"), "");
  EXPECT_EQ(Field(OutputOf(run.output, "dump btn_clear", 2), "visible"), "0");
  EXPECT_EQ(Field(OutputOf(run.output, "dump text_char_count"), "text"), "5");
  std::vector<std::string> record = OutputOf(run.output, "kestrel");
  EXPECT_TRUE(Contains(record, "content_title=\"您输入的内容是：\" content=\"腾讯\""));
  EXPECT_TRUE(Contains(record, "icon_skin=\"skin_basewnd_img_vorra\" icon=0 style=2"));
  EXPECT_TRUE(Contains(record, "width=1"));
}

TEST_F(MainWindow, InitialisationSetsEditsValuesAndOffsets) {
  vit.WriteConfig("app.cfg", {{20610, {"bool", 1}}, {20611, {"int", 1500}}, {90611, {"int", 1}}});
  VitrineRun run =
      Run("dump tarnedt_tests4\ndump PasswdEdit_test3\ndump redgreen1\ndump redgreen3\ndump redgreen12\n"
          "dump redgreen101\ndump redgreen104\ndump redgreen112\ndump toast_offset_2\ndump btn_clear\n"
          "dump multilink_test\ngdi\nwindow main\n");
  std::vector<std::string> pwd = OutputOf(run.output, "dump tarnedt_tests4");
  EXPECT_EQ(Field(pwd, "text"), "mock305");
  EXPECT_EQ(Attr(pwd, "passwordChar"), "*");
  EXPECT_EQ(Field(OutputOf(run.output, "dump PasswdEdit_test3"), "visible"), "0");
  // 24 values cycle 101, 100, 99 across both ranges.
  const char* names[] = {"redgreen1", "redgreen3", "redgreen12", "redgreen101", "redgreen104", "redgreen112"};
  const char* current[] = {"101", "99", "99", "101", "101", "99"};
  for (int i = 0; i < 6; ++i) {
    std::vector<std::string> dump = OutputOf(run.output, std::string("dump ") + names[i]);
    EXPECT_EQ(Attr(dump, "current"), current[i]) << names[i];
    EXPECT_EQ(Attr(dump, "compare"), "100");
  }
  EXPECT_EQ(Field(OutputOf(run.output, "dump toast_offset_2"), "text"), "45");  // ZPixel(30) at 150 %
  EXPECT_EQ(Field(OutputOf(run.output, "dump btn_clear"), "visible"), "0");
  EXPECT_TRUE(Contains(OutputOf(run.output, "dump multilink_test"), "click_callback=1 hover_callback=1"));
  EXPECT_EQ(OutputOf(run.output, "gdi"), std::vector<std::string>{"  dcs=1 bitmaps=1 printed=1"});
  EXPECT_EQ(Field(OutputOf(run.output, "window main"), "scale"), "150");
}

TEST_F(MainWindow, ToastsReadTheirEdits) {
  VitrineRun run =
      Run("text icon_type_1 7\ntext toast_display_times_1 x\nclick toast_test_1\ndump icon_type_1\n"
          "text icon_type_1 3\nclick toast_test_1\n"
          "text toast_offset_2 12\nclick toast_test_2\nclick toast_test_3\nclick toast_test_9\nkestrel\n");
  EXPECT_EQ(Field(OutputOf(run.output, "dump icon_type_1"), "text"), "1");
  std::vector<std::string> record = OutputOf(run.output, "kestrel");
  ASSERT_EQ(record.size(), 5u);
  EXPECT_EQ(record[0], "  toast owner=dlg_Vitrine icon=1 text=\"操作成功\" offset=30 times=0");
  EXPECT_EQ(record[1], "  toast owner=dlg_Vitrine icon=3 text=\"操作成功\" offset=30 times=0");
  EXPECT_EQ(record[2],
            "  toast owner=dlg_Vitrine skin=\"skin_toast_icon_info\" text=\"自定义图标提示\" offset=12 times=3");
  EXPECT_EQ(record[3], "  toast owner=dlg_Vitrine skin=\"skin_toast_icon_info\" text=\"最小宽度\" offset=12 times=3");
  EXPECT_NE(record[4].find("谢公宿处今尚在，渌水荡漾，清猿啼。脚着谢公屐，身登青云梯。半壁见海，空中闻天鸡。\""),
            std::string::npos);
}

TEST_F(MainWindow, MenusOpenAtTheCursor) {
  VitrineRun run =
      Run("cursor 640 480\nevent 8111 menu_test\nevent 8111 menu_test2\nevent 8107 legendtest3\nkestrel\n");
  std::vector<std::string> record = OutputOf(run.output, "kestrel");
  EXPECT_EQ(record, (std::vector<std::string>{
                        "  menu x=640 y=480 owner=dlg_Vitrine res=\"tarnmenu_demo\" type=\"LAYOUT\" found=1",
                        "  multisel-menu x=640 y=480 owner=dlg_Vitrine res=\"LAYOUT:tarnmenu_demo2\" flags=0 found=1",
                        "  legend legendtest2 asked selected=0",
                    }));
}

TEST_F(MainWindow, MessageDialogIsBuiltFromThePage) {
  VitrineRun run =
      Run("click dlg_teste1\nselect cb_content_icon 2\nselect cb_btn_type 3\nselect cb_wnd_width 2\n"
          "select cb_left_type 1\nclick dlg_teste1\nlink\nkestrel\n");
  std::vector<std::string> record = OutputOf(run.output, "kestrel");
  ASSERT_EQ(record.size(), 3u);
  EXPECT_EQ(record[0],
            "  dialog owner=0 title=\"提示\" wndicon=\"skin_wnd_icon\" content_title=\"标题\" content=\"内容\" "
            "link=\"了解更多\" icon_skin=\"skin_basewnd_img_vorra\" icon=0 style=0 buttons=\"确定\",\"取消\",\"\" "
            "left=0:\"不再提示\" width=300 link_event=\"了解更多\"");
  EXPECT_NE(record[1].find("icon_skin=\"\" icon=2 style=3 buttons=\"\",\"\",\"\" left=1:\"不再提示\" width=500"),
            std::string::npos)
      << record[1];
  EXPECT_NE(record[2].find("content=\"您点击了连接!\""), std::string::npos);
}

TEST_F(MainWindow, GroupListPanelsFollowTheirGroups) {
  VitrineRun run = Run("dump gl_catalog\nselect gl_catalog 0\nselect gl_catalog 1\ndump gl_catalog\n");
  EXPECT_EQ(OutputOf(run.output, "dump gl_catalog", 0),
            (std::vector<std::string>{
                "gl_catalog class=tarngrouplist visible=1 enabled=1 checked=0 focus=0 text=\"\"",
                "  group 0 expanded=1 toggle=0 label=\"自选股\"",
                "  item 0.0 label=\"腾讯控股\" icon=1",
                "  item 0.1 label=\"苹果\" icon=2",
                "  group 1 expanded=0 toggle=1 label=\"持仓\"",
                "  item 1.0 label=\"贵州茅台\" icon=0",
            }));
  std::vector<std::string> after = OutputOf(run.output, "dump gl_catalog", 1);
  EXPECT_TRUE(Contains(after, "  group 0 expanded=0 toggle=1"));
  EXPECT_TRUE(Contains(after, "  group 1 expanded=1 toggle=0"));
}

TEST_F(MainWindow, ProgressAndLoadingStates) {
  VitrineRun run =
      Run("text edt_tarnprocess2 75\nclick process_test2\ndump progress_pb2\ndump progress_pb1\n"
          "event 29100 bottom_loading_fail\nevent 29101 page_loading_fail\nevent 29101 top_loading_fail\n"
          "dump bottom_loading_fail\ndump page_loading_fail\ndump top_loading_fail\n");
  EXPECT_EQ(Attr(OutputOf(run.output, "dump progress_pb2"), "value"), "75");
  EXPECT_EQ(Attr(OutputOf(run.output, "dump progress_pb1"), "value"), "0");
  EXPECT_EQ(Attr(OutputOf(run.output, "dump bottom_loading_fail"), "currentState"), "loading");
  EXPECT_EQ(Attr(OutputOf(run.output, "dump page_loading_fail"), "currentState"), "loading");
  EXPECT_EQ(Attr(OutputOf(run.output, "dump top_loading_fail"), "currentState"), "fail");
}

TEST_F(MainWindow, TreeSelectsPagesAndSizeButtonsFollowTheWindow) {
  VitrineRun run = Run(
      "select mytree 4\ndump tab_ctrls\nclick btn_max\ndump btn_max\ndump btn_restore\nwindow main\n"
      "click btn_restore\ndump btn_max\ndump btn_restore\nwindow main\nmsg main 2075\nmsg main 2076\ndump main:root\n");
  EXPECT_TRUE(Contains(OutputOf(run.output, "dump tab_ctrls"), "  cursel=4"));
  EXPECT_EQ(Field(OutputOf(run.output, "dump btn_max", 0), "visible"), "0");
  EXPECT_EQ(Field(OutputOf(run.output, "dump btn_restore", 0), "visible"), "1");
  EXPECT_EQ(Field(OutputOf(run.output, "window main", 0), "rect"), "0,0,1920,1080");
  EXPECT_EQ(Field(OutputOf(run.output, "dump btn_max", 1), "visible"), "1");
  EXPECT_EQ(Field(OutputOf(run.output, "dump btn_restore", 1), "visible"), "0");
  EXPECT_EQ(Field(OutputOf(run.output, "window main", 1), "rect"), "360,140,1560,940");
  EXPECT_EQ(OutputOf(run.output, "msg main 2075"), std::vector<std::string>{"  result=0"});
  // 2075 and 2076 reach the widget tree as 1899 and 2027.
  EXPECT_TRUE(Contains(OutputOf(run.output, "dump main:root"), "  dispatched 1899 2027"));
}

TEST_F(MainWindow, ClosingEndsTheProgramThroughTheShutdown) {
  VitrineRun run = Run("click btn_close\ndump btn_ctrl\n");
  EXPECT_TRUE(Contains(vit.CallLog(), "IMessageDispatch::UnInit"));
  EXPECT_EQ(run.output.find("dump btn_ctrl"), std::string::npos);  // no command runs after the quit
}

}  // namespace

namespace {

// A layout that lacks some widgets and has others of the wrong class.
class AlteredLayout : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string res = vit.Home() + "/res";
    std::string cmd = "cp -r " + std::string(VITRINE_SOURCE_RESOURCES) + " " + res +
                      " && sed -i"
                      " -e 's|<tarntab name=\"test_tab1\">|<window name=\"test_tab1\">|'"
                      " -e 's|<tarnredgreen name=\"redgreen5\"/>||'"
                      " -e 's|<tarnloadingfail name=\"loading_fail\" currentState=\"fail\"/>||'"
                      " -e 's|<tarnmarkettag name=\"market_tag_of_solid\" |<text name=\"market_tag_of_solid\" |'"
                      " " +
                      res +
                      "/layout/dlg_Vitrine.xml"
                      " && sed -i -e '/name=\"test_tab1\"/,/<\\/tarntab>/s|</tarntab>|</window>|' " +
                      res + "/layout/dlg_Vitrine.xml";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    vit.SetEnv("VITRINE_RESOURCES", res);
  }
  VitrineRunner vit;
};

TEST_F(AlteredLayout, MissingOrMistypedWidgetsSkipOnlyTheirOwnSteps) {
  VitrineRun run = vit.Run(
      "click tabtest3\ndump test_tab1\ndump redgreen4\ndump redgreen6\ndump redgreen101\n"
      "click change_text_btn\ndump loading_fail_retry\n"
      "click siwtch_market_btn\ndump market_tag_of_solid\ndump market_tag_of_bordered\nsoui-log\n");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(Attr(OutputOf(run.output, "dump test_tab1"), "dragable"), "<missing>");
  EXPECT_EQ(Attr(OutputOf(run.output, "dump redgreen4"), "current"), "101");
  EXPECT_EQ(Attr(OutputOf(run.output, "dump redgreen6"), "current"), "<missing>");  // stopped at redgreen5
  EXPECT_EQ(Attr(OutputOf(run.output, "dump redgreen101"), "current"), "<missing>");
  EXPECT_EQ(Attr(OutputOf(run.output, "dump loading_fail_retry"), "failRetryText"), "<missing>");
  EXPECT_EQ(Attr(OutputOf(run.output, "dump market_tag_of_solid"), "market"), "HK");  // as the layout has it
  EXPECT_EQ(Attr(OutputOf(run.output, "dump market_tag_of_bordered"), "market"), "US");
  std::vector<std::string> log = OutputOf(run.output, "soui-log");
  EXPECT_TRUE(Contains(log, "FindChildByName2: \"test_tab1\" is \"window\", not \"tarntabbase\""));
  EXPECT_TRUE(Contains(log, "FindChildByName2: \"market_tag_of_solid\" is \"text\", not \"tarnmarkettag\""));
  EXPECT_TRUE(vit.WarnLog().empty());
}

}  // namespace
