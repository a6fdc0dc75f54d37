// GetDrawInfo as a whole: hidden outputs, forms that draw nothing, output
// attributes, range handling and failures, and drawing while a worker
// calculates.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <set>
#include <thread>
#include <vector>

#include "abacor/index_calculator.h"
#include "formula/eval/index_calculator.h"
#include "support/bar_provider.h"
#include "support/calc_programs.h"
#include "support/draw_run.h"
#include "support/fake_index_parser.h"
#include "support/program_builder.h"

using TarnDrawInfo::GraphDrawInfo;

namespace {

void TenBars(TestDataProvider& provider) {
  std::vector<double> v;
  for (int i = 0; i < 10; ++i) v.push_back(10.0 + i);
  std::vector<double> open = v;
  for (double& x : open) x -= 0.5;
  SetPrices(provider, v, open, v, v);
}

// The y values of the first line of a curve drawing.
std::vector<double> LineValues(const GraphDrawInfo& d) {
  std::vector<double> values;
  for (const auto& p : d.curves.at(0).lines.at(0).points.GetPoint()) values.push_back(p.y);
  return values;
}

TEST(DrawOutput, HiddenOutputsProduceNothing) {
  TestDataProvider provider;
  TenBars(provider);
  DrawRun run("X:C;Y:O;Z:H,NODRAW;", provider);
  const auto all = run.Draw(0, 1);
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(LineValues(all[0]), (std::vector<double>{10, 11}));
  EXPECT_EQ(LineValues(all[1]), (std::vector<double>{9.5, 10.5}));
  const auto some = run.Draw(0, 1, 0, {0});
  ASSERT_EQ(some.size(), 1u);
  EXPECT_EQ(LineValues(some[0]), (std::vector<double>{9.5, 10.5}));
  EXPECT_TRUE(run.Draw(0, 1, 0, {0, 1}).empty());
}

// A calculator over a hand-built program with the bar provider's prices.
struct HandBuilt {
  explicit HandBuilt(std::unique_ptr<CCalculateInfo> program) : provider(10), parser(std::move(program)) {
    calc.SetIndexParser(&parser);
    calc.SetDataProvider(&provider);
  }
  bool Run() { return calc.Calculate(0, 9, false) && calc.PublishResults(); }
  std::vector<GraphDrawInfo> Draw(int32_t first, int32_t last) {
    std::vector<GraphDrawInfo> out;
    if (!calc.GetDrawInfo(first, last, 0, {}, out)) out.clear();
    return out;
  }

  BarProvider provider;
  FakeIndexParser parser;
  CIndexCalculator calc;
};

TEST(DrawOutput, FormsWithoutADrawingProduceNothing) {
  ProgramBuilder b;
  b.Assign(OPK_OUTPUT_SERIES, 0, ProgramBuilder::Op(OP_ADD, b.FieldVar(kClose), Num(0.0f)));
  const Operand close = b.SeriesVar(OPK_OUTPUT_SERIES, 0, true);
  for (int32_t id : {504, 510, 512, 513, 514}) b.Output(id, {close, close, close, close});
  b.Output(500, {close});
  HandBuilt h(b.Take());
  ASSERT_TRUE(h.Run());
  const auto drawings = h.Draw(0, 9);
  ASSERT_EQ(drawings.size(), 1u);
  EXPECT_EQ(drawings[0].curves.at(0).lines.at(0).points.GetPoint().size(), 10u);
}

TEST(DrawOutput, StyleCodesWithoutAConstantValueFallBackToTheDefaults) {
  ProgramBuilder b;
  b.Assign(OPK_OUTPUT_SERIES, 0, ProgramBuilder::Op(OP_ADD, b.FieldVar(kClose), Num(0.0f)));
  const Operand close = b.SeriesVar(OPK_OUTPUT_SERIES, 0, true);
  // A series where a style code should stand cannot be read as a constant.
  b.Output(502, {close, Num(0.0f), close});  // columns: CLTSTICK
  b.Output(501, {close, close});             // circle marks: CITCIRCLE
  HandBuilt h(b.Take());
  ASSERT_TRUE(h.Run());
  const auto drawings = h.Draw(0, 9);
  ASSERT_EQ(drawings.size(), 2u);
  EXPECT_EQ(drawings[0].rectangles.at(0).corners.size(), 10u);
  EXPECT_EQ(drawings[1].elipses.at(0).elipses.size(), 10u);
}

TEST(DrawOutput, ThicknessIsClampedAndAMissingColourIsTheDefault) {
  struct Case {
    bool setWidth;
    int32_t width;
    float expected;
  };
  const Case cases[] = {{false, 0, 1.0f}, {true, 0, 1.0f}, {true, 4, 4.0f}, {true, 12, 9.0f}, {true, -3, 1.0f}};
  for (const Case& c : cases) {
    HandBuilt h(MakeLineProgram());
    if (c.setWidth) h.parser.lineWidths[0] = c.width;
    h.parser.colours[1] = 0xFF112233;
    ASSERT_TRUE(h.Run());
    const auto drawings = h.Draw(0, 9);
    ASSERT_EQ(drawings.size(), 2u);
    EXPECT_FLOAT_EQ(drawings[0].curves[0].lineWidth, c.expected) << c.width;
    EXPECT_EQ(drawings[0].curves[0].lineColor.colorValue, 0xFFFF8080u);
    EXPECT_EQ(drawings[1].curves[0].lineColor.colorValue, 0xFF112233u);
  }
}

TEST(DrawOutput, RangesAndFailures) {
  HandBuilt h(MakeLineProgram());
  std::vector<GraphDrawInfo> out(3);
  // Nothing published yet: the call succeeds with no drawings.
  ASSERT_TRUE(h.calc.Calculate(0, 9, false));
  EXPECT_TRUE(h.calc.GetDrawInfo(0, 9, 0, {}, out));
  EXPECT_TRUE(out.empty());
  ASSERT_TRUE(h.calc.PublishResults());
  EXPECT_FALSE(h.calc.GetDrawInfo(5, 4, 0, {}, out));
  EXPECT_FALSE(h.calc.GetDrawInfo(-1, 4, 0, {}, out));
  // A last bar beyond the data is clipped to it.
  ASSERT_TRUE(h.calc.GetDrawInfo(7, 500, 0, {}, out));
  ASSERT_EQ(out.size(), 2u);
  const auto& points = out[0].curves[0].lines[0].points.GetPoint();
  ASSERT_EQ(points.size(), 3u);
  EXPECT_FLOAT_EQ(points[2].x, 9.0f);
  EXPECT_EQ(points[2].y, LineOracle(9));
  EXPECT_TRUE(h.calc.ReleaseDrawInfo(out));
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(out.capacity(), 0u);

  CIndexCalculator bare;
  EXPECT_FALSE(bare.GetDrawInfo(0, 9, 0, {}, out));
}

TEST(DrawOutput, ATotalBarCountBeyondTheStoredBarsIsClippedToThem) {
  HandBuilt h(MakeLineProgram());
  ASSERT_TRUE(h.Run());
  // The host now reports more bars than were calculated and published.
  h.provider.totalBarCount = 40;
  ASSERT_TRUE(h.calc.PublishResults());
  const auto drawings = h.Draw(0, 39);
  ASSERT_EQ(drawings.size(), 2u);
  EXPECT_EQ(drawings[0].curves[0].lines[0].points.GetPoint().size(), 10u);
}

TEST(DrawOutput, ExtendFlagIsReadFromConstantsNotFromBarData) {
  TestDataProvider provider;
  SetPrices(provider, {11, 10}, {10, 11}, {10, 10}, {11, 10});
  struct Case {
    const char* text;
    bool ray;
  };
  const Case cases[] = {{"DRAWLINE(C>O,H,C<O,L,3-2);", true}, {"DRAWLINE(C>O,H,C<O,L,C/C);", false}};
  for (const Case& c : cases) {
    DrawRun run(c.text, provider);
    const auto drawings = run.Draw(0, 1);
    ASSERT_EQ(drawings.size(), 1u);
    ASSERT_EQ(drawings[0].curves[0].lines.size(), 1u) << c.text;
    EXPECT_EQ(drawings[0].curves[0].lines[0].extendEnd, c.ray) << c.text;
  }
}

TEST(DrawOutputConcurrency, DrawingWhileAWorkerCalculates) {
  constexpr int32_t kBars = 300;
  TestDataProvider provider;
  std::vector<double> close;
  std::vector<double> open;
  for (int32_t i = 0; i < kBars; ++i) {
    close.push_back(10.0 + (i % 7));
    open.push_back(10.0 + (i % 5));
  }
  SetPrices(provider, close, open, open, close);
  DrawRun run("X:C;DRAWLINE(C>O,C,C<O,O,1);Y:C-O,VOLSTICK;STICKLINE(C>O,C,O,1,0);", provider);
  std::atomic<bool> done{false};
  std::thread worker([&] {
    for (int i = 0; i < 40; ++i) {
      run.calc->Calculate(kBars - 30, kBars - 1, true);
      run.calc->PublishResults();
    }
    done = true;
  });
  int32_t reads = 0;
  while (!done || reads == 0) {
    std::vector<GraphDrawInfo> out;
    ASSERT_TRUE(run.calc->GetDrawInfo(0, kBars - 1, 0, {}, out));
    ASSERT_EQ(out.size(), 4u);
    const auto& points = out[0].curves.at(0).lines.at(0).points.GetPoint();
    ASSERT_EQ(points.size(), static_cast<size_t>(kBars));
    for (int32_t i = 0; i < kBars; i += 37) EXPECT_EQ(points[i].y, close[i]);
    run.calc->ReleaseDrawInfo(out);
    ++reads;
  }
  worker.join();
}

}  // namespace
