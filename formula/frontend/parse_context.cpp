#include "formula/frontend/parse_context.h"

#include <algorithm>
#include <string>

#include "formula/frontend/compile_errors.h"
#include "formula/frontend/keyword_tables.h"
#include "formula/frontend/script_writer.h"
#include "formula/frontend/statement_checker.h"

namespace {

bool IsAttribute(int32_t id) { return id >= TOKEN_ATTRIBUTE_FIRST && id <= TOKEN_ATTRIBUTE_LAST; }

char LowerAscii(char ch) { return (ch >= 'A' && ch <= 'Z') ? static_cast<char>(ch - 'A' + 'a') : ch; }

// One hexadecimal digit as the colour reader takes it: '0'-'9' their value, anything else code - 87.
int32_t HexDigit(unsigned char ch) { return (ch >= '0' && ch <= '9') ? ch - '0' : ch - 87; }

// A character after which a sign belongs to an operand rather than starting one. Every name
// character counts (so `a_-1` keeps its name `a_`); a `;` ends a statement, so `x:1;-1` gets a `0`.
bool EndsOperand(unsigned char ch) {
  if (ch == ';') return false;
  if (ch == ')' || ch == '*' || ch == '/' || ch == '-' || ch == '+') return true;
  int32_t cls = CharClassOf(ch);
  return cls == CHAR_NUMBER || cls == CHAR_NAME;
}

}  // namespace

uint32_t CustomColourValue(const std::string& digits) {
  uint32_t parts[3] = {0, 0, 0};
  for (size_t k = 0; k < 3 && 2 * k + 1 < digits.size(); ++k) {
    int32_t hi = HexDigit(static_cast<unsigned char>(digits[2 * k]));
    int32_t lo = HexDigit(static_cast<unsigned char>(digits[2 * k + 1]));
    parts[k] = static_cast<uint32_t>(hi * 16 + lo) & 0xFFu;
  }
  return 0xFF000000u + (parts[2] << 16) + (parts[1] << 8) + parts[0];
}

ParseContext::ParseContext() {
  scan_.statementTokens.reserve(100);
  scan_.tokenPositions.reserve(100);
  BuildKeywordTables();
}

// Prepare: blank comments, replace tabs, lower-case, register the parameters.
void ParseContext::Prepare(const std::string& formula, const std::vector<std::string>& paramNames,
                           const std::vector<float>& paramValues) {
  error_.Clear();
  text_ = formula;
  size_t open = text_.find('{');
  while (open != std::string::npos) {
    size_t close = text_.find('}', open + 1);
    if (close == std::string::npos) break;
    for (size_t k = open; k <= close; ++k) {
      if (text_[k] != '\r' && text_[k] != '\n') text_[k] = ' ';
    }
    open = text_.find('{', close + 1);
  }
  for (char& ch : text_) ch = ch == '\t' ? ' ' : LowerAscii(ch);
  if (paramNames.size() != paramValues.size()) return;
  for (size_t k = 0; k < paramNames.size(); ++k) RegisterParameter(paramNames[k], paramValues[k]);
}

void ParseContext::RegisterParameter(const std::string& name, float value) {
  std::string lower(name);
  for (char& ch : lower) ch = LowerAscii(ch);
  if (LookupName(lower) != 0) return;
  if (names_.constantCount() >= kMaxConstants) {
    ++tooManyParameters_;  // more parameters than the constant limit: the analysis fails for too many constants
    return;
  }
  names_.AddParameter(lower, value);
}

bool ParseContext::Analyse() {
  InsertSigns();
  scan_.statementIndex = -1;
  if (text_.empty()) {
    error_.RaiseAtStart(kErrorEmptyFormula);
    return false;
  }
  if (tooManyParameters_ > 0) {
    error_.RaiseAtStart(kErrorTooManyConstants);
    return false;
  }
  SplitStatements();
  if (error_.Raised()) return false;
  ScriptWriter(tokens_, attributes_, names_, script_).WriteScript();
  if (!script_.scriptErrors.empty()) {
    ReportScriptError();
    return false;
  }
  syntaxOk_ = true;
  return true;
}

// Sign insertion: a sign that does not follow an operand gets a `0` in front. Quoted texts
// are left as written (`'-5'` stays "-5"); a text never runs past the end of its statement.
void ParseContext::InsertSigns() {
  std::string signed_;
  signed_.reserve(text_.size() + 16);
  bool seen = false;  // a non-space character came before
  bool quoted = false;
  unsigned char previous = 0;
  for (char ch : text_) {
    bool sign = ch == '-' || ch == '+';
    if (sign && !quoted && (!seen || !EndsOperand(previous))) signed_.push_back('0');
    signed_.push_back(ch);
    if (ch == '\'') quoted = !quoted;
    if (ch == ';' || ch == '\n') quoted = false;
    if (ch != ' ') {
      seen = true;
      previous = static_cast<unsigned char>(ch);
    }
  }
  text_.swap(signed_);
}

// Statements end at `;` (dropped), at a line break (kept) or at the end of the text.
void ParseContext::SplitStatements() {
  StatementPlace place{0, 0, 0};
  int32_t breaks = 0;
  int32_t lastBreak = 0;
  for (size_t i = 0; i < text_.size(); ++i) {
    char ch = text_[i];
    bool ends = ch == ';' || ch == '\n' || i + 1 == text_.size();
    if (ch == '\n') {
      ++breaks;
      lastBreak = static_cast<int32_t>(i);
    }
    if (!ends) continue;
    size_t end = ch == ';' ? i : i + 1;
    auto start = static_cast<size_t>(place.start);
    if (!RunStatement(text_.substr(start, end - start), place)) return;
    place = StatementPlace{static_cast<int32_t>(i + 1), breaks, lastBreak};
  }
}

bool ParseContext::RunStatement(const std::string& statement, const StatementPlace& place) {
  scan_.statementTokens.assign(1, 0);
  scan_.lastToken = -1;
  int32_t at = TokenizeStatement(statement);
  if (at >= 0) {
    PlaceError(place.start + at, place);
    return false;
  }
  at = StatementChecker(scan_.statementTokens, scan_.lastToken, error_).CheckStatement();
  if (at >= 0) {
    const std::vector<int32_t>& positions = scan_.tokenPositions;
    int32_t offset = static_cast<size_t>(at) < positions.size() ? positions[at] : 0;
    PlaceError(place.start + offset, place);
    return false;
  }
  tokens_.AppendStatement(scan_.statementTokens, scan_.lastToken, scan_.tokenPositions, place,
                          static_cast<int32_t>(statement.size()));
  return true;
}

void ParseContext::PlaceError(int32_t position, const StatementPlace& place) {
  error_.Place(position, place.line, position - place.lineStart);
}

void ParseContext::ReportScriptError() {
  auto first = script_.scriptErrors.begin();
  error_.Raise(kErrorUnwritableToken, first->second);
  size_t index = static_cast<size_t>(first->first);
  if (index >= tokens_.formulaTokenPositions().size()) {
    error_.Place(0, 0, 0);
    return;
  }
  PlaceError(tokens_.formulaTokenPositions()[index], tokens_.PlaceOf(index));
}

// Rewriting: definitions, anonymous and drawing outputs, parameter dependencies, attributes.
int32_t ParseContext::RewriteStatement() {
  std::vector<int32_t>& tokens = scan_.statementTokens;
  tokens.assign(scan_.pendingTokens.begin(), scan_.pendingTokens.end());
  scan_.pendingTokens.clear();
  if (tokens.empty()) {
    tokens.push_back(0);
    scan_.lastToken = -1;
    return -1;
  }
  int32_t s = ++scan_.statementIndex;
  auto definition = std::find_if(tokens.begin(), tokens.end(),
                                 [](int32_t id) { return id == TOKEN_DEFINE_OUTPUT || id == TOKEN_DEFINE_VARIABLE; });
  bool isOutput = definition != tokens.end() && *definition == TOKEN_DEFINE_OUTPUT;
  bool isVariable = definition != tokens.end() && *definition == TOKEN_DEFINE_VARIABLE &&
                    std::none_of(definition, tokens.end(), IsDrawFunction);
  if (isVariable) --scan_.statementIndex;
  bool drawing = IsDrawFunction(tokens.front());
  if (!isOutput && !isVariable && !drawing) {
    // An anonymous output takes a name token like a named one; the same limit applies.
    if (names_.outputCount() >= kMaxOutputs) return Fail(kErrorTooManyOutputs, 0);
    int32_t id = names_.AddOutput(".tempresindex" + std::to_string(s));
    int32_t position = scan_.tokenPositions.empty() ? 0 : scan_.tokenPositions.front();
    InsertToken(0, TOKEN_DEFINE_OUTPUT, position);
    InsertToken(0, id, position);
  } else if (drawing) {
    names_.AddDrawingOutput();
  }
  dependencies_.CloseStatement(tokens, isVariable ? -1 : s);
  if (!isVariable) ApplyAttributes(s);
  scan_.lastToken = static_cast<int32_t>(tokens.size()) - 1;
  tokens.push_back(0);
  return -1;
}

void ParseContext::InsertToken(size_t index, int32_t id, int32_t position) {
  auto at = static_cast<std::ptrdiff_t>(index);
  scan_.statementTokens.insert(scan_.statementTokens.begin() + at, id);
  scan_.tokenPositions.insert(scan_.tokenPositions.begin() + at, position);
}

void ParseContext::EraseTokens(size_t index, size_t count) {
  auto first = static_cast<std::ptrdiff_t>(index);
  auto last = static_cast<std::ptrdiff_t>(index + count);
  scan_.statementTokens.erase(scan_.statementTokens.begin() + first, scan_.statementTokens.begin() + last);
  scan_.tokenPositions.erase(scan_.tokenPositions.begin() + first, scan_.tokenPositions.begin() + last);
}

// Attributes (with the comma in front of them) leave the token stream and set output s.
void ParseContext::ApplyAttributes(int32_t s) {
  attributes_.Reset(s);
  const std::vector<int32_t>& tokens = scan_.statementTokens;
  size_t k = 0;
  while (k < tokens.size()) {
    int32_t id = tokens[k];
    if (!IsAttribute(id)) {
      ++k;
      continue;
    }
    bool comma = k > 0 && tokens[k - 1] == TOKEN_COMMA;
    if (comma) --k;
    EraseTokens(k, comma ? 2 : 1);
    ApplyAttribute(s, id);
  }
}

void ParseContext::ApplyAttribute(int32_t s, int32_t id) {
  if (id >= TOKEN_COLOR_FIRST && id <= TOKEN_COLOR_LAST) {
    attributes_.SetColour(s, id >= TOKEN_CUSTOM_COLOR
                                 ? CustomColourValue(names_.customColours()[id - TOKEN_CUSTOM_COLOR])
                                 : NamedColourValue(id));
    return;
  }
  if (id > TOKEN_LINE_WIDTH_BASE) {
    attributes_.SetLineWidth(s, id - TOKEN_LINE_WIDTH_BASE);
    return;
  }
  if (id == TOKEN_NODRAW) {
    attributes_.Hide(s);
    return;
  }
  attributes_.SetStyle(s, id - TOKEN_STYLE_BASE);
}
