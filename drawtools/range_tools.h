#pragma once
// Range tools: measure the box between two points in bars and time, in
// price, or in both, and write the measure beside the box.
#include <cstdint>
#include <string>
#include <vector>

#include "drawtools/shape_base.h"

// A duration in seconds as days, hours and minutes ("1d1h1m", "-1d");
// seconds are dropped, so anything under a minute is "".
std::string DurationText(int64_t seconds);

// "<bars>bars, <duration>": the whole bars from x0 to x1 (both already on
// whole bars) and the time between them.
std::string RangeBarsText(float x0, float x1, int time0, int time1);

// The price move from `start` to `end` in price steps with three decimals,
// then the move in percent of `start` in brackets: "100.000(10.00%)". A step
// of 0 counts the move in plain price units; the percentage is left out when
// the step or the start price is 0 (it would not be a number). `trailing` is
// appended after the text.
std::string RangePriceText(double start, double end, double unit, const char* trailing);

// Which measure a range tool draws.
enum class RangeMeasure { kDate, kPrice, kDateAndPrice };

class TarnGraphRangeDate : public TarnGraphShapeBase {
 public:
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_RANGE_DATE; }
  unsigned GetPointCount() override { return 2; }

 protected:
  void BuildDrawInfo(std::vector<TarnDrawInfo::TarnPoint> points) override;
};

class TarnGraphRangePrice : public TarnGraphShapeBase {
 public:
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_RANGE_PRICE; }
  unsigned GetPointCount() override { return 2; }

 protected:
  void BuildDrawInfo(std::vector<TarnDrawInfo::TarnPoint> points) override;
};

class TarnGraphRangeDateAndPrice : public TarnGraphShapeBase {
 public:
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_RANGE_DATE_AND_PRICE; }
  unsigned GetPointCount() override { return 2; }

 protected:
  void BuildDrawInfo(std::vector<TarnDrawInfo::TarnPoint> points) override;
};

// The drawing of a range tool over p0 and p1 (duplicates already removed,
// at least two points).
TarnDrawInfo::GraphDrawInfo RangeDrawing(ITarnGraphShapeBase& tool, ITarnGraphCoordinate* coordinate,
                                         RangeMeasure measure, const std::vector<TarnDrawInfo::TarnPoint>& points);
