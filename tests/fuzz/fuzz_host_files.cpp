// The reference host's readers of user files: every input goes through the
// CSV bar reader and the tools-file reader. What the CSV reader accepts is
// read back through the provider interface; what the tools reader accepts is
// restored and drawn over a pane of the parsed bars.
#include <cstdint>
#include <string>
#include <vector>

#include "chart_geometry.h"
#include "csv_provider.h"
#include "draw_renderer.h"
#include "svg_writer.h"
#include "tools_file.h"

using namespace abacor_host;

namespace {

void ReadBars(CsvBarProvider& csv) {
  int32_t count = 0;
  csv.GetBarCount(&count);
  csv.GetTotalBarCount(&count);
  int32_t type = 0, mult = 0;
  csv.GetPeriod(&type, &mult);
  for (int32_t bar = -1; bar <= count && bar < 64; ++bar) {
    double v = 0;
    for (int32_t field = 0; field < 10; ++field) csv.GetFieldValue(field, bar, &v);
    int64_t time = 0;
    if (csv.GetBarTime(bar, &time)) {
      int32_t back = -1;
      csv.GetBarIndexByTime(time, &back);
      (void)FormatDateTime(time, bar % 2 == 0);
    }
    int32_t anchor = bar;
    csv.GetAnchorBar(bar, bar & 1, &anchor);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::string error;
  CsvBarProvider csv;
  if (csv.Parse(text, "fuzz.csv", &error)) ReadBars(csv);
  int64_t epoch = 0;
  ParseDateTime(text.substr(0, 32), &epoch);

  ToolSet tools;
  if (!tools.Parse(text, "fuzz.json", &error)) return 0;
  std::vector<Bar> bars(60);
  for (size_t i = 0; i < bars.size(); ++i) {
    bars[i].time = 1700000000 + 86400 * static_cast<int64_t>(i);
    bars[i].open = bars[i].close = 20.0 + static_cast<double>(i % 7);
    bars[i].high = bars[i].close + 1.0;
    bars[i].low = bars[i].close - 1.0;
  }
  SvgWriter svg(800, 400);
  const PaneGeometry pane(PlotRect{10, 10, 780, 380}, 0, 59, 10.0, 40.0);
  tools.Render(svg, pane, bars, Palette());
  return 0;
}
