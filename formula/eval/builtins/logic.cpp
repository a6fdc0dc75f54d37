#include "formula/eval/builtins/logic.h"

#include <algorithm>
#include <cmath>

#include "formula/eval/builtins/steps.h"
#include "formula/eval/builtins/support.h"
#include "formula/eval/evaluator.h"
#include "formula/eval/series_store.h"
#include "formula/eval/value.h"

using builtin::Args;
using builtin::PLAIN_ARGS;
using builtin::STATE_ARGS;

namespace {

// VALUEWHEN's written arguments follow its result variable (element 1).
constexpr int32_t VALUEWHEN_ARGS = 2;

// Arguments i and i + 1 at k bars before the bar; *valid tells whether both
// hold values.
int32_t ReadPair(const Args& a, int32_t i, int32_t k, double* x, double* y, bool* valid) {
  int32_t code = a.At(i, k, x);
  if (code != EVAL_OK) return code;
  code = a.At(i + 1, k, y);
  if (code != EVAL_OK) return code;
  *valid = HasValue(*x) && HasValue(*y);
  return EVAL_OK;
}

// A count argument at the bar, rounded; *valid is false when it has no value
// or is not positive.
int32_t ReadCount(const Args& a, int32_t i, int32_t* n, bool* valid) {
  double v = 0.0;
  const int32_t code = a.At(i, 0, &v);
  if (code != EVAL_OK) return code;
  *n = HasValue(v) ? RoundCount(v) : 0;
  *valid = *n > 0;
  return EVAL_OK;
}

// The four-cell state block of a run test, {prevBar, prevCount, lastBar,
// lastCount}: the count found at the last bar computed and at the bar before
// it, so that a bar computed again still finds the count of its predecessor.
// The block is written only by Close, so a call that ends without a count
// leaves it as it was.
class RunBlock {
 public:
  // The block of the call's state handle (element 1); false when there is none.
  bool Open(const Args& a) {
    m_cells = builtin::StateBlock(a, 1, 4);
    if (m_cells == nullptr) return false;
    m_bar = a.b;
    // A block last closed on the bar before rolls its last pair into the
    // previous pair.
    const bool roll = m_cells[2] == static_cast<double>(m_bar) - 1.0;
    m_prevBar = roll ? m_cells[2] : m_cells[0];
    m_prevCount = roll ? m_cells[3] : m_cells[1];
    return true;
  }

  // The count of the bar before may be built on.
  bool Reusable() const { return m_prevBar == static_cast<double>(m_bar) - 1.0 && HasValue(m_prevCount); }
  int32_t PrevCount() const { return RoundCount(m_prevCount); }

  void Close(int32_t count) {
    m_cells[0] = m_prevBar;
    m_cells[1] = m_prevCount;
    m_cells[2] = m_bar;
    m_cells[3] = count;
  }

 private:
  double* m_cells = nullptr;
  int32_t m_bar = 0;
  double m_prevBar = 0.0;
  double m_prevCount = 0.0;
};

// The run of one step breaks: for a rise the newer value is not above the
// older one, for a fall the older value is not above the newer one.
bool Breaks(double newer, double older, bool rising) { return rising ? newer <= older : older <= newer; }

// UPNDAY (rising) and DOWNNDAY: X moved the same way on each of the last M bars.
int32_t RunOfMoves(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset, bool rising) {
  Args a;
  int32_t entryCode = EVAL_OK;
  if (!builtin::BeginArgs(call, out, ctx, offset, 4, STATE_ARGS, &a, &entryCode)) return entryCode;
  int32_t n = 0;
  bool valid = false;
  int32_t code = ReadCount(a, 1, &n, &valid);
  if (code != EVAL_OK || !valid) return code;
  const int32_t k = std::min(n, a.b);
  RunBlock block;
  if (!block.Open(a)) return EVAL_BAD_ARGUMENT;
  double older = 0.0;
  double newer = 0.0;
  if ((code = a.At(0, 1, &older)) != EVAL_OK || (code = a.At(0, 0, &newer)) != EVAL_OK) return code;
  if (!HasValue(older) || !HasValue(newer)) return EVAL_OK;
  int32_t r = 0;
  if (!Breaks(newer, older, rising)) {
    if (block.Reusable()) {
      r = block.PrevCount() + 1;
    } else {
      r = 1;
      for (int32_t j = 2; j <= a.b; ++j) {
        newer = older;
        if ((code = a.At(0, j, &older)) != EVAL_OK) return code;
        if (!HasValue(older)) return EVAL_OK;
        if (Breaks(newer, older, rising)) break;
        ++r;
      }
    }
  }
  *out = r > 0 && k <= r ? 1.0 : 0.0;
  block.Close(r);
  return EVAL_OK;
}

// The length of the run of true bars (an earlier bar without a value does
// not break it) that ends at the bar, whose own value x0 is true.
int32_t TrueRun(const Args& a, const RunBlock& block, int32_t* r) {
  if (block.Reusable()) {
    *r = block.PrevCount() + 1;
    return EVAL_OK;
  }
  *r = 1;
  for (int32_t j = 1; j <= a.b; ++j) {
    double x = 0.0;
    const int32_t code = a.At(0, j, &x);
    if (code != EVAL_OK) return code;
    if (HasValue(x) && IsZero(x)) break;
    ++*r;
  }
  return EVAL_OK;
}

// Counts the true values of X at j = k - 1 down to 0 into *r.
int32_t CountTrue(const Args& a, int32_t k, int32_t* r) {
  *r = 0;
  for (int32_t j = k - 1; j >= 0; --j) {
    double x = 0.0;
    const int32_t code = a.At(0, j, &x);
    if (code != EVAL_OK) return code;
    if (IsTrue(x)) ++*r;
  }
  return EVAL_OK;
}

// EXIST's window at the bar before had the same length k.
int32_t SameWindow(const Args& a, int32_t k, bool* stable) {
  double previous = 0.0;
  const int32_t code = a.At(1, 1, &previous);
  if (code != EVAL_OK) return code;
  *stable = HasValue(previous) && k == std::min(RoundCount(previous), a.b);
  return EVAL_OK;
}

// EXIST's count updated from the bar before: X at 0 entered the window and
// X at k left it.
int32_t SlideCount(const Args& a, const RunBlock& block, int32_t k, int32_t* r) {
  double entering = 0.0;
  double leaving = 0.0;
  int32_t code = a.At(0, 0, &entering);
  if (code != EVAL_OK) return code;
  code = a.At(0, k, &leaving);
  if (code != EVAL_OK) return code;
  *r = block.PrevCount() + (IsTrue(entering) ? 1 : 0) - (IsTrue(leaving) ? 1 : 0);
  return EVAL_OK;
}

// IF and IFN: COND and both branches are evaluated (an error in either is
// returned); IF takes A when COND is true, IFN takes B.
int32_t Choose(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset, bool ifn) {
  Args a;
  int32_t entryCode = EVAL_OK;
  if (!builtin::BeginArgs(call, out, ctx, offset, 4, PLAIN_ARGS, &a, &entryCode)) return entryCode;
  double v[3] = {0.0, 0.0, 0.0};
  for (int32_t i = 0; i < 3; ++i) {
    const int32_t code = a.At(i, 0, &v[i]);
    if (code != EVAL_OK) return code;
  }
  *out = step::Choose(ifn, v[0], v[1], v[2]);
  return EVAL_OK;
}

// The result variable of VALUEWHEN one bar earlier, read through the
// assignment variables whatever evaluation is in progress.
int32_t PreviousResult(const Args& a, double* v) {
  const int32_t code = EvaluateStatementVariable(a.ctx, a.rec->values[1].Index(), v, a.offset + 1);
  if (code == EVAL_OK && !HasValue(*v)) *v = INVALID_VALUE;
  return code;
}

}  // namespace

// CROSS(A, B): 1.0 on the bar where A moves from below B to above it; an
// exact tie on the bar before is resolved by the bar before that.
int32_t BuiltinCross(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  Args a;
  int32_t entryCode = EVAL_OK;
  if (!builtin::BeginArgs(call, out, ctx, offset, 3, PLAIN_ARGS, &a, &entryCode)) return entryCode;
  int32_t code = EVAL_OK;
  auto read = [&a, &code](int32_t k, double* x, double* y) {
    bool valid = false;
    code = ReadPair(a, 0, k, x, y, &valid);
    if (code != EVAL_OK) return step::PairRead::Failed;
    return valid ? step::PairRead::Values : step::PairRead::NoValue;
  };
  step::Cross(read, out);
  return code;
}

// LONGCROSS(A, B, N): A below B on each of the last N bars that have values,
// and above it now.
int32_t BuiltinLongCross(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  Args a;
  int32_t entryCode = EVAL_OK;
  if (!builtin::BeginArgs(call, out, ctx, offset, 4, PLAIN_ARGS, &a, &entryCode)) return entryCode;
  int32_t n = 0;
  bool valid = false;
  int32_t code = ReadCount(a, 2, &n, &valid);
  if (code != EVAL_OK || !valid) return code;
  double x = 0.0;
  double y = 0.0;
  for (int32_t j = std::min(n, a.b + 1); j >= 1; --j) {
    if ((code = ReadPair(a, 0, j, &x, &y, &valid)) != EVAL_OK) return code;
    if (valid && y <= x) {
      *out = 0.0;
      return EVAL_OK;
    }
  }
  if ((code = ReadPair(a, 0, 0, &x, &y, &valid)) != EVAL_OK || !valid) return code;
  *out = y < x ? 1.0 : 0.0;
  return EVAL_OK;
}

int32_t BuiltinUpNDay(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  return RunOfMoves(call, out, ctx, offset, true);
}

int32_t BuiltinDownNDay(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  return RunOfMoves(call, out, ctx, offset, false);
}

// NDAY(X, Y, N): X above Y on each of the last N bars.
int32_t BuiltinNDay(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  Args a;
  int32_t entryCode = EVAL_OK;
  if (!builtin::BeginArgs(call, out, ctx, offset, 5, STATE_ARGS, &a, &entryCode)) return entryCode;
  int32_t n = 0;
  bool valid = false;
  int32_t code = ReadCount(a, 2, &n, &valid);
  if (code != EVAL_OK || !valid) return code;
  const int32_t k = std::min(n, a.b + 1);
  RunBlock block;
  if (!block.Open(a)) return EVAL_BAD_ARGUMENT;
  double x = 0.0;
  double y = 0.0;
  if ((code = ReadPair(a, 0, 0, &x, &y, &valid)) != EVAL_OK || !valid) return code;
  int32_t r = 0;
  if (x > y) {
    if (block.Reusable()) {
      r = block.PrevCount() + 1;
    } else {
      for (r = 1; r <= a.b; ++r) {
        if ((code = ReadPair(a, 0, r, &x, &y, &valid)) != EVAL_OK || !valid) return code;
        if (x <= y) break;
      }
    }
  }
  *out = r > 0 && k <= r ? 1.0 : 0.0;
  block.Close(r);
  return EVAL_OK;
}

// EXIST(X, N): X true at least once in the last N bars.
int32_t BuiltinExist(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  Args a;
  int32_t entryCode = EVAL_OK;
  if (!builtin::BeginArgs(call, out, ctx, offset, 4, STATE_ARGS, &a, &entryCode)) return entryCode;
  int32_t n = 0;
  bool valid = false;
  int32_t code = ReadCount(a, 1, &n, &valid);
  if (code != EVAL_OK || !valid) return code;
  if (n == 1) {
    double x = 0.0;
    if ((code = a.At(0, 0, &x)) != EVAL_OK) return code;
    *out = IsTrue(x) ? 1.0 : 0.0;
    return EVAL_OK;
  }
  const int32_t k = std::min(n, a.b + 1);
  bool stable = false;
  if ((code = SameWindow(a, k, &stable)) != EVAL_OK) return code;
  RunBlock block;
  if (!block.Open(a)) return EVAL_BAD_ARGUMENT;
  int32_t r = 0;
  code = block.Reusable() && stable ? SlideCount(a, block, k, &r) : CountTrue(a, k, &r);
  if (code != EVAL_OK) return code;
  block.Close(r);
  *out = r > 0 ? 1.0 : 0.0;
  return EVAL_OK;
}

// EVERY(X, N): X true on each of the last N bars, where the current bar must
// be exactly 1. The kept count is the run of true bars ending at the bar, so
// the count taken over from the bar before and a fresh scan always agree.
int32_t BuiltinEvery(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  Args a;
  int32_t entryCode = EVAL_OK;
  if (!builtin::BeginArgs(call, out, ctx, offset, 4, STATE_ARGS, &a, &entryCode)) return entryCode;
  int32_t n = 0;
  bool valid = false;
  int32_t code = ReadCount(a, 1, &n, &valid);
  if (code != EVAL_OK || !valid) return code;
  const int32_t k = std::min(n, a.b + 1);
  RunBlock block;
  if (!block.Open(a)) return EVAL_BAD_ARGUMENT;
  double x = 0.0;
  if ((code = a.At(0, 0, &x)) != EVAL_OK || !HasValue(x)) return code;
  int32_t r = 0;
  if (!IsZero(x) && (code = TrueRun(a, block, &r)) != EVAL_OK) return code;
  *out = std::fabs(x - 1.0) <= VALUE_EPSILON && k <= r ? 1.0 : 0.0;
  block.Close(r);
  return EVAL_OK;
}

// LAST(X, A, B): X true from A bars ago to B bars ago; a bar without a value
// counts as true.
int32_t BuiltinLast(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  Args a;
  int32_t entryCode = EVAL_OK;
  if (!builtin::BeginArgs(call, out, ctx, offset, 4, PLAIN_ARGS, &a, &entryCode)) return entryCode;
  int32_t from = 0;
  int32_t to = 0;
  bool fromValid = false;
  bool toValid = false;
  int32_t code = ReadCount(a, 1, &from, &fromValid);
  if (code != EVAL_OK) return code;
  if ((code = ReadCount(a, 2, &to, &toValid)) != EVAL_OK || !fromValid || !toValid) return code;
  const int32_t m = a.b + 1;
  from = std::min(from, m);
  to = std::min(to, m);
  if (to > from) return EVAL_OK;
  for (int32_t j = to; j <= from; ++j) {
    double x = 0.0;
    if ((code = a.At(0, j, &x)) != EVAL_OK) return code;
    if (HasValue(x) && IsZero(x)) {
      *out = 0.0;
      return EVAL_OK;
    }
  }
  *out = 1.0;
  return EVAL_OK;
}

int32_t BuiltinNot(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  Args a;
  int32_t entryCode = EVAL_OK;
  if (!builtin::BeginArgs(call, out, ctx, offset, 2, PLAIN_ARGS, &a, &entryCode)) return entryCode;
  double x = 0.0;
  const int32_t code = a.At(0, 0, &x);
  if (code != EVAL_OK || !HasValue(x)) return code;
  *out = IsZero(x) ? 1.0 : 0.0;
  return EVAL_OK;
}

int32_t BuiltinIf(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  return Choose(call, out, ctx, offset, false);
}

int32_t BuiltinIfn(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  return Choose(call, out, ctx, offset, true);
}

// VALUEWHEN(COND, X): X where COND is true, else the result of the bar
// before (none on the first calculated bar).
int32_t BuiltinValueWhen(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset) {
  Args a;
  int32_t entryCode = EVAL_OK;
  if (!builtin::BeginArgs(call, out, ctx, offset, 4, VALUEWHEN_ARGS, &a, &entryCode)) return entryCode;
  if (call->kinds[1] != OPK_VAR) return EVAL_BAD_ARGUMENT;
  double cond = 0.0;
  double x = 0.0;
  int32_t code = a.At(0, 0, &cond);
  if (code != EVAL_OK) return code;
  if ((code = a.At(1, 0, &x)) != EVAL_OK || !HasValue(cond)) return code;
  double v = INVALID_VALUE;
  if (!IsZero(cond)) {
    v = HasValue(x) ? x : INVALID_VALUE;
  } else if (ctx->rangeFirst < a.b) {
    if ((code = PreviousResult(a, &v)) != EVAL_OK) return code;
  }
  WriteBack(ctx, call->values[1].Index(), offset, v);
  *out = v;
  return EVAL_OK;
}
