#include "draw_renderer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "text_encoding.h"

namespace abacor_host {
namespace {

using namespace TarnDrawInfo;

struct PaletteEntry {
  int32_t id;
  const char* css;
};

// Palette ids: 1 default line, 4 secondary, 6 caption text, 7 rise, 8 fall, 9 flat.
constexpr PaletteEntry kPalette[] = {
    {1, "#e8e8e8"}, {2, "#ffd23f"}, {3, "#ff5fd2"}, {4, "#ffb000"}, {5, "#5fb4ff"},
    {6, "#c8c8c8"}, {7, "#ff3b3b"}, {8, "#19c37d"}, {9, "#bfbfbf"},
};
static_assert(sizeof(kPalette) / sizeof(kPalette[0]) == 9, "palette ids 1 to 9");

constexpr const char* kDashes[] = {"", "", "6,4", "2,3", "8,3,2,3", "8,3,2,3,2,3"};
static_assert(sizeof(kDashes) / sizeof(kDashes[0]) == 6, "line styles 0 to 5");

bool Finite(const SvgPoint& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

// Moves b away from a until it leaves the plot (the SVG clip trims the rest).
SvgPoint ExtendBeyond(const SvgPoint& a, const SvgPoint& b, const PlotRect& plot) {
  double dx = b.x - a.x, dy = b.y - a.y;
  double len = std::hypot(dx, dy);
  if (len <= 0) return b;
  double reach = 2 * (plot.width + plot.height);
  return {b.x + dx / len * reach, b.y + dy / len * reach};
}

}  // namespace

double TextWidth(const std::string& line, double fontSize) {
  double width = 0;
  uint32_t cp = 0;
  size_t n = 1;
  for (size_t i = 0; i < line.size(); i += n) {
    if (!DecodeUtf8(line, i, &cp, &n)) cp = '?', n = 1;
    width += DisplayWidth(cp) == 2 ? fontSize : fontSize * 0.6;
  }
  return width;
}

bool Palette::Resolve(const TarnColor& colour, std::string* css, double* opacity) const {
  if (colour.useValue) {
    uint32_t v = static_cast<uint32_t>(colour.colorValue);
    char buf[16];
    std::snprintf(buf, sizeof buf, "#%02x%02x%02x", v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
    *css = buf;
    *opacity = ((v >> 24) & 0xFF) / 255.0;
    return true;
  }
  int32_t id = static_cast<int32_t>(colour.colorId);
  if (id == 0) return false;
  if (riseIsGreen_ && (id == 7 || id == 8)) id = id == 7 ? 8 : 7;
  *opacity = 1.0;
  for (const PaletteEntry& e : kPalette)
    if (e.id == id) {
      *css = e.css;
      return true;
    }
  *css = "#9a9a9a";
  return true;
}

std::string DrawRenderer::Stroke(const TarnColor& colour, double width, int32_t lineStyle) const {
  std::string css;
  double opacity = 1;
  if (!palette_.Resolve(colour, &css, &opacity) || opacity <= 0) return "stroke=\"none\"";
  std::string out = "stroke=\"" + css + "\" stroke-width=\"" + SvgWriter::Num(width > 0 ? width : 1) + "\"";
  if (opacity < 1) out += " stroke-opacity=\"" + SvgWriter::Num(opacity) + "\"";
  if (lineStyle > 0 && lineStyle < 6 && kDashes[lineStyle][0])
    out += std::string(" stroke-dasharray=\"") + kDashes[lineStyle] + "\"";
  return out;
}

std::string DrawRenderer::Fill(const TarnColor& colour, int32_t fillStyle) const {
  std::string css;
  double opacity = 1;
  if (fillStyle == 0 || !palette_.Resolve(colour, &css, &opacity) || opacity <= 0) return "fill=\"none\"";
  // Palette fills are washes under the lines; explicit colours carry their own alpha.
  if (!colour.useValue) opacity = 0.35;
  std::string out = "fill=\"" + css + "\"";
  if (opacity < 1) out += " fill-opacity=\"" + SvgWriter::Num(opacity) + "\"";
  return out;
}

SvgPoint DrawRenderer::ToPixel(const TarnPoint& p) const { return {pane_.BarToX(p.x), pane_.ValueToY(p.y)}; }

void DrawRenderer::Render(const GraphDrawInfo& info) {
  for (int64_t entry : info.drawOrder) {
    if (entry < 0) continue;
    const int64_t id = entry / 100000000;
    const size_t item = static_cast<size_t>(entry % 100000000);
    const size_t record = static_cast<size_t>(id % 10000000);
    switch (id / 10000000) {
      case 1:
        if (record < info.curves.size() && item < info.curves[record].lines.size())
          RenderCurveLine(info.curves[record], info.curves[record].lines[item]);
        break;
      case 2:
        if (record < info.bezierCurves.size() && item < info.bezierCurves[record].curves.size())
          RenderBezier(info.bezierCurves[record], info.bezierCurves[record].curves[item]);
        break;
      case 3:
        if (record < info.rectangles.size() && item < info.rectangles[record].corners.size())
          RenderRectangle(info.rectangles[record], info.rectangles[record].corners[item]);
        break;
      case 4:
        if (record < info.elipses.size() && item < info.elipses[record].elipses.size())
          RenderElipse(info.elipses[record], info.elipses[record].elipses[item]);
        break;
      case 5:
        if (record < info.crosses.size() && item < info.crosses[record].crosses.size())
          RenderCross(info.crosses[record], info.crosses[record].crosses[item]);
        break;
      case 6:
        if (record < info.texts.size() && item < info.texts[record].items.size())
          RenderText(info.texts[record], info.texts[record].items[item]);
        break;
      case 7:
        if (record < info.tdxIcons.size() && item < info.tdxIcons[record].icons.size())
          RenderIcon(info.tdxIcons[record], info.tdxIcons[record].icons[item]);
        break;
      default: break;
    }
  }
}

void DrawRenderer::RenderCurveLine(const CurveDrawInfo& rec, const CurveLine& line) {
  std::vector<SvgPoint> pts;
  for (const TarnPoint& p : line.points.GetPoint()) {
    SvgPoint px = ToPixel(p);
    if (Finite(px)) pts.push_back(px);
  }
  if (pts.empty()) return;
  if (pts.size() == 1) pts.push_back({pts[0].x + 0.5, pts[0].y});
  if (line.extendStart) pts.front() = ExtendBeyond(pts[1], pts.front(), pane_.Plot());
  if (line.extendEnd) pts.back() = ExtendBeyond(pts[pts.size() - 2], pts.back(), pane_.Plot());
  const bool filled = rec.fillStyle != 0;
  svg_.Polyline(pts, Stroke(rec.lineColor, rec.lineWidth, rec.lineStyle) + " " + Fill(rec.fillColor, rec.fillStyle),
                filled);
}

void DrawRenderer::RenderBezier(const BezierCurveDrawInfo& rec, const TarnPointVec& pts) {
  const auto& points = pts.GetPoint();
  if (points.size() < 3) return;
  std::string d;
  std::vector<SvgPoint> px;
  for (const TarnPoint& p : points) px.push_back(ToPixel(p));
  for (const SvgPoint& p : px)
    if (!Finite(p)) return;
  d = "M" + SvgWriter::Num(px[0].x) + "," + SvgWriter::Num(px[0].y);
  // Three points make a quadratic curve, four a cubic one; longer lists chain quadratic pieces.
  if (px.size() == 4) {
    d += " C";
    for (size_t i = 1; i < 4; ++i) d += " " + SvgWriter::Num(px[i].x) + "," + SvgWriter::Num(px[i].y);
  } else {
    for (size_t i = 1; i + 1 < px.size(); i += 2)
      d += " Q" + SvgWriter::Num(px[i].x) + "," + SvgWriter::Num(px[i].y) + " " + SvgWriter::Num(px[i + 1].x) + "," +
           SvgWriter::Num(px[i + 1].y);
  }
  svg_.Path(d, Stroke(rec.lineColor, rec.lineWidth, rec.lineStyle) + " " + Fill(rec.fillColor, rec.fillStyle));
}

void DrawRenderer::RenderRectangle(const RectangleDrawInfo& rec, const RectangleCorners& c) {
  SvgPoint a = ToPixel(c.first), b = ToPixel(c.second);
  if (!Finite(a) || !Finite(b)) return;
  std::string style = Fill(rec.fillColor, rec.fillStyle) + " " +
                      (rec.lineWidth > 0 || rec.fillStyle == 0 ? Stroke(rec.lineColor, rec.lineWidth, rec.lineStyle)
                                                               : "stroke=\"none\"");
  svg_.Rect(std::min(a.x, b.x), std::min(a.y, b.y), std::max(b.x - a.x, a.x - b.x), std::max(std::fabs(b.y - a.y), 0.8),
            style);
}

void DrawRenderer::RenderElipse(const ElipseDrawInfo& rec, const TarnPointVec& pts) {
  const auto& points = pts.GetPoint();
  if (points.size() != 2 && points.size() != 3) return;
  SvgPoint a = ToPixel(points[0]), b = ToPixel(points[1]);
  if (!Finite(a) || !Finite(b)) return;
  double cx = (a.x + b.x) / 2, cy = (a.y + b.y) / 2;
  double rx = std::hypot(b.x - a.x, b.y - a.y) / 2, ry = rx;
  if (points.size() == 3) {
    SvgPoint c = ToPixel(points[2]);
    if (!Finite(c)) return;
    ry = std::fabs(c.y - cy);
  }
  std::string style = Fill(rec.fillColor, rec.fillStyle) + " " +
                      (rec.lineWidth > 0 || rec.fillStyle == 0 ? Stroke(rec.lineColor, rec.lineWidth, rec.lineStyle)
                                                               : "stroke=\"none\"");
  svg_.Ellipse(cx, cy, rx, ry, style);
}

void DrawRenderer::RenderCross(const CrossDrawInfo& rec, const CrossItem& item) {
  SvgPoint c = ToPixel(item.center);
  if (!Finite(c) || !(item.size > 0)) return;
  double h = item.size / 2;
  std::string style = Stroke(rec.lineColor, rec.lineWidth, rec.lineStyle);
  svg_.Line(c.x - h, c.y - h, c.x + h, c.y + h, style);
  svg_.Line(c.x - h, c.y + h, c.x + h, c.y - h, style);
}

void DrawRenderer::RenderText(const TextDrawInfo& rec, const TextItem& item) {
  SvgPoint p = ToPixel(item.position);
  if (!Finite(p) || item.text.empty()) return;
  std::string css;
  double opacity = 1;
  if (!palette_.Resolve(rec.textColor, &css, &opacity)) css = "#c8c8c8";
  if (item.linked) {
    SvgPoint t = ToPixel(item.linkTarget);
    if (Finite(t)) svg_.Line(p.x, p.y, t.x, t.y, "stroke=\"" + css + "\" stroke-width=\"0.6\"");
  }
  const TextBlock block = LayOutText(rec, item.text, p);
  std::string box = Fill(rec.backColor, 1);
  std::string frame = Stroke(rec.frameColor, 1, 1);
  if (box != "fill=\"none\"" || frame != "stroke=\"none\"")
    svg_.Rect(block.left, block.top, block.width, block.height, box + " " + frame);
  const bool centred = (rec.alignment & 0x02) != 0;
  const std::string style = "fill=\"" + css + "\" font-family=\"" +
                            SvgWriter::Escape(rec.fontName.empty() ? "DejaVu Sans, sans-serif" : rec.fontName) +
                            "\" font-size=\"" + SvgWriter::Num(block.fontSize) + "\" text-anchor=\"" +
                            (centred ? "middle" : "start") + "\"";
  const double x = centred ? block.left + block.width / 2 : block.left + kTextPadding;
  for (size_t i = 0; i < block.lines.size(); ++i) {
    const double baseline = block.top + kTextPadding + (i + 1) * block.lineHeight - 0.25 * block.fontSize;
    svg_.Text(x, baseline, block.lines[i], style);
  }
}

TextBlock DrawRenderer::LayOutText(const TextDrawInfo& rec, const std::string& text, const SvgPoint& p) const {
  TextBlock b;
  b.fontSize = rec.fontSize > 0 ? rec.fontSize : 11;
  b.lineHeight = b.fontSize * 1.25;
  double widest = 0;
  for (size_t start = 0; start <= text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    widest = std::max(widest, TextWidth(line, b.fontSize));
    b.lines.push_back(line);
    start = end + 1;
  }
  b.width = (rec.boxWidth > 0 ? std::max<double>(rec.boxWidth, widest) : widest) + 2 * kTextPadding;
  b.height = b.lines.size() * b.lineHeight + 2 * kTextPadding;
  // Alignment: 0x01 starts beside the point, 0x02 centres on it; 0x20 sits above it,
  // 0x08 below it, otherwise the block is centred on it vertically.
  const int32_t a = rec.alignment;
  b.left = (a & 0x02) ? p.x - b.width / 2 : (a & 0x01) ? p.x + 3 - kTextPadding : p.x - kTextPadding;
  b.top = (a & 0x20) ? p.y - 3 - b.height : (a & 0x08) ? p.y + 2 : p.y - b.height / 2;
  KeepInside(&b, p);
  return b;
}

// A block whose point lies in the bounds is shifted to lie wholly inside them rather than clipped.
void DrawRenderer::KeepInside(TextBlock* b, const SvgPoint& p) const {
  const PlotRect& plot = textBounds_;
  if (p.x < plot.left || p.x > plot.right() || p.y < plot.top || p.y > plot.bottom()) return;
  b->left = std::max(plot.left + 1, std::min(b->left, plot.right() - 1 - b->width));
  b->top = std::max(plot.top + 1, std::min(b->top, plot.bottom() - 1 - b->height));
}

void DrawRenderer::RenderIcon(const TDXIconDrawInfo&, const IconItem& item) {
  SvgPoint p = ToPixel(item.position);
  if (!Finite(p)) return;
  // Icon 1 is an up arrow (buy), 2 a down arrow (sell); others a numbered disc.
  if (item.value == 1 || item.value == 2) {
    double s = item.value == 1 ? 1 : -1;
    std::vector<SvgPoint> tri = {{p.x, p.y - 7 * s}, {p.x - 5, p.y + 3 * s}, {p.x + 5, p.y + 3 * s}};
    svg_.Polyline(tri, item.value == 1 ? "fill=\"#ff3b3b\"" : "fill=\"#19c37d\"", true);
    return;
  }
  svg_.Ellipse(p.x, p.y, 6, 6, "fill=\"#5fb4ff\" stroke=\"#ffffff\" stroke-width=\"0.5\"");
  svg_.Text(p.x, p.y + 3, std::to_string(item.value),
            "fill=\"#101418\" font-size=\"8\" text-anchor=\"middle\" font-family=\"DejaVu Sans, sans-serif\"");
}

}  // namespace abacor_host
