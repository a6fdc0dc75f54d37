// The bubble overlay protocol over the dispatcher, and the overlay keeping
// to the main window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/vitrine_runner.h"

namespace {

int CountLines(const std::vector<std::string>& lines, const std::string& needle) {
  int n = 0;
  for (const std::string& l : lines) n += l.find(needle) != std::string::npos ? 1 : 0;
  return n;
}

class Bubbles : public VitrineConsoleTest {};

TEST_F(Bubbles, HidingWithNoBubbleWindowDoesNothing) {
  VitrineRun run = Run("dispatch 200711\ndispatch 200711 none\nwindow bubble\nwindows\n");
  EXPECT_EQ(OutputOf(run.output, "dispatch 200711"), std::vector<std::string>{"  taken=1"});
  EXPECT_EQ(Field(OutputOf(run.output, "window bubble"), "exists"), "0");
  EXPECT_EQ(CountLines(OutputOf(run.output, "windows"), "tarn_bubble"), 0);
}

TEST_F(Bubbles, BodiesWithoutAnAddressAreIgnored) {
  VitrineRun run = Run("dispatch 200710\ndispatch 200710 none\ndispatch 200710 0\nwindow bubble\n");
  EXPECT_EQ(
      OutputOf(run.output, "window bubble"),
      std::vector<std::string>{"bubble exists=0 visible=0 owner=0 rect=0,0,0,0 inits=0 posupdates=0 page=0 groups=0"});
}

// Anchors from the button's screen rectangle: main window at (360, 140), the
// buttons' layout positions added.
TEST_F(Bubbles, EachDemonstrationSendsItsGroup) {
  VitrineRun run =
      Run("click bubbletest1\nclick bubbletest2\nclick bubbletest3\nclick bubbletest4\nclick bubbletest5\n"
          "click bubbletest6\nwindow bubble\n");
  std::vector<std::string> bubble = OutputOf(run.output, "window bubble");
  auto expectBubble = [&](const std::string& group, const std::vector<std::string>& lines) {
    size_t at = IndexOf(bubble, "  group id=" + group);
    ASSERT_NE(at, std::string::npos) << group;
    for (size_t i = 0; i < lines.size(); ++i) {
      ASSERT_LT(at + 1 + i, bubble.size());
      EXPECT_EQ(bubble[at + 1 + i], "    bubble " + lines[i]) << group;
    }
  };
  // bubbletest1 at (100,120,200,150) -> screen (460,260,560,290)
  expectBubble("1001 kind=1", {"anchor=560,275 side=1 text1=216177 text2=0 image=0 size=0x0 target=0,0,0,0"});
  // bubbletest2 at (300,120,400,150) -> (660,260,760,290)
  expectBubble("1002 kind=1", {"anchor=660,275 side=3 text1=216177 text2=0 image=0 size=0x0 target=0,0,0,0"});
  // bubbletest3 at (100,220,200,250) -> (460,360,560,390)
  expectBubble("1003 kind=1", {"anchor=510,360 side=4 text1=216177 text2=0 image=0 size=0x0 target=0,0,0,0"});
  // bubbletest4 at (300,220,400,250) -> (660,360,760,390)
  expectBubble("1004 kind=1", {"anchor=710,390 side=2 text1=216177 text2=0 image=0 size=0x0 target=0,0,0,0"});
  // bubbletest5 at (100,320,200,350) -> (460,460,560,490)
  expectBubble("1005 kind=2", {"anchor=510,460 side=4 text1=0 text2=0 image=0 size=0x0 target=0,0,0,0",
                               "anchor=510,490 side=2 text1=0 text2=0 image=0 size=0x0 target=0,0,0,0"});
  // bubbletest6 at (300,320,400,350) -> (660,460,760,490)
  expectBubble("1006 kind=3",
               {"anchor=660,475 side=3 text1=530432 text2=530431 image=1 size=256x406 target=660,460,760,490",
                "anchor=760,475 side=1 text1=530432 text2=530431 image=1 size=256x406 target=0,0,0,0"});
}

TEST_F(Bubbles, PicturesAreZoomedWithTheApplication) {
  vit.WriteConfig("app.cfg", {{20610, {"bool", 1}}, {20611, {"int", 1250}}, {90611, {"int", 1}}});
  VitrineRun run = Run("click bubbletest6\nwindow bubble\n");
  EXPECT_TRUE(Contains(OutputOf(run.output, "window bubble"), "size=320x507"));
}

TEST_F(Bubbles, ASecondGroupReinitialisesTheExistingWindow) {
  VitrineRun run = Run("click bubbletest1\nclick bubbletest5\nwindow bubble\nwindows\n");
  std::vector<std::string> bubble = OutputOf(run.output, "window bubble");
  EXPECT_EQ(Field(bubble, "inits"), "2");
  EXPECT_EQ(Field(bubble, "groups"), "2");
  EXPECT_EQ(Field(bubble, "visible"), "1");
  EXPECT_EQ(Field(bubble, "owner"), "dlg_Vitrine");
  EXPECT_EQ(CountLines(OutputOf(run.output, "windows"), "hwnd tarn_bubble parent=dlg_Vitrine"), 1);
}

TEST_F(Bubbles, HidingTwiceHidesOnceAndShowingAgainReusesTheWindow) {
  VitrineRun run =
      Run("click bubbletest1\ndispatch 200711\nwindow bubble\ndispatch 200711\nwindow bubble\n"
          "click bubbletest2\nwindow bubble\n");
  EXPECT_EQ(Field(OutputOf(run.output, "window bubble", 0), "visible"), "0");
  EXPECT_EQ(Field(OutputOf(run.output, "window bubble", 1), "visible"), "0");
  EXPECT_EQ(Field(OutputOf(run.output, "window bubble", 1), "exists"), "1");
  std::vector<std::string> shown = OutputOf(run.output, "window bubble", 2);
  EXPECT_EQ(Field(shown, "visible"), "1");
  EXPECT_EQ(Field(shown, "inits"), "2");
}

TEST_F(Bubbles, OverlayFollowsTheMainWindow) {
  VitrineRun run =
      Run("click bubbletest1\nmove main 100 50\nwindow bubble\nresize main 800 600\nwindow bubble\n"
          "click btn_max\nwindow bubble\nclick btn_restore\nwindow bubble\nwindow main\n");
  EXPECT_EQ(Field(OutputOf(run.output, "window bubble", 0), "rect"), "100,50,1300,850");
  EXPECT_EQ(Field(OutputOf(run.output, "window bubble", 1), "rect"), "100,50,900,650");
  EXPECT_EQ(Field(OutputOf(run.output, "window bubble", 2), "rect"), "0,0,1920,1080");
  std::string restored = Field(OutputOf(run.output, "window bubble", 3), "rect");
  EXPECT_EQ(restored, "100,50,900,650");
  EXPECT_EQ(restored, Field(OutputOf(run.output, "window main"), "rect"));
}

TEST_F(Bubbles, LeavingTheBubblePageDestroysAVisibleOverlay) {
  VitrineRun run =
      Run("select mytree 6\nclick bubbletest1\nselect mytree 7\nwindow bubble\n"
          "click bubbletest1\nselect mytree 8\nwindow bubble\n"
          "select mytree 6\nclick bubbletest1\ndispatch 200711\nselect mytree 7\nwindow bubble\n");
  EXPECT_EQ(Field(OutputOf(run.output, "window bubble", 0), "exists"), "0");
  EXPECT_EQ(Field(OutputOf(run.output, "window bubble", 1), "exists"), "1");  // left another page
  EXPECT_EQ(Field(OutputOf(run.output, "window bubble", 2), "exists"), "1");  // hidden: kept
}

TEST_F(Bubbles, ClosingTheMainWindowDestroysTheOverlayFirst) {
  Run("click bubbletest1\nclick main:btn_close\n");
  std::vector<std::string> calls = vit.CallLog();
  size_t bubble = IndexOf(calls, "WindowDestroyed(tarn_bubble)");
  size_t main = IndexOf(calls, "WindowDestroyed(dlg_Vitrine)");
  ASSERT_NE(bubble, std::string::npos);
  ASSERT_NE(main, std::string::npos);
  EXPECT_LT(bubble, main);
  EXPECT_LT(main, IndexOf(calls, "ISOUIManager::UninitSOUI"));
}

TEST_F(Bubbles, OverlayButtonsPageAndClose) {
  VitrineRun run =
      Run("click bubbletest5\ndump bubble:txt_page\nclick bubble:btn_next\ndump bubble:txt_page\ndump bubble:btn_next\n"
          "click bubble:btn_before\ndump bubble:txt_page\nclick bubbletest1\nclick bubble:btn_close\nwindow bubble\n"
          "click bubble:pop\nwindow bubble\n");
  EXPECT_EQ(Field(OutputOf(run.output, "dump bubble:txt_page", 0), "text"), "1/2");
  EXPECT_EQ(Field(OutputOf(run.output, "dump bubble:txt_page", 1), "text"), "2/2");
  EXPECT_EQ(Field(OutputOf(run.output, "dump bubble:btn_next"), "visible"), "0");
  EXPECT_EQ(Field(OutputOf(run.output, "dump bubble:txt_page", 2), "text"), "1/2");
  std::vector<std::string> afterClose = OutputOf(run.output, "window bubble", 0);
  EXPECT_EQ(Field(afterClose, "groups"), "1");
  EXPECT_EQ(Field(afterClose, "visible"), "1");
  std::vector<std::string> afterBackground = OutputOf(run.output, "window bubble", 1);
  EXPECT_EQ(Field(afterBackground, "groups"), "0");
  EXPECT_EQ(Field(afterBackground, "visible"), "0");
}

}  // namespace

namespace {

// Minimising: the system's size notice and the button itself both move the overlay.
TEST(BubblesMinimise, MinimiseButtonUpdatesTheOverlayTwice) {
  VitrineRunner vit;
  VitrineRun run = vit.Run("click bubbletest1\nclick btn_min\nwindow bubble\nwindows\n");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(Field(OutputOf(run.output, "window bubble"), "posupdates"), "2");
  EXPECT_TRUE(Contains(OutputOf(run.output, "windows"), "hwnd dlg_Vitrine parent=0 visible=1 max=0 min=1"));
}

}  // namespace
