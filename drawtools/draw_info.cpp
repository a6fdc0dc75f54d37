// Colour helpers and record factories of the draw-info records.
#include "abacor/draw_info.h"

namespace TarnDrawInfo {

namespace {

uint32_t Channel(int v, int shift) { return (static_cast<uint32_t>(v) & 0xFFu) << shift; }

int ChannelOf(uint32_t value, int shift) { return static_cast<int>((value >> shift) & 0xFFu); }

TarnColor TransparentColor() { return TarnColor{COLOR_TYPE_NONE, 0u, true}; }

}  // namespace

uint32_t MakeRGBVal(int r, int g, int b) { return MakeRGBAVal(r, g, b, 0xFF); }

uint32_t MakeRGBAVal(int r, int g, int b, int a) {
  return Channel(a, 24) | Channel(b, 16) | Channel(g, 8) | Channel(r, 0);
}

int GetRVal(uint32_t value) { return ChannelOf(value, 0); }
int GetGVal(uint32_t value) { return ChannelOf(value, 8); }
int GetBVal(uint32_t value) { return ChannelOf(value, 16); }
int GetAVal(uint32_t value) { return ChannelOf(value, 24); }

TarnColor GetColorByID(COLOR_TYPE id) { return TarnColor{id, 0u, false}; }

TarnColor GetColorByValue(uint32_t value) { return TarnColor{COLOR_TYPE_NONE, value, true}; }

TarnColor GetColorByARGB(int a, int r, int g, int b) { return GetColorByValue(MakeRGBAVal(r, g, b, a)); }

TarnColor GetEmptyColor() { return TarnColor{}; }

TarnColor GetDefaultColor() { return GetColorByValue(0xFFFF8080u); }

namespace {

// A record drawn as lines: colour, width and style; no fill.
template <typename Record>
Record Framed(const TarnColor& color, float width, LINE_STYLE style) {
  Record info;
  info.lineColor = color;
  info.lineWidth = width;
  info.lineStyle = style;
  return info;
}

// A filled record: fill colour and style; line width 0 and style 0.
template <typename Record>
Record Filled(const TarnColor& color, FILL_STYLE fill) {
  Record info;
  info.fillColor = color;
  info.fillStyle = fill;
  return info;
}

}  // namespace

CurveDrawInfo GetCurve(const TarnColor& color, float width, LINE_STYLE style) {
  return Framed<CurveDrawInfo>(color, width, style);
}

// Filled curves start with line width 1.0.
CurveDrawInfo GetCurveFill(const TarnColor& color, FILL_STYLE fill) {
  CurveDrawInfo info = Filled<CurveDrawInfo>(color, fill);
  info.lineWidth = 1.0f;
  return info;
}

BezierCurveDrawInfo GetBezierCurve(const TarnColor& color, float width, LINE_STYLE style) {
  return Framed<BezierCurveDrawInfo>(color, width, style);
}

RectangleDrawInfo GetRectangleFill(const TarnColor& color, FILL_STYLE fill, RECTANGLE_TYPE type) {
  RectangleDrawInfo info = Filled<RectangleDrawInfo>(color, fill);
  info.rectangleType = type;
  return info;
}

RectangleDrawInfo GetRectangleFrame(const TarnColor& color, float width, LINE_STYLE style, RECTANGLE_TYPE type) {
  RectangleDrawInfo info = Framed<RectangleDrawInfo>(color, width, style);
  info.rectangleType = type;
  return info;
}

ElipseDrawInfo GetElipseFill(const TarnColor& color, FILL_STYLE fill) { return Filled<ElipseDrawInfo>(color, fill); }

ElipseDrawInfo GetElipseFrame(const TarnColor& color, float width, LINE_STYLE style) {
  return Framed<ElipseDrawInfo>(color, width, style);
}

CrossDrawInfo GetCross(const TarnColor& color, float width, LINE_STYLE style) {
  return Framed<CrossDrawInfo>(color, width, style);
}

// Short form: a transparent box that fits the text.
TextDrawInfo GetText(const TarnColor& textColor, float fontSize, int alignment, const std::string& fontName,
                     int fontStyle) {
  return GetText(textColor, TransparentColor(), TransparentColor(), fontSize, alignment, fontName, fontStyle, 0);
}

TextDrawInfo GetText(const TarnColor& textColor, const TarnColor& frameColor, const TarnColor& backColor,
                     float fontSize, int alignment, const std::string& fontName, int fontStyle, int boxWidth) {
  TextDrawInfo info;
  info.textColor = textColor;
  info.frameColor = frameColor;
  info.backColor = backColor;
  info.fontSize = fontSize;
  info.alignment = alignment;
  info.fontName = fontName;
  info.fontStyle = fontStyle;
  info.boxWidth = boxWidth;
  return info;
}

TDXIconDrawInfo GetTDXIcon(int type) {
  TDXIconDrawInfo info;
  info.iconType = type;
  return info;
}

}  // namespace TarnDrawInfo
