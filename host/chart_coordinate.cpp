#include "chart_coordinate.h"

#include <algorithm>
#include <cmath>

namespace abacor_host {
namespace {

bool Finite(double v) { return std::isfinite(v); }

}  // namespace

bool ChartCoordinate::PixelToPrice(float py, double* price) {
  double v = pane_.YToValue(py);
  if (!price || !Finite(v)) return false;
  *price = v;
  return true;
}

bool ChartCoordinate::PriceToPixel(double price, float* py) {
  double v = pane_.ValueToY(price);
  if (!py || !Finite(v) || std::fabs(v) > 1e7) return false;
  *py = static_cast<float>(v);
  return true;
}

bool ChartCoordinate::PixelToBar(float px, float* x) {
  double v = pane_.XToBar(px);
  if (!x || !Finite(v)) return false;
  *x = static_cast<float>(v);
  return true;
}

bool ChartCoordinate::BarToPixel(float x, float* px) {
  double v = pane_.BarToX(x);
  if (!px || !Finite(v) || std::fabs(v) > 1e7) return false;
  *px = static_cast<float>(v);
  return true;
}

// Bars beyond the file continue at the spacing of its last two bars.
bool ChartCoordinate::BarToTime(float x, int* time) {
  if (!time || !Finite(x) || bars_.empty()) return false;
  const double bar = std::floor(x + 0.5);
  const int64_t n = static_cast<int64_t>(bars_.size());
  const int64_t step = n > 1 ? bars_[n - 1].time - bars_[n - 2].time : 86400;
  double t = 0;
  if (bar < 0)
    t = static_cast<double>(bars_.front().time) + bar * step;
  else if (bar >= n)
    t = static_cast<double>(bars_.back().time) + (bar - (n - 1)) * step;
  else
    t = static_cast<double>(bars_[static_cast<size_t>(bar)].time);
  if (t < -2147483648.0 || t > 2147483647.0) return false;
  *time = static_cast<int>(t);
  return true;
}

bool ChartCoordinate::TimeToBar(int time, float* x) {
  if (!x || bars_.empty()) return false;
  auto it = std::lower_bound(bars_.begin(), bars_.end(), static_cast<int64_t>(time),
                             [](const Bar& b, int64_t t) { return b.time < t; });
  if (it == bars_.end()) return false;
  *x = static_cast<float>(it - bars_.begin());
  return true;
}

bool ChartCoordinate::GetPlotBottom(float* py) {
  if (!py) return false;
  *py = static_cast<float>(pane_.Plot().bottom());
  return true;
}

bool ChartCoordinate::GetMaxPrice(double* price) {
  if (!price) return false;
  *price = pane_.MaxValue();
  return true;
}

bool ChartCoordinate::GetMinPrice(double* price) {
  if (!price) return false;
  *price = pane_.MinValue();
  return true;
}

bool ChartCoordinate::GetPriceUnit(double* unit) {
  if (!unit) return false;
  *unit = priceUnit_;
  return true;
}

bool ChartCoordinate::GetBarWidth(float* pixels) {
  if (!pixels) return false;
  *pixels = static_cast<float>(pane_.BarWidth());
  return true;
}

bool ChartCoordinate::SnapPoint(float, float, int, int, TarnGraphPoint*) { return false; }

}  // namespace abacor_host
