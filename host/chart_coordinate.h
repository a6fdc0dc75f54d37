#pragma once
// The coordinate object of an SVG chart pane: a linear mapping between pixels
// and (bar, price), and bar times from the bar file.
#include <abacor/graph_shape.h>

#include "chart_geometry.h"
#include "csv_provider.h"

namespace abacor_host {

class ChartCoordinate : public ITarnGraphCoordinate {
 public:
  ChartCoordinate(const PaneGeometry& pane, const std::vector<Bar>& bars, double priceUnit = 0.01)
      : pane_(pane), bars_(bars), priceUnit_(priceUnit) {}

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
  const PaneGeometry& pane_;
  const std::vector<Bar>& bars_;
  double priceUnit_;
};

}  // namespace abacor_host
