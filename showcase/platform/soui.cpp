#include "showcase/platform/soui.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cwchar>

#include "showcase/platform/journal.h"
#include "showcase/platform/standin_env.h"
#include "showcase/platform/text.h"

namespace SOUI {

namespace {

std::vector<std::string>& LogLines() {
  static std::vector<std::string> lines;
  return lines;
}

std::vector<SHostWnd*>& Hosts() {
  static std::vector<SHostWnd*> hosts;
  return hosts;
}

std::unique_ptr<SApplication>& AppInstance() {
  static std::unique_ptr<SApplication> app;
  return app;
}

bool IsFalseText(const SStringW& v) { return v == L"0" || v == L"false"; }

std::string Quote(const SStringW& text) {
  std::string out = "\"";
  for (char c : WideToUtf8(text)) {
    if (c == '"' || c == '\\') out += '\\';
    if (c == '\n') {
      out += "\\n";
      continue;
    }
    out += c;
  }
  return out + "\"";
}

std::wstring ToWide(const char* s) { return Utf8ToWide(s == nullptr ? "" : s); }

// Builds a widget and its children from a layout element; unknown classes
// are logged and skipped.
std::unique_ptr<SWindow> BuildWidget(const pugi::xml_node& node) {
  SApplication* app = SApplication::getSingletonPtr();
  std::wstring cls = ToWide(node.name());
  std::unique_ptr<SWindow> w = app == nullptr ? nullptr : app->CreateWindowByName(cls);
  if (!w) {
    SLogManager::Write(L"layout: unknown class \"" + cls + L"\"");
    return nullptr;
  }
  for (const pugi::xml_attribute& a : node.attributes()) {
    w->SetAttribute(ToWide(a.name()), ToWide(a.value()), true);
  }
  w->OnCreateFromXml(node);
  if (!w->ConsumesXmlChildren()) {
    for (const pugi::xml_node& child : node.children()) {
      if (child.type() != pugi::node_element) continue;
      std::unique_ptr<SWindow> c = BuildWidget(child);
      if (c) w->InsertChild(std::move(c));
    }
  }
  return w;
}

void LayoutDone(SWindow* w) {
  for (const auto& c : w->Children()) LayoutDone(c.get());
  w->OnLayoutDone();
}

}  // namespace

EventArgs::EventArgs(SWindow* pSender, int nId)
    : sender(pSender), nameFrom(pSender == nullptr ? L"" : pSender->GetName().c_str()), id(nId) {}

bool EventArgs::IsClass(LPCWSTR name) const { return name != nullptr && std::wstring(name) == GetClassName(); }

void SLogManager::Write(const std::wstring& line) { LogLines().push_back(WideToUtf8(line)); }
const std::vector<std::string>& SLogManager::Lines() { return LogLines(); }

bool SWindow::IsClass(LPCWSTR name) const { return name != nullptr && std::wstring(name) == GetClassName(); }

SWindow* SWindow::FindChildByName(LPCWSTR name, int nDeep) {
  if (name == nullptr || nDeep == 0) return nullptr;
  for (const auto& c : m_children) {
    if (c->m_name == name) return c.get();
  }
  for (const auto& c : m_children) {
    SWindow* found = c->FindChildByName(name, nDeep < 0 ? -1 : nDeep - 1);
    if (found != nullptr) return found;
  }
  return nullptr;
}

void SWindow::LogClassMismatch(SWindow* w, LPCWSTR expected) const {
  SLogManager::Write(L"FindChildByName2: \"" + w->GetName() + L"\" is \"" + w->GetObjectClass() + L"\", not \"" +
                     expected + L"\"");
}

bool SWindow::SetAttribute(const SStringW& name, const SStringW& value, bool /*loading*/) {
  if (name == L"name") {
    m_name = value;
  } else if (name == L"text") {
    m_text = value;
  } else if (name == L"pos") {
    int v[4] = {0, 0, 0, 0};
    std::swscanf(value.c_str(), L"%d,%d,%d,%d", &v[0], &v[1], &v[2], &v[3]);
    m_pos = RECT{v[0], v[1], v[2], v[3]};
    m_attrs[name] = value;
  } else if (name == L"visible" || name == L"show") {
    m_visible = !IsFalseText(value);
  } else if (name == L"enable") {
    m_enabled = !IsFalseText(value);
  } else if (name == L"check") {
    m_checked = !IsFalseText(value);
  } else {
    m_attrs[name] = value;
  }
  return true;
}

SStringW SWindow::GetAttribute(const SStringW& name) const {
  auto it = m_attrs.find(name);
  return it == m_attrs.end() ? SStringW() : it->second;
}

void SWindow::SetWindowText(LPCWSTR text) { m_text = text == nullptr ? L"" : text; }

void SWindow::SetVisible(bool show, bool /*update*/) { m_visible = show; }

void SWindow::EnableWindow(bool enable, bool /*update*/) { m_enabled = enable; }

void SWindow::SetFocus() {
  if (m_host != nullptr) m_host->SetFocusedWidget(this);
}

bool SWindow::IsFocused() const { return m_host != nullptr && m_host->GetFocusedWidget() == this; }

LRESULT SWindow::SDispatchMessage(UINT msg, WPARAM /*wParam*/, LPARAM /*lParam*/) {
  m_dispatched.push_back(msg);
  return 0;
}

void SWindow::subscribeEvent(int id, EventSlot slot) { m_slots.emplace(id, std::move(slot)); }

bool SWindow::FireEvent(EventArgs& evt) {
  auto range = m_slots.equal_range(evt.GetID());
  for (auto it = range.first; it != range.second; ++it) {
    if (it->second(&evt)) evt.bubbleUp = false;
  }
  if (!evt.bubbleUp) return true;
  if (m_host == nullptr) return false;
  return m_host->_HandleEvent(&evt) != FALSE;
}

bool SWindow::FireCommand() {
  EventCmd evt(this);
  return FireEvent(evt);
}

SWindow* SWindow::InsertChild(std::unique_ptr<SWindow> child) {
  child->m_parent = this;
  child->AttachHost(m_host);
  m_children.push_back(std::move(child));
  return m_children.back().get();
}

void SWindow::AttachHost(SHostWnd* host) {
  m_host = host;
  for (const auto& c : m_children) c->AttachHost(host);
}

void SWindow::OnCreateFromXml(const pugi::xml_node& /*node*/) {}

bool SWindow::OnUserClick() {
  if (!m_enabled) return false;
  if (m_host != nullptr) m_host->SetFocusedWidget(this);
  return FireCommand();
}

bool SWindow::OnUserSelect(int /*index*/) { return false; }

bool SWindow::OnUserType(const SStringW& text) {
  m_text = text;
  return false;
}

std::unique_ptr<EventArgs> SWindow::MakeEvent(int id, const std::string& /*arg*/) {
  if (id == EVT_CMD) return std::make_unique<EventCmd>(this);
  if (id == EVT_KILLFOCUS) return std::make_unique<EventKillFocus>(this);
  if (id == EVT_RE_NOTIFY) return std::make_unique<EventRENotify>(this);
  return std::make_unique<EventArgs>(this, id);
}

void SWindow::DumpState(std::vector<std::string>& lines) const {
  lines.push_back(WideToUtf8(m_name) + " class=" + WideToUtf8(GetObjectClass()) +
                  " visible=" + (m_visible ? "1" : "0") + " enabled=" + (m_enabled ? "1" : "0") + " checked=" +
                  (m_checked ? "1" : "0") + " focus=" + (IsFocused() ? "1" : "0") + " text=" + Quote(m_text));
  for (const auto& kv : m_attrs) lines.push_back("  attr " + WideToUtf8(kv.first) + "=" + Quote(kv.second));
  if (!m_dispatched.empty()) {
    std::string d = "  dispatched";
    for (UINT m : m_dispatched) d += " " + std::to_string(m);
    lines.push_back(d);
  }
}

// A click checks the radio and clears the other radios of its group (its siblings).
bool SRadioBox::OnUserClick() {
  if (IsDisabled()) return false;
  if (GetParent() != nullptr) {
    for (const auto& sib : GetParent()->Children()) {
      if (sib->IsClass(SRadioBox::GetClassName())) sib->SetCheck(false);
    }
  }
  SetCheck(true);
  return SWindow::OnUserClick();
}

void SToggle::SetToggle(bool toggle, bool /*update*/) { m_toggle = toggle; }

void SToggle::DumpState(std::vector<std::string>& lines) const {
  SWindow::DumpState(lines);
  lines.push_back(std::string("  toggle=") + (m_toggle ? "1" : "0"));
}

bool SImageWnd::SetIcon(int index) {
  m_icon = index;
  return true;
}

void SImageWnd::DumpState(std::vector<std::string>& lines) const {
  SWindow::DumpState(lines);
  lines.push_back("  icon=" + std::to_string(m_icon));
}

// Typing replaces the text, cut to the limit.
bool SEdit::OnUserType(const SStringW& text) {
  if (IsDisabled()) return false;
  m_text = m_limit > 0 && static_cast<int>(text.size()) > m_limit ? text.substr(0, m_limit) : text;
  EventRENotify evt(this);
  return FireEvent(evt);
}

void SEdit::SetWindowText(LPCWSTR text) {
  SStringW next = text == nullptr ? L"" : text;
  if (next == m_text) return;
  m_text = next;
  EventRENotify evt(this);
  FireEvent(evt);
}

void SEdit::DumpState(std::vector<std::string>& lines) const {
  SWindow::DumpState(lines);
  lines.push_back("  limit=" + std::to_string(m_limit) + " sel=" + std::to_string(m_selStart) + "," +
                  std::to_string(m_selEnd));
}

bool SListBox::SetCurSel(int index) {
  if (index < -1 || index >= GetCount()) return false;
  m_cur = index;
  return true;
}

LPARAM SListBox::GetItemData(int index) const {
  return index >= 0 && index < GetCount() ? m_items[static_cast<size_t>(index)].data : 0;
}

SStringW SListBox::GetText(int index) const {
  return index >= 0 && index < GetCount() ? m_items[static_cast<size_t>(index)].text : SStringW();
}

// <item text="" data=""/> children; "curSel" on the combo.
void SComboBox::OnCreateFromXml(const pugi::xml_node& node) {
  for (const pugi::xml_node& item : node.children("item")) {
    m_list.AddItem(ToWide(item.attribute("text").value()), static_cast<LPARAM>(item.attribute("data").as_llong(0)));
  }
  m_list.SetCurSel(node.attribute("curSel").as_int(-1));
}

bool SComboBox::OnUserSelect(int index) {
  if (IsDisabled() || !m_list.SetCurSel(index)) return false;
  m_text = m_list.GetText(index);
  EventCBSelChange evt(this, index);
  return FireEvent(evt);
}

void SComboBox::DumpState(std::vector<std::string>& lines) const {
  SWindow::DumpState(lines);
  lines.push_back("  cursel=" + std::to_string(m_list.GetCurSel()));
}

// <item text=""> elements, nested for children.
void STreeCtrl::OnCreateFromXml(const pugi::xml_node& node) { LoadItems(node, 0); }

void STreeCtrl::LoadItems(const pugi::xml_node& node, HSTREEITEM parent) {
  for (const pugi::xml_node& item : node.children("item")) {
    Node n;
    n.text = ToWide(item.attribute("text").value());
    n.parent = parent;
    m_nodes.push_back(n);
    HSTREEITEM h = m_nodes.size();
    if (parent == 0)
      m_roots.push_back(h);
    else
      m_nodes[parent - 1].children.push_back(h);
    LoadItems(item, h);
  }
}

const STreeCtrl::Node* STreeCtrl::Get(HSTREEITEM item) const {
  return item == 0 || item > m_nodes.size() ? nullptr : &m_nodes[item - 1];
}

HSTREEITEM STreeCtrl::GetRootItem() const { return m_roots.empty() ? 0 : m_roots.front(); }

HSTREEITEM STreeCtrl::GetChildItem(HSTREEITEM item) const {
  const Node* n = Get(item);
  return n == nullptr || n->children.empty() ? 0 : n->children.front();
}

HSTREEITEM STreeCtrl::GetNextSiblingItem(HSTREEITEM item) const {
  const Node* n = Get(item);
  if (n == nullptr) return 0;
  const std::vector<HSTREEITEM>& sibs = n->parent == 0 ? m_roots : m_nodes[n->parent - 1].children;
  auto it = std::find(sibs.begin(), sibs.end(), item);
  return it == sibs.end() || it + 1 == sibs.end() ? 0 : *(it + 1);
}

HSTREEITEM STreeCtrl::GetNextItem(HSTREEITEM item) const {
  HSTREEITEM child = GetChildItem(item);
  if (child != 0) return child;
  for (HSTREEITEM cur = item; cur != 0; cur = Get(cur)->parent) {
    HSTREEITEM sib = GetNextSiblingItem(cur);
    if (sib != 0) return sib;
  }
  return 0;
}

bool STreeCtrl::SelectItem(HSTREEITEM item, bool /*ensureVisible*/) {
  if (Get(item) == nullptr) return false;
  if (item == m_selected) return true;
  EventTCSelChanged evt(this);
  evt.hOldSel = m_selected;
  evt.hNewSel = item;
  m_selected = item;
  FireEvent(evt);
  return true;
}

bool STreeCtrl::SetItemData(HSTREEITEM item, LPARAM data) {
  if (Get(item) == nullptr) return false;
  m_nodes[item - 1].data = data;
  return true;
}

LPARAM STreeCtrl::GetItemData(HSTREEITEM item) const {
  const Node* n = Get(item);
  return n == nullptr ? 0 : n->data;
}

SStringW STreeCtrl::GetItemText(HSTREEITEM item) const {
  const Node* n = Get(item);
  return n == nullptr ? SStringW() : n->text;
}

bool STreeCtrl::OnUserSelect(int index) {
  HSTREEITEM h = GetRootItem();
  for (int i = 0; i < index && h != 0; ++i) h = GetNextItem(h);
  if (h == 0 || IsDisabled()) return false;
  return SelectItem(h);
}

void STreeCtrl::DumpState(std::vector<std::string>& lines) const {
  SWindow::DumpState(lines);
  int i = 0;
  for (HSTREEITEM h = GetRootItem(); h != 0; h = GetNextItem(h), ++i) {
    lines.push_back("  item " + std::to_string(i) + " data=" + std::to_string(GetItemData(h)) +
                    (h == m_selected ? " selected" : "") + " text=" + Quote(GetItemText(h)));
  }
}

bool STabCtrl::SetCurSel(int index) {
  if (index < 0 || index >= GetItemCount()) return false;
  m_cur = index;
  return true;
}

bool STabCtrl::OnUserSelect(int index) { return SetCurSel(index); }

void STabCtrl::DumpState(std::vector<std::string>& lines) const {
  SWindow::DumpState(lines);
  lines.push_back("  cursel=" + std::to_string(m_cur));
}

SHostWnd::SHostWnd(LPCWSTR layoutName) : m_layoutName(layoutName == nullptr ? L"" : layoutName) {
  Hosts().push_back(this);
}

SHostWnd::~SHostWnd() {
  Hosts().erase(std::remove(Hosts().begin(), Hosts().end(), this), Hosts().end());
  if (::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
}

// "LAYOUT:name" is layout/name.xml under the resources; the root element
// gives the size.
bool SHostWnd::LoadLayout(int* width, int* height) {
  const std::wstring prefix = L"LAYOUT:";
  if (m_layoutName.compare(0, prefix.size(), prefix) != 0) {
    SLogManager::Write(L"layout: bad resource name \"" + m_layoutName + L"\"");
    return false;
  }
  std::string path = StandInResourceDir() + "/layout/" + WideToUtf8(m_layoutName.substr(prefix.size())) + ".xml";
  pugi::xml_document doc;
  if (!doc.load_file(path.c_str())) {
    SLogManager::Write(L"layout: cannot load \"" + m_layoutName + L"\"");
    return false;
  }
  pugi::xml_node top = doc.document_element();
  m_root = std::make_unique<SWindow>();
  m_root->SetName(L"root");
  m_root->AttachHost(this);
  for (const pugi::xml_node& child : top.children()) {
    if (child.type() != pugi::node_element) continue;
    std::unique_ptr<SWindow> w = BuildWidget(child);
    if (w) m_root->InsertChild(std::move(w));
  }
  *width = top.attribute("width").as_int(400);
  *height = top.attribute("height").as_int(300);
  return true;
}

HWND SHostWnd::Create(HWND parent, DWORD style, DWORD exStyle, int x, int y, int width, int height) {
  if (::IsWindow(m_hWnd)) return m_hWnd;
  m_focus = nullptr;
  int lw = 0;
  int lh = 0;
  if (!LoadLayout(&lw, &lh)) return nullptr;
  int w = width > 0 ? width : lw;
  int h = height > 0 ? height : lh;
  std::wstring alias = m_layoutName.substr(m_layoutName.find(L':') + 1);
  m_hWnd = CreateWindowStandIn(this, alias, parent, style, exStyle, RECT{x, y, x + w, y + h});
  StandInCall("SHostWnd::Create(" + WideToUtf8(alias) + ",style=" + std::to_string(style) + ")");
  LayoutDone(m_root.get());
  return m_hWnd;
}

HWND SHostWnd::Create(HWND parent, int x, int y, int width, int height) {
  return Create(parent, WS_POPUP | WS_CLIPSIBLINGS, 0, x, y, width, height);
}

LRESULT SHostWnd::SendMessageW(UINT msg, WPARAM wParam, LPARAM lParam) {
  return ::SendMessageW(m_hWnd, msg, wParam, lParam);
}

BOOL SHostWnd::ShowWindow(int cmd) { return ::ShowWindow(m_hWnd, cmd); }

void SHostWnd::CenterWindow(HWND alternateOwner) {
  RECT mine{};
  if (!::GetWindowRect(m_hWnd, &mine)) return;
  RECT area{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT};
  HWND over = alternateOwner != nullptr ? alternateOwner : ::GetParent(m_hWnd);
  if (over != nullptr) ::GetWindowRect(over, &area);
  int w = mine.right - mine.left;
  int h = mine.bottom - mine.top;
  int x = area.left + ((area.right - area.left) - w) / 2;
  int y = area.top + ((area.bottom - area.top) - h) / 2;
  ::MoveWindow(m_hWnd, x, y, w, h, TRUE);
}

BOOL SHostWnd::BringWindowToTop() { return ::BringWindowToTop(m_hWnd); }
BOOL SHostWnd::IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
BOOL SHostWnd::IsWindow() const { return ::IsWindow(m_hWnd); }
BOOL SHostWnd::DestroyWindow() { return ::DestroyWindow(m_hWnd); }
BOOL SHostWnd::GetWindowRect(RECT* rect) const { return ::GetWindowRect(m_hWnd, rect); }
BOOL SHostWnd::MoveWindow(int x, int y, int width, int height) {
  return ::MoveWindow(m_hWnd, x, y, width, height, TRUE);
}

SWindow* SHostWnd::FindChildByName(LPCWSTR name, int nDeep) {
  return m_root ? m_root->FindChildByName(name, nDeep) : nullptr;
}

BOOL SHostWnd::_HandleEvent(EventArgs* /*pEvt*/) { return FALSE; }

BOOL SHostWnd::ProcessWindowMessage(HWND /*hWnd*/, UINT uMsg, WPARAM /*wParam*/, LPARAM /*lParam*/, LRESULT& lResult,
                                    DWORD /*dwMsgMapID*/) {
  if (uMsg == WM_DESTROY) {
    OnDestroy();
    lResult = 0;
    return TRUE;
  }
  if (uMsg == WM_CLOSE) {
    DestroyWindow();
    lResult = 0;
    return TRUE;
  }
  return FALSE;
}

// No child control here owns a native window, so nothing is reflected.
BOOL SHostWnd::ReflectNotifications(UINT /*uMsg*/, WPARAM /*wParam*/, LPARAM /*lParam*/, LRESULT& lResult) {
  lResult = 0;
  return FALSE;
}

// The widget tree outlives the native window until the next Create, so a
// handler that closes its own window may still touch its widgets.
void SHostWnd::OnDestroy() { m_focus = nullptr; }

void SHostWnd::OnRefresh() {
  if (m_root) m_root->SDispatchMessage(2027, 0, 0);
}

LRESULT SHostWnd::WindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (ProcessWindowMessage(hWnd, msg, wParam, lParam, result, 0)) return result;
  return DefWindowProcW(hWnd, msg, wParam, lParam);
}

void SHostWnd::SetFocusedWidget(SWindow* widget) {
  if (widget == m_focus) return;
  SWindow* old = m_focus;
  m_focus = widget;
  if (old != nullptr) {
    EventKillFocus evt(old);
    old->FireEvent(evt);
  }
}

IUIAProvider* SHostWnd::GetProvider() { return m_provider ? reinterpret_cast<IUIAProvider*>(this) : nullptr; }
IUIAProvider* SHostWnd::CreateProvider() {
  m_provider = true;
  return GetProvider();
}
IUIAProvider* SHostWnd::GetChildProviderByIndex(int /*index*/) { return nullptr; }
IUIAProvider* SHostWnd::GetChildProviderByPoint(POINT /*pt*/) { return nullptr; }
IUIAProvider* SHostWnd::GetFocusChildProvider() { return nullptr; }
BOOL SHostWnd::GetUIACtrlRect(RECT* rect) { return ::GetWindowRect(m_hWnd, rect); }
SStringW SHostWnd::GetUIAText() { return m_layoutName; }
SStringW SHostWnd::GetUITestID() { return m_testId; }
void SHostWnd::SetUITestID(LPCWSTR id) { m_testId = id == nullptr ? L"" : id; }
int SHostWnd::GetUIMode() { return 0; }
void SHostWnd::SortChildCtrl() {}
int SHostWnd::GetUIAID() { return 0; }

std::vector<SHostWnd*> SHostWnd::LiveHosts() {
  std::vector<SHostWnd*> out;
  for (SHostWnd* h : Hosts()) {
    if (h->IsWindow()) out.push_back(h);
  }
  return out;
}

std::vector<SHostWnd*> SHostWnd::AllHosts() { return Hosts(); }

std::vector<std::string> SHostWnd::DescribeState() const {
  RECT r{};
  bool exists = IsWindow() != FALSE;
  if (exists) GetWindowRect(&r);
  return {"window " + WideToUtf8(m_layoutName) + " exists=" + (exists ? "1" : "0") + " visible=" +
          (IsWindowVisible() ? "1" : "0") + " rect=" + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
          std::to_string(r.right) + "," + std::to_string(r.bottom) + " scale=" + std::to_string(m_scale)};
}

SApplication* SApplication::getSingletonPtr() { return AppInstance().get(); }

void SApplication::Create() {
  AppInstance() = std::make_unique<SApplication>();
  SApplication& app = *AppInstance();
  app.RegisterWindowClass<SWindow>();
  app.RegisterWindowClass<SStatic>();
  app.RegisterWindowClass<SButton>();
  app.RegisterWindowClass<SImageButton>();
  app.RegisterWindowClass<SRadioBox>();
  app.RegisterWindowClass<SLink>();
  app.RegisterWindowClass<SProgress>();
  app.RegisterWindowClass<SToggle>();
  app.RegisterWindowClass<SImageWnd>();
  app.RegisterWindowClass<SEdit>();
  app.RegisterWindowClass<SComboBox>();
  app.RegisterWindowClass<STreeCtrl>();
  app.RegisterWindowClass<STabCtrl>();
}

void SApplication::Destroy() { AppInstance().reset(); }

std::unique_ptr<SWindow> SApplication::CreateWindowByName(const SStringW& className) const {
  auto it = m_classes.find(className);
  return it == m_classes.end() ? nullptr : it->second();
}

}  // namespace SOUI
