#include "formula/eval/builtins/counts.h"

#include "formula/eval/builtins/support.h"

using builtin::Call;

namespace {

// Stores the result of a one-quantity block and hands it out.
int32_t Store(double* s, int32_t b, double kept, double* out, double result) {
  s[2] = b;
  s[3] = kept;
  *out = result;
  return EVAL_OK;
}

// Stores and hands out a bar count found by a scan; none (k < 0) has no value.
int32_t StoreFound(double* s, int32_t b, int32_t k, double* out) {
  const double r = k < 0 ? INVALID_VALUE : static_cast<double>(k);
  return Store(s, b, r, out, r);
}

// Bars back from b to the newest bar (at most `depth` bars back) where X is
// true; -1 when there is none.
int32_t NewestTrue(const Call& c, int32_t x, int32_t depth, int32_t* k) {
  *k = -1;
  for (int32_t i = 0; i < depth; ++i) {
    double v = 0.0;
    if (int32_t rc = c.Arg(x, i, &v)) return rc;
    if (IsTrue(v)) {
      *k = i;
      return EVAL_OK;
    }
  }
  return EVAL_OK;
}

// Bars back from b to the oldest bar of the last `depth` bars where X is
// true; -1 when there is none.
int32_t OldestTrue(const Call& c, int32_t x, int32_t depth, int32_t* k) {
  *k = -1;
  for (int32_t i = depth - 1; i >= 0; --i) {
    double v = 0.0;
    if (int32_t rc = c.Arg(x, i, &v)) return rc;
    if (IsTrue(v)) {
      *k = i;
      return EVAL_OK;
    }
  }
  return EVAL_OK;
}

}  // namespace

// BARSCOUNT(X): bars from the first bar with a value of X to b; the block keeps result + 1.
int32_t BuiltinBarsCount(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  Call c{};
  builtin::RollingBlock block;
  double* s = nullptr;
  int32_t code = 0;
  if (!builtin::BeginRolling(rec, out, ctx, offset, 1.0, &c, &block, &s, &code)) return code;
  if (builtin::Continuing(s, c.b)) {
    const int32_t r = RoundCount(s[1]);
    return Store(s, c.b, r + 1.0, out, r);
  }
  if (s[0] == c.b - 1.0 && IsInvalid(s[1])) {
    double x = 0.0;
    if (int32_t rc = c.Arg(2, 0, &x)) return rc;
    if (!HasValue(x)) return Store(s, c.b, INVALID_VALUE, out, INVALID_VALUE);
    return Store(s, c.b, 1.0, out, 0.0);
  }
  for (int32_t j = 0; j <= c.b; ++j) {
    double v = 0.0;
    if (int32_t rc = c.Arg(2, c.b - j, &v)) return rc;
    if (HasValue(v)) return Store(s, c.b, c.b - j + 1.0, out, c.b - j);
  }
  return Store(s, c.b, INVALID_VALUE, out, INVALID_VALUE);
}

// BARSLAST(X): bars since X was last true.
int32_t BuiltinBarsLast(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  Call c{};
  builtin::RollingBlock block;
  double* s = nullptr;
  int32_t code = 0;
  if (!builtin::BeginRolling(rec, out, ctx, offset, 0.0, &c, &block, &s, &code)) return code;
  double x = 0.0;
  if (int32_t rc = c.Arg(2, 0, &x)) return rc;
  if (IsTrue(x)) return Store(s, c.b, 0.0, out, 0.0);
  if (s[0] == c.b - 1.0) {
    if (HasValue(s[1])) return Store(s, c.b, s[1] + 1.0, out, s[1] + 1.0);
    if (IsInvalid(s[1])) return Store(s, c.b, INVALID_VALUE, out, INVALID_VALUE);
  }
  int32_t k = -1;
  if (int32_t rc = NewestTrue(c, 2, c.b + 1, &k)) return rc;
  return StoreFound(s, c.b, k, out);
}

// BARSSINCE(X): bars since the first bar (from bar 0) where X was true.
int32_t BuiltinBarsSince(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  Call c{};
  builtin::RollingBlock block;
  double* s = nullptr;
  int32_t code = 0;
  if (!builtin::BeginRolling(rec, out, ctx, offset, 0.0, &c, &block, &s, &code)) return code;
  if (builtin::Continuing(s, c.b)) return Store(s, c.b, s[1] + 1.0, out, s[1] + 1.0);
  if (s[0] == c.b - 1.0 && IsInvalid(s[1])) {
    double x = 0.0;
    if (int32_t rc = c.Arg(2, 0, &x)) return rc;
    const double r = IsTrue(x) ? 0.0 : INVALID_VALUE;
    return Store(s, c.b, r, out, r);
  }
  int32_t k = -1;
  if (int32_t rc = OldestTrue(c, 2, c.b + 1, &k)) return rc;
  return StoreFound(s, c.b, k, out);
}

// BARSSINCEN(X, N): BARSSINCE inside the last N bars.
int32_t BuiltinBarsSinceN(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  Call c{};
  int32_t code = 0;
  if (!builtin::Begin(rec, out, ctx, offset, 4, &c, &code)) return code;
  int32_t n = 0;
  bool ok = false;
  if (int32_t rc = builtin::ReadPeriod(c, 3, &n, &ok)) return rc;
  if (!ok || n < 1) return EVAL_OK;
  if (n == 1) {
    double x = 0.0;
    if (int32_t rc = c.Arg(2, 0, &x)) return rc;
    *out = IsTrue(x) ? 0.0 : INVALID_VALUE;
    return EVAL_OK;
  }
  const int32_t nEff = builtin::EffectiveWindow(n, c.b);
  bool same = false;
  if (int32_t rc = builtin::SamePeriod(c, 3, n, &same)) return rc;
  builtin::RollingBlock block;
  double* s = block.Open(c, 1, 2);
  if (s == nullptr) return EVAL_BAD_ARGUMENT;
  if (block.answered) return builtin::AnswerWith(out, s[1]);
  if (same && s[0] == c.b - 1.0) {
    if (IsInvalid(s[1])) {
      double x = 0.0;
      if (int32_t rc = c.Arg(2, 0, &x)) return rc;
      const double r = IsTrue(x) ? 0.0 : INVALID_VALUE;
      return Store(s, c.b, r, out, r);
    }
    if (HasValue(s[1]) && RoundCount(s[1]) < nEff - 1) return Store(s, c.b, s[1] + 1.0, out, s[1] + 1.0);
  }
  int32_t k = -1;
  if (int32_t rc = OldestTrue(c, 2, nEff, &k)) return rc;
  return StoreFound(s, c.b, k, out);
}

// BARSLASTCOUNT(X): length of the run of true X ending at b.
int32_t BuiltinBarsLastCount(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  Call c{};
  builtin::RollingBlock block;
  double* s = nullptr;
  int32_t code = 0;
  if (!builtin::BeginRolling(rec, out, ctx, offset, 0.0, &c, &block, &s, &code)) return code;
  if (builtin::Continuing(s, c.b)) {
    double x = 0.0;
    if (int32_t rc = c.Arg(2, 0, &x)) return rc;
    const double r = IsTrue(x) ? s[1] + 1.0 : 0.0;
    return Store(s, c.b, r, out, r);
  }
  int32_t run = 0;
  for (; run <= c.b; ++run) {
    double v = 0.0;
    if (int32_t rc = c.Arg(2, run, &v)) return rc;
    if (!IsTrue(v)) break;
  }
  return Store(s, c.b, run, out, run);
}

// BARSNEXT(X): bars until X is next true. The block keeps the bar it answered
// for, so a count is only carried down from the bar just before.
int32_t BuiltinBarsNext(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  Call c{};
  builtin::RollingBlock block;
  double* s = nullptr;
  int32_t code = 0;
  if (!builtin::BeginRolling(rec, out, ctx, offset, 0.0, &c, &block, &s, &code)) return code;
  if (s[0] == c.b - 1.0) {
    if (IsInvalid(s[1])) return Store(s, c.b, INVALID_VALUE, out, INVALID_VALUE);
    if (HasValue(s[1]) && s[1] > 0.0) return Store(s, c.b, s[1] - 1.0, out, s[1] - 1.0);
  }
  const int32_t last = builtin::LastAddressableBar(ctx);
  for (int32_t k = 0; c.b + k <= last; ++k) {
    double v = 0.0;
    if (int32_t rc = c.Arg(2, -k, &v)) return rc;
    if (IsTrue(v)) return Store(s, c.b, k, out, k);
  }
  return Store(s, c.b, INVALID_VALUE, out, INVALID_VALUE);
}

// COUNT(X, N): number of bars of the window where X is true.
int32_t BuiltinCount(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  Call c{};
  int32_t code = 0;
  if (!builtin::Begin(rec, out, ctx, offset, 4, &c, &code)) return code;
  int32_t n = 0;
  bool ok = false;
  if (int32_t rc = builtin::ReadPeriod(c, 3, &n, &ok)) return rc;
  if (!ok || n <= 0) return EVAL_OK;
  if (n == 1) {
    double x = 0.0;
    if (int32_t rc = c.Arg(2, 0, &x)) return rc;
    *out = IsTrue(x) ? 1.0 : 0.0;
    return EVAL_OK;
  }
  const int32_t nEff = builtin::EffectiveWindow(n, c.b);
  bool same = false;
  if (int32_t rc = builtin::SamePeriod(c, 3, n, &same)) return rc;
  builtin::RollingBlock block;
  double* s = block.Open(c, 1, 2);
  if (s == nullptr) return EVAL_BAD_ARGUMENT;
  if (block.answered) return builtin::AnswerWith(out, s[1]);
  double count = 0.0;
  if (builtin::Continuing(s, c.b) && same) {
    double x = 0.0;
    double y = 0.0;
    if (int32_t rc = c.Arg(2, 0, &x)) return rc;
    if (int32_t rc = c.Arg(2, nEff, &y)) return rc;
    count = s[1] + (IsTrue(x) ? 1.0 : 0.0) - (IsTrue(y) ? 1.0 : 0.0);
  } else {
    for (int32_t j = 0; j < nEff; ++j) {
      double v = 0.0;
      if (int32_t rc = c.Arg(2, j, &v)) return rc;
      if (IsTrue(v)) count += 1.0;
    }
  }
  return Store(s, c.b, count, out, count);
}
