#include "tools_file.h"

#include <abacor/tool_settings.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>

#include "chart_coordinate.h"
#include "tool_names.h"

namespace abacor_host {

using nlohmann::json;
using TarnDrawInfo::TarnColor;

struct ToolSet::Entry {
  TARN_GRAPH_TYPE type = TARN_GRAPH_LINE_SEGMENT;
  std::vector<std::pair<double, double>> points, extraPoints;
  std::optional<TarnColor> color, fill, textColor;
  std::optional<int> width, style, fontSize;
  std::optional<std::string> text;
  std::vector<double> levels;
  std::optional<enLineExtendDirection> extend;
  std::optional<bool> displayRatio, displayPrice;
  std::vector<std::pair<double, double>> clip;  // two opposite corners, or empty
  std::optional<std::string> label;
};

namespace {

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

bool ParseColor(const json& j, TarnColor* out, std::string* why) {
  if (j.is_number_integer()) {
    *out = TarnDrawInfo::GetColorByID(static_cast<TarnDrawInfo::COLOR_TYPE>(j.get<int>()));
    return true;
  }
  if (j.is_array() && (j.size() == 3 || j.size() == 4)) {
    int c[4] = {0, 0, 0, 255};
    for (size_t i = 0; i < j.size(); ++i) {
      if (!j[i].is_number_integer()) break;
      c[i] = j[i].get<int>();
    }
    *out = TarnDrawInfo::GetColorByARGB(c[3], c[0], c[1], c[2]);
    return true;
  }
  if (j.is_string()) {
    std::string s = j.get<std::string>();
    char* end = nullptr;
    if (s.size() == 7 || s.size() == 9) {
      unsigned long v = std::strtoul(s.c_str() + 1, &end, 16);
      if (s[0] == '#' && *end == '\0') {
        if (s.size() == 7) v = (v << 8) | 0xFF;
        *out = TarnDrawInfo::GetColorByARGB(v & 0xFF, (v >> 24) & 0xFF, (v >> 16) & 0xFF, (v >> 8) & 0xFF);
        return true;
      }
    }
  }
  *why = "a colour is \"#rrggbb\", \"#rrggbbaa\", [r, g, b(, a)] or a palette id";
  return false;
}

bool ParsePoints(const json& j, std::vector<std::pair<double, double>>* out, std::string* why) {
  if (!j.is_array()) {
    *why = "points are a list of [bar, price] pairs";
    return false;
  }
  for (const json& p : j) {
    if (!p.is_array() || p.size() != 2 || !p[0].is_number() || !p[1].is_number()) {
      *why = "points are a list of [bar, price] pairs";
      return false;
    }
    out->emplace_back(p[0].get<double>(), p[1].get<double>());
  }
  return true;
}

bool ParseExtend(const std::string& s, enLineExtendDirection* out) {
  struct Name {
    const char* name;
    enLineExtendDirection value;
  };
  static constexpr Name kNames[] = {{"none", LINE_EXTEND_NONE}, {"both", LINE_EXTEND_BOTH},
                                    {"up", LINE_EXTEND_UP},     {"down", LINE_EXTEND_DOWN},
                                    {"left", LINE_EXTEND_LEFT}, {"right", LINE_EXTEND_RIGHT}};
  for (const Name& n : kNames)
    if (s == n.name) {
      *out = n.value;
      return true;
    }
  return false;
}

bool ParseInt(const json& j, const char* key, std::optional<int>* out, std::string* why) {
  if (!j.contains(key)) return true;
  if (!j[key].is_number_integer()) {
    *why = std::string("\"") + key + "\" is a whole number";
    return false;
  }
  *out = j[key].get<int>();
  return true;
}

bool ParseSettings(const json& s, ToolSet::Entry* e, std::string* why) {
  if (!s.is_object()) {
    *why = "\"settings\" is an object";
    return false;
  }
  if (s.contains("levels")) {
    if (!s["levels"].is_array()) {
      *why = "\"levels\" is a list of numbers";
      return false;
    }
    for (const json& l : s["levels"]) {
      if (!l.is_number()) {
        *why = "\"levels\" is a list of numbers";
        return false;
      }
      e->levels.push_back(l.get<double>());
    }
  }
  if (s.contains("extend")) {
    enLineExtendDirection d{};
    if (!s["extend"].is_string() || !ParseExtend(s["extend"].get<std::string>(), &d)) {
      *why = "\"extend\" is none, both, up, down, left or right";
      return false;
    }
    e->extend = d;
  }
  for (const char* key : {"displayRatio", "displayPrice"}) {
    if (!s.contains(key)) continue;
    if (!s[key].is_boolean()) {
      *why = std::string("\"") + key + "\" is true or false";
      return false;
    }
    (std::string(key) == "displayRatio" ? e->displayRatio : e->displayPrice) = s[key].get<bool>();
  }
  return true;
}

bool ParseEntry(const json& j, ToolSet::Entry* e, std::string* why) {
  if (!j.is_object() || !j.contains("type")) {
    *why = "an entry is an object with a \"type\"";
    return false;
  }
  const json& t = j["type"];
  std::string typeText = t.is_string()           ? t.get<std::string>()
                         : t.is_number_integer() ? std::to_string(t.get<int>())
                                                 : "";
  if (!ParseToolType(typeText, &e->type)) {
    *why = "unknown tool type " + t.dump();
    return false;
  }
  if (!j.contains("points") || !ParsePoints(j["points"], &e->points, why)) {
    if (why->empty()) *why = "\"points\" is missing";
    return false;
  }
  if (j.contains("extraPoints") && !ParsePoints(j["extraPoints"], &e->extraPoints, why)) return false;
  struct ColorKey {
    const char* key;
    std::optional<TarnColor> ToolSet::Entry::*field;
  };
  for (const ColorKey& c : {ColorKey{"color", &ToolSet::Entry::color}, ColorKey{"fill", &ToolSet::Entry::fill},
                            ColorKey{"textColor", &ToolSet::Entry::textColor}}) {
    if (!j.contains(c.key)) continue;
    TarnColor colour{};
    if (!ParseColor(j[c.key], &colour, why)) return false;
    e->*c.field = colour;
  }
  if (!ParseInt(j, "width", &e->width, why) || !ParseInt(j, "style", &e->style, why) ||
      !ParseInt(j, "fontSize", &e->fontSize, why))
    return false;
  if (j.contains("clip")) {
    if (!ParsePoints(j["clip"], &e->clip, why) || e->clip.size() != 2) {
      *why = "\"clip\" is two opposite corners [[bar, price], [bar, price]]";
      return false;
    }
  }
  if (j.contains("label")) {
    if (!j["label"].is_string()) {
      *why = "\"label\" is a string";
      return false;
    }
    e->label = j["label"].get<std::string>();
  }
  if (j.contains("text")) {
    if (!j["text"].is_string()) {
      *why = "\"text\" is a string";
      return false;
    }
    e->text = j["text"].get<std::string>();
  }
  return !j.contains("settings") || ParseSettings(j["settings"], e, why);
}

std::vector<stSingleLineDrawParams> LevelParams(const std::vector<double>& levels, bool whole) {
  std::vector<stSingleLineDrawParams> params;
  for (size_t i = 0; i < levels.size(); ++i) {
    stSingleLineDrawParams p;
    p.index = static_cast<int32_t>(i);
    if (whole)
      p.SetIntLevel(static_cast<int32_t>(std::lround(levels[i])));
    else
      p.SetFloatLevel(static_cast<float>(levels[i]));
    params.push_back(p);
  }
  return params;
}

void ApplySettings(ITarnGraphShapeBase* tool, const ToolSet::Entry& e) {
  if (e.type == TARN_GRAPH_COMPLEX_FIB_TIME_ZONE) {
    stFibTimeZoneSettings s;
    tool->GetToolSettings(&s);
    if (!e.levels.empty()) s.SetLineParams(LevelParams(e.levels, true));
    if (e.extend) s.SetExtendDirection(*e.extend);
    tool->SetToolSettings(&s);
  }
  if (e.type == TARN_GRAPH_COMPLEX_GOLDEN_SECTION) {
    stGoldenSectionSettings s;
    tool->GetToolSettings(&s);
    if (!e.levels.empty()) s.SetLineParams(LevelParams(e.levels, false));
    if (e.extend) s.SetExtendDirection(*e.extend);
    if (e.displayRatio) s.SetDisplayRatio(*e.displayRatio);
    if (e.displayPrice) s.SetDisplayPrice(*e.displayPrice);
    tool->SetToolSettings(&s);
  }
}

std::vector<TarnGraphPoint> ToGraphPoints(const std::vector<std::pair<double, double>>& pts, ChartCoordinate& coord) {
  std::vector<TarnGraphPoint> out;
  for (const auto& p : pts) {
    TarnGraphPoint g;
    g.x = static_cast<float>(p.first);
    g.y = p.second;
    coord.BarToTime(g.x, &g.time);
    out.push_back(g);
  }
  return out;
}

// A tool with a clip box draws only inside it, under its label, and keeps its texts inside it.
bool OpenClip(SvgWriter& svg, const PaneGeometry& pane, const ToolSet::Entry& e, size_t index, DrawRenderer& renderer) {
  renderer.SetTextBounds(pane.Plot());
  if (e.clip.size() != 2) return false;
  const double x0 = pane.BarToX(e.clip[0].first), x1 = pane.BarToX(e.clip[1].first);
  const double y0 = pane.ValueToY(e.clip[0].second), y1 = pane.ValueToY(e.clip[1].second);
  renderer.SetTextBounds({std::min(x0, x1), std::min(y0, y1), std::fabs(x1 - x0), std::fabs(y1 - y0)});
  const std::string id = "tool" + std::to_string(index);
  svg.ClipRect(id, std::min(x0, x1), std::min(y0, y1), std::fabs(x1 - x0), std::fabs(y1 - y0));
  svg.Rect(std::min(x0, x1), std::min(y0, y1), std::fabs(x1 - x0), std::fabs(y1 - y0),
           "fill=\"none\" stroke=\"#2a3038\" stroke-width=\"1\"");
  if (e.label)
    svg.Text(std::min(x0, x1) + 3, std::min(y0, y1) + 10, *e.label,
             "fill=\"#6f7a85\" font-size=\"8\" font-family=\"DejaVu Sans, sans-serif\"");
  svg.OpenGroup("clip-path=\"url(#" + id + ")\"");
  return true;
}

}  // namespace

bool ParseToolType(const std::string& text, TARN_GRAPH_TYPE* type) {
  if (text.empty()) return false;
  char* end = nullptr;
  long v = std::strtol(text.c_str(), &end, 10);
  const bool numeric = *end == '\0';
  const std::string upper = Upper(text);
  for (const ToolName& n : kToolNames) {
    const bool match = numeric ? v == n.type : (upper == n.name || "TARN_GRAPH_" + upper == n.name);
    if (match) {
      *type = n.type;
      return true;
    }
  }
  return false;
}

const char* ToolTypeName(int32_t value) {
  for (const ToolName& n : kToolNames)
    if (n.type == value) return n.name;
  return "";
}

ToolSet::ToolSet() = default;
ToolSet::~ToolSet() = default;
size_t ToolSet::Size() const { return entries_.size(); }

bool ToolSet::Load(const std::string& path, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = path + ": cannot open the tools file";
    return false;
  }
  std::stringstream text;
  text << in.rdbuf();
  return Parse(text.str(), path, error);
}

bool ToolSet::Parse(const std::string& text, const std::string& source, std::string* error) {
  json doc = json::parse(text, nullptr, false);
  if (doc.is_discarded()) {
    *error = source + ": not valid JSON";
    return false;
  }
  if (!doc.is_object() || !doc.contains("tools") || !doc["tools"].is_array()) {
    *error = source + ": expected an object with a \"tools\" list";
    return false;
  }
  std::vector<std::unique_ptr<Entry>> entries;
  for (size_t i = 0; i < doc["tools"].size(); ++i) {
    auto e = std::make_unique<Entry>();
    std::string why;
    if (!ParseEntry(doc["tools"][i], e.get(), &why)) {
      *error = source + ": entry " + std::to_string(i + 1) + ": " + why;
      return false;
    }
    entries.push_back(std::move(e));
  }
  entries_ = std::move(entries);
  return true;
}

ITarnGraphShapeBase* ToolSet::Create(size_t index, ChartCoordinate& coord) const {
  if (index >= entries_.size()) return nullptr;
  const Entry& e = *entries_[index];
  ITarnGraphShapeBase* tool = TarnGraphInterface::CreateGraphShape(e.type);
  if (!tool) return nullptr;
  tool->SetCoordinate(&coord);
  if (e.color) tool->SetLineColor(*e.color);
  if (e.fill) tool->SetFillColor(*e.fill);
  if (e.textColor) tool->SetTextColor(*e.textColor);
  if (e.width) tool->SetLineWidth(*e.width);
  if (e.style) tool->SetLineStyle(*e.style);
  if (e.fontSize) tool->SetFontSize(*e.fontSize);
  if (e.text) tool->SetText(*e.text);
  ApplySettings(tool, e);
  tool->SetPoints(ToGraphPoints(e.points, coord));
  if (!e.extraPoints.empty()) tool->SetExtraPoints(ToGraphPoints(e.extraPoints, coord));
  return tool;
}

json ToolSet::Extras(size_t index) const {
  json out = json::object();
  if (index >= entries_.size()) return out;
  const Entry& e = *entries_[index];
  auto pairs = [](const std::vector<std::pair<double, double>>& pts) {
    json list = json::array();
    for (const auto& p : pts) list.push_back(json::array({p.first, p.second}));
    return list;
  };
  if (!e.extraPoints.empty()) out["extraPoints"] = pairs(e.extraPoints);
  if (!e.clip.empty()) out["clip"] = pairs(e.clip);
  if (e.label) out["label"] = *e.label;
  return out;
}

void ToolSet::Render(SvgWriter& svg, const PaneGeometry& pane, const std::vector<Bar>& bars,
                     const Palette& palette) const {
  ChartCoordinate coord(pane, bars);
  DrawRenderer renderer(svg, pane, palette);
  for (size_t i = 0; i < entries_.size(); ++i) {
    ITarnGraphShapeBase* tool = Create(i, coord);
    if (!tool) continue;
    const bool clipped = OpenClip(svg, pane, *entries_[i], i, renderer);
    for (const auto& info : tool->GetDrawInfo()) renderer.Render(info);
    TarnGraphInterface::ReleaseGraphShape(tool);
    if (clipped) svg.CloseGroup();
  }
}

namespace {

// "#rrggbbaa" for an explicit colour, the palette id otherwise (0: no colour).
json ColorText(const TarnColor& c) {
  if (!c.useValue) return static_cast<int>(c.colorId);
  char buf[16];
  const uint32_t v = c.colorValue;
  std::snprintf(buf, sizeof buf, "#%02x%02x%02x%02x", v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF, (v >> 24) & 0xFF);
  return buf;
}

const char* ExtendName(enLineExtendDirection d) {
  switch (d) {
    case LINE_EXTEND_BOTH: return "both";
    case LINE_EXTEND_UP: return "up";
    case LINE_EXTEND_DOWN: return "down";
    case LINE_EXTEND_LEFT: return "left";
    case LINE_EXTEND_RIGHT: return "right";
    default: return "none";
  }
}

json Levels(const std::vector<stSingleLineDrawParams>& params, bool whole) {
  json out = json::array();
  for (const auto& p : params) out.push_back(whole ? json(p.GetIntLevel()) : json(p.GetFloatLevel()));
  return out;
}

json ToolSettingsJson(ITarnGraphShapeBase* tool) {
  if (tool->GetGraphType() == TARN_GRAPH_COMPLEX_FIB_TIME_ZONE) {
    stFibTimeZoneSettings s;
    tool->GetToolSettings(&s);
    return {{"levels", Levels(s.GetLineParams(), true)}, {"extend", ExtendName(s.GetExtendDirection())}};
  }
  if (tool->GetGraphType() == TARN_GRAPH_COMPLEX_GOLDEN_SECTION) {
    stGoldenSectionSettings s;
    tool->GetToolSettings(&s);
    return {{"levels", Levels(s.GetLineParams(), false)},
            {"extend", ExtendName(s.GetExtendDirection())},
            {"displayRatio", s.GetDispLayRatio()},
            {"displayPrice", s.GetDisplayPrice()}};
  }
  return nullptr;
}

}  // namespace

json ToolToJson(ITarnGraphShapeBase* tool) {
  std::vector<TarnGraphPoint> anchors;
  tool->GetPoints(anchors);
  json points = json::array();
  for (const TarnGraphPoint& p : anchors) points.push_back(json::array({p.x, p.y}));
  const char* name = ToolTypeName(tool->GetGraphType());
  json out{{"type", name[0] ? json(name) : json(static_cast<int>(tool->GetGraphType()))},
           {"points", std::move(points)},
           {"color", ColorText(tool->GetLineColor())},
           {"fill", ColorText(tool->GetFillColor())},
           {"textColor", ColorText(tool->GetTextColor())},
           {"width", tool->GetLineWidth()},
           {"style", tool->GetLineStyle()},
           {"fontSize", tool->GetFontSize()}};
  if (!tool->GetText().empty()) out["text"] = tool->GetText();
  json settings = ToolSettingsJson(tool);
  if (!settings.is_null()) out["settings"] = std::move(settings);
  return out;
}

}  // namespace abacor_host
