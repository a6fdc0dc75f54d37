// Marks at single points: circle marks (.CIRCULAR, five styles) and DRAWICON.
#include <algorithm>

#include "formula/eval/draw/job.h"

using TarnDrawInfo::GraphDrawInfo;
using TarnDrawInfo::TarnPoint;

namespace {

constexpr uint32_t kPoint = StyleCodeOf("CITPOINT");
constexpr uint32_t kCircle = StyleCodeOf("CITCIRCLE");
constexpr uint32_t kCross = StyleCodeOf("CITCROSS");
constexpr uint32_t kDotLine = StyleCodeOf("CITDOTLINE");
constexpr uint32_t kSar = StyleCodeOf("CITSAR");
static_assert(kPoint != 0 && kCircle != 0 && kCross != 0 && kDotLine != 0 && kSar != 0, "named circle styles exist");

// Record ids of a circle-mark drawing, in the order they are made.
struct CircleRecords {
  int frame = -1;      // ellipse frame of the output colour
  int fill = -1;       // ellipse fill of the output colour
  int cross = -1;      // cross of the output colour
  int line = -1;       // dashed curve of the output colour
  int riseFrame = -1;  // ellipse frames of palette 7, 8 and 9
  int fallFrame = -1;
  int turnFrame = -1;
};

CircleRecords AddCircleRecords(GraphDrawInfoBuilder& b, const DrawJob& job) {
  using namespace TarnDrawInfo;
  CircleRecords r;
  r.frame = b.AddElipse(GetElipseFrame(job.colour, 1.0f, LINE_STYLE_SOLID));
  r.fill = b.AddElipse(GetElipseFill(job.colour, FILL_STYLE_SOLID));
  r.cross = b.AddCross(GetCross(job.colour, 1.0f, LINE_STYLE_SOLID));
  r.line = b.AddCurve(GetCurve(job.colour, static_cast<float>(job.width), LINE_STYLE_DASH));
  r.riseFrame = b.AddElipse(GetElipseFrame(Palette(kPaletteRise), 1.0f, LINE_STYLE_SOLID));
  r.fallFrame = b.AddElipse(GetElipseFrame(Palette(kPaletteFall), 1.0f, LINE_STYLE_SOLID));
  r.turnFrame = b.AddElipse(GetElipseFrame(Palette(kPaletteFlat), 1.0f, LINE_STYLE_SOLID));
  return r;
}

// Whether a is above b or within 1e-7 of it, in single precision.
bool AtOrAbove(double a, double b) {
  const float fa = static_cast<float>(a);
  const float fb = static_cast<float>(b);
  return fa > fb || std::fabs(fa - fb) <= 1e-7f;
}

// SAR dots: falling (palette 8) when the dot sits on or above the high,
// rising (palette 7) on or below the low; a change of colour is a turn,
// drawn in palette 9.
class SarColours {
 public:
  SarColours(const DrawJob& job, const double* values) : m_job(job), m_values(values) {}

  // The palette of the dot at bar; 0 when the bar's high or low is missing.
  int32_t Colour(int32_t bar, double v) {
    const double high = m_job.Price(kSnapHigh, bar);
    const double low = m_job.Price(kSnapLow, bar);
    if (!HasValue(high) || !HasValue(low)) return 0;
    int32_t colour = kPaletteFall;
    if (!AtOrAbove(v, high) && AtOrAbove(low, v)) colour = kPaletteRise;
    if (bar == m_job.first) m_previous = ColourBefore(bar, colour);
    if (colour == m_previous) return colour;
    m_previous = colour;
    return kPaletteFlat;
  }

 private:
  // The trend before the range: rising when the close before it was at or
  // above the dot before it.
  int32_t ColourBefore(int32_t bar, int32_t current) const {
    if (bar == 0) return current;
    const double close = m_job.Price(kSnapClose, bar - 1);
    const double dot = m_values[bar - 1];
    if (!HasValue(close) || !HasValue(dot)) return current;
    return close >= dot ? kPaletteRise : kPaletteFall;
  }

  const DrawJob& m_job;
  const double* m_values;
  int32_t m_previous = 0;  // none
};

int SarFrame(const CircleRecords& r, int32_t colour) {
  if (colour == kPaletteRise) return r.riseFrame;
  return colour == kPaletteFall ? r.fallFrame : r.turnFrame;
}

}  // namespace

void BuildCircular(const DrawJob& job, std::vector<GraphDrawInfo>& out) {
  const double* values = job.Series(2);
  if (values == nullptr) return;
  const uint32_t style = job.StyleCode(1, kCircle);
  const float radiusA = static_cast<float>(std::min(job.width * 0.03 + 0.15, 0.45));
  const float radiusB = static_cast<float>(std::min(job.width * 0.035 + 0.1, 0.45));
  GraphDrawInfo info;
  GraphDrawInfoBuilder b(&info);
  const CircleRecords r = AddCircleRecords(b, job);
  ReserveOrder(info, job, 1);
  PairItems pairs(b);
  SarColours sar(job, values);
  std::vector<TarnPoint> points;
  if (style == kDotLine) points.reserve(static_cast<size_t>(job.last - job.first + 1));
  for (int32_t bar = job.first; bar <= job.last; ++bar) {
    if (!job.UsesBar(bar)) continue;
    const double v = values[bar];
    if (!HasValue(v)) {
      FlushLine(b, r.line, points);
      continue;
    }
    const TarnPoint centre = At(bar, v);
    if (style == kPoint) {
      pairs.Circle(r.fill, centre, radiusB);
    } else if (style == kCircle) {
      pairs.Circle(r.frame, centre, radiusA);
    } else if (style == kCross) {
      b.AddCrossPoint(r.cross, centre, radiusA);
    } else if (style == kDotLine) {
      points.push_back(centre);
    } else if (style == kSar) {
      const int32_t colour = sar.Colour(bar, v);
      if (colour != 0) pairs.Circle(SarFrame(r, colour), centre, radiusA);
    }
  }
  FlushLine(b, r.line, points);
  out.push_back(std::move(info));
}

void BuildIcon(const DrawJob& job, std::vector<GraphDrawInfo>& out) {
  const double* condition = job.Series(1);
  const double* price = job.Series(2);
  const double* icons = job.Series(3);
  if (condition == nullptr || price == nullptr || icons == nullptr) return;
  GraphDrawInfo info;
  GraphDrawInfoBuilder b(&info);
  const int id = b.AddTDXIcon(TarnDrawInfo::GetTDXIcon(job.width));
  for (int32_t bar = job.first; bar <= job.last; ++bar) {
    if (!IsConditionTrue(condition[bar]) || !HasValue(price[bar]) || !HasValue(icons[bar])) continue;
    b.AddIconPoint(id, At(bar, price[bar]), TruncateToInt(icons[bar]));
  }
  out.push_back(std::move(info));
}
