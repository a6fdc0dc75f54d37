#include "formula/eval/builtins/wholerange.h"

#include "formula/eval/builtins/support.h"

using builtin::Call;

namespace {

// BACKSET's pass: 0 on every bar from the range start to the last bar, then
// for each bar j where X is true, 1 on the m bars ending at j. Bars are marked
// from the newest signal down, so each cell is written once.
int32_t BackSetPass(const Call& c, double* cells, int32_t first, int32_t last) {
  for (int32_t i = first; i <= last; ++i) cells[i] = 0.0;
  int64_t lowestSet = static_cast<int64_t>(last) + 1;
  for (int32_t j = last; j >= first; --j) {
    double x = 0.0;
    if (int32_t rc = c.ArgAtBar(2, j, &x)) return rc;
    if (!IsTrue(x)) continue;
    double nv = 0.0;
    if (int32_t rc = c.ArgAtBar(3, j, &nv)) return rc;
    if (!HasValue(nv)) continue;
    const int64_t m = std::max<int64_t>(RoundCount(nv), 1);
    const int64_t low = std::max<int64_t>(j - m + 1, 0);
    for (int64_t k = std::min<int64_t>(j, lowestSet - 1); k >= low; --k) cells[k] = 1.0;
    lowestSet = std::min(lowestSet, low);
  }
  return EVAL_OK;
}

// The value of a filled cell: INVALID_VALUE for a cell without one.
double CellValue(double v) { return HasValue(v) ? v : INVALID_VALUE; }

}  // namespace

// BACKSET(X, N): 1 on the N bars ending at each bar where X is true, else 0.
int32_t BuiltinBackSet(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  Call c{};
  int32_t code = 0;
  if (!builtin::Begin(rec, out, ctx, offset, 4, &c, &code)) return code;
  double* cells = builtin::StateBlock(c, 1, builtin::WHOLE_RANGE_BLOCK);
  if (cells == nullptr) return EVAL_BAD_ARGUMENT;
  const int32_t first = std::max(ctx->rangeFirst, 0);
  const int32_t last = builtin::LastAddressableBar(ctx);
  if (HasValue(cells[c.b])) {
    *out = cells[c.b];
    return EVAL_OK;
  }
  if (c.b > last || first > last) return EVAL_OK;
  // Below the range only a signal can have set a cell; once the pass has run
  // for this range, another one would change nothing.
  if (c.b < first && HasValue(cells[first])) return EVAL_OK;
  if (int32_t rc = BackSetPass(c, cells, first, last)) return rc;
  *out = CellValue(cells[c.b]);
  return EVAL_OK;
}

// ALIGNRIGHT(X): the values of X packed against the last bar in their order;
// the bars left over at the start have no value.
int32_t BuiltinAlignRight(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  Call c{};
  int32_t code = 0;
  if (!builtin::Begin(rec, out, ctx, offset, 3, &c, &code)) return code;
  double* cells = builtin::StateBlock(c, 1, builtin::WHOLE_RANGE_BLOCK);
  if (cells == nullptr) return EVAL_BAD_ARGUMENT;
  const int32_t last = builtin::LastAddressableBar(ctx);
  if (c.b > last) return EVAL_OK;
  if (!IsUncomputed(cells[c.b])) {
    *out = CellValue(cells[c.b]);
    return EVAL_OK;
  }
  int32_t next = last;
  for (int32_t j = last; j >= 0; --j) {
    double v = 0.0;
    if (int32_t rc = c.ArgAtBar(2, j, &v)) return rc;
    if (HasValue(v)) cells[next--] = v;
  }
  // Marked as done, so that asking for one of these bars does not run the pass again.
  for (int32_t k = 0; k <= next; ++k) cells[k] = INVALID_VALUE;
  *out = CellValue(cells[c.b]);
  return EVAL_OK;
}

// CONST(X): the value of X on the last bar, on every bar.
int32_t BuiltinConst(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  Call c{};
  int32_t code = 0;
  if (!builtin::Begin(rec, out, ctx, offset, 3, &c, &code)) return code;
  double* cell = builtin::StateBlock(c, 1, 1);
  if (cell == nullptr) return EVAL_BAD_ARGUMENT;
  if (IsUncomputed(cell[0])) {
    // X is evaluated on every bar in ascending order, so that the series it
    // reads fill as they would bar by bar; only the last value is kept.
    double v = INVALID_VALUE;
    const int32_t last = builtin::LastAddressableBar(ctx);
    for (int32_t j = std::max(ctx->rangeFirst, 0); j <= last; ++j) {
      if (int32_t rc = c.ArgAtBar(2, j, &v)) return rc;
    }
    if (ctx->totalBarCount - 1 > last) {
      if (int32_t rc = c.ArgAtBar(2, ctx->totalBarCount - 1, &v)) return rc;
    }
    cell[0] = CellValue(v);
  }
  *out = CellValue(cell[0]);
  return EVAL_OK;
}
