#pragma once
// Draw-info records: everything Abacor wants painted leaves the library as
// these plain records. Points are chart coordinates (bar position, price);
// the host converts them to pixels and renders the records itself.
#include <cstdint>
#include <string>
#include <vector>

#include "abacor/export.h"

namespace TarnDrawInfo {

// Palette ids resolved by the host. Tools use 1 for lines, 4 for secondary
// colours and 6 for range captions; 0 with useValue false is "no colour".
enum COLOR_TYPE : int32_t {
  COLOR_TYPE_NONE = 0,
};

// Line styles 0..5, rendered by the host. 1 is an ordinary line, 2 the style
// of auxiliary guide lines; the dash patterns are the renderer's.
enum LINE_STYLE : int32_t {
  LINE_STYLE_DEFAULT = 0,
  LINE_STYLE_SOLID = 1,
  LINE_STYLE_DASH = 2,
  LINE_STYLE_DOT = 3,
  LINE_STYLE_DASH_DOT = 4,
  LINE_STYLE_DASH_DOT_DOT = 5,
};

// 0: no fill; 1: solid fill. Other values go to the renderer unchanged.
enum FILL_STYLE : int32_t {
  FILL_STYLE_NONE = 0,
  FILL_STYLE_SOLID = 1,
};

// Passed to the renderer unchanged; the formula engine produces 0 and 1.
enum RECTANGLE_TYPE : int32_t {
  RECTANGLE_TYPE_0 = 0,
  RECTANGLE_TYPE_1 = 1,
};

// Text alignment codes the producers use.
constexpr int32_t ALIGN_BESIDE_POINT = 0x11;
constexpr int32_t ALIGN_CENTRED = 0x12;
constexpr int32_t ALIGN_CAPTION_BELOW = 0x0A;
constexpr int32_t ALIGN_CAPTION_ABOVE = 0x22;

// A chart point: x is the bar position (negative: not placed), y the price.
struct TarnPoint {
  float x = 0.0f;
  double y = 0.0;
};

// One ordered list of chart points.
struct ABACOR_API TarnPointVec {
  TarnPointVec() = default;
  TarnPointVec(const std::vector<TarnPoint>& points) : points_(points) {}  // NOLINT: implicit on purpose
  const std::vector<TarnPoint>& GetPoint() const { return points_; }
  void SetPoint(const std::vector<TarnPoint>& points) { points_ = points; }

 private:
  std::vector<TarnPoint> points_;
};

// useValue true: the colour is colorValue (0xAABBGGRR); otherwise the host's
// palette entry colorId. {0, 0, false} is the empty colour (nothing drawn).
struct TarnColor {
  COLOR_TYPE colorId = COLOR_TYPE_NONE;
  uint32_t colorValue = 0;
  bool useValue = false;
};

// One polyline; the extension flags continue the first/last segment to the
// chart's edge (both set: an infinite line; extendEnd only: a ray).
struct CurveLine {
  TarnPointVec points;
  bool extendStart = false;
  bool extendEnd = false;
};

// Polylines; closed and filled with fillColor when fillStyle is not 0.
struct CurveDrawInfo {
  float lineWidth = 0.0f;
  LINE_STYLE lineStyle = LINE_STYLE_DEFAULT;
  FILL_STYLE fillStyle = FILL_STYLE_NONE;
  TarnColor lineColor;
  TarnColor fillColor;
  std::vector<CurveLine> lines;
};

// Bézier paths: start point, control point(s), end point (at least 3 points).
struct BezierCurveDrawInfo {
  float lineWidth = 0.0f;
  LINE_STYLE lineStyle = LINE_STYLE_DEFAULT;
  FILL_STYLE fillStyle = FILL_STYLE_NONE;
  TarnColor lineColor;
  TarnColor fillColor;
  std::vector<TarnPointVec> curves;
};

// Two opposite corners of an axis-aligned rectangle.
struct RectangleCorners {
  TarnPoint first;
  TarnPoint second;
};

struct RectangleDrawInfo {
  float lineWidth = 0.0f;
  LINE_STYLE lineStyle = LINE_STYLE_DEFAULT;
  FILL_STYLE fillStyle = FILL_STYLE_NONE;
  TarnColor lineColor;
  TarnColor fillColor;
  RECTANGLE_TYPE rectangleType = RECTANGLE_TYPE_0;
  std::vector<RectangleCorners> corners;
};

// Each item holds 2 points (ends of a horizontal diameter of a circle) or 3
// (ends of the horizontal axis, then a point above/below the centre on the
// ellipse that fixes the vertical semi-axis).
struct ElipseDrawInfo {
  float lineWidth = 0.0f;
  LINE_STYLE lineStyle = LINE_STYLE_DEFAULT;
  FILL_STYLE fillStyle = FILL_STYLE_NONE;
  TarnColor lineColor;
  TarnColor fillColor;
  std::vector<TarnPointVec> elipses;
};

struct CrossItem {
  TarnPoint center;
  float size = 0.0f;  // greater than 0
};

struct CrossDrawInfo {
  float lineWidth = 0.0f;
  LINE_STYLE lineStyle = LINE_STYLE_DEFAULT;
  TarnColor lineColor;
  std::vector<CrossItem> crosses;
};

// A text anchored at position; when linked, its box is tied to linkTarget,
// the point the text refers to.
struct TextItem {
  TarnPoint position;
  bool linked = false;
  TarnPoint linkTarget;
  std::string text;  // never empty
};

struct TextDrawInfo {
  float fontSize = 0.0f;
  int32_t fontStyle = 0;
  TarnColor textColor;
  std::string fontName;  // empty: the renderer's default font
  TarnColor frameColor;
  TarnColor backColor;
  int32_t boxWidth = 0;  // pixels; 0 fits the text
  int32_t alignment = 0;
  std::vector<TextItem> items;
};

struct IconItem {
  TarnPoint position;
  int32_t value = 0;
};

struct TDXIconDrawInfo {
  int32_t iconType = 0;
  std::vector<IconItem> icons;
};

// One complete drawing. drawOrder lists every item in the order it was
// added: record id * 100,000,000 + item index.
struct GraphDrawInfo {
  std::vector<int64_t> drawOrder;
  std::vector<CurveDrawInfo> curves;
  std::vector<BezierCurveDrawInfo> bezierCurves;
  std::vector<RectangleDrawInfo> rectangles;
  std::vector<ElipseDrawInfo> elipses;
  std::vector<CrossDrawInfo> crosses;
  std::vector<TextDrawInfo> texts;
  std::vector<TDXIconDrawInfo> tdxIcons;
};

// A list of drawings.
struct ABACOR_API GraphDrawInfoVec {
  GraphDrawInfoVec() = default;
  GraphDrawInfoVec(const std::vector<GraphDrawInfo>& infos) : infos_(infos) {}  // NOLINT: implicit on purpose
  const std::vector<GraphDrawInfo>& GetGraphDrawInfo() const { return infos_; }
  void SetGraphDrawInfo(const std::vector<GraphDrawInfo>& infos) { infos_ = infos; }

 private:
  std::vector<GraphDrawInfo> infos_;
};

// ---- Colours (0xAABBGGRR) -------------------------------------------------
ABACOR_API uint32_t MakeRGBVal(int r, int g, int b);
ABACOR_API uint32_t MakeRGBAVal(int r, int g, int b, int a);
ABACOR_API int GetRVal(uint32_t value);
ABACOR_API int GetGVal(uint32_t value);
ABACOR_API int GetBVal(uint32_t value);
ABACOR_API int GetAVal(uint32_t value);
ABACOR_API TarnColor GetColorByID(COLOR_TYPE id);
ABACOR_API TarnColor GetColorByValue(uint32_t value);
ABACOR_API TarnColor GetColorByARGB(int a, int r, int g, int b);
ABACOR_API TarnColor GetEmptyColor();
ABACOR_API TarnColor GetDefaultColor();

// ---- Record factories (empty item lists) ----------------------------------
ABACOR_API CurveDrawInfo GetCurve(const TarnColor& color, float width, LINE_STYLE style);
ABACOR_API CurveDrawInfo GetCurveFill(const TarnColor& color, FILL_STYLE fill);
ABACOR_API BezierCurveDrawInfo GetBezierCurve(const TarnColor& color, float width, LINE_STYLE style);
ABACOR_API RectangleDrawInfo GetRectangleFill(const TarnColor& color, FILL_STYLE fill, RECTANGLE_TYPE type);
ABACOR_API RectangleDrawInfo GetRectangleFrame(const TarnColor& color, float width, LINE_STYLE style,
                                               RECTANGLE_TYPE type);
ABACOR_API ElipseDrawInfo GetElipseFill(const TarnColor& color, FILL_STYLE fill);
ABACOR_API ElipseDrawInfo GetElipseFrame(const TarnColor& color, float width, LINE_STYLE style);
ABACOR_API CrossDrawInfo GetCross(const TarnColor& color, float width, LINE_STYLE style);
ABACOR_API TextDrawInfo GetText(const TarnColor& textColor, float fontSize, int alignment, const std::string& fontName,
                                int fontStyle);
ABACOR_API TextDrawInfo GetText(const TarnColor& textColor, const TarnColor& frameColor, const TarnColor& backColor,
                                float fontSize, int alignment, const std::string& fontName, int fontStyle,
                                int boxWidth);
ABACOR_API TDXIconDrawInfo GetTDXIcon(int type);

}  // namespace TarnDrawInfo
