// Candles: DRAWKLINE, drawn from the output's own high, open, low and close.
#include <algorithm>

#include "formula/eval/draw/job.h"

using TarnDrawInfo::GraphDrawInfo;

namespace {

constexpr double kHalfBody = 0.35;

// Direction of candles whose close equals their open: the close before
// them decides, then the last such candle of this drawing, then the nearest
// earlier bar that moved.
class DojiDirection {
 public:
  explicit DojiDirection(const DrawJob& job) : m_job(job) {}

  bool Rose(int32_t bar, double close) {
    bool rose = true;
    const double previous = bar > 0 ? m_job.Price(kSnapClose, bar - 1) : INVALID_VALUE;
    if (m_job.HasSnapshot() && HasValue(previous)) {
      if (std::fabs(close - previous) > VALUE_EPSILON) {
        rose = close > previous;
      } else if (bar - 1 >= m_job.first) {
        rose = m_lastRose;
      } else {
        rose = RoseBeforeBar(m_job, bar, true);
      }
    }
    m_lastRose = rose;
    return rose;
  }

 private:
  const DrawJob& m_job;
  bool m_lastRose = true;
};

}  // namespace

void BuildKLine(const DrawJob& job, std::vector<GraphDrawInfo>& out) {
  using namespace TarnDrawInfo;
  const double* highs = job.Series(1);
  const double* opens = job.Series(2);
  const double* lows = job.Series(3);
  const double* closes = job.Series(4);
  if (highs == nullptr || opens == nullptr || lows == nullptr || closes == nullptr) return;
  GraphDrawInfo info;
  GraphDrawInfoBuilder b(&info);
  const int fallBody = b.AddRectangle(GetRectangleFill(Palette(kPaletteFall), FILL_STYLE_SOLID, RECTANGLE_TYPE_1));
  const int riseBody =
      b.AddRectangle(GetRectangleFrame(Palette(kPaletteRise), 1.0f, LINE_STYLE_SOLID, RECTANGLE_TYPE_1));
  const int fallWick = b.AddCurve(GetCurve(Palette(kPaletteFall), 1.0f, LINE_STYLE_SOLID));
  const int riseWick = b.AddCurve(GetCurve(Palette(kPaletteRise), 1.0f, LINE_STYLE_SOLID));
  ReserveOrder(info, job, 3);
  PairItems pairs(b);
  DojiDirection doji(job);
  for (int32_t bar = job.first; bar <= job.last; ++bar) {
    const double high = highs[bar];
    const double open = opens[bar];
    const double low = lows[bar];
    const double close = closes[bar];
    if (!HasValue(high) || !HasValue(open) || !HasValue(low) || !HasValue(close)) continue;
    const bool rose = close > open || (close == open && doji.Rose(bar, close));
    const double top = std::max(open, close);
    const double bottom = std::min(open, close);
    b.AddRectangleCorners(rose ? riseBody : fallBody, At(bar - kHalfBody, top), At(bar + kHalfBody, bottom));
    const int wick = rose ? riseWick : fallWick;
    pairs.Segment(wick, At(bar, high), At(bar, top));
    pairs.Segment(wick, At(bar, bottom), At(bar, low));
  }
  out.push_back(std::move(info));
}
