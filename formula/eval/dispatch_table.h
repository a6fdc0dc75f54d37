#pragma once
// The dispatch table: the implementation behind every dispatch slot, and the
// index from function id to slot.
#include <cstdint>

#include "formula/eval/builtins/registry.h"
#include "formula/eval/calc_context.h"

struct DispatchEntry {
  BuiltinFn impl;  // null while a slot has no implementation
  int32_t id;      // function-info id served by the slot
};

// The entry of a slot, or null for a slot outside 0..138.
const DispatchEntry* DispatchSlot(int32_t slot);
// The slot that serves a function id, or -1 (no slot, or id outside 0..599).
int32_t DispatchSlotOfId(int32_t id);
