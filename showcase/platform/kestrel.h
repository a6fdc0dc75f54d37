// Kestrel, the client's standard control library. The controls record what
// they are asked so tests can see every effect; none of them draws.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "showcase/platform/soui.h"

// Registers every Kestrel control class with the toolkit; after InitSOUI,
// before any layout is loaded.
void RegisterAllControl();

// What the controls were asked, one line per request, in order.
const std::vector<std::string>& KestrelRecord();
void KestrelRecordLine(const std::string& line);

// Tab control events.
constexpr int EVT_TARNTAB_SELCHANGING = 29000;
constexpr int EVT_TARNTAB_SELCHANGED = 29001;
constexpr int EVT_TARNTAB_ITEM_INSERT = 29004;
constexpr int EVT_TARNTAB_ITEM_REMOVED = 29005;

class CTarnTabCtrlBase : public SKind<CTarnTabCtrlBase, SWindow> {
 public:
  using ItemAttrs = std::vector<std::pair<SStringW, SStringW>>;
  static LPCWSTR GetClassName() { return L"tarntabbase"; }
  // Appends an item with the given attributes; raises EVT_TARNTAB_ITEM_INSERT.
  int InsertItemByAttrs(const ItemAttrs& attrs);
  bool RemoveTabByOrder(int order);
  bool SetItemAttrByOrder(const SStringW& attr, const SStringW& value, int order);
  bool SetCurSelByOrder(int order, bool notify);
  int GetItemCount() const { return static_cast<int>(m_items.size()); }
  int GetCurSel() const { return m_cur; }
  bool ConsumesXmlChildren() const override { return true; }
  void OnCreateFromXml(const pugi::xml_node& node) override;
  void DumpState(std::vector<std::string>& lines) const override;

 private:
  std::vector<std::map<SStringW, SStringW>> m_items;
  int m_cur = -1;
};

class CTarnTabCtrl : public SKind<CTarnTabCtrl, CTarnTabCtrlBase> {
 public:
  static LPCWSTR GetClassName() { return L"tarntab"; }
};

class CTarnLegend : public SKind<CTarnLegend, SWindow> {
 public:
  static LPCWSTR GetClassName() { return L"tarnlegend"; }
  bool IsLegendSelected() const;
};

class CTarnEdit : public SKind<CTarnEdit, SEdit> {
 public:
  static LPCWSTR GetClassName() { return L"tarnedit"; }
};

class CTarnPasswdEdit : public SKind<CTarnPasswdEdit, CTarnEdit> {
 public:
  static LPCWSTR GetClassName() { return L"tarnpasswdedit"; }
};

class CTarnButton : public SKind<CTarnButton, SButton> {
 public:
  static LPCWSTR GetClassName() { return L"tarnbutton"; }
};

class CTarnLink : public SKind<CTarnLink, SLink> {
 public:
  static LPCWSTR GetClassName() { return L"tarnlink"; }
};

class CTarnRedGreenStatic : public SKind<CTarnRedGreenStatic, SStatic> {
 public:
  static LPCWSTR GetClassName() { return L"tarnredgreen"; }
};

class CTarnMarketTag : public SKind<CTarnMarketTag, SStatic> {
 public:
  static LPCWSTR GetClassName() { return L"tarnmarkettag"; }
};

class CTarnLoadingFail : public SKind<CTarnLoadingFail, SWindow> {
 public:
  static LPCWSTR GetClassName() { return L"tarnloadingfail"; }
};

// Group list: groups of items, each shown through a panel built by the list.
constexpr int EVT_GROUPLIST_INIT_GROUP = 10003000;
constexpr int EVT_GROUPLIST_INIT_ITEM = 10003001;
constexpr int EVT_GROUPLIST_ITEM_CLICK = 10003002;
constexpr int EVT_GROUPLIST_GROUP_STATE = 10003003;

// Group data: the text, then whether it is expanded.
struct TarnGroupListGroupData {
  SStringW text;
  bool bExpanded = false;
};

// Item data: the text, then the icon index.
struct TarnGroupListItemData {
  SStringW text;
  int iIcon = 0;
};

class EventGroupListInitGroup : public EventArgs {
 public:
  EventGroupListInitGroup(SWindow* pSender, SWindow* panel, TarnGroupListGroupData* data)
      : EventArgs(pSender, EVT_GROUPLIST_INIT_GROUP), pItem(panel), pData(data) {}
  LPCWSTR GetClassName() const override { return L"on_EventGroupListInitGroup"; }
  SWindow* pItem;
  TarnGroupListGroupData* pData;
};

class EventGroupListInitItem : public EventArgs {
 public:
  EventGroupListInitItem(SWindow* pSender, SWindow* panel, TarnGroupListItemData* data)
      : EventArgs(pSender, EVT_GROUPLIST_INIT_ITEM), pItem(panel), pData(data) {}
  LPCWSTR GetClassName() const override { return L"on_EventGroupListInitItem"; }
  SWindow* pItem;
  TarnGroupListItemData* pData;
};

class EventGroupStateChanged : public EventArgs {
 public:
  EventGroupStateChanged(SWindow* pSender, SWindow* panel, TarnGroupListGroupData* data)
      : EventArgs(pSender, EVT_GROUPLIST_GROUP_STATE), pItem(panel), pData(data) {}
  LPCWSTR GetClassName() const override { return L"on_EventGroupStateChanged"; }
  SWindow* pItem;
  TarnGroupListGroupData* pData;
};

class CTarnGroupList : public SKind<CTarnGroupList, SWindow> {
 public:
  static LPCWSTR GetClassName() { return L"tarngrouplist"; }
  bool ConsumesXmlChildren() const override { return true; }
  void OnCreateFromXml(const pugi::xml_node& node) override;
  // Builds the panels and raises the init events for each group and item.
  void OnLayoutDone() override;
  // A user selection of group N toggles its expansion.
  bool OnUserSelect(int index) override;
  std::unique_ptr<EventArgs> MakeEvent(int id, const std::string& arg) override;
  void DumpState(std::vector<std::string>& lines) const override;

 private:
  struct Group {
    TarnGroupListGroupData data;
    SWindow* panel = nullptr;
    std::vector<std::pair<TarnGroupListItemData, SWindow*>> items;
  };
  std::vector<Group> m_groups;
};

// Toasts: icon kind 1..4 or an icon skin name.
class ITarnToast {
 public:
  static void TrackPopupToast(HWND owner, int iconKind, LPCWSTR text, int offset, int displayTimes);
  static void TrackPopupToast(HWND owner, LPCWSTR iconSkin, LPCWSTR text, int offset, int displayTimes);
};

class ITarnMenu {
 public:
  static int TrackPopupMenu(int x, int y, HWND owner, LPCWSTR resName, LPCWSTR resType);
};

class ITarnMultiSelMenu {
 public:
  static std::shared_ptr<std::vector<int>> TrackPopupMenu(int x, int y, HWND owner, LPCWSTR layout, int flags);
};

// Message dialog description.
struct TarnDefaultDialogAttr {
  SStringW title;
  SStringW windowIcon;
  SStringW contentText;
  SStringW contentTitle;
  SStringW linkText;
  SStringW contentIconSkin;
  bool flag = false;
  SStringW buttonText[3];
  int buttonStyle = 0;
  int contentIcon = 0;
  int leftCtrlKind = 0;
  SStringW leftCtrlText;
  int width = 0;

  void SetButtonStyle(int style) { buttonStyle = style; }
  void SetButtonText(LPCWSTR b1, LPCWSTR b2, LPCWSTR b3);
  void SetContentIcon(int icon) { contentIcon = icon; }
  std::string Describe() const;
};

class CTarnDefaultDialog {
 public:
  using LinkSlot = std::function<bool(EventArgs*)>;
  explicit CTarnDefaultDialog(const TarnDefaultDialogAttr& attr) : m_attr(attr) {}
  void RegisterLinkEvent(LPCWSTR linkText, LinkSlot slot);
  // Runs modally; the stand-in records the dialog and closes it at once.
  int DoModal(HWND owner = nullptr);
  static int MessageBoxW(const TarnDefaultDialogAttr& attr, HWND owner);
  // The link slot of the last modal dialog, so the console can click it.
  static bool ClickLastLink();

 private:
  TarnDefaultDialogAttr m_attr;
  SStringW m_linkText;
  LinkSlot m_linkSlot;
};

// One bubble, zero-filled; image is a device-context handle widened to 64 bits.
struct TarnBubbleInfo {
  int64_t image = 0;
  int32_t width = 0;
  int32_t height = 0;
  int32_t anchorX = 0;
  int32_t anchorY = 0;
  RECT target{0, 0, 0, 0};
  int32_t side = 0;  // 1 right, 2 below, 3 left, 4 above
  int32_t text2 = 0;
  int32_t text1 = 0;
};

// A group of bubbles: kind 1 single, 2 paged, 3 paged with pictures.
struct TarnBubbleGroupInfo {
  int32_t kind = 0;
  int32_t groupId = 0;
  std::shared_ptr<std::vector<std::shared_ptr<TarnBubbleInfo>>> bubbles;
};

// The bubble overlay. Its event and message maps (_HandleEvent,
// ProcessWindowMessage, _ProcessWindowMessage, IsMsgHandled, SetMsgHandled)
// are defined by the program that shows it.
class CTarnBubbleWnd : public SHostWnd {
 public:
  BOOL _HandleEvent(EventArgs* pEvt) override;
  BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult,
                            DWORD dwMsgMapID = 0) override;
  BOOL _ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult, DWORD dwMsgMapID);
  BOOL IsMsgHandled() const;
  void SetMsgHandled(BOOL handled);

  CTarnBubbleWnd() : SHostWnd(L"LAYOUT:tarn_bubble") {}
  ~CTarnBubbleWnd() override {
    if (IsWindow()) DestroyWindow();
  }

  // Copies the group; a group with the same id is replaced.
  void AddPop(int groupId, const TarnBubbleGroupInfo& info);
  bool ShouldShowWnd() const;
  void SetOwnerHwnd(HWND owner) { m_owner = owner; }
  // Covers the owner window exactly.
  void UpdateBubblePos();

  void OnBtnBefore();
  void OnBtnNext();
  void OnBtnClose();
  void OnBgWndClick();
  void OnDestroy() override;
  BOOL OnInitDialog(WPARAM wParam, LPARAM lParam);

  // State for the console.
  std::vector<std::string> DescribeState() const override;

 private:
  struct Group {
    int param;
    int kind;
    int groupId;
    std::vector<TarnBubbleInfo> bubbles;
  };
  void ShowCurrent();
  void CloseCurrentGroup();

  std::vector<Group> m_groups;
  size_t m_page = 0;
  HWND m_owner = nullptr;
  int m_posUpdates = 0;
  int m_inits = 0;
};
