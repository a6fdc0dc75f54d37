#include "chart_document.h"

#include <abacor/abacor.h>

#include <cmath>
#include <cstdio>
#include <set>

#include "text_encoding.h"

namespace abacor_host {
namespace {

constexpr double kLeft = 8, kRightAxis = 72, kTop = 8, kGap = 10, kBottomAxis = 26;

// A step of 1, 2 or 5 times a power of ten that gives about `count` ticks over span.
double NiceStep(double span, int count) {
  double raw = span / count;
  double p = std::pow(10.0, std::floor(std::log10(raw)));
  for (double m : {1.0, 2.0, 5.0, 10.0})
    if (m * p >= raw) return m * p;
  return 10 * p;
}

std::string FormatTick(double v, double step) {
  char buf[32];
  int decimals = step >= 1 ? 0 : static_cast<int>(std::ceil(-std::log10(step)));
  std::snprintf(buf, sizeof buf, "%.*f", std::min(decimals, 6), v);
  return buf;
}

// Colours for outputs the formula leaves uncoloured (0xAABBGGRR), told apart on the dark page:
// white, yellow, magenta, green, sky blue, orange, violet, cyan.
constexpr uint32_t kOutputColours[] = {0xFFE8E8E8, 0xFF3FD2FF, 0xFFD25FFF, 0xFF7FD23F,
                                       0xFFFFB45F, 0xFF3F8CFF, 0xFFFF8CB4, 0xFFD2D23F};
static_assert(sizeof(kOutputColours) / sizeof(kOutputColours[0]) == 8, "output palette");

// Draw types whose drawing takes its colours from the rise and fall palette, not from the
// output colour: VOLSTICK, RTVOLSTICK, COLORSTICK, SARLINE, DRAWKLINE and DRAWBAND.
constexpr int32_t kPaletteDrawnTypes[] = {1, 2, 7, 10, 11, 14};
static_assert(sizeof(kPaletteDrawnTypes) / sizeof(kPaletteDrawnTypes[0]) == 6, "palette-drawn types");

bool DrawnInPaletteColours(IIndexParser* parser, int32_t output) {
  int32_t type = 0;
  if (!parser->GetOutputDrawType(output, &type)) return false;
  for (int32_t t : kPaletteDrawnTypes)
    if (t == type) return true;
  return false;
}

// Whether the formula draws candles of its own (DRAWKLINE).
bool DrawsCandles(IIndexParser* parser) {
  int32_t count = 0;
  parser->GetOutputCount(&count);
  for (int32_t i = 0; i < count; ++i) {
    int32_t type = 0;
    if (parser->GetOutputDrawType(i, &type) && type == kDrawKlineType) return true;
  }
  return false;
}

// Formula records carry the engine's GBK texts; the page is UTF-8.
void ConvertTexts(std::vector<TarnDrawInfo::GraphDrawInfo>& records) {
  for (auto& r : records)
    for (auto& t : r.texts)
      for (auto& item : t.items) item.text = GbkToUtf8(item.text);
}

}  // namespace

void AssignOutputColours(IIndexParser* parser) {
  int32_t count = 0;
  if (!parser->GetOutputCount(&count)) return;
  std::set<uint32_t> used;
  for (int32_t i = 0; i < count; ++i) {
    uint32_t colour = 0;
    if (parser->GetOutputColor(i, &colour)) used.insert(colour);
  }
  size_t next = 0;
  for (bool paletteDrawn : {false, true}) {
    for (int32_t i = 0; i < count; ++i) {
      uint32_t colour = 0;
      bool hidden = false;
      if (parser->GetOutputColor(i, &colour) || (parser->IsOutputHidden(i, &hidden) && hidden) ||
          DrawnInPaletteColours(parser, i) != paletteDrawn)
        continue;
      size_t tries = 0;
      while (used.count(kOutputColours[next % 8]) && tries++ < 8) ++next;
      parser->SetOutputColor(i, kOutputColours[next++ % 8]);
    }
  }
}

bool ChartDocument::AddPane(const std::string& formula, const std::vector<std::pair<std::string, float>>& params,
                            CompileError* error) {
  Pane pane{formula, std::make_unique<FormulaRunner>(), nullptr};
  if (!pane.runner->Compile(formula, params, error)) return false;
  AssignOutputColours(pane.runner->Parser());
  if (panes_.empty() && options_.candles && !DrawsCandles(pane.runner->Parser())) {
    // The price pane shows the bars as candles beneath the formula's drawing.
    pane.candles = std::make_unique<FormulaRunner>();
    CompileError ignored;
    if (!pane.candles->Compile("DRAWKLINE(HIGH,OPEN,LOW,CLOSE);", {}, &ignored)) pane.candles.reset();
  }
  panes_.push_back(std::move(pane));
  return true;
}

bool ChartDocument::Render(CsvBarProvider& bars, int32_t first, int32_t last, std::string* svgOut, std::string* error) {
  const double height = kTop + options_.firstPaneHeight +
                        (panes_.size() > 1 ? (panes_.size() - 1) : 0) * (options_.paneHeight + kGap) + kBottomAxis;
  SvgWriter svg(options_.width, height);
  Palette palette(options_.riseIsGreen);
  double top = kTop;
  for (size_t i = 0; i < panes_.size(); ++i) {
    Pane& pane = panes_[i];
    IIndexCalculator* calc = pane.runner->Calculator();
    if (!pane.runner->Calculate(&bars, 0, last) || (pane.candles && !pane.candles->Calculate(&bars, 0, last))) {
      *error = "pane " + std::to_string(i + 1) + ": the calculation failed";
      return false;
    }
    double lo = 0, hi = 1;
    if (!ValueRange(pane, first, last, &lo, &hi)) lo = 0, hi = 1;
    if (i == 0 && options_.fixedPriceRange) lo = options_.priceLow, hi = options_.priceHigh;
    const double h = i == 0 ? options_.firstPaneHeight : options_.paneHeight;
    PlotRect plot{kLeft, top, options_.width - kLeft - kRightAxis, h};
    PaneGeometry geo(plot, first, last, lo, hi, i == 0 && options_.fixedPriceRange);
    if (i == 0) firstPane_ = geo;
    const std::string clip = "pane" + std::to_string(i);
    svg.ClipRect(clip, plot.left, plot.top, plot.width, plot.height);
    DrawAxes(svg, geo, i + 1 == panes_.size(), bars);
    svg.OpenGroup("clip-path=\"url(#" + clip + ")\"");
    DrawRenderer renderer(svg, geo, palette);
    if (pane.candles) DrawRecords(pane.candles->Calculator(), first, last, renderer);
    DrawRecords(calc, first, last, renderer);
    if (i == 0 && overlay_) overlay_(svg, geo, palette);
    svg.CloseGroup();
    DrawLegend(svg, geo, pane, last, palette);
    top += h + kGap;
  }
  *svgOut = svg.Finish();
  return true;
}

bool ChartDocument::ValueRange(const Pane& pane, int32_t first, int32_t last, double* lo, double* hi) {
  if (!pane.runner->Calculator()->GetValueRange(first, last, {}, lo, hi)) return false;
  double candleLo = 0, candleHi = 0;
  if (pane.candles && pane.candles->Calculator()->GetValueRange(first, last, {}, &candleLo, &candleHi)) {
    *lo = std::min(*lo, candleLo);
    *hi = std::max(*hi, candleHi);
  }
  return true;
}

void ChartDocument::DrawRecords(IIndexCalculator* calc, int32_t first, int32_t last, DrawRenderer& renderer) {
  std::vector<TarnDrawInfo::GraphDrawInfo> records;
  calc->GetDrawInfo(first, last, 0, std::set<int32_t>(), records);
  ConvertTexts(records);
  for (const auto& r : records) renderer.Render(r);
  calc->ReleaseDrawInfo(records);
}

void ChartDocument::DrawAxes(SvgWriter& svg, const PaneGeometry& geo, bool dates, const CsvBarProvider& bars) const {
  const PlotRect& p = geo.Plot();
  svg.Rect(p.left, p.top, p.width, p.height, "fill=\"none\" stroke=\"#3a4048\" stroke-width=\"1\"");
  const double step = NiceStep(geo.MaxValue() - geo.MinValue(), 5);
  for (double v = std::ceil(geo.MinValue() / step) * step; v <= geo.MaxValue(); v += step) {
    double y = geo.ValueToY(v);
    svg.Line(p.left, y, p.right(), y, "stroke=\"#262b31\" stroke-width=\"1\"");
    svg.Text(p.right() + 4, y + 4, FormatTick(v, step),
             "fill=\"#8a939c\" font-size=\"10\" font-family=\"DejaVu Sans, sans-serif\"");
  }
  if (!dates) return;
  const int32_t span = geo.LastBar() - geo.FirstBar() + 1;
  const int32_t every = std::max<int32_t>(1, static_cast<int32_t>(NiceStep(span, 8)));
  for (int32_t b = geo.FirstBar(); b <= geo.LastBar(); ++b) {
    if ((b - geo.FirstBar()) % every != 0) continue;
    double x = geo.BarToX(b);
    if (x < p.left + 32 || x > p.right() - 32) continue;  // keep labels inside the page
    svg.Line(x, p.bottom(), x, p.bottom() + 4, "stroke=\"#3a4048\"");
    svg.Text(x, p.bottom() + 16, FormatDateTime(bars.Bars()[b].time, false),
             "fill=\"#8a939c\" font-size=\"10\" text-anchor=\"middle\" font-family=\"DejaVu Sans, sans-serif\"");
  }
}

void ChartDocument::DrawLegend(SvgWriter& svg, const PaneGeometry& geo, Pane& pane, int32_t last,
                               const Palette& palette) const {
  IIndexParser* parser = pane.runner->Parser();
  int32_t count = 0;
  parser->GetOutputCount(&count);
  double x = geo.Plot().left + 6;
  for (int32_t i = 0; i < count; ++i) {
    char name[64] = {};
    bool hidden = false;
    parser->GetOutputName(i, name, sizeof name);
    parser->IsOutputHidden(i, &hidden);
    if (!name[0] || hidden) continue;
    double v = 0;
    std::string text = GbkToUtf8(name);
    if (pane.runner->Calculator()->GetOutputValue(i, last, &v)) {
      char buf[32];
      std::snprintf(buf, sizeof buf, ": %.3f", v);
      text += buf;
    }
    uint32_t colour = 0;
    std::string css = "#e8e8e8";
    double opacity = 1;
    if (parser->GetOutputColor(i, &colour)) palette.Resolve(TarnDrawInfo::GetColorByValue(colour), &css, &opacity);
    svg.Text(x, geo.Plot().top + 14, text,
             "fill=\"" + css + "\" font-size=\"11\" font-family=\"DejaVu Sans, sans-serif\"");
    x += TextWidth(text, 11) + 14;
  }
}

}  // namespace abacor_host
