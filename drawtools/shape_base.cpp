#include "drawtools/shape_base.h"

#include <cmath>

#include "abacor/graph_interface.h"
#include "drawtools/geometry.h"

using TarnDrawInfo::TarnPoint;

namespace {

const std::string kEmptyString;

// A point the host handed us is usable only when its coordinates are finite.
bool IsFinite(const TarnGraphPoint& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

bool AllFinite(const std::vector<TarnPoint>& points) {
  for (const auto& p : points) {
    if (!std::isfinite(p.x) || !std::isfinite(p.y)) return false;
  }
  return true;
}

// Whether every point of every item of a drawing is finite.
bool IsFiniteDrawing(const TarnDrawInfo::GraphDrawInfo& g) {
  for (const auto& c : g.curves) {
    for (const auto& l : c.lines) {
      if (!AllFinite(l.points.GetPoint())) return false;
    }
  }
  for (const auto& b : g.bezierCurves) {
    for (const auto& v : b.curves) {
      if (!AllFinite(v.GetPoint())) return false;
    }
  }
  for (const auto& r : g.rectangles) {
    for (const auto& c : r.corners) {
      if (!AllFinite({c.first, c.second})) return false;
    }
  }
  for (const auto& e : g.elipses) {
    for (const auto& v : e.elipses) {
      if (!AllFinite(v.GetPoint())) return false;
    }
  }
  for (const auto& c : g.crosses) {
    for (const auto& i : c.crosses) {
      if (!AllFinite({i.center})) return false;
    }
  }
  for (const auto& t : g.texts) {
    for (const auto& i : t.items) {
      if (!AllFinite({i.position, i.linkTarget})) return false;
    }
  }
  for (const auto& t : g.tdxIcons) {
    for (const auto& i : t.icons) {
      if (!AllFinite({i.position})) return false;
    }
  }
  return true;
}

}  // namespace

void TarnGraphShapeBase::SetLineWidth(int width) {
  lineWidth = width;
  dirty = true;
}

void TarnGraphShapeBase::SetLineStyle(int style) {
  lineStyle = style;
  dirty = true;
}

void TarnGraphShapeBase::SetLineColor(TarnDrawInfo::TarnColor color) {
  lineColor = color;
  dirty = true;
}

void TarnGraphShapeBase::SetFillColor(TarnDrawInfo::TarnColor color) {
  fillColor = color;
  dirty = true;
}

void TarnGraphShapeBase::SetTextBoxColor(TarnDrawInfo::TarnColor color) {
  textBoxColor = color;
  dirty = true;
}

bool TarnGraphShapeBase::SetPoints(const std::vector<TarnGraphPoint>& points) {
  try {
    anchors = points;
  } catch (...) {
    return false;
  }
  dirty = true;
  if (coordinate) ApplyConstraints();
  return true;
}

// Only the bottom (120-129) and top (150-159) patterns take extra points,
// and only in pairs.
bool TarnGraphShapeBase::SetExtraPoints(const std::vector<TarnGraphPoint>& points) {
  if (points.empty() || points.size() % 2 != 0) return false;
  const int type = GetGraphType();
  const bool bottom = type >= 120 && type <= 129;
  const bool top = type >= 150 && type <= 159;
  if (!bottom && !top) return false;
  try {
    extraPoints = points;
  } catch (...) {
    return false;
  }
  dirty = true;
  return true;
}

void TarnGraphShapeBase::SetCoordinate(ITarnGraphCoordinate* coord) {
  coordinate = coord;
  dirty = true;
}

// The tool's style setting swaps 2 and 3 relative to the renderer's codes.
TarnDrawInfo::LINE_STYLE TarnGraphShapeBase::GetDrawLineStyle() {
  switch (lineStyle) {
    case 0: return TarnDrawInfo::LINE_STYLE_DEFAULT;
    case 2: return TarnDrawInfo::LINE_STYLE_DOT;
    case 3: return TarnDrawInfo::LINE_STYLE_DASH;
    case 4: return TarnDrawInfo::LINE_STYLE_DASH_DOT;
    case 5: return TarnDrawInfo::LINE_STYLE_DASH_DOT_DOT;
    default: return TarnDrawInfo::LINE_STYLE_SOLID;
  }
}

const std::string& TarnGraphShapeBase::GetText() { return kEmptyString; }

const std::string& TarnGraphShapeBase::GetFontName() { return kEmptyString; }

void TarnGraphShapeBase::GetPoints(std::vector<TarnGraphPoint>& points) {
  try {
    points = anchors;
  } catch (...) {
    points.clear();
  }
}

// The anchors, then the mouse point while the tool is still being placed.
void TarnGraphShapeBase::GetDrawPoints(std::vector<TarnPoint>& points) {
  try {
    points.clear();
    for (const auto& a : anchors) points.push_back(TarnPoint{a.x, a.y});
    if (!IsComplete()) points.push_back(TarnPoint{currentPoint.x, currentPoint.y});
  } catch (...) {
    points.clear();
  }
}

// First anchor inside the square of the hot-point radius around the mouse.
bool TarnGraphShapeBase::HitHotPoint(float px, float py, int* index) {
  int found = -1;
  const float r = static_cast<float>(TarnGraphInterface::GetHotPointRadius());
  for (size_t i = 0; i < anchors.size(); ++i) {
    float ax = 0.0f;
    float ay = 0.0f;
    if (!TarnGeometry::ToPixels(coordinate, anchors[i].x, anchors[i].y, &ax, &ay)) continue;
    if (std::fabs(ax - px) < r && std::fabs(ay - py) < r) {
      found = static_cast<int>(i);
      break;
    }
  }
  if (index) *index = found;
  return found >= 0;
}

const std::vector<TarnDrawInfo::GraphDrawInfo>& TarnGraphShapeBase::GetDrawInfo() {
  if (!dirty) return drawings;
  try {
    if (!BuildDrawings()) drawings.clear();
  } catch (...) {
    drawings.clear();
  }
  return drawings;
}

// Rebuilds when every draw point is placed; otherwise stays dirty and empty.
bool TarnGraphShapeBase::BuildDrawings() {
  drawings.clear();
  std::vector<TarnPoint> points;
  GetDrawPoints(points);
  if (GetPointCount() != 1 && points.size() < 2) return false;
  for (const auto& p : points) {
    if (!TarnGeometry::IsDrawable(p)) return false;
  }
  BuildDrawInfo(points);
  dirty = false;
  // Arithmetic on extreme anchors can overflow: such a drawing is dropped.
  for (const auto& g : drawings) {
    if (!IsFiniteDrawing(g)) {
      drawings.clear();
      break;
    }
  }
  return true;
}

bool TarnGraphShapeBase::OnAddPoint(float px, float py) {
  if (IsComplete()) {
    HitHotPoint(px, py, &selectedHotPoint);
    return true;
  }
  selectedHotPoint = -1;
  TarnGraphPoint p{-1.0f, 0.0, 0};
  if (ComputePoint(px, py, static_cast<int>(anchors.size()), &p)) {
    currentPoint = p;
    dirty = true;
    // The point placed is the one the preview showed (snapped, constrained).
    ApplyConstraints();
    try {
      anchors.push_back(currentPoint);
    } catch (...) {
      return false;
    }
    ApplyConstraints();
  }
  return IsComplete();
}

void TarnGraphShapeBase::OnPreviewPoint(float px, float py) {
  if (IsComplete()) return;
  TarnGraphPoint p{-1.0f, 0.0, 0};
  if (!ComputePoint(px, py, static_cast<int>(anchors.size()), &p)) return;
  currentPoint = p;
  dirty = true;
  ApplyConstraints();
}

bool TarnGraphShapeBase::OnDrag(float fromX, float fromY, float toX, float toY) {
  TarnGraphPoint* anchor = SelectedAnchor();
  if (!anchor) return MoveWholeTool(toX - fromX, toY - fromY);
  TarnGraphPoint p = *anchor;
  if (!ComputePoint(toX, toY, selectedHotPoint, &p)) return false;
  *anchor = p;
  ApplyConstraints();
  dirty = true;
  return true;
}

// Moves every anchor by the same pixel offset, or none of them.
bool TarnGraphShapeBase::MoveWholeTool(float dx, float dy) {
  if (anchors.empty()) return false;
  std::vector<TarnGraphPoint> moved;
  try {
    moved.reserve(anchors.size());
  } catch (...) {
    return false;
  }
  for (const auto& a : anchors) {
    float px = 0.0f;
    float py = 0.0f;
    if (!TarnGeometry::ToPixels(coordinate, a.x, a.y, &px, &py)) return false;
    TarnGraphPoint p = a;
    if (!PixelToGraphPoint(px + dx, py + dy, &p) || !IsFinite(p)) return false;
    moved.push_back(p);
  }
  return SetPoints(moved);
}

bool TarnGraphShapeBase::PixelToGraphPoint(float px, float py, TarnGraphPoint* point) {
  if (!coordinate || !point) return false;
  if (!TarnGeometry::PixelToBar(coordinate, px, &point->x)) return false;
  if (!TarnGeometry::PixelToPrice(coordinate, py, &point->y)) return false;
  return TarnGeometry::BarToTime(coordinate, point->x, &point->time);
}

void TarnGraphShapeBase::RemoveDuplicatePoints(std::vector<TarnPoint>& points) {
  std::vector<TarnPoint> kept;
  kept.reserve(points.size());
  for (const auto& p : points) {
    bool seen = false;
    for (const auto& k : kept) {
      if (k.x == p.x && k.y == p.y) {
        seen = true;
        break;
      }
    }
    if (!seen) kept.push_back(p);
  }
  points.swap(kept);
}

bool TarnGraphShapeBase::ComputePoint(float px, float py, int pointIndex, TarnGraphPoint* point) {
  TarnGraphPoint snapped = *point;
  if (coordinate && coordinate->SnapPoint(px, py, GetGraphType(), pointIndex, &snapped) && IsFinite(snapped)) {
    *point = snapped;
    return true;
  }
  TarnGraphPoint converted = *point;
  if (!PixelToGraphPoint(px, py, &converted)) return false;
  *point = converted;
  return true;
}

TarnGraphPoint* TarnGraphShapeBase::SelectedAnchor() {
  if (selectedHotPoint < 0 || static_cast<size_t>(selectedHotPoint) >= anchors.size()) return nullptr;
  return &anchors[static_cast<size_t>(selectedHotPoint)];
}

// Target relative to the last other anchor that gives one; with none the
// moving point stays where it is.
void TarnGraphShapeBase::SnapAngle() {
  TarnGraphPoint* moving = SelectedAnchor();
  const int skip = moving ? selectedHotPoint : -1;
  if (!moving) moving = &currentPoint;
  float mx = 0.0f;
  float my = 0.0f;
  if (!TarnGeometry::ToPixels(coordinate, moving->x, moving->y, &mx, &my)) return;
  bool found = false;
  float tx = 0.0f;
  float ty = 0.0f;
  for (size_t i = 0; i < anchors.size(); ++i) {
    if (static_cast<int>(i) == skip) continue;
    float ox = 0.0f;
    float oy = 0.0f;
    if (!TarnGeometry::ToPixels(coordinate, anchors[i].x, anchors[i].y, &ox, &oy)) continue;
    if (TarnGeometry::SnapToAngle(mx, my, ox, oy, &tx, &ty)) found = true;
  }
  if (!found) return;
  double y = 0.0;
  float x = 0.0f;
  if (!TarnGeometry::PixelToPrice(coordinate, ty, &y) || !TarnGeometry::PixelToBar(coordinate, tx, &x)) return;
  moving->x = x;
  moving->y = y;
}

TarnDrawInfo::CurveDrawInfo TarnGraphShapeBase::MainCurve() {
  return TarnDrawInfo::GetCurve(GetLineColor(), static_cast<float>(GetLineWidth()), GetDrawLineStyle());
}

void TarnGraphShapeBase::RoundToWholeBars() {
  for (auto& a : anchors) a.x = TarnGeometry::RoundToWholeBar(a.x);
  currentPoint.x = TarnGeometry::RoundToWholeBar(currentPoint.x);
}
