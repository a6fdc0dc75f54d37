#include "formula/eval/builtins/sums.h"

#include "formula/eval/builtins/steps.h"
#include "formula/eval/builtins/support.h"
#include "formula/eval/builtins/window_aggregate.h"

using builtin::Call;

namespace {

// The shared start of SUM and MULAR: n, n <= 0 (no value) and the n = 1
// shortcut (X at b). False when the call is done.
bool BeginWindow(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset, Call* c, int32_t* n,
                 int32_t* code) {
  if (!builtin::Begin(rec, out, ctx, offset, 4, c, code)) return false;
  bool ok = false;
  *code = builtin::ReadPeriod(*c, 3, n, &ok);
  if (*code != EVAL_OK || !ok || *n <= 0) return false;
  if (*n == 1) {
    *code = c->Arg(2, 0, out);
    return false;
  }
  return true;
}

}  // namespace

// SUM(X, N): sum of the window's values; bars without a value are skipped,
// but a full window (b >= n) whose newest bar has none has no sum. The sum
// is compensated and defined by absolute blocks (window_aggregate.h).
int32_t BuiltinSum(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  Call c{};
  int32_t n = 0;
  int32_t code = 0;
  if (!BeginWindow(rec, out, ctx, offset, &c, &n, &code)) return code;
  window::SumAgg a;
  if (int32_t rc = window::Aggregate(c, 1, n, window::SeriesSource{c, 2}, &a)) return rc;
  *out = step::WindowSum(a, n, c.b);
  return EVAL_OK;
}

// MULAR(X, N): product of the window's values; bars without a value are
// skipped (a full window whose newest bar has none has no product), a zero
// makes the product 0. Defined by absolute blocks (window_aggregate.h).
int32_t BuiltinMular(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  Call c{};
  int32_t n = 0;
  int32_t code = 0;
  if (!BeginWindow(rec, out, ctx, offset, &c, &n, &code)) return code;
  window::ProductAgg a;
  if (int32_t rc = window::Aggregate(c, 1, n, window::SeriesSource{c, 2}, &a)) return rc;
  if (a.newestMissing != 0.0 && n <= c.b) return EVAL_OK;
  *out = a.Total();
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
