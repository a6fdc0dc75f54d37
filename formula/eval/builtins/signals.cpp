#include "formula/eval/builtins/signals.h"

#include "formula/eval/builtins/support.h"

using builtin::Call;

namespace {

// A call that only checks its shape and gives no value.
int32_t NoValue(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset, int32_t count) {
  Call c{};
  int32_t code = 0;
  builtin::Begin(rec, out, ctx, offset, count, &c, &code);
  return code;
}

}  // namespace

// FILTER(X, N): 1 on a bar where X is a nonzero whole number, then 0 for the
// following n bars whatever X is. An X without a value is no signal. The block
// keeps the bar of the last signal.
int32_t BuiltinFilter(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  Call c{};
  int32_t code = 0;
  if (!builtin::Begin(rec, out, ctx, offset, 4, &c, &code)) return code;
  int32_t n = 0;
  bool ok = false;
  if (int32_t rc = builtin::ReadPeriod(c, 3, &n, &ok)) return rc;
  if (!ok) return EVAL_OK;
  if (n == 0) return c.Arg(2, 0, out);
  builtin::RollingBlock block;
  double* s = block.Open(c, 1, 2);
  if (s == nullptr) return EVAL_BAD_ARGUMENT;
  if (block.answered) {
    *out = s[1] == static_cast<double>(c.b) ? 1.0 : 0.0;
    return EVAL_OK;
  }
  double x = 0.0;
  if (int32_t rc = c.Arg(2, 0, &x)) return rc;
  s[2] = c.b;
  if (builtin::Continuing(s, c.b) && static_cast<int64_t>(c.b) - RoundCount(s[1]) <= n) {
    s[3] = s[1];
    *out = 0.0;
    return EVAL_OK;
  }
  const bool signal = HasValue(x) && RoundCount(x) != 0;
  s[3] = signal ? static_cast<double>(c.b) : INVALID_VALUE;
  *out = signal ? 1.0 : 0.0;
  return EVAL_OK;
}

// FILTERX: no value.
int32_t BuiltinFilterX(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  return NoValue(rec, out, ctx, offset, 4);
}

// TFILTER: no value.
int32_t BuiltinTFilter(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  return NoValue(rec, out, ctx, offset, 5);
}

// TTFILTER: no value.
int32_t BuiltinTTFilter(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  return NoValue(rec, out, ctx, offset, 7);
}
