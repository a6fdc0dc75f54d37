#pragma once
// The registry of built-in functions: one row per function the formula
// language knows, holding everything that makes up its identity. The
// function-info table, the dispatch table, the function keywords of the lexer
// and the ids other code refers to are all derived from these rows.
#include <cstdint>

#include "formula/eval/builtins/averages.h"
#include "formula/eval/builtins/counts.h"
#include "formula/eval/builtins/extremes.h"
#include "formula/eval/builtins/logic.h"
#include "formula/eval/builtins/math.h"
#include "formula/eval/builtins/refs.h"
#include "formula/eval/builtins/searches.h"
#include "formula/eval/builtins/signals.h"
#include "formula/eval/builtins/stats.h"
#include "formula/eval/builtins/status.h"
#include "formula/eval/builtins/stub.h"
#include "formula/eval/builtins/sums.h"
#include "formula/eval/builtins/time.h"
#include "formula/eval/builtins/trend.h"
#include "formula/eval/builtins/wholerange.h"
#include "formula/eval/builtins/zigzag.h"
#include "formula/eval/calc_context.h"
#include "formula/eval/column_kernels.h"
#include "formula/eval/function_info.h"

// How a built-in is written in a formula. The keyword is the lower-case name
// unless `word` says otherwise; `alias` is a second keyword for the same
// token; `scriptWord` replaces the name in the intermediate script. Draw
// functions (tokens TOKEN_DRAW_FIRST..TOKEN_DRAW_LAST) are written through
// their lower-case name instead of a script word.
struct BuiltinKeyword {
  int32_t token = 0;      // 0: the function has no keyword
  int32_t argCount = -1;  // arguments the formula writes (hidden ones not counted)
  const char* word = nullptr;
  const char* alias = nullptr;
  const char* scriptWord = nullptr;

  constexpr BuiltinKeyword Word(const char* w) const {
    BuiltinKeyword k = *this;
    k.word = w;
    return k;
  }
  constexpr BuiltinKeyword Alias(const char* a) const {
    BuiltinKeyword k = *this;
    k.alias = a;
    return k;
  }
  constexpr BuiltinKeyword Script(const char* s) const {
    BuiltinKeyword k = *this;
    k.scriptWord = s;
    return k;
  }
};

struct BuiltinRow {
  const char* name;  // upper case, at most 15 characters
  int32_t id;
  uint32_t argInfo;  // Args(n) or AtLeast(n)
  uint32_t flags;    // FN_* bits
  ArgCheckFn check;
  int32_t periodArg;  // 1-based argument holding the look-back period; 0 when none
  int32_t slot;       // dispatch slot, kNoSlot for a function without an implementation
  BuiltinFn impl;
  BuiltinKeyword keyword;
  const ColumnKernel* kernel = nullptr;  // the column kernel; null: evaluated bar by bar
};

constexpr uint32_t Args(uint32_t n) { return n; }
constexpr uint32_t AtLeast(uint32_t n) { return ARG_AT_LEAST | n; }
constexpr BuiltinKeyword Kw(int32_t token, int32_t argCount) { return BuiltinKeyword{token, argCount}; }
constexpr BuiltinKeyword kNoKeyword{};
constexpr int32_t kNoSlot = -1;

constexpr int32_t BUILTIN_COUNT = 159;
constexpr int32_t DISPATCH_SLOT_COUNT = 139;
// Function ids are below this bound; it is also the size of the id indexes.
constexpr int32_t FUNCTION_ID_LIMIT = 600;

// Rows in function-info table order (the row number is the position), one
// line each so that a row reads as a whole.
// clang-format off
inline constexpr BuiltinRow kBuiltins[] = {
    {"BACKSET", 110, Args(2), FN_STATE_BLOCK | FN_EXTEND_FORWARD | FN_RECALC_ALL, CheckArity, 2, 54, BuiltinBackSet, Kw(8110, 2)},
    {"ALIGNRIGHT", 111, Args(1), FN_STATE_BLOCK | FN_RECALC_ALL, CheckArity, 0, 55, BuiltinAlignRight, Kw(8111, 1)},
    {"BARSCOUNT", 112, Args(1), FN_STATE_BLOCK, CheckArity, 0, 56, BuiltinBarsCount, Kw(8112, 1)},
    {"BARSLAST", 113, Args(1), FN_STATE_BLOCK, CheckArity, 0, 57, BuiltinBarsLast, Kw(8113, 1)},
    {"BARSNEXT", 114, Args(1), FN_STATE_BLOCK | FN_EXTEND_FORWARD | FN_RECALC_ALL, CheckArity, 0, 58, BuiltinBarsNext, Kw(8114, 1)},
    {"BARSSINCEN", 115, Args(2), FN_STATE_BLOCK, CheckArity, 2, 59, BuiltinBarsSinceN, Kw(8115, 2)},
    {"BARSSINCE", 116, Args(1), FN_STATE_BLOCK, CheckArity, 2, 60, BuiltinBarsSince, Kw(8116, 1)},
    {"COUNT", 117, Args(2), FN_STATE_BLOCK, CheckArity, 2, 61, BuiltinCount, Kw(8117, 2)},
    {"BARSLASTCOUNT", 118, Args(1), FN_STATE_BLOCK, CheckArity, 0, 62, BuiltinBarsLastCount, Kw(8118, 1)},
    {"HHV", 119, Args(2), FN_STATE_BLOCK, CheckArity, 2, 63, BuiltinHhv, Kw(8119, 2), KernelOf(KernelKind::Hhv)},
    {"HHVBARS", 120, Args(2), FN_STATE_BLOCK, CheckArity, 2, 64, BuiltinHhvBars, Kw(8120, 2)},
    {"HOD", 121, Args(2), FN_NONE, CheckArity, 2, 65, BuiltinHod, Kw(8121, 2)},
    {"LLV", 122, Args(2), FN_STATE_BLOCK, CheckArity, 2, 66, BuiltinLlv, Kw(8122, 2), KernelOf(KernelKind::Llv)},
    {"LLVBARS", 123, Args(2), FN_STATE_BLOCK, CheckArity, 2, 67, BuiltinLlvBars, Kw(8123, 2)},
    {"LOD", 124, Args(2), FN_NONE, CheckArity, 2, 68, BuiltinLod, Kw(8124, 2)},
    {"REVERSE", 125, Args(1), FN_NONE, CheckArity, 0, kNoSlot, nullptr, Kw(8125, 1).Script("0-")},
    {"REF", 126, Args(2), FN_NONE, CheckArity, 2, 69, BuiltinRef, Kw(8126, 2), KernelOf(KernelKind::Ref)},
    {"REFV", 127, Args(2), FN_NONE, CheckArity, 2, 70, BuiltinRefV, Kw(8127, 2)},
    {"REFX", 128, Args(2), FN_EXTEND_FORWARD | FN_RECALC_ALL, CheckArity, 0, 71, BuiltinRefX, Kw(8128, 2)},
    {"REFXV", 129, Args(2), FN_EXTEND_FORWARD | FN_RECALC_ALL, CheckArity, 0, 72, BuiltinRefXV, Kw(8129, 2)},
    {"REFDATE", 130, Args(2), FN_NONE, CheckArity, 0, 73, BuiltinRefDate, Kw(8130, 2)},
    {"CALCSTOCKINDEX", 131, Args(3), FN_NONE, CheckArity, 0, 74, ConstantStub, kNoKeyword},
    {"SUM", 132, Args(2), FN_STATE_BLOCK, CheckArity, 2, 75, BuiltinSum, Kw(8132, 2), KernelOf(KernelKind::Sum)},
    {"MULAR", 133, Args(2), FN_STATE_BLOCK, CheckArity, 2, 76, BuiltinMular, Kw(8133, 2)},
    {"FILTER", 134, Args(2), FN_STATE_BLOCK, CheckArity, 0, 77, BuiltinFilter, Kw(8134, 2)},
    {"FILTERX", 135, Args(2), FN_STATE_BLOCK, CheckArity, 0, 78, BuiltinFilterX, kNoKeyword},
    {"TFILT", 136, Args(5), FN_NONE, CheckArity, 0, 79, ConstantStub, kNoKeyword},
    {"TFILTER", 137, Args(3), FN_STATE_BLOCK, CheckArity, 0, 80, BuiltinTFilter, kNoKeyword},
    {"TTFILTER", 138, Args(5), FN_STATE_BLOCK, CheckArity, 0, 81, BuiltinTTFilter, kNoKeyword},
    {"SUMBARS", 139, Args(2), FN_NONE, CheckArity, 2, 82, BuiltinSumBars, Kw(8139, 2)},
    {"MA", 140, Args(2), FN_STATE_BLOCK, CheckArity, 2, 83, BuiltinMa, Kw(8140, 2), KernelOf(KernelKind::Ma)},
    {"EMA", 144, Args(3), FN_EXTEND_HISTORY | FN_OWN_SERIES, CheckOwnSeries, 2, 87, BuiltinEma, Kw(8144, 2), KernelOf(KernelKind::Ema)},
    {"SMA", 141, Args(4), FN_EXTEND_HISTORY | FN_OWN_SERIES, CheckOwnSeries, 2, 84, BuiltinSma, Kw(8141, 3), KernelOf(KernelKind::Sma)},
    {"DMA", 148, Args(3), FN_EXTEND_HISTORY | FN_OWN_SERIES, CheckOwnSeries, 2, 91, BuiltinDma, Kw(8148, 2)},
    {"TMA", 142, Args(4), FN_EXTEND_HISTORY | FN_OWN_SERIES, CheckArity, 0, 85, BuiltinTma, Kw(8142, 3)},
    {"MEMA", 143, Args(3), FN_EXTEND_HISTORY | FN_OWN_SERIES, CheckArity, 2, 86, BuiltinMema, Kw(8143, 2)},
    {"EXPMA", 145, Args(3), FN_EXTEND_HISTORY | FN_OWN_SERIES, CheckArity, 2, 88, BuiltinExpMa, Kw(8145, 2), KernelOf(KernelKind::ExpMa)},
    {"EXPMEMA", 146, Args(3), FN_EXTEND_HISTORY | FN_OWN_SERIES, CheckArity, 2, 89, BuiltinExpMema, Kw(8146, 2)},
    {"WMA", 147, Args(2), FN_STATE_BLOCK, CheckArity, 2, 90, BuiltinWma, Kw(8147, 2)},
    {"AMA", 149, Args(3), FN_EXTEND_HISTORY | FN_OWN_SERIES, CheckArity, 0, 92, BuiltinAma, Kw(8149, 2)},
    {"XMA", 150, Args(2), FN_STATE_BLOCK | FN_EXTEND_FORWARD | FN_RECALC_ALL, CheckArity, 2, 93, BuiltinXma, Kw(8150, 2)},
    {"CONST", 151, Args(1), FN_STATE_BLOCK | FN_RECALC_ALL, CheckArity, 0, 94, BuiltinConst, Kw(8151, 1)},
    {"TOPRANGE", 152, Args(1), FN_STATE_BLOCK, CheckArity, 0, 95, BuiltinTopRange, Kw(8152, 1)},
    {"LOWRANGE", 153, Args(1), FN_STATE_BLOCK, CheckArity, 0, 96, BuiltinLowRange, Kw(8153, 1)},
    {"FINDHIGH", 154, Args(4), FN_NONE, CheckArity, 2, 97, BuiltinFindHigh, Kw(8154, 4)},
    {"FINDHIGHBARS", 155, Args(4), FN_NONE, CheckArity, 2, 98, BuiltinFindHighBars, Kw(8155, 4)},
    {"FINDLOW", 156, Args(4), FN_NONE, CheckArity, 2, 99, BuiltinFindLow, Kw(8156, 4)},
    {"FINDLOWBARS", 157, Args(4), FN_NONE, CheckArity, 2, 100, BuiltinFindLowBars, Kw(8157, 4)},
    {"ZTPRICE", 158, Args(2), FN_NONE, CheckArity, 0, 101, BuiltinZtPrice, Kw(8158, 2)},
    {"DTPRICE", 159, Args(2), FN_NONE, CheckArity, 0, 102, BuiltinDtPrice, Kw(8159, 2)},
    {"DRAWNULL", 160, Args(0), FN_NONE, CheckArity, 0, 103, BuiltinDrawNull, Kw(8160, 0)},
    {"BARSTATUS", 161, Args(0), FN_RECALC_ALL, CheckArity, 0, 104, BuiltinBarStatus, Kw(8161, 0)},
    {"CURRBARSCOUNT", 162, Args(0), FN_RECALC_ALL, CheckArity, 0, 105, BuiltinCurrBarsCount, Kw(8162, 0)},
    {"TOTALBARSCOUNT", 163, Args(0), FN_RECALC_ALL, CheckArity, 0, 106, BuiltinTotalBarsCount, Kw(8163, 0)},
    {"ISLASTBAR", 164, Args(0), FN_RECALC_ALL, CheckArity, 0, 107, BuiltinIsLastBar, Kw(8164, 0)},
    {"TR", 165, Args(0), FN_NONE, CheckArity, 0, 108, BuiltinTr, Kw(8165, 0)},
    {"SMMA", 166, Args(2), FN_STATE_BLOCK, CheckArity, 2, 109, BuiltinSmma, Kw(8166, 2)},
    {"COST", 210, Args(1), FN_NONE, CheckArity, 0, 124, ConstantStub, kNoKeyword},
    {"PEAK", 211, Args(3), FN_STATE_BLOCK | FN_EXTEND_FORWARD | FN_RECALC_ALL, CheckArity, 0, 125, BuiltinPeak, Kw(8211, 3)},
    {"PEAKBARS", 212, Args(3), FN_STATE_BLOCK | FN_EXTEND_FORWARD | FN_RECALC_ALL, CheckArity, 0, 126, BuiltinPeakBars, Kw(8212, 3)},
    {"SAR", 213, Args(4), FN_STATE_BLOCK | FN_EXTEND_HISTORY | FN_OWN_SERIES, CheckArity, 2, 127, BuiltinSar, Kw(8213, 3)},
    {"SARTURN", 214, Args(4), FN_STATE_BLOCK | FN_EXTEND_HISTORY | FN_OWN_SERIES, CheckArity, 2, 128, BuiltinSarTurn, Kw(8214, 3)},
    {"TROUGH", 215, Args(3), FN_STATE_BLOCK | FN_EXTEND_FORWARD | FN_RECALC_ALL, CheckArity, 0, 129, BuiltinTrough, Kw(8215, 3)},
    {"TROUGHBARS", 216, Args(3), FN_STATE_BLOCK | FN_EXTEND_FORWARD | FN_RECALC_ALL, CheckArity, 0, 130, BuiltinTroughBars, Kw(8216, 3)},
    {"WINNER", 217, Args(1), FN_NONE, CheckArity, 0, 131, ConstantStub, kNoKeyword},
    {"LWINNER", 218, Args(2), FN_NONE, CheckArity, 0, 132, ConstantStub, kNoKeyword},
    {"PWINNER", 219, Args(2), FN_NONE, CheckArity, 0, 133, ConstantStub, kNoKeyword},
    {"COSTEX", 220, Args(2), FN_NONE, CheckArity, 0, 134, ConstantStub, kNoKeyword},
    {"PPART", 221, Args(1), FN_NONE, CheckArity, 0, 135, ConstantStub, kNoKeyword},
    {"ZIG", 222, Args(2), FN_STATE_BLOCK | FN_EXTEND_FORWARD | FN_RECALC_ALL, CheckArity, 0, 136, BuiltinZig, Kw(8222, 2)},
    {"ZIGA", 223, Args(2), FN_STATE_BLOCK | FN_EXTEND_FORWARD | FN_RECALC_ALL, CheckArity, 0, 137, BuiltinZigA, Kw(8223, 2)},
    {"NEWSAR", 224, Args(2), FN_NONE, CheckArity, 0, 138, ConstantStub, kNoKeyword},
    {"POW", 14, Args(2), FN_NONE, CheckArity, 0, 14, BuiltinPow, Kw(8015, 2)},
    {"MOD", 2, Args(2), FN_NONE, CheckArity, 0, 2, BuiltinMod, Kw(8003, 2)},
    {"MAX", 0, Args(2), FN_NONE, CheckArity, 0, 0, BuiltinMax, Kw(8001, 2), KernelOf(KernelKind::Max)},
    {"MIN", 1, Args(2), FN_NONE, CheckArity, 0, 1, BuiltinMin, Kw(8002, 2), KernelOf(KernelKind::Min)},
    {"ABS", 13, Args(1), FN_NONE, CheckArity, 0, 13, BuiltinAbs, Kw(8014, 1), KernelOf(KernelKind::Abs)},
    {"INTPART", 17, Args(1), FN_NONE, CheckArity, 0, 17, BuiltinIntPart, Kw(8018, 1)},
    {"SIGN", 22, Args(1), FN_NONE, CheckArity, 0, 22, BuiltinSign, Kw(8023, 1)},
    {"LOG", 11, Args(1), FN_NONE, CheckArity, 0, 11, BuiltinLog, Kw(8012, 1)},
    {"LN", 10, Args(1), FN_NONE, CheckArity, 0, 10, BuiltinLn, Kw(8011, 1)},
    {"EXP", 9, Args(1), FN_NONE, CheckArity, 0, 9, BuiltinExp, Kw(8010, 1)},
    {"SQRT", 12, Args(1), FN_NONE, CheckArity, 0, 12, BuiltinSqrt, Kw(8013, 1)},
    {"SIN", 7, Args(1), FN_NONE, CheckArity, 0, 7, BuiltinSin, Kw(8008, 1)},
    {"COS", 6, Args(1), FN_NONE, CheckArity, 0, 6, BuiltinCos, Kw(8007, 1)},
    {"TAN", 8, Args(1), FN_NONE, CheckArity, 0, 8, BuiltinTan, Kw(8009, 1)},
    {"ASIN", 4, Args(1), FN_NONE, CheckArity, 0, 4, BuiltinAsin, Kw(8005, 1)},
    {"ACOS", 3, Args(1), FN_NONE, CheckArity, 0, 3, BuiltinAcos, Kw(8004, 1)},
    {"ATAN", 5, Args(1), FN_NONE, CheckArity, 0, 5, BuiltinAtan, Kw(8006, 1)},
    {"CEILING", 15, Args(1), FN_NONE, CheckArity, 0, 15, BuiltinCeiling, Kw(8016, 1)},
    {"FLOOR", 16, Args(1), FN_NONE, CheckArity, 0, 16, BuiltinFloor, Kw(8017, 1)},
    {"BETWEEN", 18, Args(3), FN_NONE, CheckArity, 0, 18, BuiltinBetween, Kw(8019, 3).Alias("range")},
    {"FRACPART", 19, Args(1), FN_NONE, CheckArity, 0, 19, BuiltinFracPart, Kw(8020, 1)},
    {"ROUND", 20, Args(1), FN_NONE, CheckArity, 0, 20, BuiltinRound, Kw(8021, 1)},
    {"ROUND2", 21, Args(2), FN_NONE, CheckArity, 0, 21, BuiltinRound2, Kw(8022, 2)},
    {"RAND", 23, Args(1), FN_NONE, CheckArity, 0, 23, BuiltinRand, Kw(8024, 1)},
    {"LONGCROSS", 41, Args(3), FN_NONE, CheckArity, 3, 26, BuiltinLongCross, Kw(8041, 3)},
    {"CROSS", 40, Args(2), FN_NONE, CheckArity, 0, 25, BuiltinCross, Kw(8040, 2), KernelOf(KernelKind::Cross)},
    {"UPNDAY", 42, Args(2), FN_STATE_BLOCK, CheckArity, 2, 27, BuiltinUpNDay, Kw(8042, 2)},
    {"DOWNNDAY", 43, Args(2), FN_STATE_BLOCK, CheckArity, 2, 28, BuiltinDownNDay, Kw(8043, 2)},
    {"NDAY", 44, Args(3), FN_STATE_BLOCK, CheckArity, 0, 29, BuiltinNDay, Kw(8044, 3)},
    {"EXIST", 45, Args(2), FN_STATE_BLOCK, CheckArity, 2, 30, BuiltinExist, Kw(8045, 2)},
    {"EVERY", 46, Args(2), FN_STATE_BLOCK, CheckArity, 2, 31, BuiltinEvery, Kw(8046, 2)},
    {"LAST", 47, Args(3), FN_NONE, CheckArity, 0, 32, BuiltinLast, Kw(8047, 3)},
    {"NOT", 48, Args(1), FN_NONE, CheckArity, 0, 33, BuiltinNot, Kw(8048, 1)},
    {"IF", 70, Args(3), FN_NONE, CheckArity, 0, 34, BuiltinIf, Kw(8070, 3).Alias("iff"), KernelOf(KernelKind::If)},
    {"IFN", 71, Args(3), FN_NONE, CheckArity, 0, 35, BuiltinIfn, Kw(8071, 3), KernelOf(KernelKind::Ifn)},
    {"VALUEWHEN", 72, Args(3), FN_EXTEND_HISTORY | FN_OWN_SERIES, CheckArity, 0, 36, BuiltinValueWhen, Kw(8072, 2)},
    {"DATETODAY", 90, Args(1), FN_NONE, CheckArity, 0, 37, BuiltinDateToDay, Kw(8090, 1)},
    {"DAYTODATE", 91, Args(1), FN_NONE, CheckArity, 0, 38, BuiltinDayToDate, Kw(8091, 1)},
    {"TIMETOSEC", 92, Args(1), FN_NONE, CheckArity, 0, 39, BuiltinTimeToSec, Kw(8092, 1)},
    {"SECTOTIME", 93, Args(1), FN_NONE, CheckArity, 0, 40, BuiltinSecToTime, Kw(8093, 1)},
    {"PERIOD", 94, Args(0), FN_NONE, CheckArity, 0, 41, BuiltinPeriod, Kw(8094, 0)},
    {"DATE", 95, Args(0), FN_NONE, CheckArity, 0, 42, BuiltinDate, Kw(8095, 0)},
    {"TIME", 96, Args(0), FN_NONE, CheckArity, 0, 43, BuiltinTime, Kw(8096, 0)},
    {"TIME2", 97, Args(0), FN_NONE, CheckArity, 0, 44, BuiltinTime2, Kw(8097, 0)},
    {"YEAR", 98, Args(0), FN_NONE, CheckArity, 0, 45, BuiltinYear, Kw(8098, 0)},
    {"MONTH", 99, Args(0), FN_NONE, CheckArity, 0, 46, BuiltinMonth, Kw(8099, 0)},
    {"WEEKOFYEAR", 100, Args(0), FN_NONE, CheckArity, 0, 47, BuiltinWeekOfYear, Kw(8100, 0)},
    {"WEEKDAY", 101, Args(0), FN_NONE, CheckArity, 0, 48, BuiltinWeekday, Kw(8101, 0)},
    {"DAY", 102, Args(0), FN_NONE, CheckArity, 0, 49, BuiltinDay, Kw(8102, 0)},
    {"HOUR", 103, Args(0), FN_NONE, CheckArity, 0, 50, BuiltinHour, Kw(8103, 0)},
    {"MINUTE", 104, Args(0), FN_NONE, CheckArity, 0, 51, BuiltinMinute, Kw(8104, 0)},
    {"TOTALFZNUM", 105, Args(0), FN_RECALC_ALL, CheckArity, 0, 52, BuiltinTotalFzNum, Kw(8105, 0)},
    {"FROMOPEN", 106, Args(0), FN_RECALC_ALL, CheckArity, 0, 53, BuiltinFromOpen, Kw(8106, 0)},
    {"STD", 184, Args(2), FN_STATE_BLOCK, CheckArity, 2, 114, BuiltinStd, Kw(8182, 2), KernelOf(KernelKind::Std)},
    {"STDP", 182, Args(2), FN_STATE_BLOCK, CheckArity, 2, 115, BuiltinStdP, Kw(8183, 2)},
    {"VAR", 183, Args(2), FN_STATE_BLOCK, CheckArity, 2, 113, BuiltinVar, Kw(8185, 2)},
    {"VARP", 185, Args(2), FN_STATE_BLOCK, CheckArity, 2, 112, BuiltinVarP, Kw(8184, 2)},
    {"AVEDEV", 180, Args(2), FN_STATE_BLOCK, CheckArity, 2, 111, BuiltinAveDev, Kw(8180, 2)},
    {"DEVSQ", 181, Args(2), FN_STATE_BLOCK, CheckArity, 2, 110, BuiltinDevSq, Kw(8181, 2)},
    {"FORCAST", 186, Args(2), FN_NONE, CheckArity, 2, 116, BuiltinForcast, Kw(8186, 2)},
    {"SLOPE", 187, Args(2), FN_NONE, CheckArity, 2, 117, BuiltinSlope, Kw(8187, 2)},
    {"COVAR", 188, Args(3), FN_STATE_BLOCK, CheckArity, 3, 118, BuiltinCovar, Kw(8188, 3)},
    {"RELATE", 189, Args(3), FN_STATE_BLOCK, CheckArity, 3, 119, BuiltinRelate, Kw(8189, 3)},
    {"BETA", 190, Args(1), FN_NONE, CheckArity, 0, 120, ConstantStub, kNoKeyword},
    {"BETAEX", 191, Args(3), FN_NONE, CheckArity, 0, 121, ConstantStub, kNoKeyword},
    {"VOLAT", 192, Args(2), FN_STATE_BLOCK, CheckArity, 2, 122, BuiltinVolat, Kw(8192, 2)},
    {"IVOLAT", 193, Args(2), FN_NONE, CheckArity, 0, 123, ConstantStub, kNoKeyword},
    {"BUY", 240, AtLeast(1), FN_OUTPUT, CheckArity, 0, kNoSlot, nullptr, kNoKeyword},
    {"SELL", 241, AtLeast(1), FN_OUTPUT, CheckArity, 0, kNoSlot, nullptr, kNoKeyword},
    {".CURVELINE", 500, AtLeast(1), FN_OUTPUT, CheckArity, 0, kNoSlot, nullptr, kNoKeyword},
    {".CIRCULAR", 501, AtLeast(4), FN_OUTPUT, CheckArity, 0, kNoSlot, nullptr, kNoKeyword},
    {".COLUMN", 502, AtLeast(3), FN_OUTPUT, CheckArity, 0, kNoSlot, nullptr, kNoKeyword},
    {"DRAWKLINE", 503, AtLeast(4), FN_OUTPUT, CheckArity, 0, kNoSlot, nullptr, Kw(8500, 4)},
    {"RECTREL", 504, AtLeast(5), FN_OUTPUT, CheckArity, 0, kNoSlot, nullptr, kNoKeyword},
    {"PLOYLINE", 505, AtLeast(2), FN_OUTPUT, CheckArity, 0, kNoSlot, nullptr, Kw(8502, 2)},
    {"BAND", 506, AtLeast(4), FN_OUTPUT, CheckArity, 0, kNoSlot, nullptr, Kw(8503, 4).Word("drawband")},
    {"STICK", 507, AtLeast(5), FN_OUTPUT, CheckArity, 0, kNoSlot, nullptr, Kw(8504, 5).Word("stickline")},
    {"DRAWICON", 508, AtLeast(3), FN_OUTPUT, CheckArity, 0, kNoSlot, nullptr, Kw(8505, 3)},
    {"DRAWTEXT", 509, AtLeast(3), FN_OUTPUT, CheckArity, 0, kNoSlot, nullptr, Kw(8506, 3)},
    {"DRAWTEXT_FIX", 510, AtLeast(5), FN_OUTPUT, CheckArity, 0, kNoSlot, nullptr, kNoKeyword},
    {"DRAWNUMBER", 511, AtLeast(3), FN_OUTPUT, CheckArity, 0, kNoSlot, nullptr, Kw(8507, 3)},
    {"DRAWNUMBER_FIX", 512, AtLeast(5), FN_OUTPUT, CheckArity, 0, kNoSlot, nullptr, kNoKeyword},
    {"DRAWBMP", 513, AtLeast(3), FN_OUTPUT, CheckArity, 0, kNoSlot, nullptr, kNoKeyword},
    {"DRAWGBK", 514, AtLeast(6), FN_OUTPUT, CheckArity, 0, kNoSlot, nullptr, kNoKeyword},
    {"DRAWLINE", 515, AtLeast(5), FN_OUTPUT, CheckArity, 0, kNoSlot, nullptr, Kw(8512, 5)},
    {"FILLRGN", 516, AtLeast(4), FN_OUTPUT, CheckArity, 0, kNoSlot, nullptr, Kw(8516, 3)},
    {"RGB", 499, Args(3), FN_NONE, CheckArity, 0, 24, BuiltinRgb, Kw(8499, 3)},
};
// clang-format on
static_assert(sizeof(kBuiltins) / sizeof(kBuiltins[0]) == BUILTIN_COUNT, "the registry has 159 rows");

namespace builtin_registry_detail {

constexpr bool SameText(const char* a, const char* b) {
  for (; *a != '\0' || *b != '\0'; ++a, ++b) {
    if (*a != *b) return false;
  }
  return true;
}

constexpr int32_t TextLength(const char* text) {
  int32_t n = 0;
  while (text[n] != '\0') ++n;
  return n;
}

constexpr bool RowsAreWellFormed() {
  for (const BuiltinRow& row : kBuiltins) {
    if (row.id < 0 || row.id >= FUNCTION_ID_LIMIT || TextLength(row.name) > 15) return false;
  }
  return true;
}
// Which rows carry an implementation, and which check each row uses, are
// checked by the registry test: comparing function addresses is no constant
// expression when the compiler may not assume a function's address is
// non-null (as under the null-pointer sanitizer).
static_assert(RowsAreWellFormed(), "ids below the limit, names fit");

constexpr bool IdsAndNamesAreUnique() {
  for (int32_t i = 0; i < BUILTIN_COUNT; ++i) {
    for (int32_t j = i + 1; j < BUILTIN_COUNT; ++j) {
      if (kBuiltins[i].id == kBuiltins[j].id || SameText(kBuiltins[i].name, kBuiltins[j].name)) return false;
    }
  }
  return true;
}
static_assert(IdsAndNamesAreUnique(), "ids and names are unique");

// Each slot 0..DISPATCH_SLOT_COUNT-1 is served by exactly one row.
constexpr bool SlotsAreDense() {
  for (int32_t slot = 0; slot < DISPATCH_SLOT_COUNT; ++slot) {
    int32_t rows = 0;
    for (const BuiltinRow& row : kBuiltins) rows += row.slot == slot;
    if (rows != 1) return false;
  }
  for (const BuiltinRow& row : kBuiltins) {
    if (row.slot != kNoSlot && (row.slot < 0 || row.slot >= DISPATCH_SLOT_COUNT)) return false;
  }
  return true;
}
static_assert(SlotsAreDense(), "the rows fill the 139 dispatch slots once each");

// FN_OUTPUT marks the signal statements BUY and SELL and the draw ids 500 to
// 516, none of which has a dispatch slot.
constexpr bool OutputRowsAreSignalsAndDraws() {
  for (const BuiltinRow& row : kBuiltins) {
    const bool signal = SameText(row.name, "BUY") || SameText(row.name, "SELL");
    const bool draw = row.id >= 500 && row.id <= 516;
    if (((row.flags & FN_OUTPUT) != 0) != (signal || draw)) return false;
    if ((signal || draw) && row.slot != kNoSlot) return false;
  }
  return true;
}
static_assert(OutputRowsAreSignalsAndDraws(), "the output rows are BUY, SELL and the draw ids");

}  // namespace builtin_registry_detail

// The registry row of a name (exact, upper case); null when none. For
// compile-time use: an unknown name in a constant expression fails to compile.
constexpr const BuiltinRow* BuiltinByName(const char* name) {
  for (const BuiltinRow& row : kBuiltins) {
    if (builtin_registry_detail::SameText(row.name, name)) return &row;
  }
  return nullptr;
}

// The id of a built-in named in a constant expression (an unknown name does not compile).
constexpr int32_t BuiltinId(const char* name) { return BuiltinByName(name)->id; }

// Ids that code outside the tables refers to by name.
constexpr int32_t kXmaId = BuiltinId("XMA");
// Draw statements: ids kFirstDrawId..kLastDrawId; the first three are the
// descriptors of plain outputs (curve, circles, columns).
constexpr int32_t kFirstDrawId = BuiltinId(".CURVELINE");
constexpr int32_t kLastDescriptorId = BuiltinId(".COLUMN");
constexpr int32_t kLastDrawId = BuiltinId("FILLRGN");
constexpr int32_t kDrawCurveLine = kFirstDrawId;
constexpr int32_t kDrawCircular = BuiltinId(".CIRCULAR");
constexpr int32_t kDrawColumn = kLastDescriptorId;
constexpr int32_t kDrawKLine = BuiltinId("DRAWKLINE");
constexpr int32_t kDrawText = BuiltinId("DRAWTEXT");
