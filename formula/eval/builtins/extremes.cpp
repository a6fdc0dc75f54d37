#include "formula/eval/builtins/extremes.h"

#include <cmath>

#include "formula/eval/builtins/steps.h"
#include "formula/eval/builtins/support.h"

using builtin::Call;

namespace {

using step::Beats;

// Newest-first scan of the window for the extreme; ties keep the newest bar.
// *pos is -1 when no bar of the window has a value.
int32_t ScanExtreme(const Call& c, bool highest, int32_t nEff, double* best, int32_t* pos) {
  *best = step::ScanStart(highest);
  *pos = -1;
  for (int32_t j = 0; j < nEff; ++j) {
    double v = 0.0;
    if (int32_t rc = c.Arg(2, j, &v)) return rc;
    step::ScanExtremeValue(highest, v, c.b - j, best, pos);
  }
  return EVAL_OK;
}

// Extreme of X over the window and its bar; the block keeps that bar. With
// barsBack the result is b - bar instead of the value.
int32_t Extreme(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset, bool highest, bool barsBack) {
  Call c{};
  int32_t code = 0;
  if (!builtin::Begin(rec, out, ctx, offset, 4, &c, &code)) return code;
  int32_t n = 0;
  bool ok = false;
  if (int32_t rc = builtin::ReadPeriod(c, 3, &n, &ok)) return rc;
  if (!ok || n <= 0) return EVAL_OK;
  if (n == 1) {
    if (barsBack) {
      *out = 0.0;
      return EVAL_OK;
    }
    return c.Arg(2, 0, out);
  }
  const int32_t nEff = builtin::EffectiveWindow(n, c.b);
  bool same = false;
  if (int32_t rc = builtin::SamePeriod(c, 3, n, &same)) return rc;
  builtin::RollingBlock block;
  double* s = block.Open(c, 1, 2);
  if (s == nullptr) return EVAL_BAD_ARGUMENT;
  if (block.answered) {
    if (!HasValue(s[1])) return EVAL_OK;
    const int32_t p = RoundCount(s[1]);
    if (barsBack) return builtin::AnswerWith(out, static_cast<double>(c.b) - p);
    return c.ArgAtBar(2, p, out);
  }
  double best = 0.0;
  int32_t pos = -1;
  if (builtin::Continuing(s, c.b) && same) {
    const int32_t p = RoundCount(s[1]);
    double x = 0.0;
    double y = 0.0;
    if (int32_t rc = c.Arg(2, 0, &x)) return rc;
    if (int32_t rc = c.ArgAtBar(2, p, &y)) return rc;
    // Only an exact tie goes to the newest bar, as in the scan: the result
    // depends on the window alone, not on the bar the walk started from.
    step::ContinueExtreme(highest, x, y, p, c.b, nEff, &best, &pos);
  }
  if (pos < 0) {
    if (int32_t rc = ScanExtreme(c, highest, nEff, &best, &pos)) return rc;
  }
  s[2] = c.b;
  if (pos < 0) {
    s[3] = INVALID_VALUE;
    return EVAL_OK;
  }
  s[3] = pos;
  *out = barsBack ? static_cast<double>(c.b - pos) : best;
  return EVAL_OK;
}

// 1 + the number of bars of the window whose X is beyond X at b.
int32_t Rank(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset, bool highest) {
  Call c{};
  int32_t code = 0;
  if (!builtin::Begin(rec, out, ctx, offset, 3, &c, &code)) return code;
  int32_t n = 0;
  bool ok = false;
  if (int32_t rc = builtin::ReadPeriod(c, 2, &n, &ok)) return rc;
  if (!ok || n <= 0) return EVAL_OK;
  if (n == 1) {
    *out = 1.0;
    return EVAL_OK;
  }
  double x = 0.0;
  if (int32_t rc = c.Arg(1, 0, &x)) return rc;
  if (!HasValue(x)) return EVAL_OK;
  const int32_t nEff = builtin::EffectiveWindow(n, c.b);
  int32_t rank = 1;
  for (int32_t i = 1; i < nEff; ++i) {
    double v = 0.0;
    if (int32_t rc = c.Arg(1, i, &v)) return rc;
    if (!HasValue(v)) return EVAL_OK;
    if (Beats(highest, v, x)) ++rank;
  }
  *out = rank;
  return EVAL_OK;
}

// Bars before b back to the first bar whose X is at or beyond X at b (at least
// as high for TOPRANGE, as low for LOWRANGE). The block keeps result + 1.
int32_t Range(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset, bool top) {
  Call c{};
  builtin::RollingBlock block;
  double* s = nullptr;
  int32_t code = 0;
  if (!builtin::BeginRolling(rec, out, ctx, offset, 1.0, &c, &block, &s, &code)) return code;
  const bool continuing = builtin::Continuing(s, c.b);
  double x = 0.0;
  if (int32_t rc = c.Arg(2, 0, &x)) return rc;
  s[2] = c.b;
  if (!HasValue(x)) {
    s[3] = INVALID_VALUE;
    return EVAL_OK;
  }
  int32_t i = 1;
  if (continuing) {
    double xp = 0.0;
    if (int32_t rc = c.Arg(2, 1, &xp)) return rc;
    if (HasValue(xp)) {
      if (!Beats(top, x, xp)) {
        s[3] = 1.0;
        *out = 0.0;
        return EVAL_OK;
      }
      i = std::max(RoundCount(s[1]), 1);
    }
  }
  while (i < c.b + 1) {
    double y = 0.0;
    if (int32_t rc = c.Arg(2, i, &y)) return rc;
    if (HasValue(y) && !Beats(top, x, y)) break;
    ++i;
  }
  s[3] = i;
  *out = i - 1;
  return EVAL_OK;
}

}  // namespace

// HHV(X, N): highest X of the window.
int32_t BuiltinHhv(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  return Extreme(call, out, ctx, offset, true, false);
}

// LLV(X, N): lowest X of the window.
int32_t BuiltinLlv(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  return Extreme(call, out, ctx, offset, false, false);
}

// HHVBARS(X, N): bars back to the highest X of the window (the newest of equals).
int32_t BuiltinHhvBars(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  return Extreme(call, out, ctx, offset, true, true);
}

// LLVBARS(X, N): bars back to the lowest X of the window (the newest of equals).
int32_t BuiltinLlvBars(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  return Extreme(call, out, ctx, offset, false, true);
}

// HOD(X, N): rank of X at b among the window from the top.
int32_t BuiltinHod(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  return Rank(call, out, ctx, offset, true);
}

// LOD(X, N): rank of X at b among the window from the bottom.
int32_t BuiltinLod(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  return Rank(call, out, ctx, offset, false);
}

// TOPRANGE(X): bars since X was last at least as high as now.
int32_t BuiltinTopRange(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  return Range(call, out, ctx, offset, true);
}

// LOWRANGE(X): bars since X was last at least as low as now.
int32_t BuiltinLowRange(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  return Range(call, out, ctx, offset, false);
}
