#pragma once
// Generated bars for comparing two ways of calculating the same formula:
// a plain random walk, or rough data that stresses every edge a window or a
// comparison can trip over. Rough data sits on a 0.01 price grid (many exact
// ties), nudges some cells within or just beyond the engine's equality
// tolerance of the cell they would tie with, and has runs of failed reads,
// whole bars without data (gaps), NaN, +inf, -inf, zeros and the no-value
// marker itself. The same seed always gives the same bars.
#include <array>
#include <cstdint>
#include <vector>

#include "abacor/bulk_data_provider.h"
#include "abacor/data_provider.h"

// Per-bar fields 1..kRoughFieldCount are generated; others fail to read.
constexpr int32_t kRoughFieldCount = 18;

struct RoughBarsSpec {
  uint64_t seed = 1;
  int32_t bars = 1000;
  bool rough = true;
};

// The generated cells; a field's cell at a bar either reads as a value
// (which may be NaN or infinite) or fails.
struct RoughBars {
  int32_t bars = 0;
  // Index 0 unused; index f is field f.
  std::array<std::vector<double>, kRoughFieldCount + 1> values;
  std::array<std::vector<uint8_t>, kRoughFieldCount + 1> fails;
  // Bars without a time (the gaps of rough data).
  std::vector<uint8_t> timeFails;
};

RoughBars MakeRoughBars(const RoughBarsSpec& spec);

// Serves RoughBars to a calculator. The instrument has `total` bars of the
// `bars` slots (a chart offering room for bars still to come); reads at or
// beyond `total` fail. With columns on, the provider also hands out whole
// columns (NaN where a read fails); with columns off it answers
// GetFieldColumn with null, so every datum goes through GetFieldValue.
class RoughBarsProvider : public IIndexDataProvider, public IIndexBulkDataProvider {
 public:
  RoughBarsProvider(RoughBars bars, int32_t total, bool columns);

  int32_t Total() const { return total_; }
  int32_t Slots() const { return bars_.bars; }
  // The instrument grows to `total` bars (at most the slots).
  void SetTotal(int32_t total);
  // The last bar's close moves by `delta`, as a tick of a live bar does; its
  // high and low follow so the bar stays consistent.
  void Retick(double delta);

  bool GetBarCount(int32_t* count) override;
  bool GetTotalBarCount(int32_t* count) override;
  bool GetFieldValue(int32_t fieldId, int32_t bar, double* value) override;
  bool GetScalarValue(int32_t fieldId, double* value) override;
  bool GetAnchorBar(int32_t bar, int32_t direction, int32_t* anchor) override;
  bool GetPeriod(int32_t* type, int32_t* multiplier) override;
  bool GetBarTime(int32_t bar, int64_t* time) override;
  bool GetBarIndexByTime(int64_t time, int32_t* bar) override;
  bool GetTimeOfDate(int64_t date, int64_t* time) override;
  const double* GetFieldColumn(int32_t fieldId, int32_t count) override;

 private:
  bool Readable(int32_t fieldId, int32_t bar) const;
  void RefreshColumns();

  RoughBars bars_;
  int32_t total_ = 0;
  bool columns_ = false;
  std::array<std::vector<double>, kRoughFieldCount + 1> columnCells_;
};
