#pragma once
// The function-info table: every function the formula language knows, with
// its id, argument count, flags, name, argument check and period argument.
// The translator resolves names and checks calls against it.
#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "formula/eval/builtins/registry.h"
#include "formula/eval/calculate_info.h"
#include "formula/eval/function_info.h"

constexpr int32_t FUNCTION_COUNT = BUILTIN_COUNT;

namespace function_table_detail {

constexpr FunctionInfo InfoOf(const BuiltinRow& row) {
  FunctionInfo info{row.id, row.argInfo, row.flags, {}, row.check, row.periodArg};
  for (int32_t i = 0; row.name[i] != '\0'; ++i) info.name[i] = row.name[i];
  return info;
}

constexpr std::array<FunctionInfo, FUNCTION_COUNT> BuildInfoTable() {
  std::array<FunctionInfo, FUNCTION_COUNT> table{};
  for (int32_t row = 0; row < FUNCTION_COUNT; ++row) table[row] = InfoOf(kBuiltins[row]);
  return table;
}

}  // namespace function_table_detail

// Rows in table order; the row number is the position.
inline constexpr std::array<FunctionInfo, FUNCTION_COUNT> FunctionInfoTable = function_table_detail::BuildInfoTable();

namespace function_table_detail {

constexpr std::array<int16_t, FUNCTION_ID_LIMIT> BuildRowIndex() {
  std::array<int16_t, FUNCTION_ID_LIMIT> index{};
  for (auto& v : index) v = -1;
  for (int32_t row = 0; row < FUNCTION_COUNT; ++row) {
    const int32_t id = FunctionInfoTable[row].id;
    if (index[id] == -1) index[id] = static_cast<int16_t>(row);
  }
  return index;
}

}  // namespace function_table_detail

// Row of each function id (the first row with that id), -1 for unknown ids.
inline constexpr std::array<int16_t, FUNCTION_ID_LIMIT> FunctionRowIndex = function_table_detail::BuildRowIndex();

// Row number of a function id, or -1.
constexpr int32_t FunctionRowById(int32_t id) { return id >= 0 && id < FUNCTION_ID_LIMIT ? FunctionRowIndex[id] : -1; }
// The row of a function id, or null.
constexpr const FunctionInfo* FunctionInfoById(int32_t id) {
  const int32_t row = FunctionRowById(id);
  return row < 0 ? nullptr : &FunctionInfoTable[row];
}
// The argument count (low 27 bits of argInfo) of a function id; 0 when unknown.
constexpr int32_t FunctionArgCount(int32_t id) {
  const FunctionInfo* f = FunctionInfoById(id);
  return f == nullptr ? 0 : static_cast<int32_t>(f->argInfo & ARG_COUNT_MASK);
}

// Looks a function up by name, ASCII letters compared in upper case. Returns
// the row number and stores the row's id in *id (both -1 when not found).
int32_t FindFunction(std::string_view name, int32_t* id);

// Runs the row's check (A or B) for a call record; EVAL_BAD_ARGUMENT when the
// record or its function is unknown.
int32_t CheckCall(const ExprRecord* call, const std::vector<ExprRecord*>& vars);

// The check the translator runs on every output statement: an OP_CALL of a
// known function with enough arguments, every argument a number, parameter,
// text, variable or an operator/call tree of those, and no call of a
// function that keeps its own series.
int32_t CheckOutputStatement(const Statement* s);
