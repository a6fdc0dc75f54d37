#pragma once
// TarnGraphShapeBase: everything of a drawing tool except its drawing.
// Concrete tools add their type, point count, BuildDrawInfo and, where they
// need it, ApplyConstraints.
#include <string>
#include <vector>

#include "abacor/draw_info.h"
#include "abacor/graph_shape.h"

class TarnGraphShapeBase : public ITarnGraphShapeBase {
 public:
  TarnGraphShapeBase() = default;
  TarnGraphShapeBase(const TarnGraphShapeBase&) = delete;
  TarnGraphShapeBase& operator=(const TarnGraphShapeBase&) = delete;
  ~TarnGraphShapeBase() override = default;

  void SetLineWidth(int width) override;
  void SetLineStyle(int style) override;
  void SetLineColor(TarnDrawInfo::TarnColor color) override;
  void SetFillColor(TarnDrawInfo::TarnColor color) override;
  void SetTextBoxColor(TarnDrawInfo::TarnColor color) override;
  void SetText(const std::string&) override {}
  void SetFontSize(int) override {}
  void SetFontStyle(int) override {}
  void SetTextColor(TarnDrawInfo::TarnColor) override {}
  void SetTextBoxWidth(int) override {}
  void SetFontName(const std::string&) override {}
  void SetTextFrameColor(TarnDrawInfo::TarnColor) override {}
  void SetHostFlagA(bool flag) override { hostFlagA = flag; }
  void SetAngleSnap(bool snap) override { angleSnap = snap; }
  void SetHostFlagB(bool flag) override { hostFlagB = flag; }
  bool SetPoints(const std::vector<TarnGraphPoint>& points) override;
  bool SetExtraPoints(const std::vector<TarnGraphPoint>& points) override;
  void SetCoordinate(ITarnGraphCoordinate* coord) override;
  void SetToolSettings(const stFibTimeZoneSettings*) override {}
  void SetToolSettings(const stGoldenSectionSettings*) override {}
  void GetToolSettings(stFibTimeZoneSettings*) override {}
  void GetToolSettings(stGoldenSectionSettings*) override {}
  TARN_GRAPH_TYPE GetGraphType() override { return static_cast<TARN_GRAPH_TYPE>(0); }
  int GetLineWidth() override { return lineWidth; }
  int GetLineStyle() override { return lineStyle; }
  TarnDrawInfo::LINE_STYLE GetDrawLineStyle() override;
  TarnDrawInfo::TarnColor GetLineColor() override { return lineColor; }
  TarnDrawInfo::TarnColor GetFillColor() override { return fillColor; }
  TarnDrawInfo::TarnColor GetTextBoxColor() override { return textBoxColor; }
  const std::string& GetText() override;
  int GetFontSize() override { return 0; }
  int GetFontStyle() override { return 0; }
  TarnDrawInfo::TarnColor GetTextColor() override { return TarnDrawInfo::GetDefaultColor(); }
  int GetTextBoxWidth() override { return 0; }
  const std::string& GetFontName() override;
  TarnDrawInfo::TarnColor GetTextFrameColor() override { return TarnDrawInfo::GetDefaultColor(); }
  bool GetHostFlagA() override { return hostFlagA; }
  bool GetAngleSnap() override { return angleSnap; }
  bool GetHostFlagB() override { return hostFlagB; }
  void GetPoints(std::vector<TarnGraphPoint>& points) override;
  void GetDrawPoints(std::vector<TarnDrawInfo::TarnPoint>& points) override;
  int GetSelectedHotPoint() override { return selectedHotPoint; }
  bool HitHotPoint(float px, float py, int* index) override;
  const std::vector<TarnDrawInfo::GraphDrawInfo>& GetDrawInfo() override;
  bool OnAddPoint(float px, float py) override;
  void OnPreviewPoint(float px, float py) override;
  bool OnDrag(float fromX, float fromY, float toX, float toY) override;
  unsigned GetPointCount() override { return 2; }

  // Pixel position to chart point (bar, price, time); true only when all
  // three conversions succeed. Outputs written before a failure stay written.
  bool PixelToGraphPoint(float px, float py, TarnGraphPoint* point);
  // Keeps the first occurrence of every point (x and y equal exactly), in
  // order, and drops later copies.
  static void RemoveDuplicatePoints(std::vector<TarnDrawInfo::TarnPoint>& points);

 protected:
  void ApplyConstraints() override {}
  // Snaps the moving point (the dragged anchor, else currentPoint) to the
  // nearest 45-degree direction from the last other anchor, in pixels.
  void SnapAngle();
  // Every anchor's and the mouse point's bar position onto the nearest whole
  // bar.
  void RoundToWholeBars();
  // The record every line-like tool starts from: line colour, width, style.
  TarnDrawInfo::CurveDrawInfo MainCurve();
  // The point for a mouse position: the host's snap first, else converted.
  bool ComputePoint(float px, float py, int pointIndex, TarnGraphPoint* point);
  // The anchor being dragged, or null.
  TarnGraphPoint* SelectedAnchor();
  bool IsComplete() { return anchors.size() >= GetPointCount(); }

  TarnGraphPoint currentPoint{-1.0f, 0.0, 0};
  std::vector<TarnGraphPoint> anchors;
  std::vector<TarnGraphPoint> extraPoints;
  std::vector<TarnDrawInfo::GraphDrawInfo> drawings;
  ITarnGraphCoordinate* coordinate = nullptr;
  int lineWidth = 1;
  int lineStyle = 1;
  TarnDrawInfo::TarnColor lineColor{static_cast<TarnDrawInfo::COLOR_TYPE>(1), 0u, false};
  TarnDrawInfo::TarnColor fillColor{static_cast<TarnDrawInfo::COLOR_TYPE>(4), 0u, false};
  TarnDrawInfo::TarnColor textBoxColor{static_cast<TarnDrawInfo::COLOR_TYPE>(4), 0u, false};
  bool dirty = false;
  bool hostFlagA = false;
  bool angleSnap = false;
  bool hostFlagB = false;
  int selectedHotPoint = -1;

 private:
  bool MoveWholeTool(float dx, float dy);
  bool BuildDrawings();
};
