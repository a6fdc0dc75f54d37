#include "support/builtin_harness.h"

#include <gtest/gtest.h>

#include <sstream>

#include "formula/eval/value.h"

BuiltinHarness::BuiltinHarness(const std::vector<std::vector<double>>& series) {
  for (size_t j = 0; j < series.size(); ++j) provider.SetField(static_cast<int32_t>(j) + 1, series[j]);
  if (series.empty()) provider.barCount = provider.totalBarCount = 1;
}

BuiltinHarness::~BuiltinHarness() {
  for (const Operand& op : m_owned) ReleaseOperand(op.kind, op.value);
}

Operand BuiltinHarness::Series(int32_t j) { return builder.FieldVar(j + 1); }

Operand BuiltinHarness::Call(int32_t id, const std::vector<Operand>& args) {
  m_owned.push_back(ProgramBuilder::Call(id, args));
  return m_owned.back();
}

Operand BuiltinHarness::CallState(int32_t id, uint32_t handle, const std::vector<Operand>& args) {
  m_owned.push_back(ProgramBuilder::CallState(id, handle, args));
  return m_owned.back();
}

void BuiltinHarness::Assign(int32_t slot, Operand expr) {
  for (auto it = m_owned.begin(); it != m_owned.end(); ++it) {
    if (it->value.bits == expr.value.bits && it->kind == expr.kind) {
      m_owned.erase(it);
      break;
    }
  }
  builder.Assign(OPK_VAR_SERIES, slot, expr);
}

TestRun& BuiltinHarness::Run() {
  if (!m_run) m_run = std::make_unique<TestRun>(builder.Program(), provider);
  return *m_run;
}

double BuiltinHarness::At(const Operand& expr, int32_t bar, int32_t* code) {
  double v = 0.0;
  const int32_t c = Run().Eval(expr, bar, &v);
  if (code != nullptr) *code = c;
  return v;
}

std::vector<double> BuiltinHarness::Walk(const Operand& expr, int32_t first) {
  std::vector<double> values;
  for (int32_t bar = first; bar < Run().ctx.barCount; ++bar) {
    int32_t code = -1;
    values.push_back(At(expr, bar, &code));
    EXPECT_EQ(code, EVAL_OK) << "bar " << bar;
  }
  return values;
}

bool SameValue(double expected, double actual) {
  if (IsInvalid(expected) || IsInvalid(actual)) return IsInvalid(expected) && IsInvalid(actual);
  return ValueBits(expected) == ValueBits(actual) || expected == actual;
}

std::string ShowValue(double v) {
  if (IsInvalid(v)) return "INVALID";
  if (IsUncomputed(v)) return "UNCOMPUTED";
  std::ostringstream s;
  s.precision(17);
  s << v;
  return s.str();
}
