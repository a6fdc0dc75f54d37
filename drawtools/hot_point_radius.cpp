// The process-wide hot-point radius of every drawing tool.
#include "abacor/graph_interface.h"

namespace {

int g_hotPointRadius = 5;

}  // namespace

void TarnGraphInterface::SetHotPointRadius(int radius) { g_hotPointRadius = radius; }

int TarnGraphInterface::GetHotPointRadius() { return g_hotPointRadius; }
