#pragma once
// Helpers shared by the built-ins: the entry check every call makes,
// argument evaluation at an older (or newer) bar, state blocks and their
// roll, and period arguments.
#include <algorithm>
#include <cstdint>

#include "abacor/data_provider.h"
#include "formula/eval/calc_context.h"
#include "formula/eval/evaluator.h"
#include "formula/eval/series_store.h"
#include "formula/eval/value.h"

namespace builtin {

// Length asked for a whole-range block: one cell per bar plus two.
constexpr int32_t WHOLE_RANGE_BLOCK = 0;

constexpr double LARGEST = 1.7976931348623157e308;

// Price fields of the provider.
constexpr int32_t FIELD_HIGH = 1;
constexpr int32_t FIELD_OPEN = 2;
constexpr int32_t FIELD_LOW = 3;
constexpr int32_t FIELD_CLOSE = 4;

// One price of bar `bar` straight from the provider; false when it has none
// (a bar before the first included).
inline bool ReadPrice(IIndexDataProvider* provider, int32_t field, int32_t bar, double* v) {
  *v = INVALID_VALUE;
  return bar >= 0 && provider->GetFieldValue(field, bar, v) && HasValue(*v);
}

// One call being computed: its record, the context, the offset it was asked
// at and the absolute bar b = ctx->bar - offset.
struct Call {
  const ExprRecord* rec;
  CalcContext* ctx;
  int32_t offset;
  int32_t b;

  // Element e evaluated k bars before b (k < 0: after b).
  int32_t Arg(int32_t e, int64_t k, double* v) const {
    return EvaluateOperand(ctx, rec->kinds[e], rec->values[e], v, ClampOffset(offset + k));
  }
  // Element e evaluated at the absolute bar j.
  int32_t ArgAtBar(int32_t e, int64_t j, double* v) const {
    return EvaluateOperand(ctx, rec->kinds[e], rec->values[e], v, ClampOffset(ctx->bar - j));
  }
  // Offsets far outside any data stay far outside without overflowing bar - offset.
  static int32_t ClampOffset(int64_t k) {
    constexpr int64_t limit = int64_t{1} << 30;
    return static_cast<int32_t>(std::max(-limit, std::min(limit, k)));
  }
  OperandKind Kind(int32_t e) const { return rec->kinds[e]; }
};

// Entry check of every call: a missing record, context or store is a fault;
// a bar outside the store gives INVALID_VALUE; then the element count must be
// `count`. Returns false when the call is finished, with its code in *code;
// on true *out is INVALID_VALUE, what every early return leaves.
inline bool Begin(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset, int32_t count, Call* call,
                  int32_t* code) {
  *code = EVAL_BAD_ARGUMENT;
  if (rec == nullptr || ctx == nullptr || ctx->store == nullptr || out == nullptr) return false;
  const int64_t b = static_cast<int64_t>(ctx->bar) - offset;
  if (b < 0 || b >= ctx->store->BarCount()) {
    *out = INVALID_VALUE;
    *code = EVAL_OK;
    return false;
  }
  if (rec->count != count || rec->values == nullptr || rec->kinds == nullptr) return false;
  *call = Call{rec, ctx, offset, static_cast<int32_t>(b)};
  *out = INVALID_VALUE;
  *code = EVAL_OK;
  return true;
}

// Where an argument list starts: after the function (plain call) or after
// the function and the state handle (stateful call).
constexpr int32_t PLAIN_ARGS = 1;
constexpr int32_t STATE_ARGS = 2;

// A call whose arguments are counted in source order from element `first`.
struct Args : Call {
  int32_t first = PLAIN_ARGS;

  // Argument i (0-based) evaluated k bars before b.
  int32_t At(int32_t i, int64_t k, double* v) const { return Arg(first + i, k, v); }
};

// Begin for a call read through Args, its arguments starting at element `first`.
inline bool BeginArgs(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset, int32_t count,
                      int32_t first, Args* args, int32_t* code) {
  args->first = first;
  return Begin(rec, out, ctx, offset, count, args, code);
}

// The state block named by the OPK_STATE handle in element e (its low 16
// bits); null when the element is no handle or the block cannot be had.
inline double* StateBlock(const Call& c, int32_t e, int32_t length) {
  if (c.rec->kinds[e] != OPK_STATE) return nullptr;
  const int32_t slot = static_cast<int32_t>(c.rec->values[e].Low32() & 0xFFFFu);
  if (slot == 0xFFFF) return nullptr;
  return c.ctx->store->GetSeries(OPK_STATE, slot, true, length);
}

// Hands out a stored result: INVALID_VALUE when it has no value.
inline int32_t AnswerWith(double* out, double v) {
  *out = HasValue(v) ? v : INVALID_VALUE;
  return EVAL_OK;
}

// The roll of a state block of `half` cells per bar: when the last entry is
// for the bar before b it becomes the previous entry.
inline void Roll(double* s, int32_t half, int32_t b) {
  if (s[half] != static_cast<double>(b) - 1.0) return;
  std::copy(s + half, s + 2 * half, s);
}

// The visit mark of the current calculator bar for the call whose state
// handle is element e (one bit kept by the store); a null word without one.
inline SeriesStore::MarkBit VisitMark(const Call& c, int32_t e) {
  const int32_t slot = static_cast<int32_t>(c.rec->values[e].Low32() & 0xFFFFu);
  return c.ctx->store->VisitMark(slot, c.ctx->bar);
}

// The state block of element e with at least `length` cells: a shorter
// block is freed and made afresh (every cell UNCOMPUTED). Null when the
// element is no handle or memory runs out.
inline double* StateBlockOfLength(const Call& c, int32_t e, int32_t length) {
  if (double* s = StateBlock(c, e, length)) return s;
  if (c.rec->kinds[e] != OPK_STATE) return nullptr;
  const int32_t slot = static_cast<int32_t>(c.rec->values[e].Low32() & 0xFFFFu);
  if (slot == 0xFFFF || c.ctx->store->SeriesLength(OPK_STATE, slot) >= length) return nullptr;
  c.ctx->store->FreeSeries(OPK_STATE, slot);
  return StateBlock(c, e, length);
}

// A rolling state block: `half` cells for the previous bar and `half` for the
// last bar computed.
//
// Within one visit of a calculator bar, an enclosing window may read this
// call at bars older than its newest entry (HHV scanning back over an inline
// MA, say). Such a read never stores: it works on a copy, so the running
// chain of the newest bars stays as the forward walk left it, and
// recomputing the newest bar, or going on to the next one, takes the same
// path as before. A read of exactly the previous entry's bar is answered from
// its stored quantities. The visit marks (one bit per calculator bar and block,
// kept by the store) tell such reads from a new walk: the bit of the
// calculator bar is set by the first evaluation of the visit and cleared when
// the calculator recalculates that bar.
class RollingBlock {
 public:
  static constexpr int32_t MAX_HALF = 5;

  // The cells to work on; null when the block cannot be had (a fault).
  double* Open(const Call& c, int32_t e, int32_t half) {
    double* s = StateBlock(c, e, 2 * half);
    if (s == nullptr || half > MAX_HALF) return nullptr;
    const SeriesStore::MarkBit mark = VisitMark(c, e);
    const bool lookback = mark.word != nullptr && (*mark.word & mark.bit) != 0 && static_cast<double>(c.b) < s[half];
    answered = lookback && s[0] == static_cast<double>(c.b);
    if (lookback) {
      std::copy(s, s + 2 * half, m_copy);
      return m_copy;
    }
    if (mark.word != nullptr) *mark.word |= mark.bit;
    Roll(s, half, c.b);
    return s;
  }

  bool answered = false;

 private:
  double m_copy[2 * MAX_HALF] = {};
};

// Entry of a call laid out (state, X) that keeps one quantity in a standard
// rolling block. False when the call is done, with its code in *code: a
// fault, a bar outside the data, or a look-back read answered from the
// block (the kept quantity less `keptBias`).
inline bool BeginRolling(const ExprRecord* rec, double* out, CalcContext* ctx, int32_t offset, double keptBias, Call* c,
                         RollingBlock* block, double** s, int32_t* code) {
  if (!Begin(rec, out, ctx, offset, 3, c, code)) return false;
  *s = block->Open(*c, 1, 2);
  if (*s == nullptr) {
    *code = EVAL_BAD_ARGUMENT;
    return false;
  }
  if (!block->answered) return true;
  const double kept = (*s)[1];
  *code = AnswerWith(out, HasValue(kept) ? kept - keptBias : INVALID_VALUE);
  return false;
}

// The previous entry is for the bar before b and its first quantity has a value.
inline bool Continuing(const double* s, int32_t b) { return s[0] == static_cast<double>(b) - 1.0 && HasValue(s[1]); }

// Period argument in element e at b: false when it has no value.
inline int32_t ReadPeriod(const Call& c, int32_t e, int32_t* n, bool* ok) {
  double v = 0.0;
  const int32_t rc = c.Arg(e, 0, &v);
  *ok = rc == EVAL_OK && HasValue(v);
  *n = *ok ? RoundCount(v) : 0;
  return rc;
}

// The window of bar b-1 covered the same bars as the window of b without its
// newest bar (the period at b-1 rounds to the same effective length). Also
// true while both windows still start at bar 0.
inline int32_t SamePeriod(const Call& c, int32_t e, int32_t n, bool* same) {
  *same = false;
  double v = 0.0;
  const int32_t rc = c.Arg(e, 1, &v);
  if (rc != EVAL_OK || !HasValue(v)) return rc;
  *same = std::min(RoundCount(v), c.b) == std::min(n, c.b);
  return EVAL_OK;
}

// Effective window at b: the period, at most the bars that exist.
inline int32_t EffectiveWindow(int32_t n, int32_t b) { return std::min(n, b + 1); }

// Last bar that whole-range passes may address: min(total bars, store bars) - 1.
inline int32_t LastAddressableBar(const CalcContext* ctx) {
  return std::min(ctx->totalBarCount, ctx->store->BarCount()) - 1;
}

}  // namespace builtin
