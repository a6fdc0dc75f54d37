#include "formula/eval/builtins_sums.h"

#include <cmath>

#include "formula/eval/builtin_support.h"

using builtin::Call;

namespace {

// The shared start of SUM and MULAR: n, the n = 1 shortcut, the effective
// window, same period, whether the window still grows (fewer than n + 1 bars
// exist) and the rolled block. False when the call is done.
bool BeginWindow(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset, Call* c, int32_t* nEff,
                 bool* same, bool* growing, builtin::RollingBlock* block, double** s, int32_t* code) {
  if (!builtin::Begin(rec, out, ctx, offset, 4, c, code)) return false;
  int32_t n = 0;
  bool ok = false;
  *code = builtin::ReadPeriod(*c, 3, &n, &ok);
  if (*code != EVAL_OK || !ok || n <= 0) return false;
  if (n == 1) {
    *code = c->Arg(2, 0, out);
    return false;
  }
  *nEff = builtin::EffectiveWindow(n, c->b);
  *growing = n > c->b;
  *code = builtin::SamePeriod(*c, 3, n, same);
  if (*code != EVAL_OK) return false;
  *s = block->Open(*c, 1, 2);
  *code = EVAL_BAD_ARGUMENT;
  if (*s == nullptr) return false;
  // SUM and MULAR keep their result itself.
  if (block->answered) {
    *code = builtin::AnswerWith(out, (*s)[1]);
    return false;
  }
  *code = EVAL_OK;
  return true;
}

}  // namespace

// SUM(X, N): sum of the window's values; bars without a value are skipped.
int32_t BuiltinSum(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  Call c{};
  int32_t nEff = 0;
  bool same = false;
  builtin::RollingBlock block;
  double* s = nullptr;
  int32_t code = 0;
  bool growing = false;
  if (!BeginWindow(rec, out, ctx, offset, &c, &nEff, &same, &growing, &block, &s, &code)) return code;
  double sum = 0.0;
  bool updated = false;
  if (builtin::Continuing(s, c.b) && same) {
    double x = 0.0;
    if (int32_t rc = c.Arg(2, 0, &x)) return rc;
    // No value at b: a full window has no sum, while a window that still
    // grows (fewer than n bars before b) is summed afresh without b.
    if (!HasValue(x) && !growing) return EVAL_OK;
    if (HasValue(x)) {
      double y = 0.0;
      if (int32_t rc = c.Arg(2, nEff, &y)) return rc;
      sum = s[1] + x;
      if (HasValue(y)) sum -= y;
      updated = true;
    }
  }
  if (!updated) {
    for (int32_t j = 0; j < nEff; ++j) {
      double v = 0.0;
      if (int32_t rc = c.Arg(2, j, &v)) return rc;
      if (HasValue(v)) sum += v;
    }
  }
  s[2] = c.b;
  s[3] = sum;
  *out = sum;
  return EVAL_OK;
}

// MULAR(X, N): product of the window's values; bars without a value are skipped.
int32_t BuiltinMular(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  Call c{};
  int32_t nEff = 0;
  bool same = false;
  builtin::RollingBlock block;
  double* s = nullptr;
  int32_t code = 0;
  bool growing = false;
  if (!BeginWindow(rec, out, ctx, offset, &c, &nEff, &same, &growing, &block, &s, &code)) return code;
  double product = 1.0;
  bool updated = false;
  if (builtin::Continuing(s, c.b) && same) {
    double x = 0.0;
    if (int32_t rc = c.Arg(2, 0, &x)) return rc;
    // As in SUM: a growing window is multiplied afresh without the bar.
    if (!HasValue(x) && !growing) return EVAL_OK;
    // A zero or overflowed product cannot be divided back out: recompute then.
    if (HasValue(x) && s[1] != 0.0 && std::isfinite(s[1])) {
      double y = 0.0;
      if (int32_t rc = c.Arg(2, nEff, &y)) return rc;
      if (!HasValue(y) || !IsZero(y)) {
        product = s[1] * x;
        if (HasValue(y)) product /= y;
        updated = true;
      }
    }
  }
  if (!updated) {
    product = 1.0;
    for (int32_t j = 0; j < nEff; ++j) {
      double v = 0.0;
      if (int32_t rc = c.Arg(2, j, &v)) return rc;
      if (!HasValue(v)) continue;
      if (IsZero(v)) {
        product = 0.0;
        break;
      }
      product *= v;
    }
  }
  s[2] = c.b;
  s[3] = product;
  *out = product;
  return EVAL_OK;
}

// SUMBARS(X, A): bars back from b needed for the sum of X to reach A.
int32_t BuiltinSumBars(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  Call c{};
  int32_t code = 0;
  if (!builtin::Begin(rec, out, ctx, offset, 3, &c, &code)) return code;
  double a = 0.0;
  double sum = 0.0;
  if (int32_t rc = c.Arg(2, 0, &a)) return rc;
  if (int32_t rc = c.Arg(1, 0, &sum)) return rc;
  if (!HasValue(a) || !HasValue(sum)) return EVAL_OK;
  for (int32_t k = 1; sum < a; ++k) {
    if (k > c.b) return EVAL_OK;
    double v = 0.0;
    if (int32_t rc = c.Arg(1, k, &v)) return rc;
    if (!HasValue(v)) return EVAL_OK;
    sum += v;
    if (sum >= a) {
      *out = k + 1;
      return EVAL_OK;
    }
  }
  *out = 1.0;
  return EVAL_OK;
}
