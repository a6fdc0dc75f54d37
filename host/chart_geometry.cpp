#include "chart_geometry.h"

#include <algorithm>
#include <cmath>

namespace abacor_host {

PaneGeometry::PaneGeometry(const PlotRect& plot, int32_t firstBar, int32_t lastBar, double minValue, double maxValue,
                           bool exact)
    : plot_(plot), firstBar_(firstBar), lastBar_(std::max(lastBar, firstBar)) {
  if (!std::isfinite(minValue) || !std::isfinite(maxValue) || minValue > maxValue) {
    minValue = 0;
    maxValue = 1;
  }
  // Leave a margin so that lines on the extremes stay visible; a flat range gets a unit span.
  double span = maxValue - minValue;
  double pad = span > 0 ? span * 0.05 : std::max(std::fabs(maxValue) * 0.05, 1.0);
  if (exact && span > 0) pad = 0;
  minValue_ = minValue - pad;
  maxValue_ = maxValue + pad;
  barWidth_ = plot_.width / (lastBar_ - firstBar_ + 1);
}

}  // namespace abacor_host
