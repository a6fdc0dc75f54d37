#pragma once
// Readers of finished drawings for tool tests.
#include <string>
#include <vector>

#include "abacor/draw_info.h"

// Whether every point of every record of every drawing is a finite number.
bool AllPointsFinite(const std::vector<TarnDrawInfo::GraphDrawInfo>& drawings);

// The texts of a text record, in order.
std::vector<std::string> TextsOf(const TarnDrawInfo::TextDrawInfo& record);

// Number of items across all records of a drawing.
size_t ItemCount(const TarnDrawInfo::GraphDrawInfo& drawing);
