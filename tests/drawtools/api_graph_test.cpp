// The exported drawing-tool interface, through the shared library only.
#include <gtest/gtest.h>

#include <abacor/abacor.h>

#include <string>
#include <vector>

#include "support/test_coordinate.h"

namespace {

// A host's own implementation of the tool interface: the library must not
// destroy it.
class ForeignShape : public ITarnGraphShapeBase {
 public:
  explicit ForeignShape(bool* destroyed) : destroyed_(destroyed) {}
  ~ForeignShape() override { *destroyed_ = true; }
  void SetLineWidth(int) override {}
  void SetLineStyle(int) override {}
  void SetLineColor(TarnDrawInfo::TarnColor) override {}
  void SetFillColor(TarnDrawInfo::TarnColor) override {}
  void SetTextBoxColor(TarnDrawInfo::TarnColor) override {}
  void SetText(const std::string&) override {}
  void SetFontSize(int) override {}
  void SetFontStyle(int) override {}
  void SetTextColor(TarnDrawInfo::TarnColor) override {}
  void SetTextBoxWidth(int) override {}
  void SetFontName(const std::string&) override {}
  void SetTextFrameColor(TarnDrawInfo::TarnColor) override {}
  void SetHostFlagA(bool) override {}
  void SetAngleSnap(bool) override {}
  void SetHostFlagB(bool) override {}
  bool SetPoints(const std::vector<TarnGraphPoint>&) override { return false; }
  bool SetExtraPoints(const std::vector<TarnGraphPoint>&) override { return false; }
  void SetCoordinate(ITarnGraphCoordinate*) override {}
  void SetToolSettings(const stFibTimeZoneSettings*) override {}
  void SetToolSettings(const stGoldenSectionSettings*) override {}
  void GetToolSettings(stFibTimeZoneSettings*) override {}
  void GetToolSettings(stGoldenSectionSettings*) override {}
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_ARROW; }
  int GetLineWidth() override { return 0; }
  int GetLineStyle() override { return 0; }
  TarnDrawInfo::LINE_STYLE GetDrawLineStyle() override { return TarnDrawInfo::LINE_STYLE_SOLID; }
  TarnDrawInfo::TarnColor GetLineColor() override { return {}; }
  TarnDrawInfo::TarnColor GetFillColor() override { return {}; }
  TarnDrawInfo::TarnColor GetTextBoxColor() override { return {}; }
  const std::string& GetText() override { return text_; }
  int GetFontSize() override { return 0; }
  int GetFontStyle() override { return 0; }
  TarnDrawInfo::TarnColor GetTextColor() override { return {}; }
  int GetTextBoxWidth() override { return 0; }
  const std::string& GetFontName() override { return text_; }
  TarnDrawInfo::TarnColor GetTextFrameColor() override { return {}; }
  bool GetHostFlagA() override { return false; }
  bool GetAngleSnap() override { return false; }
  bool GetHostFlagB() override { return false; }
  void GetPoints(std::vector<TarnGraphPoint>&) override {}
  void GetDrawPoints(std::vector<TarnDrawInfo::TarnPoint>&) override {}
  int GetSelectedHotPoint() override { return -1; }
  bool HitHotPoint(float, float, int*) override { return false; }
  const std::vector<TarnDrawInfo::GraphDrawInfo>& GetDrawInfo() override { return drawings_; }
  bool OnAddPoint(float, float) override { return false; }
  void OnPreviewPoint(float, float) override {}
  bool OnDrag(float, float, float, float) override { return false; }
  unsigned GetPointCount() override { return 2; }

 protected:
  void BuildDrawInfo(std::vector<TarnDrawInfo::TarnPoint>) override {}
  void ApplyConstraints() override {}

 private:
  bool* destroyed_;
  std::string text_;
  std::vector<TarnDrawInfo::GraphDrawInfo> drawings_;
};

TEST(ApiGraph, ForeignObjectsAreNotReleased) {
  bool destroyed = false;
  ForeignShape foreign(&destroyed);
  ITarnGraphShapeBase* p = &foreign;
  TarnGraphInterface::ReleaseGraphShape(p);
  EXPECT_EQ(p, &foreign);
  EXPECT_FALSE(destroyed);
}

// A host's whole session with one tool: create, place, draw, move, release.
TEST(ApiGraph, HostSessionWithASegment) {
  TestCoordinate pane;
  ITarnGraphShapeBase* tool = TarnGraphInterface::CreateGraphShape(TARN_GRAPH_LINE_SEGMENT);
  ASSERT_NE(tool, nullptr);
  tool->SetCoordinate(&pane);
  tool->SetLineColor(TarnDrawInfo::GetColorByARGB(255, 10, 20, 30));
  EXPECT_FALSE(tool->OnAddPoint(100, 100));
  tool->OnPreviewPoint(150, 150);
  EXPECT_TRUE(tool->OnAddPoint(200, 200));
  const auto& drawings = tool->GetDrawInfo();
  ASSERT_EQ(drawings.size(), 1u);
  ASSERT_EQ(drawings[0].curves.size(), 1u);
  EXPECT_EQ(drawings[0].curves[0].lineColor.colorValue, TarnDrawInfo::MakeRGBVal(10, 20, 30));
  EXPECT_EQ(drawings[0].drawOrder, std::vector<int64_t>{1000000000000000LL});

  EXPECT_TRUE(tool->OnAddPoint(0, 0));  // selects nothing
  EXPECT_TRUE(tool->OnDrag(0, 0, 10, -20));
  std::vector<TarnGraphPoint> pts;
  tool->GetPoints(pts);
  ASSERT_EQ(pts.size(), 2u);
  EXPECT_FLOAT_EQ(pane.Px(pts[0].x), 110.0f);
  EXPECT_FLOAT_EQ(pane.Py(pts[0].y), 80.0f);
  EXPECT_EQ(pane.timeToBarCalls, 0);

  TarnDrawInfo::GraphDrawInfoVec saved(tool->GetDrawInfo());
  TarnGraphInterface::ReleaseGraphShape(&tool);
  EXPECT_EQ(tool, nullptr);
  EXPECT_EQ(saved.GetGraphDrawInfo().size(), 1u);
}

TEST(ApiGraph, HotPointRadiusIsProcessWide) {
  const int old = TarnGraphInterface::GetHotPointRadius();
  TarnGraphInterface::SetHotPointRadius(10);
  EXPECT_EQ(TarnGraphInterface::GetHotPointRadius(), 10);
  TestCoordinate pane;
  ITarnGraphShapeBase* tool = TarnGraphInterface::CreateGraphShape(TARN_GRAPH_SHAPE_RETANGLE);
  tool->SetCoordinate(&pane);
  tool->OnAddPoint(100, 100);
  tool->OnAddPoint(200, 200);
  int index = -1;
  EXPECT_TRUE(tool->HitHotPoint(109, 91, &index));
  EXPECT_EQ(index, 0);
  TarnGraphInterface::ReleaseGraphShape(&tool);
  TarnGraphInterface::SetHotPointRadius(old);
}

TEST(ApiGraph, ColourFunctionsAreExported) {
  EXPECT_EQ(TarnDrawInfo::MakeRGBVal(1, 2, 3), 0xFF030201u);
  EXPECT_EQ(TarnDrawInfo::GetAVal(TarnDrawInfo::GetColorByARGB(0x80, 1, 2, 3).colorValue), 0x80);
  EXPECT_EQ(TarnDrawInfo::GetText(TarnDrawInfo::GetDefaultColor(), 12.0f, 0x11, "", 0).alignment, 0x11);
}

}  // namespace
