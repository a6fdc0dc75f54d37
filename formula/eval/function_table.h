#pragma once
// The function-info table: every function the formula language knows, with
// its id, argument count, flags, name, argument check and period argument.
// The translator resolves names and checks calls against it.
#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "formula/eval/calculate_info.h"

// Checks a call record against its row; the variable table is the one the
// call's OPK_VAR operands index. Returns EVAL_OK or EVAL_BAD_ARGUMENT.
using ArgCheckFn = int32_t (*)(const ExprRecord* call, const std::vector<ExprRecord*>& vars);

// Check A: element 0 names a known function id and the number of arguments
// (count - 1, or count - 2 for OP_CALL_STATE) matches its argument count.
int32_t CheckArity(const ExprRecord* call, const std::vector<ExprRecord*>& vars);
// Check B: check A, then element 1 is an OPK_VAR into vars whose record names
// a series of storage kind 4 or 5 (the function's own result series).
int32_t CheckOwnSeries(const ExprRecord* call, const std::vector<ExprRecord*>& vars);

// argInfo: the low 27 bits hold the argument count; ARG_AT_LEAST makes it a minimum.
constexpr uint32_t ARG_COUNT_MASK = 0x07FFFFFFu;
constexpr uint32_t ARG_AT_LEAST = 0x08000000u;

// flags bits.
constexpr uint32_t FN_TWO_STATE_BLOCKS = 0x01000000u;  // with FN_STATE_BLOCK: two blocks
constexpr uint32_t FN_STATE_BLOCK = 0x02000000u;       // compiled as OP_CALL_STATE, one block
constexpr uint32_t FN_EXTEND_HISTORY = 0x04000000u;    // sets m_extendHistory
constexpr uint32_t FN_OWN_SERIES = 0x08000000u;        // keeps its own result series; not in outputs
constexpr uint32_t FN_EXTEND_FORWARD = 0x10000000u;    // sets m_extendForward
constexpr uint32_t FN_OUTPUT = 0x20000000u;            // drawing and signal statements
constexpr uint32_t FN_RECALC_ALL = 0x40000000u;        // sets m_recalcAll

struct FunctionInfo {
  int32_t id;
  uint32_t argInfo;
  uint32_t flags;
  char name[16];  // upper case, zero-terminated
  ArgCheckFn check;
  int32_t periodArg;  // 1-based argument holding the look-back period; 0 when none
};

constexpr int32_t FUNCTION_COUNT = 159;
// Function ids are below this bound; it is also the size of the id indexes.
constexpr int32_t FUNCTION_ID_LIMIT = 600;

// Rows in table order; the row number is the position.
inline constexpr FunctionInfo FunctionInfoTable[] = {
    {110, 2, 0x52000000, "BACKSET", CheckArity, 2},  // 0
    {111, 1, 0x42000000, "ALIGNRIGHT", CheckArity, 0},  // 1
    {112, 1, 0x02000000, "BARSCOUNT", CheckArity, 0},  // 2
    {113, 1, 0x02000000, "BARSLAST", CheckArity, 0},  // 3
    {114, 1, 0x52000000, "BARSNEXT", CheckArity, 0},  // 4
    {115, 2, 0x02000000, "BARSSINCEN", CheckArity, 2},  // 5
    {116, 1, 0x02000000, "BARSSINCE", CheckArity, 2},  // 6
    {117, 2, 0x02000000, "COUNT", CheckArity, 2},  // 7
    {118, 1, 0x02000000, "BARSLASTCOUNT", CheckArity, 0},  // 8
    {119, 2, 0x02000000, "HHV", CheckArity, 2},  // 9
    {120, 2, 0x02000000, "HHVBARS", CheckArity, 2},  // 10
    {121, 2, 0x00000000, "HOD", CheckArity, 2},  // 11
    {122, 2, 0x02000000, "LLV", CheckArity, 2},  // 12
    {123, 2, 0x02000000, "LLVBARS", CheckArity, 2},  // 13
    {124, 2, 0x00000000, "LOD", CheckArity, 2},  // 14
    {125, 1, 0x00000000, "REVERSE", CheckArity, 0},  // 15
    {126, 2, 0x00000000, "REF", CheckArity, 2},  // 16
    {127, 2, 0x00000000, "REFV", CheckArity, 2},  // 17
    {128, 2, 0x50000000, "REFX", CheckArity, 0},  // 18
    {129, 2, 0x50000000, "REFXV", CheckArity, 0},  // 19
    {130, 2, 0x00000000, "REFDATE", CheckArity, 0},  // 20
    {131, 3, 0x00000000, "CALCSTOCKINDEX", CheckArity, 0},  // 21
    {132, 2, 0x02000000, "SUM", CheckArity, 2},  // 22
    {133, 2, 0x02000000, "MULAR", CheckArity, 2},  // 23
    {134, 2, 0x02000000, "FILTER", CheckArity, 0},  // 24
    {135, 2, 0x02000000, "FILTERX", CheckArity, 0},  // 25
    {136, 5, 0x00000000, "TFILT", CheckArity, 0},  // 26
    {137, 3, 0x02000000, "TFILTER", CheckArity, 0},  // 27
    {138, 5, 0x02000000, "TTFILTER", CheckArity, 0},  // 28
    {139, 2, 0x00000000, "SUMBARS", CheckArity, 2},  // 29
    {140, 2, 0x02000000, "MA", CheckArity, 2},  // 30
    {144, 3, 0x0C000000, "EMA", CheckOwnSeries, 2},  // 31
    {141, 4, 0x0C000000, "SMA", CheckOwnSeries, 2},  // 32
    {148, 3, 0x0C000000, "DMA", CheckOwnSeries, 2},  // 33
    {142, 4, 0x0C000000, "TMA", CheckArity, 0},  // 34
    {143, 3, 0x0C000000, "MEMA", CheckArity, 2},  // 35
    {145, 3, 0x0C000000, "EXPMA", CheckArity, 2},  // 36
    {146, 3, 0x0C000000, "EXPMEMA", CheckArity, 2},  // 37
    {147, 2, 0x02000000, "WMA", CheckArity, 2},  // 38
    {149, 3, 0x0C000000, "AMA", CheckArity, 0},  // 39
    {150, 2, 0x52000000, "XMA", CheckArity, 2},  // 40
    {151, 1, 0x42000000, "CONST", CheckArity, 0},  // 41
    {152, 1, 0x02000000, "TOPRANGE", CheckArity, 0},  // 42
    {153, 1, 0x02000000, "LOWRANGE", CheckArity, 0},  // 43
    {154, 4, 0x00000000, "FINDHIGH", CheckArity, 2},  // 44
    {155, 4, 0x00000000, "FINDHIGHBARS", CheckArity, 2},  // 45
    {156, 4, 0x00000000, "FINDLOW", CheckArity, 2},  // 46
    {157, 4, 0x00000000, "FINDLOWBARS", CheckArity, 2},  // 47
    {158, 2, 0x00000000, "ZTPRICE", CheckArity, 0},  // 48
    {159, 2, 0x00000000, "DTPRICE", CheckArity, 0},  // 49
    {160, 0, 0x00000000, "DRAWNULL", CheckArity, 0},  // 50
    {161, 0, 0x40000000, "BARSTATUS", CheckArity, 0},  // 51
    {162, 0, 0x40000000, "CURRBARSCOUNT", CheckArity, 0},  // 52
    {163, 0, 0x40000000, "TOTALBARSCOUNT", CheckArity, 0},  // 53
    {164, 0, 0x40000000, "ISLASTBAR", CheckArity, 0},  // 54
    {165, 0, 0x00000000, "TR", CheckArity, 0},  // 55
    {166, 2, 0x02000000, "SMMA", CheckArity, 2},  // 56
    {210, 1, 0x00000000, "COST", CheckArity, 0},  // 57
    {211, 3, 0x52000000, "PEAK", CheckArity, 0},  // 58
    {212, 3, 0x52000000, "PEAKBARS", CheckArity, 0},  // 59
    {213, 4, 0x0E000000, "SAR", CheckArity, 2},  // 60
    {214, 4, 0x0E000000, "SARTURN", CheckArity, 2},  // 61
    {215, 3, 0x52000000, "TROUGH", CheckArity, 0},  // 62
    {216, 3, 0x52000000, "TROUGHBARS", CheckArity, 0},  // 63
    {217, 1, 0x00000000, "WINNER", CheckArity, 0},  // 64
    {218, 2, 0x00000000, "LWINNER", CheckArity, 0},  // 65
    {219, 2, 0x00000000, "PWINNER", CheckArity, 0},  // 66
    {220, 2, 0x00000000, "COSTEX", CheckArity, 0},  // 67
    {221, 1, 0x00000000, "PPART", CheckArity, 0},  // 68
    {222, 2, 0x52000000, "ZIG", CheckArity, 0},  // 69
    {223, 2, 0x52000000, "ZIGA", CheckArity, 0},  // 70
    {224, 2, 0x00000000, "NEWSAR", CheckArity, 0},  // 71
    {14, 2, 0x00000000, "POW", CheckArity, 0},  // 72
    {2, 2, 0x00000000, "MOD", CheckArity, 0},  // 73
    {0, 2, 0x00000000, "MAX", CheckArity, 0},  // 74
    {1, 2, 0x00000000, "MIN", CheckArity, 0},  // 75
    {13, 1, 0x00000000, "ABS", CheckArity, 0},  // 76
    {17, 1, 0x00000000, "INTPART", CheckArity, 0},  // 77
    {22, 1, 0x00000000, "SIGN", CheckArity, 0},  // 78
    {11, 1, 0x00000000, "LOG", CheckArity, 0},  // 79
    {10, 1, 0x00000000, "LN", CheckArity, 0},  // 80
    {9, 1, 0x00000000, "EXP", CheckArity, 0},  // 81
    {12, 1, 0x00000000, "SQRT", CheckArity, 0},  // 82
    {7, 1, 0x00000000, "SIN", CheckArity, 0},  // 83
    {6, 1, 0x00000000, "COS", CheckArity, 0},  // 84
    {8, 1, 0x00000000, "TAN", CheckArity, 0},  // 85
    {4, 1, 0x00000000, "ASIN", CheckArity, 0},  // 86
    {3, 1, 0x00000000, "ACOS", CheckArity, 0},  // 87
    {5, 1, 0x00000000, "ATAN", CheckArity, 0},  // 88
    {15, 1, 0x00000000, "CEILING", CheckArity, 0},  // 89
    {16, 1, 0x00000000, "FLOOR", CheckArity, 0},  // 90
    {18, 3, 0x00000000, "BETWEEN", CheckArity, 0},  // 91
    {19, 1, 0x00000000, "FRACPART", CheckArity, 0},  // 92
    {20, 1, 0x00000000, "ROUND", CheckArity, 0},  // 93
    {21, 2, 0x00000000, "ROUND2", CheckArity, 0},  // 94
    {23, 1, 0x00000000, "RAND", CheckArity, 0},  // 95
    {41, 3, 0x00000000, "LONGCROSS", CheckArity, 3},  // 96
    {40, 2, 0x00000000, "CROSS", CheckArity, 0},  // 97
    {42, 2, 0x02000000, "UPNDAY", CheckArity, 2},  // 98
    {43, 2, 0x02000000, "DOWNNDAY", CheckArity, 2},  // 99
    {44, 3, 0x02000000, "NDAY", CheckArity, 0},  // 100
    {45, 2, 0x02000000, "EXIST", CheckArity, 2},  // 101
    {46, 2, 0x02000000, "EVERY", CheckArity, 2},  // 102
    {47, 3, 0x00000000, "LAST", CheckArity, 0},  // 103
    {48, 1, 0x00000000, "NOT", CheckArity, 0},  // 104
    {70, 3, 0x00000000, "IF", CheckArity, 0},  // 105
    {71, 3, 0x00000000, "IFN", CheckArity, 0},  // 106
    {72, 3, 0x0C000000, "VALUEWHEN", CheckArity, 0},  // 107
    {90, 1, 0x00000000, "DATETODAY", CheckArity, 0},  // 108
    {91, 1, 0x00000000, "DAYTODATE", CheckArity, 0},  // 109
    {92, 1, 0x00000000, "TIMETOSEC", CheckArity, 0},  // 110
    {93, 1, 0x00000000, "SECTOTIME", CheckArity, 0},  // 111
    {94, 0, 0x00000000, "PERIOD", CheckArity, 0},  // 112
    {95, 0, 0x00000000, "DATE", CheckArity, 0},  // 113
    {96, 0, 0x00000000, "TIME", CheckArity, 0},  // 114
    {97, 0, 0x00000000, "TIME2", CheckArity, 0},  // 115
    {98, 0, 0x00000000, "YEAR", CheckArity, 0},  // 116
    {99, 0, 0x00000000, "MONTH", CheckArity, 0},  // 117
    {100, 0, 0x00000000, "WEEKOFYEAR", CheckArity, 0},  // 118
    {101, 0, 0x00000000, "WEEKDAY", CheckArity, 0},  // 119
    {102, 0, 0x00000000, "DAY", CheckArity, 0},  // 120
    {103, 0, 0x00000000, "HOUR", CheckArity, 0},  // 121
    {104, 0, 0x00000000, "MINUTE", CheckArity, 0},  // 122
    {105, 0, 0x40000000, "TOTALFZNUM", CheckArity, 0},  // 123
    {106, 0, 0x40000000, "FROMOPEN", CheckArity, 0},  // 124
    {184, 2, 0x02000000, "STD", CheckArity, 2},  // 125
    {182, 2, 0x02000000, "STDP", CheckArity, 2},  // 126
    {183, 2, 0x02000000, "VAR", CheckArity, 2},  // 127
    {185, 2, 0x02000000, "VARP", CheckArity, 2},  // 128
    {180, 2, 0x02000000, "AVEDEV", CheckArity, 2},  // 129
    {181, 2, 0x02000000, "DEVSQ", CheckArity, 2},  // 130
    {186, 2, 0x00000000, "FORCAST", CheckArity, 2},  // 131
    {187, 2, 0x00000000, "SLOPE", CheckArity, 2},  // 132
    {188, 3, 0x02000000, "COVAR", CheckArity, 3},  // 133
    {189, 3, 0x02000000, "RELATE", CheckArity, 3},  // 134
    {190, 1, 0x00000000, "BETA", CheckArity, 0},  // 135
    {191, 3, 0x00000000, "BETAEX", CheckArity, 0},  // 136
    {192, 2, 0x02000000, "VOLAT", CheckArity, 2},  // 137
    {193, 2, 0x00000000, "IVOLAT", CheckArity, 0},  // 138
    {240, ARG_AT_LEAST | 1, 0x20000000, "BUY", CheckArity, 0},  // 139
    {241, ARG_AT_LEAST | 1, 0x20000000, "SELL", CheckArity, 0},  // 140
    {500, ARG_AT_LEAST | 1, 0x20000000, ".CURVELINE", CheckArity, 0},  // 141
    {501, ARG_AT_LEAST | 4, 0x20000000, ".CIRCULAR", CheckArity, 0},  // 142
    {502, ARG_AT_LEAST | 3, 0x20000000, ".COLUMN", CheckArity, 0},  // 143
    {503, ARG_AT_LEAST | 4, 0x20000000, "DRAWKLINE", CheckArity, 0},  // 144
    {504, ARG_AT_LEAST | 5, 0x20000000, "RECTREL", CheckArity, 0},  // 145
    {505, ARG_AT_LEAST | 2, 0x20000000, "PLOYLINE", CheckArity, 0},  // 146
    {506, ARG_AT_LEAST | 4, 0x20000000, "BAND", CheckArity, 0},  // 147
    {507, ARG_AT_LEAST | 5, 0x20000000, "STICK", CheckArity, 0},  // 148
    {508, ARG_AT_LEAST | 3, 0x20000000, "DRAWICON", CheckArity, 0},  // 149
    {509, ARG_AT_LEAST | 3, 0x20000000, "DRAWTEXT", CheckArity, 0},  // 150
    {510, ARG_AT_LEAST | 5, 0x20000000, "DRAWTEXT_FIX", CheckArity, 0},  // 151
    {511, ARG_AT_LEAST | 3, 0x20000000, "DRAWNUMBER", CheckArity, 0},  // 152
    {512, ARG_AT_LEAST | 5, 0x20000000, "DRAWNUMBER_FIX", CheckArity, 0},  // 153
    {513, ARG_AT_LEAST | 3, 0x20000000, "DRAWBMP", CheckArity, 0},  // 154
    {514, ARG_AT_LEAST | 6, 0x20000000, "DRAWGBK", CheckArity, 0},  // 155
    {515, ARG_AT_LEAST | 5, 0x20000000, "DRAWLINE", CheckArity, 0},  // 156
    {516, ARG_AT_LEAST | 4, 0x20000000, "FILLRGN", CheckArity, 0},  // 157
    {499, 3, 0x00000000, "RGB", CheckArity, 0},  // 158
};
static_assert(sizeof(FunctionInfoTable) / sizeof(FunctionInfoTable[0]) == FUNCTION_COUNT,
              "the function-info table has 159 rows");

namespace function_table_detail {

constexpr std::array<int16_t, FUNCTION_ID_LIMIT> BuildRowIndex() {
  std::array<int16_t, FUNCTION_ID_LIMIT> index{};
  for (auto& v : index) v = -1;
  for (int32_t row = 0; row < FUNCTION_COUNT; ++row) {
    const int32_t id = FunctionInfoTable[row].id;
    if (index[id] == -1) index[id] = static_cast<int16_t>(row);
  }
  return index;
}

}  // namespace function_table_detail

// Row of each function id (the first row with that id), -1 for unknown ids.
inline constexpr std::array<int16_t, FUNCTION_ID_LIMIT> FunctionRowIndex = function_table_detail::BuildRowIndex();

// Row number of a function id, or -1.
constexpr int32_t FunctionRowById(int32_t id) {
  return id >= 0 && id < FUNCTION_ID_LIMIT ? FunctionRowIndex[id] : -1;
}
// The row of a function id, or null.
constexpr const FunctionInfo* FunctionInfoById(int32_t id) {
  const int32_t row = FunctionRowById(id);
  return row < 0 ? nullptr : &FunctionInfoTable[row];
}
// The argument count (low 27 bits of argInfo) of a function id; 0 when unknown.
constexpr int32_t FunctionArgCount(int32_t id) {
  const FunctionInfo* f = FunctionInfoById(id);
  return f == nullptr ? 0 : static_cast<int32_t>(f->argInfo & ARG_COUNT_MASK);
}

// Looks a function up by name, ASCII letters compared in upper case. Returns
// the row number and stores the row's id in *id (both -1 when not found).
int32_t FindFunction(std::string_view name, int32_t* id);

// Runs the row's check (A or B) for a call record; EVAL_BAD_ARGUMENT when the
// record or its function is unknown.
int32_t CheckCall(const ExprRecord* call, const std::vector<ExprRecord*>& vars);

// The check the translator runs on every output statement: an OP_CALL of a
// known function with enough arguments, every argument a number, parameter,
// text, variable or an operator/call tree of those, and no call of a
// function that keeps its own series.
int32_t CheckOutputStatement(const Statement* s);
