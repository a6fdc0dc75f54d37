#pragma once
// Umbrella header: everything a host needs from Abacor.
#include "abacor/bulk_data_provider.h"
#include "abacor/data_provider.h"
#include "abacor/draw_info.h"
#include "abacor/export.h"
#include "abacor/graph_interface.h"
#include "abacor/graph_shape.h"
#include "abacor/index_calculator.h"
#include "abacor/index_obj_creator.h"
#include "abacor/index_parser.h"
#include "abacor/parser_helper.h"
#include "abacor/tool_settings.h"
