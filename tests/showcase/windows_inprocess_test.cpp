// Window behaviour that the console cannot reach: calls made before
// initialisation, a null parent, and the bubble window's maps.
#include <gtest/gtest.h>

#include "showcase/dlg_setting.h"
#include "showcase/platform/kestrel.h"
#include "showcase/platform/velvet.h"
#include "showcase/vitrine_dlg.h"

namespace {

class InProcess : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (SApplication::getSingletonPtr() != nullptr) return;
    ISOUIManager::InitSOUI();
    RegisterAllControl();
  }
};

TEST_F(InProcess, SettingsWithoutAParentCreatesNothing) {
  EXPECT_EQ(SDlgSetting::ShowSettingsWindow(nullptr, POINT{0, 0}), nullptr);
  EXPECT_EQ(SDlgSetting::Instance(), nullptr);
}

TEST_F(InProcess, SizeMessagesBeforeInitialisationChangeNothing) {
  VitrineDlg dlg;
  ASSERT_NE(dlg.Create(nullptr, 0x94080000, 0, 0, 0, 0, 0), nullptr);
  SWindow* restore = dlg.FindChildByName(L"btn_restore");
  SWindow* maximize = dlg.FindChildByName(L"btn_max");
  ASSERT_NE(restore, nullptr);
  ASSERT_NE(maximize, nullptr);
  dlg.SendMessageW(WM_SIZE, SIZE_MAXIMIZED, 0);
  EXPECT_FALSE(restore->IsVisible());
  EXPECT_TRUE(maximize->IsVisible());

  EXPECT_EQ(dlg.SendMessageW(WM_INITDIALOG, 0, 0), TRUE);
  dlg.SendMessageW(WM_SIZE, SIZE_MAXIMIZED, 0);
  EXPECT_TRUE(restore->IsVisible());
  EXPECT_FALSE(maximize->IsVisible());
  dlg.SendMessageW(WM_SIZE, SIZE_MINIMIZED, 0);  // neither state: buttons stay
  EXPECT_TRUE(restore->IsVisible());
  dlg.SendMessageW(WM_SIZE, SIZE_RESTORED, 0);
  EXPECT_FALSE(restore->IsVisible());
  EXPECT_TRUE(maximize->IsVisible());
  dlg.DestroyWindow();
}

// Like the bubble window's map: another map id is refused untouched, and a
// message the window leaves falls through to the host and is not handled.
TEST_F(InProcess, WindowMapsRefuseOtherMapIds) {
  VitrineDlg main;
  ASSERT_NE(main.Create(nullptr, 0x94080000, 0, 0, 0, 0, 0), nullptr);
  SDlgSetting settings;
  ASSERT_NE(settings.Create(main.m_hWnd, 0x94000000, 0, 0, 0, 0, 0), nullptr);
  struct Host {
    const char* name;
    SHostWnd* wnd;
  };
  for (const Host& host : {Host{"main", &main}, Host{"settings", &settings}}) {
    LRESULT result = 77;
    EXPECT_EQ(host.wnd->ProcessWindowMessage(host.wnd->m_hWnd, WM_INITDIALOG, 0, 0, result, 1), FALSE) << host.name;
    EXPECT_EQ(result, 77) << host.name;
    EXPECT_EQ(host.wnd->ProcessWindowMessage(host.wnd->m_hWnd, WM_INITDIALOG, 0, 0, result, 0), TRUE) << host.name;
    EXPECT_EQ(result, TRUE) << host.name;
    EXPECT_EQ(host.wnd->ProcessWindowMessage(host.wnd->m_hWnd, 0x0135, 0, 0, result, 0), FALSE) << host.name;
    EXPECT_EQ(host.wnd->ProcessWindowMessage(host.wnd->m_hWnd, WM_CLOSE, 0, 0, result, 1), FALSE) << host.name;
    EXPECT_TRUE(host.wnd->IsWindow()) << host.name;  // the refused close did nothing
  }
  settings.DestroyWindow();
  main.DestroyWindow();
}

class BubbleMaps : public InProcess {
 protected:
  void SetUp() override { ASSERT_NE(bubble.Create(nullptr, 0, 0, 300, 200), nullptr); }
  void TearDown() override {
    if (bubble.IsWindow()) bubble.DestroyWindow();
  }
  CTarnBubbleWnd bubble;
};

TEST_F(BubbleMaps, CommandsByNameAreHandledAndOthersAreNot) {
  SWindow* close = bubble.FindChildByName(L"btn_close");
  ASSERT_NE(close, nullptr);
  EventCmd click(close);
  EXPECT_EQ(bubble._HandleEvent(&click), TRUE);
  EXPECT_FALSE(click.bubbleUp);
  EventArgs other(close, 8107);
  EXPECT_EQ(bubble._HandleEvent(&other), FALSE);
  EXPECT_TRUE(other.bubbleUp);
  SWindow* title = bubble.FindChildByName(L"txt_title");
  EventCmd elsewhere(title);
  EXPECT_EQ(bubble._HandleEvent(&elsewhere), FALSE);
}

TEST_F(BubbleMaps, MessageMapRoutesAndKeepsTheHandledFlag) {
  LRESULT result = 77;
  EXPECT_EQ(bubble.ProcessWindowMessage(bubble.m_hWnd, WM_INITDIALOG, 0, 0, result, 1), FALSE);
  EXPECT_EQ(result, 77);  // another map id: nothing touched

  bubble.SetMsgHandled(FALSE);
  EXPECT_EQ(bubble.ProcessWindowMessage(bubble.m_hWnd, WM_INITDIALOG, 0, 0, result, 0), TRUE);
  EXPECT_EQ(result, TRUE);
  EXPECT_EQ(bubble.IsMsgHandled(), FALSE);  // restored after the call

  EXPECT_EQ(bubble.ProcessWindowMessage(bubble.m_hWnd, 2076, 0, 0, result, 0), TRUE);
  SWindow* root = bubble.GetRoot();
  ASSERT_NE(root, nullptr);
  ASSERT_EQ(root->DispatchedMessages().size(), 1u);
  EXPECT_EQ(root->DispatchedMessages()[0], 2027u);

  EXPECT_EQ(bubble.ProcessWindowMessage(bubble.m_hWnd, 0x0400, 0, 0, result, 0), FALSE);
  EXPECT_EQ(bubble.ProcessWindowMessage(bubble.m_hWnd, 0x0135, 0, 0, result, 0), FALSE);
}

TEST_F(BubbleMaps, DestroyingClearsTheGroups) {
  TarnBubbleGroupInfo group;
  group.kind = 1;
  group.groupId = 7;
  group.bubbles = std::make_shared<std::vector<std::shared_ptr<TarnBubbleInfo>>>();
  group.bubbles->push_back(std::make_shared<TarnBubbleInfo>());
  bubble.AddPop(0, group);
  EXPECT_TRUE(bubble.ShouldShowWnd());
  bubble.DestroyWindow();
  EXPECT_FALSE(bubble.ShouldShowWnd());
}

}  // namespace
