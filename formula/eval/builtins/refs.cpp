#include "formula/eval/builtins/refs.h"

#include "abacor/data_provider.h"
#include "formula/eval/builtins/steps.h"
#include "formula/eval/builtins/support.h"

using builtin::Call;

namespace {

constexpr int32_t FIRST_YEAR = 1990;
constexpr int32_t LAST_YEAR = 2034;

bool IsLeapYear(int32_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int32_t DaysInMonth(int32_t year, int32_t month) {
  static constexpr int32_t days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month == 2 && IsLeapYear(year)) return 29;
  return days[month - 1];
}

// Entry and the reference distance n (element 2) of the two-argument references.
bool BeginRef(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset, Call* c, int32_t* n,
              int32_t* code) {
  if (!builtin::Begin(rec, out, ctx, offset, 3, c, code)) return false;
  bool ok = false;
  *code = builtin::ReadPeriod(*c, 2, n, &ok);
  return *code == EVAL_OK && ok && *n >= 0;
}

}  // namespace

bool RefDateToYmd(int32_t d, int64_t* ymd) {
  if (d <= 0) return false;
  const int32_t day = d % 100;
  const int32_t month = (d / 100) % 100;
  const int32_t year = d / 10000 + 1900;
  if (month < 1 || month > 12 || year < FIRST_YEAR || year > LAST_YEAR) return false;
  if (day < 1 || day > DaysInMonth(year, month)) return false;
  *ymd = (static_cast<int64_t>(year) * 100 + month) * 100 + day;
  return true;
}

// REF(X, N): X N bars ago; beyond bar 0 the value of bar 0. When that bar has
// no value, the bar after it.
int32_t BuiltinRef(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  Call c{};
  int32_t n = 0;
  int32_t code = 0;
  if (!BeginRef(rec, out, ctx, offset, &c, &n, &code)) return code;
  const int32_t m = step::RefDistance(n, c.b);
  if (int32_t rc = c.Arg(1, m, out)) return rc;
  if (HasValue(*out) || m == 0) return EVAL_OK;
  return c.Arg(1, m - 1, out);
}

// REFV(X, N): X N bars ago, nothing before bar 0.
int32_t BuiltinRefV(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  Call c{};
  int32_t n = 0;
  int32_t code = 0;
  if (!BeginRef(rec, out, ctx, offset, &c, &n, &code)) return code;
  return c.Arg(1, n, out);
}

// REFX(X, N): X N bars ahead, nothing after the last bar.
int32_t BuiltinRefX(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  Call c{};
  int32_t n = 0;
  int32_t code = 0;
  if (!BeginRef(rec, out, ctx, offset, &c, &n, &code)) return code;
  if (static_cast<int64_t>(c.b) + n >= ctx->totalBarCount) return EVAL_OK;
  return c.Arg(1, -n, out);
}

// REFXV(X, N): X N bars ahead, at most the last bar; X at b when that has no value.
int32_t BuiltinRefXV(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  Call c{};
  int32_t n = 0;
  int32_t code = 0;
  if (!BeginRef(rec, out, ctx, offset, &c, &n, &code)) return code;
  const int64_t target = std::min<int64_t>(static_cast<int64_t>(c.b) + n, ctx->totalBarCount - 1);
  if (int32_t rc = c.ArgAtBar(1, target, out)) return rc;
  if (HasValue(*out)) return EVAL_OK;
  return c.Arg(1, 0, out);
}

// REFDATE(X, D): X at the bar of date D.
int32_t BuiltinRefDate(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  Call c{};
  int32_t code = 0;
  if (!builtin::Begin(rec, out, ctx, offset, 3, &c, &code)) return code;
  if (ctx->dataProvider == nullptr) return EVAL_BAD_ARGUMENT;
  double dv = 0.0;
  if (int32_t rc = c.Arg(2, 0, &dv)) return rc;
  if (!HasValue(dv)) return EVAL_OK;
  int64_t ymd = 0;
  if (!RefDateToYmd(RoundCount(dv), &ymd)) return EVAL_OK;
  int64_t time = 0;
  if (!ctx->dataProvider->GetTimeOfDate(ymd, &time)) return EVAL_OK;
  int32_t bar = 0;
  ctx->dataProvider->GetBarIndexByTime(time, &bar);
  return c.ArgAtBar(1, bar, out);
}
