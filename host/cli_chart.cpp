// abacor chart: candles, formula panes and drawing tools of a CSV file, as SVG.
#include <cstdio>
#include <fstream>
#include <iostream>

#include "chart_document.h"
#include "cli_args.h"
#include "cli_commands.h"
#include "tools_file.h"

namespace abacor_host {

namespace {

// The page options: --size, --price-range, --rise-green and --no-candles.
bool ReadChartOptions(const CliArgs& args, ChartOptions* options, std::string* error) {
  options->riseIsGreen = args.Has("--rise-green");
  options->candles = !args.Has("--no-candles");
  if (args.Has("--size")) {
    double w = 0, h = 0;
    if (std::sscanf(args.Get("--size").c_str(), "%lfx%lf", &w, &h) != 2 || w < 200 || h < 100 || w > 20000 ||
        h > 20000) {
      *error = "--size is WIDTHxHEIGHT of the price pane in pixels, e.g. 1200x420";
      return false;
    }
    options->width = w;
    options->firstPaneHeight = h;
  }
  if (args.Has("--price-range")) {
    double lo = 0, hi = 0;
    if (std::sscanf(args.Get("--price-range").c_str(), "%lf:%lf", &lo, &hi) != 2 || !(lo < hi)) {
      *error = "--price-range is LOW:HIGH, e.g. 40.5:53.5";
      return false;
    }
    options->fixedPriceRange = true;
    options->priceLow = lo;
    options->priceHigh = hi;
  }
  return true;
}

}  // namespace

int ChartCommand(int argc, char** argv) {
  CliArgs args;
  std::string error;
  if (!args.Parse(argc, argv, 2,
                  {"--bars", "--pane", "--param", "--from", "--to", "--svg", "--tools", "--size", "--price-range"},
                  {"--rise-green", "--no-candles"}, &error))
    return Fail(error);
  if (!args.Has("--bars") || !args.Has("--pane") || !args.Has("--svg"))
    return Fail("chart needs --bars FILE, at least one --pane FORMULA and --svg OUT.svg");
  CsvBarProvider bars;
  std::vector<std::pair<std::string, float>> params;
  if (!bars.Load(args.Get("--bars"), &error) || !ParseParams(args, &params, &error)) return Fail(error);
  int32_t first = 0, last = 0;
  if (!ResolveRange(args, static_cast<int32_t>(bars.Bars().size()), &first, &last, &error)) return Fail(error);
  ChartOptions options;
  if (!ReadChartOptions(args, &options, &error)) return Fail(error);
  ChartDocument chart(options);
  for (const std::string& pane : args.All("--pane")) {
    std::string formula;
    if (!ReadFormulaArgument(pane, &formula, &error)) return Fail(error);
    CompileError compileError;
    if (!chart.AddPane(formula, params, &compileError)) {
      std::cerr << "abacor: pane \"" << pane << "\":\n" << DescribeCompileError(formula, compileError);
      return 1;
    }
  }
  ToolSet tools;
  if (args.Has("--tools")) {
    if (!tools.Load(args.Get("--tools"), &error)) return Fail(error);
    chart.SetOverlay([&tools, &bars](SvgWriter& svg, const PaneGeometry& geo, const Palette& palette) {
      tools.Render(svg, geo, bars.Bars(), palette);
    });
  }
  std::string svg;
  if (!chart.Render(bars, first, last, &svg, &error)) return Fail(error);
  std::ofstream out(args.Get("--svg"), std::ios::binary);
  if (!(out << svg)) return Fail(args.Get("--svg") + ": cannot write the file");
  return 0;
}

}  // namespace abacor_host
