#include "showcase/platform/trellis.h"

#include "showcase/platform/journal.h"
#include "showcase/platform/text.h"

bool IUI::Init() {
  StandInCall("IUI::Init");
  return true;
}

void IUI::UnInit() { StandInCall("IUI::UnInit"); }

void IUI::ChangeFont(LPCWSTR font1, LPCWSTR font2, LPCWSTR font3, LPCWSTR font4) {
  StandInCall("IUI::ChangeFont(" + WideToUtf8(font1) + "|" + WideToUtf8(font2) + "|" + WideToUtf8(font3) + "|" +
              WideToUtf8(font4) + ")");
}
