#pragma once
// Marker tools: a label tied to one point of the chart, showing the point's
// price or a free text. Anchor 0 is the point, anchor 1 the label and, for
// the text marker, anchor 2 the handle that sets the text box width.
#include <string>
#include <vector>

#include "drawtools/shape_base.h"

class TarnGraphMarkerPrice : public TarnGraphShapeBase {
 public:
  // The label sits at least this many pixels right of its point, and this
  // many rows below it (or above it near the bottom edge).
  static constexpr float kLabelOffsetPixels = 5.0f;
  static constexpr float kLabelRowOffset = 30.0f;

  TarnGraphMarkerPrice();
  ~TarnGraphMarkerPrice() override = default;

  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_MARKER_PRICE; }
  void SetText(const std::string& value) override;
  void SetFontSize(int size) override;
  void SetFontStyle(int style) override;
  void SetTextColor(TarnDrawInfo::TarnColor color) override;
  void SetFontName(const std::string& name) override;
  void SetTextFrameColor(TarnDrawInfo::TarnColor color) override;
  const std::string& GetText() override { return text; }
  int GetFontSize() override { return fontSize; }
  int GetFontStyle() override { return fontStyle; }
  TarnDrawInfo::TarnColor GetTextColor() override { return textColor; }
  const std::string& GetFontName() override { return fontName; }
  TarnDrawInfo::TarnColor GetTextFrameColor() override { return textFrameColor; }

 protected:
  void BuildDrawInfo(std::vector<TarnDrawInfo::TarnPoint> points) override;
  void ApplyConstraints() override;
  // Pixels per bar as the host reports it; 1 when it cannot tell or reports
  // something that is not a positive number, or so small a one that the
  // label's distance in bars overflows.
  float BarWidth();
  // With exactly one anchor, appends the label point beside it (not when its
  // bar position overflows).
  void AddLabelPoint(float barWidth);

  std::string fontName;
  std::string text;
  int fontSize = 12;
  int fontStyle = 0;
  TarnDrawInfo::TarnColor textColor{static_cast<TarnDrawInfo::COLOR_TYPE>(4), 0u, false};
  TarnDrawInfo::TarnColor textFrameColor{static_cast<TarnDrawInfo::COLOR_TYPE>(4), 0u, false};
};

class TarnGraphMarkerText : public TarnGraphMarkerPrice {
 public:
  // The narrowest text box the handle can set.
  static constexpr int kMinTextBoxWidth = 40;

  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_MARKER_TEXT; }
  void SetTextBoxWidth(int width) override;
  int GetTextBoxWidth() override { return textBoxWidth; }
  bool OnDrag(float fromX, float fromY, float toX, float toY) override;

 protected:
  void BuildDrawInfo(std::vector<TarnDrawInfo::TarnPoint> points) override;
  void ApplyConstraints() override;

  int textBoxWidth = 0;
};
