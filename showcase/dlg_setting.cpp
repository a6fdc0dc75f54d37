#include "showcase/dlg_setting.h"

#include <array>

#include "showcase/host_window.h"
#include "showcase/platform/basalt.h"
#include "showcase/platform/common.h"
#include "showcase/platform/hearth.h"
#include "showcase/platform/hearthres.h"
#include "showcase/platform/ledger.h"
#include "showcase/platform/text.h"
#include "showcase/vitrine_app.h"

namespace {

SDlgSetting*& InstancePtr() {
  static SDlgSetting* instance = nullptr;
  return instance;
}

constexpr DWORD kSettingStyle = 0x94000000;  // popup, visible, clip siblings
constexpr UINT kMsgLanguageChanged = 2075;
constexpr UINT kMsgSkinChanged = 2076;
constexpr UINT kMsgRiseColourChanged = 1063;
constexpr int kZoomTextId = 900235;

int32_t ZoomLimitPercent() { return ScaleFactor(GetZoomMaxLimit(), 100); }

}  // namespace

SStringW FormatIntegers(const SStringW& format, const std::vector<int>& values) {
  SStringW out;
  size_t next = 0;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] != L'%' || i + 1 >= format.size()) {
      out += format[i];
      continue;
    }
    wchar_t spec = format[i + 1];
    if (spec == L'%') {
      out += L'%';
      ++i;
    } else if (spec == L'd') {
      out += next < values.size() ? std::to_wstring(values[next]) : SStringW();
      ++next;
      ++i;
    } else {
      out += format[i];
    }
  }
  return out;
}

SDlgSetting::SDlgSetting() : IUIATestCtrlBase(), SHostWnd(L"LAYOUT:setting_Vitrine") {
  m_redRiseChoice = true;
  m_appliedRedRise = true;
  m_nScale = ScaleFactor(OM::GetAppZoomX(), 100);
  SetScale(m_nScale);
  m_languageChoice = 0;
  m_appliedLanguage = 0;
  m_userZoom = false;
  m_skinChoice = 0;
  m_appliedSkin = 0;
  m_zoomText = L"100";
  LoadChoices();
}

SDlgSetting::~SDlgSetting() = default;

void SDlgSetting::LoadChoices() {
  Util_Config::AppCfg_ReadInt32(kCfgLanguage, &m_languageChoice);
  m_appliedLanguage = m_languageChoice;
  Util_Config::UserCfg_SaveBool(kCfgRedRises, m_redRiseChoice);
  m_appliedRedRise = m_redRiseChoice;
  Util_Config::AppCfg_ReadInt32(kCfgSkin, &m_skinChoice);
  m_appliedSkin = m_skinChoice;
  Util_Config::AppCfg_ReadBool(kCfgUserZoom, &m_userZoom);
  int32_t zoom = 0;
  OM::StrToInt32(m_zoomText.c_str(), &zoom);
  zoom *= 10;
  Util_Config::AppCfg_ReadInt32(kCfgZoom, &zoom);
  m_zoomText = OM::Int32ToStr(zoom / 10);
}

SDlgSetting* SDlgSetting::Instance() { return InstancePtr(); }

HWND SDlgSetting::ShowSettingsWindow(HWND parent, POINT pt) {
  if (parent == nullptr) return nullptr;
  if (InstancePtr() == nullptr) InstancePtr() = new SDlgSetting();
  return ShowOrCreateHostWnd(InstancePtr(), parent, kSettingStyle, pt);
}

// ---- window messages --------------------------------------------------

BOOL SDlgSetting::ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult,
                                       DWORD dwMsgMapID) {
  if (dwMsgMapID != 0) return FALSE;
  BOOL savedHandled = m_bMsgHandled;
  BOOL handled = HandleOwnMessage(uMsg, wParam, lParam, lResult) ||
                 ChainToHostAndReflect(this, hWnd, uMsg, wParam, lParam, lResult, dwMsgMapID);
  m_bMsgHandled = savedHandled;
  return handled;
}

BOOL SDlgSetting::HandleOwnMessage(UINT uMsg, WPARAM /*wParam*/, LPARAM /*lParam*/, LRESULT& lResult) {
  m_bMsgHandled = TRUE;
  lResult = 0;
  switch (uMsg) {
    case WM_SIZE: return FALSE;
    case WM_CLOSE: DestroyWindow(); return TRUE;
    case WM_INITDIALOG: lResult = OnInitDialog(); return TRUE;
    case kMsgLanguageChanged:
      if (GetRoot() != nullptr) GetRoot()->SDispatchMessage(1899, 0, 0);
      RefreshZoomControls(true);
      return TRUE;
    case kMsgSkinChanged: OnRefresh(); return TRUE;
    default: return FALSE;
  }
}

BOOL SDlgSetting::OnInitDialog() {
  RefreshLanguageRadios();
  if (SComboBox* skins = FindChildByName2<SComboBox>(L"skin_cbx")) {
    if (m_skinChoice == 0) skins->GetListBox()->SetCurSel(1);
    if (m_skinChoice == 1) skins->GetListBox()->SetCurSel(0);
  }
  RefreshZoomControls(false);
  RefreshRiseRadios();
  return TRUE;
}

void SDlgSetting::RefreshLanguageRadios() {
  static constexpr std::array<const wchar_t*, 3> kRadios = {
      {L"language_radio_s", L"language_radio_t", L"language_radio_e"}};
  for (size_t i = 0; i < kRadios.size(); ++i) {
    if (SWindow* radio = FindChildByName(kRadios[i])) radio->SetCheck(m_languageChoice == static_cast<int32_t>(i));
  }
}

void SDlgSetting::RefreshRiseRadios() {
  if (SWindow* red = FindChildByName(L"redrise")) red->SetCheck(m_redRiseChoice);
  if (SWindow* green = FindChildByName(L"greenrise")) green->SetCheck(!m_redRiseChoice);
}

void SDlgSetting::RefreshZoomControls(bool textOnly) {
  SStringW explanation = FormatIntegers(BaseString(kZoomTextId).GetString(),
                                        {100, ZoomLimitPercent(), ScaleFactor(GetSysDefZoomX(), 100)});
  if (SWindow* text = FindChildByName(L"zoom_text_3")) text->SetWindowText(explanation.c_str());
  if (textOnly) return;
  if (SEdit* edit = FindChildByName2<SEdit>(L"zoom_edit")) {
    edit->SetLimitText(3);
    edit->SetWindowText(m_zoomText.c_str());
    if (m_userZoom) {
      edit->EnableWindow(true, false);
      edit->SetFocus();
      edit->SetSel(10000, 10000);
    } else {
      edit->EnableWindow(false, false);
    }
  }
  if (SWindow* user = FindChildByName(L"zoom_radio_user")) user->SetCheck(m_userZoom);
  if (SWindow* sys = FindChildByName(L"zoom_radio_sys")) sys->SetCheck(!m_userZoom);
}

// ---- applying ---------------------------------------------------------

void SDlgSetting::Apply() {
  if (!IsWindow()) return;
  ApplyLanguage();
  ApplySkinChoice();
  ApplyZoom();
  ApplyRiseColour();
}

void SDlgSetting::ApplyLanguage() {
  if (m_languageChoice == m_appliedLanguage) return;
  if (!Util_Config::AppCfg_SaveInt32(kCfgLanguage, m_languageChoice)) OMWarn_WriteLog(L"DlgSetting", 368);
  int32_t id = m_languageChoice < 0 || m_languageChoice > 2 ? 0 : m_languageChoice;
  theApp.m_languageId = id;
  IData_QueryLanguage::SetLanguage(id);
  if (IMgr_Language::ChangeLanguage() != 0) {
    OMWarn_WriteLog(L"Vitrine", 364);
    OMWarn_WriteLog(L"DlgSetting", 380);
    return;
  }
  m_appliedLanguage = m_languageChoice;
}

void SDlgSetting::ApplySkinChoice() {
  if (m_skinChoice == m_appliedSkin) return;
  if (!Util_Config::AppCfg_SaveInt32(kCfgSkin, m_skinChoice)) OMWarn_WriteLog(L"DlgSetting", 418);
  if (theApp.ApplySkin(m_skinChoice, false) != S_OK) {
    OMWarn_WriteLog(L"DlgSetting", 427);
    return;
  }
  m_appliedSkin = m_skinChoice;
}

// Stored only; the shell reads it at the next start.
void SDlgSetting::ApplyZoom() {
  Util_Config::AppCfg_SaveBool(kCfgUserZoom, m_userZoom);
  int32_t percent = 0;
  if (!OM::StrToInt32(m_zoomText.c_str(), &percent)) percent = 0;
  if (percent >= 100 && percent <= ZoomLimitPercent()) Util_Config::AppCfg_SaveInt32(kCfgZoom, percent * 10);
}

void SDlgSetting::ApplyRiseColour() {
  if (m_redRiseChoice == m_appliedRedRise) return;
  if (!Util_Config::UserCfg_SaveBool(kCfgRedRises, m_redRiseChoice)) OMWarn_WriteLog(L"DlgSetting", 391);
  IMessageDispatch::Send(kMsgRiseColourChanged, nullptr, true);
  theApp.m_redRises = m_redRiseChoice;
  Util_Config::UserCfg_SaveBool(kCfgRedRises, m_redRiseChoice);
  if (IMgr_Language::ChangeLanguage() != 0) {
    OMWarn_WriteLog(L"Vitrine", 413);
    OMWarn_WriteLog(L"DlgSetting", 404);
    return;
  }
  m_appliedRedRise = m_redRiseChoice;
}

// ---- widget events ----------------------------------------------------

BOOL SDlgSetting::_HandleEvent(EventArgs* pEvt) {
  struct Route {
    int id;
    const wchar_t* name;
    Handler handler;
  };
  static constexpr std::array<Route, 14> kRoutes = {{
      {EVT_CMD, L"btn_close", &SDlgSetting::OnBtnClose},
      {EVT_CMD, L"btn_ok", &SDlgSetting::OnBtnOk},
      {EVT_CMD, L"btn_cancel", &SDlgSetting::OnBtnCancel},
      {EVT_CMD, L"btn_apply", &SDlgSetting::OnBtnApply},
      {EVT_CMD, L"language_radio_s", &SDlgSetting::OnLanguageSimplified},
      {EVT_CMD, L"language_radio_t", &SDlgSetting::OnLanguageTraditional},
      {EVT_CMD, L"language_radio_e", &SDlgSetting::OnLanguageEnglish},
      {EVT_CMD, L"redrise", &SDlgSetting::OnRedRise},
      {EVT_CMD, L"greenrise", &SDlgSetting::OnGreenRise},
      {EVT_CMD, L"zoom_radio_user", &SDlgSetting::OnZoomUser},
      {EVT_CMD, L"zoom_radio_sys", &SDlgSetting::OnZoomSystem},
      {EVT_CB_SELCHANGE, L"skin_cbx", &SDlgSetting::OnSkinChanged},
      {EVT_RE_NOTIFY, L"zoom_edit", &SDlgSetting::OnZoomEditChanged},
      {EVT_KILLFOCUS, L"zoom_edit", &SDlgSetting::OnZoomEditKillFocus},
  }};
  if (pEvt == nullptr || pEvt->nameFrom == nullptr) return FALSE;
  SStringW name = pEvt->nameFrom;
  for (const Route& r : kRoutes) {
    if (pEvt->GetID() != r.id || name != r.name) continue;
    pEvt->bubbleUp = false;
    (this->*r.handler)(pEvt);
    return TRUE;
  }
  return FALSE;
}

void SDlgSetting::OnBtnClose(EventArgs*) { DestroyWindow(); }

void SDlgSetting::OnBtnOk(EventArgs*) {
  Apply();
  ShowWindow(SW_HIDE);
}

void SDlgSetting::OnBtnCancel(EventArgs*) { ShowWindow(SW_HIDE); }

void SDlgSetting::OnBtnApply(EventArgs*) { Apply(); }

void SDlgSetting::OnLanguageSimplified(EventArgs*) {
  m_languageChoice = 0;
  RefreshLanguageRadios();
}

void SDlgSetting::OnLanguageTraditional(EventArgs*) {
  m_languageChoice = 1;
  RefreshLanguageRadios();
}

void SDlgSetting::OnLanguageEnglish(EventArgs*) {
  m_languageChoice = 2;
  RefreshLanguageRadios();
}

void SDlgSetting::OnRedRise(EventArgs*) {
  m_redRiseChoice = true;
  RefreshRiseRadios();
}

void SDlgSetting::OnGreenRise(EventArgs*) {
  m_redRiseChoice = false;
  RefreshRiseRadios();
}

void SDlgSetting::OnZoomUser(EventArgs*) {
  m_userZoom = true;
  RefreshZoomControls(false);
}

void SDlgSetting::OnZoomSystem(EventArgs*) {
  m_userZoom = false;
  RefreshZoomControls(false);
}

void SDlgSetting::OnSkinChanged(EventArgs* pEvt) {
  auto* combo = dynamic_cast<SComboBox*>(pEvt->sender);
  if (combo == nullptr) return;
  SListBox* list = combo->GetListBox();
  m_skinChoice = static_cast<int32_t>(list->GetItemData(list->GetCurSel()));
}

// Digits (or nothing) are taken; anything else puts the last digits back.
void SDlgSetting::OnZoomEditChanged(EventArgs* pEvt) {
  if (pEvt->sender == nullptr || !pEvt->sender->IsClass(SEdit::GetClassName())) return;
  SWindow* edit = pEvt->sender;
  SStringW text = edit->GetWindowText();
  bool digitsOnly = true;
  for (wchar_t ch : text) digitsOnly = digitsOnly && ch >= L'0' && ch <= L'9';
  if (digitsOnly) {
    m_zoomText = text;
    return;
  }
  edit->SetWindowText(m_zoomText.c_str());
}

// Leaving the edit clamps the zoom to 100 .. the limit.
void SDlgSetting::OnZoomEditKillFocus(EventArgs* pEvt) {
  SStringW before = m_zoomText;
  int32_t percent = 0;
  if (!OM::StrToInt32(m_zoomText.c_str(), &percent) || percent < 100) m_zoomText = L"100";
  int32_t limit = ZoomLimitPercent();
  if (percent > limit) m_zoomText = OM::Int32ToStr(limit);
  if (pEvt->sender == nullptr || !pEvt->sender->IsClass(SEdit::GetClassName())) return;
  auto* edit = static_cast<SEdit*>(pEvt->sender);
  if (m_zoomText != before) edit->SetWindowText(m_zoomText.c_str());
  long end = static_cast<long>(m_zoomText.size()) + 1;
  edit->SetSel(end, end);
}

std::vector<std::string> SDlgSetting::DescribeState() const {
  std::vector<std::string> lines = SHostWnd::DescribeState();
  lines.push_back("  choices language=" + std::to_string(m_languageChoice) + "/" + std::to_string(m_appliedLanguage) +
                  " skin=" + std::to_string(m_skinChoice) + "/" + std::to_string(m_appliedSkin) +
                  " redrise=" + (m_redRiseChoice ? "1" : "0") + "/" + (m_appliedRedRise ? "1" : "0") +
                  " userzoom=" + (m_userZoom ? "1" : "0") + " zoomtext=\"" + WideToUtf8(m_zoomText) + "\"");
  return lines;
}
