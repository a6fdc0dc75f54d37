#pragma once
// Fibonacci tools: the repeated channel, the digestion point, the time zones
// and the golden section. The last two carry settings the host reads and
// writes.
#include <vector>

#include "abacor/tool_settings.h"
#include "drawtools/shape_base.h"

// The infinite base line p0-p1 and 29 parallels at whole multiples of the
// offset that carries it through p2.
class TarnGraphComplexFibChannel : public TarnGraphShapeBase {
 public:
  static constexpr int kFirstRepeat = -15;
  static constexpr int kLastRepeat = 14;
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_COMPLEX_FIB_CHANNEL; }
  unsigned GetPointCount() override { return 3; }

 protected:
  void BuildDrawInfo(std::vector<TarnDrawInfo::TarnPoint> points) override;
};

// The base p0-p1 and the dashed sides of a triangle whose apex sees p0 at
// about 105 degrees and p1 at about 45 degrees (in pixels).
class TarnGraphComplexDigestionPoint : public TarnGraphShapeBase {
 public:
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_COMPLEX_DIGESTION_POINT; }
  unsigned GetPointCount() override { return 2; }

 protected:
  void BuildDrawInfo(std::vector<TarnDrawInfo::TarnPoint> points) override;
};

// Vertical lines at the Fibonacci multiples of the bar distance p0-p1.
class TarnGraphComplexFibTimeZone : public TarnGraphShapeBase {
 public:
  using TarnGraphShapeBase::GetToolSettings;
  using TarnGraphShapeBase::SetToolSettings;
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_COMPLEX_FIB_TIME_ZONE; }
  unsigned GetPointCount() override { return 2; }
  void SetToolSettings(const stFibTimeZoneSettings* settings) override;
  void GetToolSettings(stFibTimeZoneSettings* settings) override;

 protected:
  void BuildDrawInfo(std::vector<TarnDrawInfo::TarnPoint> points) override;
  void ApplyConstraints() override { RoundToWholeBars(); }

 private:
  stFibTimeZoneSettings settings_;
};

// Horizontal lines at price ratios of the rise p0-p1, labelled with the
// ratio and the price.
class TarnGraphComplexGoldenSection : public TarnGraphShapeBase {
 public:
  using TarnGraphShapeBase::GetToolSettings;
  using TarnGraphShapeBase::SetToolSettings;
  TARN_GRAPH_TYPE GetGraphType() override { return TARN_GRAPH_COMPLEX_GOLDEN_SECTION; }
  unsigned GetPointCount() override { return 2; }
  void SetToolSettings(const stGoldenSectionSettings* settings) override;
  void GetToolSettings(stGoldenSectionSettings* settings) override;

 protected:
  void BuildDrawInfo(std::vector<TarnDrawInfo::TarnPoint> points) override;

 private:
  // The label of level `ratio` whose line lies at `price`; may be empty.
  std::string LevelLabel(float ratio, double price) const;

  stGoldenSectionSettings settings_;
};

// How the level lines of the time zones and the golden section extend:
// start and end flags of each line and a nudge (a price for the time zones,
// bars for the golden section) that keeps a line from collapsing to a point.
struct LevelLineExtension {
  bool extendStart = true;
  bool extendEnd = true;
  double nudge = 0.0;
};

// Extension of the time zones' vertical lines; false when the pane's price
// range is unknown or the direction is not none, both, up or down.
bool TimeZoneExtension(enLineExtendDirection direction, const TarnDrawInfo::TarnPoint& p0,
                       const TarnDrawInfo::TarnPoint& p1, double maxPrice, double minPrice,
                       LevelLineExtension* extension);
// Extension of the golden section's horizontal lines (nudge in bars); false
// unless there are exactly two points and the direction is none, both, left
// or right.
bool GoldenSectionExtension(enLineExtendDirection direction, const std::vector<TarnDrawInfo::TarnPoint>& points,
                            LevelLineExtension* extension);
