// Range tools: the measured box, its guides and the caption texts.
#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "drawtools/range_tools.h"
#include "support/drawing_checks.h"
#include "support/shape_fixture.h"

using namespace TarnDrawInfo;

namespace {

constexpr int kDay = 86400;

TEST(DurationText, DaysHoursMinutesWithoutSeconds) {
  struct Case {
    int64_t seconds;
    const char* text;
  };
  const Case cases[] = {{0, ""},           {59, ""},      {60, "1m"},          {3600, "1h"},
                        {86399, "23h59m"}, {86400, "1d"}, {86460, "1d1m"},     {90061, "1d1h1m"},
                        {-86400, "-1d"},   {-59, "-"},    {-90061, "-1d1h1m"}, {5 * kDay, "5d"}};
  for (const Case& c : cases) EXPECT_EQ(DurationText(c.seconds), c.text) << c.seconds;
}

TEST(DurationText, ExtremesDoNotOverflow) {
  // The difference of two host times can exceed an int; the text is built
  // from its magnitude.
  const int64_t span = static_cast<int64_t>(INT_MAX) - INT_MIN;
  EXPECT_EQ(DurationText(span), std::to_string(span / kDay) + "d6h28m");
  EXPECT_EQ(DurationText(-span), "-" + DurationText(span));
  EXPECT_EQ(DurationText(INT64_MIN).substr(0, 2), "-1");
}

TEST(RangeTexts, PriceTextAndItsUndefinedCases) {
  EXPECT_EQ(RangePriceText(10.0, 11.0, 0.01, ""), "100.000(10.00%)");
  EXPECT_EQ(RangePriceText(10.0, 11.0, 0.01, " "), "100.000(10.00%) ");
  EXPECT_EQ(RangePriceText(20.0, 15.0, 1.0, ""), "-5.000(-25.00%)");
  // A start price of 0 has no percentage; a step of 0 counts plain units.
  EXPECT_EQ(RangePriceText(0.0, 1.0, 0.01, ""), "100.000");
  EXPECT_EQ(RangePriceText(10.0, 11.0, 0.0, ""), "1.000");
  EXPECT_EQ(RangePriceText(0.0, 0.0, 0.0, " "), "0.000 ");
}

TEST(RangeTexts, BarsText) {
  EXPECT_EQ(RangeBarsText(10, 15, 10 * kDay, 15 * kDay), "5bars, 5d");
  EXPECT_EQ(RangeBarsText(15, 10, 15 * kDay, 10 * kDay), "-5bars, -5d");
  EXPECT_EQ(RangeBarsText(7, 7, 0, 0), "0bars, ");
  EXPECT_EQ(RangeBarsText(0, 2.5e30f, 0, 0).substr(0, 4), "9223");
}

class RangeToolsTest : public ::testing::Test {
 protected:
  void SetUp() override { coord.secondsPerBar = kDay; }
  const GraphDrawInfo& Draw(int type, const std::vector<std::pair<float, double>>& points) {
    tool_ = std::make_unique<ToolHandle>(type);
    (*tool_)->SetCoordinate(&coord);
    (*tool_)->SetPoints(Anchors(points));
    const auto& drawings = (*tool_)->GetDrawInfo();
    static const GraphDrawInfo none;
    EXPECT_EQ(drawings.size(), 1u);
    return drawings.empty() ? none : drawings[0];
  }
  static std::string Caption(const GraphDrawInfo& d) {
    if (d.texts.size() != 1 || d.texts[0].items.size() != 1) return "<no caption>";
    return d.texts[0].items[0].text;
  }
  TestCoordinate coord;
  std::unique_ptr<ToolHandle> tool_;
};

TEST_F(RangeToolsTest, DateRangeOnWholeBars) {
  const GraphDrawInfo& d = Draw(TARN_GRAPH_RANGE_DATE, {{10.4f, 20.0}, {14.6f, 30.0}});
  EXPECT_EQ(Caption(d), "5bars, 5d");
  ASSERT_EQ(d.curves.size(), 3u);
  const CurveDrawInfo& outline = d.curves[0];
  const CurveDrawInfo& fill = d.curves[1];
  const CurveDrawInfo& guide = d.curves[2];
  EXPECT_EQ(outline.lineStyle, LINE_STYLE_SOLID);
  EXPECT_EQ(fill.fillStyle, FILL_STYLE_SOLID);
  EXPECT_EQ(guide.lineStyle, LINE_STYLE_DASH);
  const auto box = LinePoints(fill.lines.at(0));
  ASSERT_EQ(box.size(), 4u);
  ExpectPoint(box[0], 10, 20.0);
  ExpectPoint(box[1], 10, 30.0);
  ExpectPoint(box[2], 15, 30.0);
  ExpectPoint(box[3], 15, 20.0);
  ASSERT_EQ(outline.lines.size(), 2u);
  ExpectPoint(LinePoints(outline.lines[1])[0], 15, 30.0);
  ExpectPoint(LinePoints(outline.lines[1])[1], 15, 20.0);
  ASSERT_EQ(guide.lines.size(), 3u) << "the measure line and its two barbs";
  ExpectPoint(LinePoints(guide.lines[0])[0], 10, 25.0);
  ExpectPoint(LinePoints(guide.lines[0])[1], 15, 25.0);
  // The anchors keep their own positions.
  const auto anchors = PointsOf(tool_->get());
  EXPECT_EQ(anchors[0].x, 10.4f);
  EXPECT_EQ(anchors[1].x, 14.6f);
}

TEST_F(RangeToolsTest, DateRangeCaptions) {
  EXPECT_EQ(Caption(Draw(TARN_GRAPH_RANGE_DATE, {{15, 20.0}, {10, 30.0}})), "-5bars, -5d");
  EXPECT_EQ(Caption(Draw(TARN_GRAPH_RANGE_DATE, {{7, 20.0}, {7, 30.0}})), "0bars, ");
  coord.secondsPerBar = 3600;
  EXPECT_EQ(Caption(Draw(TARN_GRAPH_RANGE_DATE, {{0, 20.0}, {30, 30.0}})), "30bars, 1d6h");
}

TEST_F(RangeToolsTest, PriceRangeCaptionAndAlignment) {
  const GraphDrawInfo& up = Draw(TARN_GRAPH_RANGE_PRICE, {{2, 10.0}, {8, 11.0}});
  EXPECT_EQ(Caption(up), "100.000(10.00%)");
  const TextDrawInfo& caption = up.texts.at(0);
  EXPECT_EQ(caption.alignment, 0x22) << "end above the start on screen";
  EXPECT_EQ(caption.textColor.colorId, 6);
  EXPECT_FALSE(caption.textColor.useValue);
  EXPECT_EQ(caption.frameColor.colorId, 4);
  EXPECT_EQ(caption.backColor.colorId, 4);
  EXPECT_EQ(caption.fontSize, 12.0f);
  EXPECT_EQ(caption.boxWidth, 0);
  EXPECT_FALSE(caption.items.at(0).linked);
  ExpectPoint(caption.items.at(0).position, 8, 11.0);
  const CurveDrawInfo& guide = up.curves.at(2);
  ExpectPoint(LinePoints(guide.lines.at(0))[0], 5, 10.0);
  ExpectPoint(LinePoints(guide.lines.at(0))[1], 5, 11.0);

  EXPECT_EQ(Draw(TARN_GRAPH_RANGE_PRICE, {{2, 10.0}, {8, 10.0}}).texts.at(0).alignment, 0x0A) << "same row";
  EXPECT_EQ(Draw(TARN_GRAPH_RANGE_PRICE, {{2, 11.0}, {8, 10.0}}).texts.at(0).alignment, 0x0A) << "end below";
}

TEST_F(RangeToolsTest, PriceRangeOverZeroShowsNoPercentage) {
  EXPECT_EQ(Caption(Draw(TARN_GRAPH_RANGE_PRICE, {{2, 0.0}, {8, 1.0}})), "100.000");
  coord.priceUnit = 0.0;
  EXPECT_EQ(Caption(Draw(TARN_GRAPH_RANGE_PRICE, {{2, 10.0}, {8, 11.0}})), "1.000");
  coord.refusePaneServices = true;  // the price unit keeps its preset 1
  EXPECT_EQ(Caption(Draw(TARN_GRAPH_RANGE_PRICE, {{2, 10.0}, {8, 11.0}})), "1.000(10.00%)");
}

TEST_F(RangeToolsTest, DateAndPriceRange) {
  const GraphDrawInfo& d = Draw(TARN_GRAPH_RANGE_DATE_AND_PRICE, {{10, 10.0}, {15, 11.0}});
  EXPECT_EQ(Caption(d), "100.000(10.00%) \n5bars, 5d");
  ASSERT_EQ(d.curves.at(0).lines.size(), 1u);
  const auto sides = LinePoints(d.curves[0].lines[0]);
  ASSERT_EQ(sides.size(), 4u);
  ExpectPoint(sides[3], 15, 10.0);
  ASSERT_EQ(d.curves.at(2).lines.size(), 6u) << "two measure lines with two barbs each";
  ExpectPoint(LinePoints(d.curves[2].lines[3])[0], 12.5f, 10.0);
}

TEST_F(RangeToolsTest, FailingConversionsStillCaptionAtTheEndPoint) {
  for (bool hostile : {false, true}) {
    TestCoordinate bad;
    bad.hostile = hostile;
    bad.refuseBarToPixel = bad.refusePriceToPixel = bad.refuseBarToTime = !hostile;
    bad.refusePaneServices = !hostile;
    for (int type : {80, 81, 82}) {
      ToolHandle tool(type);
      tool->SetPoints(Anchors({{10, 10.0}, {15, 11.0}}));
      tool->SetCoordinate(&bad);
      const auto& drawings = tool->GetDrawInfo();
      ASSERT_EQ(drawings.size(), 1u) << type;
      EXPECT_TRUE(AllPointsFinite(drawings)) << type;
      ExpectPoint(drawings[0].texts.at(0).items.at(0).position, 15, 11.0);
      EXPECT_EQ(drawings[0].texts[0].alignment, 0x0A);
    }
  }
}

TEST_F(RangeToolsTest, EqualPointsDrawNothing) {
  for (int type : {80, 81, 82}) {
    ToolHandle tool(type);
    tool->SetCoordinate(&coord);
    tool->SetPoints(Anchors({{3, 4.0}, {3, 4.0}}));
    EXPECT_TRUE(tool->GetDrawInfo().empty()) << type;
  }
}

}  // namespace
