#pragma once
// Umbrella header: everything a host needs from Abacor.
#include "abacor/export.h"
#include "abacor/draw_info.h"
#include "abacor/graph_interface.h"
#include "abacor/graph_shape.h"
