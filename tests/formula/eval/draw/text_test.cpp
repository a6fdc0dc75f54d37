// Texts and numbers end to end, and the number format of DRAWNUMBER.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formula/eval/draw/job.h"
#include "support/draw_run.h"

using TarnDrawInfo::GraphDrawInfo;

namespace {

std::vector<std::string> TextsOf(const GraphDrawInfo& d) {
  std::vector<std::string> texts;
  for (const auto& item : d.texts.at(0).items) texts.push_back(item.text);
  return texts;
}

TEST(DrawText, TextsAtTheBarsWhereTheConditionHolds) {
  TestDataProvider provider;
  SetPrices(provider, {11, 12, 13, 14}, {10, 12, 11, 13}, {9, 10, 10, 12}, {11, 11, 12, 14});
  DrawRun run("DRAWTEXT(C>O,H,'up'),COLORGREEN,LINETHICK2;", provider);
  const GraphDrawInfo d = run.Draw(0, 3).at(0);
  ASSERT_EQ(d.texts.size(), 1u);
  const auto& record = d.texts[0];
  EXPECT_FLOAT_EQ(record.fontSize, 11.0f);
  EXPECT_EQ(record.alignment, 0x12);
  EXPECT_EQ(record.textColor.colorValue, 0xFF4DB927u);
  EXPECT_TRUE(record.fontName.empty());
  EXPECT_EQ(record.fontStyle, 0);
  ASSERT_EQ(record.items.size(), 3u);
  const float bars[] = {0, 2, 3};
  const double highs[] = {11, 13, 14};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(record.items[i].text, "UP");
    EXPECT_FLOAT_EQ(record.items[i].position.x, bars[i]);
    EXPECT_EQ(record.items[i].position.y, highs[i]);
    EXPECT_FALSE(record.items[i].linked);
  }
}

TEST(DrawNumber, NumbersWithoutTrailingZeros) {
  TestDataProvider provider;
  SetPrices(provider, {2.25, 7, 12.5, -0.125}, {0, 0, 0, 0}, {0, 0, 0, 0}, {1, 1, 1, 1});
  DrawRun run("DRAWNUMBER(C>O,C,H);", provider);
  const GraphDrawInfo d = run.Draw(0, 3).at(0);
  EXPECT_EQ(TextsOf(d), (std::vector<std::string>{"2.25", "7", "12.5", "-0.125"}));
  EXPECT_FLOAT_EQ(d.texts[0].fontSize, 10.0f);
}

TEST(DrawNumber, FormatTable) {
  struct Case {
    double value;
    const char* text;
  };
  const Case cases[] = {{2.25, "2.25"},
                        {7, "7"},
                        {12.5, "12.5"},
                        {3.0, "3"},
                        {0.0, "0"},
                        {-4.5, "-4.5"},
                        {1e-7, "0"},
                        {123456.0000001, "123456"},
                        {0.1234567, "0.123457"},
                        {100, "100"}};
  for (const Case& c : cases) EXPECT_EQ(FormatDrawNumber(c.value), c.text) << c.value;
  EXPECT_EQ(FormatDrawNumber(1e300).size(), 301u);
}

}  // namespace
