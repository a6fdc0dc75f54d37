// Fibonacci tools: repeated channel, digestion point, time zones, golden
// section.
#include "drawtools/fibonacci_tools.h"

#include <cmath>
#include <string>

#include "drawtools/draw_info_builder.h"
#include "drawtools/geometry.h"
#include "drawtools/tool_records.h"

using namespace TarnDrawInfo;
using TarnToolRecords::StyledCurve;

namespace {

constexpr int32_t kTimeZoneLevels[] = {0, 1, 1, 2, 3, 5, 8, 13, 21, 34, 55};
constexpr float kGoldenLevels[] = {0.0f,   0.236f, 0.382f, 0.5f, 0.618f, 1.0f,
                                   1.382f, 1.5f,   1.618f, 2.0f, 2.382f, 2.618f};
static_assert(sizeof kTimeZoneLevels / sizeof kTimeZoneLevels[0] == 11, "eleven time zones");
static_assert(sizeof kGoldenLevels / sizeof kGoldenLevels[0] == 12, "twelve golden levels");

using TarnGeometry::kFloatEpsilon;
// Label rows sit this many pixels above their line.
constexpr float kLabelLift = 6.0f;

// A default level entry at position `index`.
stSingleLineDrawParams DefaultLevel(int32_t index) {
  stSingleLineDrawParams params;
  params.index = index;
  params.hostValueA = 1;
  params.hostValueB = 1;
  params.color = GetEmptyColor();
  return params;
}

// A default level list: entry i holds values[i], stored through `set`.
template <typename Level, size_t N>
std::vector<stSingleLineDrawParams> DefaultLevels(const Level (&values)[N],
                                                  void (stSingleLineDrawParams::*set)(Level)) {
  std::vector<stSingleLineDrawParams> levels;
  for (Level value : values) {
    levels.push_back(DefaultLevel(static_cast<int32_t>(levels.size())));
    (levels.back().*set)(value);
  }
  return levels;
}

// Copies a settings record between the host and a tool; a null pointer on
// either side copies nothing.
template <typename Settings>
bool CopySettings(const Settings* from, Settings* to) {
  if (from == nullptr || to == nullptr) return false;
  *to = *from;
  return true;
}

// The offset from the line p0-p1 to its parallel through p2: horizontal for
// steep rising lines, vertical otherwise. False when p2 lies on the line.
bool ChannelOffset(const TarnPoint& p0, const TarnPoint& p1, const TarnPoint& p2, float* dx, double* dy) {
  *dx = 0.0f;
  *dy = 0.0;
  if (p0.x == p1.x) {
    *dx = p2.x - p0.x;
    return *dx != 0.0f;
  }
  if (p0.y == p1.y) {
    *dy = p2.y - p0.y;
    return *dy != 0.0;
  }
  const double k = (p1.y - p0.y) / (p1.x - p0.x);
  if (k >= 1.0) {
    *dx = static_cast<float>(p2.x - ((p2.y - p0.y) / k + p0.x));
    return *dx != 0.0f;
  }
  *dy = p2.y - ((p2.x - p0.x) * k + p0.y);
  return *dy != 0.0;
}

// Nudge of a flat pair of time-zone points: one price unit up, or as far as
// the top of the pane when that is nearer.
double UpwardNudge(double y, double maxPrice) { return y + 1.0 > maxPrice ? maxPrice - y : 1.0; }

double DownwardNudge(double y, double minPrice) { return minPrice > y - 1.0 ? minPrice - y : -1.0; }

}  // namespace

bool TimeZoneExtension(enLineExtendDirection direction, const TarnPoint& p0, const TarnPoint& p1, double maxPrice,
                       double minPrice, LevelLineExtension* extension) {
  LevelLineExtension e;
  switch (direction) {
    case LINE_EXTEND_NONE: e.extendStart = e.extendEnd = false; break;
    case LINE_EXTEND_BOTH:
      if (p0.y == p1.y) e.nudge = UpwardNudge(p0.y, maxPrice);
      break;
    case LINE_EXTEND_UP:
      e.extendStart = p0.y > p1.y;
      e.extendEnd = !e.extendStart;
      if (p0.y == p1.y) e.nudge = UpwardNudge(p0.y, maxPrice);
      break;
    case LINE_EXTEND_DOWN:
      e.extendStart = p1.y > p0.y;
      e.extendEnd = !e.extendStart;
      if (p0.y == p1.y) e.nudge = DownwardNudge(p0.y, minPrice);
      break;
    default: return false;
  }
  *extension = e;
  return true;
}

bool GoldenSectionExtension(enLineExtendDirection direction, const std::vector<TarnPoint>& points,
                            LevelLineExtension* extension) {
  if (points.size() != 2) return false;
  const float x0 = points[0].x;
  const float x1 = points[1].x;
  LevelLineExtension e;
  switch (direction) {
    case LINE_EXTEND_NONE: e.extendStart = e.extendEnd = false; break;
    case LINE_EXTEND_BOTH:
      if (x0 == x1) e.nudge = 1.0;
      break;
    case LINE_EXTEND_LEFT:
      e.extendStart = x1 > x0;
      e.extendEnd = !e.extendStart;
      if (x0 == x1) e.nudge = -1.0;
      break;
    case LINE_EXTEND_RIGHT:
      e.extendStart = x0 > x1;
      e.extendEnd = !e.extendStart;
      if (x0 == x1) e.nudge = 1.0;
      break;
    default: return false;
  }
  *extension = e;
  return true;
}

void TarnGraphComplexFibChannel::BuildDrawInfo(std::vector<TarnPoint> points) {
  RemoveDuplicatePoints(points);
  if (points.size() < 2) return;
  const TarnPoint p0 = points[0];
  const TarnPoint p1 = points[1];
  GraphDrawInfo info;
  GraphDrawInfoBuilder builder(&info);
  const int lines = builder.AddCurve(TarnToolRecords::ToolCurve(*this));
  builder.AddCurveLine(lines, {p0, p1}, true, true);
  float dx = 0.0f;
  double dy = 0.0;
  if (points.size() >= 3 && ChannelOffset(p0, p1, points[2], &dx, &dy)) {
    for (int i = kFirstRepeat; i <= kLastRepeat; ++i) {
      if (i == 0) continue;
      const TarnPoint a{p0.x + i * dx, p0.y + i * dy};
      const TarnPoint b{p1.x + i * dx, p1.y + i * dy};
      builder.AddCurveLine(lines, {a, b}, true, true);
    }
  }
  drawings.push_back(info);
}

void TarnGraphComplexDigestionPoint::BuildDrawInfo(std::vector<TarnPoint> points) {
  RemoveDuplicatePoints(points);
  if (points.size() < 2) return;
  const TarnPoint p0 = points[0];
  const TarnPoint p1 = points[1];
  GraphDrawInfo info;
  GraphDrawInfoBuilder builder(&info);
  const int solid = builder.AddCurve(StyledCurve(*this, LINE_STYLE_SOLID));
  builder.AddCurveLine(solid, {p0, p1}, false, false);
  const int dashed = builder.AddCurve(StyledCurve(*this, LINE_STYLE_DASH));

  TarnGeometry::PixelSegment base;
  TarnPoint apex;
  if (TarnGeometry::ToPixels(coordinate, p0, p1, &base)) {
    const double t1 = 1.0 / std::tan(5.497625);
    const double t2 = 1.0 / std::tan(4.450458333333334);
    const double apexX = (base.x1 * t2 + base.x0 * t1 + base.y0 - base.y1) / (t1 + t2);
    const double apexY = (base.y1 * t2 + base.y0 * t1 + base.x1 - base.x0) / (t1 + t2);
    if (TarnGeometry::FromPixels(coordinate, static_cast<float>(apexX), static_cast<float>(apexY), &apex)) {
      builder.AddCurveLine(dashed, {p0, apex}, false, false);
      builder.AddCurveLine(dashed, {p1, apex}, false, false);
    }
  }
  drawings.push_back(info);
}

void TarnGraphComplexFibTimeZone::SetToolSettings(const stFibTimeZoneSettings* settings) {
  if (CopySettings(settings, &settings_)) dirty = true;
}

void TarnGraphComplexFibTimeZone::GetToolSettings(stFibTimeZoneSettings* settings) {
  CopySettings(&settings_, settings);
}

void TarnGraphComplexFibTimeZone::BuildDrawInfo(std::vector<TarnPoint> points) {
  RemoveDuplicatePoints(points);
  if (points.size() < 2) return;
  if (settings_.lineParams.empty()) {
    settings_.lineParams = DefaultLevels(kTimeZoneLevels, &stSingleLineDrawParams::SetIntLevel);
  }
  const TarnPoint p0 = points[0];
  const TarnPoint p1 = points[1];
  double maxPrice = 0.0;
  double minPrice = 0.0;
  LevelLineExtension ext;
  if (!TarnGeometry::GetMaxPrice(coordinate, &maxPrice) || !TarnGeometry::GetMinPrice(coordinate, &minPrice) ||
      !TimeZoneExtension(settings_.extendDirection, p0, p1, maxPrice, minPrice, &ext)) {
    return;
  }
  GraphDrawInfo info;
  GraphDrawInfoBuilder builder(&info);
  const int lines = builder.AddCurve(TarnToolRecords::ToolCurve(*this));
  const int labels = builder.AddText(TarnToolRecords::LabelText(*this));
  const double endY = p1.y + ext.nudge;
  const float d = p1.x - p0.x;
  if (!(d >= 1.0f)) {
    builder.AddCurveLine(lines, {p0, TarnPoint{p0.x, endY}}, ext.extendStart, ext.extendEnd);
  } else {
    for (const stSingleLineDrawParams& params : settings_.lineParams) {
      const int32_t level = params.GetIntLevel();
      const float x = p0.x + static_cast<float>(level) * d;
      builder.AddCurveLine(lines, {TarnPoint{x, p0.y}, TarnPoint{x, endY}}, ext.extendStart, ext.extendEnd);
      builder.AddTextItem(labels, TarnPoint{x, p0.y}, std::to_string(level), false, TarnPoint{});
    }
  }
  drawings.push_back(info);
}

void TarnGraphComplexGoldenSection::SetToolSettings(const stGoldenSectionSettings* settings) {
  if (CopySettings(settings, &settings_)) dirty = true;
}

void TarnGraphComplexGoldenSection::GetToolSettings(stGoldenSectionSettings* settings) {
  CopySettings(&settings_, settings);
}

std::string TarnGraphComplexGoldenSection::LevelLabel(float ratio, double price) const {
  std::string label;
  if (settings_.displayRatio && std::fabs(ratio) >= kFloatEpsilon) {
    label += TarnToolRecords::FormatGeneral(ratio * 100.0f) + "% ";
  }
  if (settings_.displayPrice) label += TarnToolRecords::FormatGeneral(price);
  return label;
}

void TarnGraphComplexGoldenSection::BuildDrawInfo(std::vector<TarnPoint> points) {
  RemoveDuplicatePoints(points);
  if (points.size() < 2) return;
  if (settings_.lineParams.empty()) {
    settings_.lineParams = DefaultLevels(kGoldenLevels, &stSingleLineDrawParams::SetFloatLevel);
  }
  LevelLineExtension ext;
  if (!GoldenSectionExtension(settings_.extendDirection, points, &ext)) return;
  const TarnPoint p0 = points[0];
  const TarnPoint p1 = points[1];
  GraphDrawInfo info;
  GraphDrawInfoBuilder builder(&info);
  const int solid = builder.AddCurve(StyledCurve(*this, LINE_STYLE_SOLID));
  const int dashed = builder.AddCurve(StyledCurve(*this, LINE_STYLE_DASH));
  const int labels = builder.AddText(TarnToolRecords::LabelText(*this));
  const float dy = static_cast<float>(p1.y - p0.y);
  const float endX = p1.x + static_cast<float>(ext.nudge);
  for (const stSingleLineDrawParams& params : settings_.lineParams) {
    const float r = params.GetFloatLevel();
    const TarnPoint a{p0.x, p0.y + r * dy};
    const TarnPoint b{endX, a.y};
    const bool bounding = std::fabs(r) < kFloatEpsilon || std::fabs(r - 1.0f) < kFloatEpsilon;
    builder.AddCurveLine(bounding ? solid : dashed, {a, b}, ext.extendStart, ext.extendEnd);
    const std::string label = LevelLabel(r, a.y);
    if (label.empty()) continue;
    TarnPoint at = a;
    float row = 0.0f;
    if (TarnGeometry::PriceToPixel(coordinate, a.y, &row)) {
      TarnGeometry::PixelToPrice(coordinate, row - kLabelLift, &at.y);
    }
    builder.AddTextItem(labels, at, label, false, TarnPoint{});
  }
  drawings.push_back(info);
}
