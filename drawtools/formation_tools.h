#pragma once
// Top and bottom formations: double and triple tops and bottoms, head and
// shoulders, flags, wedges, triangles, diamonds, horns and arcs. Each draws
// only when complete, with grey guide lines through the pairs of extra
// points the host supplies. A top draws exactly like its bottom.
#include <vector>

#include "drawtools/shape_base.h"

// How the pairs of extra points become guide lines.
enum class FormationGuides {
  kLevel,   // horizontal through the first point of each pair
  kSloped,  // through both points of each pair
  kBent,    // groups of four: from line e0-e1 through e1 to line e2-e3
};

// The drawing of a complete formation: the polyline through `points` in the
// tool's curve record, then the guides cut to 10 % beyond the formation's
// width on both sides.
TarnDrawInfo::GraphDrawInfo FormationDrawing(FormationGuides guides, const std::vector<TarnDrawInfo::TarnPoint>& points,
                                             const std::vector<TarnGraphPoint>& extra,
                                             const TarnDrawInfo::CurveDrawInfo& curve);
// The drawing of a complete arc: the quadratic Bezier p0, p2 (control), p1
// and level guides across the width p0-p1.
TarnDrawInfo::GraphDrawInfo ArcDrawing(const std::vector<TarnDrawInfo::TarnPoint>& points,
                                       const std::vector<TarnGraphPoint>& extra,
                                       const TarnDrawInfo::BezierCurveDrawInfo& curve);

// A top or bottom formation drawn as a polyline with guides of one shape.
// Its type value picks its point count (from the tool catalogue) and its
// guides; a top has the point count and guides of its bottom.
class TarnGraphFormation : public TarnGraphShapeBase {
 public:
  TarnGraphFormation(TARN_GRAPH_TYPE type, unsigned pointCount, FormationGuides guides)
      : type_(type), pointCount_(pointCount), guides_(guides) {}
  TARN_GRAPH_TYPE GetGraphType() override { return type_; }
  unsigned GetPointCount() override { return pointCount_; }

 protected:
  void BuildDrawInfo(std::vector<TarnDrawInfo::TarnPoint> points) override;

 private:
  TARN_GRAPH_TYPE type_;
  unsigned pointCount_;
  FormationGuides guides_;
};

// The formation of `type`; null for a type that is no polyline formation or
// when memory runs out.
ITarnGraphShapeBase* NewFormation(TARN_GRAPH_TYPE type);

// Catalogue creator of the formation of type `kType`.
template <TARN_GRAPH_TYPE kType>
ITarnGraphShapeBase* CreateFormation() {
  return NewFormation(kType);
}

// Start p0, end p1, control p2.
class TarnGraphArcBottom : public TarnGraphShapeBase {
 public:
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_ARC_BOTTOM; }
  unsigned GetPointCount() override { return 3; }

 protected:
  void BuildDrawInfo(std::vector<TarnDrawInfo::TarnPoint> points) override;
};

// The arc top: the arc bottom's drawing under its own type value.
class TarnGraphArcTop : public TarnGraphArcBottom {
 public:
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_ARC_TOP; }
};
