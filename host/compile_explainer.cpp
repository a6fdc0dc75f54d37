#include "compile_explainer.h"

#include <abacor/abacor.h>

#include <algorithm>
#include <cctype>

#include "compile_messages.h"
#include "text_encoding.h"

namespace abacor_host {
namespace {

constexpr size_t kNone = static_cast<size_t>(-1);

// One character of the formula: where it starts in the engine's bytes and what it is.
struct Char {
  size_t engineByte;
  size_t engineBytes;
  uint32_t codePoint;
  std::string utf8;
};

// Full-width punctuation that Chinese input methods type in place of the ASCII character.
struct WidePunctuation {
  uint32_t codePoint;
  const char* ascii;
  const char* name;
};

constexpr WidePunctuation kWidePunctuation[] = {
    {0xFF0C, ",", "comma"},
    {0xFF1B, ";", "semicolon"},
    {0xFF1A, ":", "colon"},
    {0xFF08, "(", "parenthesis"},
    {0xFF09, ")", "parenthesis"},
    {0x201C, "'", "quote"},
    {0x201D, "'", "quote"},
    {0x2018, "'", "quote"},
    {0x2019, "'", "quote"},
    {0xFF1D, "=", "equals sign"},
    {0xFF1E, ">", "greater-than sign"},
    {0xFF1C, "<", "less-than sign"},
    {0xFF0B, "+", "plus sign"},
    {0xFF0D, "-", "minus sign"},
    {0x3001, ",", "comma"},
};
static_assert(sizeof(kWidePunctuation) / sizeof(kWidePunctuation[0]) == 15, "full-width punctuation table");

const WidePunctuation* FindWidePunctuation(uint32_t cp) {
  for (const WidePunctuation& p : kWidePunctuation)
    if (p.codePoint == cp) return &p;
  return nullptr;
}

// gbk-char := lead(0x81-0xFE) trail | single byte
std::vector<Char> SplitGbk(const std::string& text) {
  std::vector<Char> chars;
  for (size_t i = 0; i < text.size();) {
    const unsigned char b = static_cast<unsigned char>(text[i]);
    const size_t n = (b >= 0x81 && b <= 0xFE && i + 1 < text.size()) ? 2 : 1;
    Char c{i, n, b, std::string(1, static_cast<char>(b))};
    if (b >= 0x80) {
      c.utf8 = GbkToUtf8(text.substr(i, n));
      size_t length = 0;
      if (c.utf8.empty() || !DecodeUtf8(c.utf8, 0, &c.codePoint, &length)) c.codePoint = '?';
    }
    chars.push_back(std::move(c));
    i += n;
  }
  return chars;
}

std::vector<Char> SplitUtf8(const std::string& text) {
  std::vector<Char> chars;
  for (size_t i = 0; i < text.size();) {
    uint32_t cp = 0;
    size_t n = 0;
    if (!DecodeUtf8(text, i, &cp, &n)) {
      chars.push_back({i, 1, 0xFFFD, "?"});
      ++i;
      continue;
    }
    chars.push_back({i, n, cp, text.substr(i, n)});
    i += n;
  }
  return chars;
}

// The characters the engine's tokenizer does not take into a name or number (all others,
// every byte from 0x80 up included, make up words).
bool IsAsciiNonWord(uint32_t cp) {
  static const std::string kNonWord = "{} \t\r\n+-*/><=,)(!:&|\"';";
  return cp < 0x80 && kNonWord.find(static_cast<char>(cp)) != std::string::npos;
}

// Whether a sign after this character continues an operand (so the engine inserts no `0`).
bool EndsOperand(unsigned char ch) {
  if (ch == ';') return false;
  if (ch == ')' || ch == '*' || ch == '/' || ch == '-' || ch == '+') return true;
  return ch >= 0x80 || !IsAsciiNonWord(ch);
}

// The engine blanks closed comments, then puts a `0` before every sign that does not follow
// an operand (outside quoted texts). Returns, for each byte of that prepared text, the byte
// of the engine text it came from.
std::vector<size_t> PreparedToEngine(const std::string& engine) {
  std::string text = engine;
  for (size_t open = text.find('{'); open != std::string::npos;) {
    const size_t close = text.find('}', open + 1);
    if (close == std::string::npos) break;
    for (size_t k = open; k <= close; ++k)
      if (text[k] != '\r' && text[k] != '\n') text[k] = ' ';
    open = text.find('{', close + 1);
  }
  std::vector<size_t> map;
  map.reserve(text.size() + 16);
  bool seen = false, quoted = false;
  unsigned char previous = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char ch = text[i] == '\t' ? ' ' : text[i];
    if ((ch == '-' || ch == '+') && !quoted && (!seen || !EndsOperand(previous))) map.push_back(i);
    map.push_back(i);
    if (ch == '\'') quoted = !quoted;
    if (ch == ';' || ch == '\n') quoted = false;
    if (ch != ' ') {
      seen = true;
      previous = static_cast<unsigned char>(ch);
    }
  }
  return map;
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string Quote(const std::string& s) { return "\"" + s + "\""; }

// What a diagnosis says, and the character the caret goes under (kNone: no place in the text).
struct Diagnosis {
  std::string message;
  size_t caret;
};

// The failing formula as characters, with comments blanked, and the questions the
// diagnoses ask about it.
class Formula {
 public:
  Formula(std::vector<Char> chars) : chars_(std::move(chars)) {
    cp_.reserve(chars_.size());
    for (const Char& c : chars_) cp_.push_back(c.codePoint);
    BlankComments();
  }

  size_t Size() const { return cp_.size(); }
  uint32_t At(size_t i) const { return i < cp_.size() ? cp_[i] : 0; }
  const std::vector<Char>& Chars() const { return chars_; }

  // The character holding an engine byte (Size() past the end).
  size_t CharAtByte(size_t byte) const {
    for (size_t i = 0; i < chars_.size(); ++i)
      if (byte < chars_[i].engineByte + chars_[i].engineBytes) return i;
    return chars_.size();
  }

  // The statement holding character i: [first, end), end at its `;`, line break or the text's end.
  void Statement(size_t i, size_t* first, size_t* end) const {
    size_t s = std::min(i, cp_.size());
    while (s > 0 && cp_[s - 1] != ';' && cp_[s - 1] != '\n') --s;
    size_t e = std::min(i, cp_.size());
    while (e < cp_.size() && cp_[e] != ';' && cp_[e] != '\n') ++e;
    *first = s;
    *end = e;
  }

  // The word (name or number) starting at i: its end.
  size_t WordEnd(size_t i) const {
    size_t e = i;
    while (e < cp_.size() && !IsAsciiNonWord(cp_[e])) ++e;
    return e;
  }

  std::string Text(size_t first, size_t end) const {
    std::string out;
    for (size_t i = first; i < end && i < chars_.size(); ++i) out += chars_[i].utf8;
    return out;
  }

  size_t SkipSpaces(size_t i) const {
    while (i < cp_.size() && (cp_[i] == ' ' || cp_[i] == '\t' || cp_[i] == '\r')) ++i;
    return i;
  }

  size_t SkipSpacesBack(size_t i) const {  // the last non-space character before i, or kNone
    while (i > 0) {
      --i;
      if (cp_[i] != ' ' && cp_[i] != '\t' && cp_[i] != '\r') return i;
    }
    return kNone;
  }

  // Whether character i lies inside a single-quoted text of its statement.
  bool Quoted(size_t i) const {
    size_t first = 0, end = 0;
    Statement(i, &first, &end);
    bool quoted = false;
    for (size_t k = first; k < i; ++k)
      if (cp_[k] == '\'') quoted = !quoted;
    return quoted;
  }

  size_t EngineBytes(size_t first, size_t end) const {
    size_t n = 0;
    for (size_t i = first; i < end && i < chars_.size(); ++i) n += chars_[i].engineBytes;
    return n;
  }

 private:
  // Closed comments { ... } as the engine blanks them; line breaks stay.
  void BlankComments() {
    for (size_t open = Find('{', 0); open != kNone;) {
      const size_t close = Find('}', open + 1);
      if (close == kNone) return;
      for (size_t k = open; k <= close; ++k)
        if (cp_[k] != '\r' && cp_[k] != '\n') cp_[k] = ' ';
      open = Find('{', close + 1);
    }
  }

  size_t Find(uint32_t cp, size_t from) const {
    for (size_t i = from; i < cp_.size(); ++i)
      if (cp_[i] == cp) return i;
    return kNone;
  }

  std::vector<Char> chars_;
  std::vector<uint32_t> cp_;
};

// The number of arguments the engine expects of a function, found by compiling calls with
// one, two, ... arguments; -1 when none is accepted.
int32_t ExpectedArgumentCount(const std::string& function) {
  std::string args = "1";
  for (int32_t n = 1; n <= 8; ++n, args += ",1") {
    IIndexParser* parser = IndexObjCreator::CreateIndexParserObj();
    if (!parser) return -1;
    const bool ok = parser->Compile(function + "(" + args + ");", {}, {});
    ParseErrorInfo info{};
    parser->GetErrorInfo(&info);
    IndexObjCreator::ReleaseIndexParserObj(&parser);
    if (ok || info.code != 22) return n;
  }
  return -1;
}

// What kind of keyword a word is, or empty when it is none.
std::string KeywordKind(const std::string& word) {
  const std::string lower = Lower(word);
  if (lower == "and" || lower == "or") return "an operator";
  if (CParserHelper::IsParamIndex(lower)) return "a data field";
  if (CParserHelper::IsFunc(lower)) return "a function";
  if (CParserHelper::IsConst(lower)) return "a colour, style or line-width keyword";
  return "";
}

bool IsAsciiIdentifier(const std::string& w) {
  if (w.empty() || std::isdigit(static_cast<unsigned char>(w[0]))) return false;
  for (char c : w)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
  return true;
}

// Short names such as N, M1, P2 or LEN, and the usual period names, are most often parameters.
bool LooksLikeParameter(const std::string& word) {
  if (!IsAsciiIdentifier(word)) return false;
  static const char* const kNames[] = {"short", "long", "mid", "period", "days", "fast", "slow", "signal", "len"};
  for (const char* n : kNames)
    if (Lower(word) == n) return true;
  size_t letters = 0;
  while (letters < word.size() && std::isalpha(static_cast<unsigned char>(word[letters]))) ++letters;
  return letters <= 2 && word.size() <= 4;
}

// Full-width punctuation in the statement of character i, outside quoted texts.
bool FindWide(const Formula& f, size_t i, Diagnosis* d) {
  size_t first = 0, end = 0;
  f.Statement(i, &first, &end);
  bool quoted = false;
  for (size_t k = first; k < end; ++k) {
    if (f.At(k) == '\'') quoted = !quoted;
    const WidePunctuation* p = quoted ? nullptr : FindWidePunctuation(f.At(k));
    if (!p) continue;
    const std::string glyph = f.Text(k, k + 1);
    if (std::string(p->name) == "quote") {
      d->message = "full-width quote " + glyph + ": texts are written in ASCII single quotes, e.g. 'UP'";
    } else {
      d->message = "full-width " + std::string(p->name) + " " + Quote(glyph) + ": write the ASCII " + p->name + " " +
                   Quote(p->ascii) + " instead";
    }
    d->caret = k;
    return true;
  }
  return false;
}

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// A keyword one slip of the keyboard away from the word (a character left out, swapped with
// its neighbour, mistyped or added), in upper case; empty when there is none.
std::string NearKeyword(const std::string& word) {
  if (word.size() < 3 || !IsAsciiIdentifier(word)) return "";
  const std::string w = Lower(word);
  static const std::string kKeys = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::vector<std::string> candidates;
  for (size_t i = 0; i < w.size(); ++i) candidates.push_back(w.substr(0, i) + w.substr(i + 1));
  for (size_t i = 0; i + 1 < w.size(); ++i) {
    std::string t = w;
    std::swap(t[i], t[i + 1]);
    candidates.push_back(t);
  }
  for (size_t i = 0; i < w.size(); ++i)
    for (char c : kKeys) candidates.push_back(w.substr(0, i) + c + w.substr(i + 1));
  for (size_t i = 0; i <= w.size(); ++i)
    for (char c : kKeys) candidates.push_back(w.substr(0, i) + c + w.substr(i));
  // Slips happen late in a word more often than early: the keyword sharing the longest
  // beginning with the word wins.
  std::string best;
  size_t bestShared = 0;
  for (const std::string& c : candidates) {
    const std::string kind = c == w ? "" : KeywordKind(c);
    if (kind.empty() || kind == "an operator") continue;
    size_t shared = 0;
    while (shared < c.size() && shared < w.size() && c[shared] == w[shared]) ++shared;
    if (best.empty() || shared > bestShared) best = c, bestShared = shared;
  }
  return Upper(best);
}

// Whether a statement after `from` defines the word (WORD: or WORD:= at its start).
bool DefinedLater(const Formula& f, size_t from, const std::string& word) {
  for (size_t i = from; i < f.Size(); ++i) {
    if (f.At(i) != ';' && f.At(i) != '\n') continue;
    const size_t start = f.SkipSpaces(i + 1), end = f.WordEnd(start);
    if (end > start && Lower(f.Text(start, end)) == Lower(word) && f.At(f.SkipSpaces(end)) == ':') return true;
  }
  return false;
}

Diagnosis UnknownName(const Formula& f, size_t at) {
  const size_t end = f.WordEnd(at);
  const std::string word = f.Text(at, end);
  if (at > 0 && f.At(at - 1) == '"')
    return {"texts are written in single quotes: write '" + word + "' instead of \"" + word + "\"", at - 1};
  if (f.At(end) == '"') return {"texts are written in single quotes: write '" + word + "', not \"" + word + "\"", at};
  size_t first = 0, stmtEnd = 0;
  f.Statement(at, &first, &stmtEnd);
  const size_t next = f.SkipSpaces(end);
  if (f.SkipSpaces(first) == at && f.At(next) == '=')
    return {Quote(word + "=") + " compares, it does not define a name: write " + word + ": for an output or " + word +
                ":= for a hidden variable",
            at};
  if (DefinedLater(f, stmtEnd, word))
    return {Quote(word) + " is used before the statement that defines it: define a name before using it", at};
  const std::string near = NearKeyword(word);
  const std::string guess = near.empty() ? "" : ": did you mean " + near + "?";
  if (f.At(next) == '(') return {"unknown function " + Quote(word) + guess, at};
  if (LooksLikeParameter(word))
    return {"unknown name " + Quote(word) + ": if " + word + " is a parameter, give it a value (--param " + word +
                "=VALUE)",
            at};
  if (!guess.empty()) return {"unknown name " + Quote(word) + guess, at};
  return {"unknown name " + Quote(word) + ": it is not a keyword, and no statement before defines it", at};
}

Diagnosis UnclosedOrMisplaced(const Formula& f, size_t at) {
  size_t first = 0, end = 0;
  f.Statement(at, &first, &end);
  int32_t depth = 0, quotes = 0;
  size_t lastQuote = kNone;
  for (size_t k = first; k < end; ++k) {
    if (f.At(k) == '\'') ++quotes, lastQuote = k;
    if (quotes % 2 == 1 || f.At(k) == '\'') continue;
    depth += f.At(k) == '(' ? 1 : f.At(k) == ')' ? -1 : 0;
  }
  if (quotes % 2 == 1) {
    const std::string rest = f.Text(end, f.Size());
    const bool semicolonInText = f.At(end) == ';' && rest.substr(0, rest.find('\n')).find('\'') != std::string::npos;
    return {semicolonInText ? "a ; inside a quoted text ends the statement: texts cannot hold ;"
                            : "this quoted text is not closed with '",
            lastQuote};
  }
  if (depth > 0) {
    const size_t last = f.SkipSpacesBack(end);
    return {depth == 1
                ? "a \"(\" is not closed: a \")\" is missing at the end of the statement"
                : std::to_string(depth) + " parentheses are not closed: \")\" is missing at the end of the statement",
            last == kNone || last < first ? end : last + 1};
  }
  if (f.At(at) == ')') return {"this \")\" closes no \"(\"", at};
  const std::string word = f.Text(at, f.WordEnd(at));
  return {Quote(word) + " must be followed by its arguments in parentheses: " + word + "(...)", at};
}

// call := '(' argument (',' argument)* ')' ; the arguments written in the call whose "(" is at
// open: their count, and whether one is empty.
int32_t CountArguments(const Formula& f, size_t open, bool* empty) {
  int32_t depth = 0, count = 1;
  bool quoted = false, content = false;
  *empty = false;
  for (size_t k = open + 1; k < f.Size() && f.At(k) != ';' && f.At(k) != '\n'; ++k) {
    const uint32_t c = f.At(k);
    if (c == '\'') quoted = !quoted;
    if (quoted) continue;
    if (depth == 0 && (c == ',' || c == ')')) {
      if (!content && (c == ',' || count > 1)) *empty = true;
      if (c == ')') return content || count > 1 ? count : 0;
      ++count;
      content = false;
      continue;
    }
    depth += c == '(' ? 1 : c == ')' ? -1 : 0;
    if (c != ' ' && c != '\t') content = true;
  }
  return count;
}

Diagnosis ArgumentCount(const Formula& f, size_t at) {
  const std::string word = f.Text(at, f.WordEnd(at));
  const size_t open = f.SkipSpaces(f.WordEnd(at));
  const bool function = KeywordKind(word) == "a function" && f.At(open) == '(';
  if (!function) return {"a value is missing here: an operator needs a value on each side", at};
  bool empty = false;
  const int32_t given = CountArguments(f, open, &empty);
  const int32_t expected = ExpectedArgumentCount(Lower(word));
  if (empty) return {"an argument of " + word + " is empty", at};
  if (expected < 0) return {word + " is called with the wrong number of arguments", at};
  auto args = [](int32_t n) { return std::to_string(n) + (n == 1 ? " argument" : " arguments"); };
  return {word + " takes " + args(expected) + ", not " + std::to_string(given), at};
}

Diagnosis DefinedTwice(const Formula& f, size_t at) {
  size_t first = 0, end = 0;
  f.Statement(at, &first, &end);
  size_t word = at;
  if (f.At(at) == ':') {
    const size_t last = f.SkipSpacesBack(at);
    word = last;
    while (word != kNone && word > first && !IsAsciiNonWord(f.At(word - 1))) --word;
  }
  if (word == kNone) return {"\":\" or \":=\" must follow the name being defined", at};
  const std::string name = f.Text(word, f.WordEnd(word));
  if (f.SkipSpaces(first) != word) return {"a statement defines one name, at its start: NAME:... or NAME:=...", at};
  const std::string kind = KeywordKind(name);
  if (!kind.empty())
    return {Quote(name) + " is " + kind +
                ", a reserved word: it cannot be the name being defined (choose "
                "another name, e.g. " +
                name + "1)",
            word};
  return {Quote(name) + " is already defined: each name is defined once", word};
}

Diagnosis BadOperator(const Formula& f, size_t at, int32_t code) {
  const std::string pair = f.Text(at, at + 2);
  if (code == 12 && f.At(at) == ')') return {"the parentheses before this \")\" must hold exactly one value", at};
  if (code == 12 && pair == "==") return {"\"==\" is not an operator: compare with a single \"=\"", at};
  if (code == 12 && (pair == "=<" || pair == "=>"))
    return {Quote(pair) + " is not an operator: write " + Quote(pair.substr(1) + "="), at};
  if (code == 12) return {Quote(pair) + " is not an operator", at};
  if (f.At(at) == '!') return {"\"!\" alone is not an operator: write != to compare, or NOT(...)", at};
  if (f.At(at) == ':') return {"nothing follows \":\": a value is missing", at};
  return {"the statement ends with " + Quote(f.Text(at, at + 1)) + ": a value is missing after it", at};
}

Diagnosis StrayCharacter(const Formula& f, size_t at) {
  const uint32_t c = f.At(at);
  if ((c == '{' || c == '}') && f.Quoted(at)) return {"a quoted text cannot hold { or }", at};
  if (c == '{') return {"this { opens a comment that is never closed with }", at};
  if (c == '}') return {"this } closes no comment", at};
  if (c == ',') return {"a value is missing before this comma", at};
  return {Quote(f.Text(at, f.WordEnd(at + 1) > at + 1 ? at + 2 : at + 1)) + " is not an operator", at};
}

bool TranslationFails(const std::string& engine, const std::vector<std::pair<std::string, float>>& params) {
  std::vector<std::string> names;
  std::vector<float> values;
  for (const auto& p : params) names.push_back(p.first), values.push_back(p.second);
  IIndexParser* parser = IndexObjCreator::CreateIndexParserObj();
  if (!parser) return false;
  const bool ok = parser->Compile(engine, names, values);
  ParseErrorInfo info{};
  parser->GetErrorInfo(&info);
  IndexObjCreator::ReleaseIndexParserObj(&parser);
  return !ok && info.code == 27;
}

// Where a translation failure (27) lies: the end of the first statement with which the
// beginning of the formula fails to translate (found by halving, since every longer beginning
// fails too); kNone when none does.
size_t FindUntranslatable(const Formula& f, const std::string& engine,
                          const std::vector<std::pair<std::string, float>>& params) {
  std::vector<size_t> ends;
  for (size_t i = 0; i < f.Size(); ++i)
    if (f.At(i) == ';' || f.At(i) == '\n' || i + 1 == f.Size()) ends.push_back(i);
  size_t lo = 0, hi = ends.size();
  while (lo < hi) {
    const size_t mid = lo + (hi - lo) / 2;
    const Char& c = f.Chars()[ends[mid]];
    if (TranslationFails(engine.substr(0, c.engineByte + c.engineBytes), params))
      hi = mid;
    else
      lo = mid + 1;
  }
  return lo < ends.size() ? ends[lo] : kNone;
}

Diagnosis Untranslatable(const Formula& f, const std::string& engine,
                         const std::vector<std::pair<std::string, float>>& params) {
  const size_t at = FindUntranslatable(f, engine, params);
  const char* text =
      "this statement cannot be translated: look for an operator at its end, two operators in a row "
      "or two values without an operator between them";
  if (at == kNone) return {text, kNone};
  size_t first = 0, end = 0;
  f.Statement(at, &first, &end);
  const size_t last = f.SkipSpacesBack(end);
  return {text, last == kNone || last < first ? first : last};
}

Diagnosis NotWritable(const Formula& f, size_t at, const std::string& engineMessage) {
  size_t first = 0, end = 0;
  f.Statement(at, &first, &end);
  const std::string statement = Lower(f.Text(first, end));
  const std::string word = f.Text(at, f.WordEnd(at));
  if (CParserHelper::IsConst(Lower(word)) && statement.find(":=") != std::string::npos)
    return {engineMessage + ": colours and styles apply to outputs (NAME:...), not to hidden variables (NAME:=...)",
            at};
  if (statement.find(" and ") != std::string::npos || statement.find(" or ") != std::string::npos)
    return {engineMessage +
                ": a sign right after AND or OR cannot be written; put the value in parentheses, "
                "e.g. A AND (0-B)",
            at};
  return {engineMessage + ": " + Quote(word) + " cannot stand here", at};
}

std::string Summary(int32_t code) {
  const CompileErrorCode* entry = FindCompileErrorCode(code);
  return entry ? entry->summary : "the formula cannot be compiled";
}

bool UsesWideCheck(int32_t code) {
  for (int32_t c : {10, 11, 12, 13, 14, 15, 21, 22, 23, 27})
    if (c == code) return true;
  return false;
}

Diagnosis Diagnose(const Formula& f, size_t at, const std::string& engine, const std::string& engineMessage,
                   const std::vector<std::pair<std::string, float>>& params, int32_t code) {
  Diagnosis wide{"", kNone};
  if (code == 27) {
    Diagnosis d = Untranslatable(f, engine, params);
    return d.caret != kNone && FindWide(f, d.caret, &wide) ? wide : d;
  }
  if (code == 26) return {Summary(code), kNone};
  if (UsesWideCheck(code) && at < f.Size() && FindWide(f, at, &wide)) return wide;
  const std::string word = f.Text(at, f.WordEnd(at));
  switch (code) {
    case 8: return NotWritable(f, at, engineMessage);
    case 10: return StrayCharacter(f, at);
    case 11: return UnknownName(f, at);
    case 12:
    case 13: return BadOperator(f, at, code);
    case 14: return {"\":\" and \":=\" must follow the name being defined, at the start of the statement", at};
    case 15: return {"write \"&&\" or \"||\" (or AND, OR); leave a space before a following parenthesis", at};
    case 17:
      return {"the name " + Quote(word) + " is " + std::to_string(f.EngineBytes(at, f.WordEnd(at))) +
                  " bytes long; a name holds at most 32 bytes (a Chinese character takes two)",
              at};
    case 21: return UnclosedOrMisplaced(f, at);
    case 22: return ArgumentCount(f, at);
    case 23: return {"two values without an operator or comma between them", at};
    case 24: return DefinedTwice(f, at);
    case 28: return {engineMessage + ": " + Quote(word) + " is used in its own definition", at};
    default: return {Summary(code), at};
  }
}

}  // namespace

std::string StripByteOrderMark(const std::string& text) {
  return text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? text.substr(3) : text;
}

std::string DisplayFormula(const std::string& formula) {
  const std::string text = StripByteOrderMark(formula);
  return IsValidUtf8(text) ? text : GbkToUtf8(text);
}

void ExplainCompileError(const std::string& engineText, bool engineIsGbk, const std::string& engineMessage,
                         const std::vector<std::pair<std::string, float>>& params, CompileError* error) {
  const Formula f(engineIsGbk ? SplitGbk(engineText) : SplitUtf8(engineText));
  const std::vector<size_t> map = PreparedToEngine(engineText);
  const size_t position = static_cast<size_t>(std::max(error->position, 0));
  const size_t byte = position < map.size() ? map[position] : engineText.size();
  const Diagnosis d = Diagnose(f, f.CharAtByte(byte), engineText, engineMessage, params, error->code);
  error->message = d.message;
  error->line = 0;
  error->column = 0;
  if (d.caret == kNone) return;
  size_t lineStart = 0;
  error->line = 1;
  for (size_t i = 0; i < d.caret && i < f.Size(); ++i)
    if (f.At(i) == '\n') ++error->line, lineStart = i + 1;
  error->column = static_cast<int32_t>(d.caret - lineStart) + 1;
}

}  // namespace abacor_host
