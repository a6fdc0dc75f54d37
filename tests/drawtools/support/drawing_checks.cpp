#include "support/drawing_checks.h"

#include <cmath>

using namespace TarnDrawInfo;

namespace {

bool Finite(const TarnPoint& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

bool Finite(const std::vector<TarnPoint>& points) {
  for (const TarnPoint& p : points) {
    if (!Finite(p)) return false;
  }
  return true;
}

bool Finite(const GraphDrawInfo& d) {
  for (const auto& r : d.curves) {
    for (const auto& l : r.lines) {
      if (!Finite(l.points.GetPoint())) return false;
    }
  }
  for (const auto& r : d.bezierCurves) {
    for (const auto& c : r.curves) {
      if (!Finite(c.GetPoint())) return false;
    }
  }
  for (const auto& r : d.elipses) {
    for (const auto& e : r.elipses) {
      if (!Finite(e.GetPoint())) return false;
    }
  }
  for (const auto& r : d.rectangles) {
    for (const auto& c : r.corners) {
      if (!Finite(c.first) || !Finite(c.second)) return false;
    }
  }
  for (const auto& r : d.texts) {
    for (const auto& t : r.items) {
      if (!Finite(t.position) || (t.linked && !Finite(t.linkTarget))) return false;
    }
  }
  return true;
}

}  // namespace

bool AllPointsFinite(const std::vector<GraphDrawInfo>& drawings) {
  for (const GraphDrawInfo& d : drawings) {
    if (!Finite(d)) return false;
  }
  return true;
}

std::vector<std::string> TextsOf(const TextDrawInfo& record) {
  std::vector<std::string> texts;
  for (const TextItem& item : record.items) texts.push_back(item.text);
  return texts;
}

size_t ItemCount(const GraphDrawInfo& d) {
  size_t n = 0;
  for (const auto& r : d.curves) n += r.lines.size();
  for (const auto& r : d.bezierCurves) n += r.curves.size();
  for (const auto& r : d.rectangles) n += r.corners.size();
  for (const auto& r : d.elipses) n += r.elipses.size();
  for (const auto& r : d.crosses) n += r.crosses.size();
  for (const auto& r : d.texts) n += r.items.size();
  for (const auto& r : d.tdxIcons) n += r.icons.size();
  return n;
}
