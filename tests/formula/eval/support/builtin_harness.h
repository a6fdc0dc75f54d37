#pragma once
// Evaluates built-in calls over small hand-made data: series j of the
// harness is data field j + 1, read as exact doubles (INVALID_VALUE in a
// series is a bar without a value).
#include <cstdint>
#include <memory>
#include <vector>

#include "support/program_builder.h"
#include "support/test_data_provider.h"

class BuiltinHarness {
 public:
  explicit BuiltinHarness(const std::vector<std::vector<double>>& series);
  ~BuiltinHarness();
  BuiltinHarness(const BuiltinHarness&) = delete;
  BuiltinHarness& operator=(const BuiltinHarness&) = delete;

  // The OPK_VAR operand of series j.
  Operand Series(int32_t j);
  // A call record released with the harness (unless placed in a statement:
  // then pass it to Assign instead, which hands it to the program).
  Operand Call(int32_t id, const std::vector<Operand>& args);
  Operand CallState(int32_t id, uint32_t handle, const std::vector<Operand>& args);
  // Defines series (kind 5, slot) of m_stmtVars by expr; the program owns expr.
  void Assign(int32_t slot, Operand expr);

  // The run (made on first use, after the data is complete).
  TestRun& Run();
  // expr at bar (offset 0); the code goes to *code when given.
  double At(const Operand& expr, int32_t bar, int32_t* code = nullptr);
  // expr at every bar from `first` to the last, in ascending order; every
  // evaluation must succeed.
  std::vector<double> Walk(const Operand& expr, int32_t first = 0);

  TestDataProvider provider;
  ProgramBuilder builder;

 private:
  std::vector<Operand> m_owned;
  std::unique_ptr<TestRun> m_run;
};

// gtest helpers: INVALID_VALUE is compared by its bits, numbers exactly.
bool SameValue(double expected, double actual);
// A printable form of a value for failure messages.
std::string ShowValue(double v);
