// The statement tokenizer of ParseContext: one statement of prepared text to token ids.
#include <charconv>
#include <string>

#include "formula/frontend/compile_errors.h"
#include "formula/frontend/keyword_tables.h"
#include "formula/frontend/messages.h"
#include "formula/frontend/parse_context.h"

namespace {

// Index of the first character at or after i that is not a separator.
size_t SkipSeparators(const std::string& s, size_t i) {
  while (i < s.size() && CharClassOf(static_cast<unsigned char>(s[i])) == CHAR_SEPARATOR) ++i;
  return i;
}

float ParseNumber(const std::string& digits) {
  double value = 0.0;
  auto result = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (result.ec != std::errc()) return 0.0f;
  return static_cast<float>(value);
}

}  // namespace

// statement := { separator | number | name | operator | 'text' }
int32_t ParseContext::TokenizeStatement(const std::string& s) {
  scan_.pendingTokens.clear();
  scan_.tokenPositions.clear();
  std::string defining;
  size_t i = 0;
  while (i < s.size()) {
    int32_t cls = CharClassOf(static_cast<unsigned char>(s[i]));
    int32_t error = -1;
    switch (cls) {
      case CHAR_SEPARATOR:
      case CHAR_IGNORED: ++i; break;
      case CHAR_BRACE: return Fail(kErrorMisplacedCharacter, static_cast<int32_t>(i));
      case CHAR_NUMBER: error = TokenizeNumber(s, i); break;
      case CHAR_QUOTE: error = TokenizeText(s, i); break;
      case CHAR_OPERATOR: {
        char ch = s[i];
        if (ch == '&' || ch == '|') {
          error = TokenizeLogical(s, i);
        } else if (ch == '+' || ch == '-') {
          TokenizeSign(ch, static_cast<int32_t>(i));
          ++i;
        } else if (ch == '!' || ch == ':' || ch == '<' || ch == '=' || ch == '>') {
          error = TokenizeComparison(s, i);
        } else {
          int32_t id = LookupKeyword(std::string(1, ch));
          if (id == 0) return Fail(kErrorMisplacedCharacter, static_cast<int32_t>(i));
          AppendToken(id, static_cast<int32_t>(i));
          ++i;
        }
        break;
      }
      default: error = TokenizeName(s, i, defining); break;
    }
    if (error >= 0) return error;
  }
  return RewriteStatement();
}

// number := (digit | '.')+ ; stored as the next constant
int32_t ParseContext::TokenizeNumber(const std::string& s, size_t& i) {
  size_t start = i;
  while (i < s.size() && CharClassOf(static_cast<unsigned char>(s[i])) == CHAR_NUMBER) ++i;
  if (names_.constantCount() >= kMaxConstants) return Fail(kErrorTooManyConstants, static_cast<int32_t>(start));
  std::string digits = s.substr(start, i - start);
  AppendToken(names_.AddNumber(digits, ParseNumber(digits)), static_cast<int32_t>(start));
  return -1;
}

// name := (name-char | digit)+ ; a keyword, a defined name, a new definition or a custom colour
int32_t ParseContext::TokenizeName(const std::string& s, size_t& i, std::string& defining) {
  size_t start = i;
  while (i < s.size()) {
    int32_t cls = CharClassOf(static_cast<unsigned char>(s[i]));
    if (cls != CHAR_NAME && cls != CHAR_NUMBER) break;
    ++i;
  }
  std::string word = s.substr(start, i - start);
  size_t next = SkipSeparators(s, i);
  bool colonFollows = next < s.size() && s[next] == ':';
  int32_t id = LookupName(word);
  int32_t at = static_cast<int32_t>(start);
  if (id != 0) {
    bool first = scan_.pendingTokens.empty();
    if (!first && word == defining) return Fail(kErrorSelfReference, at, kMsgSelfReference);
    if (first && colonFollows && id >= TOKEN_VARIABLE) return Fail(kErrorNameInUse, at);
    AppendToken(id, at);
    if (names_.IsParameter(word)) dependencies_.NoteParameter(id - TOKEN_CONSTANT);
    i = next;
    return -1;
  }
  if (scan_.pendingTokens.empty() && colonFollows) {
    i = next;
    return DefineName(s, start, i, word, defining);
  }
  if (word.size() == 11 && word.compare(0, 5, "color") == 0) {
    if (names_.customColourCount() >= kMaxCustomColours) {
      return Fail(kErrorTooManyCustomColours, at, kMsgTooManyColours);
    }
    AppendToken(names_.AddCustomColour(word.substr(5)), at);
    return -1;
  }
  return Fail(kErrorUndefinedName, at);
}

// definition := new-name ':' | new-name ':=' ; scanning resumes at the ':'
int32_t ParseContext::DefineName(const std::string& s, size_t start, size_t& i, const std::string& word,
                                 std::string& defining) {
  int32_t at = static_cast<int32_t>(start);
  if (word.size() > kMaxNameLength) return Fail(kErrorNameTooLong, at);
  if (i + 1 == s.size()) return Fail(kErrorDanglingOperator, static_cast<int32_t>(i));
  bool variable = s[i + 1] == '=';
  if (variable && names_.variableCount() >= kMaxVariables) return Fail(kErrorTooManyVariables, at);
  if (!variable && names_.outputCount() >= kMaxOutputs) return Fail(kErrorTooManyOutputs, at);
  AppendToken(variable ? names_.AddVariable(word) : names_.AddOutput(word), at);
  defining = word;
  return -1;
}

// comparison := '!' | ':' | '<' | '=' | '>' , optionally followed by '=' or one of '<' '>'
int32_t ParseContext::TokenizeComparison(const std::string& s, size_t& i) {
  int32_t at = static_cast<int32_t>(i);
  char ch = s[i];
  if (i + 1 == s.size()) return Fail(kErrorDanglingOperator, at);
  char next = s[i + 1];
  int32_t last = LastPending();
  bool lastIsKeyword = last >= TOKEN_OPERATOR_LIMIT && last <= TOKEN_FIELD_LAST;
  if (next == '=') {
    if (ch == '=') return Fail(kErrorMalformedPair, at);
    if (ch == ':' && !(last >= TOKEN_VARIABLE && last < TOKEN_VARIABLE + names_.variableCount())) {
      return Fail(lastIsKeyword ? kErrorNameInUse : kErrorDefinitionWithoutName, at);
    }
    AppendToken(LookupKeyword(s.substr(i, 2)), at);
    i += 2;
    return -1;
  }
  if (next == '<' || next == '>') {
    if ((next == '<' && ch != '>') || (next == '>' && ch != '<')) return Fail(kErrorMalformedPair, at);
    AppendToken(LookupKeyword(s.substr(i, 2)), at);
    i += 2;
    return -1;
  }
  if (ch == '!') return Fail(kErrorDanglingOperator, at);
  if (ch == ':' && !(last >= TOKEN_OUTPUT && last < TOKEN_OUTPUT + names_.outputCount())) {
    return Fail(lastIsKeyword ? kErrorNameInUse : kErrorDefinitionWithoutName, at);
  }
  AppendToken(LookupKeyword(std::string(1, ch)), at);
  ++i;
  return -1;
}

// logical := '&&' | '||' , as a run of exactly two operator characters
int32_t ParseContext::TokenizeLogical(const std::string& s, size_t& i) {
  size_t end = i;
  while (end < s.size() && CharClassOf(static_cast<unsigned char>(s[end])) == CHAR_OPERATOR) ++end;
  int32_t at = static_cast<int32_t>(i);
  if (end - i != 2) return Fail(kErrorUndoubledLogical, at);
  int32_t id = LookupKeyword(s.substr(i, 2));
  if (id == 0) return Fail(kErrorMisplacedCharacter, at);
  AppendToken(id, at);
  i += 2;
  return -1;
}

// sign := '+' | '-' ; merges into a preceding * / + - or gets an implicit zero operand
void ParseContext::TokenizeSign(char sign, int32_t position) {
  int32_t signId = sign == '-' ? TOKEN_MINUS : TOKEN_PLUS;
  int32_t p = LastPending();
  bool opensOperand = p == 0 || p == TOKEN_OPEN || p == TOKEN_COMMA || (p >= TOKEN_DEFINE_OUTPUT && p <= TOKEN_EQUAL);
  if (opensOperand) {
    AppendToken(TOKEN_IMPLICIT_ZERO, position);
    AppendToken(signId, position);
    return;
  }
  if (p != TOKEN_MULTIPLY && p != TOKEN_DIVIDE && p != TOKEN_PLUS && p != TOKEN_MINUS) {
    AppendToken(signId, position);
    return;
  }
  if (sign == '+') return;  // `+` after any of the four leaves it unchanged
  int32_t merged = p == TOKEN_MULTIPLY ? TOKEN_MULTIPLY_NEGATED
                   : p == TOKEN_DIVIDE ? TOKEN_DIVIDE_NEGATED
                   : p == TOKEN_MINUS  ? TOKEN_PLUS
                                       : TOKEN_MINUS;
  scan_.pendingTokens.back() = merged;
}

// text := "'" { any character but a brace; '"' dropped } "'"
int32_t ParseContext::TokenizeText(const std::string& s, size_t& i) {
  size_t j = i + 1;
  std::string collected;
  while (j < s.size() && s[j] != '\'') {
    int32_t cls = CharClassOf(static_cast<unsigned char>(s[j]));
    if (cls == CHAR_BRACE) return Fail(kErrorMisplacedCharacter, static_cast<int32_t>(j));
    if (cls != CHAR_IGNORED) collected.push_back(s[j]);
    ++j;
  }
  if (j >= s.size()) return Fail(kErrorUnbalanced, static_cast<int32_t>(i));
  AppendToken(names_.AddText(collected), static_cast<int32_t>(i + 1));
  i = j + 1;
  return -1;
}

void ParseContext::AppendToken(int32_t id, int32_t position) {
  scan_.pendingTokens.push_back(id);
  scan_.tokenPositions.push_back(position);
}

int32_t ParseContext::LastPending() const { return scan_.pendingTokens.empty() ? 0 : scan_.pendingTokens.back(); }

// Keywords first, then variables, outputs and parameters of this formula.
int32_t ParseContext::LookupName(const std::string& word) const {
  int32_t id = LookupKeyword(word);
  return id != 0 ? id : names_.Lookup(word);
}

int32_t ParseContext::Fail(int32_t code, int32_t index, const std::string& message) {
  error_.Raise(code, message);
  return index;
}
