#include "formula/eval/builtins/time.h"

#include <ctime>

#include "abacor/data_provider.h"
#include "formula/eval/builtins/support.h"
#include "formula/eval/value.h"

using builtin::Args;
using builtin::PLAIN_ARGS;

namespace {

constexpr int64_t SECONDS_PER_DAY = 86400;

// Scalar fields that hold the session's minute counts.
constexpr int32_t FIELD_TOTAL_MINUTES = 502;
constexpr int32_t FIELD_MINUTES_FROM_OPEN = 503;

// PERIOD codes of minute bars (period type 1), by multiplier.
struct MinutePeriod {
  int32_t multiplier;
  int32_t code;
};

constexpr MinutePeriod MinutePeriods[] = {
    {1, 0}, {3, 12}, {5, 1}, {10, 15}, {15, 2}, {20, 16}, {30, 3}, {60, 4}, {90, 17}, {120, 13}, {180, 18}, {240, 14},
};
static_assert(sizeof(MinutePeriods) / sizeof(MinutePeriods[0]) == 12, "twelve minute periods have codes");

// Any other multiplier of minute bars.
constexpr int32_t OTHER_MINUTES_CODE = 8;
// Any period type without a code of its own.
constexpr int32_t OTHER_PERIOD_CODE = 15;

// yyymmdd of a calendar date, the year counted from 1900.
double DateNumber(const std::tm& tm) {
  return static_cast<double>(static_cast<int64_t>(tm.tm_year) * 10000 + (tm.tm_mon + 1) * 100 + tm.tm_mday);
}

// The one argument of a conversion, rounded; false (and *code) when the
// caller must return.
bool ReadRounded(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset, int32_t* v, int32_t* code) {
  Args a;
  if (!builtin::BeginArgs(call, out, ctx, offset, 2, PLAIN_ARGS, &a, code)) return false;
  double x = 0.0;
  *code = a.At(0, 0, &x);
  if (*code != EVAL_OK || !HasValue(x)) return false;
  *v = RoundCount(x);
  return true;
}

// The local calendar fields of the bar's time; *code is EVAL_BAD_ARGUMENT
// when the provider or the conversion fails.
bool BarCalendar(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset, std::tm* tm, int32_t* code) {
  Args a;
  if (!builtin::BeginArgs(call, out, ctx, offset, 1, PLAIN_ARGS, &a, code)) return false;
  *code = EVAL_BAD_ARGUMENT;
  int64_t seconds = 0;
  if (ctx->dataProvider == nullptr || !ctx->dataProvider->GetBarTime(a.b, &seconds)) return false;
  const std::time_t t = static_cast<std::time_t>(seconds);
  if (localtime_r(&t, tm) == nullptr) return false;
  *code = EVAL_OK;
  return true;
}

using CalendarField = double (*)(const std::tm&);

int32_t BarField(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset, CalendarField field) {
  std::tm tm{};
  int32_t code = EVAL_OK;
  if (!BarCalendar(call, out, ctx, offset, &tm, &code)) return code;
  *out = field(tm);
  return EVAL_OK;
}

// A session scalar of the provider, written straight into the result.
int32_t SessionScalar(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset, int32_t field) {
  Args a;
  int32_t entryCode = EVAL_OK;
  if (!builtin::BeginArgs(call, out, ctx, offset, 1, PLAIN_ARGS, &a, &entryCode)) return entryCode;
  if (ctx->dataProvider == nullptr) return EVAL_BAD_ARGUMENT;
  double v = INVALID_VALUE;
  if (!ctx->dataProvider->GetScalarValue(field, &v)) return EVAL_BAD_ARGUMENT;
  *out = v;
  return EVAL_OK;
}

}  // namespace

int32_t PeriodCode(int32_t periodType, int32_t periodMult) {
  switch (periodType) {
    case 1:
      for (const MinutePeriod& p : MinutePeriods) {
        if (p.multiplier == periodMult) return p.code;
      }
      return OTHER_MINUTES_CODE;
    case 2: return 15;
    case 3: return periodMult == 1 ? 5 : 9;
    case 4: return 6;
    case 5: return 7;
    case 6: return 10;
    case 7: return 11;
    default: return OTHER_PERIOD_CODE;
  }
}

// DATETODAY(D): the day number of local midnight of date D.
int32_t BuiltinDateToDay(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  int32_t d = 0;
  int32_t code = EVAL_OK;
  if (!ReadRounded(call, out, ctx, offset, &d, &code)) return code;
  std::tm tm{};
  tm.tm_year = d / 10000;
  tm.tm_mon = (d / 100) % 100 - 1;
  tm.tm_mday = d % 100;
  tm.tm_isdst = -1;
  const std::time_t t = std::mktime(&tm);
  // mktime's failure value -1 lies before the origin as well.
  if (static_cast<int64_t>(t) < DAY_NUMBER_ORIGIN) return EVAL_OK;
  *out = static_cast<double>((static_cast<int64_t>(t) - DAY_NUMBER_ORIGIN) / SECONDS_PER_DAY);
  return EVAL_OK;
}

// DAYTODATE(N): the local date of day number N. The instant is formed in 64
// bits, so every positive day number has a date.
int32_t BuiltinDayToDate(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  int32_t n = 0;
  int32_t code = EVAL_OK;
  if (!ReadRounded(call, out, ctx, offset, &n, &code) || n <= 0) return code;
  const std::time_t t = static_cast<std::time_t>(static_cast<int64_t>(n) * SECONDS_PER_DAY + DAY_NUMBER_ORIGIN);
  std::tm tm{};
  if (localtime_r(&t, &tm) == nullptr) return EVAL_OK;
  *out = DateNumber(tm);
  return EVAL_OK;
}

// TIMETOSEC(T): seconds since midnight of hhmmss T.
int32_t BuiltinTimeToSec(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  int32_t t = 0;
  int32_t code = EVAL_OK;
  if (!ReadRounded(call, out, ctx, offset, &t, &code) || t <= 0) return code;
  const int32_t hh = t / 10000;
  const int32_t mm = (t / 100) % 100;
  const int32_t ss = t % 100;
  if (hh >= 24 || mm >= 60 || ss >= 60) return EVAL_OK;
  *out = (hh * 60 + mm) * 60 + ss;
  return EVAL_OK;
}

// SECTOTIME(S): hhmmss of S seconds since midnight.
int32_t BuiltinSecToTime(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  int32_t s = 0;
  int32_t code = EVAL_OK;
  if (!ReadRounded(call, out, ctx, offset, &s, &code) || s <= 0 || s / 3600 >= 24) return code;
  *out = (s / 3600 * 100 + (s / 60) % 60) * 100 + s % 60;
  return EVAL_OK;
}

int32_t BuiltinPeriod(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  Args a;
  int32_t entryCode = EVAL_OK;
  if (!builtin::BeginArgs(call, out, ctx, offset, 1, PLAIN_ARGS, &a, &entryCode)) return entryCode;
  *out = PeriodCode(ctx->periodType, ctx->periodMult);
  return EVAL_OK;
}

int32_t BuiltinDate(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  return BarField(call, out, ctx, offset, DateNumber);
}

int32_t BuiltinTime(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  return BarField(call, out, ctx, offset, [](const std::tm& tm) { return tm.tm_hour * 100.0 + tm.tm_min; });
}

int32_t BuiltinTime2(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  return BarField(call, out, ctx, offset,
                  [](const std::tm& tm) { return tm.tm_hour * 10000.0 + tm.tm_min * 100.0 + tm.tm_sec; });
}

int32_t BuiltinYear(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  return BarField(call, out, ctx, offset, [](const std::tm& tm) { return 1900.0 + tm.tm_year; });
}

int32_t BuiltinMonth(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  return BarField(call, out, ctx, offset, [](const std::tm& tm) { return tm.tm_mon + 1.0; });
}

// Weeks begun since the year's start, weeks starting on Sunday.
int32_t BuiltinWeekOfYear(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  return BarField(call, out, ctx, offset,
                  [](const std::tm& tm) { return static_cast<double>((tm.tm_yday - tm.tm_wday + 6) / 7); });
}

int32_t BuiltinWeekday(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  return BarField(call, out, ctx, offset, [](const std::tm& tm) { return static_cast<double>(tm.tm_wday); });
}

int32_t BuiltinDay(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  return BarField(call, out, ctx, offset, [](const std::tm& tm) { return static_cast<double>(tm.tm_mday); });
}

int32_t BuiltinHour(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  return BarField(call, out, ctx, offset, [](const std::tm& tm) { return static_cast<double>(tm.tm_hour); });
}

int32_t BuiltinMinute(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  return BarField(call, out, ctx, offset, [](const std::tm& tm) { return static_cast<double>(tm.tm_min); });
}

int32_t BuiltinTotalFzNum(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  return SessionScalar(call, out, ctx, offset, FIELD_TOTAL_MINUTES);
}

int32_t BuiltinFromOpen(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  return SessionScalar(call, out, ctx, offset, FIELD_MINUTES_FROM_OPEN);
}
