#pragma once
// Arrow tools: an arrow from tail to tip, and the short fixed-length rise and
// drop arrows at one point. ArrowHead is shared with the range tools.
#include <vector>

#include "drawtools/draw_info_builder.h"
#include "drawtools/shape_base.h"

// Adds to the curve record `id` two 10-pixel barbs at the tip b, 30 degrees
// either side of the shaft a-b, pointing back towards a. Adds nothing when a
// and b coincide or the coordinate object cannot convert them.
void ArrowHead(ITarnGraphCoordinate* coordinate, GraphDrawInfoBuilder& builder, int id,
               const TarnDrawInfo::TarnPoint& a, const TarnDrawInfo::TarnPoint& b);

// Tail p0, tip p1. The rise and drop arrows share this drawing and tell
// themselves apart by type.
class TarnGraphArrow : public TarnGraphShapeBase {
 public:
  // Length of the rise and drop arrows.
  static constexpr float kShortArrowPixels = 20.0f;
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_ARROW; }
  unsigned GetPointCount() override { return 2; }

 protected:
  void BuildDrawInfo(std::vector<TarnDrawInfo::TarnPoint> points) override;
};

// Points up from its single point.
class TarnGraphRiseArrow : public TarnGraphArrow {
 public:
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_RISE_ARROW; }
  unsigned GetPointCount() override { return 1; }
};

// Points down at its single point.
class TarnGraphDropArrow : public TarnGraphArrow {
 public:
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_DROP_ARROW; }
  unsigned GetPointCount() override { return 1; }
};
