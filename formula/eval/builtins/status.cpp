#include "formula/eval/builtins/status.h"

#include <cmath>

#include "abacor/data_provider.h"
#include "formula/eval/builtins/support.h"

using builtin::Call;
using builtin::FIELD_CLOSE;
using builtin::FIELD_HIGH;
using builtin::FIELD_LOW;
using builtin::ReadPrice;

namespace {

// Limit price (R + 1) * P (up) or (1 - R) * P (down).
int32_t LimitPrice(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset, double sign) {
  Call c{};
  int32_t code = 0;
  if (!builtin::Begin(rec, out, ctx, offset, 3, &c, &code)) return code;
  double p = 0.0;
  double r = 0.0;
  if (int32_t rc = c.Arg(1, 0, &p)) return rc;
  if (int32_t rc = c.Arg(2, 0, &r)) return rc;
  if (HasValue(p) && HasValue(r)) *out = (1.0 + sign * r) * p;
  return EVAL_OK;
}

// A function without arguments of the bar b and the instrument's bar count.
int32_t BarNumber(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset,
                  double (*fn)(int32_t b, int32_t total)) {
  Call c{};
  int32_t code = 0;
  if (!builtin::Begin(rec, out, ctx, offset, 1, &c, &code)) return code;
  *out = fn(c.b, ctx->totalBarCount);
  return EVAL_OK;
}

}  // namespace

// DRAWNULL: no value.
int32_t BuiltinDrawNull(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  Call c{};
  int32_t code = 0;
  builtin::Begin(rec, out, ctx, offset, 1, &c, &code);
  return code;
}

// BARSTATUS: 1 on the first bar, 2 on the last, else 0.
int32_t BuiltinBarStatus(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  return BarNumber(rec, out, ctx, offset,
                   [](int32_t b, int32_t total) { return b == 0 ? 1.0 : (b == total - 1 ? 2.0 : 0.0); });
}

// CURRBARSCOUNT: bars from b to the end, b included.
int32_t BuiltinCurrBarsCount(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  return BarNumber(rec, out, ctx, offset, [](int32_t b, int32_t total) { return static_cast<double>(total) - b; });
}

// TOTALBARSCOUNT: bars of the instrument.
int32_t BuiltinTotalBarsCount(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  return BarNumber(rec, out, ctx, offset, [](int32_t, int32_t total) { return static_cast<double>(total); });
}

// ISLASTBAR: 1 on the last bar, else 0.
int32_t BuiltinIsLastBar(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  return BarNumber(rec, out, ctx, offset, [](int32_t b, int32_t total) { return b == total - 1 ? 1.0 : 0.0; });
}

// TR: true range of bar b against the close of the bar before.
int32_t BuiltinTr(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  Call c{};
  int32_t code = 0;
  if (!builtin::Begin(rec, out, ctx, offset, 1, &c, &code)) return code;
  IIndexDataProvider* provider = ctx->dataProvider;
  if (provider == nullptr) return EVAL_BAD_ARGUMENT;
  double h = 0.0;
  double l = 0.0;
  double p = 0.0;
  if (!ReadPrice(provider, FIELD_HIGH, c.b, &h) || !ReadPrice(provider, FIELD_LOW, c.b, &l)) return EVAL_OK;
  const double range = std::fabs(h - l);
  if (!ReadPrice(provider, FIELD_CLOSE, c.b - 1, &p)) {
    *out = range;
    return EVAL_OK;
  }
  *out = std::max(range, std::max(std::fabs(h - p), std::fabs(l - p)));
  return EVAL_OK;
}

// ZTPRICE(P, R): (R + 1) * P, not rounded.
int32_t BuiltinZtPrice(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  return LimitPrice(rec, out, ctx, offset, 1.0);
}

// DTPRICE(P, R): (1 - R) * P, not rounded.
int32_t BuiltinDtPrice(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  return LimitPrice(rec, out, ctx, offset, -1.0);
}
