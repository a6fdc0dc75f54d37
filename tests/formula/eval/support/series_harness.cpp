#include <gtest/gtest.h>

#include "support/series_harness.h"

#include <cmath>
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
