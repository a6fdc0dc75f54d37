#pragma once
// The calendar built-ins: date and time conversions (DATETODAY, DAYTODATE,
// TIMETOSEC, SECTOTIME), the bar period code (PERIOD), the calendar fields
// of the bar's time in local time (DATE to MINUTE) and the two session
// scalars (TOTALFZNUM, FROMOPEN). Each has the BuiltinFn form.
//
// Dates are yyymmdd with the year counted from 1900 (2023-08-12 is 1230812);
// times are hhmm or hhmmss. Day numbers count days from DAY_NUMBER_ORIGIN.
#include <cstdint>

#include "formula/eval/calc_context.h"

// The instant of day number 0: 1990-12-19 00:00 at UTC+8, in seconds since
// 1970-01-01 00:00 UTC.
constexpr int64_t DAY_NUMBER_ORIGIN = 661536000;

int32_t BuiltinDateToDay(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinDayToDate(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinTimeToSec(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinSecToTime(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinPeriod(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinDate(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinTime(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinTime2(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinYear(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinMonth(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinWeekOfYear(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinWeekday(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinDay(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinHour(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinMinute(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinTotalFzNum(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinFromOpen(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);

// The PERIOD code of a bar period (type and multiplier as the provider
// reports them).
int32_t PeriodCode(int32_t periodType, int32_t periodMult);
