#pragma once
// What every draw-output builder shares: the published series of one output,
// its colour and thickness, and the rules for values, conditions, thinning
// and codes carried as numbers.
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "abacor/draw_info.h"
#include "drawtools/draw_info_builder.h"
#include "formula/eval/draw/output.h"
#include "formula/eval/style_names.h"
#include "formula/eval/value.h"

struct ExprRecord;

// The code of a named drawing constant; 0 for a name that is not one.
constexpr uint32_t StyleCodeOf(std::string_view name) {
  for (const StyleName& entry : StyleNameTable) {
    if (name == entry.name) return entry.code;
  }
  return 0;
}

// Palette entries of the host that colour items by price movement.
constexpr int32_t kPaletteRise = 7;
constexpr int32_t kPaletteFall = 8;
constexpr int32_t kPaletteFlat = 9;  // unchanged, or a turn

// Price fields of the price snapshot.
constexpr int32_t kSnapHigh = 1;
constexpr int32_t kSnapOpen = 2;
constexpr int32_t kSnapLow = 3;
constexpr int32_t kSnapClose = 4;
constexpr int32_t kSnapPreClose = 15;

// One output being drawn over bars first..last (first <= last, both inside
// the read store).
struct DrawJob {
  const DrawSource* source = nullptr;
  const ExprRecord* record = nullptr;  // the output record
  int32_t output = 0;
  int32_t first = 0;
  int32_t last = 0;
  int32_t step = 0;
  TarnDrawInfo::TarnColor colour;  // the output colour
  int32_t width = 1;               // the output thickness, 1 to 9

  // The published cells of an output element; null when it has no series.
  const double* Series(int32_t element) const;
  // Bars the read store holds (the calculated bar count).
  int32_t BarCount() const;
  // A price of the published snapshot; INVALID_VALUE when missing.
  double Price(int32_t fieldId, int32_t bar) const;
  bool HasSnapshot() const;
  // Thinning of lines, circle marks and columns: bar mod (max(step, 0) + 1) = 0.
  bool UsesBar(int32_t bar) const;
  // The style code of an element, read once as a constant; fallback when it has none.
  uint32_t StyleCode(int32_t element, uint32_t fallback) const;
};

// One builder per draw form; appends at most one drawing to out.
using DrawBuilderFn = void (*)(const DrawJob& job, std::vector<TarnDrawInfo::GraphDrawInfo>& out);

// A code carried as the raw bits of a number, evaluated at bar 0 with
// constants only. False when the element is missing or has no value.
bool ReadConstantCode(const ExprRecord& record, int32_t element, uint32_t* code);

// The 32 bits of a value narrowed to float.
uint32_t FloatBits(double v);

// A value truncated toward zero to an int32 (saturating; 0 for a NaN).
int32_t TruncateToInt(double v);

// A condition cell: has a value whose magnitude exceeds VALUE_EPSILON.
inline bool IsConditionTrue(double v) { return IsTrue(v); }
// A cell that has a value equal to 1 within VALUE_EPSILON.
inline bool IsOne(double v) { return HasValue(v) && std::fabs(v - 1.0) <= VALUE_EPSILON; }

inline TarnDrawInfo::TarnPoint At(double x, double y) { return TarnDrawInfo::TarnPoint{static_cast<float>(x), y}; }

// A palette colour of the host.
TarnDrawInfo::TarnColor Palette(int32_t id);

// Adds a non-empty point list as one line without extensions, then clears it.
void FlushLine(GraphDrawInfoBuilder& builder, int id, std::vector<TarnDrawInfo::TarnPoint>& points);

// Adds the polygon upper followed by lower in reverse order as one line
// without extensions, then clears both lists.
void FlushPolygon(GraphDrawInfoBuilder& builder, int id, std::vector<TarnDrawInfo::TarnPoint>& upper,
                  std::vector<TarnDrawInfo::TarnPoint>& lower);

// Adds two-point items (segments, circles) through one reused point list, so
// that an item costs no more than the copy its record keeps.
class PairItems {
 public:
  explicit PairItems(GraphDrawInfoBuilder& builder) : m_builder(builder), m_points(2) {}

  // The segment a to b as a line without extensions (a ray beyond b when extendEnd).
  void Segment(int id, TarnDrawInfo::TarnPoint a, TarnDrawInfo::TarnPoint b, bool extendEnd = false) {
    m_points[0] = a;
    m_points[1] = b;
    m_builder.AddCurveLine(id, m_points, false, extendEnd);
  }
  // A circle of radius (in bars) around centre, as the ends of its horizontal diameter.
  void Circle(int id, TarnDrawInfo::TarnPoint centre, float radius) {
    m_points[0] = TarnDrawInfo::TarnPoint{centre.x - radius, centre.y};
    m_points[1] = TarnDrawInfo::TarnPoint{centre.x + radius, centre.y};
    m_builder.AddElipsePoints(id, m_points);
  }

 private:
  GraphDrawInfoBuilder& m_builder;
  std::vector<TarnDrawInfo::TarnPoint> m_points;
};

// Room in drawOrder for the items of bars first..last, perBar items each.
void ReserveOrder(TarnDrawInfo::GraphDrawInfo& info, const DrawJob& job, size_t perBar);

// Whether a candle or column whose close equals its open counts as rising,
// from the bars before it: the nearest earlier bar whose snapshot close and
// open are present and differ; fallback when there is none.
bool RoseBeforeBar(const DrawJob& job, int32_t bar, bool fallback);

// A number as DRAWNUMBER shows it: printed with "%f", then trailing zeros
// and a trailing point removed (12.500000 shows 12.5, 3.000000 shows 3).
std::string FormatDrawNumber(double value);

// The builders, one per draw form.
void BuildCurveLine(const DrawJob& job, std::vector<TarnDrawInfo::GraphDrawInfo>& out);
void BuildCircular(const DrawJob& job, std::vector<TarnDrawInfo::GraphDrawInfo>& out);
void BuildColumn(const DrawJob& job, std::vector<TarnDrawInfo::GraphDrawInfo>& out);
void BuildKLine(const DrawJob& job, std::vector<TarnDrawInfo::GraphDrawInfo>& out);
void BuildPolyLine(const DrawJob& job, std::vector<TarnDrawInfo::GraphDrawInfo>& out);
void BuildBand(const DrawJob& job, std::vector<TarnDrawInfo::GraphDrawInfo>& out);
void BuildStick(const DrawJob& job, std::vector<TarnDrawInfo::GraphDrawInfo>& out);
void BuildIcon(const DrawJob& job, std::vector<TarnDrawInfo::GraphDrawInfo>& out);
void BuildText(const DrawJob& job, std::vector<TarnDrawInfo::GraphDrawInfo>& out);
void BuildNumber(const DrawJob& job, std::vector<TarnDrawInfo::GraphDrawInfo>& out);
void BuildSegments(const DrawJob& job, std::vector<TarnDrawInfo::GraphDrawInfo>& out);
void BuildFillRegion(const DrawJob& job, std::vector<TarnDrawInfo::GraphDrawInfo>& out);
