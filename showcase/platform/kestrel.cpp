#include "showcase/platform/kestrel.h"

#include <pugixml.hpp>

#include "showcase/platform/hearth.h"
#include "showcase/platform/journal.h"
#include "showcase/platform/standin_env.h"
#include "showcase/platform/text.h"

namespace {
std::vector<std::string>& Record() {
  static std::vector<std::string> lines;
  return lines;
}

std::string Q(const SStringW& text) { return "\"" + WideToUtf8(text) + "\""; }
std::string Q(LPCWSTR text) { return Q(SStringW(text == nullptr ? L"" : text)); }
std::string Owner(HWND h) { return WideToUtf8(WindowAlias(h)); }

std::wstring ToWide(const char* s) { return Utf8ToWide(s == nullptr ? "" : s); }

CTarnDefaultDialog::LinkSlot& LastLink() {
  static CTarnDefaultDialog::LinkSlot slot;
  return slot;
}

// A menu resource exists when its layout file does: "LAYOUT:name" or a
// bare name of type "LAYOUT".
bool MenuResourceFound(const std::wstring& name) {
  std::wstring bare = name.compare(0, 7, L"LAYOUT:") == 0 ? name.substr(7) : name;
  return StandInFileExists(StandInResourceDir() + "/layout/" + WideToUtf8(bare) + ".xml");
}
}  // namespace

const std::vector<std::string>& KestrelRecord() { return Record(); }
void KestrelRecordLine(const std::string& line) { Record().push_back(line); }

void RegisterAllControl() {
  StandInCall("RegisterAllControl");
  SApplication* app = SApplication::getSingletonPtr();
  if (app == nullptr) return;
  app->RegisterWindowClass<CTarnTabCtrlBase>();
  app->RegisterWindowClass<CTarnTabCtrl>();
  app->RegisterWindowClass<CTarnLegend>();
  app->RegisterWindowClass<CTarnEdit>();
  app->RegisterWindowClass<CTarnPasswdEdit>();
  app->RegisterWindowClass<CTarnButton>();
  app->RegisterWindowClass<CTarnLink>();
  app->RegisterWindowClass<CTarnRedGreenStatic>();
  app->RegisterWindowClass<CTarnMarketTag>();
  app->RegisterWindowClass<CTarnLoadingFail>();
  app->RegisterWindowClass<CTarnGroupList>();
}

// <item attr="value" .../> children, each an item with those attributes.
void CTarnTabCtrlBase::OnCreateFromXml(const pugi::xml_node& node) {
  for (const pugi::xml_node& item : node.children("item")) {
    std::map<SStringW, SStringW> attrs;
    for (const pugi::xml_attribute& a : item.attributes()) attrs[ToWide(a.name())] = ToWide(a.value());
    m_items.push_back(attrs);
  }
  if (!m_items.empty()) m_cur = 0;
}

int CTarnTabCtrlBase::InsertItemByAttrs(const ItemAttrs& attrs) {
  std::map<SStringW, SStringW> item;
  for (const auto& kv : attrs) item[kv.first] = kv.second;
  m_items.push_back(item);
  EventArgs evt(this, EVT_TARNTAB_ITEM_INSERT);
  FireEvent(evt);
  return GetItemCount() - 1;
}

bool CTarnTabCtrlBase::RemoveTabByOrder(int order) {
  if (order < 0 || order >= GetItemCount()) return false;
  m_items.erase(m_items.begin() + order);
  if (m_cur >= GetItemCount()) m_cur = GetItemCount() - 1;
  EventArgs evt(this, EVT_TARNTAB_ITEM_REMOVED);
  FireEvent(evt);
  return true;
}

bool CTarnTabCtrlBase::SetItemAttrByOrder(const SStringW& attr, const SStringW& value, int order) {
  if (order < 0 || order >= GetItemCount()) return false;
  m_items[static_cast<size_t>(order)][attr] = value;
  return true;
}

bool CTarnTabCtrlBase::SetCurSelByOrder(int order, bool notify) {
  if (order < 0 || order >= GetItemCount()) return false;
  if (notify) {
    EventArgs changing(this, EVT_TARNTAB_SELCHANGING);
    FireEvent(changing);
  }
  m_cur = order;
  if (notify) {
    EventArgs changed(this, EVT_TARNTAB_SELCHANGED);
    FireEvent(changed);
  }
  return true;
}

void CTarnTabCtrlBase::DumpState(std::vector<std::string>& lines) const {
  SWindow::DumpState(lines);
  lines.push_back("  cursel=" + std::to_string(m_cur) + " items=" + std::to_string(m_items.size()));
  for (size_t i = 0; i < m_items.size(); ++i) {
    std::string line = "  item " + std::to_string(i);
    for (const auto& kv : m_items[i]) line += " " + WideToUtf8(kv.first) + "=" + Q(kv.second);
    lines.push_back(line);
  }
}

bool CTarnLegend::IsLegendSelected() const {
  bool selected = GetAttribute(L"selected") == L"1";
  KestrelRecordLine("legend " + WideToUtf8(GetName()) + " asked selected=" + (selected ? "1" : "0"));
  return selected;
}

// <group text="" expanded="0|1"><item text="" icon="N"/></group>
void CTarnGroupList::OnCreateFromXml(const pugi::xml_node& node) {
  for (const pugi::xml_node& g : node.children("group")) {
    Group group;
    group.data.text = ToWide(g.attribute("text").value());
    group.data.bExpanded = g.attribute("expanded").as_bool(false);
    for (const pugi::xml_node& it : g.children("item")) {
      TarnGroupListItemData item;
      item.text = ToWide(it.attribute("text").value());
      item.iIcon = it.attribute("icon").as_int(0);
      group.items.emplace_back(item, nullptr);
    }
    m_groups.push_back(group);
  }
}

void CTarnGroupList::OnLayoutDone() {
  for (size_t g = 0; g < m_groups.size(); ++g) {
    auto panel = std::make_unique<SWindow>();
    panel->SetName(L"group_panel");
    auto toggle = std::make_unique<SToggle>();
    toggle->SetName(L"tgl_switch");
    panel->InsertChild(std::move(toggle));
    auto label = std::make_unique<SStatic>();
    label->SetName(L"txt_label");
    panel->InsertChild(std::move(label));
    m_groups[g].panel = InsertChild(std::move(panel));
    for (auto& item : m_groups[g].items) {
      auto ipanel = std::make_unique<SWindow>();
      ipanel->SetName(L"item_panel");
      auto ilabel = std::make_unique<SStatic>();
      ilabel->SetName(L"txt_label");
      ipanel->InsertChild(std::move(ilabel));
      auto img = std::make_unique<SImageWnd>();
      img->SetName(L"img_indicator");
      ipanel->InsertChild(std::move(img));
      item.second = InsertChild(std::move(ipanel));
    }
  }
  for (Group& g : m_groups) {
    EventGroupListInitGroup evt(this, g.panel, &g.data);
    FireEvent(evt);
    for (auto& item : g.items) {
      EventGroupListInitItem ievt(this, item.second, &item.first);
      FireEvent(ievt);
    }
  }
}

bool CTarnGroupList::OnUserSelect(int index) {
  if (index < 0 || index >= static_cast<int>(m_groups.size())) return false;
  Group& g = m_groups[static_cast<size_t>(index)];
  g.data.bExpanded = !g.data.bExpanded;
  EventGroupStateChanged evt(this, g.panel, &g.data);
  return FireEvent(evt);
}

std::unique_ptr<EventArgs> CTarnGroupList::MakeEvent(int id, const std::string& arg) {
  size_t index = static_cast<size_t>(std::atoi(arg.c_str()));
  if (index < m_groups.size()) {
    Group& g = m_groups[index];
    if (id == EVT_GROUPLIST_INIT_GROUP) return std::make_unique<EventGroupListInitGroup>(this, g.panel, &g.data);
    if (id == EVT_GROUPLIST_GROUP_STATE) return std::make_unique<EventGroupStateChanged>(this, g.panel, &g.data);
    if (id == EVT_GROUPLIST_INIT_ITEM && !g.items.empty()) {
      return std::make_unique<EventGroupListInitItem>(this, g.items[0].second, &g.items[0].first);
    }
  }
  return SWindow::MakeEvent(id, arg);
}

void CTarnGroupList::DumpState(std::vector<std::string>& lines) const {
  SWindow::DumpState(lines);
  for (size_t g = 0; g < m_groups.size(); ++g) {
    const Group& group = m_groups[g];
    SToggle* toggle = group.panel == nullptr ? nullptr : group.panel->FindChildByName2<SToggle>(L"tgl_switch");
    SWindow* label = group.panel == nullptr ? nullptr : group.panel->FindChildByName(L"txt_label");
    lines.push_back("  group " + std::to_string(g) + " expanded=" + (group.data.bExpanded ? "1" : "0") +
                    " toggle=" + (toggle != nullptr && toggle->GetToggle() ? "1" : "0") +
                    " label=" + Q(label == nullptr ? SStringW() : label->GetWindowText()));
    for (size_t i = 0; i < group.items.size(); ++i) {
      SWindow* panel = group.items[i].second;
      SWindow* ilabel = panel == nullptr ? nullptr : panel->FindChildByName(L"txt_label");
      SImageWnd* img = panel == nullptr ? nullptr : panel->FindChildByName2<SImageWnd>(L"img_indicator");
      lines.push_back("  item " + std::to_string(g) + "." + std::to_string(i) +
                      " label=" + Q(ilabel == nullptr ? SStringW() : ilabel->GetWindowText()) +
                      " icon=" + std::to_string(img == nullptr ? -1 : img->GetIcon()));
    }
  }
}

void ITarnToast::TrackPopupToast(HWND owner, int iconKind, LPCWSTR text, int offset, int displayTimes) {
  KestrelRecordLine("toast owner=" + Owner(owner) + " icon=" + std::to_string(iconKind) + " text=" + Q(text) +
                    " offset=" + std::to_string(offset) + " times=" + std::to_string(displayTimes));
}

void ITarnToast::TrackPopupToast(HWND owner, LPCWSTR iconSkin, LPCWSTR text, int offset, int displayTimes) {
  KestrelRecordLine("toast owner=" + Owner(owner) + " skin=" + Q(iconSkin) + " text=" + Q(text) +
                    " offset=" + std::to_string(offset) + " times=" + std::to_string(displayTimes));
}

int ITarnMenu::TrackPopupMenu(int x, int y, HWND owner, LPCWSTR resName, LPCWSTR resType) {
  std::wstring name = resName == nullptr ? L"" : resName;
  KestrelRecordLine("menu x=" + std::to_string(x) + " y=" + std::to_string(y) + " owner=" + Owner(owner) +
                    " res=" + Q(resName) + " type=" + Q(resType) + " found=" + (MenuResourceFound(name) ? "1" : "0"));
  return 0;
}

std::shared_ptr<std::vector<int>> ITarnMultiSelMenu::TrackPopupMenu(int x, int y, HWND owner, LPCWSTR layout,
                                                                    int flags) {
  std::wstring name = layout == nullptr ? L"" : layout;
  KestrelRecordLine("multisel-menu x=" + std::to_string(x) + " y=" + std::to_string(y) + " owner=" + Owner(owner) +
                    " res=" + Q(layout) + " flags=" + std::to_string(flags) +
                    " found=" + (MenuResourceFound(name) ? "1" : "0"));
  return std::make_shared<std::vector<int>>();
}

void TarnDefaultDialogAttr::SetButtonText(LPCWSTR b1, LPCWSTR b2, LPCWSTR b3) {
  buttonText[0] = b1 == nullptr ? L"" : b1;
  buttonText[1] = b2 == nullptr ? L"" : b2;
  buttonText[2] = b3 == nullptr ? L"" : b3;
}

std::string TarnDefaultDialogAttr::Describe() const {
  return "title=" + Q(title) + " wndicon=" + Q(windowIcon) + " content_title=" + Q(contentTitle) +
         " content=" + Q(contentText) + " link=" + Q(linkText) + " icon_skin=" + Q(contentIconSkin) +
         " icon=" + std::to_string(contentIcon) + " style=" + std::to_string(buttonStyle) +
         " buttons=" + Q(buttonText[0]) + "," + Q(buttonText[1]) + "," + Q(buttonText[2]) +
         " left=" + std::to_string(leftCtrlKind) + ":" + Q(leftCtrlText) + " width=" + std::to_string(width);
}

void CTarnDefaultDialog::RegisterLinkEvent(LPCWSTR linkText, LinkSlot slot) {
  m_linkText = linkText == nullptr ? L"" : linkText;
  m_linkSlot = std::move(slot);
}

int CTarnDefaultDialog::DoModal(HWND owner) {
  KestrelRecordLine("dialog owner=" + Owner(owner) + " " + m_attr.Describe() + " link_event=" + Q(m_linkText));
  LastLink() = m_linkSlot;
  return 1;
}

int CTarnDefaultDialog::MessageBoxW(const TarnDefaultDialogAttr& attr, HWND owner) {
  KestrelRecordLine("messagebox owner=" + Owner(owner) + " " + attr.Describe());
  return 1;
}

bool CTarnDefaultDialog::ClickLastLink() {
  if (!LastLink()) return false;
  EventArgs evt(nullptr, 8107);
  return LastLink()(&evt);
}

void CTarnBubbleWnd::AddPop(int groupId, const TarnBubbleGroupInfo& info) {
  Group g{groupId, info.kind, info.groupId, {}};
  if (info.bubbles) {
    for (const auto& b : *info.bubbles) {
      if (b) g.bubbles.push_back(*b);
    }
  }
  for (auto it = m_groups.begin(); it != m_groups.end(); ++it) {
    if (it->groupId == g.groupId) {
      m_groups.erase(it);
      break;
    }
  }
  m_groups.push_back(g);
  m_page = 0;
  KestrelRecordLine("bubble addpop param=" + std::to_string(groupId) + " group=" + std::to_string(info.groupId) +
                    " kind=" + std::to_string(info.kind) + " bubbles=" + std::to_string(g.bubbles.size()));
}

bool CTarnBubbleWnd::ShouldShowWnd() const {
  for (const Group& g : m_groups) {
    if (!g.bubbles.empty()) return true;
  }
  return false;
}

void CTarnBubbleWnd::UpdateBubblePos() {
  ++m_posUpdates;
  RECT owner{};
  if (!IsWindow() || !::GetWindowRect(m_owner, &owner)) return;
  MoveWindow(owner.left, owner.top, owner.right - owner.left, owner.bottom - owner.top);
}

// The newest group is the one shown.
void CTarnBubbleWnd::ShowCurrent() {
  if (m_groups.empty()) return;
  const Group& g = m_groups.back();
  if (g.bubbles.empty()) return;
  if (m_page >= g.bubbles.size()) m_page = g.bubbles.size() - 1;
  const TarnBubbleInfo& b = g.bubbles[m_page];
  if (SWindow* text = FindChildByName(L"txt_content")) text->SetWindowText(BaseString(b.text1).c_str());
  if (SWindow* title = FindChildByName(L"txt_title")) title->SetWindowText(BaseString(b.text2).c_str());
  if (SWindow* page = FindChildByName(L"txt_page")) {
    page->SetWindowText((std::to_wstring(m_page + 1) + L"/" + std::to_wstring(g.bubbles.size())).c_str());
  }
  if (SWindow* next = FindChildByName(L"btn_next")) next->SetVisible(g.kind != 1 && m_page + 1 < g.bubbles.size());
  if (SWindow* before = FindChildByName(L"btn_before")) before->SetVisible(g.kind != 1 && m_page > 0);
  if (SWindow* pic = FindChildByName(L"img_picture")) pic->SetVisible(b.image != 0);
}

void CTarnBubbleWnd::CloseCurrentGroup() {
  if (!m_groups.empty()) m_groups.pop_back();
  m_page = 0;
  if (m_groups.empty()) {
    ShowWindow(SW_HIDE);
    return;
  }
  ShowCurrent();
}

void CTarnBubbleWnd::OnBtnBefore() {
  if (m_page > 0) --m_page;
  ShowCurrent();
}

void CTarnBubbleWnd::OnBtnNext() {
  if (!m_groups.empty() && m_page + 1 < m_groups.back().bubbles.size()) ++m_page;
  ShowCurrent();
}

void CTarnBubbleWnd::OnBtnClose() { CloseCurrentGroup(); }

void CTarnBubbleWnd::OnBgWndClick() { CloseCurrentGroup(); }

void CTarnBubbleWnd::OnDestroy() {
  m_groups.clear();
  m_page = 0;
  SHostWnd::OnDestroy();
}

BOOL CTarnBubbleWnd::OnInitDialog(WPARAM /*wParam*/, LPARAM /*lParam*/) {
  ++m_inits;
  ShowCurrent();
  return TRUE;
}

std::vector<std::string> CTarnBubbleWnd::DescribeState() const {
  std::vector<std::string> out;
  RECT r{};
  bool exists = IsWindow() != FALSE;
  if (exists) GetWindowRect(&r);
  out.push_back(std::string("bubble exists=") + (exists ? "1" : "0") + " visible=" + (IsWindowVisible() ? "1" : "0") +
                " owner=" + Owner(m_owner) + " rect=" + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
                std::to_string(r.right) + "," + std::to_string(r.bottom) + " inits=" + std::to_string(m_inits) +
                " posupdates=" + std::to_string(m_posUpdates) + " page=" + std::to_string(m_page) +
                " groups=" + std::to_string(m_groups.size()));
  for (const Group& g : m_groups) {
    out.push_back("  group id=" + std::to_string(g.groupId) + " kind=" + std::to_string(g.kind) +
                  " param=" + std::to_string(g.param));
    for (const TarnBubbleInfo& b : g.bubbles) {
      out.push_back("    bubble anchor=" + std::to_string(b.anchorX) + "," + std::to_string(b.anchorY) +
                    " side=" + std::to_string(b.side) + " text1=" + std::to_string(b.text1) +
                    " text2=" + std::to_string(b.text2) + " image=" + (b.image != 0 ? "1" : "0") +
                    " size=" + std::to_string(b.width) + "x" + std::to_string(b.height) +
                    " target=" + std::to_string(b.target.left) + "," + std::to_string(b.target.top) + "," +
                    std::to_string(b.target.right) + "," + std::to_string(b.target.bottom));
    }
  }
  return out;
}
