#include "formula/frontend/keyword_tables.h"

#include <atomic>
#include <mutex>
#include <string>
#include <unordered_map>

#include "formula/frontend/compile_lock.h"

namespace {

// One keyword of the language. argCount is -1 for words that are no function;
// scriptWord is what the script writer emits for the id (nullptr: none).
struct KeywordRow {
    const char* word;
    int32_t id;
    int32_t argCount;
    const char* scriptWord;
};

constexpr KeywordRow kKeywordRows[] = {
    // Operators and brackets.
    {":", 1001, -1, "="}, {":=", 1002, -1, "="}, {"or", 2001, -1, "|"}, {"||", 2001, -1, "|"},
    {"and", 3001, -1, "&"}, {"&&", 3001, -1, "&"}, {">", 4001, -1, ">"}, {"<", 4002, -1, "<"},
    {">=", 4005, -1, ">="}, {"<=", 4006, -1, "<="}, {"=", 4008, -1, "="}, {"!=", 4009, -1, "<>"},
    {"><", 4009, -1, "<>"}, {"<>", 4009, -1, "<>"}, {"+", 5001, -1, "+"}, {"-", 5002, -1, "-"},
    {"*", 6001, -1, "*"}, {"/", 6002, -1, "/"}, {"*-", 6003, -1, "*-"}, {"/-", 6004, -1, "/-"},
    {"(", 9001, -1, "("}, {")", 9002, -1, ")"}, {",", 9005, -1, ","},
    // Functions.
    {"max", 8001, 2, "max"}, {"min", 8002, 2, "min"}, {"mod", 8003, 2, "mod"},
    {"acos", 8004, 1, "acos"}, {"asin", 8005, 1, "asin"}, {"atan", 8006, 1, "atan"},
    {"cos", 8007, 1, "cos"}, {"sin", 8008, 1, "sin"}, {"tan", 8009, 1, "tan"},
    {"exp", 8010, 1, "exp"}, {"ln", 8011, 1, "ln"}, {"log", 8012, 1, "log"},
    {"sqrt", 8013, 1, "sqrt"}, {"abs", 8014, 1, "abs"}, {"pow", 8015, 2, "pow"},
    {"ceiling", 8016, 1, "ceiling"}, {"floor", 8017, 1, "floor"}, {"intpart", 8018, 1, "intpart"},
    {"between", 8019, 3, "between"}, {"range", 8019, 3, "between"},
    {"fracpart", 8020, 1, "fracpart"}, {"round", 8021, 1, "round"}, {"round2", 8022, 2, "round2"},
    {"sign", 8023, 1, "sign"}, {"rand", 8024, 1, "rand"}, {"cross", 8040, 2, "cross"},
    {"longcross", 8041, 3, "longcross"}, {"upnday", 8042, 2, "upnday"},
    {"downnday", 8043, 2, "downnday"}, {"nday", 8044, 3, "nday"}, {"exist", 8045, 2, "exist"},
    {"every", 8046, 2, "every"}, {"last", 8047, 3, "last"}, {"not", 8048, 1, "not"},
    {"if", 8070, 3, "if"}, {"iff", 8070, 3, "if"}, {"ifn", 8071, 3, "ifn"},
    {"valuewhen", 8072, 2, "valuewhen"}, {"datetoday", 8090, 1, "datetoday"},
    {"daytodate", 8091, 1, "daytodate"}, {"timetosec", 8092, 1, "timetosec"},
    {"sectotime", 8093, 1, "sectotime"}, {"period", 8094, 0, "period"}, {"date", 8095, 0, "date"},
    {"time", 8096, 0, "time"}, {"time2", 8097, 0, "time2"}, {"year", 8098, 0, "year"},
    {"month", 8099, 0, "month"}, {"weekofyear", 8100, 0, "weekofyear"},
    {"weekday", 8101, 0, "weekday"}, {"day", 8102, 0, "day"}, {"hour", 8103, 0, "hour"},
    {"minute", 8104, 0, "minute"}, {"totalfznum", 8105, 0, "totalfznum"},
    {"fromopen", 8106, 0, "fromopen"}, {"backset", 8110, 2, "backset"},
    {"alignright", 8111, 1, "alignright"}, {"barscount", 8112, 1, "barscount"},
    {"barslast", 8113, 1, "barslast"}, {"barsnext", 8114, 1, "barsnext"},
    {"barssincen", 8115, 2, "barssincen"}, {"barssince", 8116, 1, "barssince"},
    {"count", 8117, 2, "count"}, {"barslastcount", 8118, 1, "barslastcount"},
    {"hhv", 8119, 2, "hhv"}, {"hhvbars", 8120, 2, "hhvbars"}, {"hod", 8121, 2, "hod"},
    {"llv", 8122, 2, "llv"}, {"llvbars", 8123, 2, "llvbars"}, {"lod", 8124, 2, "lod"},
    {"reverse", 8125, 1, "0-"}, {"ref", 8126, 2, "ref"}, {"refv", 8127, 2, "refv"},
    {"refx", 8128, 2, "refx"}, {"refxv", 8129, 2, "refxv"}, {"refdate", 8130, 2, "refdate"},
    {"sum", 8132, 2, "sum"}, {"mular", 8133, 2, "mular"}, {"filter", 8134, 2, "filter"},
    {"sumbars", 8139, 2, "sumbars"}, {"ma", 8140, 2, "ma"}, {"sma", 8141, 3, "sma"},
    {"tma", 8142, 3, "tma"}, {"mema", 8143, 2, "mema"}, {"ema", 8144, 2, "ema"},
    {"expma", 8145, 2, "expma"}, {"expmema", 8146, 2, "expmema"}, {"wma", 8147, 2, "wma"},
    {"dma", 8148, 2, "dma"}, {"ama", 8149, 2, "ama"}, {"xma", 8150, 2, "xma"},
    {"const", 8151, 1, "const"}, {"toprange", 8152, 1, "toprange"},
    {"lowrange", 8153, 1, "lowrange"}, {"findhigh", 8154, 4, "findhigh"},
    {"findhighbars", 8155, 4, "findhighbars"}, {"findlow", 8156, 4, "findlow"},
    {"findlowbars", 8157, 4, "findlowbars"}, {"ztprice", 8158, 2, "ztprice"},
    {"dtprice", 8159, 2, "dtprice"}, {"drawnull", 8160, 0, "drawnull"},
    {"barstatus", 8161, 0, "barstatus"}, {"currbarscount", 8162, 0, "currbarscount"},
    {"totalbarscount", 8163, 0, "totalbarscount"}, {"islastbar", 8164, 0, "islastbar"},
    {"tr", 8165, 0, "tr"}, {"smma", 8166, 2, "smma"}, {"avedev", 8180, 2, "avedev"},
    {"devsq", 8181, 2, "devsq"}, {"std", 8182, 2, "std"}, {"stdp", 8183, 2, "stdp"},
    {"varp", 8184, 2, "varp"}, {"var", 8185, 2, "var"}, {"forcast", 8186, 2, "forcast"},
    {"slope", 8187, 2, "slope"}, {"covar", 8188, 3, "covar"}, {"relate", 8189, 3, "relate"},
    {"volat", 8192, 2, "volat"}, {"peak", 8211, 3, "peak"}, {"peakbars", 8212, 3, "peakbars"},
    {"sar", 8213, 3, "sar"}, {"sarturn", 8214, 3, "sarturn"}, {"trough", 8215, 3, "trough"},
    {"troughbars", 8216, 3, "troughbars"}, {"zig", 8222, 2, "zig"}, {"ziga", 8223, 2, "ziga"},
    {"rgb", 8499, 3, "rgb"},
    // Draw functions: written through the draw-name table.
    {"drawkline", 8500, 4, nullptr}, {"ployline", 8502, 2, nullptr}, {"drawband", 8503, 4, nullptr},
    {"stickline", 8504, 5, nullptr}, {"drawicon", 8505, 3, nullptr}, {"drawtext", 8506, 3, nullptr},
    {"drawnumber", 8507, 3, nullptr}, {"drawline", 8512, 5, nullptr}, {"fillrgn", 8516, 3, nullptr},
    // Styles.
    {"volstick", 9010, -1, nullptr}, {"stick", 9011, -1, nullptr}, {"circledot", 9012, -1, nullptr},
    {"linestick", 9013, -1, nullptr}, {"crossdot", 9014, -1, nullptr},
    {"colorstick", 9015, -1, nullptr}, {"nodraw", 9018, -1, nullptr}, {"dotline", 9019, -1, nullptr},
    {"noframe", 9020, -1, nullptr}, {"drawabove", 9021, -1, nullptr}, {"pointdot", 9022, -1, nullptr},
    {"sarline", 9023, -1, nullptr}, {"rtvolstick", 9024, -1, nullptr},
    // Named colours.
    {"colorred", 9100, -1, nullptr}, {"colorgreen", 9101, -1, nullptr},
    {"colorblue", 9102, -1, nullptr}, {"coloryellow", 9103, -1, nullptr},
    {"colororange", 9104, -1, nullptr}, {"colorpurple", 9105, -1, nullptr},
    {"colorblack", 9106, -1, nullptr}, {"colorwhite", 9107, -1, nullptr},
    {"colormagenta", 9108, -1, nullptr}, {"colorcyan", 9109, -1, nullptr},
    {"colorbrown", 9110, -1, nullptr}, {"colorligray", 9111, -1, nullptr},
    {"colorgray", 9112, -1, nullptr}, {"colorliblue", 9113, -1, nullptr},
    {"colorligreen", 9114, -1, nullptr}, {"colorlicyan", 9115, -1, nullptr},
    {"colorlired", 9116, -1, nullptr}, {"colorlimagenta", 9117, -1, nullptr},
    // Line widths.
    {"linethick1", 9301, -1, nullptr}, {"linethick2", 9302, -1, nullptr},
    {"linethick3", 9303, -1, nullptr}, {"linethick4", 9304, -1, nullptr},
    {"linethick5", 9305, -1, nullptr}, {"linethick6", 9306, -1, nullptr},
    {"linethick7", 9307, -1, nullptr}, {"linethick8", 9308, -1, nullptr},
    {"linethick9", 9309, -1, nullptr},
    // Data fields: the first row of each id names the field.
    {"open", 9501, -1, "open"}, {"o", 9501, -1, "open"}, {"high", 9502, -1, "high"},
    {"h", 9502, -1, "high"}, {"low", 9503, -1, "low"}, {"l", 9503, -1, "low"},
    {"close", 9504, -1, "close"}, {"c", 9504, -1, "close"}, {"vol", 9505, -1, "vol"},
    {"v", 9505, -1, "vol"}, {"amount", 9508, -1, "amount"}, {"per", 9517, -1, "per"},
    {"turnover", 9518, -1, "turnover"}, {"vola", 9519, -1, "vola"}, {"iv", 9520, -1, "iv"},
    {"totalvol", 9521, -1, "totalvol"}, {"totalamount", 9522, -1, "totalamount"},
    {"capital", 9550, -1, "capital"},
};
static_assert(sizeof(kKeywordRows) / sizeof(kKeywordRows[0]) == 217, "KeywordTable has 217 entries");

constexpr size_t kRowCount = sizeof(kKeywordRows) / sizeof(kKeywordRows[0]);

// Number of distinct ids among the rows that satisfy a predicate (first row of each id counts).
template <typename Pred>
constexpr int CountDistinctIds(Pred pred) {
    int count = 0;
    for (size_t i = 0; i < kRowCount; ++i) {
        bool seen = false;
        for (size_t j = 0; j < i; ++j) {
            if (kKeywordRows[j].id == kKeywordRows[i].id) seen = true;
        }
        if (!seen && pred(kKeywordRows[i])) ++count;
    }
    return count;
}
// ScriptWordTable: every id with a script word, plus the statement end.
static_assert(CountDistinctIds([](const KeywordRow& r) { return r.scriptWord != nullptr; }) + 1 == 158,
              "ScriptWordTable has 158 entries");
static_assert(CountDistinctIds([](const KeywordRow& r) { return r.argCount >= 0; }) == 134,
              "ArgCountTable has 134 entries");
static_assert(CountDistinctIds([](const KeywordRow& r) { return r.id >= 9500 && r.id <= 9999; }) == 13,
              "FieldNameTable has 13 entries");

// Names of the draw functions in the script.
struct DrawNameRow {
    int32_t id;
    const char* name;
};
constexpr DrawNameRow kDrawNames[] = {
    {8500, "drawkline"}, {8502, "ployline"}, {8503, "band"},     {8504, "stick"},   {8505, "drawicon"},
    {8506, "drawtext"},  {8507, "drawnumber"}, {8512, "drawline"}, {8516, "fillrgn"},
};
static_assert(sizeof(kDrawNames) / sizeof(kDrawNames[0]) == 9, "DrawFunctionSet has 9 entries");

// Values (0xAABBGGRR) of the named colour keywords.
struct NamedColourRow {
    int32_t id;
    uint32_t value;
};
constexpr NamedColourRow kNamedColours[] = {
    {9100, 0xFF3D3DFFu}, {9101, 0xFF4DB927u}, {9102, 0xFFF59331u}, {9103, 0xFF00AAE8u},
    {9104, 0xFF0064FFu}, {9105, 0xFFFF00FFu}, {9106, 0xFF000000u}, {9107, 0xFFFFFFFFu},
    {9108, 0xFF9038F3u}, {9109, 0xFFA3CF0Au}, {9110, 0xFF165EB8u}, {9111, 0xFFC7C0B9u},
    {9112, 0xFF80766Du}, {9113, 0xFFFDA752u}, {9114, 0xFF90D974u}, {9115, 0xFFBED974u},
    {9116, 0xFF9B9BF1u}, {9117, 0xFFC59BC1u},
};
static_assert(sizeof(kNamedColours) / sizeof(kNamedColours[0]) == 18, "18 named colours");

// FieldIdTable: upper-case field name to the data-field id of the compiled program.
struct FieldIdRow {
    const char* name;
    int32_t id;
};
constexpr FieldIdRow kFieldIds[] = {
    {"HIGH", 1},         {"OPEN", 2},      {"LOW", 3},         {"CLOSE", 4},     {"AMOUNT", 5},
    {"VOL", 6},          {"ADVANCE", 7},   {"DECLINE", 8},     {"VOLINSTK", 9},  {"QHJSJ", 10},
    {"HKSHORTVOL", 11},  {"PER", 12},      {"TURNOVER", 13},   {"VOLA", 14},     {"PRECLOSE", 15},
    {"IV", 16},          {"TOTALAMOUNT", 17}, {"TOTALVOL", 18}, {"CAPITAL", 501},
};
static_assert(sizeof(kFieldIds) / sizeof(kFieldIds[0]) == 19, "FieldIdTable has 19 entries");

// The tables built from the rows above.
struct KeywordTables {
    std::unordered_map<std::string, int32_t> keywords;       // KeywordTable
    std::unordered_map<int32_t, const char*> scriptWords;    // ScriptWordTable
    std::unordered_map<int32_t, int32_t> argCounts;          // ArgCountTable
    std::unordered_map<int32_t, const char*> fieldNames;     // FieldNameTable
    std::unordered_map<int32_t, std::string> firstKeywords;  // alphabetically first keyword by id
};

// Built once and never freed: the tables live until the process ends.
KeywordTables* g_tables = nullptr;
std::atomic<bool> g_built{false};

void AddRow(KeywordTables& t, const KeywordRow& row) {
    t.keywords.emplace(row.word, row.id);
    if (row.scriptWord != nullptr) t.scriptWords.emplace(row.id, row.scriptWord);
    if (row.argCount >= 0) t.argCounts.emplace(row.id, row.argCount);
    if (row.id >= TOKEN_FIELD_FIRST && row.id <= TOKEN_FIELD_LAST) t.fieldNames.emplace(row.id, row.scriptWord);
    auto first = t.firstKeywords.find(row.id);
    if (first == t.firstKeywords.end()) {
        t.firstKeywords.emplace(row.id, row.word);
    } else if (first->second > row.word) {
        first->second = row.word;
    }
}

}  // namespace

void BuildKeywordTables() {
    if (g_built.load(std::memory_order_acquire)) return;
    // Compile already holds this (recursive) lock; taking it here keeps any other caller safe too.
    std::lock_guard<std::recursive_mutex> lock(CompileLock());
    if (g_built.load(std::memory_order_relaxed)) return;
    auto* tables = new KeywordTables();
    for (const KeywordRow& row : kKeywordRows) AddRow(*tables, row);
    tables->scriptWords.emplace(TOKEN_STATEMENT_END, "\r\n");
    g_tables = tables;
    g_built.store(true, std::memory_order_release);
}

bool KeywordTablesBuilt() { return g_built.load(std::memory_order_acquire); }

int32_t CharClassOf(unsigned char ch) {
    switch (ch) {
        case '{': case '}': return CHAR_BRACE;
        case ' ': case '\t': case '\r': case '\n': return CHAR_SEPARATOR;
        case '"': return CHAR_IGNORED;
        case '\'': return CHAR_QUOTE;
        case '+': case '-': case '*': case '/': case '>': case ',': case '<':
        case '=': case ')': case '(': case '!': case ':': case '&': case '|':
            return CHAR_OPERATOR;
        default: break;
    }
    if ((ch >= '0' && ch <= '9') || ch == '.') return CHAR_NUMBER;
    return CHAR_NAME;
}

int32_t LookupKeyword(const std::string& word) {
    if (!KeywordTablesBuilt()) return 0;
    auto it = g_tables->keywords.find(word);
    return it == g_tables->keywords.end() ? 0 : it->second;
}

const char* ScriptWordOf(int32_t id) {
    if (!KeywordTablesBuilt()) return nullptr;
    auto it = g_tables->scriptWords.find(id);
    return it == g_tables->scriptWords.end() ? nullptr : it->second;
}

int32_t ArgCountOf(int32_t id) {
    if (!KeywordTablesBuilt()) return -1;
    auto it = g_tables->argCounts.find(id);
    return it == g_tables->argCounts.end() ? -1 : it->second;
}

bool IsDrawFunction(int32_t id) { return DrawNameOf(id) != nullptr; }

const char* DrawNameOf(int32_t id) {
    for (const DrawNameRow& row : kDrawNames) {
        if (row.id == id) return row.name;
    }
    return nullptr;
}

const char* FieldNameOf(int32_t id) {
    if (!KeywordTablesBuilt()) return nullptr;
    auto it = g_tables->fieldNames.find(id);
    return it == g_tables->fieldNames.end() ? nullptr : it->second;
}

const char* FirstKeywordOf(int32_t id) {
    if (!KeywordTablesBuilt()) return nullptr;
    auto it = g_tables->firstKeywords.find(id);
    return it == g_tables->firstKeywords.end() ? nullptr : it->second.c_str();
}

uint32_t NamedColourValue(int32_t id) {
    for (const NamedColourRow& row : kNamedColours) {
        if (row.id == id) return row.value;
    }
    return 0;
}

int32_t FieldIdOf(const std::string& upperName) {
    for (const FieldIdRow& row : kFieldIds) {
        if (upperName == row.name) return row.id;
    }
    return -1;
}

int32_t KeywordCount() { return static_cast<int32_t>(kRowCount); }

KeywordInfo KeywordAt(int32_t index) {
    if (index < 0 || index >= KeywordCount()) return KeywordInfo{nullptr, 0, -1};
    const KeywordRow& row = kKeywordRows[index];
    return KeywordInfo{row.word, row.id, row.argCount};
}
