// Statement tokenizer: token ids, sign merging, definitions, operators and texts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formula/frontend/keyword_tables.h"
#include "support/frontend_support.h"

namespace {

// Anonymous statements get the output-name token and `:` in front.
constexpr int32_t kAnon = 11000;
constexpr int32_t kColon = 1001;
constexpr int32_t kA = 12000;  // parameter a
constexpr int32_t kB = 12001;  // parameter b

struct TokenCase {
  const char* text;
  std::vector<int32_t> tokens;
};

class TokenStreamTest : public testing::TestWithParam<TokenCase> {};

TEST_P(TokenStreamTest, TokenizesToExpectedIds) {
  const TokenCase& c = GetParam();
  auto ctx = AnalyseFormula(c.text, {"a", "b"}, {1.0f, 2.0f});
  EXPECT_EQ(StatementTokensOf(*ctx, 0), c.tokens) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Signs, TokenStreamTest,
    testing::Values(TokenCase{"a*-b", {kAnon, kColon, kA, 6003, kB}}, TokenCase{"a/-b", {kAnon, kColon, kA, 6004, kB}},
                    TokenCase{"a - -b", {kAnon, kColon, kA, 5001, kB}},
                    TokenCase{"a+-b", {kAnon, kColon, kA, 5002, kB}}, TokenCase{"a/+b", {kAnon, kColon, kA, 6002, kB}},
                    TokenCase{"a*+b", {kAnon, kColon, kA, 6001, kB}}, TokenCase{"a++b", {kAnon, kColon, kA, 5001, kB}},
                    // a sign after an operand-less position gets a typed `0` (constant 12002) in front
                    TokenCase{"(-a)", {kAnon, kColon, 9001, 12002, 5002, kA, 9002}},
                    TokenCase{"a>-b", {kAnon, kColon, kA, 4001, 12002, 5002, kB}},
                    // after a word operator no `0` is typed: the implicit zero 9000 stands in
                    TokenCase{"a and -b", {kAnon, kColon, kA, 3001, 9000, 5002, kB}},
                    TokenCase{"a or +b", {kAnon, kColon, kA, 2001, 9000, 5001, kB}}));

INSTANTIATE_TEST_SUITE_P(
    Operators, TokenStreamTest,
    testing::Values(TokenCase{"a>=b", {kAnon, kColon, kA, 4005, kB}}, TokenCase{"a<=b", {kAnon, kColon, kA, 4006, kB}},
                    TokenCase{"a<>b", {kAnon, kColon, kA, 4009, kB}}, TokenCase{"a><b", {kAnon, kColon, kA, 4009, kB}},
                    TokenCase{"a!=b", {kAnon, kColon, kA, 4009, kB}}, TokenCase{"a=b", {kAnon, kColon, kA, 4008, kB}},
                    TokenCase{"a && (b>c)", {kAnon, kColon, kA, 3001, 9001, kB, 4001, 9504, 9002}},
                    TokenCase{"a||b", {kAnon, kColon, kA, 2001, kB}},
                    TokenCase{"a OR b AND c", {kAnon, kColon, kA, 2001, kB, 3001, 9504}},
                    TokenCase{"x:=-1", {10000, 1002, 12002, 5002, 12003}},
                    TokenCase{"ma5:=ma(c,5)", {10000, 1002, 8140, 9001, 9504, 9005, 12002, 9002}},
                    TokenCase{"range(o,h,l)", {kAnon, kColon, 8019, 9001, 9501, 9005, 9502, 9005, 9503, 9002}},
                    TokenCase{"'a''b'", {kAnon, kColon, 17000, 17001}},
                    // `"` is dropped by the tokenizer but is no operand end for the sign rule
                    TokenCase{"x:c\"+\"o", {11000, kColon, 9504, 12002, 5001, 9501}}));

// Every keyword of a family maps to its id.
TEST(KeywordTable, FamiliesHaveTheirIds) {
  BuildKeywordTables();
  EXPECT_EQ(LookupKeyword("stickline"), 8504);
  EXPECT_EQ(LookupKeyword("drawband"), 8503);
  EXPECT_EQ(LookupKeyword("iff"), 8070);
  EXPECT_EQ(LookupKeyword("rgb"), 8499);
  EXPECT_EQ(LookupKeyword("rtvolstick"), 9024);
  EXPECT_EQ(LookupKeyword("colorlimagenta"), 9117);
  EXPECT_EQ(LookupKeyword("linethick9"), 9309);
  EXPECT_EQ(LookupKeyword("capital"), 9550);
  EXPECT_EQ(LookupKeyword("v"), 9505);
  EXPECT_EQ(LookupKeyword("CLOSE"), 0);  // the table holds lower-case words only
  EXPECT_EQ(LookupKeyword("linethick0"), 0);
  EXPECT_STREQ(ScriptWordOf(8125), "0-");
  EXPECT_STREQ(ScriptWordOf(8019), "between");
  EXPECT_STREQ(ScriptWordOf(9501), "open");
  EXPECT_STREQ(ScriptWordOf(1), "\r\n");
  EXPECT_EQ(ScriptWordOf(8504), nullptr);
  EXPECT_EQ(ScriptWordOf(9000), nullptr);
  EXPECT_EQ(ArgCountOf(8154), 4);
  EXPECT_EQ(ArgCountOf(8095), 0);
  EXPECT_EQ(ArgCountOf(8504), 5);
  EXPECT_EQ(ArgCountOf(9504), -1);
  EXPECT_STREQ(DrawNameOf(8503), "band");
  EXPECT_STREQ(DrawNameOf(8504), "stick");
  EXPECT_STREQ(FieldNameOf(9505), "vol");
  EXPECT_STREQ(FirstKeywordOf(4009), "!=");
  EXPECT_STREQ(FirstKeywordOf(8019), "between");
  EXPECT_EQ(FieldIdOf("CAPITAL"), 501);
  EXPECT_EQ(FieldIdOf("PRECLOSE"), 15);
  EXPECT_EQ(FieldIdOf("close"), -1);
}

TEST(KeywordTable, CharacterClasses) {
  EXPECT_EQ(CharClassOf('{'), 1);
  EXPECT_EQ(CharClassOf('\r'), 2);
  EXPECT_EQ(CharClassOf('.'), 3);
  EXPECT_EQ(CharClassOf('#'), 4);
  EXPECT_EQ(CharClassOf('^'), 4);
  EXPECT_EQ(CharClassOf(0x80), 4);
  EXPECT_EQ(CharClassOf(0), 4);
  EXPECT_EQ(CharClassOf('|'), 5);
  EXPECT_EQ(CharClassOf('"'), 6);
  EXPECT_EQ(CharClassOf('\''), 7);
}

struct ErrorCase {
  const char* text;
  int32_t code;
  int32_t position;
};

class TokenizerErrorTest : public testing::TestWithParam<ErrorCase> {};

TEST_P(TokenizerErrorTest, FailsWithCodeAtPosition) {
  const ErrorCase& c = GetParam();
  auto ctx = AnalyseFormula(c.text, {"a", "b"}, {1.0f, 2.0f});
  EXPECT_FALSE(ctx->syntaxOk());
  EXPECT_EQ(ctx->Error().errorCode(), c.code) << c.text;
  EXPECT_EQ(ctx->Error().errorPosition(), c.position) << c.text;
}

INSTANTIATE_TEST_SUITE_P(Operators, TokenizerErrorTest,
                         testing::Values(ErrorCase{"a==b", 12, 1}, ErrorCase{"a=>b", 12, 1}, ErrorCase{"a=<b", 12, 1},
                                         ErrorCase{"a<<b", 12, 1}, ErrorCase{"a>>b", 12, 1}, ErrorCase{"a!<b", 12, 1},
                                         ErrorCase{"a!b", 13, 1}, ErrorCase{"x:c>;", 13, 3}, ErrorCase{"x:c>", 13, 3},
                                         ErrorCase{"x:", 13, 1}, ErrorCase{"a&b", 15, 1}, ErrorCase{"a&&&b", 15, 1},
                                         ErrorCase{"a&&(b>c)", 15, 1}, ErrorCase{"a|b", 15, 1},
                                         ErrorCase{"a&|b", 10, 1},
                                         ErrorCase{"a:=c", 24, 0},   // a parameter cannot be defined
                                         ErrorCase{"ma:=c", 24, 2},  // nor a keyword
                                         ErrorCase{"c:1", 24, 1}, ErrorCase{"x:a b:=c", 14, 5}, ErrorCase{"a:c", 24, 0},
                                         ErrorCase{"x:c+(:1)", 24, 5}, ErrorCase{"x:c+1:2", 14, 5},
                                         ErrorCase{"a^2", 11, 0}, ErrorCase{"x:c+zz", 11, 4}));

INSTANTIATE_TEST_SUITE_P(TextsAndComments, TokenizerErrorTest,
                         testing::Values(ErrorCase{"x:'a{b'", 10, 4}, ErrorCase{"x:'abc", 21, 2},
                                         ErrorCase{"{a{b}c}", 10, 6}, ErrorCase{"{ x:c", 10, 0},
                                         ErrorCase{"x:c}", 10, 3}, ErrorCase{"drawtext(c>o,l,'a;b')", 21, 15},
                                         ErrorCase{"x:c;\n{ a }\ny:o>", 13, 14}));

// Definitions and the limits of one formula.
TEST(TokenizerDefinitions, RedefinitionAndSelfReference) {
  auto twice = AnalyseFormula("ma5:=ma(c,5);ma5:=c");
  EXPECT_EQ(twice->Error().errorCode(), 24);
  EXPECT_EQ(twice->Error().errorPosition(), 13);
  auto self = AnalyseFormula("x:c+x");
  EXPECT_EQ(self->Error().errorCode(), 28);
  EXPECT_EQ(self->Error().errorPosition(), 4);
  EXPECT_EQ(self->Error().errorText(), kGbkSelfReference);
  auto outputTwice = AnalyseFormula("x:c;x:o;");
  EXPECT_EQ(outputTwice->Error().errorCode(), 24);
  EXPECT_EQ(outputTwice->Error().errorPosition(), 4);
}

TEST(TokenizerDefinitions, NameLengthLimit) {
  std::string name32(32, 'n');
  auto ok = AnalyseFormula(name32 + ":c;");
  EXPECT_TRUE(ok->syntaxOk()) << ok->Error().errorCode();
  EXPECT_EQ(ok->Names().outputNameTable().at(0), name32);
  auto tooLong = AnalyseFormula("x:c;" + name32 + "q:c;");
  EXPECT_EQ(tooLong->Error().errorCode(), 17);
  EXPECT_EQ(tooLong->Error().errorPosition(), 4);
}

std::string Repeat(const std::string& prefix, const std::string& suffix, int count) {
  std::string text;
  for (int k = 0; k < count; ++k) text += prefix + std::to_string(k) + suffix;
  return text;
}

TEST(TokenizerDefinitions, VariableLimit) {
  auto ok = AnalyseFormula(Repeat("v", ":=1;", 1000));
  EXPECT_TRUE(ok->syntaxOk()) << ok->Error().errorCode();
  EXPECT_EQ(ok->Names().variableCount(), 1000);
  std::string text = Repeat("v", ":=1;", 1001);
  auto over = AnalyseFormula(text);
  EXPECT_EQ(over->Error().errorCode(), 18);
  EXPECT_EQ(over->Error().errorPosition(), static_cast<int32_t>(text.rfind("v1000")));
}

TEST(TokenizerDefinitions, OutputLimitCountsNamedAndAnonymous) {
  std::string named = Repeat("o", ":1;", 1001);
  auto over = AnalyseFormula(named);
  EXPECT_EQ(over->Error().errorCode(), 19);
  EXPECT_EQ(over->Error().errorPosition(), static_cast<int32_t>(named.rfind("o1000")));
  // Anonymous outputs take output-name ids as well; the 1001st is refused instead of
  // running into the ids of the constants.
  std::string anonymous = Repeat("", ";", 1001);
  auto anon = AnalyseFormula(anonymous);
  EXPECT_EQ(anon->Error().errorCode(), 19);
  EXPECT_EQ(anon->Error().errorPosition(), static_cast<int32_t>(anonymous.rfind("1000")));
  auto exact = AnalyseFormula(Repeat("", ";", 1000));
  EXPECT_TRUE(exact->syntaxOk());
  EXPECT_EQ(exact->Names().outputCount(), 1000);
}

TEST(TokenizerDefinitions, ConstantLimitCountsParameters) {
  // Two parameters and 2998 numbers fill the 3000 constants; one more number fails.
  std::string text = "x:1";
  for (int k = 1; k < 2998; ++k) text += "+1";
  auto ok = AnalyseFormula(text, {"a", "b"}, {1.0f, 2.0f});
  EXPECT_TRUE(ok->syntaxOk()) << ok->Error().errorCode();
  EXPECT_EQ(ok->Names().constantCount(), 3000);
  auto over = AnalyseFormula(text + "+1", {"a", "b"}, {1.0f, 2.0f});
  EXPECT_EQ(over->Error().errorCode(), 16);
  EXPECT_EQ(over->Error().errorPosition(), static_cast<int32_t>(text.size()) + 1);
}

TEST(TokenizerDefinitions, CustomColourLimit) {
  std::string text = "x:c";
  for (int k = 0; k < 100; ++k) {
    char digits[8];
    std::snprintf(digits, sizeof(digits), "%06x", k);
    text += std::string(",color") + digits;
  }
  auto ok = AnalyseFormula(text);
  EXPECT_TRUE(ok->syntaxOk()) << ok->Error().errorCode();
  EXPECT_EQ(ok->Names().customColourCount(), 100);
  auto over = AnalyseFormula(text + ",colorabcdef");
  EXPECT_EQ(over->Error().errorCode(), 29);
  EXPECT_EQ(over->Error().errorPosition(), static_cast<int32_t>(text.size()) + 1);
  EXPECT_EQ(over->Error().errorText(), kGbkTooManyColours);
  auto shortWord = AnalyseFormula("x:c,colorff88");
  EXPECT_EQ(shortWord->Error().errorCode(), 11);
}

TEST(TokenizerNumbers, TextAndValueOfConstants) {
  auto ctx = AnalyseFormula("x:1.2.3+007+.5");
  ASSERT_TRUE(ctx->syntaxOk());
  ASSERT_EQ(ctx->Names().constantCount(), 3);
  EXPECT_EQ(ctx->Names().constantTexts()[0], "1.2.3");
  EXPECT_FLOAT_EQ(ctx->Names().constantValues()[0], 1.2f);
  EXPECT_EQ(ctx->Names().constantTexts()[1], "007");
  EXPECT_FLOAT_EQ(ctx->Names().constantValues()[1], 7.0f);
  EXPECT_FLOAT_EQ(ctx->Names().constantValues()[2], 0.5f);
}

TEST(TokenizerTexts, QuotesEndTextsAndDoubleQuotesAreDropped) {
  auto ctx = AnalyseFormula("drawtext(c>o,l,'a\"b c')");
  ASSERT_TRUE(ctx->syntaxOk()) << ctx->Error().errorCode();
  ASSERT_EQ(ctx->Names().textCount(), 1);
  EXPECT_EQ(ctx->Names().texts()[0], "ab c");
}

}  // namespace
