// Compile errors as a formula writer sees them: a sentence naming the problem and
// a caret under the right character, while code and position stay the engine's.
#include <gtest/gtest.h>

#include <abacor/abacor.h>

#include <set>
#include <string>

#include "compile_messages.h"
#include "formula_runner.h"
#include "text_encoding.h"

namespace {

using abacor_host::CompileError;
using abacor_host::FormulaRunner;

struct Mistake {
  const char* formula;
  const char* param;  // name of a parameter given the value 5, or null
  int32_t code;
  const char* fragment;  // part of the message
  int32_t line;
  int32_t column;  // 1-based, in characters
};

// Each row is a mistake users make, with what they must be told and where.
constexpr Mistake kMistakes[] = {
    {"X:MA(C,5", nullptr, 21, "\")\" is missing at the end of the statement", 1, 9},
    {"X:(C>O;Y:C;", nullptr, 21, "\")\" is missing", 1, 7},
    {"X:MA(CLOSE\xEF\xBC\x8C"
     "5);",
     nullptr, 11, "full-width comma", 1, 11},
    {"A:C\xEF\xBC\x9B"
     "B:O;",
     nullptr, 11, "full-width semicolon", 1, 4},
    {"X\xEF\xBC\x9A"
     "C;",
     nullptr, 11, "full-width colon", 1, 2},
    {"X:MA\xEF\xBC\x88"
     "C,5);",
     nullptr, 11, "full-width parenthesis", 1, 5},
    {"DRAWTEXT(C>O,L,\xE2\x80\x9C"
     "UP\xE2\x80\x9D);",
     nullptr, 11, "single quotes", 1, 16},
    {"DRAWTEXT(C>O,L,\"UP\");", nullptr, 11, "write 'UP' instead of \"UP\"", 1, 16},
    {"MA5=MA(C,5);", nullptr, 11, "write MA5: for an output or MA5:= for a hidden variable", 1, 1},
    {"M:MA(C,N);", nullptr, 11, "if N is a parameter, give it a value (--param N=", 1, 8},
    {"M:MA(C,N)+FOO;", "N", 11, "unknown name \"FOO\"", 1, 11},
    {"X:MAA(C,5);", nullptr, 11, "unknown function \"MAA\": did you mean MA?", 1, 3},
    {"X:CLOES;", nullptr, 11, "unknown name \"CLOES\": did you mean CLOSE?", 1, 3},
    {"X:CROS(C,O);", nullptr, 11, "unknown function \"CROS\": did you mean CROSS?", 1, 3},
    {"X:FOOBAR;", nullptr, 11, "it is not a keyword, and no statement before defines it", 1, 3},
    {"X:MA5*2;\nMA5:MA(C,5);", nullptr, 11, "\"MA5\" is used before the statement that defines it", 1, 3},
    {"CLOSE:=C+1;", nullptr, 24, "\"CLOSE\" is a data field, a reserved word", 1, 1},
    {"MA:=C;", nullptr, 24, "\"MA\" is a function, a reserved word", 1, 1},
    {"A:C;A:O;", nullptr, 24, "\"A\" is already defined", 1, 5},
    {"X:MA(C);", nullptr, 22, "MA takes 2 arguments, not 1", 1, 3},
    {"X:IF(C>O,1);", nullptr, 22, "IF takes 3 arguments, not 2", 1, 3},
    {"X:C;\nY:REF(C,1,2);", nullptr, 22, "REF takes 2 arguments, not 3", 2, 3},
    {"X:MA(C,,5);", nullptr, 22, "an argument of MA is empty", 1, 3},
    {"X:C>;", nullptr, 13, "ends with \">\"", 1, 4},
    {"X:C==O;", nullptr, 12, "compare with a single \"=\"", 1, 4},
    {"X:C&O;", nullptr, 15, "\"&&\"", 1, 4},
    {"X:(C O);", nullptr, 23, "two values without an operator", 1, 7},
    {"{note", nullptr, 10, "never closed with }", 1, 1},
    {"X:MA C,5;", nullptr, 21, "\"MA\" must be followed by its arguments in parentheses", 1, 3},
    {"X:DRAWTEXT(C>O,L,'a;b');", nullptr, 21, "a ; inside a quoted text ends the statement", 1, 18},
    {"X:C+X;", nullptr, 28,
     "\xE9\x9D\x9E\xE6\xB3\x95\xE7\x9A\x84\xE6\x8C\x87\xE6\xA0\x87\xE8\x87\xAA\xE5\xBC\x95\xE7\x94\xA8", 1, 5},
    {"X:=C,COLORRED;", nullptr, 8, "not to hidden variables", 1, 6},
    {"A:C;\nX:C-;", nullptr, 27, "cannot be translated", 2, 4},
    // Columns count characters: a Chinese comment on line 1, sign zeros the engine inserts,
    // and a byte-order mark do not move the caret.
    {"{\xE4\xB8\xAD\xE6\x96\x87\xE6\xB3\xA8\xE9\x87\x8A\xE4\xB9\x9D\xE4\xB8\xAA\xE5\xAD\x97\xE7\xAC\xA6\xE5\x95\x8A}\n"
     "X:MA(C,5)+FOO;",
     nullptr, 11, "\"FOO\"", 2, 11},
    {"{\xE4\xB8\xAD\xE6\x96\x87} X:MA(C,5)+FOO;", nullptr, 11, "\"FOO\"", 1, 16},
    {"X:C;;Y:-C+-O*FOO;", nullptr, 11, "\"FOO\"", 1, 14},
    {"\xEF\xBB\xBFX:FOO;", nullptr, 11, "\"FOO\"", 1, 3},
    {"\xE7\x9F\xAD\xE7\xBA\xBF:MA(C,5)+\xE7\x94\xB2;", nullptr, 11, "\"\xE7\x94\xB2\"", 1, 12},
};

int32_t RawPosition(const std::string& text, const std::vector<std::string>& names, const std::vector<float>& values,
                    int32_t* code) {
  IIndexParser* parser = IndexObjCreator::CreateIndexParserObj();
  parser->Compile(abacor_host::Utf8ToGbk(text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? text.substr(3) : text), names,
                  values);
  ParseErrorInfo info{};
  parser->GetErrorInfo(&info);
  IndexObjCreator::ReleaseIndexParserObj(&parser);
  *code = info.code;
  return info.position;
}

TEST(CompileMessagesTest, EveryMistakeIsNamedWithTheCaretUnderTheRightCharacter) {
  for (const Mistake& m : kMistakes) {
    SCOPED_TRACE(m.formula);
    std::vector<std::pair<std::string, float>> params;
    if (m.param) params.emplace_back(m.param, 5.0f);
    FormulaRunner runner;
    CompileError error;
    ASSERT_FALSE(runner.Compile(m.formula, params, &error));
    EXPECT_EQ(error.code, m.code) << error.message;
    EXPECT_NE(error.message.find(m.fragment), std::string::npos) << error.message;
    EXPECT_EQ(error.line, m.line) << error.message;
    EXPECT_EQ(error.column, m.column) << error.message;
    // The engine's own code and position pass through unchanged.
    int32_t rawCode = 0;
    const int32_t rawPosition =
        RawPosition(m.formula, m.param ? std::vector<std::string>{m.param} : std::vector<std::string>{},
                    m.param ? std::vector<float>{5.0f} : std::vector<float>{}, &rawCode);
    EXPECT_EQ(error.code, rawCode);
    EXPECT_EQ(error.position, rawPosition);
  }
}

TEST(CompileMessagesTest, GbkInputCountsCharactersToo) {
  // "{中文}X:FOO;" in GBK: the comment is two characters of two bytes each.
  const std::string gbk = "{\xD6\xD0\xCE\xC4}X:FOO;";
  FormulaRunner runner;
  CompileError error;
  ASSERT_FALSE(runner.Compile(gbk, {}, &error));
  EXPECT_EQ(error.code, 11);
  EXPECT_EQ(error.line, 1);
  EXPECT_EQ(error.column, 7);
  EXPECT_EQ(error.position, 8) << "the engine counts bytes";
  const std::string shown = abacor_host::DescribeCompileError(gbk, error);
  EXPECT_NE(shown.find("  {\xE4\xB8\xAD\xE6\x96\x87}X:FOO;\n  " + std::string(8, ' ') + "^\n"), std::string::npos)
      << shown << "the line is shown in UTF-8, the caret after two wide characters";
}

TEST(CompileMessagesTest, AByteOrderMarkIsNotPartOfTheFirstName) {
  FormulaRunner runner;
  CompileError error;
  ASSERT_TRUE(runner.Compile("\xEF\xBB\xBFX:C;", {}, &error)) << error.message;
  char name[64] = {};
  ASSERT_TRUE(runner.Parser()->GetOutputName(0, name, sizeof name));
  EXPECT_STREQ(name, "x");
}

TEST(CompileMessagesTest, TheCaretLineIsTheFailingLine) {
  const std::string formula = "A:C;\n\xE7\x9F\xAD:C+FOO;";
  FormulaRunner runner;
  CompileError error;
  ASSERT_FALSE(runner.Compile(formula, {}, &error));
  EXPECT_EQ(abacor_host::DescribeCompileError(formula, error),
            "error 11 at line 2, column 5: unknown name \"FOO\": it is not a keyword, and no statement before "
            "defines it\n  \xE7\x9F\xAD:C+FOO;\n       ^\n");
}

TEST(CompileMessagesTest, TheTableHasOneReadableEntryPerCode) {
  std::set<int32_t> codes;
  for (const auto& entry : abacor_host::kCompileErrorCodes) {
    EXPECT_TRUE(codes.insert(entry.code).second) << entry.code;
    EXPECT_GT(std::string(entry.summary).size(), 20u) << entry.code;
    EXPECT_GT(std::string(entry.cause).size(), 20u) << entry.code;
  }
  EXPECT_EQ(codes, (std::set<int32_t>{8, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 21, 22, 23, 24, 26, 27, 28, 29}));
  // The engine's texts, in UTF-8, open the entries of 8, 28 and 29.
  EXPECT_EQ(std::string(abacor_host::FindCompileErrorCode(8)->summary).rfind("\xE8\xAF\xAD\xE6\xB3\x95", 0), 0u);
  EXPECT_EQ(std::string(abacor_host::FindCompileErrorCode(28)->summary)
                .rfind(abacor_host::GbkToUtf8("\xB7\xC7\xB7\xA8\xB5\xC4\xD6\xB8\xB1\xEA\xD7\xD4\xD2\xFD\xD3\xC3"), 0),
            0u);
  EXPECT_EQ(std::string(abacor_host::FindCompileErrorCode(29)->summary)
                .rfind(abacor_host::GbkToUtf8("\xD3\xC3\xBB\xA7\xD7\xD4\xB6\xA8\xD2\xE5\xD1\xD5\xC9\xAB\xB3\xAC\xB9\xFD"
                                              "100\xB8\xF6"),
                       0),
            0u);
  EXPECT_EQ(abacor_host::FindCompileErrorCode(9), nullptr);
}

TEST(CompileMessagesTest, AnEmptyFormulaHasNoPlace) {
  FormulaRunner runner;
  CompileError error;
  ASSERT_FALSE(runner.Compile("", {}, &error));
  EXPECT_EQ(error.code, 26);
  EXPECT_EQ(error.line, 0);
  EXPECT_EQ(abacor_host::DescribeCompileError("", error), "error 26: The formula is empty.\n");
}

TEST(CompileMessagesTest, EveryMutationGetsAMessageAndAPlaceInsideTheText) {
  // Delete each character of a few formulas, or put a troublesome one in its place, and every
  // failure must still be explained at a line and column that exist.
  const std::string formulas[] = {
      "{\xE6\x8C\x87\xE6\xA0\x87}\nDIF:EMA(CLOSE,12)-EMA(CLOSE,26);\nDEA:EMA(DIF,9);MACD:(DIF-DEA)*2,COLORSTICK;",
      "RSV:=(C-LLV(L,9))/(HHV(H,9)-LLV(L,9))*100;K:SMA(RSV,3,1);DRAWTEXT(K>80,H,'\xE9\xAB\x98');",
  };
  const std::string replacements[] = {"", "(", ")", "'", "\"", ";", "\n", "{", "-", "\xEF\xBC\x8C", "="};
  for (const std::string& formula : formulas) {
    for (size_t i = 0; i < formula.size(); ++i) {
      if ((static_cast<unsigned char>(formula[i]) & 0xC0) == 0x80) continue;  // inside a character
      for (const std::string& r : replacements) {
        const std::string text = formula.substr(0, i) + r + formula.substr(i + 1);
        FormulaRunner runner;
        CompileError error;
        if (runner.Compile(text, {}, &error)) continue;
        SCOPED_TRACE(text);
        EXPECT_FALSE(error.message.empty());
        ASSERT_GE(error.line, 1) << error.message;
        // The line exists and the column lies within it or just after its end.
        std::vector<std::string> lines{""};
        for (char c : text) {
          if (c == '\n') lines.emplace_back();
          if (c != '\n') lines.back().push_back(c);
        }
        ASSERT_LE(static_cast<size_t>(error.line), lines.size()) << error.message;
        size_t chars = 0;
        for (char c : lines[error.line - 1]) chars += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
        EXPECT_GE(error.column, 1) << error.message;
        EXPECT_LE(static_cast<size_t>(error.column), chars + 1) << error.message;
      }
    }
  }
}

}  // namespace
