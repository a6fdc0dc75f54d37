#include "showcase/vitrine_dlg.h"

#include <array>

#include "showcase/dlg_setting.h"
#include "showcase/host_window.h"
#include "showcase/platform/basalt.h"
#include "showcase/platform/velvet.h"
#include "showcase/vitrine_app.h"

namespace {

VitrineDlg*& InstancePtr() {
  static VitrineDlg* instance = nullptr;
  return instance;
}

// Counters and indexes that persist between clicks for the process's life.
struct ShowcaseCounters {
  std::array<int, 6> dragable{{0, 0, 0, 0, 0, 0}};
  std::array<int, 6> enable{{1, 1, 1, 1, 1, 1}};
  int single = 1;
  int maxRowCount = 1;
  int newTab = 9999;
  int changeText = 0;
  int buttonStyle = -1;
  int icon = 0;
  int market = 0;
};

ShowcaseCounters& Counters() {
  static ShowcaseCounters counters;
  return counters;
}

constexpr UINT kMsgLanguageChanged = 2075;
constexpr UINT kMsgSkinChanged = 2076;
constexpr UINT kMsgWidgetsRetranslate = 1899;
constexpr DWORD kMainStyle = 0x94080000;  // popup, visible, clip siblings, system menu

constexpr std::array<const wchar_t*, 6> kTabNames = {
    {L"test_tab1", L"test_tab2", L"test_tab3", L"test_tab4", L"test_tab5", L"test_tab6"}};

// Each demonstration button: its tab control (index into kTabNames) and
// its place k in the row.
struct TabButtonRow {
  const wchar_t* button;
  int tab;
  int k;
};
constexpr std::array<TabButtonRow, 32> kTabButtons = {{
    {L"tabtest1", 0, 1},  {L"tabtest2", 0, 2},  {L"tabtest3", 0, 3},  {L"tabtest4", 0, 4},  {L"tabtest5", 0, 5},
    {L"tabtesta1", 1, 1}, {L"tabtesta2", 1, 2}, {L"tabtesta3", 1, 3}, {L"tabtesta4", 1, 4}, {L"tabtesta5", 1, 5},
    {L"tabtestb1", 2, 1}, {L"tabtestb2", 2, 2}, {L"tabtestb3", 2, 3}, {L"tabtestb4", 2, 4}, {L"tabtestb5", 2, 5},
    {L"tabtestc1", 3, 1}, {L"tabtestc2", 3, 2}, {L"tabtestc3", 3, 3}, {L"tabtestc4", 3, 4}, {L"tabtestc5", 3, 5},
    {L"tabtestd1", 4, 1}, {L"tabtestd2", 4, 2}, {L"tabtestd3", 4, 3}, {L"tabtestd4", 4, 4}, {L"tabtestd5", 4, 5},
    {L"tabteste1", 5, 1}, {L"tabteste2", 5, 2}, {L"tabteste3", 5, 3}, {L"tabteste4", 5, 4}, {L"tabteste5", 5, 5},
    {L"tabteste6", 5, 6}, {L"tabteste7", 5, 7},
}};
static_assert(kTabButtons.size() == 32, "five buttons for five tabs, seven for the sixth");

struct TabEventName {
  int id;
  const wchar_t* name;
};
constexpr std::array<TabEventName, 11> kTabEventNames = {{
    {29000, L"EVT_TARNTAB_SELCHANGING"},
    {29001, L"EVT_TARNTAB_SELCHANGED"},
    {29002, L"EVT_TARNTAB_ITEM_HOVER"},
    {29003, L"EVT_TARNTAB_ITEM_LEAVE"},
    {29004, L"EVT_TARNTAB_ITEM_INSERT"},
    {29005, L"EVT_TARNTAB_ITEM_REMOVED"},
    {29006, L"EVT_TARNTAB_ITEM_CLICK_RBUTTON"},
    {29007, L"EVT_TARNTAB_ITEM_CLICK_TAILICON"},
    {29008, L"EVT_TARNTAB_CLICK_ADD"},
    {29009, L"EVT_TARNTAB_ITEM_DRAG_OUT"},
    {29011, L"EVT_TARNTAB_ITEM_CANCLE_SEL"},
}};
static_assert(kTabEventNames.size() == 11, "29000 to 29009 and 29011");

constexpr int kStyleRows = 6;
constexpr int kStyleCols = 8;
constexpr std::array<std::array<const wchar_t*, kStyleCols>, kStyleRows> kButtonStyles = {{
    {{L"TB1_W", L"TB1_W", L"TB1_W", L"TB1_W", L"TB1_W", L"TB1_W", L"TB1_W", L"TB1_W"}},
    {{L"TB1_W", L"TB2_W", L"TB3_W", L"TB4_W", L"TB1_W", L"TB2_W", L"TB3_W", L"TB4_W"}},
    {{L"TB1_W", L"TB4_W", L"TB2_W", L"TB1_W", L"TB1_W", L"TB3_W", L"TB2_W", L"TB4_W"}},
    {{L"MB1_P", L"MB1_P", L"TB1_W", L"MB1_P", L"TB1_W", L"MB1_P", L"TB1_W", L"TB1_W"}},
    {{L"MB1_P", L"MB2_P", L"TB3_W", L"MB4_P", L"TB1_W", L"MB2_P", L"TB3_W", L"TB4_W"}},
    {{L"MB1_P", L"MB4_P", L"TB2_W", L"MB1_P", L"TB1_W", L"MB3_P", L"TB2_W", L"TB4_W"}},
}};
static_assert(kButtonStyles.size() == kStyleRows, "six style rows");

constexpr std::array<const wchar_t*, 3> kIcons = {
    {L"skin_tarnstd_lock_demo", L"skin_tarnstd_close_demo", L"skin_picture_retry_btn"}};
constexpr std::array<const wchar_t*, 6> kMarkets = {{L"HK", L"US", L"SG", L"SH", L"SZ", L"JP"}};
constexpr std::array<const wchar_t*, 5> kTagTexts = {
    {L"文案", L"长文案", L"很长的文案", L"很长很长的文案", L"标签不应该显示不全，请调整文案！！！！！"}};
constexpr std::array<const wchar_t*, 6> kMarketTags = {
    {L"market_tag_of_bordered", L"market_tag_of_transparent", L"market_tag_of_solid", L"fixed_w_market_tag_of_bordered",
     L"fixed_w_market_tag_of_transparent", L"fixed_w_market_tag_of_solid"}};

// Bubble demonstrations: the group each button sends.
enum class BubbleLayout { Right, Left, Above, Below, AboveAndBelow, Pictures };
struct BubbleDemoRow {
  const wchar_t* button;
  int32_t kind;
  int32_t groupId;
  BubbleLayout layout;
};
constexpr std::array<BubbleDemoRow, 6> kBubbleDemos = {{
    {L"bubbletest1", 1, 1001, BubbleLayout::Right},
    {L"bubbletest2", 1, 1002, BubbleLayout::Left},
    {L"bubbletest3", 1, 1003, BubbleLayout::Above},
    {L"bubbletest4", 1, 1004, BubbleLayout::Below},
    {L"bubbletest5", 2, 1005, BubbleLayout::AboveAndBelow},
    {L"bubbletest6", 3, 1006, BubbleLayout::Pictures},
}};

constexpr int32_t kBubbleText = 216177;
constexpr int32_t kPictureText1 = 530432;
constexpr int32_t kPictureText2 = 530431;

// Toasts after the first: the text of each (null: from "toast_text_2").
constexpr const wchar_t kToastLine6[] =
    L"我欲因之梦吴越，一夜飞渡镜湖月。湖月照我影，送我至剡溪。谢公宿处今尚在，渌水荡漾，清猿啼。";
constexpr const wchar_t kToastLine7[] =
    L"我欲因之梦吴越，一夜飞渡镜湖月。湖月照我影，送我至剡溪。谢公宿处今尚在，渌水荡漾，清猿啼。"
    L"脚着谢公屐";
constexpr const wchar_t kToastLine8[] =
    L"我欲因之梦吴越，一夜飞渡镜湖月。湖月照我影，送我至剡溪。谢公宿处今尚在，渌水荡漾，清猿啼。"
    L"脚着谢公屐，身登青云梯。";
constexpr const wchar_t kToastLine9[] =
    L"我欲因之梦吴越，一夜飞渡镜湖月。湖月照我影，送我至剡溪。谢公宿处今尚在，渌水荡漾，清猿啼。"
    L"脚着谢公屐，身登青云梯。半壁见海，空中闻天鸡。";
struct ToastRow {
  const wchar_t* button;
  const wchar_t* text;
};
constexpr std::array<ToastRow, 7> kSkinToasts = {{
    {L"toast_test_2", nullptr},
    {L"toast_test_3", L"最小宽度"},
    {L"toast_test_5", L"我欲因之梦吴越"},
    {L"toast_test_6", kToastLine6},
    {L"toast_test_7", kToastLine7},
    {L"toast_test_8", kToastLine8},
    {L"toast_test_9", kToastLine9},
}};

constexpr std::array<std::array<const wchar_t*, 3>, 3> kProgressDemos = {{
    {{L"process_test1", L"progress_pb1", L"edt_tarnprocess1"}},
    {{L"process_test2", L"progress_pb2", L"edt_tarnprocess2"}},
    {{L"process_test3", L"progress_pp", L"edt_tarnprocess3"}},
}};

constexpr const wchar_t kEvtGroupListInitGroup[] =
    L"on_"
    "EventGroupListInitGroup";
constexpr const wchar_t kEvtGroupListInitItem[] =
    L"on_"
    "EventGroupListInitItem";
constexpr const wchar_t kEvtGroupStateChanged[] =
    L"on_"
    "EventGroupStateChanged";

constexpr const wchar_t kBubblePageText[] = L"@string\\900353";
constexpr const wchar_t kPassword[] = L"590274";

std::wstring LoadingText(int counter) {
  if (counter % 3 == 1) return L"文字内容只占一行";
  if (counter % 3 == 2) return L"文字很长图片上传失败图片上传失败图片上传失败图片上传失败图片上传失败图片";
  std::wstring text = L"文字很长";
  for (int i = 0; i < 16; ++i) text += L"图片上传失败";
  return text;
}

// A message box with button style 2, no icon and the given text.
void ShowNotice(LPCWSTR text, int width) {
  TarnDefaultDialogAttr attr;
  attr.SetButtonStyle(2);
  attr.width = width;
  attr.contentText = text;
  CTarnDefaultDialog::MessageBoxW(attr, nullptr);
}

}  // namespace

VitrineDlg::VitrineDlg() : IUIATestCtrlBase(), SHostWnd(L"LAYOUT:dlg_Vitrine") {
  m_bLayoutInited = false;
  m_nScale = ScaleFactor(OM::GetAppZoomX(), 100);
  SetScale(m_nScale);
  IMessageDispatch::Bind(
      kMsgShowBubble, [this](UINT, WPARAM param, std::shared_ptr<msg_body> body) { OnShowBubbleMsg(param, body); },
      this);
  IMessageDispatch::Bind(
      kMsgHideBubble, [this](UINT, WPARAM, std::shared_ptr<msg_body>) { OnHideBubbleMsg(); }, this);
}

VitrineDlg::~VitrineDlg() {
  IMessageDispatch::UnBind(this);
  if (m_hSnapshotBmp != nullptr) DeleteObject(m_hSnapshotBmp);
  if (m_hSnapshotDC != nullptr) DeleteDC(m_hSnapshotDC);
}

HWND VitrineDlg::ShowMainWindow(POINT pt) {
  if (InstancePtr() == nullptr) InstancePtr() = new VitrineDlg();
  return ShowOrCreateHostWnd(InstancePtr(), nullptr, kMainStyle, pt);
}

// ---- window messages --------------------------------------------------

BOOL VitrineDlg::ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult,
                                      DWORD dwMsgMapID) {
  if (dwMsgMapID != 0) return FALSE;
  BOOL savedHandled = m_bMsgHandled;
  BOOL handled = HandleOwnMessage(uMsg, wParam, lParam, lResult) ||
                 ChainToHostAndReflect(this, hWnd, uMsg, wParam, lParam, lResult, dwMsgMapID);
  m_bMsgHandled = savedHandled;
  return handled;
}

BOOL VitrineDlg::HandleOwnMessage(UINT uMsg, WPARAM wParam, LPARAM /*lParam*/, LRESULT& lResult) {
  m_bMsgHandled = TRUE;
  lResult = 0;
  switch (uMsg) {
    case WM_DESTROY: OnDestroy(); return m_bMsgHandled;
    case WM_MOVE: UpdateBubbleIfAny(); return m_bMsgHandled;
    case WM_SIZE: OnSize(wParam); return m_bMsgHandled;
    case WM_CLOSE:
      DestroyWindow();
      PostQuitMessage(0);
      return m_bMsgHandled;
    case WM_INITDIALOG: lResult = OnInitDialog(); return m_bMsgHandled;
    case kMsgLanguageChanged:
      if (GetRoot() != nullptr) GetRoot()->SDispatchMessage(kMsgWidgetsRetranslate, 0, 0);
      return m_bMsgHandled;
    case kMsgSkinChanged: OnRefresh(); return m_bMsgHandled;
    default: return FALSE;
  }
}

void VitrineDlg::OnDestroy() {
  if (m_bubbleWnd.IsWindow()) m_bubbleWnd.DestroyWindow();
  SHostWnd::OnDestroy();
}

// Default handling goes on; the maximise and restore buttons follow the state.
void VitrineDlg::OnSize(WPARAM sizeKind) {
  m_bMsgHandled = FALSE;
  if (!m_bLayoutInited) return;
  SWindow* restore = FindChildByName(L"btn_restore");
  SWindow* maximize = FindChildByName(L"btn_max");
  if (sizeKind == SIZE_MAXIMIZED) {
    if (restore != nullptr) restore->SetVisible(true, true);
    if (maximize != nullptr) maximize->SetVisible(false, true);
  } else if (sizeKind == SIZE_RESTORED) {
    if (restore != nullptr) restore->SetVisible(false, true);
    if (maximize != nullptr) maximize->SetVisible(true, true);
  }
  UpdateBubbleIfAny();
}

void VitrineDlg::UpdateBubbleIfAny() {
  if (m_bubbleWnd.IsWindow()) m_bubbleWnd.UpdateBubblePos();
}

BOOL VitrineDlg::OnInitDialog() {
  m_bLayoutInited = true;
  InitTree();
  InitEdits();
  InitRedGreenValues();
  InitLinks();
  std::wstring offset = std::to_wstring(ZPixel(30));
  if (SWindow* w = FindChildByName(L"toast_offset_1")) w->SetWindowText(offset.c_str());
  if (SWindow* w = FindChildByName(L"toast_offset_2")) w->SetWindowText(offset.c_str());
  TakeSnapshot();
  if (SWindow* clear = FindChildByName(L"btn_clear")) clear->SetVisible(false, true);
  return TRUE;
}

// Items are numbered in walk order; the number is the page they open.
void VitrineDlg::InitTree() {
  STreeCtrl* tree = FindChildByName2<STreeCtrl>(L"mytree");
  if (tree == nullptr) return;
  LPARAM number = 0;
  for (HSTREEITEM item = tree->GetRootItem(); item != 0; item = tree->GetNextItem(item)) {
    tree->SetItemData(item, number++);
  }
  tree->SelectItem(tree->GetRootItem());
}

void VitrineDlg::InitEdits() {
  if (SWindow* e = FindChildByName(L"edt_test1")) {
    e->SetAttribute(L"cueText", L"多行输入框1NIM风格");
    e->SetAttribute(L"tip", L"看到提示就对了哈哈");
  }
  if (SWindow* e = FindChildByName(L"tarnedt_tests4")) {
    e->SetAttribute(L"cueText", L"密码输入框");
    e->SetAttribute(L"password", L"1");
    e->SetAttribute(L"passwordChar", L"*");
    e->SetAttribute(L"text", L"mock305");
    e->SetAttribute(L"tip", L"看到提示就对了");
  }
  if (SWindow* e = FindChildByName(L"PasswdEdit_test3")) {
    e->SetAttribute(L"password", L"false");
    e->SetAttribute(L"numcount", L"8");
    e->SetAttribute(L"visible", L"0");
  }
  if (SWindow* e = FindChildByName(L"tarnedit_com_imgbtn")) {
    e->SetAttribute(L"visible", L"false");
    e->SetAttribute(L"display", L"false");
  }
  if (SWindow* e = FindChildByName(L"tarneditmcom_imgbtn")) {
    e->SetAttribute(L"text", L"默认风格+滚动条+部分属性（代码中设置）");
    e->SetAttribute(L"display", L"true");
    e->SetAttribute(L"visible", L"false");
  }
}

// "redgreen1".."redgreen12", then "redgreen101".."redgreen112", until one is
// missing; the current values cycle above, at and below the comparison.
void VitrineDlg::InitRedGreenValues() {
  static constexpr std::array<const wchar_t*, 3> kCurrent = {{L"101", L"100", L"99"}};
  int index = 0;
  for (int base : {0, 100}) {
    for (int n = 1; n <= 12; ++n, ++index) {
      std::wstring name = L"redgreen" + std::to_wstring(base + n);
      CTarnRedGreenStatic* value = FindChildByName2<CTarnRedGreenStatic>(name.c_str());
      if (value == nullptr) return;
      value->SetAttribute(L"compare", L"100");
      value->SetAttribute(L"current", kCurrent[static_cast<size_t>(index % 3)]);
    }
  }
}

void VitrineDlg::InitLinks() {
  if (CTarnLink* link = FindChildByName2<CTarnLink>(L"B1")) {
    link->subscribeEvent(8107, [](EventArgs*) { return true; });
  }
  if (TarnRichText* rich = FindChildByName2<TarnRichText>(L"multilink_test")) {
    rich->SetClickCallback([](TarnRichText*, int, const SStringW&) {});
    rich->SetHoverCallback([](TarnRichText*, int, const SStringW&) {});
  }
}

// Taken once: bubbles may hold the DC, so it lives until the destructor.
void VitrineDlg::TakeSnapshot() {
  if (m_hSnapshotDC != nullptr) return;
  HDC windowDC = GetDC(m_hWnd);
  RECT client{};
  GetClientRect(m_hWnd, &client);
  m_hSnapshotDC = CreateCompatibleDC(windowDC);
  m_hSnapshotBmp = CreateCompatibleBitmap(windowDC, client.right - client.left, client.bottom - client.top);
  SelectObject(m_hSnapshotDC, m_hSnapshotBmp);
  PrintWindow(m_hWnd, m_hSnapshotDC, 0);
  ReleaseDC(m_hWnd, windowDC);
}

// ---- widget events ----------------------------------------------------

BOOL VitrineDlg::_HandleEvent(EventArgs* pEvt) {
  if (pEvt == nullptr || pEvt->nameFrom == nullptr) return FALSE;
  if (pEvt->GetID() == EVT_CMD) return RouteCommand(pEvt) ? TRUE : FALSE;
  return RouteOtherEvent(pEvt) ? TRUE : FALSE;
}

bool VitrineDlg::RouteCommand(EventArgs* pEvt) {
  struct Route {
    const wchar_t* name;
    CommandHandler handler;
  };
  static constexpr std::array<Route, 12> kRoutes = {{
      {L"btn_close", &VitrineDlg::OnBtnClose},
      {L"btn_min", &VitrineDlg::OnBtnMin},
      {L"btn_max", &VitrineDlg::OnBtnMax},
      {L"btn_restore", &VitrineDlg::OnBtnRestore},
      {L"btn_setting", &VitrineDlg::OnBtnSetting},
      {L"btn_clear", &VitrineDlg::OnBtnClear},
      {L"btn_search", &VitrineDlg::OnBtnSearch},
      {L"change_text_btn", &VitrineDlg::OnChangeText},
      {L"btn_ctrl", &VitrineDlg::OnBtnCtrl},
      {L"switch_icon_for_iconbtn", &VitrineDlg::OnSwitchIcon},
      {L"siwtch_market_btn", &VitrineDlg::OnSwitchMarket},
      {L"dlg_teste1", &VitrineDlg::OnDialogTest},
  }};
  SStringW name = pEvt->nameFrom;
  for (const Route& r : kRoutes) {
    if (name != r.name) continue;
    pEvt->bubbleUp = false;
    (this->*r.handler)(pEvt);
    return true;
  }
  if (OnTabDemo(name) || OnBubbleDemo(name) || OnToastDemo(name) || OnProgressDemo(name)) {
    pEvt->bubbleUp = false;
    return true;
  }
  return false;
}

void VitrineDlg::OnBtnClose(EventArgs*) {
  DestroyWindow();
  PostQuitMessage(0);
}

void VitrineDlg::OnBtnMin(EventArgs*) {
  SendMessageW(WM_SYSCOMMAND, SC_MINIMIZE, 0);
  UpdateBubbleIfAny();
}

void VitrineDlg::OnBtnMax(EventArgs*) {
  SendMessageW(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  UpdateBubbleIfAny();
}

void VitrineDlg::OnBtnRestore(EventArgs*) {
  SendMessageW(WM_SYSCOMMAND, SC_RESTORE, 0);
  UpdateBubbleIfAny();
}

void VitrineDlg::OnBtnSetting(EventArgs*) { SDlgSetting::ShowSettingsWindow(m_hWnd, POINT{0, 0}); }

void VitrineDlg::OnBtnClear(EventArgs*) {
  if (SWindow* edit = FindChildByName(L"tarn_editcoms_test")) edit->SetWindowText(L"");
}

void VitrineDlg::OnBtnSearch(EventArgs*) {
  TarnDefaultDialogAttr attr;
  attr.SetButtonStyle(2);
  attr.width = 1;
  attr.contentTitle = L"您输入的内容是：";
  attr.contentText = TextOf(L"tarn_editcoms_test");
  attr.contentIconSkin = L"skin_basewnd_img_vorra";
  CTarnDefaultDialog::MessageBoxW(attr, nullptr);
}

void VitrineDlg::OnChangeText(EventArgs*) {
  SWindow* retry = FindChildByName(L"loading_fail_retry");
  SWindow* fail = FindChildByName(L"loading_fail");
  if (retry == nullptr || fail == nullptr) return;
  std::wstring text = LoadingText(++Counters().changeText);
  retry->SetAttribute(L"failRetryText", text);
  fail->SetAttribute(L"failStateText", text);
}

void VitrineDlg::OnBtnCtrl(EventArgs*) {
  int& index = Counters().buttonStyle;
  index = (index + 1) % kStyleRows;
  for (int i = 1; i <= kStyleCols; ++i) {
    std::wstring name = L"bnt" + std::to_wstring(i);
    if (SWindow* button = FindChildByName(name.c_str())) {
      button->SetAttribute(L"tarnstyle", kButtonStyles[static_cast<size_t>(index)][static_cast<size_t>(i - 1)]);
    }
  }
}

void VitrineDlg::OnSwitchIcon(EventArgs* pEvt) {
  int& index = Counters().icon;
  index = (index + 1) % static_cast<int>(kIcons.size());
  if (pEvt->sender != nullptr) pEvt->sender->SetAttribute(L"icon", kIcons[static_cast<size_t>(index)]);
}

void VitrineDlg::OnSwitchMarket(EventArgs*) {
  int& index = Counters().market;
  index = (index + 1) % static_cast<int>(kMarkets.size());
  const wchar_t* market = kMarkets[static_cast<size_t>(index)];
  for (const wchar_t* name : kMarketTags) {
    CTarnMarketTag* tag = FindChildByName2<CTarnMarketTag>(name);
    if (tag == nullptr) continue;
    tag->SetAttribute(L"market", market);
    tag->SetAttribute(L"text", market);
  }
  if (CTarnMarketTag* tag = FindChildByName2<CTarnMarketTag>(L"fixed_w_market_tag_of_bordered_2")) {
    tag->SetAttribute(L"market", market);
    tag->SetAttribute(L"text", kTagTexts[static_cast<size_t>(index % 5)]);
  }
}

void VitrineDlg::OnDialogTest(EventArgs*) {
  TarnDefaultDialogAttr attr = DialogAttrFromPage();
  CTarnDefaultDialog dialog(attr);
  dialog.RegisterLinkEvent(attr.linkText.c_str(), [](EventArgs*) {
    ShowNotice(L"您点击了连接!", 0);
    return true;
  });
  dialog.DoModal(nullptr);
}

// The dialog page's fields; a combo without a selection falls back to the
// texts beside it.
TarnDefaultDialogAttr VitrineDlg::DialogAttrFromPage() {
  TarnDefaultDialogAttr attr;
  attr.title = TextOf(L"text_wnd_title");
  attr.windowIcon = TextOf(L"text_wnd_icon");
  SComboBox* iconCombo = FindChildByName2<SComboBox>(L"cb_content_icon");
  int iconSel = iconCombo == nullptr ? -1 : iconCombo->GetListBox()->GetCurSel();
  LPARAM iconData = iconSel < 0 ? 0 : iconCombo->GetListBox()->GetItemData(iconSel);
  if (iconData != 0) {
    attr.SetContentIcon(static_cast<int>(iconData));
  } else {
    attr.contentIconSkin = TextOf(L"text_content_icon");
  }
  attr.contentTitle = TextOf(L"text_content_title");
  attr.contentText = TextOf(L"text_content_text");
  attr.linkText = TextOf(L"text_content_link");
  SComboBox* styleCombo = FindChildByName2<SComboBox>(L"cb_btn_type");
  int styleSel = styleCombo == nullptr ? 0 : styleCombo->GetListBox()->GetCurSel();
  if (styleSel > 0) {
    attr.SetButtonStyle(styleSel);
  } else {
    attr.SetButtonText(TextOf(L"text_content_btn1").c_str(), TextOf(L"text_content_btn2").c_str(),
                       TextOf(L"text_content_btn3").c_str());
  }
  SComboBox* leftCombo = FindChildByName2<SComboBox>(L"cb_left_type");
  attr.leftCtrlKind = leftCombo == nullptr ? 0 : leftCombo->GetListBox()->GetCurSel();
  attr.leftCtrlText = TextOf(L"text_left_ctrl");
  SComboBox* widthCombo = FindChildByName2<SComboBox>(L"cb_wnd_width");
  attr.width = widthCombo == nullptr
                   ? 300
                   : static_cast<int>(widthCombo->GetListBox()->GetItemData(widthCombo->GetListBox()->GetCurSel()));
  return attr;
}

bool VitrineDlg::OnTabDemo(const SStringW& name) {
  for (const TabButtonRow& row : kTabButtons) {
    if (name != row.button) continue;
    CTarnTabCtrlBase* tab = FindChildByName2<CTarnTabCtrlBase>(kTabNames[static_cast<size_t>(row.tab)]);
    if (tab == nullptr) return true;
    ShowcaseCounters& c = Counters();
    size_t t = static_cast<size_t>(row.tab);
    switch (row.k) {
      case 1: {
        CTarnTabCtrlBase::ItemAttrs attrs = {{L"more_icon", L"1"}};
        if (row.tab == 5) {
          std::wstring number = std::to_wstring(++c.newTab);
          attrs.push_back({L"title", L"新建窗口" + number});
          attrs.push_back({L"itemid", number});
        }
        tab->InsertItemByAttrs(attrs);
        break;
      }
      case 2: tab->RemoveTabByOrder(0); break;
      case 3: tab->SetAttribute(L"dragable", ++c.dragable[t] % 2 == 1 ? L"1" : L"0"); break;
      case 4: tab->SetItemAttrByOrder(L"enable", ++c.enable[t] % 2 == 1 ? L"1" : L"0", 0); break;
      case 5: tab->SetCurSelByOrder(0, true); break;
      case 6: tab->SetAttribute(L"single", ++c.single % 2 == 1 ? L"1" : L"0"); break;
      default: tab->SetAttribute(L"MaxRowCount", ++c.maxRowCount % 2 == 1 ? L"1" : L"-1"); break;
    }
    return true;
  }
  return false;
}

bool VitrineDlg::OnBubbleDemo(const SStringW& name) {
  for (const BubbleDemoRow& row : kBubbleDemos) {
    if (name != row.button) continue;
    CTarnButton* button = FindChildByName2<CTarnButton>(row.button);
    RECT rc{};
    if (button == nullptr || !ScreenRectOf(button, &rc)) return true;
    TarnBubbleGroupInfo group;
    group.kind = row.kind;
    group.groupId = row.groupId;
    group.bubbles = std::make_shared<std::vector<std::shared_ptr<TarnBubbleInfo>>>();
    FillBubbles(static_cast<int>(row.layout), rc, group.bubbles.get());
    auto body = std::make_shared<msg_body>();
    body->set_p1(reinterpret_cast<int64_t>(&group));
    IMessageDispatch::Send(kMsgShowBubble, 0, body, false);
    return true;
  }
  return false;
}

// Anchors sit on the button's edges; integer halves truncate toward zero.
void VitrineDlg::FillBubbles(int layout, const RECT& rc, std::vector<std::shared_ptr<TarnBubbleInfo>>* bubbles) {
  auto add = [bubbles](int32_t x, int32_t y, int32_t side) {
    auto bubble = std::make_shared<TarnBubbleInfo>();
    bubble->anchorX = x;
    bubble->anchorY = y;
    bubble->side = side;
    bubbles->push_back(bubble);
    return bubble;
  };
  int32_t midX = (rc.left + rc.right) / 2;
  int32_t midY = (rc.top + rc.bottom) / 2;
  switch (static_cast<BubbleLayout>(layout)) {
    case BubbleLayout::Right: add(rc.right, midY, 1)->text1 = kBubbleText; break;
    case BubbleLayout::Left: add(rc.left, midY, 3)->text1 = kBubbleText; break;
    case BubbleLayout::Above: add(midX, rc.top, 4)->text1 = kBubbleText; break;
    case BubbleLayout::Below: add(midX, rc.bottom, 2)->text1 = kBubbleText; break;
    case BubbleLayout::AboveAndBelow:
      add(midX, rc.top, 4);
      add(midX, rc.bottom, 2);
      break;
    case BubbleLayout::Pictures:
      for (const auto& bubble : {add(rc.left, midY, 3), add(rc.right, midY, 1)}) {
        bubble->image = reinterpret_cast<int64_t>(m_hSnapshotDC);
        bubble->width = ZPixel(256);
        bubble->height = ZPixel(406);
        bubble->text2 = kPictureText2;
        bubble->text1 = kPictureText1;
      }
      bubbles->front()->target = rc;
      break;
  }
}

bool VitrineDlg::OnToastDemo(const SStringW& name) {
  if (name == L"toast_test_1") {
    static constexpr std::array<const wchar_t*, 4> kKinds = {{L"1", L"2", L"3", L"4"}};
    SStringW kindText = TextOf(L"icon_type_1");
    int kind = 0;
    for (size_t i = 0; i < kKinds.size(); ++i) {
      if (kindText == kKinds[i]) kind = static_cast<int>(i) + 1;
    }
    if (kind == 0) {
      if (SWindow* edit = FindChildByName(L"icon_type_1")) edit->SetWindowText(L"1");
      kind = 1;
    }
    ITarnToast::TrackPopupToast(m_hWnd, kind, TextOf(L"toast_text_1").c_str(), IntOf(L"toast_offset_1"),
                                IntOf(L"toast_display_times_1"));
    return true;
  }
  for (const ToastRow& row : kSkinToasts) {
    if (name != row.button) continue;
    SStringW text = row.text == nullptr ? TextOf(L"toast_text_2") : SStringW(row.text);
    ITarnToast::TrackPopupToast(m_hWnd, TextOf(L"icon_type_2").c_str(), text.c_str(), IntOf(L"toast_offset_2"),
                                IntOf(L"toast_display_times_2"));
    return true;
  }
  return false;
}

bool VitrineDlg::OnProgressDemo(const SStringW& name) {
  for (const auto& row : kProgressDemos) {
    if (name != row[0]) continue;
    SWindow* bar = FindChildByName(row[1]);
    SWindow* edit = FindChildByName(row[2]);
    if (bar != nullptr && edit != nullptr) bar->SetAttribute(L"value", edit->GetWindowText());
    return true;
  }
  return false;
}

bool VitrineDlg::RouteOtherEvent(EventArgs* pEvt) {
  struct Route {
    int id;
    const wchar_t* name;
    CommandHandler handler;
  };
  static constexpr std::array<Route, 18> kRoutes = {{
      {8107, L"legendtest3", &VitrineDlg::OnLegendTest},
      {8111, L"menu_test", &VitrineDlg::OnMenuTest},
      {8111, L"menu_test2", &VitrineDlg::OnMenuTest2},
      {EVT_TC_SELCHANGED, L"mytree", &VitrineDlg::OnTreeSelChanged},
      {EVT_RE_NOTIFY, L"tarn_editcoms_test", &VitrineDlg::OnEditComsChanged},
      {EVT_RE_NOTIFY, L"tarn_editmcoms_test", &VitrineDlg::OnEditMComsChanged},
      {26000, L"editpwd_test", &VitrineDlg::OnPasswordChecked},
      {27000, L"editpwd_test", &VitrineDlg::OnPasswordNotDigit},
      {28000, L"tooltip1", &VitrineDlg::OnNothing},
      {28001, L"tooltip1", &VitrineDlg::OnNothing},
      {29100, L"top_loading_fail", &VitrineDlg::OnLoadingRetry},
      {29100, L"bottom_loading_fail", &VitrineDlg::OnLoadingRetry},
      {29101, L"page_loading_fail", &VitrineDlg::OnLoadingRetry},
      {29102, L"loading_fail_retry", &VitrineDlg::OnLoadingRetry},
      {EVT_GROUPLIST_INIT_GROUP, L"gl_catalog", &VitrineDlg::OnGroupListInitGroup},
      {EVT_GROUPLIST_INIT_ITEM, L"gl_catalog", &VitrineDlg::OnGroupListInitItem},
      {EVT_GROUPLIST_ITEM_CLICK, L"gl_catalog", &VitrineDlg::OnNothing},
      {EVT_GROUPLIST_GROUP_STATE, L"gl_catalog", &VitrineDlg::OnGroupStateChanged},
  }};
  SStringW name = pEvt->nameFrom;
  for (const Route& r : kRoutes) {
    if (pEvt->GetID() != r.id || name != r.name) continue;
    pEvt->bubbleUp = false;
    (this->*r.handler)(pEvt);
    return true;
  }
  return OnTabControlEvent(pEvt);
}

bool VitrineDlg::OnTabControlEvent(EventArgs* pEvt) {
  SStringW name = pEvt->nameFrom;
  bool fromTab = false;
  for (const wchar_t* tab : kTabNames) fromTab = fromTab || name == tab;
  if (!fromTab) return false;
  for (const TabEventName& evt : kTabEventNames) {
    if (evt.id != pEvt->GetID()) continue;
    if (evt.id == 29011 && name != L"test_tab6") return false;
    pEvt->bubbleUp = false;
    if (SWindow* msg = FindChildByName(L"text_tab_msg")) msg->SetWindowText(evt.name);
    return true;
  }
  return false;
}

void VitrineDlg::OnLegendTest(EventArgs*) {
  if (CTarnLegend* legend = FindChildByName2<CTarnLegend>(L"legendtest2")) legend->IsLegendSelected();
}

void VitrineDlg::OnMenuTest(EventArgs*) {
  POINT pt{};
  GetCursorPos(&pt);
  ITarnMenu::TrackPopupMenu(pt.x, pt.y, m_hWnd, L"tarnmenu_demo", L"LAYOUT");
}

void VitrineDlg::OnMenuTest2(EventArgs*) {
  POINT pt{};
  GetCursorPos(&pt);
  ITarnMultiSelMenu::TrackPopupMenu(pt.x, pt.y, m_hWnd, L"LAYOUT:tarnmenu_demo2", 0);
}

void VitrineDlg::OnTreeSelChanged(EventArgs* pEvt) {
  auto* evt = dynamic_cast<EventTCSelChanged*>(pEvt);
  auto* tree = dynamic_cast<STreeCtrl*>(pEvt->sender);
  if (evt == nullptr || tree == nullptr) return;
  if (STabCtrl* pages = FindChildByName2<STabCtrl>(L"tab_ctrls")) {
    pages->SetCurSel(static_cast<int>(tree->GetItemData(evt->hNewSel)));
  }
  if (tree->GetItemText(evt->hOldSel) == kBubblePageText && m_bubbleWnd.IsWindow() && m_bubbleWnd.IsWindowVisible()) {
    m_bubbleWnd.DestroyWindow();
  }
}

void VitrineDlg::OnEditComsChanged(EventArgs* pEvt) {
  if (SWindow* clear = FindChildByName(L"btn_clear")) clear->SetVisible(!pEvt->sender->GetWindowText().empty(), true);
}

void VitrineDlg::OnEditMComsChanged(EventArgs* pEvt) {
  if (SWindow* count = FindChildByName(L"text_char_count")) {
    count->SetWindowText(std::to_wstring(pEvt->sender->GetWindowText().size()).c_str());
  }
}

void VitrineDlg::OnPasswordChecked(EventArgs* pEvt) {
  bool right = pEvt->sender->GetWindowText() == kPassword;
  ShowNotice(right ? L"密码正确！" : L"密码错误！", 0);
  pEvt->sender->SetWindowText(L"");
}

void VitrineDlg::OnPasswordNotDigit(EventArgs*) { ShowNotice(L"请输入输入数字！", 0); }

void VitrineDlg::OnNothing(EventArgs*) {}

void VitrineDlg::OnLoadingRetry(EventArgs* pEvt) { pEvt->sender->SetAttribute(L"currentState", L"loading"); }

void VitrineDlg::OnGroupListInitGroup(EventArgs* pEvt) {
  if (!pEvt->IsClass(kEvtGroupListInitGroup)) return;
  auto* evt = static_cast<EventGroupListInitGroup*>(pEvt);
  if (evt->pItem == nullptr || evt->pData == nullptr) return;
  if (SToggle* toggle = evt->pItem->FindChildByName2<SToggle>(L"tgl_switch")) {
    toggle->SetToggle(!evt->pData->bExpanded, true);
  }
  if (SWindow* label = evt->pItem->FindChildByName(L"txt_label")) label->SetWindowText(evt->pData->text.c_str());
}

void VitrineDlg::OnGroupListInitItem(EventArgs* pEvt) {
  if (!pEvt->IsClass(kEvtGroupListInitItem)) return;
  auto* evt = static_cast<EventGroupListInitItem*>(pEvt);
  if (evt->pItem == nullptr || evt->pData == nullptr) return;
  if (SWindow* label = evt->pItem->FindChildByName(L"txt_label")) label->SetWindowText(evt->pData->text.c_str());
  if (SImageWnd* image = evt->pItem->FindChildByName2<SImageWnd>(L"img_indicator")) {
    image->SetIcon(evt->pData->iIcon);
  }
}

void VitrineDlg::OnGroupStateChanged(EventArgs* pEvt) {
  if (!pEvt->IsClass(kEvtGroupStateChanged)) return;
  auto* evt = static_cast<EventGroupStateChanged*>(pEvt);
  if (evt->pItem == nullptr || evt->pData == nullptr) return;
  if (SToggle* toggle = evt->pItem->FindChildByName2<SToggle>(L"tgl_switch")) {
    toggle->SetToggle(!evt->pData->bExpanded, true);
  }
}

// ---- bubble overlay ---------------------------------------------------

// The record lives on the sender's stack for the duration of the Send.
void VitrineDlg::OnShowBubbleMsg(WPARAM param, const std::shared_ptr<msg_body>& body) {
  if (!body || !body->has_p1() || body->p1() == 0) return;
  const auto* group = reinterpret_cast<const TarnBubbleGroupInfo*>(body->p1());
  m_bubbleWnd.AddPop(static_cast<int>(param), *group);
  ShowBubble();
}

void VitrineDlg::OnHideBubbleMsg() {
  if (m_bubbleWnd.IsWindow() && m_bubbleWnd.IsWindowVisible()) m_bubbleWnd.ShowWindow(SW_HIDE);
}

void VitrineDlg::ShowBubble() {
  if (!m_bubbleWnd.ShouldShowWnd()) return;
  RECT rc{};
  GetWindowRect(&rc);
  if (m_bubbleWnd.IsWindow()) {
    m_bubbleWnd.SendMessageW(WM_INITDIALOG, 0, 0);
    m_bubbleWnd.ShowWindow(SW_SHOW);
    m_bubbleWnd.BringWindowToTop();
    return;
  }
  m_bubbleWnd.Create(m_hWnd, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
  m_bubbleWnd.SetOwnerHwnd(m_hWnd);
  m_bubbleWnd.SendMessageW(WM_INITDIALOG, 0, 0);
  m_bubbleWnd.ShowWindow(SW_SHOWNORMAL);
}

// ---- helpers ----------------------------------------------------------

SStringW VitrineDlg::TextOf(LPCWSTR name) {
  SWindow* w = FindChildByName(name);
  return w == nullptr ? SStringW() : w->GetWindowText();
}

// Decimal text of an edit; anything else counts as 0.
int VitrineDlg::IntOf(LPCWSTR name) {
  int32_t value = 0;
  if (!OM::StrToInt32(TextOf(name).c_str(), &value)) return 0;
  return value;
}

bool VitrineDlg::ScreenRectOf(SWindow* widget, RECT* rect) {
  RECT host{};
  if (!GetWindowRect(&host)) return false;
  RECT inner{};
  widget->GetWindowRect(&inner);
  *rect = RECT{host.left + inner.left, host.top + inner.top, host.left + inner.right, host.top + inner.bottom};
  return true;
}
