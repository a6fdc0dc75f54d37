// The tables derived from the built-in registry hold exactly the rows that
// were written out by hand before the registry existed: the copies below are
// that hand-written text, kept as the oracle.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "formula/eval/builtins/registry.h"
#include "formula/eval/dispatch_table.h"
#include "formula/eval/draw/elements.h"
#include "formula/eval/function_table.h"
#include "formula/frontend/keyword_tables.h"

namespace {

struct InfoRow {
  int32_t id;
  uint32_t argInfo;
  uint32_t flags;
  const char* name;
  ArgCheckFn check;
  int32_t periodArg;
};
const InfoRow kInfoRows[] = {
    {110, 2, 0x52000000u, "BACKSET", CheckArity, 2},
    {111, 1, 0x42000000u, "ALIGNRIGHT", CheckArity, 0},
    {112, 1, 0x02000000u, "BARSCOUNT", CheckArity, 0},
    {113, 1, 0x02000000u, "BARSLAST", CheckArity, 0},
    {114, 1, 0x52000000u, "BARSNEXT", CheckArity, 0},
    {115, 2, 0x02000000u, "BARSSINCEN", CheckArity, 2},
    {116, 1, 0x02000000u, "BARSSINCE", CheckArity, 2},
    {117, 2, 0x02000000u, "COUNT", CheckArity, 2},
    {118, 1, 0x02000000u, "BARSLASTCOUNT", CheckArity, 0},
    {119, 2, 0x02000000u, "HHV", CheckArity, 2},
    {120, 2, 0x02000000u, "HHVBARS", CheckArity, 2},
    {121, 2, 0x00000000u, "HOD", CheckArity, 2},
    {122, 2, 0x02000000u, "LLV", CheckArity, 2},
    {123, 2, 0x02000000u, "LLVBARS", CheckArity, 2},
    {124, 2, 0x00000000u, "LOD", CheckArity, 2},
    {125, 1, 0x00000000u, "REVERSE", CheckArity, 0},
    {126, 2, 0x00000000u, "REF", CheckArity, 2},
    {127, 2, 0x00000000u, "REFV", CheckArity, 2},
    {128, 2, 0x50000000u, "REFX", CheckArity, 0},
    {129, 2, 0x50000000u, "REFXV", CheckArity, 0},
    {130, 2, 0x00000000u, "REFDATE", CheckArity, 0},
    {131, 3, 0x00000000u, "CALCSTOCKINDEX", CheckArity, 0},
    {132, 2, 0x02000000u, "SUM", CheckArity, 2},
    {133, 2, 0x02000000u, "MULAR", CheckArity, 2},
    {134, 2, 0x02000000u, "FILTER", CheckArity, 0},
    {135, 2, 0x02000000u, "FILTERX", CheckArity, 0},
    {136, 5, 0x00000000u, "TFILT", CheckArity, 0},
    {137, 3, 0x02000000u, "TFILTER", CheckArity, 0},
    {138, 5, 0x02000000u, "TTFILTER", CheckArity, 0},
    {139, 2, 0x00000000u, "SUMBARS", CheckArity, 2},
    {140, 2, 0x02000000u, "MA", CheckArity, 2},
    {144, 3, 0x0C000000u, "EMA", CheckOwnSeries, 2},
    {141, 4, 0x0C000000u, "SMA", CheckOwnSeries, 2},
    {148, 3, 0x0C000000u, "DMA", CheckOwnSeries, 2},
    {142, 4, 0x0C000000u, "TMA", CheckArity, 0},
    {143, 3, 0x0C000000u, "MEMA", CheckArity, 2},
    {145, 3, 0x0C000000u, "EXPMA", CheckArity, 2},
    {146, 3, 0x0C000000u, "EXPMEMA", CheckArity, 2},
    {147, 2, 0x02000000u, "WMA", CheckArity, 2},
    {149, 3, 0x0C000000u, "AMA", CheckArity, 0},
    {150, 2, 0x52000000u, "XMA", CheckArity, 2},
    {151, 1, 0x42000000u, "CONST", CheckArity, 0},
    {152, 1, 0x02000000u, "TOPRANGE", CheckArity, 0},
    {153, 1, 0x02000000u, "LOWRANGE", CheckArity, 0},
    {154, 4, 0x00000000u, "FINDHIGH", CheckArity, 2},
    {155, 4, 0x00000000u, "FINDHIGHBARS", CheckArity, 2},
    {156, 4, 0x00000000u, "FINDLOW", CheckArity, 2},
    {157, 4, 0x00000000u, "FINDLOWBARS", CheckArity, 2},
    {158, 2, 0x00000000u, "ZTPRICE", CheckArity, 0},
    {159, 2, 0x00000000u, "DTPRICE", CheckArity, 0},
    {160, 0, 0x00000000u, "DRAWNULL", CheckArity, 0},
    {161, 0, 0x40000000u, "BARSTATUS", CheckArity, 0},
    {162, 0, 0x40000000u, "CURRBARSCOUNT", CheckArity, 0},
    {163, 0, 0x40000000u, "TOTALBARSCOUNT", CheckArity, 0},
    {164, 0, 0x40000000u, "ISLASTBAR", CheckArity, 0},
    {165, 0, 0x00000000u, "TR", CheckArity, 0},
    {166, 2, 0x02000000u, "SMMA", CheckArity, 2},
    {210, 1, 0x00000000u, "COST", CheckArity, 0},
    {211, 3, 0x52000000u, "PEAK", CheckArity, 0},
    {212, 3, 0x52000000u, "PEAKBARS", CheckArity, 0},
    {213, 4, 0x0E000000u, "SAR", CheckArity, 2},
    {214, 4, 0x0E000000u, "SARTURN", CheckArity, 2},
    {215, 3, 0x52000000u, "TROUGH", CheckArity, 0},
    {216, 3, 0x52000000u, "TROUGHBARS", CheckArity, 0},
    {217, 1, 0x00000000u, "WINNER", CheckArity, 0},
    {218, 2, 0x00000000u, "LWINNER", CheckArity, 0},
    {219, 2, 0x00000000u, "PWINNER", CheckArity, 0},
    {220, 2, 0x00000000u, "COSTEX", CheckArity, 0},
    {221, 1, 0x00000000u, "PPART", CheckArity, 0},
    {222, 2, 0x52000000u, "ZIG", CheckArity, 0},
    {223, 2, 0x52000000u, "ZIGA", CheckArity, 0},
    {224, 2, 0x00000000u, "NEWSAR", CheckArity, 0},
    {14, 2, 0x00000000u, "POW", CheckArity, 0},
    {2, 2, 0x00000000u, "MOD", CheckArity, 0},
    {0, 2, 0x00000000u, "MAX", CheckArity, 0},
    {1, 2, 0x00000000u, "MIN", CheckArity, 0},
    {13, 1, 0x00000000u, "ABS", CheckArity, 0},
    {17, 1, 0x00000000u, "INTPART", CheckArity, 0},
    {22, 1, 0x00000000u, "SIGN", CheckArity, 0},
    {11, 1, 0x00000000u, "LOG", CheckArity, 0},
    {10, 1, 0x00000000u, "LN", CheckArity, 0},
    {9, 1, 0x00000000u, "EXP", CheckArity, 0},
    {12, 1, 0x00000000u, "SQRT", CheckArity, 0},
    {7, 1, 0x00000000u, "SIN", CheckArity, 0},
    {6, 1, 0x00000000u, "COS", CheckArity, 0},
    {8, 1, 0x00000000u, "TAN", CheckArity, 0},
    {4, 1, 0x00000000u, "ASIN", CheckArity, 0},
    {3, 1, 0x00000000u, "ACOS", CheckArity, 0},
    {5, 1, 0x00000000u, "ATAN", CheckArity, 0},
    {15, 1, 0x00000000u, "CEILING", CheckArity, 0},
    {16, 1, 0x00000000u, "FLOOR", CheckArity, 0},
    {18, 3, 0x00000000u, "BETWEEN", CheckArity, 0},
    {19, 1, 0x00000000u, "FRACPART", CheckArity, 0},
    {20, 1, 0x00000000u, "ROUND", CheckArity, 0},
    {21, 2, 0x00000000u, "ROUND2", CheckArity, 0},
    {23, 1, 0x00000000u, "RAND", CheckArity, 0},
    {41, 3, 0x00000000u, "LONGCROSS", CheckArity, 3},
    {40, 2, 0x00000000u, "CROSS", CheckArity, 0},
    {42, 2, 0x02000000u, "UPNDAY", CheckArity, 2},
    {43, 2, 0x02000000u, "DOWNNDAY", CheckArity, 2},
    {44, 3, 0x02000000u, "NDAY", CheckArity, 0},
    {45, 2, 0x02000000u, "EXIST", CheckArity, 2},
    {46, 2, 0x02000000u, "EVERY", CheckArity, 2},
    {47, 3, 0x00000000u, "LAST", CheckArity, 0},
    {48, 1, 0x00000000u, "NOT", CheckArity, 0},
    {70, 3, 0x00000000u, "IF", CheckArity, 0},
    {71, 3, 0x00000000u, "IFN", CheckArity, 0},
    {72, 3, 0x0C000000u, "VALUEWHEN", CheckArity, 0},
    {90, 1, 0x00000000u, "DATETODAY", CheckArity, 0},
    {91, 1, 0x00000000u, "DAYTODATE", CheckArity, 0},
    {92, 1, 0x00000000u, "TIMETOSEC", CheckArity, 0},
    {93, 1, 0x00000000u, "SECTOTIME", CheckArity, 0},
    {94, 0, 0x00000000u, "PERIOD", CheckArity, 0},
    {95, 0, 0x00000000u, "DATE", CheckArity, 0},
    {96, 0, 0x00000000u, "TIME", CheckArity, 0},
    {97, 0, 0x00000000u, "TIME2", CheckArity, 0},
    {98, 0, 0x00000000u, "YEAR", CheckArity, 0},
    {99, 0, 0x00000000u, "MONTH", CheckArity, 0},
    {100, 0, 0x00000000u, "WEEKOFYEAR", CheckArity, 0},
    {101, 0, 0x00000000u, "WEEKDAY", CheckArity, 0},
    {102, 0, 0x00000000u, "DAY", CheckArity, 0},
    {103, 0, 0x00000000u, "HOUR", CheckArity, 0},
    {104, 0, 0x00000000u, "MINUTE", CheckArity, 0},
    {105, 0, 0x40000000u, "TOTALFZNUM", CheckArity, 0},
    {106, 0, 0x40000000u, "FROMOPEN", CheckArity, 0},
    {184, 2, 0x02000000u, "STD", CheckArity, 2},
    {182, 2, 0x02000000u, "STDP", CheckArity, 2},
    {183, 2, 0x02000000u, "VAR", CheckArity, 2},
    {185, 2, 0x02000000u, "VARP", CheckArity, 2},
    {180, 2, 0x02000000u, "AVEDEV", CheckArity, 2},
    {181, 2, 0x02000000u, "DEVSQ", CheckArity, 2},
    {186, 2, 0x00000000u, "FORCAST", CheckArity, 2},
    {187, 2, 0x00000000u, "SLOPE", CheckArity, 2},
    {188, 3, 0x02000000u, "COVAR", CheckArity, 3},
    {189, 3, 0x02000000u, "RELATE", CheckArity, 3},
    {190, 1, 0x00000000u, "BETA", CheckArity, 0},
    {191, 3, 0x00000000u, "BETAEX", CheckArity, 0},
    {192, 2, 0x02000000u, "VOLAT", CheckArity, 2},
    {193, 2, 0x00000000u, "IVOLAT", CheckArity, 0},
    {240, ARG_AT_LEAST | 1, 0x20000000u, "BUY", CheckArity, 0},
    {241, ARG_AT_LEAST | 1, 0x20000000u, "SELL", CheckArity, 0},
    {500, ARG_AT_LEAST | 1, 0x20000000u, ".CURVELINE", CheckArity, 0},
    {501, ARG_AT_LEAST | 4, 0x20000000u, ".CIRCULAR", CheckArity, 0},
    {502, ARG_AT_LEAST | 3, 0x20000000u, ".COLUMN", CheckArity, 0},
    {503, ARG_AT_LEAST | 4, 0x20000000u, "DRAWKLINE", CheckArity, 0},
    {504, ARG_AT_LEAST | 5, 0x20000000u, "RECTREL", CheckArity, 0},
    {505, ARG_AT_LEAST | 2, 0x20000000u, "PLOYLINE", CheckArity, 0},
    {506, ARG_AT_LEAST | 4, 0x20000000u, "BAND", CheckArity, 0},
    {507, ARG_AT_LEAST | 5, 0x20000000u, "STICK", CheckArity, 0},
    {508, ARG_AT_LEAST | 3, 0x20000000u, "DRAWICON", CheckArity, 0},
    {509, ARG_AT_LEAST | 3, 0x20000000u, "DRAWTEXT", CheckArity, 0},
    {510, ARG_AT_LEAST | 5, 0x20000000u, "DRAWTEXT_FIX", CheckArity, 0},
    {511, ARG_AT_LEAST | 3, 0x20000000u, "DRAWNUMBER", CheckArity, 0},
    {512, ARG_AT_LEAST | 5, 0x20000000u, "DRAWNUMBER_FIX", CheckArity, 0},
    {513, ARG_AT_LEAST | 3, 0x20000000u, "DRAWBMP", CheckArity, 0},
    {514, ARG_AT_LEAST | 6, 0x20000000u, "DRAWGBK", CheckArity, 0},
    {515, ARG_AT_LEAST | 5, 0x20000000u, "DRAWLINE", CheckArity, 0},
    {516, ARG_AT_LEAST | 4, 0x20000000u, "FILLRGN", CheckArity, 0},
    {499, 3, 0x00000000u, "RGB", CheckArity, 0},
};

TEST(BuiltinRegistryTest, FunctionInfoTableKeepsEveryRow) {
  ASSERT_EQ(sizeof(kInfoRows) / sizeof(kInfoRows[0]), FunctionInfoTable.size());
  for (size_t row = 0; row < FunctionInfoTable.size(); ++row) {
    const FunctionInfo& f = FunctionInfoTable[row];
    const InfoRow& want = kInfoRows[row];
    EXPECT_EQ(f.id, want.id) << row;
    EXPECT_EQ(f.argInfo, want.argInfo) << row;
    EXPECT_EQ(f.flags, want.flags) << row;
    EXPECT_STREQ(f.name, want.name) << row;
    EXPECT_EQ(f.check, want.check) << row;
    EXPECT_EQ(f.periodArg, want.periodArg) << row;
    EXPECT_EQ(FunctionRowById(want.id), static_cast<int32_t>(row)) << want.name;
  }
}

const DispatchEntry kSlots[] = {
    {BuiltinMax, 0},
    {BuiltinMin, 1},
    {BuiltinMod, 2},
    {BuiltinAcos, 3},
    {BuiltinAsin, 4},
    {BuiltinAtan, 5},
    {BuiltinCos, 6},
    {BuiltinSin, 7},
    {BuiltinTan, 8},
    {BuiltinExp, 9},
    {BuiltinLn, 10},
    {BuiltinLog, 11},
    {BuiltinSqrt, 12},
    {BuiltinAbs, 13},
    {BuiltinPow, 14},
    {BuiltinCeiling, 15},
    {BuiltinFloor, 16},
    {BuiltinIntPart, 17},
    {BuiltinBetween, 18},
    {BuiltinFracPart, 19},
    {BuiltinRound, 20},
    {BuiltinRound2, 21},
    {BuiltinSign, 22},
    {BuiltinRand, 23},
    {BuiltinRgb, 499},
    {BuiltinCross, 40},
    {BuiltinLongCross, 41},
    {BuiltinUpNDay, 42},
    {BuiltinDownNDay, 43},
    {BuiltinNDay, 44},
    {BuiltinExist, 45},
    {BuiltinEvery, 46},
    {BuiltinLast, 47},
    {BuiltinNot, 48},
    {BuiltinIf, 70},
    {BuiltinIfn, 71},
    {BuiltinValueWhen, 72},
    {BuiltinDateToDay, 90},
    {BuiltinDayToDate, 91},
    {BuiltinTimeToSec, 92},
    {BuiltinSecToTime, 93},
    {BuiltinPeriod, 94},
    {BuiltinDate, 95},
    {BuiltinTime, 96},
    {BuiltinTime2, 97},
    {BuiltinYear, 98},
    {BuiltinMonth, 99},
    {BuiltinWeekOfYear, 100},
    {BuiltinWeekday, 101},
    {BuiltinDay, 102},
    {BuiltinHour, 103},
    {BuiltinMinute, 104},
    {BuiltinTotalFzNum, 105},
    {BuiltinFromOpen, 106},
    {BuiltinBackSet, 110},
    {BuiltinAlignRight, 111},
    {BuiltinBarsCount, 112},
    {BuiltinBarsLast, 113},
    {BuiltinBarsNext, 114},
    {BuiltinBarsSinceN, 115},
    {BuiltinBarsSince, 116},
    {BuiltinCount, 117},
    {BuiltinBarsLastCount, 118},
    {BuiltinHhv, 119},
    {BuiltinHhvBars, 120},
    {BuiltinHod, 121},
    {BuiltinLlv, 122},
    {BuiltinLlvBars, 123},
    {BuiltinLod, 124},
    {BuiltinRef, 126},
    {BuiltinRefV, 127},
    {BuiltinRefX, 128},
    {BuiltinRefXV, 129},
    {BuiltinRefDate, 130},
    {ConstantStub, 131},
    {BuiltinSum, 132},
    {BuiltinMular, 133},
    {BuiltinFilter, 134},
    {BuiltinFilterX, 135},
    {ConstantStub, 136},
    {BuiltinTFilter, 137},
    {BuiltinTTFilter, 138},
    {BuiltinSumBars, 139},
    {BuiltinMa, 140},
    {BuiltinSma, 141},
    {BuiltinTma, 142},
    {BuiltinMema, 143},
    {BuiltinEma, 144},
    {BuiltinExpMa, 145},
    {BuiltinExpMema, 146},
    {BuiltinWma, 147},
    {BuiltinDma, 148},
    {BuiltinAma, 149},
    {BuiltinXma, 150},
    {BuiltinConst, 151},
    {BuiltinTopRange, 152},
    {BuiltinLowRange, 153},
    {BuiltinFindHigh, 154},
    {BuiltinFindHighBars, 155},
    {BuiltinFindLow, 156},
    {BuiltinFindLowBars, 157},
    {BuiltinZtPrice, 158},
    {BuiltinDtPrice, 159},
    {BuiltinDrawNull, 160},
    {BuiltinBarStatus, 161},
    {BuiltinCurrBarsCount, 162},
    {BuiltinTotalBarsCount, 163},
    {BuiltinIsLastBar, 164},
    {BuiltinTr, 165},
    {BuiltinSmma, 166},
    {BuiltinDevSq, 181},
    {BuiltinAveDev, 180},
    {BuiltinVarP, 185},
    {BuiltinVar, 183},
    {BuiltinStd, 184},
    {BuiltinStdP, 182},
    {BuiltinForcast, 186},
    {BuiltinSlope, 187},
    {BuiltinCovar, 188},
    {BuiltinRelate, 189},
    {ConstantStub, 190},
    {ConstantStub, 191},
    {BuiltinVolat, 192},
    {ConstantStub, 193},
    {ConstantStub, 210},
    {BuiltinPeak, 211},
    {BuiltinPeakBars, 212},
    {BuiltinSar, 213},
    {BuiltinSarTurn, 214},
    {BuiltinTrough, 215},
    {BuiltinTroughBars, 216},
    {ConstantStub, 217},
    {ConstantStub, 218},
    {ConstantStub, 219},
    {ConstantStub, 220},
    {ConstantStub, 221},
    {BuiltinZig, 222},
    {BuiltinZigA, 223},
    {ConstantStub, 224},
};

TEST(BuiltinRegistryTest, DispatchSlotsKeepTheirImplementations) {
  const int32_t slots = static_cast<int32_t>(sizeof(kSlots) / sizeof(kSlots[0]));
  for (int32_t slot = 0; slot < slots; ++slot) {
    const DispatchEntry* entry = DispatchSlot(slot);
    ASSERT_NE(entry, nullptr) << slot;
    EXPECT_EQ(entry->impl, kSlots[slot].impl) << slot;
    EXPECT_EQ(entry->id, kSlots[slot].id) << slot;
    EXPECT_EQ(DispatchSlotOfId(kSlots[slot].id), slot);
  }
  EXPECT_EQ(DispatchSlot(slots), nullptr);
}

// The function keywords: word, token, argument count and script word.
struct KeywordOracle {
  const char* word;
  int32_t id;
  int32_t argCount;
  const char* scriptWord;
};
const KeywordOracle kFunctionKeywords[] = {
    {"max", 8001, 2, "max"},
    {"min", 8002, 2, "min"},
    {"mod", 8003, 2, "mod"},
    {"acos", 8004, 1, "acos"},
    {"asin", 8005, 1, "asin"},
    {"atan", 8006, 1, "atan"},
    {"cos", 8007, 1, "cos"},
    {"sin", 8008, 1, "sin"},
    {"tan", 8009, 1, "tan"},
    {"exp", 8010, 1, "exp"},
    {"ln", 8011, 1, "ln"},
    {"log", 8012, 1, "log"},
    {"sqrt", 8013, 1, "sqrt"},
    {"abs", 8014, 1, "abs"},
    {"pow", 8015, 2, "pow"},
    {"ceiling", 8016, 1, "ceiling"},
    {"floor", 8017, 1, "floor"},
    {"intpart", 8018, 1, "intpart"},
    {"between", 8019, 3, "between"},
    {"range", 8019, 3, "between"},
    {"fracpart", 8020, 1, "fracpart"},
    {"round", 8021, 1, "round"},
    {"round2", 8022, 2, "round2"},
    {"sign", 8023, 1, "sign"},
    {"rand", 8024, 1, "rand"},
    {"cross", 8040, 2, "cross"},
    {"longcross", 8041, 3, "longcross"},
    {"upnday", 8042, 2, "upnday"},
    {"downnday", 8043, 2, "downnday"},
    {"nday", 8044, 3, "nday"},
    {"exist", 8045, 2, "exist"},
    {"every", 8046, 2, "every"},
    {"last", 8047, 3, "last"},
    {"not", 8048, 1, "not"},
    {"if", 8070, 3, "if"},
    {"iff", 8070, 3, "if"},
    {"ifn", 8071, 3, "ifn"},
    {"valuewhen", 8072, 2, "valuewhen"},
    {"datetoday", 8090, 1, "datetoday"},
    {"daytodate", 8091, 1, "daytodate"},
    {"timetosec", 8092, 1, "timetosec"},
    {"sectotime", 8093, 1, "sectotime"},
    {"period", 8094, 0, "period"},
    {"date", 8095, 0, "date"},
    {"time", 8096, 0, "time"},
    {"time2", 8097, 0, "time2"},
    {"year", 8098, 0, "year"},
    {"month", 8099, 0, "month"},
    {"weekofyear", 8100, 0, "weekofyear"},
    {"weekday", 8101, 0, "weekday"},
    {"day", 8102, 0, "day"},
    {"hour", 8103, 0, "hour"},
    {"minute", 8104, 0, "minute"},
    {"totalfznum", 8105, 0, "totalfznum"},
    {"fromopen", 8106, 0, "fromopen"},
    {"backset", 8110, 2, "backset"},
    {"alignright", 8111, 1, "alignright"},
    {"barscount", 8112, 1, "barscount"},
    {"barslast", 8113, 1, "barslast"},
    {"barsnext", 8114, 1, "barsnext"},
    {"barssincen", 8115, 2, "barssincen"},
    {"barssince", 8116, 1, "barssince"},
    {"count", 8117, 2, "count"},
    {"barslastcount", 8118, 1, "barslastcount"},
    {"hhv", 8119, 2, "hhv"},
    {"hhvbars", 8120, 2, "hhvbars"},
    {"hod", 8121, 2, "hod"},
    {"llv", 8122, 2, "llv"},
    {"llvbars", 8123, 2, "llvbars"},
    {"lod", 8124, 2, "lod"},
    {"reverse", 8125, 1, "0-"},
    {"ref", 8126, 2, "ref"},
    {"refv", 8127, 2, "refv"},
    {"refx", 8128, 2, "refx"},
    {"refxv", 8129, 2, "refxv"},
    {"refdate", 8130, 2, "refdate"},
    {"sum", 8132, 2, "sum"},
    {"mular", 8133, 2, "mular"},
    {"filter", 8134, 2, "filter"},
    {"sumbars", 8139, 2, "sumbars"},
    {"ma", 8140, 2, "ma"},
    {"sma", 8141, 3, "sma"},
    {"tma", 8142, 3, "tma"},
    {"mema", 8143, 2, "mema"},
    {"ema", 8144, 2, "ema"},
    {"expma", 8145, 2, "expma"},
    {"expmema", 8146, 2, "expmema"},
    {"wma", 8147, 2, "wma"},
    {"dma", 8148, 2, "dma"},
    {"ama", 8149, 2, "ama"},
    {"xma", 8150, 2, "xma"},
    {"const", 8151, 1, "const"},
    {"toprange", 8152, 1, "toprange"},
    {"lowrange", 8153, 1, "lowrange"},
    {"findhigh", 8154, 4, "findhigh"},
    {"findhighbars", 8155, 4, "findhighbars"},
    {"findlow", 8156, 4, "findlow"},
    {"findlowbars", 8157, 4, "findlowbars"},
    {"ztprice", 8158, 2, "ztprice"},
    {"dtprice", 8159, 2, "dtprice"},
    {"drawnull", 8160, 0, "drawnull"},
    {"barstatus", 8161, 0, "barstatus"},
    {"currbarscount", 8162, 0, "currbarscount"},
    {"totalbarscount", 8163, 0, "totalbarscount"},
    {"islastbar", 8164, 0, "islastbar"},
    {"tr", 8165, 0, "tr"},
    {"smma", 8166, 2, "smma"},
    {"avedev", 8180, 2, "avedev"},
    {"devsq", 8181, 2, "devsq"},
    {"std", 8182, 2, "std"},
    {"stdp", 8183, 2, "stdp"},
    {"varp", 8184, 2, "varp"},
    {"var", 8185, 2, "var"},
    {"forcast", 8186, 2, "forcast"},
    {"slope", 8187, 2, "slope"},
    {"covar", 8188, 3, "covar"},
    {"relate", 8189, 3, "relate"},
    {"volat", 8192, 2, "volat"},
    {"peak", 8211, 3, "peak"},
    {"peakbars", 8212, 3, "peakbars"},
    {"sar", 8213, 3, "sar"},
    {"sarturn", 8214, 3, "sarturn"},
    {"trough", 8215, 3, "trough"},
    {"troughbars", 8216, 3, "troughbars"},
    {"zig", 8222, 2, "zig"},
    {"ziga", 8223, 2, "ziga"},
    {"rgb", 8499, 3, "rgb"},
    {"drawkline", 8500, 4, nullptr},
    {"ployline", 8502, 2, nullptr},
    {"drawband", 8503, 4, nullptr},
    {"stickline", 8504, 5, nullptr},
    {"drawicon", 8505, 3, nullptr},
    {"drawtext", 8506, 3, nullptr},
    {"drawnumber", 8507, 3, nullptr},
    {"drawline", 8512, 5, nullptr},
    {"fillrgn", 8516, 3, nullptr},
};
constexpr int32_t kFirstFunctionKeyword = 23;  // after the operators and brackets

TEST(BuiltinRegistryTest, FunctionKeywordsKeepTheirRowsAndScriptWords) {
  BuildKeywordTables();
  ASSERT_EQ(KeywordCount(), 217);
  int32_t index = kFirstFunctionKeyword;
  for (const KeywordOracle& want : kFunctionKeywords) {
    const KeywordInfo row = KeywordAt(index++);
    ASSERT_NE(row.word, nullptr);
    EXPECT_STREQ(row.word, want.word);
    EXPECT_EQ(row.id, want.id) << want.word;
    EXPECT_EQ(row.argCount, want.argCount) << want.word;
    EXPECT_EQ(LookupKeyword(want.word), want.id) << want.word;
    EXPECT_EQ(ArgCountOf(want.id), want.argCount) << want.word;
    if (want.scriptWord == nullptr) {
      EXPECT_EQ(ScriptWordOf(want.id), nullptr) << want.word;
    } else {
      EXPECT_STREQ(ScriptWordOf(want.id), want.scriptWord) << want.word;
    }
  }
  // The rows around the function keywords are an operator and a style.
  EXPECT_STREQ(KeywordAt(kFirstFunctionKeyword - 1).word, ",");
  EXPECT_STREQ(KeywordAt(index).word, "volstick");
}

struct DrawNameOracle {
  int32_t id;
  const char* name;
};
const DrawNameOracle kDrawNames[] = {
    {8500, "drawkline"}, {8502, "ployline"},   {8503, "band"},     {8504, "stick"},   {8505, "drawicon"},
    {8506, "drawtext"},  {8507, "drawnumber"}, {8512, "drawline"}, {8516, "fillrgn"},
};

TEST(BuiltinRegistryTest, DrawNamesKeepTheirTokens) {
  for (int32_t id = TOKEN_DRAW_FIRST; id <= TOKEN_DRAW_LAST; ++id) {
    const char* want = nullptr;
    for (const DrawNameOracle& row : kDrawNames) {
      if (row.id == id) want = row.name;
    }
    if (want == nullptr) {
      EXPECT_EQ(DrawNameOf(id), nullptr) << id;
      EXPECT_FALSE(IsDrawFunction(id)) << id;
    } else {
      EXPECT_STREQ(DrawNameOf(id), want) << id;
    }
  }
}

TEST(BuiltinRegistryTest, SharedIdsNameTheirFunctions) {
  struct Case {
    int32_t constant;
    int32_t id;
    const char* name;
  };
  const Case cases[] = {
      {kXmaId, 150, "XMA"},          {kFirstDrawId, 500, ".CURVELINE"},   {kDrawCircular, 501, ".CIRCULAR"},
      {kDrawColumn, 502, ".COLUMN"}, {kLastDescriptorId, 502, ".COLUMN"}, {kDrawKLine, 503, "DRAWKLINE"},
      {kDrawText, 509, "DRAWTEXT"},  {kLastDrawId, 516, "FILLRGN"},
  };
  for (const Case& c : cases) {
    int32_t id = -1;
    EXPECT_GE(FindFunction(c.name, &id), 0) << c.name;
    EXPECT_EQ(id, c.id) << c.name;
    EXPECT_EQ(c.constant, c.id) << c.name;
  }
}

TEST(BuiltinRegistryTest, RowsHaveAnImplementationExactlyWhereTheyHaveASlot) {
  int32_t implemented = 0;
  for (const BuiltinRow& row : kBuiltins) {
    EXPECT_EQ(row.slot == kNoSlot, row.impl == nullptr) << row.name;
    implemented += row.impl != nullptr;
  }
  EXPECT_EQ(implemented, DISPATCH_SLOT_COUNT);
}

TEST(BuiltinRegistryTest, OwnSeriesCheckOnlyForTheAveragesHandedTheirSeries) {
  for (const BuiltinRow& row : kBuiltins) {
    const std::string name = row.name;
    const bool averaged = name == "SMA" || name == "EMA" || name == "DMA";
    EXPECT_EQ(row.check, averaged ? CheckOwnSeries : CheckArity) << name;
  }
}

}  // namespace
