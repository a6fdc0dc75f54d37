#pragma once
// Line tools: segments, rays, infinite lines, parallels, channel and period
// lines. Each draws one GraphDrawInfo with one curve record.
#include <vector>

#include "drawtools/shape_base.h"

// Segment p0-p1; snaps its direction while angle snapping is on.
class TarnGraphLineSegment : public TarnGraphShapeBase {
 public:
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_LINE_SEGMENT; }
  unsigned GetPointCount() override { return 2; }

 protected:
  void BuildDrawInfo(std::vector<TarnDrawInfo::TarnPoint> points) override;
  void ApplyConstraints() override;
  // Keeps p1 and the mouse point at p0's price.
  void KeepAtFirstPrice();
};

// Segment whose second point keeps the price of the first.
class TarnGraphLineSegmentHorizontal : public TarnGraphLineSegment {
 public:
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_LINE_SEGMENT_HORIZONTAL; }

 protected:
  void ApplyConstraints() override { KeepAtFirstPrice(); }
};

// Segment whose second point keeps the bar position and time of the first.
class TarnGraphLineSegmentVertical : public TarnGraphLineSegment {
 public:
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_LINE_SEGMENT_VERTICAL; }

 protected:
  void ApplyConstraints() override;
};

// Ray from p0 through p1.
class TarnGraphLineRay : public TarnGraphShapeBase {
 public:
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_LINE_RAY; }
  unsigned GetPointCount() override { return 2; }

 protected:
  void BuildDrawInfo(std::vector<TarnDrawInfo::TarnPoint> points) override;
  void ApplyConstraints() override;
};

// Infinite line through p0 and p1.
class TarnGraphLineStraight : public TarnGraphShapeBase {
 public:
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_LINE_STRAIGHT; }
  unsigned GetPointCount() override { return 2; }

 protected:
  void BuildDrawInfo(std::vector<TarnDrawInfo::TarnPoint> points) override;
  void ApplyConstraints() override;
};

// Infinite horizontal line through its single point.
class TarnGraphLineStraightHorizontal : public TarnGraphLineStraight {
 public:
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_LINE_STRAIGHT_HORIZONTAL; }
  unsigned GetPointCount() override { return 1; }
};

// Infinite line through p0, p1 and its parallel through p2.
class TarnGraphLineParallel : public TarnGraphShapeBase {
 public:
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_LINE_PARALLEL; }
  unsigned GetPointCount() override { return 3; }

 protected:
  void BuildDrawInfo(std::vector<TarnDrawInfo::TarnPoint> points) override;
};

// Three equidistant parallels: p0-p1, the one through p2, and the first
// reflected through the parallel point.
class TarnGraphLineAisle : public TarnGraphShapeBase {
 public:
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_LINE_AISLE; }
  unsigned GetPointCount() override { return 3; }

 protected:
  void BuildDrawInfo(std::vector<TarnDrawInfo::TarnPoint> points) override;
};

// Twenty vertical lines spaced by the distance p0-p1, on whole bars.
class TarnGraphLinePeriod : public TarnGraphShapeBase {
 public:
  static constexpr int kLineCount = 20;
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_LINE_PERIOD; }
  unsigned GetPointCount() override { return 2; }

 protected:
  void BuildDrawInfo(std::vector<TarnDrawInfo::TarnPoint> points) override;
  void ApplyConstraints() override { RoundToWholeBars(); }
};
