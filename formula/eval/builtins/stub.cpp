#include "formula/eval/builtins/stub.h"

#include "formula/eval/series_store.h"
#include "formula/eval/value.h"

int32_t ConstantStub(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  if (call == nullptr || ctx == nullptr || ctx->store == nullptr || out == nullptr) return EVAL_BAD_ARGUMENT;
  const int64_t b = static_cast<int64_t>(ctx->bar) - offset;
  *out = b >= 0 && b < ctx->store->BarCount() ? 1.0 : INVALID_VALUE;
  return EVAL_OK;
}
