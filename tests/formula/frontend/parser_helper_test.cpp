// Keyword tests of CParserHelper, before and after the tables exist.
#include <gtest/gtest.h>

#include "abacor/parser_helper.h"
#include "formula/frontend/keyword_tables.h"

namespace {

// Taken during static initialisation, before any test could build the tables.
struct BeforeBuild {
  bool built = KeywordTablesBuilt();
  bool func = CParserHelper::IsFunc("close");
  bool field = CParserHelper::IsParamIndex("close");
  bool constant = CParserHelper::IsConst("colorred");
  bool literal = CParserHelper::IsConst("LINETHICK3");
};
const BeforeBuild kBeforeBuild;

TEST(ParserHelper, FalseForEveryWordBeforeTheTablesAreBuilt) {
  ASSERT_FALSE(kBeforeBuild.built);
  EXPECT_FALSE(kBeforeBuild.func);
  EXPECT_FALSE(kBeforeBuild.field);
  EXPECT_FALSE(kBeforeBuild.constant);
  EXPECT_FALSE(kBeforeBuild.literal);
}

class ParserHelperBuilt : public testing::Test {
 protected:
  void SetUp() override { BuildKeywordTables(); }
};

TEST_F(ParserHelperBuilt, IsFunc) {
  EXPECT_TRUE(CParserHelper::IsFunc("close"));
  EXPECT_TRUE(CParserHelper::IsFunc("CLOSE"));
  EXPECT_TRUE(CParserHelper::IsFunc("StickLine"));
  EXPECT_TRUE(CParserHelper::IsFunc("ma"));
  EXPECT_TRUE(CParserHelper::IsFunc("RGB"));
  EXPECT_FALSE(CParserHelper::IsFunc("colorred"));
  EXPECT_FALSE(CParserHelper::IsFunc("and"));
  EXPECT_FALSE(CParserHelper::IsFunc("ma5"));
  EXPECT_FALSE(CParserHelper::IsFunc(""));
}

TEST_F(ParserHelperBuilt, IsParamIndex) {
  EXPECT_TRUE(CParserHelper::IsParamIndex("close"));
  EXPECT_TRUE(CParserHelper::IsParamIndex("Close"));
  EXPECT_TRUE(CParserHelper::IsParamIndex("C"));
  EXPECT_TRUE(CParserHelper::IsParamIndex("capital"));
  EXPECT_FALSE(CParserHelper::IsParamIndex("ma"));
  EXPECT_FALSE(CParserHelper::IsParamIndex("stickline"));
}

TEST_F(ParserHelperBuilt, IsConst) {
  EXPECT_TRUE(CParserHelper::IsConst("colorred"));
  EXPECT_TRUE(CParserHelper::IsConst("COLORRED"));
  EXPECT_TRUE(CParserHelper::IsConst("ColorRed"));
  EXPECT_TRUE(CParserHelper::IsConst("nodraw"));
  EXPECT_TRUE(CParserHelper::IsConst("LineThick5"));
  EXPECT_TRUE(CParserHelper::IsConst("LINETHICK1"));
  EXPECT_TRUE(CParserHelper::IsConst("COLORFF8800"));
  EXPECT_FALSE(CParserHelper::IsConst("colorff8800"));  // the custom-colour form is case-sensitive
  EXPECT_FALSE(CParserHelper::IsConst("LINETHICK0"));
  EXPECT_FALSE(CParserHelper::IsConst("LINETHICK10"));
  EXPECT_FALSE(CParserHelper::IsConst("COLORFF88"));
  EXPECT_FALSE(CParserHelper::IsConst("close"));
}

}  // namespace
