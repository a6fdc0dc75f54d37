#pragma once
// StatementChecker: the checks of one tokenized and rewritten statement:
// balanced brackets, argument counts of calls, and operand runs after commas
// and brackets. It only reads the tokens; a failure goes to the error report.
#include <cstdint>
#include <vector>

#include "formula/frontend/error_report.h"

class StatementChecker {
 public:
  // tokens[0..lastToken] are the statement's tokens.
  StatementChecker(const std::vector<int32_t>& tokens, int32_t lastToken, ErrorReport& error)
      : tokens_(tokens), lastToken_(lastToken), error_(error) {}

  // -1 when the statement passes, else the index of the failing token (the code raised).
  int32_t CheckStatement();

 private:
  int32_t CheckParentheses(int32_t& depth);
  int32_t CheckFunctionCall(int32_t index);
  // -1, or the failing token index of the operand run that starts at `start` at bracket level `depth`.
  int32_t CheckOperands(int32_t start, int32_t depth);
  int32_t Fail(int32_t code, int32_t index);

  const std::vector<int32_t>& tokens_;
  int32_t lastToken_;
  ErrorReport& error_;
};
