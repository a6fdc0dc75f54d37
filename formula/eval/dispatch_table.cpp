#include "formula/eval/dispatch_table.h"

#include <array>

#include "formula/eval/builtin_stub.h"
#include "formula/eval/builtins_averages.h"
#include "formula/eval/builtins_counts.h"
#include "formula/eval/builtins_extremes.h"
#include "formula/eval/builtins_logic.h"
#include "formula/eval/builtins_math.h"
#include "formula/eval/builtins_refs.h"
#include "formula/eval/builtins_searches.h"
#include "formula/eval/builtins_signals.h"
#include "formula/eval/builtins_stats.h"
#include "formula/eval/builtins_status.h"
#include "formula/eval/builtins_sums.h"
#include "formula/eval/builtins_time.h"
#include "formula/eval/builtins_trend.h"
#include "formula/eval/builtins_wholerange.h"
#include "formula/eval/builtins_zigzag.h"
#include "formula/eval/function_table.h"

namespace {

// One slot per line: {implementation, function id},  // slot NAME
constexpr DispatchEntry DispatchTable[] = {
    {BuiltinMax, 0},  // 0 MAX
    {BuiltinMin, 1},  // 1 MIN
    {BuiltinMod, 2},  // 2 MOD
    {BuiltinAcos, 3},  // 3 ACOS
    {BuiltinAsin, 4},  // 4 ASIN
    {BuiltinAtan, 5},  // 5 ATAN
    {BuiltinCos, 6},  // 6 COS
    {BuiltinSin, 7},  // 7 SIN
    {BuiltinTan, 8},  // 8 TAN
    {BuiltinExp, 9},  // 9 EXP
    {BuiltinLn, 10},  // 10 LN
    {BuiltinLog, 11},  // 11 LOG
    {BuiltinSqrt, 12},  // 12 SQRT
    {BuiltinAbs, 13},  // 13 ABS
    {BuiltinPow, 14},  // 14 POW
    {BuiltinCeiling, 15},  // 15 CEILING
    {BuiltinFloor, 16},  // 16 FLOOR
    {BuiltinIntPart, 17},  // 17 INTPART
    {BuiltinBetween, 18},  // 18 BETWEEN
    {BuiltinFracPart, 19},  // 19 FRACPART
    {BuiltinRound, 20},  // 20 ROUND
    {BuiltinRound2, 21},  // 21 ROUND2
    {BuiltinSign, 22},  // 22 SIGN
    {BuiltinRand, 23},  // 23 RAND
    {BuiltinRgb, 499},  // 24 RGB
    {BuiltinCross, 40},  // 25 CROSS
    {BuiltinLongCross, 41},  // 26 LONGCROSS
    {BuiltinUpNDay, 42},  // 27 UPNDAY
    {BuiltinDownNDay, 43},  // 28 DOWNNDAY
    {BuiltinNDay, 44},  // 29 NDAY
    {BuiltinExist, 45},  // 30 EXIST
    {BuiltinEvery, 46},  // 31 EVERY
    {BuiltinLast, 47},  // 32 LAST
    {BuiltinNot, 48},  // 33 NOT
    {BuiltinIf, 70},  // 34 IF
    {BuiltinIfn, 71},  // 35 IFN
    {BuiltinValueWhen, 72},  // 36 VALUEWHEN
    {BuiltinDateToDay, 90},  // 37 DATETODAY
    {BuiltinDayToDate, 91},  // 38 DAYTODATE
    {BuiltinTimeToSec, 92},  // 39 TIMETOSEC
    {BuiltinSecToTime, 93},  // 40 SECTOTIME
    {BuiltinPeriod, 94},  // 41 PERIOD
    {BuiltinDate, 95},  // 42 DATE
    {BuiltinTime, 96},  // 43 TIME
    {BuiltinTime2, 97},  // 44 TIME2
    {BuiltinYear, 98},  // 45 YEAR
    {BuiltinMonth, 99},  // 46 MONTH
    {BuiltinWeekOfYear, 100},  // 47 WEEKOFYEAR
    {BuiltinWeekday, 101},  // 48 WEEKDAY
    {BuiltinDay, 102},  // 49 DAY
    {BuiltinHour, 103},  // 50 HOUR
    {BuiltinMinute, 104},  // 51 MINUTE
    {BuiltinTotalFzNum, 105},  // 52 TOTALFZNUM
    {BuiltinFromOpen, 106},  // 53 FROMOPEN
    {BuiltinBackSet, 110},  // 54 BACKSET
    {BuiltinAlignRight, 111},  // 55 ALIGNRIGHT
    {BuiltinBarsCount, 112},  // 56 BARSCOUNT
    {BuiltinBarsLast, 113},  // 57 BARSLAST
    {BuiltinBarsNext, 114},  // 58 BARSNEXT
    {BuiltinBarsSinceN, 115},  // 59 BARSSINCEN
    {BuiltinBarsSince, 116},  // 60 BARSSINCE
    {BuiltinCount, 117},  // 61 COUNT
    {BuiltinBarsLastCount, 118},  // 62 BARSLASTCOUNT
    {BuiltinHhv, 119},  // 63 HHV
    {BuiltinHhvBars, 120},  // 64 HHVBARS
    {BuiltinHod, 121},  // 65 HOD
    {BuiltinLlv, 122},  // 66 LLV
    {BuiltinLlvBars, 123},  // 67 LLVBARS
    {BuiltinLod, 124},  // 68 LOD
    {BuiltinRef, 126},  // 69 REF
    {BuiltinRefV, 127},  // 70 REFV
    {BuiltinRefX, 128},  // 71 REFX
    {BuiltinRefXV, 129},  // 72 REFXV
    {BuiltinRefDate, 130},  // 73 REFDATE
    {ConstantStub, 131},  // 74 CALCSTOCKINDEX
    {BuiltinSum, 132},  // 75 SUM
    {BuiltinMular, 133},  // 76 MULAR
    {BuiltinFilter, 134},  // 77 FILTER
    {BuiltinFilterX, 135},  // 78 FILTERX
    {ConstantStub, 136},  // 79 TFILT
    {BuiltinTFilter, 137},  // 80 TFILTER
    {BuiltinTTFilter, 138},  // 81 TTFILTER
    {BuiltinSumBars, 139},  // 82 SUMBARS
    {BuiltinMa, 140},  // 83 MA
    {BuiltinSma, 141},  // 84 SMA
    {BuiltinTma, 142},  // 85 TMA
    {BuiltinMema, 143},  // 86 MEMA
    {BuiltinEma, 144},  // 87 EMA
    {BuiltinExpMa, 145},  // 88 EXPMA
    {BuiltinExpMema, 146},  // 89 EXPMEMA
    {BuiltinWma, 147},  // 90 WMA
    {BuiltinDma, 148},  // 91 DMA
    {BuiltinAma, 149},  // 92 AMA
    {BuiltinXma, 150},  // 93 XMA
    {BuiltinConst, 151},  // 94 CONST
    {BuiltinTopRange, 152},  // 95 TOPRANGE
    {BuiltinLowRange, 153},  // 96 LOWRANGE
    {BuiltinFindHigh, 154},  // 97 FINDHIGH
    {BuiltinFindHighBars, 155},  // 98 FINDHIGHBARS
    {BuiltinFindLow, 156},  // 99 FINDLOW
    {BuiltinFindLowBars, 157},  // 100 FINDLOWBARS
    {BuiltinZtPrice, 158},  // 101 ZTPRICE
    {BuiltinDtPrice, 159},  // 102 DTPRICE
    {BuiltinDrawNull, 160},  // 103 DRAWNULL
    {BuiltinBarStatus, 161},  // 104 BARSTATUS
    {BuiltinCurrBarsCount, 162},  // 105 CURRBARSCOUNT
    {BuiltinTotalBarsCount, 163},  // 106 TOTALBARSCOUNT
    {BuiltinIsLastBar, 164},  // 107 ISLASTBAR
    {BuiltinTr, 165},  // 108 TR
    {BuiltinSmma, 166},  // 109 SMMA
    {BuiltinDevSq, 181},  // 110 DEVSQ
    {BuiltinAveDev, 180},  // 111 AVEDEV
    {BuiltinVarP, 185},  // 112 VARP
    {BuiltinVar, 183},  // 113 VAR
    {BuiltinStd, 184},  // 114 STD
    {BuiltinStdP, 182},  // 115 STDP
    {BuiltinForcast, 186},  // 116 FORCAST
    {BuiltinSlope, 187},  // 117 SLOPE
    {BuiltinCovar, 188},  // 118 COVAR
    {BuiltinRelate, 189},  // 119 RELATE
    {ConstantStub, 190},  // 120 BETA
    {ConstantStub, 191},  // 121 BETAEX
    {BuiltinVolat, 192},  // 122 VOLAT
    {ConstantStub, 193},  // 123 IVOLAT
    {ConstantStub, 210},  // 124 COST
    {BuiltinPeak, 211},  // 125 PEAK
    {BuiltinPeakBars, 212},  // 126 PEAKBARS
    {BuiltinSar, 213},  // 127 SAR
    {BuiltinSarTurn, 214},  // 128 SARTURN
    {BuiltinTrough, 215},  // 129 TROUGH
    {BuiltinTroughBars, 216},  // 130 TROUGHBARS
    {ConstantStub, 217},  // 131 WINNER
    {ConstantStub, 218},  // 132 LWINNER
    {ConstantStub, 219},  // 133 PWINNER
    {ConstantStub, 220},  // 134 COSTEX
    {ConstantStub, 221},  // 135 PPART
    {BuiltinZig, 222},  // 136 ZIG
    {BuiltinZigA, 223},  // 137 ZIGA
    {ConstantStub, 224},  // 138 NEWSAR
};
static_assert(sizeof(DispatchTable) / sizeof(DispatchTable[0]) == DISPATCH_SLOT_COUNT,
              "the dispatch table has 139 slots");

// Walks the slots in order, so a later slot with the same id would win.
constexpr std::array<int16_t, FUNCTION_ID_LIMIT> BuildSlotIndex() {
  std::array<int16_t, FUNCTION_ID_LIMIT> index{};
  for (auto& v : index) v = -1;
  for (int32_t slot = 0; slot < DISPATCH_SLOT_COUNT; ++slot) {
    index[DispatchTable[slot].id] = static_cast<int16_t>(slot);
  }
  return index;
}

constexpr std::array<int16_t, FUNCTION_ID_LIMIT> SlotIndex = BuildSlotIndex();

constexpr bool EverySlotIdIsAFunction() {
  for (const DispatchEntry& e : DispatchTable) {
    if (FunctionRowById(e.id) < 0) return false;
  }
  return true;
}
static_assert(EverySlotIdIsAFunction(), "every slot serves a function of the function-info table");

}  // namespace

const DispatchEntry* DispatchSlot(int32_t slot) {
  return slot >= 0 && slot < DISPATCH_SLOT_COUNT ? &DispatchTable[slot] : nullptr;
}

int32_t DispatchSlotOfId(int32_t id) { return id >= 0 && id < FUNCTION_ID_LIMIT ? SlotIndex[id] : -1; }
