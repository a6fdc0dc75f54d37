// The reference generator: the data file's rules, the coverage check against
// the keyword table, and the facts taken from the library's tables.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "reference_data.h"

namespace {

using reference::CheckReference;
using reference::Entry;
using reference::FindKeyword;
using reference::KeywordFacts;
using reference::ParseReference;
using reference::Reference;
using ::testing::HasSubstr;

constexpr char kSmall[] =
    "# a comment\n"
    "== Moving averages\n"
    "Intro line one.\n"
    "\n"
    "Intro line two.\n"
    "@ MA\n"
    "args: X, N\n"
    "does: The mean of X\n"
    "  over N bars.\n"
    "example: M:MA(C,5);\n"
    "@ BETWEEN RANGE\n"
    "args: X, A, B\n"
    "does: 1 when A < X < B.\n"
    "example: B:BETWEEN(C,O,H);\n"
    "! 21\n"
    "message: brackets\n"
    "cause: a missing )\n";

TEST(ReferenceData, ParsesSectionsEntriesContinuationsAndErrors) {
  Reference ref;
  std::string error;
  ASSERT_TRUE(ParseReference(kSmall, &ref, &error)) << error;
  ASSERT_EQ(ref.sections.size(), 1u);
  EXPECT_EQ(ref.sections[0].title, "Moving averages");
  EXPECT_EQ(ref.sections[0].intro, "Intro line one.\n\nIntro line two.\n");
  ASSERT_EQ(ref.entries.size(), 2u);
  EXPECT_EQ(ref.entries[0].names, std::vector<std::string>{"MA"});
  EXPECT_EQ(ref.entries[0].does, "The mean of X over N bars.");
  EXPECT_EQ(ref.entries[0].line, 6);
  EXPECT_EQ(ref.entries[1].names, (std::vector<std::string>{"BETWEEN", "RANGE"}));
  EXPECT_EQ(ref.entries[1].section, "Moving averages");
  ASSERT_EQ(ref.errors.size(), 1u);
  EXPECT_EQ(ref.errors[0].code, 21);
  EXPECT_EQ(ref.errors[0].cause, "a missing )");
}

TEST(ReferenceData, RejectsMalformedLines) {
  struct Case {
    const char* text;
    const char* message;
  };
  const Case cases[] = {
      {"@ MA\n", "line 1: an entry before the first section"},
      {"== S\n@ MA\ncolour: red\n", "line 3: unknown field \"colour\""},
      {"== S\n@\n", "line 2: an entry without a name"},
      {"== S\n@ MA\n  stray\n", "line 3: a continuation line without a field"},
      {"== S\n! x\n", "line 2: \"!\" takes an error code"},
      {"== S\n@ MA\nno colon here\n", "line 3: expected \"key: text\""},
  };
  for (const Case& c : cases) {
    Reference ref;
    std::string error;
    EXPECT_FALSE(ParseReference(c.text, &ref, &error)) << c.text;
    EXPECT_EQ(error, c.message) << c.text;
  }
}

bool HasProblem(const std::vector<std::string>& problems, const std::string& text) {
  return std::any_of(problems.begin(), problems.end(),
                     [&](const std::string& p) { return p.find(text) != std::string::npos; });
}

TEST(ReferenceData, CoverageNamesMissingUnknownAndDuplicateKeywords) {
  Reference ref;
  std::string error;
  ASSERT_TRUE(ParseReference(std::string(kSmall) + "== More\n@ FOO\ndoes: not a keyword\n@ ma\ndoes: twice\n"
                                                   "@ EMA\nargs: X\ndoes: short\nexample: E:EMA(C,5);\n"
                                                   "@ HHV\nargs: X, N\ndoes: top\nexample: H:HHV(C,5;\n",
                             &ref, &error))
      << error;
  std::vector<std::string> problems;
  EXPECT_FALSE(CheckReference(ref, &problems));
  EXPECT_TRUE(HasProblem(problems, "FOO is not a keyword of the language"));
  EXPECT_TRUE(HasProblem(problems, "MA already has an entry at line 6"));
  EXPECT_TRUE(HasProblem(problems, "EMA takes 2 arguments, the entry names 1"));
  EXPECT_TRUE(HasProblem(problems, "the example of HHV does not compile: error "));
  // Covered keywords and their aliases are not reported; everything else is.
  auto missing = [&](const std::string& word) {
    return std::count(problems.begin(), problems.end(), word + " has no entry") == 1;
  };
  EXPECT_FALSE(missing("RANGE"));
  EXPECT_FALSE(missing("BETWEEN"));
  EXPECT_TRUE(missing("LLV"));
  EXPECT_TRUE(missing("TOPRANGE"));
  EXPECT_TRUE(missing("COLORRED"));
  EXPECT_TRUE(missing("CLOSE"));
  EXPECT_TRUE(missing("C"));
  EXPECT_TRUE(missing(":="));
}

TEST(ReferenceData, FactsComeFromTheLibraryTables) {
  struct Case {
    const char* word;
    reference::KeywordKind kind;
    int32_t args;
    bool looksAhead;
    bool wholeRange;
  };
  using K = reference::KeywordKind;
  const Case cases[] = {
      {"ma", K::Function, 2, false, false},
      {"ZIG", K::Function, 2, true, true},
      {"backset", K::Function, 2, true, true},
      {"const", K::Function, 1, false, true},
      {"range", K::Function, 3, false, false},
      {"stickline", K::DrawFunction, 5, false, false},
      {"sma", K::Function, 3, false, false},
      {"colorred", K::Colour, -1, false, false},
      {"linethick3", K::LineWidth, -1, false, false},
      {"nodraw", K::Style, -1, false, false},
      {"c", K::Field, -1, false, false},
      {">=", K::Operator, -1, false, false},
  };
  for (const Case& c : cases) {
    KeywordFacts f;
    ASSERT_TRUE(FindKeyword(c.word, &f)) << c.word;
    EXPECT_EQ(f.kind, c.kind) << c.word;
    EXPECT_EQ(f.argCount, c.args) << c.word;
    EXPECT_EQ(f.looksAhead, c.looksAhead) << c.word;
    EXPECT_EQ(f.wholeRange, c.wholeRange) << c.word;
  }
  KeywordFacts f;
  EXPECT_FALSE(FindKeyword("tr2", &f));
  ASSERT_TRUE(FindKeyword("colorred", &f));
  EXPECT_EQ(f.colour, 0xFF3D3DFFu);
}

TEST(ReferenceData, MarkdownAndPlainTextCarryTheTableFacts) {
  Reference ref;
  std::string error;
  ASSERT_TRUE(
      ParseReference("== Title\nIntro.\n== Trend\n@ ZIG\nargs: K, N\ndoes: Zigzag.\n"
                     "example: Z:ZIG(3,5);\n@ MA\nargs: X, N\ndoes: Mean.\nexample: M:MA(C,5);\n"
                     "@ CONST\nargs: X\ndoes: Last.\nexample: K:CONST(C);\n",
                     &ref, &error))
      << error;
  const std::string md = reference::RenderMarkdown(ref);
  EXPECT_THAT(md, HasSubstr("### ZIG(K, N)\n"));
  EXPECT_THAT(md, HasSubstr("- Looks at later bars: yes"));
  EXPECT_THAT(md, HasSubstr("### MA(X, N)\n\nMean.\n\n- Looks at later bars: no\n- Example: `M:MA(C,5);`"));
  EXPECT_THAT(md, HasSubstr("### CONST(X)\n\nLast.\n\n- Looks at later bars: through the whole range"));
  EXPECT_THAT(md, HasSubstr("- Trend: [ZIG](#zig), [MA](#ma), [CONST](#const)"));
  const std::string plain = reference::RenderPlainEntry(ref, ref.entries[1]);
  EXPECT_EQ(plain, "MA(X, N)    [Trend]\n  Mean.\n  Looks at later bars: no.\n  Example: M:MA(C,5);\n");
}

}  // namespace
