#include "drawtools/geometry.h"

#include <cmath>

namespace TarnGeometry {

namespace {

constexpr double kQuarterPi = 0.7853981633974483;

bool IsVertical(float slope) { return std::fabs(slope - kFloatMax) < kFloatEpsilon; }

// Slope of a-b, or kFloatMax for a vertical line.
float Slope(const TarnPoint& a, const TarnPoint& b) {
  const float dx = a.x - b.x;
  if (std::fabs(dx) < kFloatEpsilon) return kFloatMax;
  return (static_cast<float>(a.y) - static_cast<float>(b.y)) / dx;
}

// Whether a host answer is usable: a finite number (every time value is).
bool Usable(double v) { return std::isfinite(v); }
bool Usable(int) { return true; }

// Asks the host for one value into a copy of the output; only a successful,
// usable answer is written back.
template <typename Arg, typename Out>
bool Checked(ITarnGraphCoordinate* coord, bool (ITarnGraphCoordinate::*op)(Arg, Out*), Arg arg, Out* out) {
  Out v = *out;
  if (!coord || !(coord->*op)(arg, &v) || !Usable(v)) return false;
  *out = v;
  return true;
}

template <typename Out>
bool Checked(ITarnGraphCoordinate* coord, bool (ITarnGraphCoordinate::*op)(Out*), Out* out) {
  Out v = *out;
  if (!coord || !(coord->*op)(&v) || !Usable(v)) return false;
  *out = v;
  return true;
}

}  // namespace

bool PixelToPrice(ITarnGraphCoordinate* coord, float py, double* price) {
  return Checked(coord, &ITarnGraphCoordinate::PixelToPrice, py, price);
}

bool PriceToPixel(ITarnGraphCoordinate* coord, double price, float* py) {
  return Checked(coord, &ITarnGraphCoordinate::PriceToPixel, price, py);
}

bool PixelToBar(ITarnGraphCoordinate* coord, float px, float* x) {
  return Checked(coord, &ITarnGraphCoordinate::PixelToBar, px, x);
}

bool BarToPixel(ITarnGraphCoordinate* coord, float x, float* px) {
  return Checked(coord, &ITarnGraphCoordinate::BarToPixel, x, px);
}

bool BarToTime(ITarnGraphCoordinate* coord, float x, int* time) {
  return Checked(coord, &ITarnGraphCoordinate::BarToTime, x, time);
}

bool GetMaxPrice(ITarnGraphCoordinate* coord, double* price) {
  return Checked(coord, &ITarnGraphCoordinate::GetMaxPrice, price);
}

bool GetMinPrice(ITarnGraphCoordinate* coord, double* price) {
  return Checked(coord, &ITarnGraphCoordinate::GetMinPrice, price);
}

bool GetPlotBottom(ITarnGraphCoordinate* coord, float* py) {
  return Checked(coord, &ITarnGraphCoordinate::GetPlotBottom, py);
}

bool GetPriceUnit(ITarnGraphCoordinate* coord, double* unit) {
  return Checked(coord, &ITarnGraphCoordinate::GetPriceUnit, unit);
}

bool GetBarWidth(ITarnGraphCoordinate* coord, float* pixels) {
  return Checked(coord, &ITarnGraphCoordinate::GetBarWidth, pixels);
}

bool ToPixels(ITarnGraphCoordinate* coord, float x, double y, float* px, float* py) {
  float a = 0.0f;
  float b = 0.0f;
  if (!BarToPixel(coord, x, &a) || !PriceToPixel(coord, y, &b)) return false;
  *px = a;
  *py = b;
  return true;
}

bool ToPixels(ITarnGraphCoordinate* coord, const TarnPoint& a, const TarnPoint& b, PixelSegment* segment) {
  PixelSegment s;
  if (!ToPixels(coord, a.x, a.y, &s.x0, &s.y0) || !ToPixels(coord, b.x, b.y, &s.x1, &s.y1)) return false;
  *segment = s;
  return true;
}

bool FromPixels(ITarnGraphCoordinate* coord, float px, float py, TarnPoint* point) {
  TarnPoint p;
  if (!PixelToBar(coord, px, &p.x) || !PixelToPrice(coord, py, &p.y)) return false;
  *point = p;
  return true;
}

bool IsDrawable(const TarnPoint& p) { return std::isfinite(p.x) && std::isfinite(p.y) && p.x >= 0.0f; }

bool ParallelPoint(ITarnGraphCoordinate* coord, const TarnPoint& a, const TarnPoint& b, const TarnPoint& c,
                   TarnPoint* result) {
  float ya = 0.0f;
  float yb = 0.0f;
  float yc = 0.0f;
  if (!PriceToPixel(coord, a.y, &ya) || !PriceToPixel(coord, b.y, &yb) || !PriceToPixel(coord, c.y, &yc)) {
    return false;
  }
  double price = 0.0;
  if (!PixelToPrice(coord, yc - (yb - ya), &price)) return false;
  const float x = c.x - (b.x - a.x);
  if (!std::isfinite(x)) return false;
  *result = TarnPoint{x, price};
  return true;
}

bool LineIntersection(const TarnPoint& a, const TarnPoint& b, const TarnPoint& c, const TarnPoint& d,
                      TarnPoint* result) {
  const float k1 = Slope(a, b);
  const float k2 = Slope(c, d);
  const bool v1 = IsVertical(k1);
  const bool v2 = IsVertical(k2);
  TarnPoint p;
  if (v1 && v2) return false;
  if (v1) {
    p = TarnPoint{a.x, static_cast<float>(c.y) + (a.x - c.x) * k2};
  } else if (v2) {
    p = TarnPoint{c.x, static_cast<float>(a.y) + (c.x - a.x) * k1};
  } else {
    if (std::fabs(k1 - k2) < kFloatEpsilon) return false;
    const float b1 = static_cast<float>(a.y) - a.x * k1;
    const float b2 = static_cast<float>(c.y) - c.x * k2;
    const float x = (b1 - b2) / (k2 - k1);
    p = TarnPoint{x, x * k1 + b1};
  }
  if (!std::isfinite(p.x) || !std::isfinite(p.y)) return false;
  *result = p;
  return true;
}

bool SnapToAngle(float mx, float my, float ox, float oy, float* tx, float* ty) {
  const double dx = static_cast<double>(mx) - ox;
  const double dy = static_cast<double>(my) - oy;
  if (!(std::fabs(dx) >= kFloatEpsilon)) return false;
  const double r = std::sqrt(dx * dx + dy * dy);
  const double a = std::round(std::atan2(dy, dx) / kQuarterPi) * kQuarterPi;
  const float x = static_cast<float>(ox + r * std::cos(a));
  const float y = static_cast<float>(oy + r * std::sin(a));
  if (!std::isfinite(x) || !std::isfinite(y)) return false;
  *tx = x;
  *ty = y;
  return true;
}

float RoundToWholeBar(float x) { return std::floor(x + 0.5f); }

}  // namespace TarnGeometry
