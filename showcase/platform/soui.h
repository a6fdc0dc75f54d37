// SOUI stand-in: host windows built from named layouts, a widget tree with
// the kinds the showcase uses, events with a handled flag, and class-tested
// lookups that log mismatches. It keeps state, it draws nothing.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "showcase/platform/win32.h"

namespace pugi {
class xml_node;
}

namespace SOUI {

using SStringW = std::wstring;

// Event ids raised by the toolkit's own widgets.
constexpr int EVT_CMD = 10000;
constexpr int EVT_KILLFOCUS = 8101;
constexpr int EVT_TC_SELCHANGED = 15001;
constexpr int EVT_CB_SELCHANGE = 19000;
constexpr int EVT_RE_NOTIFY = 24000;

class SWindow;
class SHostWnd;

class EventArgs {
 public:
  EventArgs(SWindow* pSender, int nId);
  virtual ~EventArgs() = default;
  int GetID() const { return id; }
  virtual LPCWSTR GetClassName() const { return L"on_event"; }
  bool IsClass(LPCWSTR name) const;

  SWindow* sender;
  LPCWSTR nameFrom;
  int id;
  bool bubbleUp = true;  // the handled flag: a handler that takes the event clears it
};

class EventCmd : public EventArgs {
 public:
  explicit EventCmd(SWindow* pSender) : EventArgs(pSender, EVT_CMD) {}
  LPCWSTR GetClassName() const override { return L"on_command"; }
};

class EventKillFocus : public EventArgs {
 public:
  explicit EventKillFocus(SWindow* pSender) : EventArgs(pSender, EVT_KILLFOCUS) {}
  LPCWSTR GetClassName() const override { return L"on_kill_focus"; }
};

using HSTREEITEM = uintptr_t;

class EventTCSelChanged : public EventArgs {
 public:
  explicit EventTCSelChanged(SWindow* pSender) : EventArgs(pSender, EVT_TC_SELCHANGED) {}
  LPCWSTR GetClassName() const override { return L"on_tc_sel_changed"; }
  HSTREEITEM hOldSel = 0;
  HSTREEITEM hNewSel = 0;
};

class EventCBSelChange : public EventArgs {
 public:
  EventCBSelChange(SWindow* pSender, int sel) : EventArgs(pSender, EVT_CB_SELCHANGE), nCurSel(sel) {}
  LPCWSTR GetClassName() const override { return L"on_cb_sel_change"; }
  int nCurSel;
};

class EventRENotify : public EventArgs {
 public:
  explicit EventRENotify(SWindow* pSender) : EventArgs(pSender, EVT_RE_NOTIFY) {}
  LPCWSTR GetClassName() const override { return L"on_re_notify"; }
  DWORD iNotify = 0;
};

using EventSlot = std::function<bool(EventArgs*)>;

// The toolkit's log manager: class-test failures and layout problems.
class SLogManager {
 public:
  static void Write(const std::wstring& line);
  static const std::vector<std::string>& Lines();
};

// Widget base. Kinds add a static GetClassName and answer IsClass for their
// own name and every base's.
class SWindow {
 public:
  SWindow() = default;
  virtual ~SWindow() = default;
  SWindow(const SWindow&) = delete;
  SWindow& operator=(const SWindow&) = delete;

  static LPCWSTR GetClassName() { return L"window"; }
  virtual LPCWSTR GetObjectClass() const { return GetClassName(); }
  virtual bool IsClass(LPCWSTR name) const;

  const SStringW& GetName() const { return m_name; }
  void SetName(const SStringW& name) { m_name = name; }

  SWindow* FindChildByName(LPCWSTR name, int nDeep = -1);
  // Class-tested lookup: null, and a log line, when the widget is of another class.
  template <class T>
  T* FindChildByName2(LPCWSTR name, int nDeep = -1) {
    SWindow* w = FindChildByName(name, nDeep);
    if (w == nullptr) return nullptr;
    T* typed = dynamic_cast<T*>(w);
    if (typed == nullptr || !w->IsClass(T::GetClassName())) {
      LogClassMismatch(w, T::GetClassName());
      return nullptr;
    }
    return typed;
  }

  virtual bool SetAttribute(const SStringW& name, const SStringW& value, bool loading = false);
  SStringW GetAttribute(const SStringW& name) const;

  // Edits raise EVT_RE_NOTIFY when the text changes.
  virtual void SetWindowText(LPCWSTR text);
  SStringW GetWindowText() const { return m_text; }
  void SetVisible(bool show, bool update = false);
  bool IsVisible() const { return m_visible; }
  void SetCheck(bool check) { m_checked = check; }
  void EnableWindow(bool enable, bool update = false);
  bool IsDisabled() const { return !m_enabled; }
  void SetFocus();
  bool IsFocused() const;
  LRESULT SDispatchMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
  const std::vector<UINT>& DispatchedMessages() const { return m_dispatched; }

  void subscribeEvent(int id, EventSlot slot);
  // Slots first; then the host's event map unless a slot took the event.
  bool FireEvent(EventArgs& evt);
  bool FireCommand();

  // Position inside the host window, from the layout's "pos" ("l,t,r,b").
  void GetWindowRect(RECT* rect) const { *rect = m_pos; }

  SWindow* GetParent() const { return m_parent; }
  SHostWnd* GetHost() const { return m_host; }
  const std::vector<std::unique_ptr<SWindow>>& Children() const { return m_children; }
  SWindow* InsertChild(std::unique_ptr<SWindow> child);
  void AttachHost(SHostWnd* host);

  // Layout loading and the stand-in's automation.
  virtual bool ConsumesXmlChildren() const { return false; }
  virtual void OnCreateFromXml(const pugi::xml_node& node);
  virtual void OnLayoutDone() {}
  virtual bool OnUserClick();
  virtual bool OnUserSelect(int index);
  virtual bool OnUserType(const SStringW& text);
  virtual std::unique_ptr<EventArgs> MakeEvent(int id, const std::string& arg);
  virtual void DumpState(std::vector<std::string>& lines) const;

 protected:
  void LogClassMismatch(SWindow* w, LPCWSTR expected) const;

  SStringW m_name;
  SStringW m_text;
  bool m_visible = true;
  bool m_checked = false;
  bool m_enabled = true;
  RECT m_pos{0, 0, 0, 0};
  std::map<SStringW, SStringW> m_attrs;
  std::vector<UINT> m_dispatched;
  std::multimap<int, EventSlot> m_slots;
  SWindow* m_parent = nullptr;
  SHostWnd* m_host = nullptr;
  std::vector<std::unique_ptr<SWindow>> m_children;
};

// Helper base for a kind: its class name and its lineage in class tests.
template <class Self, class Base>
class SKind : public Base {
 public:
  using Base::Base;
  LPCWSTR GetObjectClass() const override { return Self::GetClassName(); }
  bool IsClass(LPCWSTR name) const override {
    return std::wstring(name) == Self::GetClassName() || Base::IsClass(name);
  }
};

class SStatic : public SKind<SStatic, SWindow> {
 public:
  static LPCWSTR GetClassName() { return L"text"; }
};

class SButton : public SKind<SButton, SWindow> {
 public:
  static LPCWSTR GetClassName() { return L"button"; }
};

class SImageButton : public SKind<SImageButton, SButton> {
 public:
  static LPCWSTR GetClassName() { return L"imgbtn"; }
};

class SRadioBox : public SKind<SRadioBox, SWindow> {
 public:
  static LPCWSTR GetClassName() { return L"radio"; }
  bool OnUserClick() override;
};

class SLink : public SKind<SLink, SWindow> {
 public:
  static LPCWSTR GetClassName() { return L"link"; }
};

class SProgress : public SKind<SProgress, SWindow> {
 public:
  static LPCWSTR GetClassName() { return L"progress"; }
};

class SToggle : public SKind<SToggle, SWindow> {
 public:
  static LPCWSTR GetClassName() { return L"toggle"; }
  void SetToggle(bool toggle, bool update = true);
  bool GetToggle() const { return m_toggle; }
  void DumpState(std::vector<std::string>& lines) const override;

 private:
  bool m_toggle = false;
};

class SImageWnd : public SKind<SImageWnd, SWindow> {
 public:
  static LPCWSTR GetClassName() { return L"img"; }
  bool SetIcon(int index);
  int GetIcon() const { return m_icon; }
  void DumpState(std::vector<std::string>& lines) const override;

 private:
  int m_icon = 0;
};

// Edit: typing respects the limit; a typed change raises EVT_RE_NOTIFY.
class SEdit : public SKind<SEdit, SWindow> {
 public:
  static LPCWSTR GetClassName() { return L"edit"; }
  void SetLimitText(int limit) { m_limit = limit; }
  void SetSel(long start, long end) {
    m_selStart = start;
    m_selEnd = end;
  }
  bool OnUserType(const SStringW& text) override;
  void SetWindowText(LPCWSTR text) override;
  void DumpState(std::vector<std::string>& lines) const override;

 private:
  int m_limit = 0;
  long m_selStart = 0;
  long m_selEnd = 0;
};

class SListBox {
 public:
  struct Item {
    SStringW text;
    LPARAM data;
  };
  int GetCurSel() const { return m_cur; }
  bool SetCurSel(int index);
  LPARAM GetItemData(int index) const;
  int GetCount() const { return static_cast<int>(m_items.size()); }
  SStringW GetText(int index) const;
  void AddItem(const SStringW& text, LPARAM data) { m_items.push_back(Item{text, data}); }

 private:
  std::vector<Item> m_items;
  int m_cur = -1;
};

class SComboBox : public SKind<SComboBox, SWindow> {
 public:
  static LPCWSTR GetClassName() { return L"combobox"; }
  SListBox* GetListBox() { return &m_list; }
  bool ConsumesXmlChildren() const override { return true; }
  void OnCreateFromXml(const pugi::xml_node& node) override;
  bool OnUserSelect(int index) override;
  void DumpState(std::vector<std::string>& lines) const override;

 private:
  SListBox m_list;
};

class STreeCtrl : public SKind<STreeCtrl, SWindow> {
 public:
  static LPCWSTR GetClassName() { return L"treectrl"; }
  HSTREEITEM GetRootItem() const;
  HSTREEITEM GetChildItem(HSTREEITEM item) const;
  HSTREEITEM GetNextSiblingItem(HSTREEITEM item) const;
  // Pre-order walk: child, else next sibling, else an ancestor's next sibling.
  HSTREEITEM GetNextItem(HSTREEITEM item) const;
  // Selecting another item raises EVT_TC_SELCHANGED.
  bool SelectItem(HSTREEITEM item, bool ensureVisible = true);
  bool SetItemData(HSTREEITEM item, LPARAM data);
  LPARAM GetItemData(HSTREEITEM item) const;
  SStringW GetItemText(HSTREEITEM item) const;
  bool ConsumesXmlChildren() const override { return true; }
  void OnCreateFromXml(const pugi::xml_node& node) override;
  bool OnUserSelect(int index) override;
  void DumpState(std::vector<std::string>& lines) const override;

 private:
  struct Node {
    SStringW text;
    LPARAM data = 0;
    HSTREEITEM parent = 0;
    std::vector<HSTREEITEM> children;
  };
  void LoadItems(const pugi::xml_node& node, HSTREEITEM parent);
  const Node* Get(HSTREEITEM item) const;
  std::vector<Node> m_nodes;  // handle = index + 1
  std::vector<HSTREEITEM> m_roots;
  HSTREEITEM m_selected = 0;
};

class STabCtrl : public SKind<STabCtrl, SWindow> {
 public:
  static LPCWSTR GetClassName() { return L"tabctrl"; }
  bool SetCurSel(int index);
  int GetCurSel() const { return m_cur; }
  int GetItemCount() const { return static_cast<int>(m_children.size()); }
  bool OnUserSelect(int index) override;
  void DumpState(std::vector<std::string>& lines) const override;

 private:
  int m_cur = 0;
};

// Placeholder for a widget the UI-automation interface reaches.
struct IUIAProvider;

// Host window built from a named layout ("LAYOUT:name").
class SHostWnd : public IWindowProcTarget {
 public:
  explicit SHostWnd(LPCWSTR layoutName = nullptr);
  ~SHostWnd() override;
  SHostWnd(const SHostWnd&) = delete;
  SHostWnd& operator=(const SHostWnd&) = delete;

  HWND Create(HWND parent, DWORD style, DWORD exStyle, int x, int y, int width, int height);
  HWND Create(HWND parent, int x, int y, int width, int height);
  LRESULT SendMessageW(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
  BOOL ShowWindow(int cmd);
  void CenterWindow(HWND alternateOwner = nullptr);
  BOOL BringWindowToTop();
  BOOL IsWindowVisible() const;
  BOOL IsWindow() const;
  BOOL DestroyWindow();
  BOOL GetWindowRect(RECT* rect) const;
  BOOL MoveWindow(int x, int y, int width, int height);

  SWindow* GetRoot() { return m_root.get(); }
  SWindow* FindChildByName(LPCWSTR name, int nDeep = -1);
  template <class T>
  T* FindChildByName2(LPCWSTR name, int nDeep = -1) {
    return m_root ? m_root->FindChildByName2<T>(name, nDeep) : nullptr;
  }
  const SStringW& GetLayoutName() const { return m_layoutName; }
  void SetScale(int scale) { m_scale = scale; }

  // Event map and message map. The host's own processing handles WM_DESTROY
  // (OnDestroy), WM_CLOSE (destroy) and leaves the rest to the system.
  virtual BOOL _HandleEvent(EventArgs* pEvt);
  virtual BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult,
                                    DWORD dwMsgMapID = 0);
  BOOL ReflectNotifications(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult);
  virtual void OnDestroy();
  // After a skin change: the widget tree re-reads its skins (2027 to the tree).
  virtual void OnRefresh();
  LRESULT WindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

  // Focus within the widget tree; moving it away raises EVT_KILLFOCUS.
  void SetFocusedWidget(SWindow* widget);
  SWindow* GetFocusedWidget() const { return m_focus; }

  // UI-automation window side.
  IUIAProvider* GetProvider();
  IUIAProvider* CreateProvider();
  IUIAProvider* GetChildProviderByIndex(int index);
  IUIAProvider* GetChildProviderByPoint(POINT pt);
  IUIAProvider* GetFocusChildProvider();
  BOOL GetUIACtrlRect(RECT* rect);
  SStringW GetUIAText();
  SStringW GetUITestID();
  void SetUITestID(LPCWSTR id);
  int GetUIMode();
  void SortChildCtrl();
  int GetUIAID();

  // Every live host window, for the automation console and the skin and
  // language modules; AllHosts includes those whose window is gone.
  static std::vector<SHostWnd*> LiveHosts();
  static std::vector<SHostWnd*> AllHosts();
  // Lines describing the window for the automation console.
  virtual std::vector<std::string> DescribeState() const;

  HWND m_hWnd = nullptr;

 protected:
  BOOL m_bMsgHandled = TRUE;

 private:
  bool LoadLayout(int* width, int* height);

  SStringW m_layoutName;
  std::unique_ptr<SWindow> m_root;
  SWindow* m_focus = nullptr;
  int m_scale = 100;
  SStringW m_testId;
  bool m_provider = false;
};

// The toolkit application: the registry of widget classes by name.
class SApplication {
 public:
  using Factory = std::function<std::unique_ptr<SWindow>()>;
  static SApplication* getSingletonPtr();
  static void Create();
  static void Destroy();
  template <class T>
  void RegisterWindowClass() {
    m_classes[T::GetClassName()] = [] { return std::unique_ptr<SWindow>(new T()); };
  }
  std::unique_ptr<SWindow> CreateWindowByName(const SStringW& className) const;

 private:
  std::map<SStringW, Factory> m_classes;
};

}  // namespace SOUI

using namespace SOUI;  // the toolkit's names are used unqualified throughout
