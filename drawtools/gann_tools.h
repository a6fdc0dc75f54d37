#pragma once
// Gann tools on two anchors: speed-resistance lines, the Gann box and the
// Gann fan.
#include <vector>

#include "drawtools/shape_base.h"

// A solid ray p0 through p1 and two dashed rays at 0.333 and 0.667 of its
// rise.
class TarnGraphComplexSpeedResistance : public TarnGraphShapeBase {
 public:
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_COMPLEX_SPEED_RESISTANCE; }
  unsigned GetPointCount() override { return 2; }

 protected:
  void BuildDrawInfo(std::vector<TarnDrawInfo::TarnPoint> points) override;
};

// The box spanned by p0 and p1 with its diagonals and dashed lines from two
// opposite corners to the quarter points of the far sides.
class TarnGraphComplexGannBox : public TarnGraphShapeBase {
 public:
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_COMPLEX_GANN_BOX; }
  unsigned GetPointCount() override { return 2; }

 protected:
  void BuildDrawInfo(std::vector<TarnDrawInfo::TarnPoint> points) override;
};

// Nine labelled rays from p0: through p1 ("1/1") and through the 1/8, 1/4,
// 1/3 and 1/2 points of the box's top side and right side.
class TarnGraphComplexGannFan : public TarnGraphShapeBase {
 public:
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_COMPLEX_GANN_FAN; }
  unsigned GetPointCount() override { return 2; }

 protected:
  void BuildDrawInfo(std::vector<TarnDrawInfo::TarnPoint> points) override;
};
