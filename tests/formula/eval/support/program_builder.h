#pragma once
// Builds small compiled programs by hand for tests, and runs evaluations on
// them with a store, a scalar cache and a cancel flag of their own.
#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "formula/eval/calc_context.h"
#include "formula/eval/calculate_info.h"
#include "formula/eval/series_store.h"

// One operand (kind and payload). A record operand owns its record until it
// is placed into another record or a statement (the program's arena then
// takes it over).
struct Operand {
  OperandKind kind = OPK_ZERO;
  OperandValue value;
};

Operand Num(float v);
Operand Param(int32_t index);
Operand Text(int32_t index);
Operand Zero();
Operand Raw(OperandKind kind, uint64_t bits);

class ProgramBuilder {
 public:
  ProgramBuilder();

  CCalculateInfo& Program() { return *m_program; }
  std::unique_ptr<CCalculateInfo> Take() { return std::move(m_program); }

  // Index of a data-field id in m_fieldIds (added on first use).
  int32_t FieldIndex(int32_t fieldId);
  // A variable reference (OPK_VAR) to a data field or to series (kind, slot),
  // with its variable record added to m_outputVars or m_stmtVars.
  Operand FieldVar(int32_t fieldId, bool outputs = false);
  Operand SeriesVar(int32_t kind, int32_t slot, bool outputs = false);
  // A variable record with an arbitrary element 0 (for malformed programs).
  Operand RawVar(OperandKind kind, uint64_t bits, bool outputs = false);

  // Records.
  static Operand Op(int32_t op, Operand a, Operand b);
  static Operand Call(int32_t id, const std::vector<Operand>& args);
  static Operand CallState(int32_t id, uint32_t handle, const std::vector<Operand>& args);
  static Operand CallSlot(int32_t slot, const std::vector<Operand>& args);
  static Operand Record(int32_t op, const std::vector<Operand>& elements);

  // An assignment to series (kind, slot) of m_stmtVars; returns its index in m_assignments.
  int32_t Assign(int32_t kind, int32_t slot, Operand expr);
  // An expression statement (no target); returns its index in m_assignments.
  int32_t Expression(Operand expr);
  // An output statement of draw id with its arguments; returns the output index.
  int32_t Output(int32_t drawId, const std::vector<Operand>& args, int32_t stateBlocks = 0);

 private:
  // Hands the record tree of expr to the program's arena; a new statement.
  Statement* Adopt(const Operand& expr);

  std::unique_ptr<CCalculateInfo> m_program;
};

// A run over one program and one provider: the store is made for the
// provider's bar count, and ctx is ready with bar -1.
class TestRun {
 public:
  TestRun(CCalculateInfo& program, IIndexDataProvider& provider);

  // Evaluates op at bar with offset (as an output record's operand when
  // `outputs`); returns the code, the value in *out.
  int32_t Eval(const Operand& op, int32_t bar, double* out, int32_t offset = 0, bool outputs = false);
  // The cell of series (kind, slot) at bar (UNCOMPUTED when never computed).
  double Cell(int32_t kind, int32_t slot, int32_t bar);

  SeriesStore store;
  std::map<int32_t, double> scalarCache;
  std::atomic<bool> cancel{false};
  CalcContext ctx;
};
