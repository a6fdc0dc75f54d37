#include "support/rough_bars.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

namespace {

constexpr int32_t kHigh = 1;
constexpr int32_t kOpen = 2;
constexpr int32_t kLow = 3;
constexpr int32_t kClose = 4;
constexpr int32_t kAmount = 5;
constexpr int32_t kVol = 6;
constexpr int64_t kFirstTime = 1700000000;
constexpr int64_t kDay = 86400;

// splitmix64: a small generator whose sequence is the same on every platform.
class Rng {
 public:
  explicit Rng(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Uniform in 0..n-1.
  int32_t Below(int32_t n) { return static_cast<int32_t>(Next() % static_cast<uint64_t>(n)); }
  // Uniform in [0, 1).
  double Unit() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }

 private:
  uint64_t state_;
};

// Offsets that make a cell tie, almost tie or just miss a tie with the value
// it is nudged from: within the equality tolerance (the float 1e-7 widened),
// exactly on it, and beyond it.
constexpr double kNudges[] = {
    3e-8,   -3e-8,   6e-8,   -6e-8,  9.5e-8, -9.5e-8, 1.0000000116860974e-07, -1.0000000116860974e-07,
    1.3e-7, -1.3e-7, 2.5e-7, -2.5e-7};
static_assert(sizeof(kNudges) / sizeof(kNudges[0]) == 12, "twelve nudges");

double Cents(int64_t cents) { return static_cast<double>(cents) / 100.0; }

void Resize(RoughBars& out, int32_t bars) {
  out.bars = bars;
  for (auto& v : out.values) v.assign(static_cast<size_t>(bars), 0.0);
  for (auto& f : out.fails) f.assign(static_cast<size_t>(bars), 0);
  out.timeFails.assign(static_cast<size_t>(bars), 0);
}

// Prices on the 0.01 grid that move by at most two cents a bar, so equal
// prices recur all the time; volumes in whole hundreds, zero now and then.
void FillGrid(Rng& rng, RoughBars& out) {
  static constexpr int64_t kSteps[] = {-2, -1, 0, 0, 0, 1, 2};
  static constexpr int64_t kGaps[] = {-1, 0, 0, 1};
  static constexpr int64_t kWicks[] = {0, 0, 1, 2};
  int64_t close = 1000;
  std::array<int64_t, kRoughFieldCount + 1> other{};
  for (int32_t f = 7; f <= kRoughFieldCount; ++f) other[f] = 100 * f;
  for (int32_t b = 0; b < out.bars; ++b) {
    const int64_t open = close + kGaps[rng.Below(4)];
    close = std::max<int64_t>(close + kSteps[rng.Below(7)], 20);
    const int64_t high = std::max(open, close) + kWicks[rng.Below(4)];
    const int64_t low = std::max<int64_t>(std::min(open, close) - kWicks[rng.Below(4)], 1);
    const size_t i = static_cast<size_t>(b);
    out.values[kHigh][i] = Cents(high);
    out.values[kOpen][i] = Cents(std::max<int64_t>(open, 1));
    out.values[kLow][i] = Cents(low);
    out.values[kClose][i] = Cents(close);
    out.values[kVol][i] = 100.0 * rng.Below(40);
    out.values[kAmount][i] = out.values[kVol][i] * out.values[kClose][i];
    for (int32_t f = 7; f <= kRoughFieldCount; ++f) {
      other[f] = std::max<int64_t>(other[f] + kSteps[rng.Below(7)], 1);
      out.values[f][i] = Cents(other[f]);
    }
  }
}

// A geometric random walk with continuous prices (ties are rare).
void FillWalk(Rng& rng, RoughBars& out) {
  double close = 10.0;
  std::array<double, kRoughFieldCount + 1> other{};
  for (int32_t f = 7; f <= kRoughFieldCount; ++f) other[f] = f;
  for (int32_t b = 0; b < out.bars; ++b) {
    const double open = close * (1.0 + 0.004 * (rng.Unit() - 0.5));
    close *= std::exp(0.03 * (rng.Unit() - 0.5));
    const size_t i = static_cast<size_t>(b);
    out.values[kHigh][i] = std::max(open, close) * (1.0 + 0.01 * rng.Unit());
    out.values[kOpen][i] = open;
    out.values[kLow][i] = std::min(open, close) * (1.0 - 0.01 * rng.Unit());
    out.values[kClose][i] = close;
    out.values[kVol][i] = 1e5 * (0.5 + rng.Unit());
    out.values[kAmount][i] = out.values[kVol][i] * close;
    for (int32_t f = 7; f <= kRoughFieldCount; ++f) {
      other[f] *= std::exp(0.02 * (rng.Unit() - 0.5));
      out.values[f][i] = other[f];
    }
  }
}

double Special(int32_t kind) {
  switch (kind) {
    case 0: return std::numeric_limits<double>::quiet_NaN();
    case 1: return std::numeric_limits<double>::infinity();
    case 2: return -std::numeric_limits<double>::infinity();
    case 3: {
      const uint64_t bits = 0xFFFFFFFEFFFFFFFFull;  // the engine's no-value marker
      double v = 0.0;
      std::memcpy(&v, &bits, sizeof v);
      return v;
    }
    default: return 0.0;
  }
}

void MarkRun(std::vector<uint8_t>& marks, int32_t from, int32_t length) {
  const int32_t end = std::min<int32_t>(from + length, static_cast<int32_t>(marks.size()));
  for (int32_t b = from; b < end; ++b) marks[static_cast<size_t>(b)] = 1;
}

// One cell of rough data: a nudge towards a tie (from its own value or the
// previous bar's), a special value, or the start of a run of failed reads.
void Roughen(Rng& rng, RoughBars& out, int32_t f, int32_t b) {
  auto& cells = out.values[f];
  const size_t i = static_cast<size_t>(b);
  const int32_t r = rng.Below(1000);
  const double nudge = kNudges[rng.Below(12)];
  if (r < 50) {
    cells[i] += nudge;
  } else if (r < 90 && b > 0 && std::isfinite(cells[i - 1])) {
    cells[i] = cells[i - 1] + nudge;
  } else if (r < 106) {
    cells[i] = Special(rng.Below(5));
  } else if (r < 112) {
    MarkRun(out.fails[f], b, 1 + rng.Below(15));
  }
}

void AddRoughness(Rng& rng, RoughBars& out) {
  for (int32_t b = 0; b < out.bars; ++b) {
    for (int32_t f = 1; f <= kRoughFieldCount; ++f) Roughen(rng, out, f, b);
    if (rng.Below(150) != 0) continue;
    // A gap: a few bars with no datum and no time at all.
    const int32_t length = 1 + rng.Below(6);
    for (int32_t f = 1; f <= kRoughFieldCount; ++f) MarkRun(out.fails[f], b, length);
    MarkRun(out.timeFails, b, length);
  }
}

}  // namespace

RoughBars MakeRoughBars(const RoughBarsSpec& spec) {
  RoughBars out;
  Resize(out, std::max(spec.bars, 1));
  Rng rng(spec.seed);
  if (!spec.rough) {
    FillWalk(rng, out);
    return out;
  }
  FillGrid(rng, out);
  AddRoughness(rng, out);
  return out;
}

RoughBarsProvider::RoughBarsProvider(RoughBars bars, int32_t total, bool columns)
    : bars_(std::move(bars)), columns_(columns) {
  SetTotal(total);
}

void RoughBarsProvider::SetTotal(int32_t total) {
  total_ = std::clamp(total, 0, bars_.bars);
  RefreshColumns();
}

void RoughBarsProvider::Retick(double delta) {
  if (total_ < 1) return;
  const size_t last = static_cast<size_t>(total_ - 1);
  double& close = bars_.values[kClose][last];
  close += delta;
  bars_.values[kHigh][last] = std::max(bars_.values[kHigh][last], close);
  bars_.values[kLow][last] = std::min(bars_.values[kLow][last], close);
  RefreshColumns();
}

bool RoughBarsProvider::Readable(int32_t fieldId, int32_t bar) const {
  if (fieldId < 1 || fieldId > kRoughFieldCount || bar < 0 || bar >= total_) return false;
  return bars_.fails[fieldId][static_cast<size_t>(bar)] == 0;
}

void RoughBarsProvider::RefreshColumns() {
  if (!columns_) return;
  for (int32_t f = 1; f <= kRoughFieldCount; ++f) {
    auto& column = columnCells_[f];
    column.assign(static_cast<size_t>(bars_.bars), std::numeric_limits<double>::quiet_NaN());
    for (int32_t b = 0; b < total_; ++b) {
      if (Readable(f, b)) column[static_cast<size_t>(b)] = bars_.values[f][static_cast<size_t>(b)];
    }
  }
}

bool RoughBarsProvider::GetBarCount(int32_t* count) {
  *count = bars_.bars;
  return true;
}

bool RoughBarsProvider::GetTotalBarCount(int32_t* count) {
  *count = total_;
  return true;
}

bool RoughBarsProvider::GetFieldValue(int32_t fieldId, int32_t bar, double* value) {
  if (!Readable(fieldId, bar)) return false;
  *value = bars_.values[fieldId][static_cast<size_t>(bar)];
  return true;
}

bool RoughBarsProvider::GetScalarValue(int32_t fieldId, double* value) {
  if (fieldId != 501) return false;
  *value = 2.5e8;
  return true;
}

bool RoughBarsProvider::GetAnchorBar(int32_t, int32_t, int32_t*) { return false; }

bool RoughBarsProvider::GetPeriod(int32_t*, int32_t*) { return false; }

bool RoughBarsProvider::GetBarTime(int32_t bar, int64_t* time) {
  if (bar < 0 || bar >= total_ || bars_.timeFails[static_cast<size_t>(bar)] != 0) return false;
  *time = kFirstTime + kDay * bar;
  return true;
}

bool RoughBarsProvider::GetBarIndexByTime(int64_t time, int32_t* bar) {
  const int64_t index = (time - kFirstTime) / kDay;
  *bar = static_cast<int32_t>(std::clamp<int64_t>(index, -1, bars_.bars));
  return true;
}

bool RoughBarsProvider::GetTimeOfDate(int64_t, int64_t*) { return false; }

const double* RoughBarsProvider::GetFieldColumn(int32_t fieldId, int32_t count) {
  if (!columns_ || fieldId < 1 || fieldId > kRoughFieldCount || count > bars_.bars) return nullptr;
  return columnCells_[fieldId].data();
}
