// Parser object details that the exported interface does not show.
#include <gtest/gtest.h>

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

}  // namespace
