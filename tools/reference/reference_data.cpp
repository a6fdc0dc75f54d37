#include "reference_data.h"

#include <abacor/abacor.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <sstream>

#include "formula/eval/function_table.h"
#include "formula/frontend/keyword_tables.h"

namespace reference {
namespace {

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return "";
  size_t e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}

std::vector<std::string> SplitWords(const std::string& s) {
  std::vector<std::string> words;
  std::istringstream in(s);
  std::string w;
  while (in >> w) words.push_back(w);
  return words;
}

// Argument names: "X, N" gives {"X", "N"}; an empty text gives none.
std::vector<std::string> SplitArgs(const std::string& s) {
  std::vector<std::string> args;
  if (Trim(s).empty()) return args;
  size_t start = 0;
  while (true) {
    size_t comma = s.find(',', start);
    args.push_back(Trim(s.substr(start, comma == std::string::npos ? std::string::npos : comma - start)));
    if (comma == std::string::npos) return args;
    start = comma + 1;
  }
}

KeywordKind KindOf(int32_t id) {
  if (id < TOKEN_OPERATOR_LIMIT || (id >= TOKEN_OPEN && id <= TOKEN_COMMA)) return KeywordKind::Operator;
  if (id >= TOKEN_DRAW_FIRST && id <= TOKEN_DRAW_LAST && IsDrawFunction(id)) return KeywordKind::DrawFunction;
  if (id >= TOKEN_FUNCTION_FIRST && id <= TOKEN_FUNCTION_LAST) return KeywordKind::Function;
  if (id >= TOKEN_STYLE_FIRST && id <= TOKEN_STYLE_LAST) return KeywordKind::Style;
  if (id >= TOKEN_COLOR_FIRST && id <= TOKEN_COLOR_LAST) return KeywordKind::Colour;
  if (id > TOKEN_LINE_WIDTH_BASE && id <= TOKEN_ATTRIBUTE_LAST) return KeywordKind::LineWidth;
  if (id >= TOKEN_FIELD_FIRST && id <= TOKEN_FIELD_LAST) return KeywordKind::Field;
  return KeywordKind::Other;
}

// The row of the function-info table behind a function keyword, or null.
const FunctionInfo* FunctionRowOf(int32_t id, KeywordKind kind) {
  const char* name = kind == KeywordKind::DrawFunction ? DrawNameOf(id) : ScriptWordOf(id);
  if (name == nullptr) return nullptr;
  int32_t fnId = -1;
  const int32_t row = FindFunction(name, &fnId);
  return row < 0 ? nullptr : &FunctionInfoTable[row];
}

KeywordFacts FactsOf(const KeywordInfo& info) {
  KeywordFacts f;
  f.word = Upper(info.word);
  f.id = info.id;
  f.argCount = info.argCount;
  f.kind = KindOf(info.id);
  f.colour = NamedColourValue(info.id);
  if (f.kind != KeywordKind::Function && f.kind != KeywordKind::DrawFunction) return f;
  const FunctionInfo* row = FunctionRowOf(info.id, f.kind);
  if (row == nullptr) return f;
  f.looksAhead = (row->flags & FN_EXTEND_FORWARD) != 0;
  f.wholeRange = (row->flags & FN_RECALC_ALL) != 0;
  f.recursive = (row->flags & FN_EXTEND_HISTORY) != 0;
  return f;
}

// The keyword tables are built by the first compilation in the process.
void EnsureTables() {
  if (KeywordTablesBuilt()) return;
  IIndexParser* parser = IndexObjCreator::CreateIndexParserObj();
  parser->Compile("x:c;", {}, {});
  IndexObjCreator::ReleaseIndexParserObj(&parser);
}

bool IsFunctionKind(KeywordKind k) { return k == KeywordKind::Function || k == KeywordKind::DrawFunction; }

// Compiles a formula; the error text names the code, line and column on failure.
bool Compiles(const std::string& formula, std::string* error) {
  IIndexParser* parser = IndexObjCreator::CreateIndexParserObj();
  const bool ok = parser->Compile(formula, {}, {});
  if (!ok) {
    ParseErrorInfo e{};
    parser->GetErrorInfo(&e);
    *error = "error " + std::to_string(e.code) + " at column " + std::to_string(e.column);
  }
  IndexObjCreator::ReleaseIndexParserObj(&parser);
  return ok;
}

// A field line "key: text" sets one field of the entry.
bool SetField(Entry* entry, const std::string& key, const std::string& value, std::string** last) {
  std::map<std::string, std::string*> fields = {
      {"args", &entry->args},       {"does", &entry->does}, {"novalue", &entry->novalue},
      {"example", &entry->example}, {"note", &entry->note}, {"picture", &entry->picture},
  };
  auto it = fields.find(key);
  if (it == fields.end()) return false;
  *it->second = value;
  *last = it->second;
  return true;
}

bool SetErrorField(ErrorCode* code, const std::string& key, const std::string& value, std::string** last) {
  if (key == "message")
    *last = &code->message;
  else if (key == "cause")
    *last = &code->cause;
  else
    return false;
  **last = value;
  return true;
}

std::string Where(int32_t line) { return "line " + std::to_string(line) + ": "; }

// State of the line-by-line parse.
struct ParseState {
  Reference* out;
  enum { None, Intro, InEntry, InError } mode = None;
  std::string* last = nullptr;  // the field a continuation line extends
};

// "key: text" in an entry or an error code.
bool ParseFieldLine(ParseState& st, const std::string& line, int32_t lineNo, std::string* error) {
  size_t colon = line.find(':');
  if (colon == std::string::npos) {
    *error = Where(lineNo) + "expected \"key: text\"";
    return false;
  }
  const std::string key = Trim(line.substr(0, colon));
  const std::string value = Trim(line.substr(colon + 1));
  const bool ok = st.mode == ParseState::InEntry ? SetField(&st.out->entries.back(), key, value, &st.last)
                                                 : SetErrorField(&st.out->errors.back(), key, value, &st.last);
  if (!ok) *error = Where(lineNo) + "unknown field \"" + key + "\"";
  return ok;
}

// "@ NAME [ALIAS...]": a new entry in the current section.
bool OpenEntry(ParseState& st, const std::string& line, int32_t lineNo, std::string* error) {
  if (st.out->sections.empty()) {
    *error = Where(lineNo) + "an entry before the first section";
    return false;
  }
  Entry e;
  for (const std::string& w : SplitWords(line.substr(1))) e.names.push_back(Upper(w));
  if (e.names.empty()) {
    *error = Where(lineNo) + "an entry without a name";
    return false;
  }
  e.section = st.out->sections.back().title;
  e.line = lineNo;
  st.out->sections.back().entries.push_back(static_cast<int32_t>(st.out->entries.size()));
  st.out->entries.push_back(e);
  st.mode = ParseState::InEntry;
  st.last = nullptr;
  return true;
}

// "! CODE": a new error code.
bool OpenError(ParseState& st, const std::string& line, int32_t lineNo, std::string* error) {
  ErrorCode c;
  char* end = nullptr;
  const std::string digits = Trim(line.substr(1));
  c.code = static_cast<int32_t>(std::strtol(digits.c_str(), &end, 10));
  if (digits.empty() || *end != '\0') {
    *error = Where(lineNo) + "\"!\" takes an error code";
    return false;
  }
  st.out->errors.push_back(c);
  st.mode = ParseState::InError;
  st.last = nullptr;
  return true;
}

// One line: a comment, a section, an entry, an error code, introduction text, a field or a continuation.
bool ParseLine(ParseState& st, const std::string& line, int32_t lineNo, std::string* error) {
  if (line.rfind("#", 0) == 0) return true;
  if (line.rfind("==", 0) == 0) {
    st.out->sections.push_back(Section{Trim(line.substr(2)), "", {}});
    st.mode = ParseState::Intro;
    return true;
  }
  if (line.rfind("@", 0) == 0) return OpenEntry(st, line, lineNo, error);
  if (line.rfind("!", 0) == 0) return OpenError(st, line, lineNo, error);
  if (st.mode == ParseState::Intro) {
    st.out->sections.back().intro += line + "\n";
    return true;
  }
  if (Trim(line).empty()) return true;
  if (st.mode == ParseState::None) {
    *error = Where(lineNo) + "text before the first section";
    return false;
  }
  if (line[0] != ' ') return ParseFieldLine(st, line, lineNo, error);
  if (st.last == nullptr) {
    *error = Where(lineNo) + "a continuation line without a field";
    return false;
  }
  *st.last += " " + Trim(line);
  return true;
}

std::string Anchor(const std::string& name) { return Lower(name); }

// "MA(X, N)", or the bare name of a function without arguments.
std::string Signature(const Entry& e) { return e.args.empty() ? e.names[0] : e.names[0] + "(" + e.args + ")"; }

std::string LookAheadText(const KeywordFacts& f) {
  if (f.looksAhead) return "yes: its value on a bar can change when later bars arrive";
  if (f.wholeRange)
    return "through the whole range: its value on a bar can change when bars are added, so a change "
           "recalculates every bar";
  return "no";
}

std::string HexColour(uint32_t abgr) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "#%02X%02X%02X", abgr & 0xFF, (abgr >> 8) & 0xFF, (abgr >> 16) & 0xFF);
  return buf;
}

std::string AliasText(const Entry& e) {
  std::string s;
  for (size_t i = 1; i < e.names.size(); ++i) s += (i > 1 ? ", " : "") + std::string("`") + e.names[i] + "`";
  return s;
}

void RenderFunction(const Entry& e, const KeywordFacts& f, std::ostringstream& out) {
  out << "<a id=\"" << Anchor(e.names[0]) << "\"></a>\n\n### " << Signature(e) << "\n\n";
  if (e.names.size() > 1) out << "Also written " << AliasText(e) << ".\n\n";
  out << e.does << "\n\n";
  if (!e.novalue.empty()) out << "- No value: " << e.novalue << "\n";
  if (f.kind == KeywordKind::Function) out << "- Looks at later bars: " << LookAheadText(f) << "\n";
  if (f.recursive) out << "- Depends on every earlier bar: the start of the calculated range shapes its values.\n";
  out << "- Example: `" << e.example << "`\n";
  if (!e.note.empty()) out << "\n> **Note.** " << e.note << "\n";
  if (!e.picture.empty()) out << "\n![" << e.names[0] << "](pictures/" << PictureFile(e) << ")\n";
  out << "\n";
}

// A table cell: a "|" would end the cell.
std::string Cell(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '|') out += '\\';
    out += c;
  }
  return out;
}

void RenderKeywordRow(const Entry& e, const KeywordFacts& f, std::ostringstream& out) {
  std::string name = "`" + e.names[0] + "`";
  if (e.names.size() > 1) name += " (" + AliasText(e) + ")";
  std::ostringstream row;
  if (f.kind == KeywordKind::Colour) row << HexColour(f.colour) << " ";
  row << e.does;
  if (!e.example.empty()) row << " Example: `" << e.example << "`";
  if (!e.note.empty()) row << " **Note.** " << e.note;
  out << "| " << Cell(name) << " | " << Cell(row.str()) << " |\n";
}

void RenderSection(const Reference& ref, const Section& s, std::ostringstream& out) {
  out << "## " << s.title << "\n\n";
  if (!Trim(s.intro).empty()) out << Trim(s.intro) << "\n\n";
  bool inTable = false;
  for (int32_t index : s.entries) {
    const Entry& e = ref.entries[index];
    KeywordFacts f;
    FindKeyword(e.names[0], &f);
    if (IsFunctionKind(f.kind)) {
      if (inTable) out << "\n";
      inTable = false;
      RenderFunction(e, f, out);
      continue;
    }
    if (!inTable) out << "| keyword | meaning |\n| --- | --- |\n";
    inTable = true;
    RenderKeywordRow(e, f, out);
  }
  if (inTable) out << "\n";
}

void RenderErrors(const Reference& ref, std::ostringstream& out) {
  if (ref.errors.empty()) return;
  out << "## Error codes\n\n";
  if (!ref.errorSource.empty()) out << ref.errorSource << "\n\n";
  out << "| code | message | typical cause |\n| --- | --- | --- |\n";
  for (const ErrorCode& c : ref.errors)
    out << "| " << c.code << " | " << Cell(c.message) << " | " << Cell(c.cause) << " |\n";
  out << "\n";
}

void RenderIndex(const Reference& ref, std::ostringstream& out) {
  out << "## Index\n\n";
  for (const Section& s : ref.sections) {
    std::string names;
    for (int32_t index : s.entries) {
      const Entry& e = ref.entries[index];
      KeywordFacts f;
      if (!FindKeyword(e.names[0], &f) || !IsFunctionKind(f.kind)) continue;
      names += (names.empty() ? "" : ", ") + std::string("[") + e.names[0] + "](#" + Anchor(e.names[0]) + ")";
    }
    if (!names.empty()) out << "- " << s.title << ": " << names << "\n";
  }
  out << "\n";
}

// Plain text for a terminal: no Markdown marks.
std::string Plain(const std::string& s) {
  std::string out;
  for (char c : s)
    if (c != '`') out += c;
  size_t pos = 0;
  while ((pos = out.find("**")) != std::string::npos) out.erase(pos, 2);
  return out;
}

// Wraps text at 78 columns with the given indentation.
std::string Wrap(const std::string& text, const std::string& indent) {
  std::string out, line = indent;
  for (const std::string& w : SplitWords(text)) {
    if (line.size() > indent.size() && line.size() + 1 + w.size() > 78) {
      out += line + "\n";
      line = indent;
    }
    line += (line.size() > indent.size() ? " " : "") + w;
  }
  return out + line + "\n";
}

// A C++ string literal; every byte outside printable ASCII as an octal escape.
std::string CppString(const std::string& s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c > 0x7E) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\%03o", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

}  // namespace

std::vector<KeywordFacts> LanguageKeywords() {
  EnsureTables();
  std::vector<KeywordFacts> all;
  for (int32_t i = 0; i < KeywordCount(); ++i) all.push_back(FactsOf(KeywordAt(i)));
  return all;
}

bool FindKeyword(const std::string& word, KeywordFacts* facts) {
  EnsureTables();
  const std::string lower = Lower(word);
  for (int32_t i = 0; i < KeywordCount(); ++i) {
    if (lower != KeywordAt(i).word) continue;
    *facts = FactsOf(KeywordAt(i));
    return true;
  }
  return false;
}

bool ParseReference(const std::string& text, Reference* out, std::string* error) {
  *out = Reference{};
  ParseState st{out};
  std::istringstream in(text);
  std::string line;
  int32_t lineNo = 0;
  while (std::getline(in, line)) {
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!ParseLine(st, line, lineNo, error)) return false;
  }
  return true;
}

bool CheckReference(const Reference& ref, std::vector<std::string>* problems) {
  std::map<std::string, int32_t> seen;  // keyword to entry line
  for (const Entry& e : ref.entries) {
    for (const std::string& name : e.names) {
      KeywordFacts f;
      if (!FindKeyword(name, &f)) {
        problems->push_back(Where(e.line) + name + " is not a keyword of the language");
        continue;
      }
      auto [it, fresh] = seen.emplace(f.word, e.line);
      if (!fresh)
        problems->push_back(Where(e.line) + name + " already has an entry at line " + std::to_string(it->second));
    }
    KeywordFacts f;
    if (!FindKeyword(e.names[0], &f)) continue;
    if (e.does.empty()) problems->push_back(Where(e.line) + e.names[0] + " has no \"does:\"");
    if (!IsFunctionKind(f.kind)) continue;
    const int32_t argc = static_cast<int32_t>(SplitArgs(e.args).size());
    if (argc != f.argCount)
      problems->push_back(Where(e.line) + e.names[0] + " takes " + std::to_string(f.argCount) +
                          " arguments, the entry names " + std::to_string(argc));
    std::string error;
    if (e.example.empty())
      problems->push_back(Where(e.line) + e.names[0] + " has no example");
    else if (!Compiles(e.example, &error))
      problems->push_back(Where(e.line) + "the example of " + e.names[0] + " does not compile: " + error);
  }
  for (const KeywordFacts& f : LanguageKeywords())
    if (!seen.count(f.word)) problems->push_back(f.word + " has no entry");
  return problems->empty();
}

std::string PictureFile(const Entry& entry) { return Lower(entry.names[0]) + ".png"; }

std::string RenderMarkdown(const Reference& ref) {
  std::ostringstream out;
  out << "<!-- Generated from docs/reference/language.txt by abacor_reference_gen; do not edit. -->\n\n";
  for (size_t i = 0; i < ref.sections.size(); ++i) {
    if (i == 0) {
      out << "# " << ref.sections[0].title << "\n\n" << Trim(ref.sections[0].intro) << "\n\n";
      RenderIndex(ref, out);
      continue;
    }
    RenderSection(ref, ref.sections[i], out);
  }
  RenderErrors(ref, out);
  std::string text = out.str();
  while (text.size() > 1 && text[text.size() - 1] == '\n' && text[text.size() - 2] == '\n') text.pop_back();
  return text;
}

std::string RenderPlainEntry(const Reference& ref, const Entry& e) {
  (void)ref;
  KeywordFacts f;
  FindKeyword(e.names[0], &f);
  std::string out = Signature(e) + "    [" + e.section + "]\n";
  if (e.names.size() > 1) out += Wrap("Also written " + Plain(AliasText(e)) + ".", "  ");
  if (f.kind == KeywordKind::Colour) out += "  Colour " + HexColour(f.colour) + ".\n";
  out += Wrap(Plain(e.does), "  ");
  if (!e.novalue.empty()) out += Wrap("No value: " + Plain(e.novalue), "  ");
  if (f.kind == KeywordKind::Function) out += Wrap("Looks at later bars: " + LookAheadText(f) + ".", "  ");
  if (f.recursive)
    out += Wrap("Depends on every earlier bar: the start of the calculated range shapes its values.", "  ");
  if (!e.example.empty()) out += "  Example: " + e.example + "\n";
  if (!e.note.empty()) out += Wrap("Note: " + Plain(e.note), "  ");
  return out;
}

std::string RenderCppTable(const Reference& ref) {
  std::ostringstream out;
  out << "// Generated from docs/reference/language.txt by abacor_reference_gen; do not edit.\n"
      << "#include \"function_reference.h\"\n\n"
      << "namespace abacor_host {\nnamespace {\n\n"
      << "constexpr FunctionReference kEntries[] = {\n";
  for (const Entry& e : ref.entries) {
    std::string names;
    for (const std::string& n : e.names) names += (names.empty() ? "" : " ") + n;
    KeywordFacts f;
    FindKeyword(e.names[0], &f);
    out << "    {" << CppString(names) << ", " << CppString(e.section) << ", "
        << (IsFunctionKind(f.kind) ? "true" : "false") << ",\n     " << CppString(RenderPlainEntry(ref, e)) << "},\n";
  }
  out << "};\nstatic_assert(sizeof(kEntries) / sizeof(kEntries[0]) == " << ref.entries.size()
      << ", \"one row per entry of the reference\");\n\n}  // namespace\n\n"
      << "const FunctionReference* FunctionReferenceEntries() { return kEntries; }\n"
      << "size_t FunctionReferenceCount() { return sizeof(kEntries) / sizeof(kEntries[0]); }\n\n"
      << "}  // namespace abacor_host\n";
  return out.str();
}

std::string RenderPictureList(const Reference& ref) {
  std::string out;
  for (const Entry& e : ref.entries)
    if (!e.picture.empty()) out += Lower(e.names[0]) + "\t" + e.picture + "\n";
  return out;
}

std::string RenderExampleList(const Reference& ref) {
  std::string out;
  for (const Entry& e : ref.entries)
    if (!e.example.empty()) out += e.names[0] + "\t" + e.example + "\n";
  return out;
}

}  // namespace reference
