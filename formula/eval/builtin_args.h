#pragma once
// Entry checks and argument access shared by the math, logic and calendar
// built-ins: every call first checks its record, context and store, then the
// bar, then its element count; arguments are read k bars before the bar.
#include <cstdint>

#include "formula/eval/calc_context.h"
#include "formula/eval/evaluator.h"
#include "formula/eval/series_store.h"
#include "formula/eval/value.h"

namespace builtin_args {

// Where an argument list starts: after the function (plain call) or after
// the function and the state handle (stateful call).
constexpr int32_t PLAIN_ARGS = 1;
constexpr int32_t STATE_ARGS = 2;

// One call at one bar.
struct Args {
  const ExprRecord* call = nullptr;
  CalcContext* ctx = nullptr;
  int32_t offset = 0;
  int32_t bar = 0;    // ctx->bar - offset, inside the data
  int32_t first = 0;  // element of argument 0

  // Argument i (0-based, in source order) evaluated k bars before the bar.
  int32_t At(int32_t i, int32_t k, double* v) const {
    const int32_t e = first + i;
    return EvaluateOperand(ctx, call->kinds[e], call->values[e], v, offset + k);
  }
};

enum class Entry {
  Fault,    // return EVAL_BAD_ARGUMENT
  Outside,  // the bar lies outside the data: *out is INVALID_VALUE, return EVAL_OK
  Ready,    // args is filled in and *out preset to INVALID_VALUE
};

// The entry checks of a built-in that demands exactly `count` elements.
inline Entry Enter(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset, int32_t count,
                   int32_t first, Args* args) {
  if (call == nullptr || out == nullptr || ctx == nullptr || ctx->store == nullptr) return Entry::Fault;
  const int64_t bar = static_cast<int64_t>(ctx->bar) - offset;
  if (bar < 0 || bar >= ctx->store->BarCount()) {
    *out = INVALID_VALUE;
    return Entry::Outside;
  }
  if (call->count != count || call->kinds == nullptr || call->values == nullptr) return Entry::Fault;
  *args = Args{call, ctx, offset, static_cast<int32_t>(bar), first};
  *out = INVALID_VALUE;  // what every early return leaves
  return Entry::Ready;
}

// The result code of an entry that is not Ready.
inline int32_t EntryCode(Entry e) { return e == Entry::Fault ? EVAL_BAD_ARGUMENT : EVAL_OK; }

}  // namespace builtin_args
