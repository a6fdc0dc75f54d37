// Velvet, the client's toolkit extension: toolkit start-up and the rich text
// control.
#pragma once

#include <functional>

#include "showcase/platform/soui.h"

class ISOUIManager {
 public:
  static bool InitSOUI();
  static void UninitSOUI();
};

namespace SOUI {
class TarnRichText : public SKind<TarnRichText, SWindow> {
 public:
  static LPCWSTR GetClassName() { return L"tarnrichtext"; }
  // (control, snippet kind, snippet text)
  using Callback = std::function<void(TarnRichText*, int, const SStringW&)>;
  void SetClickCallback(Callback cb) { m_click = std::move(cb); }
  void SetHoverCallback(Callback cb) { m_hover = std::move(cb); }
  void DumpState(std::vector<std::string>& lines) const override;

 private:
  Callback m_click;
  Callback m_hover;
};
}  // namespace SOUI
