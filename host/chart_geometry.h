#pragma once
// Where a pane sits on the page and how chart coordinates (bar, price) map to pixels.
#include <cstdint>

namespace abacor_host {

struct PlotRect {
  double left = 0, top = 0, width = 0, height = 0;
  double right() const { return left + width; }
  double bottom() const { return top + height; }
};

// A linear mapping: bar b sits at the centre of its slot; prices grow upwards.
class PaneGeometry {
 public:
  PaneGeometry() = default;
  // A 5% margin is added above and below the values unless `exact`.
  PaneGeometry(const PlotRect& plot, int32_t firstBar, int32_t lastBar, double minValue, double maxValue,
               bool exact = false);

  double BarToX(double bar) const { return plot_.left + (bar - firstBar_ + 0.5) * barWidth_; }
  double XToBar(double x) const { return (x - plot_.left) / barWidth_ - 0.5 + firstBar_; }
  double ValueToY(double v) const { return plot_.top + (maxValue_ - v) / (maxValue_ - minValue_) * plot_.height; }
  double YToValue(double y) const { return maxValue_ - (y - plot_.top) / plot_.height * (maxValue_ - minValue_); }
  double BarWidth() const { return barWidth_; }
  const PlotRect& Plot() const { return plot_; }
  int32_t FirstBar() const { return firstBar_; }
  int32_t LastBar() const { return lastBar_; }
  double MinValue() const { return minValue_; }
  double MaxValue() const { return maxValue_; }

 private:
  PlotRect plot_;
  int32_t firstBar_ = 0, lastBar_ = 0;
  double minValue_ = 0, maxValue_ = 1;
  double barWidth_ = 1;
};

}  // namespace abacor_host
