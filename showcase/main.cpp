// Process entry of the stand-in build: the automation console stands in
// for the mouse and keyboard, then the framework runs the application object.
#include <iostream>

#include "showcase/platform/automation.h"
#include "showcase/platform/faults.h"
#include "showcase/platform/framework.h"
#include "showcase/vitrine_app.h"

int main() {
  for (const std::string& item : RefusedEnvFaults()) {
    std::cerr << "vitrine: VITRINE_FAULTS: unknown fault " << item << " (ignored)\n";
  }
  InstallAutomationConsole(std::cin, std::cout);
  return AfxWinMain(&theApp);
}
