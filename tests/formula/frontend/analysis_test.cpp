// Statement analysis: preparation, splitting, rewriting, attributes, dependencies and checks.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "formula/frontend/keyword_tables.h"
#include "support/frontend_support.h"

namespace {

// Independent oracle for a custom colour: read "rrggbb" as a number and swap red and blue.
uint32_t ExpectedCustomColour(const std::string& rrggbb) {
  auto rgb = static_cast<uint32_t>(std::strtoul(rrggbb.c_str(), nullptr, 16));
  uint32_t r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
  return 0xFF000000u | (b << 16) | (g << 8) | r;
}

TEST(Prepare, BlanksCommentsKeepsLineBreaksAndLowerCases) {
  auto ctx = AnalyseFormula("{ note\r\n more }MA5:MA(C,5);\t{x}");
  EXPECT_TRUE(ctx->syntaxOk()) << ctx->Error().errorCode();
  EXPECT_EQ(ctx->text(), "      \r\n       ma5:ma(c,5);    ");
  EXPECT_EQ(ctx->Names().outputNameTable(), std::vector<std::string>{"ma5"});
}

TEST(Prepare, RegistersParametersLowerCasedAndSkipsTaken) {
  auto ctx = AnalyseFormula("x:N+M;", {"N", "close", "m", "n"}, {5.0f, 1.0f, 2.5f, 7.0f});
  EXPECT_TRUE(ctx->syntaxOk()) << ctx->Error().errorCode();
  EXPECT_EQ(ctx->Names().paramCount(), 2);
  EXPECT_EQ(ctx->Names().paramNameTable(), (std::vector<std::string>{"n", "m"}));
  EXPECT_EQ(ctx->Names().paramValueTexts(), (std::vector<std::string>{"5.000", "2.500"}));
  EXPECT_EQ(ctx->Names().paramIds().at("m"), 12001);
}

TEST(Prepare, MismatchedParameterListsRegisterNothing) {
  auto ctx = std::make_unique<ParseContext>();
  ctx->Prepare("x:1", {"n", "m"}, {1.0f});
  EXPECT_EQ(ctx->Names().paramCount(), 0);
}

TEST(Prepare, MoreParametersThanConstantsFailWith16) {
  std::vector<std::string> names;
  std::vector<float> values;
  for (int k = 0; k < 3001; ++k) {
    names.push_back("p" + std::to_string(k));
    values.push_back(1.0f);
  }
  auto ctx = AnalyseFormula("x:c;", names, values);
  EXPECT_EQ(ctx->Error().errorCode(), 16);
  EXPECT_EQ(ctx->Names().paramCount(), 3000);
}

TEST(Analyse, EmptyTextFailsWith26) {
  auto ctx = AnalyseFormula("");
  EXPECT_EQ(ctx->Error().errorCode(), 26);
  EXPECT_EQ(ctx->Error().errorPosition(), 0);
  EXPECT_EQ(ctx->Error().errorLine(), 0);
  EXPECT_EQ(ctx->Error().errorColumn(), 0);
}

TEST(Analyse, CommentOnlyAndBlankTextsHaveNoOutputs) {
  for (const char* text : {"{ only a comment }", " ;;\r\n ; "}) {
    auto ctx = AnalyseFormula(text);
    EXPECT_TRUE(ctx->syntaxOk()) << text;
    EXPECT_EQ(ctx->Names().outputCount(), 0);
    EXPECT_EQ(ctx->Script().script, "");
  }
}

TEST(Analyse, SignInsertionRewritesTheText) {
  auto ctx = AnalyseFormula("x:=-1;y:(-1)*-c;z:c>-1;w:a_-1;", {"a_"}, {1.0f});
  EXPECT_TRUE(ctx->syntaxOk()) << ctx->Error().errorCode();
  // A name may end in `_`: its sign is a binary minus, not a new operand.
  EXPECT_EQ(ctx->text(), "x:=0-1;y:(0-1)*-c;z:c>0-1;w:a_-1;");
}

// A `0` goes in front of a sign that follows no operand: after nothing, an operator other than
// `*` `/` `+` `-`, a bracket, a comma, a line break or the `;` that ended the statement before.
TEST(Analyse, SignInsertionTable) {
  const std::pair<const char*, const char*> cases[] = {
      {"-1", "0-1"},           {"x:(-1)", "x:(0-1)"},           {"x:c>-1", "x:c>0-1"},
      {"x:=+1", "x:=0+1"},     {"x:max(1,-c)", "x:max(1,0-c)"}, {"x:c*-1", "x:c*-1"},
      {"x:c--1", "x:c--1"},    {"x:c.5-1", "x:c.5-1"},          {"x:1;-1", "x:1;0-1"},
      {"x:1; -c", "x:1; 0-c"}, {"x:1\n-1", "x:1\n0-1"},
  };
  for (const auto& c : cases) {
    auto ctx = AnalyseFormula(c.first);
    EXPECT_EQ(ctx->text(), c.second) << c.first;
  }
}

// Signs inside a quoted text are part of the text: no `0` goes in front of them.
TEST(Analyse, SignsInsideQuotedTextsStayAsWritten) {
  auto ctx = AnalyseFormula("drawtext(c>o,l,'-5 (+1)');x:-1;drawtext(c<o,h,'a:-b');");
  ASSERT_TRUE(ctx->syntaxOk()) << ctx->Error().errorCode();
  EXPECT_EQ(ctx->text(), "drawtext(c>o,l,'-5 (+1)');x:0-1;drawtext(c<o,h,'a:-b');");
  EXPECT_EQ(ctx->Names().texts(), (std::vector<std::string>{"-5 (+1)", "a:-b"}));
  // An unterminated text ends with its statement: the next statement is prepared as usual.
  auto open = AnalyseFormula("drawtext(c>o,l,'a;-1");
  EXPECT_EQ(open->text(), "drawtext(c>o,l,'a;0-1");
  EXPECT_EQ(open->Error().errorCode(), 21);
}

TEST(Analyse, SignAfterSemicolonStartsAnAnonymousOutput) {
  auto ctx = AnalyseFormula("x:1;-c;");
  ASSERT_TRUE(ctx->syntaxOk()) << ctx->Error().errorCode();
  EXPECT_EQ(ctx->Names().outputCount(), 2);
  EXPECT_EQ(ctx->Script().script,
            "x=1;\r\n.curveline(x,RGB(254,254,254),1);\r\n"
            ".tempresindex1=0-close;\r\n.curveline(.tempresindex1,RGB(254,254,254),1);\r\n");
}

TEST(Analyse, LineBreakEndsAStatement) {
  auto ctx = AnalyseFormula("x:ma(c,\n5)");
  EXPECT_FALSE(ctx->syntaxOk());
  EXPECT_EQ(ctx->Error().errorCode(), 21);  // "x:ma(c," is unbalanced
}

TEST(Rewriting, AnonymousAndDrawingOutputs) {
  auto ctx = AnalyseFormula("c>o;x:=c;stickline(c>o,c,o,2,0),colorred;y:c;h");
  ASSERT_TRUE(ctx->syntaxOk()) << ctx->Error().errorCode();
  EXPECT_EQ(ctx->Names().outputNameTable(),
            (std::vector<std::string>{".tempresindex0", ".....", "y", ".tempresindex3"}));
  EXPECT_EQ(ctx->Names().outputCount(), 4);
  EXPECT_EQ(ctx->Names().outputIds().count("....."), 0u);
  EXPECT_EQ(ctx->Names().outputIds().at(".tempresindex3"), 11003);
  EXPECT_TRUE(ctx->Attributes().colourSet()[1]);
  EXPECT_EQ(ctx->Attributes().colours()[1], 0xFF3D3DFFu);
  EXPECT_FALSE(ctx->Attributes().colourSet()[0]);
  EXPECT_EQ(ctx->Attributes().colours()[0], 0xFFFFFFFFu);
  EXPECT_EQ(StatementTokensOf(*ctx, 0), (std::vector<int32_t>{11000, 1001, 9504, 4001, 9501}));
}

struct AttributeCase {
  const char* text;
  int32_t style;
  int32_t width;
  bool hidden;
};

class AttributeTest : public testing::TestWithParam<AttributeCase> {};

TEST_P(AttributeTest, AppliesStyleWidthAndNodraw) {
  const AttributeCase& c = GetParam();
  auto ctx = AnalyseFormula(c.text);
  ASSERT_TRUE(ctx->syntaxOk()) << c.text << " code " << ctx->Error().errorCode();
  EXPECT_EQ(ctx->Attributes().styles().at(0), c.style) << c.text;
  EXPECT_EQ(ctx->Attributes().lineWidths().at(0), c.width) << c.text;
  EXPECT_EQ(ctx->Attributes().hidden().at(0), c.hidden) << c.text;
  // attributes leave the token stream together with their comma
  EXPECT_EQ(StatementTokensOf(*ctx, 0), (std::vector<int32_t>{11000, 1001, 9504})) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Styles, AttributeTest,
    testing::Values(AttributeCase{"x:c", 0, 1, false}, AttributeCase{"x:c,volstick", 1, 1, false},
                    AttributeCase{"x:c,stick", 2, 1, false}, AttributeCase{"x:c,circledot", 3, 1, false},
                    AttributeCase{"x:c,linestick", 4, 1, false}, AttributeCase{"x:c,crossdot", 5, 1, false},
                    AttributeCase{"x:c,colorstick", 6, 1, false}, AttributeCase{"x:c,dotline", 10, 1, false},
                    AttributeCase{"x:c,noframe", 11, 1, false}, AttributeCase{"x:c,drawabove", 12, 1, false},
                    AttributeCase{"x:c,pointdot", 13, 1, false}, AttributeCase{"x:c,sarline", 14, 1, false},
                    AttributeCase{"x:c,rtvolstick", 15, 1, false}, AttributeCase{"x:c,nodraw", 0, 1, true},
                    AttributeCase{"x:c,stick,nodraw", 2, 1, true}, AttributeCase{"x:c,nodraw,stick", 2, 1, false},
                    AttributeCase{"x:c,linethick3", 0, 3, false},
                    AttributeCase{"x:c linethick3 linethick9 dotline", 10, 9, false},
                    AttributeCase{"x:c,LINETHICK1,COLORRED", 0, 1, false}));

TEST(Rewriting, NamedColours) {
  const std::pair<const char*, uint32_t> named[] = {
      {"colorred", 0xFF3D3DFF},    {"colorgreen", 0xFF4DB927},  {"colorblue", 0xFFF59331},
      {"coloryellow", 0xFF00AAE8}, {"colororange", 0xFF0064FF}, {"colorpurple", 0xFFFF00FF},
      {"colorblack", 0xFF000000},  {"colorwhite", 0xFFFFFFFF},  {"colormagenta", 0xFF9038F3},
      {"colorcyan", 0xFFA3CF0A},   {"colorbrown", 0xFF165EB8},  {"colorligray", 0xFFC7C0B9},
      {"colorgray", 0xFF80766D},   {"colorliblue", 0xFFFDA752}, {"colorligreen", 0xFF90D974},
      {"colorlicyan", 0xFFBED974}, {"colorlired", 0xFF9B9BF1},  {"colorlimagenta", 0xFFC59BC1},
  };
  for (const auto& entry : named) {
    auto ctx = AnalyseFormula(std::string("x:c,") + entry.first);
    ASSERT_TRUE(ctx->syntaxOk()) << entry.first;
    EXPECT_TRUE(ctx->Attributes().colourSet()[0]);
    EXPECT_EQ(ctx->Attributes().colours()[0], entry.second) << entry.first;
  }
}

TEST(Rewriting, CustomColours) {
  for (const char* digits : {"ff0000", "00ff00", "0000ff", "123456", "a1b2c3", "FFFFFF"}) {
    auto ctx = AnalyseFormula(std::string("x:c color") + digits);
    ASSERT_TRUE(ctx->syntaxOk()) << digits;
    EXPECT_TRUE(ctx->Attributes().colourSet()[0]);
    EXPECT_EQ(ctx->Attributes().colours()[0], ExpectedCustomColour(digits)) << digits;
  }
  EXPECT_EQ(ExpectedCustomColour("ff0000"), 0xFF0000FFu);
  // Non-hexadecimal characters count their code minus 87, kept to 8 bits.
  EXPECT_EQ(CustomColourValue("gg0000"), 0xFF000000u + ((16 * 16 + 16) & 0xFF));
}

TEST(Rewriting, LaterColourWinsAndArgumentCheckStillRuns) {
  auto ctx = AnalyseFormula("x:if(c>o,colorred,colorgreen)");
  EXPECT_EQ(ctx->Error().errorCode(), 22);
  EXPECT_EQ(ctx->Error().errorPosition(), 2);
  EXPECT_EQ(ctx->Attributes().colours().at(0), 0xFF4DB927u);
}

TEST(Rewriting, VariableAssignmentKeepsAttributes) {
  auto ctx = AnalyseFormula("x:=c,colorred;");
  EXPECT_EQ(StatementTokensOf(*ctx, 0), (std::vector<int32_t>{10000, 1002, 9504, 9005, 9100}));
  EXPECT_EQ(ctx->Error().errorCode(), 8);
  EXPECT_TRUE(ctx->Attributes().styles().empty());
}

TEST(Dependencies, FollowNamesTransitively) {
  auto ctx = AnalyseFormula("a:=ma(c,n); b:a+m; d:b; e:c;", {"n", "m"}, {5.0f, 10.0f});
  ASSERT_TRUE(ctx->syntaxOk()) << ctx->Error().errorCode();
  EXPECT_EQ(ctx->Dependencies().nameParams().at(10000), (std::vector<int32_t>{0}));
  EXPECT_EQ(ctx->Dependencies().nameParams().at(11000), (std::vector<int32_t>{1, 0}));  // m named, n through a
  EXPECT_EQ(ctx->Dependencies().nameParams().at(11001), (std::vector<int32_t>{1, 0}));
  EXPECT_TRUE(ctx->Dependencies().nameParams().at(11002).empty());
  EXPECT_EQ(ctx->Dependencies().paramUsers().at(0), (std::vector<int32_t>{10000, 11000, 11001}));
  EXPECT_EQ(ctx->Dependencies().paramUsers().at(1), (std::vector<int32_t>{11000, 11001}));
}

TEST(Dependencies, ParameterNamedTwiceIsListedOnce) {
  auto ctx = AnalyseFormula("x:n+n*ref(c,n);", {"n"}, {5.0f});
  ASSERT_TRUE(ctx->syntaxOk());
  EXPECT_EQ(ctx->Dependencies().nameParams().at(11000), (std::vector<int32_t>{0}));
}

struct CheckCase {
  const char* text;
  int32_t code;
  int32_t position;
  int32_t line;
  int32_t column;
};

class StatementCheckTest : public testing::TestWithParam<CheckCase> {};

TEST_P(StatementCheckTest, ReportsCodePositionLineColumn) {
  const CheckCase& c = GetParam();
  auto ctx = AnalyseFormula(c.text);
  EXPECT_FALSE(ctx->syntaxOk());
  EXPECT_EQ(ctx->Error().errorCode(), c.code) << c.text;
  EXPECT_EQ(ctx->Error().errorPosition(), c.position) << c.text;
  EXPECT_EQ(ctx->Error().errorLine(), c.line) << c.text;
  EXPECT_EQ(ctx->Error().errorColumn(), c.column) << c.text;
}

// Columns count from the line break before the statement's line (first line: from 0).
INSTANTIATE_TEST_SUITE_P(
    Checks, StatementCheckTest,
    testing::Values(CheckCase{"x:ma(c)", 22, 2, 0, 2}, CheckCase{"x:ma c,5", 21, 2, 0, 2},
                    CheckCase{"x:(c>o", 21, 0, 0, 0},  // the missing `)` has no token: statement start
                    CheckCase{"y:1;x:(c>o", 21, 4, 0, 4}, CheckCase{"x:c>o)", 21, 5, 0, 5},
                    CheckCase{"x:max(c o,1)", 23, 9, 0, 9}, CheckCase{"x:max(c*/o,1)", 22, 9, 0, 9},
                    CheckCase{"x:(c*)", 12, 5, 0, 5}, CheckCase{"x:(c,,1)", 10, 5, 0, 5},
                    CheckCase{"c>o)", 21, 3, 0, 3},  // position of the `)` though two tokens were inserted
                    CheckCase{"x:1;\ny:1;\nz:1>;", 13, 13, 2, 4}, CheckCase{"x:1;\ny:1;\nz:max(c)", 22, 12, 2, 3},
                    CheckCase{"x:1;\ny:max(c);", 22, 7, 1, 3}, CheckCase{"x:1\r\ny:1\r\nz:max(c)\r\n", 22, 12, 2, 3},
                    CheckCase{"a:1;\n{a\nb}\nx:ma(c)", 22, 13, 3, 3}));

TEST(StatementChecks, PassingOddities) {
  // Neither `x:c o` nor `x:c+` is caught here: no operand check starts beyond index 0.
  auto run = AnalyseFormula("x:c o;y:c+;");
  EXPECT_TRUE(run->syntaxOk()) << run->Error().errorCode();
  EXPECT_EQ(run->Script().script.substr(0, 14), "x=closeopen;\r\n");
}

}  // namespace
