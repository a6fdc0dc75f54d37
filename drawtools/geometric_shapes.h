#pragma once
// Outline shapes: triangle, rectangle, parallelogram, circle, ellipse and the
// parabola tool. They draw outlines only, in the tool's line style.
#include <vector>

#include "drawtools/line_tools.h"
#include "drawtools/shape_base.h"

// Closed polyline p0, p1, p2, p0.
class TarnGraphShapeTriangle : public TarnGraphShapeBase {
 public:
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_SHAPE_TRIANGLE; }
  unsigned GetPointCount() override { return 3; }

 protected:
  void BuildDrawInfo(std::vector<TarnDrawInfo::TarnPoint> points) override;
};

// Axis-aligned rectangle spanned by p0 and p1.
class TarnGraphShapeRetangle : public TarnGraphShapeBase {
 public:
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_SHAPE_RETANGLE; }
  unsigned GetPointCount() override { return 2; }

 protected:
  void BuildDrawInfo(std::vector<TarnDrawInfo::TarnPoint> points) override;
};

// p0, p1, p2 and the fourth corner that makes p2-P' parallel to p0-p1.
class TarnGraphShapeParallelogram : public TarnGraphShapeBase {
 public:
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_SHAPE_PARALLELOGRAM; }
  unsigned GetPointCount() override { return 3; }

 protected:
  void BuildDrawInfo(std::vector<TarnDrawInfo::TarnPoint> points) override;
};

// Circle on the horizontal diameter p0-p1 (p1 keeps p0's price).
class TarnGraphShapeCircle : public TarnGraphLineSegmentHorizontal {
 public:
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_SHAPE_CIRCLE; }
  unsigned GetPointCount() override { return 2; }

 protected:
  void BuildDrawInfo(std::vector<TarnDrawInfo::TarnPoint> points) override;
};

// Ellipse on the horizontal axis p0-p1; p2 on the centre line fixes the
// vertical semi-axis.
class TarnGraphShapeElipse : public TarnGraphShapeBase {
 public:
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_SHAPE_ELIPSE; }
  unsigned GetPointCount() override { return 3; }

 protected:
  void BuildDrawInfo(std::vector<TarnDrawInfo::TarnPoint> points) override;
  void ApplyConstraints() override;
};

// Three anchors, drawn as the rectangle spanned by the first two.
class TarnGraphShapeParabola : public TarnGraphShapeBase {
 public:
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_SHAPE_PARABOLA; }
  unsigned GetPointCount() override { return 3; }

 protected:
  void BuildDrawInfo(std::vector<TarnDrawInfo::TarnPoint> points) override;
};
