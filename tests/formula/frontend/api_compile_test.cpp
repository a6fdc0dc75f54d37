// The parser object through the exported interface only.
#include <gtest/gtest.h>

#include <abacor/index_obj_creator.h>
#include <abacor/index_parser.h>
#include <abacor/parser_helper.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/api_support.h"

namespace {

// Taken during static initialisation, before any compilation in this process.
struct HelperBeforeFirstCompile {
  bool func = CParserHelper::IsFunc("close");
  bool field = CParserHelper::IsParamIndex("CLOSE");
  bool constant = CParserHelper::IsConst("colorred");
  bool literal = CParserHelper::IsConst("COLORFF0000");
};
const HelperBeforeFirstCompile kBefore;

const std::string kSyntaxError = "\xD3\xEF\xB7\xA8\xB4\xED\xCE\xF3";
const std::string kNotSupported = "\xBA\xAF\xCA\xFD\xB2\xBB\xD6\xA7\xB3\xD6";
const std::string kSelfReference = "\xB7\xC7\xB7\xA8\xB5\xC4\xD6\xB8\xB1\xEA\xD7\xD4\xD2\xFD\xD3\xC3";
const std::string kTooManyColours =
    "\xD3\xC3\xBB\xA7\xD7\xD4\xB6\xA8\xD2\xE5\xD1\xD5\xC9\xAB\xB3\xAC\xB9\xFD"
    "100"
    "\xB8\xF6";

class ParserApi : public testing::Test {
 protected:
  bool Compile(const std::string& text, const std::vector<std::string>& names = {},
               const std::vector<float>& values = {}) {
    return parser->Compile(text, names, values);
  }
  ParseErrorInfo Error() {
    ParseErrorInfo info;
    std::memset(&info, 0x5A, sizeof info);
    EXPECT_TRUE(parser->GetErrorInfo(&info));
    return info;
  }
  std::string Name(int32_t i) {
    char buffer[40];
    std::memset(buffer, 'X', sizeof buffer);
    EXPECT_TRUE(parser->GetOutputName(i, buffer, sizeof buffer));
    return std::string(buffer, sizeof buffer);
  }
  ParserHandle parser;
};

TEST(ParserHelperApi, FalseBeforeTheFirstCompilation) {
  EXPECT_FALSE(kBefore.func);
  EXPECT_FALSE(kBefore.field);
  EXPECT_FALSE(kBefore.constant);
  EXPECT_FALSE(kBefore.literal);
  ParserHandle parser;
  ASSERT_TRUE(parser->Compile("x:c;", {}, {}));
  EXPECT_TRUE(CParserHelper::IsFunc("Close"));
  EXPECT_TRUE(CParserHelper::IsFunc("STICKLINE"));
  EXPECT_TRUE(CParserHelper::IsParamIndex("close"));
  EXPECT_TRUE(CParserHelper::IsConst("colorRED"));
  EXPECT_TRUE(CParserHelper::IsConst("COLORFF0000"));
  EXPECT_FALSE(CParserHelper::IsConst("colorff0000"));
  EXPECT_TRUE(CParserHelper::IsConst("LINETHICK7"));
}

TEST_F(ParserApi, StatesEmptyCompiledAndFinal) {
  int32_t count = 7;
  EXPECT_FALSE(parser->GetOutputCount(&count));
  EXPECT_EQ(count, 0);
  ParseErrorInfo empty = Error();
  EXPECT_EQ(empty.code, 0);
  EXPECT_EQ(empty.text[0], '\0');
  ASSERT_TRUE(Compile("MA5:MA(CLOSE,5),COLORRED;"));
  CCalculateInfo* program = nullptr;
  ASSERT_TRUE(parser->GetCalculateInfo(&program));
  EXPECT_NE(program, nullptr);
  // A second compilation is refused and changes nothing.
  EXPECT_FALSE(Compile("x:o;"));
  CCalculateInfo* again = nullptr;
  ASSERT_TRUE(parser->GetCalculateInfo(&again));
  EXPECT_EQ(again, program);
  EXPECT_TRUE(parser->GetOutputCount(&count));
  EXPECT_EQ(count, 1);
  EXPECT_EQ(Error().code, 0);
  EXPECT_EQ(Name(0).substr(0, 4), std::string("ma5\0", 4));
}

TEST_F(ParserApi, FailedAttemptMayBeRetried) {
  EXPECT_FALSE(Compile("x:c+;y:"));
  EXPECT_EQ(Error().code, 13);
  int32_t count = 5;
  EXPECT_FALSE(parser->GetOutputCount(&count));
  CCalculateInfo* program = nullptr;
  EXPECT_FALSE(parser->GetCalculateInfo(&program));
  EXPECT_TRUE(Compile("x:c;"));
  EXPECT_EQ(Error().code, 0);
}

TEST_F(ParserApi, MismatchedParameterVectorsAreRefusedAtOnce) {
  EXPECT_FALSE(Compile("x:c+bad;"));
  ParseErrorInfo before = Error();
  EXPECT_EQ(before.code, 11);
  EXPECT_FALSE(Compile("x:c;", {"n", "m"}, {1.0f}));
  ParseErrorInfo after = Error();
  EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
  int32_t params = -1;
  EXPECT_FALSE(parser->GetParamCount(&params));
}

struct ErrorCase {
  const char* text;
  int32_t code;
  int32_t position;
  int32_t line;
  int32_t column;
  std::string message;
};

class ParserErrorApi : public testing::TestWithParam<ErrorCase> {};

TEST_P(ParserErrorApi, ReportsTheErrorBlock) {
  const ErrorCase& c = GetParam();
  ParserHandle parser;
  EXPECT_FALSE(parser->Compile(c.text, {"n"}, {5.0f}));
  ParseErrorInfo info;
  ASSERT_TRUE(parser->GetErrorInfo(&info));
  EXPECT_EQ(info.code, c.code) << c.text;
  EXPECT_EQ(info.position, c.position) << c.text;
  EXPECT_EQ(info.line, c.line) << c.text;
  EXPECT_EQ(info.column, c.column) << c.text;
  EXPECT_EQ(std::string(info.text), c.message) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Codes, ParserErrorApi,
    testing::Values(ErrorCase{"", 26, 0, 0, 0, ""}, ErrorCase{"x:=C,COLORRED;", 8, 5, 0, 5, "colorred" + kNotSupported},
                    ErrorCase{"a:1;\nx:c and -o;", 8, 13, 1, 9, kSyntaxError},
                    ErrorCase{"x:c+x;", 28, 4, 0, 4, kSelfReference}, ErrorCase{"x:{c}+y;", 11, 7, 0, 7, ""},
                    ErrorCase{"x:1;\ny:1;\nz:1>;", 13, 13, 2, 4, ""}, ErrorCase{"x:ma(c);", 22, 2, 0, 2, ""},
                    ErrorCase{"\r\nx:max(c o,1)", 23, 11, 1, 10, ""}, ErrorCase{"x:c+n&c", 15, 5, 0, 5, ""},
                    ErrorCase{"n:1", 24, 0, 0, 0, ""}, ErrorCase{"x:'abc", 21, 2, 0, 2, ""}));

TEST(ParserErrorApiColours, HundredAndFirstCustomColour) {
  std::string text = "x:c";
  for (int k = 0; k < 101; ++k) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%06X", k);
    text += std::string(" COLOR") + digits;
  }
  ParserHandle parser;
  EXPECT_FALSE(parser->Compile(text, {}, {}));
  ParseErrorInfo info;
  parser->GetErrorInfo(&info);
  EXPECT_EQ(info.code, 29);
  EXPECT_EQ(std::string(info.text), kTooManyColours);
}

TEST_F(ParserApi, TranslatorFailuresAreCode27) {
  for (const char* text : {"a:c*-o;", "a:.5;", "a:5.*c;", "drawtext(c>o,l,'up%');"}) {
    ParserHandle p;
    EXPECT_FALSE(p->Compile(text, {}, {})) << text;
    ParseErrorInfo info;
    p->GetErrorInfo(&info);
    EXPECT_EQ(info.code, 27) << text;
    EXPECT_EQ(info.column, 0) << text;
    EXPECT_GT(info.position, 0) << text;
    int32_t count = 3;
    EXPECT_FALSE(p->GetOutputCount(&count));
  }
  ParserHandle ok;
  EXPECT_TRUE(ok->Compile("a:c*-1;", {}, {}));
}

TEST_F(ParserApi, CommentOnlyTextHasNoOutputs) {
  ASSERT_TRUE(Compile("{ nothing here }"));
  int32_t count = -1;
  EXPECT_TRUE(parser->GetOutputCount(&count));
  EXPECT_EQ(count, 0);
  int32_t kind = 0;
  float amount = 0.0f;
  EXPECT_TRUE(parser->GetHistoryNeed(&kind, &amount));
  EXPECT_EQ(kind, 0);
  uint32_t colour = 0;
  EXPECT_FALSE(parser->GetOutputColor(0, &colour));
}

TEST_F(ParserApi, OutputsNamesColoursWidthsAndHidden) {
  ASSERT_TRUE(Compile("a:c,colorff8800,linethick3;c>o;stickline(c>o,c,o,2,0),colorgreen;b:o,nodraw;"));
  int32_t count = 0;
  ASSERT_TRUE(parser->GetOutputCount(&count));
  ASSERT_EQ(count, 4);
  EXPECT_EQ(Name(0), std::string("a") + std::string(39, '\0'));
  EXPECT_EQ(Name(1), std::string(40, '\0'));  // anonymous
  EXPECT_EQ(Name(2), std::string(40, '\0'));  // drawing
  EXPECT_EQ(Name(3).substr(0, 2), std::string("b\0", 2));
  char tiny[1] = {'X'};
  EXPECT_TRUE(parser->GetOutputName(0, tiny, 1));
  EXPECT_EQ(tiny[0], '\0');
  EXPECT_FALSE(parser->GetOutputName(4, tiny, 1));
  EXPECT_FALSE(parser->GetOutputName(0, nullptr, 8));
  uint32_t colour = 0;
  ASSERT_TRUE(parser->GetOutputColor(0, &colour));
  EXPECT_EQ(colour, 0xFF0088FFu);
  EXPECT_FALSE(parser->GetOutputColor(1, &colour));
  ASSERT_TRUE(parser->GetOutputColor(2, &colour));
  EXPECT_EQ(colour, 0xFF4DB927u);
  EXPECT_TRUE(parser->SetOutputColor(1, 0x12345678u));
  ASSERT_TRUE(parser->GetOutputColor(1, &colour));
  EXPECT_EQ(colour, 0x12345678u);
  EXPECT_FALSE(parser->SetOutputColor(4, 1u));
  EXPECT_FALSE(parser->SetOutputColor(-1, 1u));
  int32_t width = 0;
  ASSERT_TRUE(parser->GetOutputLineWidth(0, &width));
  EXPECT_EQ(width, 3);
  ASSERT_TRUE(parser->GetOutputLineWidth(3, &width));
  EXPECT_EQ(width, 1);
  EXPECT_TRUE(parser->SetOutputLineWidth(3, 0));
  parser->GetOutputLineWidth(3, &width);
  EXPECT_EQ(width, 1);
  EXPECT_TRUE(parser->SetOutputLineWidth(3, 15));
  parser->GetOutputLineWidth(3, &width);
  EXPECT_EQ(width, 9);
  EXPECT_TRUE(parser->SetOutputLineWidth(3, 4));
  parser->GetOutputLineWidth(3, &width);
  EXPECT_EQ(width, 4);
  bool hidden = true;
  ASSERT_TRUE(parser->IsOutputHidden(0, &hidden));
  EXPECT_FALSE(hidden);
  ASSERT_TRUE(parser->IsOutputHidden(3, &hidden));
  EXPECT_TRUE(hidden);
  bool drawing = false;
  ASSERT_TRUE(parser->IsDrawFunctionOutput(2, &drawing));
  EXPECT_TRUE(drawing);
  ASSERT_TRUE(parser->IsDrawFunctionOutput(0, &drawing));
  EXPECT_FALSE(drawing);
  EXPECT_TRUE(parser->IsFieldUsed(4, 0));   // CLOSE
  EXPECT_TRUE(parser->IsFieldUsed(2, 99));  // OPEN
  EXPECT_FALSE(parser->IsFieldUsed(1, 0));  // HIGH is not read
}

struct DrawTypeCase {
  const char* text;
  int32_t code;
};

class DrawTypeApi : public testing::TestWithParam<DrawTypeCase> {};

TEST_P(DrawTypeApi, CodeOfTheOutput) {
  ParserHandle parser;
  ASSERT_TRUE(parser->Compile(GetParam().text, {}, {})) << GetParam().text;
  int32_t code = -1;
  ASSERT_TRUE(parser->GetOutputDrawType(0, &code));
  EXPECT_EQ(code, GetParam().code) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Styles, DrawTypeApi,
    testing::Values(DrawTypeCase{"x:c;", 0}, DrawTypeCase{"x:c,volstick;", 1}, DrawTypeCase{"x:c,rtvolstick;", 2},
                    DrawTypeCase{"x:c,stick;", 3}, DrawTypeCase{"x:c,circledot;", 4}, DrawTypeCase{"x:c,linestick;", 5},
                    DrawTypeCase{"x:c,crossdot;", 6}, DrawTypeCase{"x:c,colorstick;", 7},
                    DrawTypeCase{"x:c,dotline;", 8}, DrawTypeCase{"x:c,pointdot;", 9}, DrawTypeCase{"x:c,sarline;", 10},
                    DrawTypeCase{"x:c,noframe;", 0}, DrawTypeCase{"x:c,drawabove;", 0}, DrawTypeCase{"x:c,nodraw;", 0},
                    DrawTypeCase{"drawkline(h,o,l,c);", 11}, DrawTypeCase{"ployline(c>o,c);", 13},
                    DrawTypeCase{"drawband(h,c,l,o);", 14}, DrawTypeCase{"stickline(c>o,c,o,2,0);", 15},
                    DrawTypeCase{"drawicon(c>o,l,1);", 16}, DrawTypeCase{"drawtext(c>o,l,'up');", 17},
                    DrawTypeCase{"drawnumber(c>o,h,c);", 19}, DrawTypeCase{"drawline(c>o,h,c<o,l,0);", 23},
                    DrawTypeCase{"fillrgn(c,o,c>o);", 24}));

TEST_F(ParserApi, ParametersAndTheirDependencies) {
  ASSERT_TRUE(Compile("a:=ma(c,N); b:a+M; d:b; e:c; stickline(c>o,c,o,M,0);", {"N", "M"}, {5.0f, 10.0f}));
  int32_t params = 0;
  ASSERT_TRUE(parser->GetParamCount(&params));
  ASSERT_EQ(params, 2);
  char name[8];
  ASSERT_TRUE(parser->GetParamName(0, name, sizeof name));
  EXPECT_STREQ(name, "n");
  char one[2];
  ASSERT_TRUE(parser->GetParamName(1, one, sizeof one));
  EXPECT_STREQ(one, "m");
  EXPECT_FALSE(parser->GetParamName(2, name, sizeof name));
  float value = 0.0f;
  ASSERT_TRUE(parser->GetParamValue(1, &value));
  EXPECT_EQ(value, 10.0f);
  EXPECT_EQ(parser->GetOutputParamIndexes(0), (std::vector<int32_t>{1, 0}));  // b: m named, n through a
  EXPECT_EQ(parser->GetOutputParamIndexes(1), (std::vector<int32_t>{1, 0}));  // d through b
  EXPECT_TRUE(parser->GetOutputParamIndexes(2).empty());
  EXPECT_EQ(parser->GetOutputParamIndexes(3), (std::vector<int32_t>{1}));  // the drawing
  EXPECT_EQ(parser->GetOutputParamValues(0), (std::vector<float>{10.0f, 5.0f}));
  EXPECT_TRUE(parser->GetOutputParamValues(9).empty());
  EXPECT_EQ(parser->GetParamOutputs(0), (std::vector<int32_t>{0, 1}));
  EXPECT_EQ(parser->GetParamOutputs(1), (std::vector<int32_t>{0, 1, 3}));
  EXPECT_TRUE(parser->GetParamOutputs(2).empty());
}

TEST_F(ParserApi, SetParamValueKeepsThreeDecimalsInItsText) {
  ASSERT_TRUE(Compile("x:ma(c,n);", {"n"}, {5.0f}));
  EXPECT_TRUE(parser->SetParamValue(0, 7.123456f));
  float value = 0.0f;
  ASSERT_TRUE(parser->GetParamValue(0, &value));
  EXPECT_EQ(value, 7.123f);
  EXPECT_EQ(parser->GetOutputParamValues(0), std::vector<float>{7.123f});
  EXPECT_FALSE(parser->SetParamValue(1, 1.0f));
  EXPECT_FALSE(parser->SetParamValue(-1, 1.0f));
}

TEST_F(ParserApi, HistoryNeeds) {
  ASSERT_TRUE(Compile("a:ref(c,n);b:a+ref(c,20);e:c;", {"n"}, {10.0f}));
  int32_t kind = -1;
  float amount = -1.0f;
  ASSERT_TRUE(parser->GetOutputHistoryNeed(0, &kind, &amount));
  EXPECT_EQ(kind, 1);
  EXPECT_EQ(amount, 10.0f);
  ASSERT_TRUE(parser->GetOutputHistoryNeed(1, &kind, &amount));
  EXPECT_EQ(kind, 1);
  EXPECT_EQ(amount, 20.0f);
  ASSERT_TRUE(parser->GetOutputHistoryNeed(2, &kind, &amount));
  EXPECT_EQ(kind, 0);
  EXPECT_FALSE(parser->GetOutputHistoryNeed(3, &kind, &amount));
  kind = 0;
  amount = 0.0f;
  ASSERT_TRUE(parser->GetHistoryNeed(&kind, &amount));
  EXPECT_EQ(kind, 1);
  EXPECT_EQ(amount, 20.0f);
  // The caller's pair takes part in the merge: a larger kind stays.
  kind = 3;
  amount = 0.0f;
  ASSERT_TRUE(parser->GetHistoryNeed(&kind, &amount));
  EXPECT_EQ(kind, 3);
}

TEST_F(ParserApi, WholeHistoryNeedWinsTheMerge) {
  ASSERT_TRUE(Compile("a:ema(c,n);b:ref(c,30);", {"n"}, {12.0f}));
  int32_t kind = -1;
  float amount = -1.0f;
  ASSERT_TRUE(parser->GetOutputHistoryNeed(0, &kind, &amount));
  EXPECT_EQ(kind, 2);
  EXPECT_EQ(amount, 0.0f);
  kind = 0;
  amount = 0.0f;
  ASSERT_TRUE(parser->GetHistoryNeed(&kind, &amount));
  EXPECT_EQ(kind, 2);
  EXPECT_EQ(amount, 0.0f);  // the kind-1 entry after it is smaller and changes nothing
  bool flag = false;
  ASSERT_TRUE(parser->GetExtendHistory(&flag));
  EXPECT_TRUE(flag);
}

TEST(ParserApiFlags, ProgramFlags) {
  struct Case {
    const char* text;
    bool history, forward, recalc;
  };
  for (const Case& c : {Case{"x:c;", false, false, false}, Case{"x:ema(c,5);", true, false, false},
                        Case{"x:refx(c,2);", false, true, true}, Case{"x:barstatus;", false, false, true},
                        Case{"x:zig(3,5);", false, true, true}}) {
    ParserHandle parser;
    ASSERT_TRUE(parser->Compile(c.text, {}, {})) << c.text;
    bool history = !c.history, forward = !c.forward, recalc = !c.recalc;
    ASSERT_TRUE(parser->GetExtendHistory(&history));
    ASSERT_TRUE(parser->GetExtendForward(&forward));
    ASSERT_TRUE(parser->GetRecalcAll(&recalc));
    EXPECT_EQ(history, c.history) << c.text;
    EXPECT_EQ(forward, c.forward) << c.text;
    EXPECT_EQ(recalc, c.recalc) << c.text;
  }
}

TEST(ParserApiRelease, ReleaseNullsThePointer) {
  IndexObjCreator::ReleaseIndexParserObj(nullptr);
  IIndexParser* none = nullptr;
  IndexObjCreator::ReleaseIndexParserObj(&none);
  EXPECT_EQ(none, nullptr);
  IIndexParser* parser = IndexObjCreator::CreateIndexParserObj();
  ASSERT_NE(parser, nullptr);
  EXPECT_FALSE(parser->Compile("x:c+;", {}, {}));  // a failed object is released as well
  IndexObjCreator::ReleaseIndexParserObj(&parser);
  EXPECT_EQ(parser, nullptr);
}

TEST_F(ParserApi, OperationsFailBeforeCompilation) {
  bool flag = false;
  EXPECT_FALSE(parser->GetExtendHistory(&flag));
  EXPECT_FALSE(parser->IsFieldUsed(4, 0));
  uint32_t colour = 0;
  EXPECT_FALSE(parser->GetOutputColor(0, &colour));
  EXPECT_FALSE(parser->SetOutputLineWidth(0, 2));
  int32_t kind = 0;
  float amount = 0.0f;
  EXPECT_FALSE(parser->GetHistoryNeed(&kind, &amount));
  EXPECT_TRUE(parser->GetOutputParamValues(0).empty());
  EXPECT_TRUE(parser->GetParamOutputs(0).empty());
  EXPECT_FALSE(parser->IsDrawFunctionOutput(0, &flag));
  EXPECT_FALSE(parser->GetErrorInfo(nullptr));
}

}  // namespace
