#include "formula/eval/builtins/trend.h"

#include <cmath>

#include "abacor/data_provider.h"
#include "formula/eval/builtins/support.h"

using builtin::Call;
using builtin::FIELD_CLOSE;
using builtin::FIELD_HIGH;
using builtin::FIELD_LOW;
using builtin::FIELD_OPEN;

namespace {

// Elements of a SAR call.
constexpr int32_t ELEM_OWN = 1;
constexpr int32_t ELEM_STATE = 2;
constexpr int32_t ELEM_N = 3;
constexpr int32_t ELEM_STEP = 4;
constexpr int32_t ELEM_MAX = 5;

struct Prices {
  IIndexDataProvider* provider;

  // One price; false when the provider has none.
  bool Get(int32_t field, int32_t bar, double* v) const { return builtin::ReadPrice(provider, field, bar, v); }
  // Highest HIGH (up = false: lowest LOW) of bars first..last; an empty
  // range gives the neutral start. False when a price is missing.
  bool Extreme(bool highest, int32_t first, int32_t last, double* e) const {
    *e = highest ? -builtin::LARGEST : builtin::LARGEST;
    for (int32_t j = first; j <= last; ++j) {
      double v = 0.0;
      if (!Get(highest ? FIELD_HIGH : FIELD_LOW, j, &v)) return false;
      *e = highest ? std::max(*e, v) : std::min(*e, v);
    }
    return true;
  }
};

// The outcome of one SAR bar: the stop value and the turn signal.
struct SarBar {
  double value = INVALID_VALUE;
  double turn = 0.0;
};

// First bar of a trend: up when the closes of the last n bars rose in sum
// from their opens; the stop starts at the window's low (up) or high (down).
bool FirstBar(const Prices& prices, int32_t b, int32_t n, double step, double* a, SarBar* r) {
  double rise = 0.0;
  for (int32_t j = b - n + 1; j <= b; ++j) {
    double o = 0.0;
    double cl = 0.0;
    if (!prices.Get(FIELD_OPEN, j, &o) || !prices.Get(FIELD_CLOSE, j, &cl)) return false;
    rise += cl - o;
  }
  const bool up = rise >= 0.0;
  if (!prices.Extreme(!up, b - n + 1, b, &r->value)) return false;
  a[b] = up ? step : -step;
  r->turn = up ? 1.0 : -1.0;
  return true;
}

// A later bar: the stop moves towards the trend's extreme by the factor,
// which grows by a step with each new extreme up to max; crossing the stop
// turns the trend.
bool LaterBar(const Prices& prices, int32_t b, int32_t n, double step, double maxFactor, double prev, double* a,
              SarBar* r) {
  const double af = std::fabs(a[b - 1]);
  const bool up = a[b - 1] > 0.0;
  a[b] = up ? af : -af;
  double h = 0.0;
  double l = 0.0;
  double e = 0.0;
  double older = 0.0;
  if (!prices.Get(FIELD_HIGH, b, &h) || !prices.Get(FIELD_LOW, b, &l)) return false;
  if (!prices.Extreme(up, b - n + 1, b - 1, &e)) return false;
  if (!prices.Get(up ? FIELD_HIGH : FIELD_LOW, std::max(b - n, 0), &older)) return false;
  const double e0 = up ? std::max(e, older) : std::min(e, older);
  const double e1 = up ? std::max(e, h) : std::min(e, l);
  const double sar = prev + af * (e0 - prev);
  const bool newExtreme = up ? e1 > e0 : e1 < e0;
  const double grown = std::min(newExtreme ? af + step : af, maxFactor);
  a[b] = up ? grown : -grown;
  r->value = sar;
  r->turn = 0.0;
  const bool reversal = up ? l < sar : h > sar;
  if (!reversal) return true;
  a[b] = up ? -step : step;
  r->turn = up ? -1.0 : 1.0;
  // A new down trend starts at the window's high, a new up trend at its low.
  return prices.Extreme(up, b - n + 1, b, &r->value);
}

int32_t SarCall(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset, bool turnSignal) {
  Call c{};
  int32_t code = 0;
  if (!builtin::Begin(rec, out, ctx, offset, 6, &c, &code)) return code;
  if (c.Kind(ELEM_OWN) != OPK_VAR || ctx->dataProvider == nullptr) return EVAL_BAD_ARGUMENT;
  double stepV = 0.0;
  double maxV = 0.0;
  double nV = 0.0;
  if (int32_t rc = c.Arg(ELEM_STEP, 0, &stepV)) return rc;
  if (int32_t rc = c.Arg(ELEM_MAX, 0, &maxV)) return rc;
  if (!HasValue(stepV) || !HasValue(maxV)) return EVAL_OK;
  const double step = stepV / 100.0;
  const double maxFactor = maxV / 100.0;
  // A step of zero or below would lose the trend's sign in the block.
  if (!(step > 0.0) || step >= 1.0 || maxFactor >= 1.0 || maxFactor < step) return EVAL_OK;
  if (int32_t rc = c.Arg(ELEM_N, 0, &nV)) return rc;
  if (!HasValue(nV)) return EVAL_OK;
  const int32_t n = RoundCount(nV);
  if (n < 1 || c.b < n - 1) return EVAL_OK;
  double* a = builtin::StateBlock(c, ELEM_STATE, builtin::WHOLE_RANGE_BLOCK);
  if (a == nullptr) return EVAL_BAD_ARGUMENT;
  const Prices prices{ctx->dataProvider};
  bool first = c.b == n - 1 || IsUncomputed(a[c.b - 1]);
  double prev = INVALID_VALUE;
  if (!first) {
    if (int32_t rc = c.Arg(ELEM_OWN, 1, &prev)) return rc;
    // Without the previous stop the trend starts over.
    first = !HasValue(prev);
  }
  SarBar r;
  const bool ok =
      first ? FirstBar(prices, c.b, n, step, a, &r) : LaterBar(prices, c.b, n, step, maxFactor, prev, a, &r);
  if (!ok) return EVAL_OK;
  WriteBack(ctx, rec->values[ELEM_OWN].Index(), offset, r.value);
  *out = turnSignal ? r.turn : r.value;
  return EVAL_OK;
}

}  // namespace

// SAR(N, Step, Maximum): the stop value.
int32_t BuiltinSar(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  return SarCall(rec, out, ctx, offset, false);
}

// SARTURN(N, Step, Maximum): 1 where an up trend starts, -1 where a down trend starts, else 0.
int32_t BuiltinSarTurn(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset) {
  return SarCall(rec, out, ctx, offset, true);
}
