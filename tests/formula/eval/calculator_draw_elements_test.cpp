// Which drawing arguments the calculator computes and publishes per draw id,
// and which of them count, under which condition, for the value range.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <vector>

#include "abacor/index_calculator.h"
#include "abacor/index_obj_creator.h"
#include "formula/eval/function_table.h"
#include "support/bar_provider.h"
#include "support/calc_programs.h"
#include "support/fake_index_parser.h"
#include "support/owned_objects.h"
#include "support/program_builder.h"

namespace {

struct DrawCase {
  int32_t drawId;
  std::set<int32_t> computed;    // elements (1-based) that are calculated and published
  std::set<int32_t> values;      // elements that widen the value range
  std::set<int32_t> conditions;  // elements that gate them
};

// Written out from the drawing forms, independently of the calculator's table.
const std::vector<DrawCase> kCases = {
    {500, {1}, {1}, {}},
    {501, {2}, {2}, {}},
    {502, {3}, {3}, {}},
    {503, {1, 2, 3, 4}, {1, 2, 3, 4}, {}},
    {504, {}, {}, {}},
    {505, {1, 2}, {2}, {1}},
    {506, {1, 2, 3, 4}, {1, 3}, {}},
    {507, {1, 2, 3, 4, 5}, {2, 3}, {1}},
    {508, {1, 2, 3}, {2}, {1}},
    {509, {1, 2, 3}, {2}, {1}},
    {510, {}, {}, {}},
    {511, {1, 2, 3}, {2}, {1}},
    {512, {}, {}, {}},
    {513, {}, {}, {}},
    {514, {}, {}, {}},
    {515, {1, 2, 3, 4}, {2, 4}, {1, 3}},
    {516, {1, 2, 3}, {1, 2}, {3}},
};

// Argument a of the output is a series holding the constant a + 1, or 0 for
// the condition elements when conditionsFalse is set.
std::unique_ptr<CCalculateInfo> MakeDrawProgram(const DrawCase& c, bool conditionsFalse) {
  ProgramBuilder b;
  const int32_t args = FunctionArgCount(c.drawId);
  std::vector<Operand> operands;
  for (int32_t a = 0; a < args; ++a) {
    const bool zero = conditionsFalse && c.conditions.count(a + 1) != 0;
    b.Assign(OPK_VAR_SERIES, a, Num(zero ? 0.0f : static_cast<float>(a + 1)));
    operands.push_back(b.SeriesVar(OPK_VAR_SERIES, a, true));
  }
  b.Output(c.drawId, operands);
  return b.Take();
}

class DrawElementsTest : public ::testing::TestWithParam<DrawCase> {
 protected:
  void Run(bool conditionsFalse) {
    parser.SetProgram(MakeDrawProgram(GetParam(), conditionsFalse));
    ASSERT_TRUE(calc->SetIndexParser(&parser));
    ASSERT_TRUE(calc->SetDataProvider(&provider));
    ASSERT_TRUE(calc->Calculate(0, 19, false));
    ASSERT_TRUE(calc->PublishResults());
  }

  BarProvider provider{20};
  FakeIndexParser parser;
  CalcPtr calc{IndexObjCreator::CreateIndexCalculatorObj()};
};

TEST_P(DrawElementsTest, PublishesExactlyTheListedElements) {
  const DrawCase& c = GetParam();
  Run(false);
  const int32_t args = FunctionArgCount(c.drawId);
  ASSERT_GT(args, 0);
  for (int32_t a = 0; a < args; ++a) {
    double v = 0.0;
    const bool listed = c.computed.count(a + 1) != 0;
    EXPECT_EQ(calc->GetOutputArgValue(0, a, 7, &v), listed) << "argument " << a;
    if (listed) {
      EXPECT_EQ(v, a + 1.0);
    }
  }
}

TEST_P(DrawElementsTest, ValueRangeCoversTheValueElements) {
  const DrawCase& c = GetParam();
  Run(false);
  double lo = 0.0, hi = 0.0;
  const bool any = !c.values.empty();
  ASSERT_EQ(calc->GetValueRange(0, 19, {}, &lo, &hi), any);
  if (any) {
    EXPECT_EQ(lo, *c.values.begin());
    EXPECT_EQ(hi, *c.values.rbegin());
  }
}

TEST_P(DrawElementsTest, FalseConditionsHideTheirValues) {
  const DrawCase& c = GetParam();
  Run(true);
  double lo = 0.0, hi = 0.0;
  // Every value element of a form with conditions is gated by one.
  const bool any = !c.values.empty() && c.conditions.empty();
  ASSERT_EQ(calc->GetValueRange(0, 19, {}, &lo, &hi), any);
  if (any) {
    EXPECT_EQ(lo, *c.values.begin());
    EXPECT_EQ(hi, *c.values.rbegin());
  }
}

INSTANTIATE_TEST_SUITE_P(AllDrawIds, DrawElementsTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<DrawCase>& info) {
                           return "id" + std::to_string(info.param.drawId);
                         });

// A DRAWLINE condition gates only its own price: with the first condition
// false, the second price alone makes the range.
TEST(DrawElementsConditionTest, DrawLineConditionsGateTheirOwnPrice) {
  ProgramBuilder b;
  std::vector<Operand> operands;
  const float values[] = {0.0f, 2.0f, 1.0f, 4.0f, 0.0f};
  for (int32_t a = 0; a < 5; ++a) {
    b.Assign(OPK_VAR_SERIES, a, Num(values[a]));
    operands.push_back(b.SeriesVar(OPK_VAR_SERIES, a, true));
  }
  b.Output(515, operands);
  BarProvider provider(10);
  FakeIndexParser parser(b.Take());
  CalcPtr calc(IndexObjCreator::CreateIndexCalculatorObj());
  calc->SetIndexParser(&parser);
  calc->SetDataProvider(&provider);
  ASSERT_TRUE(calc->Calculate(0, 9, false));
  ASSERT_TRUE(calc->PublishResults());
  double lo = 0.0, hi = 0.0;
  ASSERT_TRUE(calc->GetValueRange(0, 9, {}, &lo, &hi));
  EXPECT_EQ(lo, 4.0);
  EXPECT_EQ(hi, 4.0);
}

}  // namespace
