// Draw records as the chart page receives them.
#include "draw_json.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

using namespace TarnDrawInfo;
using nlohmann::json;

TEST(DrawJsonTest, EveryRecordKindKeepsItsStyleItemsAndOrder) {
  GraphDrawInfo info;
  CurveDrawInfo curve = GetCurve(GetColorByARGB(0x80, 255, 0, 16), 2.0f, LINE_STYLE_DASH);
  curve.lines.push_back({TarnPointVec({{1.0f, 2.5}, {2.0f, std::numeric_limits<double>::quiet_NaN()}}), false, true});
  info.curves.push_back(curve);
  RectangleDrawInfo rect =
      GetRectangleFill(GetColorByID(static_cast<COLOR_TYPE>(7)), FILL_STYLE_SOLID, RECTANGLE_TYPE_1);
  rect.corners.push_back({{3.0f, 1.0}, {4.0f, 2.0}});
  info.rectangles.push_back(rect);
  TextDrawInfo text = GetText(GetDefaultColor(), 11.0f, ALIGN_CENTRED, "", 0);
  text.items.push_back({{5.0f, 6.0}, true, {7.0f, 8.0}, "\xb8\xdf"});  // GBK for U+9AD8
  info.texts.push_back(text);
  TDXIconDrawInfo icons = GetTDXIcon(3);
  icons.icons.push_back({{9.0f, 10.0}, 2});
  info.tdxIcons.push_back(icons);
  CrossDrawInfo cross = GetCross(GetEmptyColor(), 1.0f, LINE_STYLE_SOLID);
  cross.crosses.push_back({{11.0f, 12.0}, 0.5f});
  info.crosses.push_back(cross);
  ElipseDrawInfo ellipse = GetElipseFrame(GetColorByValue(0xFF00FF00), 1.0f, LINE_STYLE_SOLID);
  ellipse.elipses.push_back(TarnPointVec({{1.0f, 1.0}, {3.0f, 1.0}, {2.0f, 2.0}}));
  info.elipses.push_back(ellipse);
  BezierCurveDrawInfo bezier = GetBezierCurve(GetColorByID(static_cast<COLOR_TYPE>(1)), 1.0f, LINE_STYLE_SOLID);
  bezier.curves.push_back(TarnPointVec({{0.0f, 0.0}, {1.0f, 1.0}, {2.0f, 0.0}}));
  info.bezierCurves.push_back(bezier);
  // Items in the order a builder would have added them: record id * 1e8 + item.
  info.drawOrder = {6000000000000000LL, 1000000000000000LL, 3000000000000000LL, 7000000000000000LL,
                    5000000000000000LL, 4000000000000000LL, 2000000000000000LL};

  abacor_host::Palette palette;
  const json j = abacor_host::DrawInfoToJson(info, palette, abacor_host::TextCoding::kGbk);
  EXPECT_EQ(j["order"], json::parse("[[6,0,0],[1,0,0],[3,0,0],[7,0,0],[5,0,0],[4,0,0],[2,0,0]]"));
  const json& c = j["curves"][0];
  EXPECT_EQ(c["width"], 2.0);
  EXPECT_EQ(c["style"], 2);
  EXPECT_EQ(c["line"]["css"], "#ff0010");
  EXPECT_NEAR(c["line"]["alpha"].get<double>(), 0x80 / 255.0, 1e-12);
  EXPECT_EQ(c["line"]["palette"], 0);
  EXPECT_TRUE(c["fillColor"].is_null());
  EXPECT_EQ(c["items"][0]["points"], json::parse("[[1.0, 2.5], [2.0, null]]"));
  EXPECT_EQ(c["items"][0]["extendEnd"], true);
  EXPECT_EQ(j["rectangles"][0]["fill"], 1);
  EXPECT_EQ(j["rectangles"][0]["type"], 1);
  EXPECT_EQ(j["rectangles"][0]["fillColor"]["palette"], 7);
  EXPECT_EQ(j["rectangles"][0]["items"][0], json::parse("[[3.0, 1.0], [4.0, 2.0]]"));
  const json& t = j["texts"][0];
  EXPECT_EQ(t["align"], 0x12);
  EXPECT_EQ(t["color"]["css"], "#8080ff");
  EXPECT_EQ(t["items"][0]["text"], "\xe9\xab\x98");
  EXPECT_EQ(t["items"][0]["target"], json::parse("[7.0, 8.0]"));
  EXPECT_EQ(j["icons"][0]["type"], 3);
  EXPECT_EQ(j["icons"][0]["items"][0]["value"], 2);
  EXPECT_TRUE(j["crosses"][0]["line"].is_null());  // the empty colour draws nothing
  EXPECT_EQ(j["crosses"][0]["items"][0]["size"], 0.5);
  EXPECT_EQ(j["ellipses"][0]["items"][0].size(), 3u);
  EXPECT_EQ(j["ellipses"][0]["line"]["css"], "#00ff00");
  EXPECT_EQ(j["beziers"][0]["items"][0].size(), 3u);
  // The whole document serialises (no NaN, valid UTF-8).
  EXPECT_NE(j.dump().find("null"), std::string::npos);
}

TEST(DrawJsonTest, ToolTextsAreAlreadyUtf8) {
  GraphDrawInfo info;
  TextDrawInfo text = GetText(GetDefaultColor(), 11.0f, ALIGN_BESIDE_POINT, "", 0);
  text.items.push_back({{5.0f, 6.0}, false, {}, "\xe9\xab\x98"});
  info.texts.push_back(text);
  abacor_host::Palette palette;
  const json j = abacor_host::DrawInfoToJson(info, palette, abacor_host::TextCoding::kUtf8);
  EXPECT_EQ(j["texts"][0]["items"][0]["text"], "\xe9\xab\x98");
  EXPECT_FALSE(j["texts"][0]["items"][0].contains("target"));
}

}  // namespace
