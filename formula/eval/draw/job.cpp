#include "formula/eval/draw/job.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "formula/eval/calc_context.h"
#include "formula/eval/calculate_info.h"
#include "formula/eval/evaluator.h"
#include "formula/eval/price_snapshot.h"
#include "formula/eval/series_store.h"

using TarnDrawInfo::TarnColor;
using TarnDrawInfo::TarnPoint;

const double* DrawJob::Series(int32_t element) const {
  SeriesKey key;
  if (!source->program->FindOutputSeriesKey(record, element, &key)) return nullptr;
  SeriesStore* store = source->readStore;
  // A short array (a state block named as a series) cannot be read per bar.
  if (store->SeriesLength(key.kind, key.slot) < store->BarCount()) return nullptr;
  return store->GetSeries(key.kind, key.slot, false, 0);
}

int32_t DrawJob::BarCount() const { return source->readStore->BarCount(); }

double DrawJob::Price(int32_t fieldId, int32_t bar) const {
  if (source->snapshot == nullptr) return INVALID_VALUE;
  return source->snapshot->Get(fieldId, bar);
}

bool DrawJob::HasSnapshot() const { return source->snapshot != nullptr; }

bool DrawJob::UsesBar(int32_t bar) const {
  const int64_t every = int64_t{std::max(step, 0)} + 1;
  return int64_t{bar} % every == 0;
}

uint32_t DrawJob::StyleCode(int32_t element, uint32_t fallback) const {
  uint32_t code = 0;
  return ReadConstantCode(*record, element, &code) ? code : fallback;
}

bool ReadConstantCode(const ExprRecord& record, int32_t element, uint32_t* code) {
  if (element < 1 || element >= record.count) return false;
  // No store, data or program: only numbers and operators over them evaluate.
  CalcContext bare;
  bare.bar = 0;
  double value = INVALID_VALUE;
  if (EvaluateOperand(&bare, record.kinds[element], record.values[element], &value, 0) != EVAL_OK) return false;
  if (!HasValue(value)) return false;
  *code = FloatBits(value);
  return true;
}

uint32_t FloatBits(double v) {
  const float narrowed = static_cast<float>(v);
  uint32_t bits = 0;
  std::memcpy(&bits, &narrowed, sizeof bits);
  return bits;
}

int32_t TruncateToInt(double v) {
  if (std::isnan(v)) return 0;
  const double t = std::trunc(v);
  if (t >= static_cast<double>(std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
  if (t <= static_cast<double>(std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(t);
}

TarnColor Palette(int32_t id) { return TarnDrawInfo::GetColorByID(static_cast<TarnDrawInfo::COLOR_TYPE>(id)); }

void FlushLine(GraphDrawInfoBuilder& builder, int id, std::vector<TarnPoint>& points) {
  if (points.empty()) return;
  builder.AddCurveLine(id, points, false, false);
  points.clear();
}

void FlushPolygon(GraphDrawInfoBuilder& builder, int id, std::vector<TarnPoint>& upper, std::vector<TarnPoint>& lower) {
  upper.insert(upper.end(), lower.rbegin(), lower.rend());
  if (!upper.empty()) builder.AddCurveLine(id, upper, false, false);
  upper.clear();
  lower.clear();
}

void ReserveOrder(TarnDrawInfo::GraphDrawInfo& info, const DrawJob& job, size_t perBar) {
  info.drawOrder.reserve(static_cast<size_t>(job.last - job.first + 1) * perBar);
}

bool RoseBeforeBar(const DrawJob& job, int32_t bar, bool fallback) {
  for (int32_t b = bar - 1; b >= 0; --b) {
    const double close = job.Price(kSnapClose, b);
    const double open = job.Price(kSnapOpen, b);
    if (!HasValue(close) || !HasValue(open)) continue;
    if (std::fabs(close - open) > VALUE_EPSILON) return close > open;
  }
  return fallback;
}
