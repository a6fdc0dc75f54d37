#include "showcase/platform/hearthres.h"

#include "showcase/platform/basalt.h"
#include "showcase/platform/faults.h"
#include "showcase/platform/hearth.h"
#include "showcase/platform/journal.h"
#include "showcase/platform/soui.h"
#include "showcase/platform/text.h"

namespace {
void NotifyHosts(UINT msg) {
  for (SHostWnd* host : SHostWnd::LiveHosts()) {
    if (host->IsWindow()) host->SendMessageW(msg, 0, 0);
  }
}

std::string BaseName(const std::wstring& path) {
  size_t slash = path.rfind(L'/');
  return WideToUtf8(slash == std::wstring::npos ? path : path.substr(slash + 1));
}
}  // namespace

bool IMgr_Skin::Init() {
  StandInCall("IMgr_Skin::Init");
  return true;
}

void IMgr_Skin::UnInit() { StandInCall("IMgr_Skin::UnInit"); }

bool IMgr_Skin::Load() {
  StandInCall("IMgr_Skin::Load");
  return true;
}

void IMgr_Skin::RegUIHinstance_ForChangeSkin(HINSTANCE /*instance*/) {
  StandInCall("IMgr_Skin::RegUIHinstance_ForChangeSkin");
}

int IMgr_Skin::ChangeSkin(LPCWSTR path) {
  std::wstring p = path == nullptr ? L"" : path;
  StandInCall("IMgr_Skin::ChangeSkin(" + BaseName(p) + ")");
  if (Faults().changeSkin) return 1;
  if (!OM::IsFileExist(p.c_str())) return 2;
  NotifyHosts(2076);
  return 0;
}

bool IMgr_Language::Init() {
  StandInCall("IMgr_Language::Init");
  return true;
}

void IMgr_Language::UnInit() { StandInCall("IMgr_Language::UnInit"); }

int IMgr_Language::ChangeLanguage() {
  StandInCall("IMgr_Language::ChangeLanguage");
  if (Faults().changeLanguage) return 1;
  NotifyHosts(2075);
  return 0;
}

void IMgr_Language::ExitApping() { StandInCall("IMgr_Language::ExitApping"); }
