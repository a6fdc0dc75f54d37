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

// The bottoms differ only in type, point count and guide shape.
class TarnGraphTripleBottom : public TarnGraphShapeBase {
 public:
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_TRIPLE_BOTTOM; }
  unsigned GetPointCount() override { return 7; }

 protected:
  void BuildDrawInfo(std::vector<TarnDrawInfo::TarnPoint> points) override;
};

class TarnGraphHornBottom : public TarnGraphShapeBase {
 public:
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_HORN_BOTTOM; }
  unsigned GetPointCount() override { return 7; }

 protected:
  void BuildDrawInfo(std::vector<TarnDrawInfo::TarnPoint> points) override;
};

class TarnGraphDoubleBottom : public TarnGraphShapeBase {
 public:
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_DOUBLE_BOTTOM; }
  unsigned GetPointCount() override { return 5; }

 protected:
  void BuildDrawInfo(std::vector<TarnDrawInfo::TarnPoint> points) override;
};

class TarnGraphHeadShoulderBottom : public TarnGraphShapeBase {
 public:
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_HEAD_SHOULDER_BOTTOM; }
  unsigned GetPointCount() override { return 7; }

 protected:
  void BuildDrawInfo(std::vector<TarnDrawInfo::TarnPoint> points) override;
};

class TarnGraphBullishSymmetricalTriangle : public TarnGraphShapeBase {
 public:
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_BULLISH_SYMMETRICAL_TRIANGLE; }
  unsigned GetPointCount() override { return 7; }

 protected:
  void BuildDrawInfo(std::vector<TarnDrawInfo::TarnPoint> points) override;
};

class TarnGraphBullishFlag : public TarnGraphShapeBase {
 public:
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_BULLISH_FLAG; }
  unsigned GetPointCount() override { return 6; }

 protected:
  void BuildDrawInfo(std::vector<TarnDrawInfo::TarnPoint> points) override;
};

class TarnGraphBullishContinuousDiamond : public TarnGraphShapeBase {
 public:
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_BULLISH_CONTINUOUS_DIAMOND; }
  unsigned GetPointCount() override { return 9; }

 protected:
  void BuildDrawInfo(std::vector<TarnDrawInfo::TarnPoint> points) override;
};

class TarnGraphBullishContinuousWedge : public TarnGraphShapeBase {
 public:
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_BULLISH_CONTINUOUS_WEDGE; }
  unsigned GetPointCount() override { return 5; }

 protected:
  void BuildDrawInfo(std::vector<TarnDrawInfo::TarnPoint> points) override;
};

class TarnGraphBullishContinuousTriangle : public TarnGraphShapeBase {
 public:
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_BULLISH_CONTINUOUS_TRIANGLE; }
  unsigned GetPointCount() override { return 5; }

 protected:
  void BuildDrawInfo(std::vector<TarnDrawInfo::TarnPoint> points) override;
};

// Start p0, end p1, control p2.
class TarnGraphArcBottom : public TarnGraphShapeBase {
 public:
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_ARC_BOTTOM; }
  unsigned GetPointCount() override { return 3; }

 protected:
  void BuildDrawInfo(std::vector<TarnDrawInfo::TarnPoint> points) override;
};

// The tops: their bottom's drawing under their own type value.
class TarnGraphTripleTop : public TarnGraphTripleBottom {
 public:
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_TRIPLE_TOP; }
};

class TarnGraphHornTop : public TarnGraphHornBottom {
 public:
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_HORN_TOP; }
};

class TarnGraphDoubleTop : public TarnGraphDoubleBottom {
 public:
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_DOUBLE_TOP; }
};

class TarnGraphHeadShoulderTop : public TarnGraphHeadShoulderBottom {
 public:
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_HEAD_SHOULDER_TOP; }
};

class TarnGraphBearishSymmetricalTriangle : public TarnGraphBullishSymmetricalTriangle {
 public:
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_BEARISH_SYMMETRICAL_TRIANGLE; }
};

class TarnGraphBearishFlag : public TarnGraphBullishFlag {
 public:
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_BEARISH_FLAG; }
};

class TarnGraphBearishContinuousDiamond : public TarnGraphBullishContinuousDiamond {
 public:
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_BEARISH_CONTINUOUS_DIAMOND; }
};

class TarnGraphBearishContinuousWedge : public TarnGraphBullishContinuousWedge {
 public:
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_BEARISH_CONTINUOUS_WEDGE; }
};

class TarnGraphBearishContinuousTriangle : public TarnGraphBullishContinuousTriangle {
 public:
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_BEARISH_CONTINUOUS_TRIANGLE; }
};

class TarnGraphArcTop : public TarnGraphArcBottom {
 public:
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_ARC_TOP; }
};
