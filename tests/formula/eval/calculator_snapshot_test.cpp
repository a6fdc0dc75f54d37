// Outputs that colour by price movement make the calculator keep a price
// snapshot, filled per calculated range and published with the results.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "formula/eval/index_calculator.h"
#include "formula/eval/price_snapshot.h"
#include "formula/eval/value.h"
#include "support/bar_provider.h"
#include "support/calc_programs.h"
#include "support/fake_index_parser.h"
#include "support/program_builder.h"

namespace {

struct SnapshotCase {
  const char* name;
  int32_t drawId;
  uint32_t style;  // style code of element 1; 0 for forms without one
  bool needed;
};

std::unique_ptr<CCalculateInfo> MakeStyledProgram(const SnapshotCase& c) {
  ProgramBuilder b;
  const Operand close = b.FieldVar(kClose);
  b.Assign(OPK_OUTPUT_SERIES, 0, ProgramBuilder::Op(OP_ADD, close, Num(0.0f)));
  const Operand style{OPK_NUMBER, OperandValue::FromLow32(c.style)};
  const Operand series = b.SeriesVar(OPK_OUTPUT_SERIES, 0, true);
  switch (c.drawId) {
    case 501: b.Output(501, {style, series, Num(0.0f), Num(0.0f)}); break;
    case 502: b.Output(502, {style, Num(0.0f), series}); break;
    case 503: b.Output(503, {series, series, series, series}); break;
    default: b.Output(c.drawId, {series}); break;
  }
  return b.Take();
}

class CalculatorSnapshotTest : public ::testing::TestWithParam<SnapshotCase> {};

TEST_P(CalculatorSnapshotTest, KeepsASnapshotOnlyForPriceColouredOutputs) {
  const SnapshotCase& c = GetParam();
  BarProvider provider(20);
  FakeIndexParser parser(MakeStyledProgram(c));
  CIndexCalculator calc;
  ASSERT_TRUE(calc.SetIndexParser(&parser));
  ASSERT_TRUE(calc.SetDataProvider(&provider));
  ASSERT_TRUE(calc.Calculate(0, 19, false));
  EXPECT_EQ(calc.PublishedSnapshot(), nullptr);
  ASSERT_TRUE(calc.PublishResults());
  const PriceSnapshot* snapshot = calc.PublishedSnapshot();
  ASSERT_EQ(snapshot != nullptr, c.needed);
  if (!c.needed) return;
  EXPECT_EQ(snapshot->Get(4, 5), static_cast<float>(BarProvider::Price(kClose, 5)));
  EXPECT_EQ(snapshot->Get(1, 19), static_cast<float>(BarProvider::Price(kHigh, 19)));

  // A later range refreshes only its own bars.
  provider.value = [](int32_t f, int32_t b) { return BarProvider::Price(f, b) + 100.0; };
  ASSERT_TRUE(calc.Calculate(10, 12, true));
  ASSERT_TRUE(calc.PublishResults());
  snapshot = calc.PublishedSnapshot();
  EXPECT_EQ(snapshot->Get(4, 11), static_cast<float>(BarProvider::Price(kClose, 11) + 100.0));
  EXPECT_EQ(snapshot->Get(4, 5), static_cast<float>(BarProvider::Price(kClose, 5)));
}

INSTANTIATE_TEST_SUITE_P(Styles, CalculatorSnapshotTest,
                         ::testing::Values(SnapshotCase{"kline", 503, 0, true},
                                           SnapshotCase{"sarDots", 501, 0x01000004, true},
                                           SnapshotCase{"circleDots", 501, 0x01000001, false},
                                           SnapshotCase{"volStick", 502, 0x01000000, true},
                                           SnapshotCase{"rtVolStick", 502, 0x01000004, true},
                                           SnapshotCase{"stick", 502, 0x01000001, false},
                                           SnapshotCase{"line", 500, 0, false}),
                         [](const ::testing::TestParamInfo<SnapshotCase>& info) { return info.param.name; });

}  // namespace
