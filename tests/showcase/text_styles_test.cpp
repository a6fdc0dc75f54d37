#include <gtest/gtest.h>

#include <set>
#include <string>

#include "showcase/text_styles.h"

namespace {

// Each family: its names, colour and font sizes as the table states them.
struct Family {
  const wchar_t* prefix;
  int count;
  const wchar_t* colour;
};

TEST(TextStyles, EveryFamilyMapsItsNamesToItsColour) {
  const Family families[] = {
      {L"HR", 5, L"text_h1"},         {L"HB", 4, L"text_h1"},     {L"T", 5, L"text_h2"},
      {L"S", 4, L"text_h3"},          {L"D", 4, L"text_disable"}, {L"O", 2, L"text_portfolio"},
      {L"B", 4, L"text_link_normal"}, {L"F", 4, L"text_sell"},    {L"W", 4, L"text_white"},
  };
  int total = 0;
  for (const Family& f : families) {
    for (int i = 1; i <= f.count; ++i) {
      std::wstring name = std::wstring(f.prefix) + std::to_wstring(i);
      auto it = TextStyles().find(name);
      ASSERT_NE(it, TextStyles().end());
      EXPECT_EQ(it->second.second, std::wstring(L"@color\\style_skin_tarn_text\\") + f.colour);
      ++total;
    }
  }
  EXPECT_EQ(total, 36);
  EXPECT_EQ(TextStyles().size(), 36u);
}

TEST(TextStyles, FontsFollowTheNameOrder) {
  EXPECT_EQ(TextStyles().at(L"HR5").first, L"size:20dp");
  EXPECT_EQ(TextStyles().at(L"HB3").first, L"size:22dp,bold:1");
  EXPECT_EQ(TextStyles().at(L"T1").first, L"size:10dp");
  EXPECT_EQ(TextStyles().at(L"O2").first, L"size:13dp");
  EXPECT_EQ(TextStyles().at(L"W4").first, L"size:14dp");
}

}  // namespace
