#pragma once
// One row of the function-info table and the vocabulary its fields are
// written in: argument counts, flag bits and the two argument checks.
#include <cstdint>
#include <vector>

#include "formula/eval/calculate_info.h"

// Checks a call record against its row; the variable table is the one the
// call's OPK_VAR operands index. Returns EVAL_OK or EVAL_BAD_ARGUMENT.
using ArgCheckFn = int32_t (*)(const ExprRecord* call, const std::vector<ExprRecord*>& vars);

// Check A: element 0 names a known function id and the number of arguments
// (count - 1, or count - 2 for OP_CALL_STATE) matches its argument count.
int32_t CheckArity(const ExprRecord* call, const std::vector<ExprRecord*>& vars);
// Check B: check A, then element 1 is an OPK_VAR into vars whose record names
// a series of storage kind 4 or 5 (the function's own result series).
int32_t CheckOwnSeries(const ExprRecord* call, const std::vector<ExprRecord*>& vars);

// argInfo: the low 27 bits hold the argument count; ARG_AT_LEAST makes it a minimum.
constexpr uint32_t ARG_COUNT_MASK = 0x07FFFFFFu;
constexpr uint32_t ARG_AT_LEAST = 0x08000000u;

// flags bits.
constexpr uint32_t FN_NONE = 0;
constexpr uint32_t FN_TWO_STATE_BLOCKS = 0x01000000u;  // with FN_STATE_BLOCK: two blocks
constexpr uint32_t FN_STATE_BLOCK = 0x02000000u;       // compiled as OP_CALL_STATE, one block
constexpr uint32_t FN_EXTEND_HISTORY = 0x04000000u;    // sets m_extendHistory
constexpr uint32_t FN_OWN_SERIES = 0x08000000u;        // keeps its own result series; not in outputs
constexpr uint32_t FN_EXTEND_FORWARD = 0x10000000u;    // sets m_extendForward
constexpr uint32_t FN_OUTPUT = 0x20000000u;            // drawing and signal statements
constexpr uint32_t FN_RECALC_ALL = 0x40000000u;        // sets m_recalcAll

struct FunctionInfo {
  int32_t id;
  uint32_t argInfo;
  uint32_t flags;
  char name[16];  // upper case, zero-terminated
  ArgCheckFn check;
  int32_t periodArg;  // 1-based argument holding the look-back period; 0 when none
};
