#pragma once
// Renders draw records (TarnDrawInfo::GraphDrawInfo) into an SVG pane, item by
// item in the records' draw order.
#include <cstdint>
#include <string>
#include <vector>

#include <abacor/draw_info.h>

#include "chart_geometry.h"
#include "svg_writer.h"

namespace abacor_host {

// Colours behind the palette ids of TarnColor.
class Palette {
 public:
  explicit Palette(bool riseIsGreen = false) : riseIsGreen_(riseIsGreen) {}
  // CSS colour and opacity of a TarnColor; false for the empty colour.
  bool Resolve(const TarnDrawInfo::TarnColor& colour, std::string* css, double* opacity) const;

 private:
  bool riseIsGreen_;
};

// The width in pixels of a line of UTF-8 text in a sans-serif font, estimated per character:
// wide East Asian characters take a full em, others a little more than half.
double TextWidth(const std::string& line, double fontSize);

// Where a text's lines go: its box in pixels and the lines in order.
struct TextBlock {
  double left = 0, top = 0, width = 0, height = 0;
  double fontSize = 11, lineHeight = 14;
  std::vector<std::string> lines;
};

// Space between a text box's frame and its text, in pixels.
constexpr double kTextPadding = 2;

class DrawRenderer {
 public:
  DrawRenderer(SvgWriter& svg, const PaneGeometry& pane, const Palette& palette)
      : svg_(svg), pane_(pane), palette_(palette), textBounds_(pane.Plot()) {}

  // Texts are shifted to lie inside these bounds (the pane's plot unless set), e.g. a clip box.
  void SetTextBounds(const PlotRect& bounds) { textBounds_ = bounds; }

  // Draws every item of the drawing in drawOrder; entries naming no item are skipped.
  void Render(const TarnDrawInfo::GraphDrawInfo& info);
  // The box and lines of a text anchored at pixel p: a line per line break, shifted into the
  // text bounds when its point lies in them.
  TextBlock LayOutText(const TarnDrawInfo::TextDrawInfo& rec, const std::string& text, const SvgPoint& p) const;

 private:
  void RenderCurveLine(const TarnDrawInfo::CurveDrawInfo& rec, const TarnDrawInfo::CurveLine& line);
  void RenderBezier(const TarnDrawInfo::BezierCurveDrawInfo& rec, const TarnDrawInfo::TarnPointVec& pts);
  void RenderRectangle(const TarnDrawInfo::RectangleDrawInfo& rec, const TarnDrawInfo::RectangleCorners& c);
  void RenderElipse(const TarnDrawInfo::ElipseDrawInfo& rec, const TarnDrawInfo::TarnPointVec& pts);
  void RenderCross(const TarnDrawInfo::CrossDrawInfo& rec, const TarnDrawInfo::CrossItem& item);
  void RenderText(const TarnDrawInfo::TextDrawInfo& rec, const TarnDrawInfo::TextItem& item);
  void RenderIcon(const TarnDrawInfo::TDXIconDrawInfo& rec, const TarnDrawInfo::IconItem& item);

  // stroke/fill attributes of a record's style.
  std::string Stroke(const TarnDrawInfo::TarnColor& colour, double width, int32_t lineStyle) const;
  std::string Fill(const TarnDrawInfo::TarnColor& colour, int32_t fillStyle) const;
  SvgPoint ToPixel(const TarnDrawInfo::TarnPoint& p) const;
  void KeepInside(TextBlock* block, const SvgPoint& p) const;

  SvgWriter& svg_;
  const PaneGeometry& pane_;
  const Palette& palette_;
  PlotRect textBounds_;
};

}  // namespace abacor_host
