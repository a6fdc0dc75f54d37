#include "formula/frontend/script_writer.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "formula/frontend/keyword_tables.h"
#include "formula/frontend/messages.h"

namespace {

struct StyleWordRow {
  int32_t style;
  const char* word;
};
// `rtvolstick` (15) has no line-style constant of its own: a draw call carries the plain style
// for it, as for `noframe` and `drawabove`, so that the translator can resolve every word written.
constexpr StyleWordRow kDrawStyleWords[] = {
    {1, "ployVOLStick"},   {2, "ployStick"},    {3, "ployCircledot"}, {4, "ployLinestick"}, {5, "ployCrossdot"},
    {6, "ployColorstick"}, {10, "ployDotline"}, {13, "ployPointdot"}, {14, "ploySar"},
};
static_assert(sizeof(kDrawStyleWords) / sizeof(kDrawStyleWords[0]) == 9, "9 draw style words");

// Output descriptors by style: column descriptors carry no line width.
struct DescriptorRow {
  int32_t style;
  const char* head;  // text before the name
  bool column;
};
constexpr DescriptorRow kDescriptors[] = {
    {1, ".column(cltVolStick,0,", true},    {2, ".column(cltStick,0,", true},   {3, ".circular(citCircle,", false},
    {4, ".column(cltLineStick,0,", true},   {5, ".circular(citCross,", false},  {6, ".column(cltColorStick,0,", true},
    {10, ".circular(citDotLine,", false},   {13, ".circular(citPoint,", false}, {14, ".circular(citSar,", false},
    {15, ".column(cltRTVolStick,0,", true},
};
static_assert(sizeof(kDescriptors) / sizeof(kDescriptors[0]) == 10, "10 styled descriptors");

constexpr char kLineEnd[] = "\r\n";

bool IsOutputName(int32_t id) { return id >= TOKEN_OUTPUT && id < TOKEN_CONSTANT; }

// Cuts text before its last `)` (when it has one).
void CutBeforeLastClose(std::string& text) {
  size_t close = text.rfind(')');
  if (close != std::string::npos) text.resize(close);
}

template <typename T>
T At(const std::vector<T>& list, int32_t i, T fallback) {
  return i >= 0 && static_cast<size_t>(i) < list.size() ? list[i] : fallback;
}

}  // namespace

std::string ColourText(uint32_t colour) {
  auto k = static_cast<int32_t>(colour);
  if (k < 0) return "RGB(254,254,254)";
  return "RGB(" + std::to_string(k & 0xFF) + "," + std::to_string((k >> 8) & 0xFF) + "," +
         std::to_string((k >> 16) & 0xFF) + ")";
}

const char* DrawStyleWord(int32_t style) {
  for (const StyleWordRow& row : kDrawStyleWords) {
    if (row.style == style) return row.word;
  }
  return "ployNomal";
}

std::string ScriptWriter::WriteScript() {
  out_.scriptFields.clear();
  out_.paramListText.clear();
  out_.script = WriteBothRuns();
  return out_.script;
}

std::string ScriptWriter::WriteBothRuns() {
  const std::vector<int32_t>& tokens = tokens_.formulaTokens();
  std::vector<std::pair<int32_t, int32_t>> statements;  // first and last token of each statement
  int32_t first = 0;
  for (int32_t k = 0; k < static_cast<int32_t>(tokens.size()); ++k) {
    if (tokens[k] != TOKEN_STATEMENT_END) continue;
    statements.emplace_back(first, k - 1);
    first = k + 1;
  }
  for (bool final : {false, true}) {
    if (final && names_.paramCount() > 0) {
      const std::vector<std::string>& params = names_.paramNameTable();
      out_.paramListText = "(";
      for (size_t p = 0; p < params.size(); ++p) out_.paramListText += (p == 0 ? "" : ",") + params[p];
      out_.paramListText += ")";
    }
    std::string script;
    out_.outputCursor = 0;
    for (const auto& range : statements) {
      std::string line = WriteStatement(range.first, range.second, out_.outputCursor, final);
      if (!final && !out_.scriptErrors.empty()) return std::string();
      script += line;
      // The analysis numbered named, anonymous and drawing outputs; the cursor follows it.
      int32_t head = range.first <= range.second ? tokens[range.first] : 0;
      if (IsOutputName(head) || IsDrawFunction(head)) ++out_.outputCursor;
    }
    if (final) {
      FillSummaries();
      return script;
    }
  }
  return std::string();
}

void ScriptWriter::FillSummaries() {
  out_.summaryParamNames = names_.paramNameTable();
  out_.summaryParamValues.clear();
  for (const std::string& value : names_.paramValueTexts()) {
    out_.summaryParamValues.push_back(std::strtof(value.c_str(), nullptr));
  }
  out_.summaryVariableNames = names_.variableNameTable();
  out_.summaryFieldNames = out_.scriptFields;
  out_.summaryOutputNames = names_.outputNameTable();
}

// statement := token* ; each token in its written form, with nothing between them
std::string ScriptWriter::WriteStatement(int32_t first, int32_t last, int32_t outputCursor, bool final) {
  std::string out;
  std::vector<std::string> extraLines;
  int32_t defined = -1;
  bool drawCall = false;
  // `reverse(x)` is written "(0-(x))": bracket depths at which a negation waits for its `)`.
  int32_t depth = 0;
  std::vector<int32_t> negations;
  const std::vector<int32_t>& tokens = tokens_.formulaTokens();
  last = std::min(last, static_cast<int32_t>(tokens.size()) - 1);
  for (int32_t k = std::max(first, 0); k <= last; ++k) {
    int32_t id = tokens[k];
    if (id == TOKEN_REVERSE) {
      out += "(";
      negations.push_back(depth);
    } else if (id == TOKEN_OPEN) {
      ++depth;
    } else if (id == TOKEN_CLOSE && --depth >= 0 && !negations.empty() && negations.back() == depth) {
      negations.pop_back();
      out += ")";  // closes the negation; the argument's own `)` is written below
    }
    if (IsDrawFunction(id)) {
      drawCall = true;
      k = WriteDrawCall(k, last, outputCursor, final, out, extraLines);
      continue;
    }
    if (id == TOKEN_DEFINE_OUTPUT && final && k > first && IsOutputName(tokens[k - 1])) {
      defined = tokens[k - 1] - TOKEN_OUTPUT;
    }
    if (id >= TOKEN_FIELD_FIRST && id <= TOKEN_FIELD_LAST) {
      const char* field = FieldNameOf(id);
      bool known = false;
      for (const std::string& name : out_.scriptFields) known = known || name == field;
      if (field != nullptr && !known) out_.scriptFields.emplace_back(field);
    }
    std::string written = WrittenForm(id);
    if (written.empty()) {
      WriteUnwritable(k, out);
    } else {
      out += written;
    }
  }
  if (!final) return out;
  if (!out.empty()) out += std::string(";") + kLineEnd;
  // A named draw call (`x:stickline(...)`) is itself the output: a descriptor would add a
  // second output for the one name and shift every later output against its attributes.
  if (defined >= 0 && !drawCall) out += WriteOutputDescriptor(defined);
  std::string extras;
  for (const std::string& line : extraLines) extras += line;
  return extras + out;
}

// draw call := drawname '(' arg (',' arg)* ')' ; each argument becomes an extra variable
int32_t ScriptWriter::WriteDrawCall(int32_t k, int32_t last, int32_t s, bool final, std::string& out,
                                    std::vector<std::string>& extraLines) {
  int32_t id = tokens_.formulaTokens()[k];
  out += DrawNameOf(id);
  out += "(";
  int32_t count = std::max(ArgCountOf(id), 0);
  int32_t from = k + 2;  // after the `(`
  for (int32_t a = 0; a < count; ++a) {
    bool lastArgument = a + 1 == count;
    int32_t end = lastArgument ? last : ArgumentEnd(from, last);
    std::string argument = from <= end ? WriteStatement(from, end, s, false) : std::string();
    if (lastArgument) CutBeforeLastClose(argument);
    if (final) {
      std::string variable = NewDrawVariable();
      extraLines.push_back(variable + "=" + argument + ";" + kLineEnd);
      argument = variable;
    }
    out += argument + ",";
    from = end + 2;  // past the comma
  }
  out += ColourText(At(attributes_.colours(), s, kNoColour)) + "," +
         std::to_string(At(attributes_.lineWidths(), s, 1)) + "," + DrawStyleWord(At(attributes_.styles(), s, 0)) + ")";
  if (id == TOKEN_DRAWTEXT || id == TOKEN_DRAWNUMBER) {
    CutBeforeLastClose(out);
    out += id == TOKEN_DRAWTEXT ? ",0)" : ",1)";
  }
  return last;
}

int32_t ScriptWriter::ArgumentEnd(int32_t from, int32_t last) const {
  int32_t level = 0;
  for (int32_t k = from; k <= last; ++k) {
    int32_t id = tokens_.formulaTokens()[k];
    if (id == TOKEN_OPEN) ++level;
    if (id == TOKEN_CLOSE) --level;
    if (id == TOKEN_COMMA && level == 0) return k - 1;
  }
  return last;
}

std::string ScriptWriter::WrittenForm(int32_t id) const {
  const char* word = ScriptWordOf(id);
  if (word != nullptr) return word;
  if (id >= TOKEN_TEXT) {
    size_t n = static_cast<size_t>(id - TOKEN_TEXT);
    return n < names_.texts().size() ? "\"" + names_.texts()[n] + "\"" : std::string();
  }
  const std::vector<std::string>* table = nullptr;
  int32_t base = 0;
  if (id >= TOKEN_CONSTANT) {
    table = &names_.constantTexts();
    base = TOKEN_CONSTANT;
  } else if (id >= TOKEN_OUTPUT) {
    table = &names_.outputNameTable();
    base = TOKEN_OUTPUT;
  } else if (id >= TOKEN_VARIABLE) {
    table = &names_.variableNameTable();
    base = TOKEN_VARIABLE;
  }
  if (table == nullptr) return std::string();
  size_t n = static_cast<size_t>(id - base);
  return n < table->size() ? (*table)[n] : std::string();
}

// A token without a written form leaves a message; the first one becomes the script error.
void ScriptWriter::WriteUnwritable(int32_t k, std::string& out) {
  const char* keyword = FirstKeywordOf(tokens_.formulaTokens()[k]);
  std::string message = keyword != nullptr ? std::string(keyword) + kMsgNotSupported : kMsgSyntaxError;
  out += message;
  if (out_.scriptErrors.empty()) out_.scriptErrors[k] = message;
}

std::string ScriptWriter::NewDrawVariable() {
  std::string name = ".tempdrawparam" + std::to_string(out_.drawParamCount++);
  names_.AddVariable(name);
  return name;
}

std::string ScriptWriter::WriteOutputDescriptor(int32_t n) const {
  const std::vector<std::string>& outputNames = names_.outputNameTable();
  if (n < 0 || static_cast<size_t>(n) >= outputNames.size()) return std::string();
  if (outputNames[n] == kDrawingOutputName) return std::string();
  int32_t style = At(attributes_.styles(), n, 0);
  if (style < 0) return std::string();
  std::string name = outputNames[n] + out_.paramListText;
  std::string colour = ColourText(At(attributes_.colours(), n, kNoColour));
  std::string width = "," + std::to_string(At(attributes_.lineWidths(), n, 1));
  for (const DescriptorRow& row : kDescriptors) {
    if (row.style != style) continue;
    if (row.column) return row.head + name + "," + colour + ");" + kLineEnd;
    return row.head + name + "," + colour + width + ");" + kLineEnd;
  }
  return ".curveline(" + name + "," + colour + width + ");" + kLineEnd;
}
