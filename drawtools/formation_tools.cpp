// Top and bottom formations with the host's guide lines.
#include "drawtools/formation_tools.h"

#include <array>
#include <cmath>
#include <new>

#include "drawtools/catalogue.h"
#include "drawtools/draw_info_builder.h"
#include "drawtools/tool_records.h"

using namespace TarnDrawInfo;

namespace {

// The guides reach this share of the formation's width beyond both ends.
constexpr float kGuideOverhang = 0.1f;

struct GuideExtent {
  float left = 0.0f;
  float right = 0.0f;
};

GuideExtent ExtentOf(float first, float last) {
  const float w = std::fabs(first - last);
  return GuideExtent{first - kGuideOverhang * w, last + kGuideOverhang * w};
}

TarnPoint ChartPoint(const TarnGraphPoint& p) { return TarnPoint{p.x, p.y}; }

// The price of the line a-b at bar position x; false for a vertical line,
// which cannot be cut to the formation's width.
bool PriceOnLine(const TarnGraphPoint& a, const TarnGraphPoint& b, float x, double* price) {
  if (a.x == b.x) return false;
  const double slope = (a.y - b.y) / (a.x - b.x);
  *price = a.y + (x - a.x) * slope;
  return std::isfinite(*price);
}

void AddLevelGuides(GraphDrawInfoBuilder& builder, int id, const GuideExtent& e,
                    const std::vector<TarnGraphPoint>& extra) {
  for (size_t i = 0; i + 1 < extra.size(); i += 2) {
    builder.AddCurveLine(id, {TarnPoint{e.left, extra[i].y}, TarnPoint{e.right, extra[i].y}}, false, false);
  }
}

void AddSlopedGuides(GraphDrawInfoBuilder& builder, int id, const GuideExtent& e,
                     const std::vector<TarnGraphPoint>& extra) {
  for (size_t i = 0; i + 1 < extra.size(); i += 2) {
    double left = 0.0;
    double right = 0.0;
    if (!PriceOnLine(extra[i], extra[i + 1], e.left, &left) || !PriceOnLine(extra[i], extra[i + 1], e.right, &right)) {
      continue;
    }
    builder.AddCurveLine(id, {TarnPoint{e.left, left}, TarnPoint{e.right, right}}, false, false);
  }
}

// Groups of four; a trailing group of two has no second line and is ignored.
void AddBentGuides(GraphDrawInfoBuilder& builder, int id, const GuideExtent& e,
                   const std::vector<TarnGraphPoint>& extra) {
  for (size_t i = 0; i + 3 < extra.size(); i += 4) {
    double left = 0.0;
    double right = 0.0;
    if (!PriceOnLine(extra[i], extra[i + 1], e.left, &left) ||
        !PriceOnLine(extra[i + 2], extra[i + 3], e.right, &right)) {
      continue;
    }
    builder.AddCurveLine(id, {TarnPoint{e.left, left}, ChartPoint(extra[i + 1]), TarnPoint{e.right, right}}, false,
                         false);
  }
}

void AddGuides(GraphDrawInfoBuilder& builder, FormationGuides guides, const GuideExtent& e,
               const std::vector<TarnGraphPoint>& extra) {
  const int id = builder.AddCurve(TarnToolRecords::GuideCurve());
  switch (guides) {
    case FormationGuides::kLevel: AddLevelGuides(builder, id, e, extra); break;
    case FormationGuides::kSloped: AddSlopedGuides(builder, id, e, extra); break;
    case FormationGuides::kBent: AddBentGuides(builder, id, e, extra); break;
  }
}

}  // namespace

GraphDrawInfo FormationDrawing(FormationGuides guides, const std::vector<TarnPoint>& points,
                               const std::vector<TarnGraphPoint>& extra, const CurveDrawInfo& curve) {
  GraphDrawInfo info;
  if (points.empty()) return info;
  GraphDrawInfoBuilder builder(&info);
  const int main = builder.AddCurve(curve);
  builder.AddCurveLine(main, points, false, false);
  AddGuides(builder, guides, ExtentOf(points.front().x, points.back().x), extra);
  return info;
}

GraphDrawInfo ArcDrawing(const std::vector<TarnPoint>& points, const std::vector<TarnGraphPoint>& extra,
                         const BezierCurveDrawInfo& curve) {
  GraphDrawInfo info;
  if (points.size() < 3) return info;
  GraphDrawInfoBuilder builder(&info);
  const int arc = builder.AddBezierCurve(curve);
  builder.AddBezierLine(arc, {points[0], points[2], points[1]});
  AddGuides(builder, FormationGuides::kLevel, ExtentOf(points[0].x, points[1].x), extra);
  return info;
}

namespace {

// A bottom, its top and the shape of their guides.
struct FormationRow {
  TARN_GRAPH_TYPE bottom;
  TARN_GRAPH_TYPE top;
  FormationGuides guides;
};

constexpr size_t kFormationCount = 9;
constexpr std::array<FormationRow, kFormationCount> kFormations = {{
    {TARN_GRAPH_TRIPLE_BOTTOM, TARN_GRAPH_TRIPLE_TOP, FormationGuides::kLevel},
    {TARN_GRAPH_HORN_BOTTOM, TARN_GRAPH_HORN_TOP, FormationGuides::kSloped},
    {TARN_GRAPH_DOUBLE_BOTTOM, TARN_GRAPH_DOUBLE_TOP, FormationGuides::kLevel},
    {TARN_GRAPH_HEAD_SHOULDER_BOTTOM, TARN_GRAPH_HEAD_SHOULDER_TOP, FormationGuides::kLevel},
    {TARN_GRAPH_BULLISH_SYMMETRICAL_TRIANGLE, TARN_GRAPH_BEARISH_SYMMETRICAL_TRIANGLE, FormationGuides::kSloped},
    {TARN_GRAPH_BULLISH_FLAG, TARN_GRAPH_BEARISH_FLAG, FormationGuides::kSloped},
    {TARN_GRAPH_BULLISH_CONTINUOUS_DIAMOND, TARN_GRAPH_BEARISH_CONTINUOUS_DIAMOND, FormationGuides::kBent},
    {TARN_GRAPH_BULLISH_CONTINUOUS_WEDGE, TARN_GRAPH_BEARISH_CONTINUOUS_WEDGE, FormationGuides::kSloped},
    {TARN_GRAPH_BULLISH_CONTINUOUS_TRIANGLE, TARN_GRAPH_BEARISH_CONTINUOUS_TRIANGLE, FormationGuides::kSloped},
}};
static_assert(kFormations.size() == kFormationCount, "one row per bottom");

const FormationRow* FindFormation(TARN_GRAPH_TYPE type) {
  for (const FormationRow& row : kFormations) {
    if (row.bottom == type || row.top == type) return &row;
  }
  return nullptr;
}

}  // namespace

ITarnGraphShapeBase* NewFormation(TARN_GRAPH_TYPE type) {
  const FormationRow* formation = FindFormation(type);
  const GraphCatalogueRow* row = FindGraphCatalogueRow(type);
  if (!formation || !row) return nullptr;
  return new (std::nothrow) TarnGraphFormation(type, row->points, formation->guides);
}

void TarnGraphFormation::BuildDrawInfo(std::vector<TarnPoint> points) {
  if (points.size() != GetPointCount()) return;
  drawings.push_back(FormationDrawing(guides_, points, extraPoints, TarnToolRecords::ToolCurve(*this)));
}

void TarnGraphArcBottom::BuildDrawInfo(std::vector<TarnPoint> points) {
  if (points.size() != GetPointCount()) return;
  const BezierCurveDrawInfo curve =
      GetBezierCurve(GetLineColor(), static_cast<float>(GetLineWidth()), GetDrawLineStyle());
  drawings.push_back(ArcDrawing(points, extraPoints, curve));
}
