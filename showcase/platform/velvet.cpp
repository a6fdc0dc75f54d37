#include "showcase/platform/velvet.h"

#include "showcase/platform/journal.h"

bool ISOUIManager::InitSOUI() {
  StandInCall("ISOUIManager::InitSOUI");
  SApplication::Create();
  SApplication::getSingletonPtr()->RegisterWindowClass<TarnRichText>();
  return true;
}

void ISOUIManager::UninitSOUI() {
  StandInCall("ISOUIManager::UninitSOUI");
  SApplication::Destroy();
}

namespace SOUI {
void TarnRichText::DumpState(std::vector<std::string>& lines) const {
  SWindow::DumpState(lines);
  lines.push_back(std::string("  click_callback=") + (m_click ? "1" : "0") +
                  " hover_callback=" + (m_hover ? "1" : "0"));
}
}  // namespace SOUI
