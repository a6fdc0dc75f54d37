#include "formula/frontend/keyword_tables.h"

#include <array>
#include <atomic>
#include <mutex>
#include <string>
#include <unordered_map>

#include "formula/eval/builtins/registry.h"
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

// Operators and brackets: the rows before the functions.
constexpr KeywordRow kOperatorRows[] = {
    {":", 1001, -1, "="},   {":=", 1002, -1, "="},  {"or", 2001, -1, "|"},  {"||", 2001, -1, "|"},
    {"and", 3001, -1, "&"}, {"&&", 3001, -1, "&"},  {">", 4001, -1, ">"},   {"<", 4002, -1, "<"},
    {">=", 4005, -1, ">="}, {"<=", 4006, -1, "<="}, {"=", 4008, -1, "="},   {"!=", 4009, -1, "<>"},
    {"><", 4009, -1, "<>"}, {"<>", 4009, -1, "<>"}, {"+", 5001, -1, "+"},   {"-", 5002, -1, "-"},
    {"*", 6001, -1, "*"},   {"/", 6002, -1, "/"},   {"*-", 6003, -1, "*-"}, {"/-", 6004, -1, "/-"},
    {"(", 9001, -1, "("},   {")", 9002, -1, ")"},   {",", 9005, -1, ","},
};

// Styles, colours, line widths and data fields: the rows after the functions.
constexpr KeywordRow kAttributeRows[] = {
    // Styles.
    {"volstick", 9010, -1, nullptr},
    {"stick", 9011, -1, nullptr},
    {"circledot", 9012, -1, nullptr},
    {"linestick", 9013, -1, nullptr},
    {"crossdot", 9014, -1, nullptr},
    {"colorstick", 9015, -1, nullptr},
    {"nodraw", 9018, -1, nullptr},
    {"dotline", 9019, -1, nullptr},
    {"noframe", 9020, -1, nullptr},
    {"drawabove", 9021, -1, nullptr},
    {"pointdot", 9022, -1, nullptr},
    {"sarline", 9023, -1, nullptr},
    {"rtvolstick", 9024, -1, nullptr},
    // Named colours.
    {"colorred", 9100, -1, nullptr},
    {"colorgreen", 9101, -1, nullptr},
    {"colorblue", 9102, -1, nullptr},
    {"coloryellow", 9103, -1, nullptr},
    {"colororange", 9104, -1, nullptr},
    {"colorpurple", 9105, -1, nullptr},
    {"colorblack", 9106, -1, nullptr},
    {"colorwhite", 9107, -1, nullptr},
    {"colormagenta", 9108, -1, nullptr},
    {"colorcyan", 9109, -1, nullptr},
    {"colorbrown", 9110, -1, nullptr},
    {"colorligray", 9111, -1, nullptr},
    {"colorgray", 9112, -1, nullptr},
    {"colorliblue", 9113, -1, nullptr},
    {"colorligreen", 9114, -1, nullptr},
    {"colorlicyan", 9115, -1, nullptr},
    {"colorlired", 9116, -1, nullptr},
    {"colorlimagenta", 9117, -1, nullptr},
    // Line widths.
    {"linethick1", 9301, -1, nullptr},
    {"linethick2", 9302, -1, nullptr},
    {"linethick3", 9303, -1, nullptr},
    {"linethick4", 9304, -1, nullptr},
    {"linethick5", 9305, -1, nullptr},
    {"linethick6", 9306, -1, nullptr},
    {"linethick7", 9307, -1, nullptr},
    {"linethick8", 9308, -1, nullptr},
    {"linethick9", 9309, -1, nullptr},
    // Data fields: the first row of each id names the field.
    {"open", 9501, -1, "open"},
    {"o", 9501, -1, "open"},
    {"high", 9502, -1, "high"},
    {"h", 9502, -1, "high"},
    {"low", 9503, -1, "low"},
    {"l", 9503, -1, "low"},
    {"close", 9504, -1, "close"},
    {"c", 9504, -1, "close"},
    {"vol", 9505, -1, "vol"},
    {"v", 9505, -1, "vol"},
    {"amount", 9508, -1, "amount"},
    {"per", 9517, -1, "per"},
    {"turnover", 9518, -1, "turnover"},
    {"vola", 9519, -1, "vola"},
    {"iv", 9520, -1, "iv"},
    {"totalvol", 9521, -1, "totalvol"},
    {"totalamount", 9522, -1, "totalamount"},
    {"capital", 9550, -1, "capital"},
};

// The lower-case names of the built-ins, row by row: their keywords and
// script words unless the registry says otherwise.
struct LowerName {
  char text[16];
};
constexpr std::array<LowerName, BUILTIN_COUNT> BuildLowerNames() {
  std::array<LowerName, BUILTIN_COUNT> names{};
  for (int32_t row = 0; row < BUILTIN_COUNT; ++row) {
    const char* name = kBuiltins[row].name;
    for (int32_t i = 0; name[i] != '\0'; ++i) {
      const char ch = name[i];
      names[row].text[i] = ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch;
    }
  }
  return names;
}
constexpr std::array<LowerName, BUILTIN_COUNT> kLowerNames = BuildLowerNames();

constexpr bool IsDrawToken(int32_t token) { return token >= TOKEN_DRAW_FIRST && token <= TOKEN_DRAW_LAST; }

// Keyword rows of the built-ins: one per keyword, one more per alias.
constexpr int32_t CountFunctionKeywords() {
  int32_t count = 0;
  for (const BuiltinRow& row : kBuiltins) {
    if (row.keyword.token != 0) count += row.keyword.alias != nullptr ? 2 : 1;
  }
  return count;
}
constexpr int32_t kFunctionKeywordCount = CountFunctionKeywords();

// The registry row with the smallest token above `after`, or -1.
constexpr int32_t NextByToken(int32_t after) {
  int32_t best = -1;
  for (int32_t row = 0; row < BUILTIN_COUNT; ++row) {
    const int32_t token = kBuiltins[row].keyword.token;
    if (token <= after) continue;
    if (best < 0 || token < kBuiltins[best].keyword.token) best = row;
  }
  return best;
}

// The keyword rows of the built-ins in token order, each alias after its keyword.
constexpr std::array<KeywordRow, kFunctionKeywordCount> BuildFunctionRows() {
  std::array<KeywordRow, kFunctionKeywordCount> rows{};
  int32_t n = 0;
  for (int32_t row = NextByToken(0); row >= 0; row = NextByToken(kBuiltins[row].keyword.token)) {
    const BuiltinKeyword& k = kBuiltins[row].keyword;
    const char* name = kLowerNames[row].text;
    const char* script = IsDrawToken(k.token) ? nullptr : k.scriptWord != nullptr ? k.scriptWord : name;
    rows[n++] = KeywordRow{k.word != nullptr ? k.word : name, k.token, k.argCount, script};
    if (k.alias != nullptr) rows[n++] = KeywordRow{k.alias, k.token, k.argCount, script};
  }
  return rows;
}
constexpr std::array<KeywordRow, kFunctionKeywordCount> kFunctionRows = BuildFunctionRows();

constexpr size_t kOperatorCount = sizeof(kOperatorRows) / sizeof(kOperatorRows[0]);
constexpr size_t kAttributeCount = sizeof(kAttributeRows) / sizeof(kAttributeRows[0]);
constexpr size_t kRowCount = kOperatorCount + kFunctionKeywordCount + kAttributeCount;

// KeywordTable in table order: operators, functions, attributes.
constexpr std::array<KeywordRow, kRowCount> BuildKeywordRows() {
  std::array<KeywordRow, kRowCount> rows{};
  size_t n = 0;
  for (const KeywordRow& row : kOperatorRows) rows[n++] = row;
  for (const KeywordRow& row : kFunctionRows) rows[n++] = row;
  for (const KeywordRow& row : kAttributeRows) rows[n++] = row;
  return rows;
}
constexpr std::array<KeywordRow, kRowCount> kKeywordRows = BuildKeywordRows();
static_assert(kKeywordRows.size() == 217, "KeywordTable has 217 entries");
static_assert(kOperatorCount == 23 && kFunctionKeywordCount == 136, "23 operator and 136 function keywords");

// Tokens of the function keywords are distinct, so each keyword names one built-in.
constexpr bool FunctionTokensAreDistinct() {
  for (int32_t i = 0; i < BUILTIN_COUNT; ++i) {
    for (int32_t j = i + 1; j < BUILTIN_COUNT; ++j) {
      const int32_t token = kBuiltins[i].keyword.token;
      if (token != 0 && token == kBuiltins[j].keyword.token) return false;
    }
  }
  return true;
}
static_assert(FunctionTokensAreDistinct(), "one built-in per function token");

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
constexpr int32_t CountDrawNames() {
  int32_t count = 0;
  for (const KeywordRow& row : kFunctionRows) count += IsDrawToken(row.id);
  return count;
}
// DrawFunctionSet: the draw tokens in token order with the lower-case names
// of their built-ins, which the script writer emits.
constexpr std::array<DrawNameRow, CountDrawNames()> BuildDrawNames() {
  std::array<DrawNameRow, CountDrawNames()> rows{};
  int32_t n = 0;
  for (int32_t row = NextByToken(0); row >= 0; row = NextByToken(kBuiltins[row].keyword.token)) {
    if (IsDrawToken(kBuiltins[row].keyword.token))
      rows[n++] = DrawNameRow{kBuiltins[row].keyword.token, kLowerNames[row].text};
  }
  return rows;
}
constexpr auto kDrawNames = BuildDrawNames();
static_assert(kDrawNames.size() == 9, "DrawFunctionSet has 9 entries");

// Values (0xAABBGGRR) of the named colour keywords.
struct NamedColourRow {
  int32_t id;
  uint32_t value;
};
constexpr NamedColourRow kNamedColours[] = {
    {9100, 0xFF3D3DFFu}, {9101, 0xFF4DB927u}, {9102, 0xFFF59331u}, {9103, 0xFF00AAE8u}, {9104, 0xFF0064FFu},
    {9105, 0xFFFF00FFu}, {9106, 0xFF000000u}, {9107, 0xFFFFFFFFu}, {9108, 0xFF9038F3u}, {9109, 0xFFA3CF0Au},
    {9110, 0xFF165EB8u}, {9111, 0xFFC7C0B9u}, {9112, 0xFF80766Du}, {9113, 0xFFFDA752u}, {9114, 0xFF90D974u},
    {9115, 0xFFBED974u}, {9116, 0xFF9B9BF1u}, {9117, 0xFFC59BC1u},
};
static_assert(sizeof(kNamedColours) / sizeof(kNamedColours[0]) == 18, "18 named colours");

// FieldIdTable: upper-case field name to the data-field id of the compiled program.
struct FieldIdRow {
  const char* name;
  int32_t id;
};
constexpr FieldIdRow kFieldIds[] = {
    {"HIGH", 1},        {"OPEN", 2},         {"LOW", 3},       {"CLOSE", 4},     {"AMOUNT", 5},
    {"VOL", 6},         {"ADVANCE", 7},      {"DECLINE", 8},   {"VOLINSTK", 9},  {"QHJSJ", 10},
    {"HKSHORTVOL", 11}, {"PER", 12},         {"TURNOVER", 13}, {"VOLA", 14},     {"PRECLOSE", 15},
    {"IV", 16},         {"TOTALAMOUNT", 17}, {"TOTALVOL", 18}, {"CAPITAL", 501},
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
    case '{':
    case '}': return CHAR_BRACE;
    case ' ':
    case '\t':
    case '\r':
    case '\n': return CHAR_SEPARATOR;
    case '"': return CHAR_IGNORED;
    case '\'': return CHAR_QUOTE;
    case '+':
    case '-':
    case '*':
    case '/':
    case '>':
    case ',':
    case '<':
    case '=':
    case ')':
    case '(':
    case '!':
    case ':':
    case '&':
    case '|': return CHAR_OPERATOR;
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
