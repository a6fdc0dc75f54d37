#include "formula/eval/dispatch_table.h"

#include <array>
#include <initializer_list>

#include "formula/eval/builtins/registry.h"

namespace {

using SlotTable = std::array<DispatchEntry, DISPATCH_SLOT_COUNT>;

// Each registry row with an implementation fills the slot it names.
constexpr SlotTable BuildDispatchTable() {
  SlotTable table{};
  for (const BuiltinRow& row : kBuiltins) {
    if (row.slot != kNoSlot) table[row.slot] = DispatchEntry{row.impl, row.id};
  }
  return table;
}

constexpr SlotTable DispatchTable = BuildDispatchTable();

// Ids first..last in id order, skipping those in skipFirst..skipLast, sit in
// consecutive slots from firstSlot on.
constexpr bool SlotsRunInIdOrder(int32_t firstSlot, int32_t first, int32_t last, int32_t skipFirst, int32_t skipLast) {
  int32_t slot = firstSlot;
  for (int32_t id = first; id <= last; ++id) {
    if (id >= skipFirst && id <= skipLast) continue;
    if (DispatchTable[slot++].id != id) return false;
  }
  return true;
}

// The named slots of the fixed order, in slot order.
constexpr bool SlotsHoldNames(int32_t firstSlot, std::initializer_list<const char*> names) {
  int32_t slot = firstSlot;
  for (const char* name : names) {
    if (DispatchTable[slot++].id != BuiltinByName(name)->id) return false;
  }
  return true;
}

static_assert(SlotsRunInIdOrder(0, 0, 23, 1, 0), "slots 0..23 serve ids 0..23");
static_assert(SlotsHoldNames(24, {"RGB", "CROSS", "LONGCROSS", "UPNDAY", "DOWNNDAY", "NDAY", "EXIST", "EVERY", "LAST",
                                  "NOT", "IF", "IFN", "VALUEWHEN"}),
              "RGB, then CROSS to NOT, then IF, IFN, VALUEWHEN");
static_assert(SlotsRunInIdOrder(37, 90, 106, 1, 0), "DATETODAY to FROMOPEN");
static_assert(SlotsRunInIdOrder(54, 110, 166, 125, 125), "ids 110 to 166 without REVERSE");
static_assert(SlotsHoldNames(110, {"DEVSQ", "AVEDEV", "VARP", "VAR", "STD", "STDP"}), "the deviations");
static_assert(SlotsRunInIdOrder(116, 186, 224, 194, 209), "ids 186 to 224 without 194 to 209");

// Walks the slots in order, so a later slot with the same id would win.
constexpr std::array<int16_t, FUNCTION_ID_LIMIT> BuildSlotIndex() {
  std::array<int16_t, FUNCTION_ID_LIMIT> index{};
  for (auto& v : index) v = -1;
  for (int32_t slot = 0; slot < DISPATCH_SLOT_COUNT; ++slot) {
    index[DispatchTable[slot].id] = static_cast<int16_t>(slot);
  }
  return index;
}

constexpr std::array<int16_t, FUNCTION_ID_LIMIT> SlotIndex = BuildSlotIndex();

}  // namespace

const DispatchEntry* DispatchSlot(int32_t slot) {
  return slot >= 0 && slot < DISPATCH_SLOT_COUNT ? &DispatchTable[slot] : nullptr;
}

int32_t DispatchSlotOfId(int32_t id) { return id >= 0 && id < FUNCTION_ID_LIMIT ? SlotIndex[id] : -1; }
