// Pattern tools: ABCD, XABCD, head and shoulders, converging triangle. The
// wave polylines draw like segments.
#include "drawtools/pattern_tools.h"

#include <cmath>
#include <string>

#include "drawtools/draw_info_builder.h"
#include "drawtools/geometry.h"
#include "drawtools/tool_records.h"

using namespace TarnDrawInfo;
using TarnGeometry::LineIntersection;
using TarnToolRecords::StyledCurve;

namespace {

// Adds an unlinked label at `at`.
void AddLabel(GraphDrawInfoBuilder& builder, int id, const TarnPoint& at, const std::string& text) {
  builder.AddTextItem(id, at, text, false, TarnPoint{});
}

// Adds the ratio |numerator / denominator| midway between a and b; a ratio
// over two equal prices has no value and gets no label.
void AddRatio(GraphDrawInfoBuilder& builder, int id, const TarnPoint& a, const TarnPoint& b, double numerator,
              double denominator) {
  const std::string text = PatternRatioText(numerator, denominator);
  if (!text.empty()) AddLabel(builder, id, TarnToolRecords::Midpoint(a, b), text);
}

// The retracement of the leg b-c against the leg a-b, |(b.y - c.y) /
// (a.y - b.y)|, midway between a and c.
void AddRetracement(GraphDrawInfoBuilder& builder, int id, const TarnPoint& a, const TarnPoint& b, const TarnPoint& c) {
  AddRatio(builder, id, a, c, b.y - c.y, a.y - b.y);
}

void AddSegment(GraphDrawInfoBuilder& builder, int id, std::vector<TarnPoint> points) {
  builder.AddCurveLine(id, points, false, false);
}

// Index of the anchor among the first four that lies farthest from the apex
// in bar position, on the side of the apex where p0 lies.
size_t FarthestFromApex(const std::vector<TarnPoint>& p, const TarnPoint& apex) {
  size_t k = 0;
  if (p[0].x > apex.x) {
    float best = 0.0f;
    for (size_t i = 0; i < 4; ++i) {
      if (p[i].x > best) {
        best = p[i].x;
        k = i;
      }
    }
  } else if (p[0].x < apex.x) {
    float best = TarnGeometry::kFloatMax;
    for (size_t i = 0; i < 4; ++i) {
      if (p[i].x < best) {
        best = p[i].x;
        k = i;
      }
    }
  }
  return k;
}

}  // namespace

std::string PatternRatioText(double numerator, double denominator) {
  const double ratio = std::fabs(numerator / denominator);
  if (!std::isfinite(ratio)) return std::string();
  return TarnToolRecords::FormatGeneral(ratio);
}

void TarnGraphPatternABCD::BuildDrawInfo(std::vector<TarnPoint> p) {
  const size_t n = p.size();
  if (n < 2) return;
  GraphDrawInfo info;
  GraphDrawInfoBuilder builder(&info);
  const int solid = builder.AddCurve(StyledCurve(*this, LINE_STYLE_SOLID));
  AddSegment(builder, solid, p);
  const int labels = builder.AddText(TarnToolRecords::LabelText(*this));
  AddLabel(builder, labels, p[0], "A");
  if (n > 2) {
    AddLabel(builder, labels, p[1], "B");
    AddLabel(builder, labels, p[2], "C");
    const int dashed = builder.AddCurve(StyledCurve(*this, LINE_STYLE_DASH));
    AddSegment(builder, dashed, {p[0], p[2]});
    AddRetracement(builder, labels, p[0], p[1], p[2]);
    if (n > 3) {
      AddLabel(builder, labels, p[3], "D");
      AddSegment(builder, dashed, {p[1], p[3]});
      AddRetracement(builder, labels, p[1], p[2], p[3]);
    }
  }
  drawings.push_back(info);
}

void TarnGraphPatternXABCD::BuildDrawInfo(std::vector<TarnPoint> p) {
  const size_t n = p.size();
  if (n < 2) return;
  GraphDrawInfo info;
  GraphDrawInfoBuilder builder(&info);
  const int solid = builder.AddCurve(StyledCurve(*this, LINE_STYLE_SOLID));
  AddSegment(builder, solid, p);
  const int fill = builder.AddCurve(TarnToolRecords::FillCurve(*this));
  const int labels = builder.AddText(TarnToolRecords::LabelText(*this));
  // X, A, B, C, D are p0 ... p4.
  AddLabel(builder, labels, p[0], "X");
  if (n > 2) {
    AddLabel(builder, labels, p[1], "A");
    AddLabel(builder, labels, p[2], "B");
    const int dashed = builder.AddCurve(StyledCurve(*this, LINE_STYLE_DASH));
    AddSegment(builder, dashed, {p[0], p[2]});
    AddSegment(builder, fill, {p[0], p[1], p[2]});
    AddRetracement(builder, labels, p[0], p[1], p[2]);
    if (n >= 4) {
      AddLabel(builder, labels, p[3], "C");
      AddSegment(builder, dashed, {p[1], p[3]});
      AddRetracement(builder, labels, p[1], p[2], p[3]);
    }
    if (n >= 5) {
      AddLabel(builder, labels, p[4], "D");
      AddSegment(builder, dashed, {p[2], p[4], p[0]});
      AddSegment(builder, fill, {p[2], p[3], p[4]});
      AddRetracement(builder, labels, p[2], p[3], p[4]);
      AddRatio(builder, labels, p[0], p[4], p[1].y - p[4].y, p[1].y - p[0].y);
    }
  }
  drawings.push_back(info);
}

void TarnGraphPatternHeadShoulder::BuildDrawInfo(std::vector<TarnPoint> p) {
  const size_t n = p.size();
  if (n < 2) return;
  GraphDrawInfo info;
  GraphDrawInfoBuilder builder(&info);
  const int solid = builder.AddCurve(StyledCurve(*this, LINE_STYLE_SOLID));
  const int fill = builder.AddCurve(TarnToolRecords::FillCurve(*this));
  if (n > 5) {
    const int dashed = builder.AddCurve(StyledCurve(*this, LINE_STYLE_DASH));
    AddSegment(builder, dashed, {p[2], p[4]});
  }
  if (n >= 5) {
    AddSegment(builder, fill, {p[2], p[3], p[4]});
    TarnPoint q;
    if (LineIntersection(p[0], p[1], p[2], p[4], &q)) AddSegment(builder, fill, {q, p[1], p[2]});
  }
  TarnPoint r;
  if (n >= 7 && LineIntersection(p[2], p[4], p[5], p[6], &r)) AddSegment(builder, fill, {r, p[4], p[5]});
  AddSegment(builder, solid, p);
  drawings.push_back(info);
}

void TarnGraphPatternTriangle::BuildDrawInfo(std::vector<TarnPoint> p) {
  const size_t n = p.size();
  if (n == 0) return;
  static const char* const kLetters[] = {"A", "B", "C", "D"};
  GraphDrawInfo info;
  GraphDrawInfoBuilder builder(&info);
  const int labels = builder.AddText(TarnToolRecords::LabelText(*this));
  const int solid = builder.AddCurve(StyledCurve(*this, LINE_STYLE_SOLID));
  const int fill = builder.AddCurve(TarnToolRecords::FillCurve(*this));
  for (size_t i = 0; i < n && i < 4; ++i) AddLabel(builder, labels, p[i], kLetters[i]);
  AddSegment(builder, solid, p);
  TarnPoint apex;
  if (n >= 4 && LineIntersection(p[0], p[2], p[1], p[3], &apex)) {
    const size_t k = FarthestFromApex(p, apex);
    const TarnPoint& from = p[k];
    // The vertical through point k meets the other trend line at s.
    const TarnPoint& otherA = (k % 2 == 0) ? p[1] : p[0];
    const TarnPoint& otherB = (k % 2 == 0) ? p[3] : p[2];
    TarnPoint s;
    if (LineIntersection(from, TarnPoint{from.x, 0.0}, otherA, otherB, &s)) {
      AddSegment(builder, solid, {apex, from, s, apex});
      AddSegment(builder, fill, {apex, from, s, apex});
    }
  }
  drawings.push_back(info);
}
