// Filled areas between two prices: BAND (coloured by which price is on top)
// and FILLRGN (filled where a condition holds).
#include <cmath>
#include <utility>

#include "formula/eval/draw/job.h"

using TarnDrawInfo::GraphDrawInfo;
using TarnDrawInfo::TarnPoint;

namespace {

// ---- BAND --------------------------------------------------------------------

// The first value is on top, or equal to the second within VALUE_EPSILON.
bool FirstOnTop(double p, double q) { return p - q > VALUE_EPSILON || std::fabs(p - q) <= VALUE_EPSILON; }

// An RGB() result: 0xFF000000 | b<<16 | g<<8 | r as a signed integer.
bool IsRgbResult(double code) { return code >= -16777216.0 && code <= -1.0 && code == std::trunc(code); }

// A colour code carries 0xBBGGRR in the bits of a float; a colour made by
// RGB() carries it in its integer value (no code's bits read as a negative
// integer, so the two never meet).
uint32_t ColourOfCode(double code) {
  const uint32_t bits = IsRgbResult(code) ? static_cast<uint32_t>(static_cast<int32_t>(code)) : FloatBits(code);
  return TarnDrawInfo::MakeRGBVal(static_cast<int>(bits & 0xFF), static_cast<int>((bits >> 8) & 0xFF),
                                  static_cast<int>((bits >> 16) & 0xFF));
}

// One side of a band: the colour it is filled with now and that colour's record.
struct BandSide {
  uint32_t colour = 0;
  bool hasColour = false;
  int record = -1;
};

class BandWalk {
 public:
  BandWalk(const DrawJob& job, GraphDrawInfoBuilder& builder, const double* const series[4])
      : m_job(job), m_builder(builder), m_p(series[0]), m_upperCode(series[1]), m_q(series[2]), m_lowerCode(series[3]) {
    const size_t capacity = static_cast<size_t>(job.last - job.first + 3);
    m_upper.reserve(capacity);
    m_lower.reserve(capacity);
  }

  void Bar(int32_t b);
  void Finish();

 private:
  bool NextOnTop(int32_t b) const {
    const double p = m_p[b + 1];
    const double q = m_q[b + 1];
    return HasValue(p) && HasValue(q) && FirstOnTop(p, q);
  }
  // Takes the colour of the bar's code; true when that changes the side's colour.
  bool TakeColour(BandSide& side, uint32_t colour);
  int RecordFor(uint32_t colour);
  TarnPoint Crossing(int32_t b) const;

  const DrawJob& m_job;
  GraphDrawInfoBuilder& m_builder;
  const double* m_p;
  const double* m_upperCode;
  const double* m_q;
  const double* m_lowerCode;
  BandSide m_upperSide;
  BandSide m_lowerSide;
  std::vector<std::pair<uint32_t, int>> m_records;  // colour and its curve-fill record
  std::vector<TarnPoint> m_upper;
  std::vector<TarnPoint> m_lower;
  bool m_lastUpNext = true;
  int m_lastRecord = -1;
};

int BandWalk::RecordFor(uint32_t colour) {
  for (const auto& entry : m_records) {
    if (entry.first == colour) return entry.second;
  }
  const int id = m_builder.AddCurve(
      TarnDrawInfo::GetCurveFill(TarnDrawInfo::GetColorByValue(colour), TarnDrawInfo::FILL_STYLE_SOLID));
  m_records.emplace_back(colour, id);
  return id;
}

bool BandWalk::TakeColour(BandSide& side, uint32_t colour) {
  if (side.hasColour && side.colour == colour) return false;
  side.colour = colour;
  side.hasColour = true;
  side.record = RecordFor(colour);
  return true;
}

// Where the two values cross between bar b and bar b + 1.
TarnPoint BandWalk::Crossing(int32_t b) const {
  const double d0 = m_p[b] - m_q[b];
  const double d1 = m_p[b + 1] - m_q[b + 1];
  const double t = d0 / (d0 - d1);
  return At(b + t, m_p[b] + t * (m_p[b + 1] - m_p[b]));
}

void BandWalk::Bar(int32_t b) {
  const double p = m_p[b];
  const double q = m_q[b];
  if (!HasValue(p) || !HasValue(q) || !HasValue(m_upperCode[b]) || !HasValue(m_lowerCode[b])) return;
  const bool up = FirstOnTop(p, q);
  const bool isLast = b == m_job.last;
  const bool upNext = isLast ? up : NextOnTop(b);
  BandSide& side = up ? m_upperSide : m_lowerSide;
  // The piece that a colour change closes keeps the colour it was drawn in.
  const int pieceRecord = side.record;
  const bool changed = TakeColour(side, ColourOfCode(up ? m_upperCode[b] : m_lowerCode[b]));
  const bool colourChange = changed && b != m_job.first;
  m_upper.push_back(At(b, p));
  m_lower.push_back(At(b, q));
  const bool crossing = upNext != up && b != m_job.first;
  // A band that runs into a bar without values ends there, without a crossing point.
  const bool gapNext = !isLast && (!HasValue(m_p[b + 1]) || !HasValue(m_q[b + 1]));
  const bool crossPoint = crossing && !gapNext;
  m_lastUpNext = upNext;
  m_lastRecord = side.record;
  if (!(isLast || crossing || colourChange) || m_upper.empty() || m_lower.empty()) return;
  TarnPoint x;
  if (crossPoint) {
    x = Crossing(b);
    m_upper.push_back(x);
  }
  FlushPolygon(m_builder, colourChange && pieceRecord >= 0 ? pieceRecord : side.record, m_upper, m_lower);
  if (crossPoint) m_upper.push_back(x);
  if (colourChange) {
    m_upper.push_back(At(b, p));
    m_lower.push_back(At(b, q));
  }
}

void BandWalk::Finish() {
  if (m_upper.empty() && m_lower.empty()) return;
  int record = (m_lastUpNext ? m_upperSide : m_lowerSide).record;
  if (record < 0) record = m_lastRecord;
  FlushPolygon(m_builder, record, m_upper, m_lower);
}

// ---- FILLRGN -----------------------------------------------------------------

// The boundary of a price over bars first..last: the price at first, the
// midpoints between neighbouring bars, the price at last. Entry k is the left
// and entry k + 1 the right boundary of bar first + k. Raw cells, not tested.
std::vector<TarnPoint> Boundary(const double* price, int32_t first, int32_t last) {
  std::vector<TarnPoint> points;
  points.reserve(static_cast<size_t>(last - first + 2));
  points.push_back(At(first, price[first]));
  for (int32_t i = first; i < last; ++i) points.push_back(At(i + 0.5, (price[i] + price[i + 1]) * 0.5));
  points.push_back(At(last, price[last]));
  return points;
}

}  // namespace

void BuildBand(const DrawJob& job, std::vector<GraphDrawInfo>& out) {
  const double* const series[4] = {job.Series(1), job.Series(2), job.Series(3), job.Series(4)};
  for (const double* s : series) {
    if (s == nullptr) return;
  }
  GraphDrawInfo info;
  GraphDrawInfoBuilder builder(&info);
  BandWalk walk(job, builder, series);
  for (int32_t b = job.first; b <= job.last; ++b) {
    if (job.UsesBar(b) || b == job.first || b == job.last) walk.Bar(b);
  }
  walk.Finish();
  out.push_back(std::move(info));
}

void BuildFillRegion(const DrawJob& job, std::vector<GraphDrawInfo>& out) {
  const double* first = job.Series(1);
  const double* second = job.Series(2);
  const double* condition = job.Series(3);
  if (first == nullptr || second == nullptr || condition == nullptr) return;
  GraphDrawInfo info;
  GraphDrawInfoBuilder builder(&info);
  if (job.first == job.last) {
    out.push_back(std::move(info));
    return;
  }
  const std::vector<TarnPoint> b1 = Boundary(first, job.first, job.last);
  const std::vector<TarnPoint> b2 = Boundary(second, job.first, job.last);
  std::vector<TarnPoint> upper;
  std::vector<TarnPoint> lower;
  const auto close = [&] {
    if (upper.empty() || lower.empty()) return;
    const int id = builder.AddCurve(TarnDrawInfo::GetCurveFill(job.colour, TarnDrawInfo::FILL_STYLE_SOLID));
    FlushPolygon(builder, id, upper, lower);
  };
  bool run = false;
  for (int32_t bar = job.first; bar <= job.last; ++bar) {
    const double p = first[bar];
    const double q = second[bar];
    if (!HasValue(condition[bar]) || !HasValue(p) || !HasValue(q)) continue;
    const bool cond = !IsZero(condition[bar]);
    const bool closes = bar == job.last || (cond != run && bar != job.first);
    run = cond;
    if (cond) {
      const size_t k = static_cast<size_t>(bar - job.first);
      if (upper.empty() && lower.empty()) {
        upper.push_back(b1[k]);
        lower.push_back(b2[k]);
      }
      upper.push_back(At(bar, p));
      lower.push_back(At(bar, q));
      upper.push_back(b1[k + 1]);
      lower.push_back(b2[k + 1]);
    }
    if (closes) close();
  }
  // A run still open because the last bar has no values is drawn as it stands.
  close();
  out.push_back(std::move(info));
}
