#include "draw_renderer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace TarnDrawInfo;

TarnPointVec Points(std::initializer_list<TarnPoint> pts) {
  TarnPointVec v;
  v.SetPoint(std::vector<TarnPoint>(pts));
  return v;
}

class DrawRendererTest : public ::testing::Test {
 protected:
  // Bars 0..9 over 1000 px (100 px a bar, bar b at 100b + 50); values 0..100 over 500 px with
  // the 5% margin: y = 500 * (105 - v) / 110.
  abacor_host::PaneGeometry pane{{0, 0, 1000, 500}, 0, 9, 0, 100};
  abacor_host::SvgWriter svg{1000, 500};
  abacor_host::Palette palette;
};

TEST_F(DrawRendererTest, ItemsFollowTheDrawOrderAcrossRecords) {
  GraphDrawInfo info;
  CurveDrawInfo curve{};
  curve.lineWidth = 2;
  curve.lineStyle = LINE_STYLE(2);
  curve.lineColor = GetColorByValue(MakeRGBVal(255, 0, 0));
  curve.lines.push_back(CurveLine{Points({{0, 0}, {9, 100}}), false, false});
  info.curves.push_back(curve);
  TextDrawInfo text = GetText(GetColorByID(COLOR_TYPE(6)), 12, 0x12, "", 0);
  text.items.push_back(TextItem{{4, 50}, false, {0, 0}, "a<b"});
  info.texts.push_back(text);
  // The text first, then the curve.
  info.drawOrder = {6000000000000000LL, 1000000000000000LL, 7000000000000000LL};
  abacor_host::DrawRenderer(svg, pane, palette).Render(info);
  std::string doc = svg.Finish();
  size_t t = doc.find("<text x=\"450.00\""), p = doc.find("<polyline points=\"50.00,477.27 950.00,22.73\"");
  ASSERT_NE(t, std::string::npos) << doc;
  ASSERT_NE(p, std::string::npos) << doc;
  EXPECT_LT(t, p);
  EXPECT_NE(doc.find("a&lt;b"), std::string::npos);
  EXPECT_NE(doc.find("stroke=\"#ff0000\" stroke-width=\"2.00\" stroke-dasharray=\"6,4\""), std::string::npos);
  EXPECT_NE(doc.find("text-anchor=\"middle\""), std::string::npos);
}

TEST_F(DrawRendererTest, ShapesAndColours) {
  GraphDrawInfo info;
  RectangleDrawInfo rect = GetRectangleFill(GetColorByID(COLOR_TYPE(7)), FILL_STYLE(1), RECTANGLE_TYPE(0));
  rect.corners.push_back(RectangleCorners{{1, 10}, {2, 0}});
  info.rectangles.push_back(rect);
  ElipseDrawInfo el = GetElipseFrame(GetColorByARGB(0x80, 0, 0, 255), 1, LINE_STYLE(1));
  el.elipses.push_back(Points({{3, 50}, {5, 50}}));
  info.elipses.push_back(el);
  info.drawOrder = {3000000000000000LL, 4000000000000000LL};
  abacor_host::DrawRenderer(svg, pane, palette).Render(info);
  std::string doc = svg.Finish();
  EXPECT_NE(doc.find("<rect x=\"150.00\" y=\"431.82\" width=\"100.00\" height=\"45.45\" fill=\"#ff3b3b\""),
            std::string::npos)
      << doc;
  EXPECT_NE(doc.find("<ellipse cx=\"450.00\" cy=\"250.00\" rx=\"100.00\" ry=\"100.00\""), std::string::npos) << doc;
  EXPECT_NE(doc.find("stroke=\"#0000ff\" stroke-width=\"1.00\" stroke-opacity=\"0.50\""), std::string::npos) << doc;
}

TEST_F(DrawRendererTest, GreenRiseSwapsThePaletteAndBadEntriesAreSkipped) {
  abacor_host::Palette green(true);
  std::string css;
  double opacity = 0;
  ASSERT_TRUE(green.Resolve(GetColorByID(COLOR_TYPE(7)), &css, &opacity));
  EXPECT_EQ(css, "#19c37d");
  EXPECT_FALSE(green.Resolve(GetEmptyColor(), &css, &opacity));
  GraphDrawInfo info;
  info.drawOrder = {-1, 1000000000000000LL, 9900000000000000LL};
  abacor_host::DrawRenderer(svg, pane, palette).Render(info);
  EXPECT_EQ(svg.Finish().find("<polyline"), std::string::npos);
}

// The y of every <text> element, in document order.
std::vector<double> TextYs(const std::string& doc) {
  std::vector<double> ys;
  for (size_t at = doc.find("<text "); at != std::string::npos; at = doc.find("<text ", at + 1))
    ys.push_back(std::stod(doc.substr(doc.find(" y=\"", at) + 4)));
  return ys;
}

TEST_F(DrawRendererTest, MultiLineTextsInTheirBoxStayInsideThePane) {
  // A caption as the range tools make it: two lines, frame and back colours, centred above
  // a point near the right edge, where it would stick out of the pane.
  GraphDrawInfo info;
  TextDrawInfo caption = GetText(GetColorByID(COLOR_TYPE(6)), GetColorByValue(MakeRGBVal(0, 0, 255)),
                                 GetColorByARGB(0x80, 255, 255, 0), 10, 0x22, "", 0, 0);
  caption.items.push_back(TextItem{{9.4f, 100}, false, {0, 0}, "830.000(18.78%)\n65bars, 92d"});
  info.texts.push_back(caption);
  info.drawOrder = {6000000000000000LL};
  abacor_host::DrawRenderer renderer(svg, pane, palette);
  renderer.Render(info);
  const std::string doc = svg.Finish();
  EXPECT_NE(doc.find(">830.000(18.78%)</text>"), std::string::npos) << doc;
  EXPECT_NE(doc.find(">65bars, 92d</text>"), std::string::npos) << doc;
  const std::vector<double> ys = TextYs(doc);
  ASSERT_EQ(ys.size(), 2u);
  EXPECT_NEAR(ys[1] - ys[0], 12.5, 1e-9) << "the second line one line height below the first";
  // The box: back colour filled at half opacity, framed in the frame colour.
  const size_t box = doc.find("<rect x=", doc.find("fill=\"#101418\"") + 1);
  ASSERT_NE(box, std::string::npos) << doc;
  EXPECT_NE(doc.find("fill=\"#ffff00\" fill-opacity=\"0.50\" stroke=\"#0000ff\"", box), std::string::npos) << doc;
  // Laid out by hand: 15 characters at 0.6 em of 10 px plus padding = 94 px wide, two lines of
  // 12.5 px plus padding = 29 px high; centred on x = 990 it would reach 1037, so it is
  // shifted to end 1 px inside the pane; above y = 22.73 it would start at -9.27, so it
  // is moved down to 1 px.
  const abacor_host::TextBlock b = renderer.LayOutText(caption, caption.items[0].text, {990, 500.0 * 5 / 110});
  EXPECT_NEAR(b.width, 94, 1e-9);
  EXPECT_NEAR(b.height, 29, 1e-9);
  EXPECT_NEAR(b.left, 1000 - 1 - 94, 1e-9);
  EXPECT_NEAR(b.top, 1, 1e-9);
  EXPECT_NE(doc.find("<rect x=\"905.00\" y=\"1.00\" width=\"94.00\" height=\"29.00\""), std::string::npos) << doc;
}

TEST_F(DrawRendererTest, TextsOfPointsOutsideThePaneAreNotPulledIn) {
  TextDrawInfo label = GetText(GetColorByID(COLOR_TYPE(1)), 10, 0x11, "", 0);
  abacor_host::DrawRenderer renderer(svg, pane, palette);
  const abacor_host::TextBlock outside = renderer.LayOutText(label, "spring high", {-40, 100});
  EXPECT_NEAR(outside.left, -40 + 3 - abacor_host::kTextPadding, 1e-9);
  const abacor_host::TextBlock inside = renderer.LayOutText(label, "spring high", {10, 100});
  EXPECT_NEAR(inside.left, 10 + 3 - abacor_host::kTextPadding, 1e-9) << "already inside: left as it is";
  // A tool's clip box bounds its texts instead of the pane: "spring high" (11 characters, 70 px
  // with padding) beside a point 20 px left of the box's right edge ends 1 px inside it.
  renderer.SetTextBounds({100, 100, 200, 100});
  const abacor_host::TextBlock boxed = renderer.LayOutText(label, "spring high", {280, 150});
  EXPECT_NEAR(boxed.left, 300 - 1 - boxed.width, 1e-9);
  EXPECT_NEAR(boxed.width, 11 * 6 + 2 * abacor_host::kTextPadding, 1e-9);
  // Chinese characters take a full em each: "中文" and two letters at 10 px.
  const abacor_host::TextBlock wide = renderer.LayOutText(label,
                                                          "\xE4\xB8\xAD\xE6\x96\x87"
                                                          "ab",
                                                          {10, 100});
  EXPECT_NEAR(wide.width, 10 + 10 + 6 + 6 + 2 * abacor_host::kTextPadding, 1e-9);
}

TEST_F(DrawRendererTest, TextsWithoutBoxColoursGetNoBox) {
  GraphDrawInfo info;
  TextDrawInfo text = GetText(GetColorByID(COLOR_TYPE(6)), 12, 0x12, "", 0);
  text.items.push_back(TextItem{{4, 50}, false, {0, 0}, "UP"});
  info.texts.push_back(text);
  info.drawOrder = {6000000000000000LL};
  abacor_host::DrawRenderer(svg, pane, palette).Render(info);
  const std::string doc = svg.Finish();
  EXPECT_EQ(doc.find("<rect x=\"4"), std::string::npos) << doc << "no box, only the page background";
  EXPECT_NE(doc.find(">UP</text>"), std::string::npos) << doc;
}

TEST(SvgWriterTest, MalformedUtf8IsReplacedSoTheDocumentStaysValid) {
  // GBK "中" that was never converted, then good UTF-8.
  EXPECT_EQ(abacor_host::SvgWriter::Escape("\xD6\xD0<\xE4\xB8\xAD"), "\xEF\xBF\xBD\xEF\xBF\xBD&lt;\xE4\xB8\xAD");
}

}  // namespace
