// Parser object details that the exported interface does not show.
#include <gtest/gtest.h>

#include <vector>

#include "formula/eval/calculate_info.h"
#include "formula/frontend/index_parser.h"

namespace {

TEST(IndexParser, SetParamValueStoresTheExactValueInTheProgram) {
  CIndexParser parser;
  ASSERT_TRUE(parser.Compile("x:ma(c,n);", {"n"}, {5.0f}));
  CCalculateInfo* program = nullptr;
  ASSERT_TRUE(parser.GetCalculateInfo(&program));
  ASSERT_EQ(program->m_paramValues.size(), 1u);
  EXPECT_EQ(program->m_paramValues[0], 5.0f);
  ASSERT_TRUE(parser.SetParamValue(0, 7.123456f));
  EXPECT_EQ(program->m_paramValues[0], 7.123456f);
  float shown = 0.0f;
  ASSERT_TRUE(parser.GetParamValue(0, &shown));
  EXPECT_EQ(shown, 7.123f);
}

TEST(IndexParser, FailedTranslationKeepsItsProgram) {
  CIndexParser parser;
  EXPECT_FALSE(parser.Compile("a:c*-o;", {}, {}));
  CCalculateInfo* program = nullptr;
  EXPECT_FALSE(parser.GetCalculateInfo(&program));  // not compiled
  // The syntax stage succeeded, so the context answers the dependency queries.
  EXPECT_TRUE(parser.GetOutputParamIndexes(0).empty());
  bool drawing = true;
  EXPECT_FALSE(parser.IsDrawFunctionOutput(0, &drawing));  // the output was never translated
}

TEST(IndexParser, DrawFunctionQueryNeedsOnlyAProgram) {
  CIndexParser parser;
  // The first output translates, the second fails: the program exists, the object is not compiled.
  EXPECT_FALSE(parser.Compile("stickline(c>o,c,o,1,0);a:c*-o;", {}, {}));
  bool drawing = false;
  ASSERT_TRUE(parser.IsDrawFunctionOutput(0, &drawing));
  EXPECT_TRUE(drawing);
  int32_t type = 0;
  EXPECT_FALSE(parser.GetOutputDrawType(0, &type));
}

// A named draw call is one output: the outputs after it keep their own attributes.
TEST(IndexParser, NamedDrawCallIsOneOutput) {
  CIndexParser parser;
  ASSERT_TRUE(parser.Compile("a:c; x:stickline(c>o,c,o,2,0),colorred; b:o,colorgreen,linethick2;", {}, {}));
  int32_t count = -1;
  ASSERT_TRUE(parser.GetOutputCount(&count));
  EXPECT_EQ(count, 3);
  CCalculateInfo* program = nullptr;
  ASSERT_TRUE(parser.GetCalculateInfo(&program));
  const int32_t drawIds[] = {500, 507, 500};  // .CURVELINE, STICK, .CURVELINE
  const int32_t drawTypes[] = {0, 15, 0};
  for (int32_t i = 0; i < 3; ++i) {
    const ExprRecord* record = program->FindOutputRecord(i);
    ASSERT_NE(record, nullptr) << i;
    EXPECT_EQ(record->values[0].Int32(), drawIds[i]) << i;
    int32_t type = -1;
    ASSERT_TRUE(parser.GetOutputDrawType(i, &type)) << i;
    EXPECT_EQ(type, drawTypes[i]) << i;
    int32_t kind = -1;
    float amount = -1.0f;
    EXPECT_TRUE(parser.GetOutputHistoryNeed(i, &kind, &amount)) << i;
  }
  // Output 2 of the program draws b (output series 2) in b's colour and width.
  const ExprRecord* last = program->FindOutputRecord(2);
  ASSERT_EQ(last->kinds[1], OPK_VAR);
  const ExprRecord* series = program->m_outputVars.at(static_cast<size_t>(last->values[1].Index()));
  EXPECT_EQ(series->kinds[0], OPK_OUTPUT_SERIES);
  EXPECT_EQ(series->values[0].Int32(), 2);
  uint32_t colour = 0;
  ASSERT_TRUE(parser.GetOutputColor(2, &colour));
  EXPECT_EQ(colour, 0xFF4DB927u);
  int32_t width = 0;
  ASSERT_TRUE(parser.GetOutputLineWidth(2, &width));
  EXPECT_EQ(width, 2);
  ASSERT_TRUE(parser.GetOutputColor(1, &colour));
  EXPECT_EQ(colour, 0xFF3D3DFFu);
  char name[8] = {};
  ASSERT_TRUE(parser.GetOutputName(1, name, sizeof name));
  EXPECT_STREQ(name, "x");
}

// The dependency query answers from the last attempt, also when its analysis failed.
TEST(IndexParser, ParamOutputsAfterAFailedAnalysis) {
  CIndexParser parser;
  EXPECT_FALSE(parser.Compile("a:ma(c,n); b:c+m; d:max(c);", {"n", "m"}, {5.0f, 10.0f}));
  ParseErrorInfo error{};
  parser.GetErrorInfo(&error);
  EXPECT_EQ(error.code, 22);
  EXPECT_EQ(parser.GetParamOutputs(0), (std::vector<int32_t>{0}));
  EXPECT_EQ(parser.GetParamOutputs(1), (std::vector<int32_t>{1}));
  EXPECT_TRUE(parser.GetParamOutputs(2).empty());
  EXPECT_TRUE(parser.GetOutputParamIndexes(0).empty());  // bounded by the output count, 0 after a syntax error
}

// `x:=stickline(...)` is not an assignment (a draw call follows the `:=`): it becomes an anonymous
// output `.tempresindex0=x=stick(...)`, whose draw call is not the first operand, and the
// translation fails cleanly with 27. A plain drawing statement compiles.
TEST(IndexParser, DrawCallAfterAssignmentFailsInTheTranslator) {
  CIndexParser parser;
  EXPECT_FALSE(parser.Compile("x:=stickline(c>o,c,o,2,0);", {}, {}));
  ParseErrorInfo error{};
  parser.GetErrorInfo(&error);
  EXPECT_EQ(error.code, 27);
  int32_t count = -1;
  EXPECT_FALSE(parser.GetOutputCount(&count));
  CIndexParser plain;
  EXPECT_TRUE(plain.Compile("x:=c>o;stickline(x,c,o,2,0);", {}, {}));
  ASSERT_TRUE(plain.GetOutputCount(&count));
  EXPECT_EQ(count, 1);
}

}  // namespace
