// The main showcase window: pages that demonstrate the Kestrel controls,
// the settings window's opener and the bubble overlay's owner.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "showcase/platform/hearth.h"
#include "showcase/platform/kestrel.h"
#include "showcase/platform/probe.h"
#include "showcase/platform/soui.h"
#include "showcase/text_styles.h"

// Dispatcher messages of the bubble overlay.
constexpr UINT kMsgShowBubble = 200710;
constexpr UINT kMsgHideBubble = 200711;

class VitrineDlg : public IUIATestCtrlBase, public SHostWnd {
 public:
  VitrineDlg();
  ~VitrineDlg() override;

  // Creates the single instance on first use and shows its window; returns
  // the native handle (null when there is none).
  static HWND ShowMainWindow(POINT pt);

  BOOL _HandleEvent(EventArgs* pEvt) override;
  BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult,
                            DWORD dwMsgMapID = 0) override;

  // Automation window side, forwarded to the toolkit window.
  IUIAProvider* GetProvider() override { return SHostWnd::GetProvider(); }
  IUIAProvider* CreateProvider() override { return SHostWnd::CreateProvider(); }
  IUIAProvider* GetChildProviderByIndex(int index) override { return SHostWnd::GetChildProviderByIndex(index); }
  IUIAProvider* GetChildProviderByPoint(POINT pt) override { return SHostWnd::GetChildProviderByPoint(pt); }
  IUIAProvider* GetFocusChildProvider() override { return SHostWnd::GetFocusChildProvider(); }
  BOOL GetUIACtrlRect(RECT* rect) override { return SHostWnd::GetUIACtrlRect(rect); }
  SStringW GetUIAText() override { return SHostWnd::GetUIAText(); }
  SStringW GetUITestID() override { return SHostWnd::GetUITestID(); }
  void SetUITestID(LPCWSTR id) override { SHostWnd::SetUITestID(id); }
  int GetUIMode() override { return SHostWnd::GetUIMode(); }
  void SortChildCtrl() override { SHostWnd::SortChildCtrl(); }
  int GetUIAID() override { return SHostWnd::GetUIAID(); }

  CTarnBubbleWnd& BubbleWnd() { return m_bubbleWnd; }

 private:
  using CommandHandler = void (VitrineDlg::*)(EventArgs*);

  // Window messages.
  BOOL HandleOwnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult);
  BOOL OnInitDialog();
  void OnDestroy() override;
  void OnSize(WPARAM sizeKind);
  void UpdateBubbleIfAny();

  // Initialisation steps.
  void InitTree();
  void InitEdits();
  void InitRedGreenValues();
  void InitLinks();
  void TakeSnapshot();

  // Command events.
  bool RouteCommand(EventArgs* pEvt);
  void OnBtnClose(EventArgs* pEvt);
  void OnBtnMin(EventArgs* pEvt);
  void OnBtnMax(EventArgs* pEvt);
  void OnBtnRestore(EventArgs* pEvt);
  void OnBtnSetting(EventArgs* pEvt);
  void OnBtnClear(EventArgs* pEvt);
  void OnBtnSearch(EventArgs* pEvt);
  void OnChangeText(EventArgs* pEvt);
  void OnBtnCtrl(EventArgs* pEvt);
  void OnSwitchIcon(EventArgs* pEvt);
  void OnSwitchMarket(EventArgs* pEvt);
  void OnDialogTest(EventArgs* pEvt);
  TarnDefaultDialogAttr DialogAttrFromPage();
  bool OnTabDemo(const SStringW& name);
  bool OnBubbleDemo(const SStringW& name);
  void FillBubbles(int layout, const RECT& rc, std::vector<std::shared_ptr<TarnBubbleInfo>>* bubbles);
  bool OnToastDemo(const SStringW& name);
  bool OnProgressDemo(const SStringW& name);

  // Other events.
  bool RouteOtherEvent(EventArgs* pEvt);
  bool OnTabControlEvent(EventArgs* pEvt);
  void OnLegendTest(EventArgs* pEvt);
  void OnMenuTest(EventArgs* pEvt);
  void OnMenuTest2(EventArgs* pEvt);
  void OnTreeSelChanged(EventArgs* pEvt);
  void OnEditComsChanged(EventArgs* pEvt);
  void OnEditMComsChanged(EventArgs* pEvt);
  void OnPasswordChecked(EventArgs* pEvt);
  void OnPasswordNotDigit(EventArgs* pEvt);
  void OnNothing(EventArgs* pEvt);
  void OnLoadingRetry(EventArgs* pEvt);
  void OnGroupListInitGroup(EventArgs* pEvt);
  void OnGroupListInitItem(EventArgs* pEvt);
  void OnGroupStateChanged(EventArgs* pEvt);

  // Bubble overlay.
  void OnShowBubbleMsg(WPARAM param, const std::shared_ptr<msg_body>& body);
  void OnHideBubbleMsg();
  void ShowBubble();

  SStringW TextOf(LPCWSTR name);
  int IntOf(LPCWSTR name);
  bool ScreenRectOf(SWindow* widget, RECT* rect);

  bool m_bLayoutInited = false;
  CTarnBubbleWnd m_bubbleWnd;
  HDC m_hSnapshotDC = nullptr;
  HBITMAP m_hSnapshotBmp = nullptr;
  int32_t m_nScale = 100;
};
