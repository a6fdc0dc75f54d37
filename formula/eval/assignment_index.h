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
  // Whether the index still describes `program`: the same object with the same
  // target of every assignment. A program recompiled at the address of an old
  // one does not fit; check once per run and rebuild when it does not.
  bool Fits(const CCalculateInfo& program) const;
  // Index in m_assignments of the defining assignment, or -1.
  int32_t Find(OperandKind kind, uint64_t payload) const;

  struct Row {
    int32_t kind;  // -1: the assignment defines no series
    uint64_t payload;
    int32_t statement;
  };

 private:
  const CCalculateInfo* m_program;
  std::vector<Row> m_rows;     // sorted by (kind, payload), one row per key
  std::vector<Row> m_targets;  // the target key of every assignment, in order
  std::vector<const Statement*> m_statements;
  // Output and variable series (kinds 4 and 5) by slot: the statement, or -1.
  std::vector<int32_t> m_bySlot[2];
};
