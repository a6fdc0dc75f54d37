// The settings window: language, skin, rise colour and zoom. Choices are held
// here until "btn_ok" or "btn_apply" puts the changed ones into effect.
#pragma once

#include <cstdint>

#include "showcase/platform/probe.h"
#include "showcase/platform/soui.h"
#include "showcase/text_styles.h"

class SDlgSetting : public IUIATestCtrlBase, public SHostWnd {
 public:
  SDlgSetting();
  ~SDlgSetting() override;

  // Null parent: nothing, null. Otherwise creates the single instance on
  // first use and shows its window.
  static HWND ShowSettingsWindow(HWND parent, POINT pt);
  static SDlgSetting* Instance();

  BOOL _HandleEvent(EventArgs* pEvt) override;
  BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult,
                            DWORD dwMsgMapID = 0) override;

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

  std::vector<std::string> DescribeState() const override;

 private:
  using Handler = void (SDlgSetting::*)(EventArgs*);

  void LoadChoices();
  BOOL HandleOwnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult);
  BOOL OnInitDialog();
  void RefreshLanguageRadios();
  void RefreshRiseRadios();
  void RefreshZoomControls(bool textOnly);

  void Apply();
  void ApplyLanguage();
  void ApplySkinChoice();
  void ApplyZoom();
  void ApplyRiseColour();

  void OnBtnClose(EventArgs* pEvt);
  void OnBtnOk(EventArgs* pEvt);
  void OnBtnCancel(EventArgs* pEvt);
  void OnBtnApply(EventArgs* pEvt);
  void OnLanguageSimplified(EventArgs* pEvt);
  void OnLanguageTraditional(EventArgs* pEvt);
  void OnLanguageEnglish(EventArgs* pEvt);
  void OnRedRise(EventArgs* pEvt);
  void OnGreenRise(EventArgs* pEvt);
  void OnZoomUser(EventArgs* pEvt);
  void OnZoomSystem(EventArgs* pEvt);
  void OnSkinChanged(EventArgs* pEvt);
  void OnZoomEditChanged(EventArgs* pEvt);
  void OnZoomEditKillFocus(EventArgs* pEvt);

  int32_t m_nScale = 100;
  int32_t m_languageChoice = 0;
  int32_t m_appliedLanguage = 0;
  bool m_redRiseChoice = true;
  bool m_appliedRedRise = true;
  int32_t m_skinChoice = 0;
  int32_t m_appliedSkin = 0;
  bool m_userZoom = false;
  SStringW m_zoomText = L"100";
};

// Fills the "%d" placeholders of a localized format in order; "%%" is a
// percent sign and any other text is copied as it is.
SStringW FormatIntegers(const SStringW& format, const std::vector<int>& values);
