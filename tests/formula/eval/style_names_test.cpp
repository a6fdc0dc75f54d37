#include <gtest/gtest.h>

#include <cstring>

#include "formula/eval/style_names.h"

namespace {

TEST(StyleNamesTest, LooksUpWordsInAnyCase) {
  struct Case {
    const char* word;
    uint32_t code;
  };
  const Case cases[] = {
      {"citsar", 0x01000004u},        {"CLRRED", 0x020000FFu},     {"ClrPink", 0x02CBC0FFu},
      {"PLOYSTICK", 0x01000001u},     {"cltstick", 0x01000001u},   {"CITCIRCLE", 0x01000001u},
      {"cltrtvolstick", 0x01000004u}, {"CLRDEFAULT", 0x02FEFEFEu}, {"PLOYSAR", 0x01000009u},
  };
  for (const Case& c : cases) {
    uint32_t code = 123;
    EXPECT_TRUE(LookupStyleName(c.word, &code)) << c.word;
    EXPECT_EQ(code, c.code) << c.word;
  }
}

TEST(StyleNamesTest, UnknownWordsLeaveZero) {
  for (const char* word : {"", "CLR", "CLRREDX", "colorred", "CITSAR ",
                           "PLOYST\xC4\xB0"
                           "CK"}) {
    uint32_t code = 123;
    EXPECT_FALSE(LookupStyleName(word, &code)) << word;
    EXPECT_EQ(code, 0u);
  }
}

TEST(StyleNamesTest, EveryCodeSurvivesTheFloatRoundTrip) {
  // Codes travel as float bit patterns widened to double and narrowed back.
  for (const StyleName& e : StyleNameTable) {
    float f;
    std::memcpy(&f, &e.code, 4);
    const float back = static_cast<float>(static_cast<double>(f));
    uint32_t bits;
    std::memcpy(&bits, &back, 4);
    EXPECT_EQ(bits, e.code) << e.name;
    EXPECT_TRUE((e.code >> 24) == 0x01 || (e.code >> 24) == 0x02) << e.name;
  }
}

}  // namespace
