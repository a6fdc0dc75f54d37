// The words the front end writes into its script must all be known to the
// translator: function names, draw names, descriptor and line-style constants.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "formula/eval/function_table.h"
#include "formula/eval/style_names.h"
#include "formula/frontend/index_parser.h"
#include "formula/frontend/keyword_tables.h"
#include "formula/frontend/script_writer.h"

namespace {

std::string Upper(std::string text) {
  for (char& ch : text) {
    if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
  }
  return text;
}

// Style keywords of the language with their style numbers.
const std::pair<const char*, int32_t> kStyles[] = {
    {"volstick", 1},   {"stick", 2},    {"circledot", 3},   {"linestick", 4}, {"crossdot", 5},
    {"colorstick", 6}, {"nodraw", 9},   {"dotline", 10},    {"noframe", 11},  {"drawabove", 12},
    {"pointdot", 13},  {"sarline", 14}, {"rtvolstick", 15},
};

TEST(TableAgreement, EveryFunctionScriptWordIsAFunctionOfTheTranslator) {
  BuildKeywordTables();
  int32_t checked = 0;
  for (int32_t id = 8001; id <= 8499; ++id) {
    const char* word = ScriptWordOf(id);
    if (word == nullptr || std::string(word) == "0-") continue;  // `reverse` is written as a negation
    int32_t functionId = -1;
    EXPECT_GE(FindFunction(Upper(word), &functionId), 0) << word;
    ++checked;
  }
  EXPECT_EQ(checked, 124);  // 125 function ids less `reverse`
  for (int32_t id = 8500; id <= 8516; ++id) {
    const char* name = DrawNameOf(id);
    if (name == nullptr) continue;
    int32_t functionId = -1;
    EXPECT_GE(FindFunction(Upper(name), &functionId), 0) << name;
  }
}

TEST(TableAgreement, EveryDrawStyleWordIsANamedConstant) {
  for (int32_t style = -1; style <= 16; ++style) {
    uint32_t code = 0;
    EXPECT_TRUE(LookupStyleName(DrawStyleWord(style), &code)) << style << " " << DrawStyleWord(style);
  }
  uint32_t code = 0;
  ASSERT_TRUE(LookupStyleName(DrawStyleWord(15), &code));
  EXPECT_EQ(code, 0x01000008u);  // PLOYNOMAL
}

// Every style keyword compiles on a plain output, on a draw call and on a line-style draw call.
TEST(TableAgreement, EveryStyleKeywordCompilesInEveryPlace) {
  for (const auto& style : kStyles) {
    for (const std::string& head : {std::string("x:c,"), std::string("stickline(c>o,c,o,2,0),"),
                                    std::string("ployline(c>o,c),"), std::string("drawline(c>o,h,c<o,l,0),")}) {
      std::string text = head + style.first + ";";
      CIndexParser parser;
      EXPECT_TRUE(parser.Compile(text, {}, {})) << text;
      ParseErrorInfo error{};
      parser.GetErrorInfo(&error);
      EXPECT_EQ(error.code, 0) << text;
    }
  }
}

TEST(TableAgreement, RtVolStickDrawCallKeepsItsDrawType) {
  CIndexParser parser;
  ASSERT_TRUE(parser.Compile("stickline(c>o,c,o,2,0),rtvolstick;", {}, {}));
  int32_t count = -1;
  int32_t type = -1;
  ASSERT_TRUE(parser.GetOutputCount(&count));
  EXPECT_EQ(count, 1);
  ASSERT_TRUE(parser.GetOutputDrawType(0, &type));
  EXPECT_EQ(type, 15);  // STICK, draw id 507
  CIndexParser column;
  ASSERT_TRUE(column.Compile("x:vol,rtvolstick;", {}, {}));
  ASSERT_TRUE(column.GetOutputDrawType(0, &type));
  EXPECT_EQ(type, 2);
}

}  // namespace
