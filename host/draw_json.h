#pragma once
// Draw records as JSON for a browser: every record kind with its style, its
// items in chart coordinates ([bar, price]) and the draw order as
// [kind, record, item] triples (kinds: 1 curve, 2 Bezier, 3 rectangle,
// 4 ellipse, 5 cross, 6 text, 7 icon).
#include <nlohmann/json.hpp>

#include <abacor/draw_info.h>

#include "draw_renderer.h"

namespace abacor_host {

// Texts of formula drawings are GBK; those of tools are already UTF-8.
enum class TextCoding { kGbk, kUtf8 };

// A colour as null (the empty colour) or {"css": "#rrggbb", "alpha": 0..1, "palette": id}.
nlohmann::json ColorToJson(const TarnDrawInfo::TarnColor& colour, const Palette& palette);

nlohmann::json DrawInfoToJson(const TarnDrawInfo::GraphDrawInfo& info, const Palette& palette, TextCoding coding);

}  // namespace abacor_host
