#include "formula/frontend/statement_checker.h"

#include "formula/frontend/compile_errors.h"
#include "formula/frontend/keyword_tables.h"

namespace {

bool IsFunctionId(int32_t id) { return id >= TOKEN_OPERATOR_LIMIT && id <= TOKEN_FUNCTION_LAST; }

// A run whose start index equals its bracket depth counts as checked without a look at its
// tokens (the run from a statement's first token always does).
bool RunSkipsOperandCheck(int32_t start, int32_t depth) { return start == depth; }

// Between tokens an operand run may hold no operand yet or exactly one.
bool HoldsOneOperandAtMost(int32_t operandBalance) { return operandBalance >= 0 && operandBalance <= 1; }

// The error of a run whose balance is not one operand: too few operands or two side by side.
int32_t OperandBalanceError(int32_t operandBalance) {
  return operandBalance < 1 ? kErrorOperandCount : kErrorAdjacentOperands;
}

// A `)` that brings the run back to its own level or to the statement's top level ends a group
// that must hold exactly one operand.
bool ClosesRunGroup(int32_t levelAfter, int32_t depth) { return levelAfter == 0 || levelAfter == depth; }

// How a token changes the operand balance: an operand (a number, name, field, text, the implicit
// zero or a function without arguments) adds one, an operator takes one; brackets, commas,
// attributes and functions with arguments change nothing.
int32_t OperandBalanceStep(int32_t id) {
  if (IsFunctionId(id)) return ArgCountOf(id) == 0 ? 1 : 0;
  if (id < TOKEN_OPERATOR_LIMIT) return -1;
  if (id == TOKEN_IMPLICIT_ZERO || id > TOKEN_ATTRIBUTE_LAST) return 1;
  return 0;
}

}  // namespace

// Checks: parentheses, operands after commas and brackets, argument counts.
int32_t StatementChecker::CheckStatement() {
  int32_t depth = 0;
  int32_t at = CheckParentheses(depth);
  if (at >= 0) return at;
  at = CheckOperands(0, 0);
  if (at >= 0) return at;
  for (int32_t k = 0; k <= lastToken_; ++k) {
    int32_t id = tokens_[k];
    if (id == TOKEN_COMMA) {
      at = CheckOperands(k + 1, depth);
    } else if (id == TOKEN_OPEN) {
      at = CheckOperands(k + 1, ++depth);
    } else if (id == TOKEN_CLOSE) {
      --depth;
    } else if (IsFunctionId(id)) {
      at = CheckFunctionCall(k);
    }
    if (at >= 0) return at;
  }
  return -1;
}

// parentheses: the count of `(` minus `)` never drops below zero and ends at zero
int32_t StatementChecker::CheckParentheses(int32_t& depth) {
  depth = 0;
  for (int32_t k = 0; k <= lastToken_; ++k) {
    if (tokens_[k] == TOKEN_OPEN) ++depth;
    if (tokens_[k] == TOKEN_CLOSE && --depth < 0) return Fail(kErrorUnbalanced, k);
  }
  return depth > 0 ? Fail(kErrorUnbalanced, lastToken_ + 1) : -1;
}

// call := function '(' args ')' with (argument count - 1) commas at its own level
int32_t StatementChecker::CheckFunctionCall(int32_t k) {
  int32_t count = ArgCountOf(tokens_[k]);
  if (count < 0) count = 1;
  if (count == 0) return -1;
  if (k + 1 > lastToken_ || tokens_[k + 1] != TOKEN_OPEN) return Fail(kErrorUnbalanced, k);
  int32_t level = 0;
  int32_t commas = 0;
  for (int32_t j = k + 1; j <= lastToken_; ++j) {
    int32_t id = tokens_[j];
    if (id == TOKEN_OPEN) ++level;
    if (id == TOKEN_CLOSE && --level == 0) break;
    if (id == TOKEN_COMMA && level == 1) ++commas;
  }
  return commas == count - 1 ? -1 : Fail(kErrorOperandCount, k);
}

// operand run := operand (operator operand)* up to a `,` or the closing bracket of its level
int32_t StatementChecker::CheckOperands(int32_t start, int32_t depth) {
  if (RunSkipsOperandCheck(start, depth)) return -1;
  int32_t operandBalance = 0;  // operands minus operators seen so far in the run
  int32_t level = depth;       // bracket level at the current token
  for (int32_t index = start; index <= lastToken_; ++index) {
    if (!HoldsOneOperandAtMost(operandBalance)) return Fail(OperandBalanceError(operandBalance), index);
    int32_t id = tokens_[index];
    if (id == TOKEN_COMMA) return operandBalance == 1 ? -1 : Fail(kErrorMisplacedCharacter, index);
    if (id == TOKEN_OPEN) ++level;
    if (id == TOKEN_CLOSE && ClosesRunGroup(--level, depth) && operandBalance != 1) {
      return Fail(kErrorMalformedPair, index);
    }
    operandBalance += OperandBalanceStep(id);
  }
  if (operandBalance == 1 || start == lastToken_) return -1;
  if (start > lastToken_) return Fail(kErrorOperandCount, start - 1);
  return Fail(OperandBalanceError(operandBalance), lastToken_);
}

int32_t StatementChecker::Fail(int32_t code, int32_t index) {
  error_.Raise(code);
  return index;
}
