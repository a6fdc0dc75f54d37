#include "support/draw_run.h"

#include <gtest/gtest.h>

#include "abacor/index_calculator.h"
#include "abacor/index_obj_creator.h"
#include "abacor/index_parser.h"

void SetPrices(TestDataProvider& provider, const std::vector<double>& high, const std::vector<double>& open,
               const std::vector<double>& low, const std::vector<double>& close) {
  provider.SetField(1, high);
  provider.SetField(2, open);
  provider.SetField(3, low);
  provider.SetField(4, close);
}

DrawRun::DrawRun(const std::string& text, TestDataProvider& provider) {
  parser = IndexObjCreator::CreateIndexParserObj();
  calc = IndexObjCreator::CreateIndexCalculatorObj();
  compiled = parser->Compile(text, {}, {});
  if (!compiled) {
    ParseErrorInfo error{};
    parser->GetErrorInfo(&error);
    ADD_FAILURE() << "formula does not compile: " << text << " (code " << error.code << ")";
    return;
  }
  calc->SetIndexParser(parser);
  calc->SetDataProvider(&provider);
  EXPECT_TRUE(calc->Calculate(0, provider.barCount - 1, false));
  EXPECT_TRUE(calc->PublishResults());
}

DrawRun::~DrawRun() {
  IndexObjCreator::ReleaseIndexCalculatorObj(&calc);
  IndexObjCreator::ReleaseIndexParserObj(&parser);
}

std::vector<TarnDrawInfo::GraphDrawInfo> DrawRun::Draw(int32_t first, int32_t last, int32_t step,
                                                       const std::set<int32_t>& hidden) {
  std::vector<TarnDrawInfo::GraphDrawInfo> out;
  if (!calc->GetDrawInfo(first, last, step, hidden, out)) out.clear();
  return out;
}

std::vector<std::pair<float, double>> PointsOf(const TarnDrawInfo::CurveLine& line) {
  std::vector<std::pair<float, double>> points;
  for (const TarnDrawInfo::TarnPoint& p : line.points.GetPoint()) points.emplace_back(p.x, p.y);
  return points;
}
