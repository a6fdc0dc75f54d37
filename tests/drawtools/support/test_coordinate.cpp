#include "support/test_coordinate.h"

#include <cmath>
#include <limits>

float TestCoordinate::Py(double price) const {
  const double scaled = logScale ? std::log(price) : price;
  return static_cast<float>(originY - pixelsPerPrice * scaled);
}

double TestCoordinate::Price(float py) const {
  const double scaled = (originY - py) / pixelsPerPrice;
  return logScale ? std::exp(scaled) : scaled;
}

int TestCoordinate::TimeOf(float bar) { return 20260000 + static_cast<int>(std::floor(bar)); }

bool TestCoordinate::PixelToPrice(float py, double* price) {
  if (refusePixelToPrice || !InsideY(py)) return false;
  *price = hostile ? hostileValue : Price(py);
  return true;
}

bool TestCoordinate::PriceToPixel(double price, float* py) {
  if (refusePriceToPixel || (logScale && !(price > 0.0))) return false;
  const float row = Py(price);
  if (!InsideY(row)) return false;
  *py = hostile || hostileToPixel ? static_cast<float>(hostileValue) : row;
  return true;
}

bool TestCoordinate::PixelToBar(float px, float* x) {
  if (refusePixelToBar || !InsideX(px)) return false;
  *x = hostile ? static_cast<float>(hostileValue) : Bar(px);
  return true;
}

bool TestCoordinate::BarToPixel(float x, float* px) {
  if (refuseBarToPixel) return false;
  const float column = Px(x);
  if (!InsideX(column)) return false;
  *px = hostile || hostileToPixel ? static_cast<float>(hostileValue) : column;
  return true;
}

bool TestCoordinate::BarToTime(float x, int* time) {
  if (refuseBarToTime || !std::isfinite(x)) return false;
  // Bars whose time is beyond an int have no time.
  const double t = secondsPerBar == 0 ? 20260000.0 + std::floor(x) : std::floor(x) * secondsPerBar;
  if (t < std::numeric_limits<int>::min() || t > std::numeric_limits<int>::max()) return false;
  *time = static_cast<int>(t);
  return true;
}

bool TestCoordinate::TimeToBar(int, float*) {
  ++timeToBarCalls;
  return false;
}

bool TestCoordinate::GetPlotBottom(float* py) {
  if (refusePaneServices) return false;
  *py = hostile ? static_cast<float>(hostileValue) : (std::isnan(plotBottom) ? maxPy : plotBottom);
  return true;
}

bool TestCoordinate::GetMaxPrice(double* price) {
  if (refuseMaxPrice) return false;
  *price = hostile ? hostileValue : maxPrice;
  return true;
}

bool TestCoordinate::GetMinPrice(double* price) {
  if (refuseMinPrice) return false;
  *price = hostile ? hostileValue : minPrice;
  return true;
}

bool TestCoordinate::GetPriceUnit(double* unit) {
  if (refusePaneServices) return false;
  *unit = hostile ? hostileValue : priceUnit;
  return true;
}

bool TestCoordinate::GetBarWidth(float* pixels) {
  if (refusePaneServices) return false;
  *pixels = hostile ? static_cast<float>(hostileValue) : barWidth;
  return true;
}

bool TestCoordinate::SnapPoint(float, float, int graphType, int pointIndex, TarnGraphPoint* point) {
  lastSnapType = graphType;
  lastSnapIndex = pointIndex;
  if (!snapEnabled) return false;
  *point = snapTo;
  return true;
}
