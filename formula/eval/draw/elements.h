#pragma once
// Which elements of an output record carry series, per draw id.
//
// The calculator computes and publishes the elements of an output's element
// list in list order; the value range looks only at the value elements, each
// paired with the condition element that must be true at a bar for its value
// to count (0: no condition).
#include <array>
#include <cstdint>

#include "formula/eval/builtins/registry.h"

// One value element and the condition element that gates it (0 when none).
struct DrawValueElement {
  int32_t element;
  int32_t condition;
};

// One row per draw id 500 to 516. Uses all fields.
struct DrawElements {
  int32_t drawId;
  int32_t elementCount;
  std::array<int32_t, 5> elements;
  int32_t valueCount;
  std::array<DrawValueElement, 4> values;
};

constexpr std::array<DrawElements, 17> kDrawElementTable{{
    {BuiltinId(".CURVELINE"), 1, {1, 0, 0, 0, 0}, 1, {{{1, 0}, {0, 0}, {0, 0}, {0, 0}}}},
    {BuiltinId(".CIRCULAR"), 1, {2, 0, 0, 0, 0}, 1, {{{2, 0}, {0, 0}, {0, 0}, {0, 0}}}},
    {BuiltinId(".COLUMN"), 1, {3, 0, 0, 0, 0}, 1, {{{3, 0}, {0, 0}, {0, 0}, {0, 0}}}},
    {BuiltinId("DRAWKLINE"), 4, {1, 2, 3, 4, 0}, 4, {{{1, 0}, {2, 0}, {3, 0}, {4, 0}}}},
    {BuiltinId("RECTREL"), 0, {0, 0, 0, 0, 0}, 0, {{{0, 0}, {0, 0}, {0, 0}, {0, 0}}}},
    {BuiltinId("PLOYLINE"), 2, {1, 2, 0, 0, 0}, 1, {{{2, 1}, {0, 0}, {0, 0}, {0, 0}}}},
    {BuiltinId("BAND"), 4, {2, 4, 1, 3, 0}, 2, {{{1, 0}, {3, 0}, {0, 0}, {0, 0}}}},
    {BuiltinId("STICK"), 5, {1, 4, 5, 2, 3}, 2, {{{2, 1}, {3, 1}, {0, 0}, {0, 0}}}},
    {BuiltinId("DRAWICON"), 3, {1, 3, 2, 0, 0}, 1, {{{2, 1}, {0, 0}, {0, 0}, {0, 0}}}},
    {BuiltinId("DRAWTEXT"), 3, {1, 3, 2, 0, 0}, 1, {{{2, 1}, {0, 0}, {0, 0}, {0, 0}}}},
    {BuiltinId("DRAWTEXT_FIX"), 0, {0, 0, 0, 0, 0}, 0, {{{0, 0}, {0, 0}, {0, 0}, {0, 0}}}},
    {BuiltinId("DRAWNUMBER"), 3, {1, 3, 2, 0, 0}, 1, {{{2, 1}, {0, 0}, {0, 0}, {0, 0}}}},
    {BuiltinId("DRAWNUMBER_FIX"), 0, {0, 0, 0, 0, 0}, 0, {{{0, 0}, {0, 0}, {0, 0}, {0, 0}}}},
    {BuiltinId("DRAWBMP"), 0, {0, 0, 0, 0, 0}, 0, {{{0, 0}, {0, 0}, {0, 0}, {0, 0}}}},
    {BuiltinId("DRAWGBK"), 0, {0, 0, 0, 0, 0}, 0, {{{0, 0}, {0, 0}, {0, 0}, {0, 0}}}},
    {BuiltinId("DRAWLINE"), 4, {1, 3, 2, 4, 0}, 2, {{{2, 1}, {4, 3}, {0, 0}, {0, 0}}}},
    {BuiltinId("FILLRGN"), 3, {3, 1, 2, 0, 0}, 2, {{{1, 3}, {2, 3}, {0, 0}, {0, 0}}}},
}};
static_assert(kDrawElementTable.size() == kLastDrawId - kFirstDrawId + 1, "one row per draw id");

constexpr bool DrawTableIsDense() {
  for (size_t i = 0; i < kDrawElementTable.size(); ++i) {
    if (kDrawElementTable[i].drawId != kFirstDrawId + static_cast<int32_t>(i)) return false;
  }
  return true;
}
static_assert(DrawTableIsDense(), "rows are in draw-id order without gaps");

// The row of a draw id, or null for an id outside 500 to 516.
constexpr const DrawElements* FindDrawElements(int32_t drawId) {
  if (drawId < kFirstDrawId || drawId > kLastDrawId) return nullptr;
  return &kDrawElementTable[static_cast<size_t>(drawId - kFirstDrawId)];
}
