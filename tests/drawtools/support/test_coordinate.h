#pragma once
// A linear chart pane for drawing-tool tests:
//   pixel column = originX + barWidth * bar
//   pixel row    = originY - pixelsPerPrice * price   (rows grow downwards)
// Pixels outside [minPx, maxPx] x [minPy, maxPy] are not convertible, and
// each conversion can be refused or made to answer NaN/infinity.
#include <limits>

#include "abacor/graph_shape.h"

class TestCoordinate : public ITarnGraphCoordinate {
 public:
  float originX = 0.0f;
  float barWidth = 10.0f;
  float originY = 500.0f;
  double pixelsPerPrice = 10.0;
  // Logarithmic price scale: the row follows log(price) instead of price
  // (prices at or below 0 are then not convertible).
  bool logScale = false;

  // The convertible pixel area.
  float minPx = -100000.0f;
  float maxPx = 100000.0f;
  float minPy = -100000.0f;
  float maxPy = 100000.0f;

  double maxPrice = 1000.0;
  double minPrice = 0.0;
  // Pane services: the bottom row of the price area (maxPy when not set),
  // the price step and the seconds between bars (0: times are 20260000 +
  // bar, a date-like counter).
  float plotBottom = std::numeric_limits<float>::quiet_NaN();
  double priceUnit = 0.01;
  int secondsPerBar = 0;

  // Refusals, per operation.
  bool refusePixelToPrice = false;
  bool refusePriceToPixel = false;
  bool refusePixelToBar = false;
  bool refuseBarToPixel = false;
  bool refuseBarToTime = false;
  bool refuseMaxPrice = false;
  bool refuseMinPrice = false;
  bool refusePaneServices = false;  // plot bottom, price unit, bar width
  // Hostile mode: every conversion "succeeds" with this value.
  bool hostile = false;
  // Only the chart-to-pixel conversions answer hostileValue.
  bool hostileToPixel = false;
  double hostileValue = std::numeric_limits<double>::quiet_NaN();

  // SnapPoint: declines unless snapEnabled; then answers snapTo.
  bool snapEnabled = false;
  TarnGraphPoint snapTo{};
  int lastSnapType = -1;
  int lastSnapIndex = -1;

  int timeToBarCalls = 0;

  // Direct conversions for building expectations.
  float Px(float bar) const { return originX + barWidth * bar; }
  float Py(double price) const;
  float Bar(float px) const { return (px - originX) / barWidth; }
  double Price(float py) const;
  static int TimeOf(float bar);

  bool PixelToPrice(float py, double* price) override;
  bool PriceToPixel(double price, float* py) override;
  bool PixelToBar(float px, float* x) override;
  bool BarToPixel(float x, float* px) override;
  bool BarToTime(float x, int* time) override;
  bool TimeToBar(int time, float* x) override;
  bool GetPlotBottom(float* py) override;
  bool GetMaxPrice(double* price) override;
  bool GetMinPrice(double* price) override;
  bool GetPriceUnit(double* unit) override;
  bool GetBarWidth(float* pixels) override;
  bool SnapPoint(float px, float py, int graphType, int pointIndex, TarnGraphPoint* point) override;

 private:
  bool InsideX(float px) const { return px >= minPx && px <= maxPx; }
  bool InsideY(float py) const { return py >= minPy && py <= maxPy; }
};
