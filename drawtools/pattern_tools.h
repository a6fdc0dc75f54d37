#pragma once
// Pattern tools traced point by point: wave polylines, the harmonic ABCD and
// XABCD patterns, head and shoulders and the converging triangle.
#include <vector>

#include "drawtools/line_tools.h"
#include "drawtools/shape_base.h"

// Wave counts: a polyline through all points, snapped like a segment.
class TarnGraphPattern3 : public TarnGraphLineSegment {
 public:
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_PATTERN_3; }
  unsigned GetPointCount() override { return 4; }
};

class TarnGraphPattern5 : public TarnGraphLineSegment {
 public:
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_PATTERN_5; }
  unsigned GetPointCount() override { return 6; }
};

class TarnGraphPattern8 : public TarnGraphLineSegment {
 public:
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_PATTERN_8; }
  unsigned GetPointCount() override { return 9; }
};

class TarnGraphPatternMW : public TarnGraphLineSegment {
 public:
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_PATTERN_MW; }
  unsigned GetPointCount() override { return 5; }
};

// A, B, C, D with the dashed A-C and B-D and their retracement ratios.
class TarnGraphPatternABCD : public TarnGraphLineSegment {
 public:
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_PATTERN_ABCD; }
  unsigned GetPointCount() override { return 4; }

 protected:
  void BuildDrawInfo(std::vector<TarnDrawInfo::TarnPoint> points) override;
};

// X, A, B, C, D with the shaded XAB and BCD triangles and four ratios.
class TarnGraphPatternXABCD : public TarnGraphLineSegment {
 public:
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_PATTERN_XABCD; }
  unsigned GetPointCount() override { return 5; }

 protected:
  void BuildDrawInfo(std::vector<TarnDrawInfo::TarnPoint> points) override;
};

// Start, left shoulder, neckline point, head, neckline point, right
// shoulder, end: the neckline and the shaded head and shoulders.
class TarnGraphPatternHeadShoulder : public TarnGraphShapeBase {
 public:
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_PATTERN_HEAD_SHOULDER; }
  unsigned GetPointCount() override { return 7; }

 protected:
  void BuildDrawInfo(std::vector<TarnDrawInfo::TarnPoint> points) override;
};

// Upper trend line A-C and lower trend line B-D, shaded from the anchor
// farthest from their apex to the apex.
class TarnGraphPatternTriangle : public TarnGraphShapeBase {
 public:
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_PATTERN_TRIANGLE; }
  unsigned GetPointCount() override { return 4; }

 protected:
  void BuildDrawInfo(std::vector<TarnDrawInfo::TarnPoint> points) override;
};

// |numerator / denominator| of two price differences as a label text.
std::string PatternRatioText(double numerator, double denominator);
