#pragma once
// Drawing-tool factory: tools are created by type and released here; the
// process-wide hot-point radius lives here too.
#include <cstdint>

#include "abacor/export.h"

class ITarnGraphShapeBase;

// Every tool type. Values missing from this list create a line segment.
enum TARN_GRAPH_TYPE : int32_t {
  TARN_GRAPH_LINE_SEGMENT = 1,
  TARN_GRAPH_LINE_SEGMENT_HORIZONTAL = 2,
  TARN_GRAPH_LINE_SEGMENT_VERTICAL = 3,
  TARN_GRAPH_LINE_RAY = 4,
  TARN_GRAPH_LINE_STRAIGHT = 5,
  TARN_GRAPH_LINE_PARALLEL = 6,
  TARN_GRAPH_LINE_PERIOD = 7,
  TARN_GRAPH_LINE_AISLE = 8,
  TARN_GRAPH_LINE_STRAIGHT_HORIZONTAL = 9,
  TARN_GRAPH_SHAPE_TRIANGLE = 20,
  TARN_GRAPH_SHAPE_RETANGLE = 21,
  TARN_GRAPH_SHAPE_PARALLELOGRAM = 22,
  TARN_GRAPH_SHAPE_CIRCLE = 23,
  TARN_GRAPH_SHAPE_ELIPSE = 24,
  TARN_GRAPH_SHAPE_PARABOLA = 25,
  TARN_GRAPH_PATTERN_3 = 40,
  TARN_GRAPH_PATTERN_5 = 41,
  TARN_GRAPH_PATTERN_8 = 42,
  TARN_GRAPH_PATTERN_HEAD_SHOULDER = 43,
  TARN_GRAPH_PATTERN_MW = 44,
  TARN_GRAPH_PATTERN_ABCD = 45,
  TARN_GRAPH_PATTERN_XABCD = 46,
  TARN_GRAPH_PATTERN_TRIANGLE = 47,
  TARN_GRAPH_COMPLEX_SPEED_RESISTANCE = 60,
  TARN_GRAPH_COMPLEX_GANN_BOX = 61,
  TARN_GRAPH_COMPLEX_GANN_FAN = 62,
  TARN_GRAPH_COMPLEX_FIB_CHANNEL = 63,
  TARN_GRAPH_COMPLEX_DIGESTION_POINT = 64,
  TARN_GRAPH_COMPLEX_FIB_TIME_ZONE = 65,
  TARN_GRAPH_COMPLEX_GOLDEN_SECTION = 66,
  TARN_GRAPH_RANGE_DATE = 80,
  TARN_GRAPH_RANGE_PRICE = 81,
  TARN_GRAPH_RANGE_DATE_AND_PRICE = 82,
  TARN_GRAPH_ARROW = 100,
  TARN_GRAPH_RISE_ARROW = 101,
  TARN_GRAPH_DROP_ARROW = 102,
  TARN_GRAPH_TRIPLE_BOTTOM = 120,
  TARN_GRAPH_HORN_BOTTOM = 121,
  TARN_GRAPH_DOUBLE_BOTTOM = 122,
  TARN_GRAPH_HEAD_SHOULDER_BOTTOM = 123,
  TARN_GRAPH_BULLISH_SYMMETRICAL_TRIANGLE = 124,
  TARN_GRAPH_BULLISH_FLAG = 125,
  TARN_GRAPH_BULLISH_CONTINUOUS_DIAMOND = 126,
  TARN_GRAPH_BULLISH_CONTINUOUS_WEDGE = 127,
  TARN_GRAPH_BULLISH_CONTINUOUS_TRIANGLE = 128,
  TARN_GRAPH_ARC_BOTTOM = 129,
  TARN_GRAPH_TRIPLE_TOP = 150,
  TARN_GRAPH_HORN_TOP = 151,
  TARN_GRAPH_DOUBLE_TOP = 152,
  TARN_GRAPH_HEAD_SHOULDER_TOP = 153,
  TARN_GRAPH_BEARISH_SYMMETRICAL_TRIANGLE = 154,
  TARN_GRAPH_BEARISH_FLAG = 155,
  TARN_GRAPH_BEARISH_CONTINUOUS_DIAMOND = 156,
  TARN_GRAPH_BEARISH_CONTINUOUS_WEDGE = 157,
  TARN_GRAPH_BEARISH_CONTINUOUS_TRIANGLE = 158,
  TARN_GRAPH_ARC_TOP = 159,
  TARN_GRAPH_MARKER_TEXT = 1000,
  TARN_GRAPH_MARKER_PRICE = 1010,
};

class ABACOR_API TarnGraphInterface {
 public:
  TarnGraphInterface() = delete;

  // A new tool of the class of `type`; unknown values give a line segment.
  // Null only when memory runs out. The caller releases it below.
  static ITarnGraphShapeBase* CreateGraphShape(TARN_GRAPH_TYPE type);
  // Destroys a tool made by CreateGraphShape and nulls the caller's pointer;
  // null pointers and objects of other implementations are ignored (and
  // left as they are).
  static void ReleaseGraphShape(ITarnGraphShapeBase*& shape);
  static void ReleaseGraphShape(ITarnGraphShapeBase** shape);
  // The hot-point tolerance of every tool, in pixels (initially 5).
  static void SetHotPointRadius(int radius);
  static int GetHotPointRadius();
};
