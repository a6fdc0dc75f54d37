#include "svg_writer.h"

#include <cmath>
#include <cstdio>

#include "text_encoding.h"

namespace abacor_host {

SvgWriter::SvgWriter(double width, double height) : width_(width), height_(height) {}

std::string SvgWriter::Num(double v) {
  if (!std::isfinite(v)) v = 0;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.2f", v);
  return buf;
}

std::string SvgWriter::Escape(const std::string& text) {
  std::string out;
  // Malformed UTF-8 (say, GBK bytes that were never converted) would make the document invalid.
  for (char c : SanitizeUtf8(text)) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default:
        // Control characters are not allowed in XML 1.0 text.
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n') continue;
        out += c;
    }
  }
  return out;
}

void SvgWriter::OpenGroup(const std::string& attributes) { body_ << "<g " << attributes << ">\n"; }
void SvgWriter::CloseGroup() { body_ << "</g>\n"; }

void SvgWriter::Line(double x1, double y1, double x2, double y2, const std::string& style) {
  body_ << "<line x1=\"" << Num(x1) << "\" y1=\"" << Num(y1) << "\" x2=\"" << Num(x2) << "\" y2=\"" << Num(y2) << "\" "
        << style << "/>\n";
}

void SvgWriter::Polyline(const std::vector<SvgPoint>& points, const std::string& style, bool closed) {
  body_ << (closed ? "<polygon" : "<polyline") << " points=\"";
  for (size_t i = 0; i < points.size(); ++i) body_ << (i ? " " : "") << Num(points[i].x) << "," << Num(points[i].y);
  body_ << "\" " << style << "/>\n";
}

void SvgWriter::Path(const std::string& d, const std::string& style) {
  body_ << "<path d=\"" << d << "\" " << style << "/>\n";
}

void SvgWriter::Rect(double x, double y, double w, double h, const std::string& style) {
  body_ << "<rect x=\"" << Num(x) << "\" y=\"" << Num(y) << "\" width=\"" << Num(std::fabs(w)) << "\" height=\""
        << Num(std::fabs(h)) << "\" " << style << "/>\n";
}

void SvgWriter::Ellipse(double cx, double cy, double rx, double ry, const std::string& style) {
  body_ << "<ellipse cx=\"" << Num(cx) << "\" cy=\"" << Num(cy) << "\" rx=\"" << Num(std::fabs(rx)) << "\" ry=\""
        << Num(std::fabs(ry)) << "\" " << style << "/>\n";
}

void SvgWriter::Text(double x, double y, const std::string& text, const std::string& style) {
  body_ << "<text x=\"" << Num(x) << "\" y=\"" << Num(y) << "\" " << style << ">" << Escape(text) << "</text>\n";
}

void SvgWriter::ClipRect(const std::string& id, double x, double y, double w, double h) {
  defs_ << "<clipPath id=\"" << id << "\"><rect x=\"" << Num(x) << "\" y=\"" << Num(y) << "\" width=\"" << Num(w)
        << "\" height=\"" << Num(h) << "\"/></clipPath>\n";
}

std::string SvgWriter::Finish() {
  std::ostringstream out;
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << Num(width_) << "\" height=\"" << Num(height_)
      << "\" viewBox=\"0 0 " << Num(width_) << " " << Num(height_) << "\">\n"
      << "<defs>\n"
      << defs_.str() << "</defs>\n"
      << "<rect x=\"0\" y=\"0\" width=\"100%\" height=\"100%\" fill=\"#101418\"/>\n"
      << body_.str() << "</svg>\n";
  return out.str();
}

}  // namespace abacor_host
