#include "draw_json.h"

#include <cmath>

#include "text_encoding.h"

namespace abacor_host {
namespace {

using nlohmann::json;
using namespace TarnDrawInfo;

// A point as [bar, price]; a coordinate that is not a number becomes null.
json Point(const TarnPoint& p) {
  json x = std::isfinite(p.x) ? json(p.x) : json(nullptr);
  json y = std::isfinite(p.y) ? json(p.y) : json(nullptr);
  return json::array({x, y});
}

json Points(const std::vector<TarnPoint>& points) {
  json out = json::array();
  for (const TarnPoint& p : points) out.push_back(Point(p));
  return out;
}

// The style fields every stroked or filled record shares.
template <typename Record>
json Style(const Record& r, const Palette& palette) {
  return json{{"width", r.lineWidth},
              {"style", static_cast<int>(r.lineStyle)},
              {"fill", static_cast<int>(r.fillStyle)},
              {"line", ColorToJson(r.lineColor, palette)},
              {"fillColor", ColorToJson(r.fillColor, palette)}};
}

json Curves(const GraphDrawInfo& info, const Palette& palette) {
  json out = json::array();
  for (const CurveDrawInfo& c : info.curves) {
    json rec = Style(c, palette);
    json lines = json::array();
    for (const CurveLine& l : c.lines)
      lines.push_back(
          {{"points", Points(l.points.GetPoint())}, {"extendStart", l.extendStart}, {"extendEnd", l.extendEnd}});
    rec["items"] = std::move(lines);
    out.push_back(std::move(rec));
  }
  return out;
}

template <typename Record>
json PointLists(const std::vector<Record>& records, std::vector<TarnPointVec> Record::*items, const Palette& palette) {
  json out = json::array();
  for (const Record& r : records) {
    json rec = Style(r, palette);
    json lists = json::array();
    for (const TarnPointVec& v : r.*items) lists.push_back(Points(v.GetPoint()));
    rec["items"] = std::move(lists);
    out.push_back(std::move(rec));
  }
  return out;
}

json Rectangles(const GraphDrawInfo& info, const Palette& palette) {
  json out = json::array();
  for (const RectangleDrawInfo& r : info.rectangles) {
    json rec = Style(r, palette);
    rec["type"] = static_cast<int>(r.rectangleType);
    json corners = json::array();
    for (const RectangleCorners& c : r.corners) corners.push_back(json::array({Point(c.first), Point(c.second)}));
    rec["items"] = std::move(corners);
    out.push_back(std::move(rec));
  }
  return out;
}

json Crosses(const GraphDrawInfo& info, const Palette& palette) {
  json out = json::array();
  for (const CrossDrawInfo& c : info.crosses) {
    json items = json::array();
    for (const CrossItem& i : c.crosses) items.push_back({{"at", Point(i.center)}, {"size", i.size}});
    out.push_back({{"width", c.lineWidth},
                   {"style", static_cast<int>(c.lineStyle)},
                   {"line", ColorToJson(c.lineColor, palette)},
                   {"items", std::move(items)}});
  }
  return out;
}

json Texts(const GraphDrawInfo& info, const Palette& palette, TextCoding coding) {
  json out = json::array();
  for (const TextDrawInfo& t : info.texts) {
    json items = json::array();
    for (const TextItem& i : t.items) {
      json item{{"at", Point(i.position)}, {"text", coding == TextCoding::kGbk ? GbkToUtf8(i.text) : i.text}};
      if (i.linked) item["target"] = Point(i.linkTarget);
      items.push_back(std::move(item));
    }
    out.push_back({{"fontSize", t.fontSize},
                   {"fontStyle", t.fontStyle},
                   {"fontName", coding == TextCoding::kGbk ? GbkToUtf8(t.fontName) : t.fontName},
                   {"color", ColorToJson(t.textColor, palette)},
                   {"frame", ColorToJson(t.frameColor, palette)},
                   {"back", ColorToJson(t.backColor, palette)},
                   {"boxWidth", t.boxWidth},
                   {"align", t.alignment},
                   {"items", std::move(items)}});
  }
  return out;
}

json Icons(const GraphDrawInfo& info) {
  json out = json::array();
  for (const TDXIconDrawInfo& r : info.tdxIcons) {
    json items = json::array();
    for (const IconItem& i : r.icons) items.push_back({{"at", Point(i.position)}, {"value", i.value}});
    out.push_back({{"type", r.iconType}, {"items", std::move(items)}});
  }
  return out;
}

// Draw-order entries: record id * 100,000,000 + item, record id = kind * 10,000,000 + record.
json Order(const GraphDrawInfo& info) {
  json out = json::array();
  for (int64_t entry : info.drawOrder) {
    if (entry < 0) continue;
    const int64_t id = entry / 100000000;
    out.push_back(json::array({id / 10000000, id % 10000000, entry % 100000000}));
  }
  return out;
}

}  // namespace

json ColorToJson(const TarnColor& colour, const Palette& palette) {
  std::string css;
  double opacity = 1;
  if (!palette.Resolve(colour, &css, &opacity)) return nullptr;
  return json{{"css", css}, {"alpha", opacity}, {"palette", colour.useValue ? 0 : static_cast<int>(colour.colorId)}};
}

json DrawInfoToJson(const GraphDrawInfo& info, const Palette& palette, TextCoding coding) {
  return json{{"order", Order(info)},
              {"curves", Curves(info, palette)},
              {"beziers", PointLists(info.bezierCurves, &BezierCurveDrawInfo::curves, palette)},
              {"rectangles", Rectangles(info, palette)},
              {"ellipses", PointLists(info.elipses, &ElipseDrawInfo::elipses, palette)},
              {"crosses", Crosses(info, palette)},
              {"texts", Texts(info, palette, coding)},
              {"icons", Icons(info)}};
}

}  // namespace abacor_host
