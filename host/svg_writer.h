#pragma once
// A minimal SVG document writer: elements with attributes, escaped text.
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

namespace abacor_host {

struct SvgPoint {
  double x, y;
};

class SvgWriter {
 public:
  SvgWriter(double width, double height);

  void Raw(const std::string& text) { body_ << text; }
  void OpenGroup(const std::string& attributes);
  void CloseGroup();
  void Line(double x1, double y1, double x2, double y2, const std::string& style);
  void Polyline(const std::vector<SvgPoint>& points, const std::string& style, bool closed);
  void Path(const std::string& d, const std::string& style);
  void Rect(double x, double y, double w, double h, const std::string& style);
  void Ellipse(double cx, double cy, double rx, double ry, const std::string& style);
  void Text(double x, double y, const std::string& text, const std::string& style);
  // A clip rectangle that later groups refer to as url(#id).
  void ClipRect(const std::string& id, double x, double y, double w, double h);

  std::string Finish();

  static std::string Escape(const std::string& text);
  static std::string Num(double v);

 private:
  double width_, height_;
  std::ostringstream defs_;
  std::ostringstream body_;
};

}  // namespace abacor_host
