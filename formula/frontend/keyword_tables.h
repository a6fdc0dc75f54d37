#pragma once
// Token ids of the formula language and the process-wide keyword tables.
//
// Every word and operator of a formula becomes a 32-bit token id; the range of
// the id tells what the token is. The tables are built once per process (under
// the compile lock) and only read afterwards.
#include <cstdint>
#include <string>

// Token id ranges and fixed ids.
enum TokenId : int32_t {
  TOKEN_STATEMENT_END = 1,
  TOKEN_DEFINE_OUTPUT = 1001,    // `:`
  TOKEN_DEFINE_VARIABLE = 1002,  // `:=`
  TOKEN_OR = 2001,
  TOKEN_AND = 3001,
  TOKEN_GREATER = 4001,
  TOKEN_LESS = 4002,
  TOKEN_GREATER_EQUAL = 4005,
  TOKEN_LESS_EQUAL = 4006,
  TOKEN_EQUAL = 4008,
  TOKEN_NOT_EQUAL = 4009,
  TOKEN_PLUS = 5001,
  TOKEN_MINUS = 5002,
  TOKEN_MULTIPLY = 6001,
  TOKEN_DIVIDE = 6002,
  TOKEN_MULTIPLY_NEGATED = 6003,  // `*-`
  TOKEN_DIVIDE_NEGATED = 6004,    // `/-`
  TOKEN_OPERATOR_LIMIT = 8000,    // ids below are operators
  TOKEN_FUNCTION_FIRST = 8001,
  TOKEN_FUNCTION_LAST = 8999,
  TOKEN_REVERSE = 8125,  // written as a negation of its bracketed argument
  TOKEN_DRAW_FIRST = 8500,
  TOKEN_DRAW_LAST = 8516,
  TOKEN_STICKLINE = 8504,
  TOKEN_DRAWTEXT = 8506,
  TOKEN_DRAWNUMBER = 8507,
  TOKEN_IMPLICIT_ZERO = 9000,
  TOKEN_OPEN = 9001,
  TOKEN_CLOSE = 9002,
  TOKEN_COMMA = 9005,
  TOKEN_ATTRIBUTE_FIRST = 9010,
  TOKEN_STYLE_FIRST = 9010,
  TOKEN_STYLE_LAST = 9099,
  TOKEN_STYLE_BASE = 9009,  // style number = id - 9009
  TOKEN_NODRAW = 9018,
  TOKEN_COLOR_FIRST = 9100,
  TOKEN_NAMED_COLOR_LAST = 9117,
  TOKEN_CUSTOM_COLOR = 9200,  // + n
  TOKEN_COLOR_LAST = 9299,
  TOKEN_LINE_WIDTH_BASE = 9300,  // width = id - 9300
  TOKEN_ATTRIBUTE_LAST = 9499,
  TOKEN_FIELD_FIRST = 9500,
  TOKEN_FIELD_LAST = 9999,
  TOKEN_VARIABLE = 10000,  // + n
  TOKEN_OUTPUT = 11000,    // + n
  TOKEN_CONSTANT = 12000,  // + n
  TOKEN_TEXT = 17000,      // + n
};

// Formula limits.
constexpr int32_t kMaxConstants = 3000;
constexpr int32_t kMaxVariables = 1000;
constexpr int32_t kMaxOutputs = 1000;
constexpr int32_t kMaxCustomColours = 100;
constexpr size_t kMaxNameLength = 32;

// Character classes of CharClassTable.
enum CharClass : int32_t {
  CHAR_BRACE = 1,
  CHAR_SEPARATOR = 2,
  CHAR_NUMBER = 3,
  CHAR_NAME = 4,
  CHAR_OPERATOR = 5,
  CHAR_IGNORED = 6,
  CHAR_QUOTE = 7,
};

// Builds every table once; later calls do nothing. Run under the compile lock.
void BuildKeywordTables();
// True once the tables exist (safe to call from any thread).
bool KeywordTablesBuilt();

// The class of one byte (class 4 for bytes not in the table).
int32_t CharClassOf(unsigned char ch);
// Lower-case word to token id; 0 when it is no keyword (or the tables are not built).
int32_t LookupKeyword(const std::string& word);
// The script word of an id, or nullptr when the id has none.
const char* ScriptWordOf(int32_t id);
// Number of arguments of a function or draw function; -1 when the id has no entry.
int32_t ArgCountOf(int32_t id);
bool IsDrawFunction(int32_t id);
// The name the script writer emits for a draw function, or nullptr.
const char* DrawNameOf(int32_t id);
// The first name of a data field, or nullptr.
const char* FieldNameOf(int32_t id);
// The alphabetically first keyword with this id, or nullptr.
const char* FirstKeywordOf(int32_t id);
// Colour value (0xAABBGGRR) of a named colour keyword; 0 when the id is none.
uint32_t NamedColourValue(int32_t id);
// Data-field id of the compiled program for an upper-case field name; -1 when absent.
int32_t FieldIdOf(const std::string& upperName);

// One row of the keyword table as written: the lower-case word, its token id
// and its argument count (-1 for words that are no function).
struct KeywordInfo {
  const char* word;
  int32_t id;
  int32_t argCount;
};
// Number of rows of the keyword table (aliases are rows of their own).
int32_t KeywordCount();
// Row `index` in table order; a row with a null word for an index out of range.
// Reads the static rows, so it works before the tables are built.
KeywordInfo KeywordAt(int32_t index);
