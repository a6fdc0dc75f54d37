#pragma once
// A tools file: drawing tools in chart coordinates with their styles and
// settings, restored through the tool interface and drawn over the price pane.
//
//   {"tools": [{"type": "TARN_GRAPH_LINE_SEGMENT",        // name, short name or value
//               "points": [[5400, 30.5], [5500, 35.0]],   // [bar, price] anchors
//               "extraPoints": [[5450, 33]],              // optional
//               "color": "#ff8000", "width": 2, "style": 0,
//               "fill": "#ff800040", "text": "note", "fontSize": 12, "textColor": "#ffffff",
//               "settings": {"levels": [0, 0.382, 0.5], "extend": "both",
//                            "displayRatio": true, "displayPrice": true}}]}
#include <memory>
#include <string>
#include <vector>

#include <abacor/abacor.h>
#include <nlohmann/json.hpp>

#include "chart_coordinate.h"
#include "chart_geometry.h"
#include "csv_provider.h"
#include "draw_renderer.h"
#include "svg_writer.h"

namespace abacor_host {

// The value of a tool type named as "TARN_GRAPH_LINE_RAY", "line_ray" or "4"; false when unknown.
bool ParseToolType(const std::string& text, TARN_GRAPH_TYPE* type);
// The enumerator of a type value, or "" when it has none.
const char* ToolTypeName(int32_t value);

class ToolSet {
 public:
  struct Entry;
  ToolSet();
  ~ToolSet();

  // Reads and checks a tools file; on failure says which entry is wrong.
  bool Load(const std::string& path, std::string* error);
  bool Parse(const std::string& json, const std::string& source, std::string* error);
  size_t Size() const;

  // Entry `index` restored as a live tool over the coordinate object (the
  // caller releases it through TarnGraphInterface); null for a bad index.
  ITarnGraphShapeBase* Create(size_t index, ChartCoordinate& coord) const;
  // What a live tool cannot report about entry `index` (extra points, clip box,
  // label) as tools-file keys, so that saving it again keeps them.
  nlohmann::json Extras(size_t index) const;

  // Restores every tool over the pane and draws its records.
  void Render(SvgWriter& svg, const PaneGeometry& pane, const std::vector<Bar>& bars, const Palette& palette) const;

 private:
  std::vector<std::unique_ptr<Entry>> entries_;
};

// A live tool as a tools-file entry: type, anchors, styles and settings.
nlohmann::json ToolToJson(ITarnGraphShapeBase* tool);

}  // namespace abacor_host
