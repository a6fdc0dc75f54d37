#include "chart_session.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>

#include "draw_json.h"
#include "tool_names.h"
#include "tools_file.h"

namespace abacor_host {

using nlohmann::json;

struct ChartSession::Pane {
  std::string formula;
  std::vector<std::pair<std::string, float>> params;
  std::unique_ptr<FormulaRunner> runner;
  int32_t calculatedLast = -1;  // bars [0, calculatedLast] are calculated and published
};

struct ChartSession::Tool {
  int64_t id = 0;
  ITarnGraphShapeBase* shape = nullptr;
  json extras;  // tools-file keys the tool cannot report itself
  ~Tool() { TarnGraphInterface::ReleaseGraphShape(shape); }
};

namespace {

constexpr double kPickTolerance = 5.0;
constexpr double kMaxPixels = 20000.0;

// A finite number member of an object.
bool Number(const json& j, const char* key, double* out) {
  if (!j.is_object() || !j.contains(key) || !j[key].is_number()) return false;
  *out = j[key].get<double>();
  return std::isfinite(*out);
}

// An integer member of an object.
bool Integer(const json& j, const char* key, int64_t* out) {
  if (!j.is_object() || !j.contains(key) || !j[key].is_number_integer()) return false;
  *out = j[key].get<int64_t>();
  return true;
}

// The pixel position "x", "y" of a request.
bool PixelPoint(const json& j, const char* xKey, const char* yKey, float* x, float* y, std::string* error) {
  double px = 0, py = 0;
  if (!Number(j, xKey, &px) || !Number(j, yKey, &py) || std::fabs(px) > kMaxPixels || std::fabs(py) > kMaxPixels) {
    *error = std::string("\"") + xKey + "\" and \"" + yKey + "\" are pixel positions within +-20000";
    return false;
  }
  *x = static_cast<float>(px);
  *y = static_cast<float>(py);
  return true;
}

// "params": [{"name": "N", "value": 20}, ...]
bool ReadParams(const json& request, size_t limit, std::vector<std::pair<std::string, float>>* params,
                ApiResult* failure) {
  if (!request.contains("params")) return true;
  const json& list = request["params"];
  if (!list.is_array()) {
    *failure = ApiError(400, "\"params\" is a list of {\"name\": NAME, \"value\": NUMBER}");
    return false;
  }
  if (list.size() > limit) {
    *failure = ApiError(413, "at most " + std::to_string(limit) + " parameters per pane");
    return false;
  }
  for (const json& p : list) {
    double value = 0;
    if (!p.is_object() || !p.contains("name") || !p["name"].is_string() || !Number(p, "value", &value) ||
        p["name"].get<std::string>().empty() || p["name"].get<std::string>().size() > 32) {
      *failure = ApiError(400, "a parameter is {\"name\": NAME (1 to 32 bytes), \"value\": NUMBER}");
      return false;
    }
    params->emplace_back(p["name"].get<std::string>(), static_cast<float>(value));
  }
  return true;
}

double DistanceToSegment(double px, double py, double ax, double ay, double bx, double by) {
  const double dx = bx - ax, dy = by - ay;
  const double len2 = dx * dx + dy * dy;
  double t = len2 > 0 ? ((px - ax) * dx + (py - ay) * dy) / len2 : 0;
  t = std::max(0.0, std::min(1.0, t));
  return std::hypot(px - (ax + t * dx), py - (ay + t * dy));
}

// Whether a pixel lies on a polyline of chart points.
bool NearPolyline(const std::vector<TarnDrawInfo::TarnPoint>& points, const PaneGeometry& geo, double x, double y,
                  bool closed) {
  const size_t n = points.size();
  for (size_t i = 0; i + 1 < n + (closed ? 1 : 0); ++i) {
    const auto& a = points[i];
    const auto& b = points[(i + 1) % n];
    if (DistanceToSegment(x, y, geo.BarToX(a.x), geo.ValueToY(a.y), geo.BarToX(b.x), geo.ValueToY(b.y)) <=
        kPickTolerance)
      return true;
  }
  return n == 1 && std::hypot(geo.BarToX(points[0].x) - x, geo.ValueToY(points[0].y) - y) <= kPickTolerance;
}

bool NearEllipse(const std::vector<TarnDrawInfo::TarnPoint>& pts, const PaneGeometry& geo, double x, double y) {
  if (pts.size() != 2 && pts.size() != 3) return false;
  const double ax = geo.BarToX(pts[0].x), ay = geo.ValueToY(pts[0].y);
  const double bx = geo.BarToX(pts[1].x), by = geo.ValueToY(pts[1].y);
  const double cx = (ax + bx) / 2, cy = (ay + by) / 2;
  const double rx = std::hypot(bx - ax, by - ay) / 2;
  const double ry = pts.size() == 3 ? std::fabs(geo.ValueToY(pts[2].y) - cy) : rx;
  if (rx <= 0 || ry <= 0) return false;
  const double r = std::hypot((x - cx) / rx, (y - cy) / ry);
  return std::fabs(r - 1) * std::min(rx, ry) <= kPickTolerance;
}

// Whether a pixel lies on anything a drawing strokes (lines, outlines, marks, texts).
bool NearDrawing(const TarnDrawInfo::GraphDrawInfo& info, const PaneGeometry& geo, double x, double y) {
  for (const auto& c : info.curves)
    for (const auto& l : c.lines)
      if (NearPolyline(l.points.GetPoint(), geo, x, y, c.fillStyle != 0)) return true;
  for (const auto& b : info.bezierCurves)
    for (const auto& pts : b.curves)
      if (NearPolyline(pts.GetPoint(), geo, x, y, false)) return true;
  for (const auto& r : info.rectangles)
    for (const auto& c : r.corners) {
      std::vector<TarnDrawInfo::TarnPoint> box = {c.first, {c.second.x, c.first.y}, c.second, {c.first.x, c.second.y}};
      if (NearPolyline(box, geo, x, y, true)) return true;
    }
  for (const auto& e : info.elipses)
    for (const auto& pts : e.elipses)
      if (NearEllipse(pts.GetPoint(), geo, x, y)) return true;
  for (const auto& c : info.crosses)
    for (const auto& item : c.crosses)
      if (std::hypot(geo.BarToX(item.center.x) - x, geo.ValueToY(item.center.y) - y) <= kPickTolerance + item.size)
        return true;
  for (const auto& t : info.texts)
    for (const auto& item : t.items) {
      const double tx = geo.BarToX(item.position.x), ty = geo.ValueToY(item.position.y);
      const double w = 7.0 * static_cast<double>(item.text.size());
      if (x >= tx - w && x <= tx + w && std::fabs(y - ty) <= std::max(t.fontSize, 10.0f)) return true;
    }
  return false;
}

// The character (code point) index of a 1-based line and column of a UTF-8 text; -1 when
// the error has no place in it.
int32_t CharacterOffset(const std::string& utf8, int32_t line, int32_t column) {
  if (line < 1 || column < 1) return -1;
  int32_t chars = 0, atLine = 1;
  for (size_t i = 0; i < utf8.size() && atLine < line; ++i) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    if ((c & 0xC0) != 0x80) ++chars;
    if (c == '\n') ++atLine;
  }
  return atLine == line ? chars + column - 1 : -1;
}

json CompileErrorJson(const CompileError& e, const std::string& formula) {
  return {{"code", e.code},
          {"line", e.line},
          {"column", e.column},
          {"position", e.position},
          {"offset", CharacterOffset(formula, e.line, e.column)},
          {"message", e.message}};
}

}  // namespace

ApiResult ApiError(int status, const std::string& message) { return {status, json{{"error", message}}}; }

ChartSession::ChartSession(CsvBarProvider& bars, SessionLimits limits)
    : bars_(bars), limits_(limits), coord_(pricePane_, bars.Bars()) {}

ChartSession::~ChartSession() = default;

ApiResult ChartSession::Describe() const {
  json panes = json::array();
  for (const auto& p : panes_) {
    json params = json::array();
    for (const auto& kv : p->params) params.push_back({{"name", kv.first}, {"value", kv.second}});
    panes.push_back({{"formula", p->formula}, {"params", std::move(params)}});
  }
  return {200, json{{"bars", bars_.Bars().size()},
                    {"panes", std::move(panes)},
                    {"tools", tools_.size()},
                    {"limits",
                     {{"formulaBytes", limits_.formulaBytes},
                      {"panes", limits_.panes},
                      {"params", limits_.params},
                      {"tools", limits_.tools}}}}};
}

ApiResult ChartSession::SetPane(size_t index, const json& request) {
  if (index > panes_.size()) return ApiError(404, "no pane " + std::to_string(index));
  if (index == panes_.size() && panes_.size() >= limits_.panes)
    return ApiError(413, "at most " + std::to_string(limits_.panes) + " panes");
  if (!request.is_object() || !request.contains("formula") || !request["formula"].is_string())
    return ApiError(400, "expected {\"formula\": TEXT, \"params\": [...]}");
  auto pane = std::make_unique<Pane>();
  pane->formula = request["formula"].get<std::string>();
  if (pane->formula.size() > limits_.formulaBytes)
    return ApiError(413, "a formula has at most " + std::to_string(limits_.formulaBytes) + " bytes");
  ApiResult failure;
  if (!ReadParams(request, limits_.params, &pane->params, &failure)) return failure;
  pane->runner = std::make_unique<FormulaRunner>();
  CompileError error;
  if (!pane->runner->Compile(pane->formula, pane->params, &error)) {
    ApiResult result =
        ApiError(422, error.message.empty() ? "the formula does not compile (error " + std::to_string(error.code) + ")"
                                            : error.message);
    result.body["compile"] = CompileErrorJson(error, pane->formula);
    return result;
  }
  if (!pane->runner->Calculator()->SetDataProvider(&bars_)) return ApiError(500, "the calculator refused the bars");
  json params = json::array();
  for (const auto& kv : pane->params) params.push_back({{"name", kv.first}, {"value", kv.second}});
  if (index == panes_.size())
    panes_.push_back(std::move(pane));
  else
    panes_[index] = std::move(pane);
  return {200, json{{"pane", index}, {"params", std::move(params)}}};
}

ApiResult ChartSession::DeletePane(size_t index) {
  if (index >= panes_.size()) return ApiError(404, "no pane " + std::to_string(index));
  panes_.erase(panes_.begin() + static_cast<std::ptrdiff_t>(index));
  return {200, json{{"panes", panes_.size()}}};
}

// Calculates only the bars after those already published, unless the formula
// needs whole recalculations (then from bar 0).
bool ChartSession::CalculatePane(Pane& pane, int32_t last, int32_t* computed) {
  *computed = 0;
  if (last <= pane.calculatedLast) return true;
  IIndexParser* parser = pane.runner->Parser();
  IIndexCalculator* calc = pane.runner->Calculator();
  bool recalcAll = false, forward = false;
  parser->GetRecalcAll(&recalcAll);
  parser->GetExtendForward(&forward);
  const int32_t from = (pane.calculatedLast < 0 || recalcAll || forward) ? 0 : pane.calculatedLast + 1;
  if (!calc->Calculate(from, last, false) || !calc->PublishResults()) {
    pane.calculatedLast = -1;
    return false;
  }
  pane.calculatedLast = last;
  *computed = last - from + 1;
  return true;
}

void ChartSession::PriceRange(int32_t first, int32_t last, double* lo, double* hi) {
  if (!panes_.empty() && panes_[0]->runner->Calculator()->GetValueRange(first, last, {}, lo, hi)) return;
  *lo = std::numeric_limits<double>::max();
  *hi = -*lo;
  const auto& bars = bars_.Bars();
  for (int32_t b = first; b <= last; ++b) {
    *lo = std::min(*lo, bars[static_cast<size_t>(b)].low);
    *hi = std::max(*hi, bars[static_cast<size_t>(b)].high);
  }
}

// "view": {"first": BAR, "last": BAR, "plot": {"left", "top", "width", "height"}} of the price pane.
bool ChartSession::ApplyView(const json& request, std::string* error) {
  const int64_t n = static_cast<int64_t>(bars_.Bars().size());
  const json view = request.is_object() && request.contains("view") ? request["view"] : json();
  int64_t first = 0, last = 0;
  double left = 0, top = 0, width = 0, height = 0;
  const json plot = view.is_object() && view.contains("plot") ? view["plot"] : json();
  if (!Integer(view, "first", &first) || !Integer(view, "last", &last) || !Number(plot, "left", &left) ||
      !Number(plot, "top", &top) || !Number(plot, "width", &width) || !Number(plot, "height", &height)) {
    *error = "expected \"view\": {\"first\": BAR, \"last\": BAR, \"plot\": {\"left\", \"top\", \"width\", \"height\"}}";
    return false;
  }
  if (first > last || !(width >= 1 && width <= kMaxPixels) || !(height >= 1 && height <= kMaxPixels) ||
      std::fabs(left) > kMaxPixels || std::fabs(top) > kMaxPixels) {
    *error = "the view needs first <= last and a plot of 1 to 20000 pixels";
    return false;
  }
  if (n < 1) {
    *error = "there are no bars";
    return false;
  }
  first = std::max<int64_t>(0, std::min(first, n - 1));
  last = std::max<int64_t>(first, std::min(last, n - 1));
  for (auto& pane : panes_) {
    int32_t computed = 0;
    CalculatePane(*pane, static_cast<int32_t>(last), &computed);
  }
  double lo = 0, hi = 1;
  PriceRange(static_cast<int32_t>(first), static_cast<int32_t>(last), &lo, &hi);
  pricePane_ =
      PaneGeometry(PlotRect{left, top, width, height}, static_cast<int32_t>(first), static_cast<int32_t>(last), lo, hi);
  return true;
}

json ChartSession::PaneJson(Pane& pane, int32_t first, int32_t last, double lo, double hi) {
  IIndexCalculator* calc = pane.runner->Calculator();
  PaneGeometry geo(PlotRect{0, 0, 1, 1}, first, last, lo, hi);
  std::vector<TarnDrawInfo::GraphDrawInfo> records;
  json drawings = json::array();
  if (calc->GetDrawInfo(first, last, 0, std::set<int32_t>(), records))
    for (const auto& r : records) drawings.push_back(DrawInfoToJson(r, palette_, TextCoding::kGbk));
  calc->ReleaseDrawInfo(records);
  json outputs = json::array();
  IIndexParser* parser = pane.runner->Parser();
  int32_t index = 0;
  for (const OutputSeries& s : pane.runner->ReadOutputs(first, last)) {
    uint32_t colour = 0;
    bool hidden = false;
    parser->IsOutputHidden(index, &hidden);
    json css = parser->GetOutputColor(index, &colour) ? ColorToJson(TarnDrawInfo::GetColorByValue(colour), palette_)
                                                      : ColorToJson(TarnDrawInfo::GetDefaultColor(), palette_);
    outputs.push_back({{"name", s.name}, {"hidden", hidden}, {"color", css}, {"values", s.values}});
    ++index;
  }
  return {{"min", geo.MinValue()},
          {"max", geo.MaxValue()},
          {"drawings", std::move(drawings)},
          {"outputs", std::move(outputs)}};
}

ApiResult ChartSession::Render(const json& request) {
  std::vector<int32_t> before;
  for (const auto& p : panes_) before.push_back(p->calculatedLast);
  std::string error;
  if (!ApplyView(request, &error)) return ApiError(400, error);
  const int32_t first = pricePane_.FirstBar(), last = pricePane_.LastBar();
  json panes = json::array(), computed = json::array();
  for (size_t i = 0; i < panes_.size(); ++i) {
    Pane& pane = *panes_[i];
    double lo = pricePane_.MinValue(), hi = pricePane_.MaxValue();
    json out;
    if (i == 0) {
      out = PaneJson(pane, first, last, 0, 1);
      out["min"] = lo;
      out["max"] = hi;
    } else {
      if (!pane.runner->Calculator()->GetValueRange(first, last, {}, &lo, &hi)) lo = 0, hi = 1;
      out = PaneJson(pane, first, last, lo, hi);
    }
    panes.push_back(std::move(out));
    // Bars calculated for this request: none when the view was already covered.
    const int32_t was = before[i];
    computed.push_back(pane.calculatedLast <= was ? 0
                                                  : (was < 0 ? pane.calculatedLast + 1 : pane.calculatedLast - was));
  }
  json tools = json::array();
  for (auto& t : tools_) tools.push_back(ToolJson(*t));
  return {200, json{{"first", first},
                    {"last", last},
                    {"panes", std::move(panes)},
                    {"tools", std::move(tools)},
                    {"computed", std::move(computed)}}};
}

json ChartSession::ToolJson(Tool& tool) {
  ITarnGraphShapeBase* s = tool.shape;
  s->SetLineWidth(s->GetLineWidth());  // the view may have moved: rebuild the drawing
  json drawings = json::array();
  for (const auto& d : s->GetDrawInfo()) drawings.push_back(DrawInfoToJson(d, palette_, TextCoding::kUtf8));
  std::vector<TarnGraphPoint> anchors;
  s->GetPoints(anchors);
  json points = json::array();
  for (const auto& p : anchors) points.push_back(json::array({p.x, p.y}));
  const char* name = ToolTypeName(s->GetGraphType());
  return {{"id", tool.id},
          {"type", static_cast<int>(s->GetGraphType())},
          {"name", name},
          {"pointCount", s->GetPointCount()},
          {"points", std::move(points)},
          {"complete", anchors.size() >= s->GetPointCount()},
          {"selected", s->GetSelectedHotPoint()},
          {"drawings", std::move(drawings)}};
}

ChartSession::Tool* ChartSession::FindTool(int64_t id) {
  for (auto& t : tools_)
    if (t->id == id) return t.get();
  return nullptr;
}

bool ChartSession::AddTool(ITarnGraphShapeBase* shape, json extras, int64_t* id) {
  if (!shape) return false;
  auto tool = std::make_unique<Tool>();
  tool->shape = shape;
  tool->id = nextToolId_++;
  tool->extras = std::move(extras);
  shape->SetCoordinate(&coord_);
  *id = tool->id;
  tools_.push_back(std::move(tool));
  return true;
}

// A tool to place: a tools-file entry without its points ({"type": ..., "color": ..., "text": ...}).
ApiResult ChartSession::CreateTool(const json& request) {
  if (tools_.size() >= limits_.tools) return ApiError(413, "at most " + std::to_string(limits_.tools) + " tools");
  if (!request.is_object() || !request.contains("type"))
    return ApiError(400, "expected {\"type\": NAME or VALUE, ...}");
  json entry = request;
  entry.erase("view");
  if (!entry.contains("points")) entry["points"] = json::array();
  ToolSet set;
  std::string error;
  if (!set.Parse(json{{"tools", json::array({entry})}}.dump(), "tool", &error)) {
    const std::string prefix = "tool: entry 1: ";
    return ApiError(400, error.compare(0, prefix.size(), prefix) == 0 ? error.substr(prefix.size()) : error);
  }
  if (request.contains("view") && !ApplyView(request, &error)) return ApiError(400, error);
  int64_t id = 0;
  if (!AddTool(set.Create(0, coord_), set.Extras(0), &id)) return ApiError(500, "the tool could not be created");
  return {200, ToolJson(*FindTool(id))};
}

ApiResult ChartSession::DeleteTool(int64_t id) {
  for (auto it = tools_.begin(); it != tools_.end(); ++it)
    if ((*it)->id == id) {
      tools_.erase(it);
      return {200, json{{"deleted", id}}};
    }
  return ApiError(404, "no tool " + std::to_string(id));
}

ApiResult ChartSession::GetTool(int64_t id) {
  Tool* tool = FindTool(id);
  if (!tool) return ApiError(404, "no tool " + std::to_string(id));
  return {200, ToolJson(*tool)};
}

ApiResult ChartSession::ToolInput(int64_t id, const std::string& action, const json& request) {
  Tool* tool = FindTool(id);
  if (!tool) return ApiError(404, "no tool " + std::to_string(id));
  std::string error;
  if (!ApplyView(request, &error)) return ApiError(400, error);
  float x = 0, y = 0, toX = 0, toY = 0;
  bool result = true;
  if (action == "drag") {
    if (!PixelPoint(request, "fromX", "fromY", &x, &y, &error) ||
        !PixelPoint(request, "toX", "toY", &toX, &toY, &error))
      return ApiError(400, error);
    result = tool->shape->OnDrag(x, y, toX, toY);
  } else {
    if (!PixelPoint(request, "x", "y", &x, &y, &error)) return ApiError(400, error);
    if (action == "click")
      result = tool->shape->OnAddPoint(x, y);
    else
      tool->shape->OnPreviewPoint(x, y);
  }
  json out = ToolJson(*tool);
  out["result"] = result;
  return {200, out};
}

ApiResult ChartSession::Pick(const json& request) {
  std::string error;
  float x = 0, y = 0;
  if (!ApplyView(request, &error) || !PixelPoint(request, "x", "y", &x, &y, &error)) return ApiError(400, error);
  for (auto it = tools_.rbegin(); it != tools_.rend(); ++it) {
    ITarnGraphShapeBase* s = (*it)->shape;
    std::vector<TarnGraphPoint> anchors;
    s->GetPoints(anchors);
    if (anchors.size() < s->GetPointCount()) continue;
    int hot = -1;
    bool hit = s->HitHotPoint(x, y, &hot);
    if (!hit) {
      s->SetLineWidth(s->GetLineWidth());
      for (const auto& d : s->GetDrawInfo()) hit = hit || NearDrawing(d, pricePane_, x, y);
    }
    if (!hit) continue;
    s->OnAddPoint(x, y);  // a complete tool selects the hot point under the click, or none
    return {200, json{{"tool", (*it)->id}, {"hotPoint", s->GetSelectedHotPoint()}}};
  }
  return {200, json{{"tool", nullptr}, {"hotPoint", -1}}};
}

ApiResult ChartSession::SaveTools() const {
  json list = json::array();
  for (const auto& t : tools_) {
    json entry = ToolToJson(t->shape);
    for (const auto& kv : t->extras.items()) entry[kv.key()] = kv.value();
    list.push_back(std::move(entry));
  }
  return {200, json{{"tools", std::move(list)}}};
}

ApiResult ChartSession::LoadTools(const json& request) {
  if (request.is_object() && request.contains("tools") && request["tools"].is_array() &&
      request["tools"].size() > limits_.tools)
    return ApiError(413, "at most " + std::to_string(limits_.tools) + " tools");
  ToolSet set;
  std::string error;
  json file = request;
  if (file.is_object()) file.erase("view");
  if (!set.Parse(file.dump(), "tools", &error)) return ApiError(400, error);
  if (request.is_object() && request.contains("view") && !ApplyView(request, &error)) return ApiError(400, error);
  tools_.clear();
  json out = json::array();
  for (size_t i = 0; i < set.Size(); ++i) {
    int64_t id = 0;
    if (AddTool(set.Create(i, coord_), set.Extras(i), &id)) out.push_back(ToolJson(*FindTool(id)));
  }
  return {200, json{{"tools", std::move(out)}}};
}

json ToolCatalogue() {
  json out = json::array();
  for (const ToolName& n : kToolNames) {
    ITarnGraphShapeBase* tool = TarnGraphInterface::CreateGraphShape(n.type);
    const unsigned points = tool ? tool->GetPointCount() : 0;
    TarnGraphInterface::ReleaseGraphShape(tool);
    out.push_back({{"type", static_cast<int>(n.type)}, {"name", n.name}, {"points", points}});
  }
  return out;
}

}  // namespace abacor_host
