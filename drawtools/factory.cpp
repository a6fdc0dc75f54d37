// The tool factory. Any value missing from the catalogue makes a line
// segment.
#include <algorithm>
#include <array>

#include "abacor/graph_interface.h"
#include "drawtools/arrow_tools.h"
#include "drawtools/catalogue.h"
#include "drawtools/fibonacci_tools.h"
#include "drawtools/formation_tools.h"
#include "drawtools/gann_tools.h"
#include "drawtools/geometric_shapes.h"
#include "drawtools/line_tools.h"
#include "drawtools/marker_tools.h"
#include "drawtools/pattern_tools.h"
#include "drawtools/range_tools.h"
#include "drawtools/shape_base.h"

namespace {

constexpr size_t kCatalogueSize = 58;

// type, class, anchor points, creator.
constexpr std::array<GraphCatalogueRow, kCatalogueSize> kCatalogue = {{
    {TARN_GRAPH_LINE_SEGMENT, "TarnGraphLineSegment", 2, &CreateTool<TarnGraphLineSegment>},
    {TARN_GRAPH_LINE_SEGMENT_HORIZONTAL, "TarnGraphLineSegmentHorizontal", 2,
     &CreateTool<TarnGraphLineSegmentHorizontal>},
    {TARN_GRAPH_LINE_SEGMENT_VERTICAL, "TarnGraphLineSegmentVertical", 2, &CreateTool<TarnGraphLineSegmentVertical>},
    {TARN_GRAPH_LINE_RAY, "TarnGraphLineRay", 2, &CreateTool<TarnGraphLineRay>},
    {TARN_GRAPH_LINE_STRAIGHT, "TarnGraphLineStraight", 2, &CreateTool<TarnGraphLineStraight>},
    {TARN_GRAPH_LINE_PARALLEL, "TarnGraphLineParallel", 3, &CreateTool<TarnGraphLineParallel>},
    {TARN_GRAPH_LINE_PERIOD, "TarnGraphLinePeriod", 2, &CreateTool<TarnGraphLinePeriod>},
    {TARN_GRAPH_LINE_AISLE, "TarnGraphLineAisle", 3, &CreateTool<TarnGraphLineAisle>},
    {TARN_GRAPH_LINE_STRAIGHT_HORIZONTAL, "TarnGraphLineStraightHorizontal", 1,
     &CreateTool<TarnGraphLineStraightHorizontal>},
    {TARN_GRAPH_SHAPE_TRIANGLE, "TarnGraphShapeTriangle", 3, &CreateTool<TarnGraphShapeTriangle>},
    {TARN_GRAPH_SHAPE_RETANGLE, "TarnGraphShapeRetangle", 2, &CreateTool<TarnGraphShapeRetangle>},
    {TARN_GRAPH_SHAPE_PARALLELOGRAM, "TarnGraphShapeParallelogram", 3, &CreateTool<TarnGraphShapeParallelogram>},
    {TARN_GRAPH_SHAPE_CIRCLE, "TarnGraphShapeCircle", 2, &CreateTool<TarnGraphShapeCircle>},
    {TARN_GRAPH_SHAPE_ELIPSE, "TarnGraphShapeElipse", 3, &CreateTool<TarnGraphShapeElipse>},
    {TARN_GRAPH_SHAPE_PARABOLA, "TarnGraphShapeParabola", 3, &CreateTool<TarnGraphShapeParabola>},
    {TARN_GRAPH_PATTERN_3, "TarnGraphPattern3", 4, &CreateTool<TarnGraphPattern3>},
    {TARN_GRAPH_PATTERN_5, "TarnGraphPattern5", 6, &CreateTool<TarnGraphPattern5>},
    {TARN_GRAPH_PATTERN_8, "TarnGraphPattern8", 9, &CreateTool<TarnGraphPattern8>},
    {TARN_GRAPH_PATTERN_HEAD_SHOULDER, "TarnGraphPatternHeadShoulder", 7, &CreateTool<TarnGraphPatternHeadShoulder>},
    {TARN_GRAPH_PATTERN_MW, "TarnGraphPatternMW", 5, &CreateTool<TarnGraphPatternMW>},
    {TARN_GRAPH_PATTERN_ABCD, "TarnGraphPatternABCD", 4, &CreateTool<TarnGraphPatternABCD>},
    {TARN_GRAPH_PATTERN_XABCD, "TarnGraphPatternXABCD", 5, &CreateTool<TarnGraphPatternXABCD>},
    {TARN_GRAPH_PATTERN_TRIANGLE, "TarnGraphPatternTriangle", 4, &CreateTool<TarnGraphPatternTriangle>},
    {TARN_GRAPH_COMPLEX_SPEED_RESISTANCE, "TarnGraphComplexSpeedResistance", 2,
     &CreateTool<TarnGraphComplexSpeedResistance>},
    {TARN_GRAPH_COMPLEX_GANN_BOX, "TarnGraphComplexGannBox", 2, &CreateTool<TarnGraphComplexGannBox>},
    {TARN_GRAPH_COMPLEX_GANN_FAN, "TarnGraphComplexGannFan", 2, &CreateTool<TarnGraphComplexGannFan>},
    {TARN_GRAPH_COMPLEX_FIB_CHANNEL, "TarnGraphComplexFibChannel", 3, &CreateTool<TarnGraphComplexFibChannel>},
    {TARN_GRAPH_COMPLEX_DIGESTION_POINT, "TarnGraphComplexDigestionPoint", 2,
     &CreateTool<TarnGraphComplexDigestionPoint>},
    {TARN_GRAPH_COMPLEX_FIB_TIME_ZONE, "TarnGraphComplexFibTimeZone", 2, &CreateTool<TarnGraphComplexFibTimeZone>},
    {TARN_GRAPH_COMPLEX_GOLDEN_SECTION, "TarnGraphComplexGoldenSection", 2, &CreateTool<TarnGraphComplexGoldenSection>},
    {TARN_GRAPH_RANGE_DATE, "TarnGraphRangeDate", 2, &CreateTool<TarnGraphRangeDate>},
    {TARN_GRAPH_RANGE_PRICE, "TarnGraphRangePrice", 2, &CreateTool<TarnGraphRangePrice>},
    {TARN_GRAPH_RANGE_DATE_AND_PRICE, "TarnGraphRangeDateAndPrice", 2, &CreateTool<TarnGraphRangeDateAndPrice>},
    {TARN_GRAPH_ARROW, "TarnGraphArrow", 2, &CreateTool<TarnGraphArrow>},
    {TARN_GRAPH_RISE_ARROW, "TarnGraphRiseArrow", 1, &CreateTool<TarnGraphRiseArrow>},
    {TARN_GRAPH_DROP_ARROW, "TarnGraphDropArrow", 1, &CreateTool<TarnGraphDropArrow>},
    {TARN_GRAPH_TRIPLE_BOTTOM, "TarnGraphTripleBottom", 7, &CreateFormation<TARN_GRAPH_TRIPLE_BOTTOM>},
    {TARN_GRAPH_HORN_BOTTOM, "TarnGraphHornBottom", 7, &CreateFormation<TARN_GRAPH_HORN_BOTTOM>},
    {TARN_GRAPH_DOUBLE_BOTTOM, "TarnGraphDoubleBottom", 5, &CreateFormation<TARN_GRAPH_DOUBLE_BOTTOM>},
    {TARN_GRAPH_HEAD_SHOULDER_BOTTOM, "TarnGraphHeadShoulderBottom", 7,
     &CreateFormation<TARN_GRAPH_HEAD_SHOULDER_BOTTOM>},
    {TARN_GRAPH_BULLISH_SYMMETRICAL_TRIANGLE, "TarnGraphBullishSymmetricalTriangle", 7,
     &CreateFormation<TARN_GRAPH_BULLISH_SYMMETRICAL_TRIANGLE>},
    {TARN_GRAPH_BULLISH_FLAG, "TarnGraphBullishFlag", 6, &CreateFormation<TARN_GRAPH_BULLISH_FLAG>},
    {TARN_GRAPH_BULLISH_CONTINUOUS_DIAMOND, "TarnGraphBullishContinuousDiamond", 9,
     &CreateFormation<TARN_GRAPH_BULLISH_CONTINUOUS_DIAMOND>},
    {TARN_GRAPH_BULLISH_CONTINUOUS_WEDGE, "TarnGraphBullishContinuousWedge", 5,
     &CreateFormation<TARN_GRAPH_BULLISH_CONTINUOUS_WEDGE>},
    {TARN_GRAPH_BULLISH_CONTINUOUS_TRIANGLE, "TarnGraphBullishContinuousTriangle", 5,
     &CreateFormation<TARN_GRAPH_BULLISH_CONTINUOUS_TRIANGLE>},
    {TARN_GRAPH_ARC_BOTTOM, "TarnGraphArcBottom", 3, &CreateTool<TarnGraphArcBottom>},
    {TARN_GRAPH_TRIPLE_TOP, "TarnGraphTripleTop", 7, &CreateFormation<TARN_GRAPH_TRIPLE_TOP>},
    {TARN_GRAPH_HORN_TOP, "TarnGraphHornTop", 7, &CreateFormation<TARN_GRAPH_HORN_TOP>},
    {TARN_GRAPH_DOUBLE_TOP, "TarnGraphDoubleTop", 5, &CreateFormation<TARN_GRAPH_DOUBLE_TOP>},
    {TARN_GRAPH_HEAD_SHOULDER_TOP, "TarnGraphHeadShoulderTop", 7, &CreateFormation<TARN_GRAPH_HEAD_SHOULDER_TOP>},
    {TARN_GRAPH_BEARISH_SYMMETRICAL_TRIANGLE, "TarnGraphBearishSymmetricalTriangle", 7,
     &CreateFormation<TARN_GRAPH_BEARISH_SYMMETRICAL_TRIANGLE>},
    {TARN_GRAPH_BEARISH_FLAG, "TarnGraphBearishFlag", 6, &CreateFormation<TARN_GRAPH_BEARISH_FLAG>},
    {TARN_GRAPH_BEARISH_CONTINUOUS_DIAMOND, "TarnGraphBearishContinuousDiamond", 9,
     &CreateFormation<TARN_GRAPH_BEARISH_CONTINUOUS_DIAMOND>},
    {TARN_GRAPH_BEARISH_CONTINUOUS_WEDGE, "TarnGraphBearishContinuousWedge", 5,
     &CreateFormation<TARN_GRAPH_BEARISH_CONTINUOUS_WEDGE>},
    {TARN_GRAPH_BEARISH_CONTINUOUS_TRIANGLE, "TarnGraphBearishContinuousTriangle", 5,
     &CreateFormation<TARN_GRAPH_BEARISH_CONTINUOUS_TRIANGLE>},
    {TARN_GRAPH_ARC_TOP, "TarnGraphArcTop", 3, &CreateTool<TarnGraphArcTop>},
    {TARN_GRAPH_MARKER_TEXT, "TarnGraphMarkerText", 2, &CreateTool<TarnGraphMarkerText>},
    {TARN_GRAPH_MARKER_PRICE, "TarnGraphMarkerPrice", 2, &CreateTool<TarnGraphMarkerPrice>},
}};
static_assert(kCatalogue.size() == kCatalogueSize, "one row per tool type");

constexpr bool IsSortedByType() {
  for (size_t i = 1; i < kCatalogue.size(); ++i) {
    if (kCatalogue[i - 1].type >= kCatalogue[i].type) return false;
  }
  return true;
}
static_assert(IsSortedByType(), "catalogue rows are in ascending type order");

}  // namespace

const GraphCatalogueRow* GraphCatalogue(size_t* count) {
  if (count) *count = kCatalogue.size();
  return kCatalogue.data();
}

const GraphCatalogueRow* FindGraphCatalogueRow(int type) {
  const auto it = std::lower_bound(kCatalogue.begin(), kCatalogue.end(), type,
                                   [](const GraphCatalogueRow& row, int t) { return row.type < t; });
  if (it == kCatalogue.end() || it->type != type) return nullptr;
  return &*it;
}

ITarnGraphShapeBase* TarnGraphInterface::CreateGraphShape(TARN_GRAPH_TYPE type) {
  const GraphCatalogueRow* row = FindGraphCatalogueRow(type);
  if (row && row->create) return row->create();
  return CreateTool<TarnGraphLineSegment>();
}

void TarnGraphInterface::ReleaseGraphShape(ITarnGraphShapeBase*& shape) {
  auto* own = dynamic_cast<TarnGraphShapeBase*>(shape);
  if (!own) return;
  delete own;
  shape = nullptr;
}

void TarnGraphInterface::ReleaseGraphShape(ITarnGraphShapeBase** shape) {
  if (shape) ReleaseGraphShape(*shape);
}
