#pragma once
// A multi-pane chart of one bar series: a price pane and indicator panes, each
// drawn from a formula's draw records, with axes, written as SVG.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "chart_geometry.h"
#include "csv_provider.h"
#include "draw_renderer.h"
#include "formula_runner.h"

class IIndexParser;

namespace abacor_host {

struct ChartOptions {
  double width = 1200;
  double firstPaneHeight = 420;
  double paneHeight = 170;
  bool riseIsGreen = false;
  bool candles = true;           // the price pane shows candles beneath its formula unless the formula draws them
  bool fixedPriceRange = false;  // the first pane shows [priceLow, priceHigh] instead of its values' range
  double priceLow = 0, priceHigh = 1;
};

// The draw type the parser reports for DRAWKLINE outputs.
constexpr int32_t kDrawKlineType = 11;

// Gives every visible output of a compiled formula without a colour keyword a palette colour
// of its own (SetOutputColor) that no other output uses: first the outputs drawn in their
// colour, then those drawn in rise and fall colours (whose colour shows in the legend only).
void AssignOutputColours(IIndexParser* parser);

// Extra drawing on the first pane, given the pane's geometry (used for tools).
using PaneOverlay = std::function<void(SvgWriter&, const PaneGeometry&, const Palette&)>;

class ChartDocument {
 public:
  explicit ChartDocument(ChartOptions options = {}) : options_(options) {}

  // Compiles a pane's formula; on failure fills error and keeps nothing.
  bool AddPane(const std::string& formula, const std::vector<std::pair<std::string, float>>& params,
               CompileError* error);
  void SetOverlay(PaneOverlay overlay) { overlay_ = std::move(overlay); }
  // The first pane's geometry for a range (valid after a Render of that range).
  const PaneGeometry& FirstPane() const { return firstPane_; }

  // Calculates every pane over [0, last], draws [first, last]; false with a message on failure.
  bool Render(CsvBarProvider& bars, int32_t first, int32_t last, std::string* svg, std::string* error);

 private:
  struct Pane {
    std::string formula;
    std::unique_ptr<FormulaRunner> runner;
    std::unique_ptr<FormulaRunner> candles;  // the price pane's candles, unless its formula draws them
  };
  // The pane's value range over [first, last], candles included; false when it has none.
  static bool ValueRange(const Pane& pane, int32_t first, int32_t last, double* lo, double* hi);
  static void DrawRecords(IIndexCalculator* calc, int32_t first, int32_t last, DrawRenderer& renderer);
  void DrawAxes(SvgWriter& svg, const PaneGeometry& geo, bool dates, const CsvBarProvider& bars) const;
  void DrawLegend(SvgWriter& svg, const PaneGeometry& geo, Pane& pane, int32_t last, const Palette& palette) const;

  ChartOptions options_;
  std::vector<Pane> panes_;
  PaneOverlay overlay_;
  PaneGeometry firstPane_;
};

}  // namespace abacor_host
