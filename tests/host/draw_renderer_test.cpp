#include "draw_renderer.h"

#include <gtest/gtest.h>

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

}  // namespace
