#pragma once
// Runs hand-built calls of the built-ins bar by bar, the way the calculator
// walks a range: calls are laid out as the translator lays them out (own
// result series, state handle, arguments), evaluated in ascending bar order
// over one run, and their results collected.
//
// A harness made from plain data series (BY_SERIES) also calls built-ins by
// id: series j is data field j + 1, read as exact doubles (INVALID_VALUE in a
// series is a bar without a value), and At/Walk evaluate over one run shared
// by every call.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "formula/eval/value.h"
#include "support/program_builder.h"
#include "support/test_data_provider.h"

namespace harness {

constexpr int32_t HIGH = 1;
constexpr int32_t OPEN = 2;
constexpr int32_t LOW = 3;
constexpr int32_t CLOSE = 4;
constexpr int32_t VOL = 6;

// Expected "no value" in a table of cases.
constexpr double NA = INVALID_VALUE;

// Selects the constructor taking plain data series.
struct BySeries {};
constexpr BySeries BY_SERIES{};

class Harness {
 public:
  // Bars with only a close (open, high and low follow the close).
  explicit Harness(const std::vector<double>& close);
  Harness(const std::vector<double>& open, const std::vector<double>& high, const std::vector<double>& low,
          const std::vector<double>& close);
  // Series j is data field j + 1; without series there is one empty bar.
  Harness(BySeries, const std::vector<std::vector<double>>& series);
  ~Harness();
  Harness(const Harness&) = delete;
  Harness& operator=(const Harness&) = delete;

  Operand Field(int32_t id) { return builder.FieldVar(id); }
  Operand C() { return Field(CLOSE); }
  Operand O() { return Field(OPEN); }
  Operand H() { return Field(HIGH); }
  Operand L() { return Field(LOW); }
  static Operand N(float v) { return Num(v); }
  static Operand Op(int32_t op, Operand a, Operand b) { return ProgramBuilder::Op(op, a, b); }
  // A call of the function named `name` with the translator's layout.
  Operand Fn(const std::string& name, const std::vector<Operand>& args);
  // A call with elements given as they are (for malformed calls).
  Operand Raw(const std::string& name, int32_t op, const std::vector<Operand>& elements);

  // Evaluates expr on every bar of first..last (last -1: the last bar) in
  // ascending order in one fresh run whose calculated range is first..last.
  std::vector<double> Run(const Operand& expr, int32_t first = 0, int32_t last = -1);
  // One evaluation at bar with offset in the same kind of fresh run, after
  // the bars first..bar - 1 ran in order; returns the code.
  int32_t EvalAt(const Operand& expr, int32_t bar, double* out, int32_t offset = 0);

  // The OPK_VAR operand of data series j (BY_SERIES harness).
  Operand Series(int32_t j);
  // A call record by function id released with the harness (unless placed in
  // a statement: then pass it to Assign instead, which hands it to the
  // program).
  Operand Call(int32_t id, const std::vector<Operand>& args);
  Operand CallState(int32_t id, uint32_t handle, const std::vector<Operand>& args);
  // Defines series (kind 5, slot) of m_stmtVars by expr; the program owns expr.
  void Assign(int32_t slot, Operand expr);

  // The run shared by At and Walk (made on first use, after the data is
  // complete).
  TestRun& SharedRun();
  // expr at bar (offset 0) in the shared run; the code goes to *code when
  // given.
  double At(const Operand& expr, int32_t bar, int32_t* code = nullptr);
  // expr at every bar from `first` to the last, in ascending order, in the
  // shared run; every evaluation must succeed.
  std::vector<double> Walk(const Operand& expr, int32_t first = 0);

  TestDataProvider provider;
  ProgramBuilder builder;
  int32_t lastCode = 0;  // first nonzero code of the last Run, else 0

 private:
  Operand Own();
  std::vector<Operand> m_owned;
  std::unique_ptr<TestRun> m_shared;
  int32_t m_nextBlock = 1;
  int32_t m_nextHidden = 900;
};

// One row of a table of cases: an expression built on a harness and the
// series it must give.
struct Case {
  const char* name;
  std::function<Operand(Harness&)> expr;
  std::vector<double> expected;
};

inline void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

// INVALID_VALUE is compared by its bits, numbers exactly.
bool SameValue(double expected, double actual);
// A printable form of a value for failure messages.
std::string ShowValue(double v);

// Formats a series for messages: numbers, "-" for no value.
std::string Show(const std::vector<double>& v);

// Compares a result series with expected values (NA: no value) within tol.
::testing::AssertionResult SeriesNear(const std::vector<double>& actual, const std::vector<double>& expected,
                                      double tol = 1e-9);

}  // namespace harness
