// Colour helpers, record factories and the draw-info builder.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "abacor/draw_info.h"
#include "drawtools/draw_info_builder.h"

using namespace TarnDrawInfo;

namespace {

TarnPoint P(float x, double y) { return TarnPoint{x, y}; }

bool SameColor(const TarnColor& a, const TarnColor& b) {
  return a.colorId == b.colorId && a.colorValue == b.colorValue && a.useValue == b.useValue;
}

}  // namespace

// ---- Colours ----------------------------------------------------------------

TEST(DrawInfoColor, PacksChannelsAsAbgr) {
  const uint32_t v = MakeRGBVal(1, 2, 3);
  EXPECT_EQ(v, 0xFF030201u);
  EXPECT_EQ(GetRVal(v), 1);
  EXPECT_EQ(GetGVal(v), 2);
  EXPECT_EQ(GetBVal(v), 3);
  EXPECT_EQ(GetAVal(v), 255);
}

TEST(DrawInfoColor, OnlyLowEightBitsOfEachChannelCount) {
  EXPECT_EQ(MakeRGBAVal(0x1FF, 0x100, -1, 0x280), 0x80FF00FFu);
  EXPECT_EQ(MakeRGBVal(-1, -1, -1), 0xFFFFFFFFu);
  EXPECT_EQ(MakeRGBAVal(0, 0, 0, 0), 0u);
}

TEST(DrawInfoColor, ChannelsOfExtremeValues) {
  struct Case {
    uint32_t value;
    int r, g, b, a;
  };
  const Case cases[] = {
      {0u, 0, 0, 0, 0},
      {0xFFFFFFFFu, 255, 255, 255, 255},
      {0x80000000u, 0, 0, 0, 128},
      {0x00FF8001u, 1, 128, 255, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(GetRVal(c.value), c.r) << std::hex << c.value;
    EXPECT_EQ(GetGVal(c.value), c.g) << std::hex << c.value;
    EXPECT_EQ(GetBVal(c.value), c.b) << std::hex << c.value;
    EXPECT_EQ(GetAVal(c.value), c.a) << std::hex << c.value;
  }
}

TEST(DrawInfoColor, ColourRecords) {
  EXPECT_TRUE(SameColor(GetColorByARGB(0x80, 1, 2, 3), TarnColor{COLOR_TYPE_NONE, 0x80030201u, true}));
  EXPECT_TRUE(SameColor(GetColorByID(static_cast<COLOR_TYPE>(4)), TarnColor{static_cast<COLOR_TYPE>(4), 0, false}));
  EXPECT_TRUE(SameColor(GetColorByValue(0x12345678u), TarnColor{COLOR_TYPE_NONE, 0x12345678u, true}));
  EXPECT_TRUE(SameColor(GetEmptyColor(), TarnColor{COLOR_TYPE_NONE, 0, false}));
  const TarnColor def = GetDefaultColor();
  EXPECT_TRUE(SameColor(def, TarnColor{COLOR_TYPE_NONE, 0xFFFF8080u, true}));
  EXPECT_EQ(GetRVal(def.colorValue), 128);
  EXPECT_EQ(GetGVal(def.colorValue), 128);
  EXPECT_EQ(GetBVal(def.colorValue), 255);
}

// ---- Record factories -------------------------------------------------------

TEST(DrawInfoFactories, LineRecordsTakeColourWidthAndStyle) {
  const TarnColor red = GetColorByValue(MakeRGBVal(255, 0, 0));
  const CurveDrawInfo curve = GetCurve(red, 2.5f, LINE_STYLE_DASH);
  EXPECT_TRUE(SameColor(curve.lineColor, red));
  EXPECT_TRUE(SameColor(curve.fillColor, GetEmptyColor()));
  EXPECT_EQ(curve.lineWidth, 2.5f);
  EXPECT_EQ(curve.lineStyle, LINE_STYLE_DASH);
  EXPECT_EQ(curve.fillStyle, FILL_STYLE_NONE);
  EXPECT_TRUE(curve.lines.empty());

  const BezierCurveDrawInfo bezier = GetBezierCurve(red, 3.0f, LINE_STYLE_DOT);
  EXPECT_TRUE(SameColor(bezier.lineColor, red));
  EXPECT_EQ(bezier.lineWidth, 3.0f);
  EXPECT_EQ(bezier.lineStyle, LINE_STYLE_DOT);

  const RectangleDrawInfo frame = GetRectangleFrame(red, 1.5f, LINE_STYLE_SOLID, RECTANGLE_TYPE_1);
  EXPECT_TRUE(SameColor(frame.lineColor, red));
  EXPECT_TRUE(SameColor(frame.fillColor, GetEmptyColor()));
  EXPECT_EQ(frame.lineWidth, 1.5f);
  EXPECT_EQ(frame.rectangleType, RECTANGLE_TYPE_1);
  EXPECT_EQ(frame.fillStyle, FILL_STYLE_NONE);

  const ElipseDrawInfo elipse = GetElipseFrame(red, 4.0f, LINE_STYLE_DASH_DOT);
  EXPECT_EQ(elipse.lineWidth, 4.0f);
  EXPECT_EQ(elipse.lineStyle, LINE_STYLE_DASH_DOT);
  EXPECT_EQ(elipse.fillStyle, FILL_STYLE_NONE);

  const CrossDrawInfo cross = GetCross(red, 1.0f, LINE_STYLE_SOLID);
  EXPECT_TRUE(SameColor(cross.lineColor, red));
  EXPECT_EQ(cross.lineWidth, 1.0f);
}

// The curve fill starts with width 1.0; rectangle and ellipse fills with 0.
TEST(DrawInfoFactories, FillRecordsStartWidths) {
  const TarnColor c = GetColorByID(static_cast<COLOR_TYPE>(7));
  const CurveDrawInfo curve = GetCurveFill(c, FILL_STYLE_SOLID);
  EXPECT_EQ(curve.lineWidth, 1.0f);
  EXPECT_EQ(curve.lineStyle, LINE_STYLE_DEFAULT);
  EXPECT_TRUE(SameColor(curve.fillColor, c));
  EXPECT_TRUE(SameColor(curve.lineColor, GetEmptyColor()));
  EXPECT_EQ(curve.fillStyle, FILL_STYLE_SOLID);

  const RectangleDrawInfo rect = GetRectangleFill(c, FILL_STYLE_SOLID, RECTANGLE_TYPE_1);
  EXPECT_EQ(rect.lineWidth, 0.0f);
  EXPECT_EQ(rect.rectangleType, RECTANGLE_TYPE_1);
  EXPECT_TRUE(SameColor(rect.lineColor, GetEmptyColor()));

  const ElipseDrawInfo elipse = GetElipseFill(c, FILL_STYLE_SOLID);
  EXPECT_EQ(elipse.lineWidth, 0.0f);
  EXPECT_EQ(elipse.fillStyle, FILL_STYLE_SOLID);
  EXPECT_TRUE(SameColor(elipse.fillColor, c));
}

TEST(DrawInfoFactories, TextForms) {
  const TarnColor text = GetColorByValue(0xFF00FF00u);
  const TextDrawInfo shortForm = GetText(text, 12.0f, 0x11, "Song", 3);
  EXPECT_TRUE(SameColor(shortForm.textColor, text));
  EXPECT_TRUE(SameColor(shortForm.frameColor, TarnColor{COLOR_TYPE_NONE, 0, true}));
  EXPECT_TRUE(SameColor(shortForm.backColor, TarnColor{COLOR_TYPE_NONE, 0, true}));
  EXPECT_EQ(shortForm.fontSize, 12.0f);
  EXPECT_EQ(shortForm.alignment, 0x11);
  EXPECT_EQ(shortForm.fontName, "Song");
  EXPECT_EQ(shortForm.fontStyle, 3);
  EXPECT_EQ(shortForm.boxWidth, 0);

  const TarnColor frame = GetColorByID(static_cast<COLOR_TYPE>(4));
  const TarnColor back = GetColorByValue(0x80FFFFFFu);
  const TextDrawInfo longForm = GetText(text, frame, back, 9.0f, 0x22, "", 0, 120);
  EXPECT_TRUE(SameColor(longForm.frameColor, frame));
  EXPECT_TRUE(SameColor(longForm.backColor, back));
  EXPECT_EQ(longForm.boxWidth, 120);
  EXPECT_EQ(longForm.alignment, 0x22);
  EXPECT_EQ(GetTDXIcon(5).iconType, 5);
  EXPECT_TRUE(GetTDXIcon(5).icons.empty());
}

// ---- Builder ----------------------------------------------------------------

TEST(DrawInfoBuilder, FirstRecordOfEachKindGetsKindTimesTenMillion) {
  GraphDrawInfo info;
  GraphDrawInfoBuilder b(&info);
  EXPECT_EQ(b.AddCurve(CurveDrawInfo{}), 10000000);
  EXPECT_EQ(b.AddBezierCurve(BezierCurveDrawInfo{}), 20000000);
  EXPECT_EQ(b.AddRectangle(RectangleDrawInfo{}), 30000000);
  EXPECT_EQ(b.AddElipse(ElipseDrawInfo{}), 40000000);
  EXPECT_EQ(b.AddCross(CrossDrawInfo{}), 50000000);
  EXPECT_EQ(b.AddText(TextDrawInfo{}), 60000000);
  EXPECT_EQ(b.AddTDXIcon(TDXIconDrawInfo{}), 70000000);
  EXPECT_EQ(b.AddText(TextDrawInfo{}), 60000001);
  EXPECT_EQ(info.curves.size(), 1u);
  EXPECT_EQ(info.texts.size(), 2u);
  EXPECT_TRUE(b.HasId(60000001));
  EXPECT_FALSE(b.HasId(60000002));
  EXPECT_TRUE(info.drawOrder.empty());
}

TEST(DrawInfoBuilder, DrawOrderFollowsAdditionAcrossKinds) {
  GraphDrawInfo info;
  GraphDrawInfoBuilder b(&info);
  const int curve = b.AddCurve(GetCurve(GetDefaultColor(), 1.0f, LINE_STYLE_SOLID));
  const int text = b.AddText(GetText(GetDefaultColor(), 12.0f, 0x11, "", 0));
  const int cross = b.AddCross(GetCross(GetDefaultColor(), 1.0f, LINE_STYLE_SOLID));
  const int curve2 = b.AddCurve(GetCurve(GetDefaultColor(), 2.0f, LINE_STYLE_SOLID));
  ASSERT_TRUE(b.AddCurveLine(curve, {P(0, 1), P(1, 2)}, false, false));
  ASSERT_TRUE(b.AddTextItem(text, P(3, 4), "A", false, P(0, 0)));
  ASSERT_TRUE(b.AddCurveLine(curve, {P(5, 6)}, true, true));
  ASSERT_TRUE(b.AddCrossPoint(cross, P(1, 1), 0.5f));
  ASSERT_TRUE(b.AddCurveLine(curve2, {P(7, 8)}, false, true));
  const std::vector<int64_t> expected = {
      1000000000000000LL, 6000000000000000LL, 1000000000000001LL, 5000000000000000LL, 1000000100000000LL,
  };
  EXPECT_EQ(info.drawOrder, expected);
  ASSERT_EQ(info.curves[0].lines.size(), 2u);
  EXPECT_TRUE(info.curves[0].lines[1].extendStart);
  EXPECT_TRUE(info.curves[0].lines[1].extendEnd);
  EXPECT_EQ(info.curves[0].lines[1].points.GetPoint()[0].y, 6.0);
  EXPECT_EQ(info.curves[1].lines[0].extendStart, false);
  EXPECT_EQ(info.texts[0].items[0].text, "A");
}

TEST(DrawInfoBuilder, RefusedItemsLeaveTheDrawingUnchanged) {
  GraphDrawInfo info;
  GraphDrawInfoBuilder b(&info);
  const int curve = b.AddCurve(CurveDrawInfo{});
  const int bezier = b.AddBezierCurve(BezierCurveDrawInfo{});
  const int elipse = b.AddElipse(ElipseDrawInfo{});
  const int cross = b.AddCross(CrossDrawInfo{});
  const int text = b.AddText(TextDrawInfo{});
  EXPECT_FALSE(b.AddCurveLine(curve, {}, false, false));
  EXPECT_FALSE(b.AddElipsePoints(elipse, {P(1, 1)}));
  EXPECT_FALSE(b.AddElipsePoints(elipse, {P(1, 1), P(2, 2), P(3, 3), P(4, 4)}));
  EXPECT_FALSE(b.AddBezierLine(bezier, {P(1, 1), P(2, 2)}));
  EXPECT_FALSE(b.AddCrossPoint(cross, P(1, 1), 0.0f));
  EXPECT_FALSE(b.AddCrossPoint(cross, P(1, 1), -1.0f));
  EXPECT_FALSE(b.AddTextItem(text, P(1, 1), "", false, P(0, 0)));
  EXPECT_TRUE(info.drawOrder.empty());
  EXPECT_TRUE(info.curves[0].lines.empty());
  EXPECT_TRUE(info.elipses[0].elipses.empty());
  EXPECT_TRUE(info.bezierCurves[0].curves.empty());
  EXPECT_TRUE(info.crosses[0].crosses.empty());
  EXPECT_TRUE(info.texts[0].items.empty());
  // The accepted sizes next to the refused ones.
  EXPECT_TRUE(b.AddElipsePoints(elipse, {P(1, 1), P(2, 2)}));
  EXPECT_TRUE(b.AddElipsePoints(elipse, {P(1, 1), P(2, 2), P(1.5f, 3)}));
  EXPECT_TRUE(b.AddBezierLine(bezier, {P(1, 1), P(2, 2), P(3, 1)}));
  EXPECT_EQ(info.drawOrder.size(), 3u);
}

TEST(DrawInfoBuilder, ForeignAndInvalidIdsAreRefused) {
  GraphDrawInfo mine;
  GraphDrawInfo theirs;
  GraphDrawInfoBuilder a(&mine);
  GraphDrawInfoBuilder b(&theirs);
  b.AddCurve(CurveDrawInfo{});
  const int theirId = b.AddCurve(CurveDrawInfo{});  // 10000001: never issued by a
  a.AddCurve(CurveDrawInfo{});
  EXPECT_FALSE(a.AddCurveLine(theirId, {P(1, 1)}, false, false));
  EXPECT_FALSE(a.AddCurveLine(-1, {P(1, 1)}, false, false));
  EXPECT_FALSE(a.AddIconPoint(70000000, P(1, 1), 3));
  EXPECT_TRUE(mine.drawOrder.empty());
  EXPECT_TRUE(mine.curves[0].lines.empty());
}

// An id of one kind never reaches another kind's records.
TEST(DrawInfoBuilder, IdOfAnotherKindIsRefused) {
  GraphDrawInfo info;
  GraphDrawInfoBuilder b(&info);
  const int elipse = b.AddElipse(ElipseDrawInfo{});
  b.AddCurve(CurveDrawInfo{});
  EXPECT_FALSE(b.AddCurveLine(elipse, {P(1, 1)}, false, false));
  EXPECT_TRUE(info.curves[0].lines.empty());
  EXPECT_TRUE(info.drawOrder.empty());
}

TEST(DrawInfoBuilder, WithoutTargetNothingIsAdded) {
  GraphDrawInfoBuilder b(nullptr);
  EXPECT_EQ(b.AddCurve(CurveDrawInfo{}), -1);
  EXPECT_EQ(b.AddTDXIcon(TDXIconDrawInfo{}), -1);
  EXPECT_FALSE(b.AddCurveLine(10000000, {P(1, 1)}, false, false));
}

TEST(DrawInfoBuilder, AddCircleStoresTheHorizontalDiameter) {
  GraphDrawInfo info;
  GraphDrawInfoBuilder b(&info);
  const int id = b.AddElipse(GetElipseFrame(GetDefaultColor(), 1.0f, LINE_STYLE_SOLID));
  ASSERT_TRUE(b.AddCircle(id, P(10, 5.0), 2));
  const auto& pts = info.elipses[0].elipses[0].GetPoint();
  ASSERT_EQ(pts.size(), 2u);
  EXPECT_EQ(pts[0].x, 8.0f);
  EXPECT_EQ(pts[0].y, 5.0);
  EXPECT_EQ(pts[1].x, 12.0f);
  EXPECT_EQ(pts[1].y, 5.0);
  EXPECT_EQ(info.drawOrder, std::vector<int64_t>{4000000000000000LL});
}

TEST(DrawInfoBuilder, RemainingItemKinds) {
  GraphDrawInfo info;
  GraphDrawInfoBuilder b(&info);
  const int rect = b.AddRectangle(RectangleDrawInfo{});
  const int icon = b.AddTDXIcon(GetTDXIcon(2));
  ASSERT_TRUE(b.AddRectangleCorners(rect, P(1, 2), P(3, 4)));
  ASSERT_TRUE(b.AddIconPoint(icon, P(5, 6), 9));
  EXPECT_EQ(info.rectangles[0].corners[0].second.x, 3.0f);
  EXPECT_EQ(info.rectangles[0].corners[0].second.y, 4.0);
  EXPECT_EQ(info.tdxIcons[0].icons[0].value, 9);
  EXPECT_EQ(info.drawOrder, (std::vector<int64_t>{3000000000000000LL, 7000000000000000LL}));
}

// Record indexes stop at 9,999,998, so a kind holds at most 9,999,999
// records: past the cap every new record would reuse an issued id.
TEST(DrawInfoBuilder, RecordIndexIsCapped) {
  EXPECT_EQ(GraphDrawInfoBuilder::RecordId(GraphDrawInfoBuilder::kCross, 0), 50000000);
  EXPECT_EQ(GraphDrawInfoBuilder::RecordId(GraphDrawInfoBuilder::kCross, 9999997), 59999997);
  EXPECT_EQ(GraphDrawInfoBuilder::RecordId(GraphDrawInfoBuilder::kCross, 9999998), 59999998);
  EXPECT_EQ(GraphDrawInfoBuilder::RecordId(GraphDrawInfoBuilder::kCross, 9999999), 59999998);
  EXPECT_EQ(GraphDrawInfoBuilder::RecordId(GraphDrawInfoBuilder::kIcon, 123456789), 79999998);
}

TEST(DrawInfoBuilder, IssuedIdIsNeverIssuedAgain) {
  GraphDrawInfo info;
  GraphDrawInfoBuilder b(&info);
  EXPECT_EQ(b.AddCross(CrossDrawInfo{}), 50000000);
  info.crosses.clear();  // the list shrank behind the builder's back
  EXPECT_EQ(b.AddCross(CrossDrawInfo{}), -1);
  EXPECT_TRUE(info.crosses.empty());
  // Its id now names no record: items are refused.
  EXPECT_FALSE(b.AddCrossPoint(50000000, P(1, 1), 1.0f));
  EXPECT_TRUE(info.drawOrder.empty());
}

TEST(DrawInfoRecords, GraphDrawInfoVecCopiesDeeply) {
  GraphDrawInfo info;
  GraphDrawInfoBuilder b(&info);
  const int curve = b.AddCurve(GetCurve(GetDefaultColor(), 1.0f, LINE_STYLE_SOLID));
  b.AddCurveLine(curve, {P(1, 2), P(3, 4)}, false, false);
  TextDrawInfo text = GetText(GetDefaultColor(), 12.0f, 0x11, "Hei", 0);
  const int t = b.AddText(text);
  b.AddTextItem(t, P(1, 1), "label", true, P(2, 2));

  GraphDrawInfoVec original(std::vector<GraphDrawInfo>{info});
  GraphDrawInfoVec copy(original);
  GraphDrawInfoVec assigned;
  assigned = original;

  // Change the original's contents through a fresh list.
  std::vector<GraphDrawInfo> changed = original.GetGraphDrawInfo();
  changed[0].curves[0].lines[0].points.SetPoint({P(9, 9)});
  changed[0].texts[0].items[0].text = "other";
  changed[0].texts[0].fontName = "Kai";
  changed[0].drawOrder.clear();
  original.SetGraphDrawInfo(changed);

  for (const GraphDrawInfoVec* v : {&copy, &assigned}) {
    const GraphDrawInfo& g = v->GetGraphDrawInfo().at(0);
    ASSERT_EQ(g.curves[0].lines[0].points.GetPoint().size(), 2u);
    EXPECT_EQ(g.curves[0].lines[0].points.GetPoint()[1].x, 3.0f);
    EXPECT_EQ(g.texts[0].items[0].text, "label");
    EXPECT_EQ(g.texts[0].fontName, "Hei");
    EXPECT_EQ(g.drawOrder.size(), 2u);
  }
  EXPECT_EQ(original.GetGraphDrawInfo()[0].texts[0].items[0].text, "other");

  TarnPointVec pv(std::vector<TarnPoint>{P(1, 1)});
  TarnPointVec pvCopy = pv;
  pv.SetPoint({});
  EXPECT_EQ(pvCopy.GetPoint().size(), 1u);
}
