#pragma once
// Where each series is defined: the first assignment whose target variable
// names a (kind, 64-bit payload) key, found in one lookup instead of a walk of
// m_assignments. Built once per program; read-only afterwards.
#include <cstdint>
#include <vector>

#include "formula/eval/calculate_info.h"

class AssignmentIndex {
 public:
  explicit AssignmentIndex(const CCalculateInfo& program);

  // The program the index was built from.
  const CCalculateInfo* Program() const { return m_program; }
  // Index in m_assignments of the defining assignment, or -1.
  int32_t Find(OperandKind kind, uint64_t payload) const;

 private:
  struct Row {
    int32_t kind;
    uint64_t payload;
    int32_t statement;
  };

  const CCalculateInfo* m_program;
  std::vector<Row> m_rows;  // sorted by (kind, payload), one row per key
};
