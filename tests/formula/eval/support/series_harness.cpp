#include <gtest/gtest.h>

#include "support/series_harness.h"

#include <cmath>
#include <memory>
#include <sstream>

#include "formula/eval/evaluator.h"
#include "formula/eval/function_table.h"

namespace harness {

Harness::Harness(const std::vector<double>& close) : Harness(close, close, close, close) {}

Harness::Harness(const std::vector<double>& open, const std::vector<double>& high, const std::vector<double>& low,
                 const std::vector<double>& close) {
  provider.SetField(OPEN, open);
  provider.SetField(HIGH, high);
  provider.SetField(LOW, low);
  provider.SetField(CLOSE, close);
}

Harness::Harness(BySeries, const std::vector<std::vector<double>>& series) {
  for (size_t j = 0; j < series.size(); ++j) provider.SetField(static_cast<int32_t>(j) + 1, series[j]);
  if (series.empty()) provider.barCount = provider.totalBarCount = 1;
}

Harness::~Harness() {
  for (const Operand& op : m_owned) ReleaseOperand(op.kind, op.value);
}

Operand Harness::Own() { return builder.SeriesVar(OPK_VAR_SERIES, m_nextHidden++); }

Operand Harness::Fn(const std::string& name, const std::vector<Operand>& args) {
  int32_t id = -1;
  FindFunction(name, &id);
  const FunctionInfo* info = FunctionInfoById(id);
  if (info == nullptr) ADD_FAILURE() << "no function " << name;
  const uint32_t flags = info == nullptr ? 0 : info->flags;
  std::vector<Operand> elements{{OPK_FUNC_ID, OperandValue::FromInt32(id)}};
  if ((flags & FN_OWN_SERIES) != 0) elements.push_back(Own());
  const bool stateful = (flags & FN_STATE_BLOCK) != 0;
  if (stateful) {
    uint32_t handle = static_cast<uint32_t>(m_nextBlock++);
    handle |= (flags & FN_TWO_STATE_BLOCKS) != 0 ? static_cast<uint32_t>(m_nextBlock++) << 16 : 0xFFFF0000u;
    elements.push_back({OPK_STATE, OperandValue::FromLow32(handle)});
  }
  elements.insert(elements.end(), args.begin(), args.end());
  return ProgramBuilder::Record(stateful ? OP_CALL_STATE : OP_CALL, elements);
}

Operand Harness::Raw(const std::string& name, int32_t op, const std::vector<Operand>& elements) {
  int32_t id = -1;
  FindFunction(name, &id);
  std::vector<Operand> all{{OPK_FUNC_ID, OperandValue::FromInt32(id)}};
  all.insert(all.end(), elements.begin(), elements.end());
  return ProgramBuilder::Record(op, all);
}

std::vector<double> Harness::Run(const Operand& expr, int32_t first, int32_t last) {
  // The program owns the expression from here on.
  builder.Expression(expr);
  TestRun run(builder.Program(), provider);
  if (last < 0) last = run.store.BarCount() - 1;
  run.ctx.rangeFirst = first;
  run.ctx.rangeLast = last;
  lastCode = 0;
  std::vector<double> values;
  for (int32_t bar = first; bar <= last; ++bar) {
    double v = UNCOMPUTED;
    const int32_t rc = run.Eval(expr, bar, &v);
    if (rc != 0 && lastCode == 0) lastCode = rc;
    values.push_back(rc == 0 ? v : INVALID_VALUE);
  }
  return values;
}

int32_t Harness::EvalAt(const Operand& expr, int32_t bar, double* out, int32_t offset) {
  builder.Expression(expr);
  TestRun run(builder.Program(), provider);
  for (int32_t b = 0; b < bar; ++b) {
    double ignored = 0.0;
    run.Eval(expr, b, &ignored);
  }
  return run.Eval(expr, bar, out, offset);
}

Operand Harness::Series(int32_t j) { return builder.FieldVar(j + 1); }

Operand Harness::Call(int32_t id, const std::vector<Operand>& args) {
  m_owned.push_back(ProgramBuilder::Call(id, args));
  return m_owned.back();
}

Operand Harness::CallState(int32_t id, uint32_t handle, const std::vector<Operand>& args) {
  m_owned.push_back(ProgramBuilder::CallState(id, handle, args));
  return m_owned.back();
}

void Harness::Assign(int32_t slot, Operand expr) {
  for (auto it = m_owned.begin(); it != m_owned.end(); ++it) {
    if (it->value.bits == expr.value.bits && it->kind == expr.kind) {
      m_owned.erase(it);
      break;
    }
  }
  builder.Assign(OPK_VAR_SERIES, slot, expr);
}

TestRun& Harness::SharedRun() {
  if (!m_shared) m_shared = std::make_unique<TestRun>(builder.Program(), provider);
  return *m_shared;
}

double Harness::At(const Operand& expr, int32_t bar, int32_t* code) {
  double v = 0.0;
  const int32_t c = SharedRun().Eval(expr, bar, &v);
  if (code != nullptr) *code = c;
  return v;
}

std::vector<double> Harness::Walk(const Operand& expr, int32_t first) {
  std::vector<double> values;
  for (int32_t bar = first; bar < SharedRun().ctx.barCount; ++bar) {
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

std::string Show(const std::vector<double>& v) {
  std::ostringstream os;
  os.precision(12);
  for (size_t i = 0; i < v.size(); ++i) {
    if (i != 0) os << ' ';
    if (HasValue(v[i])) {
      os << v[i];
    } else {
      os << '-';
    }
  }
  return os.str();
}

::testing::AssertionResult SeriesNear(const std::vector<double>& actual, const std::vector<double>& expected,
                                      double tol) {
  bool same = actual.size() == expected.size();
  for (size_t i = 0; same && i < actual.size(); ++i) {
    const bool a = HasValue(actual[i]);
    const bool e = HasValue(expected[i]);
    same = a == e && (!a || std::fabs(actual[i] - expected[i]) <= tol * std::max(1.0, std::fabs(expected[i])));
  }
  if (same) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "\n  actual:   " << Show(actual) << "\n  expected: " << Show(expected);
}

}  // namespace harness
