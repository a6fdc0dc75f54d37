// abacor tools: the catalogue of drawing tools (value, enumerator, points).
#include <cstdio>

#include <abacor/abacor.h>

#include "cli_commands.h"
#include "tool_names.h"

namespace abacor_host {

int ToolsCommand(int argc, char**) {
  if (argc > 2) return Fail("tools takes no options");
  std::printf("%5s  %-42s %s\n", "value", "enumerator", "points");
  for (const ToolName& n : kToolNames) {
    ITarnGraphShapeBase* tool = TarnGraphInterface::CreateGraphShape(n.type);
    if (!tool) continue;
    std::printf("%5d  %-42s %u\n", static_cast<int>(n.type), n.name, tool->GetPointCount());
    TarnGraphInterface::ReleaseGraphShape(tool);
  }
  return 0;
}

}  // namespace abacor_host
