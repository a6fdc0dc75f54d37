#include "formula/frontend/formula_token_list.h"

#include "formula/frontend/keyword_tables.h"

void FormulaTokenList::AppendStatement(const std::vector<int32_t>& tokens, int32_t lastToken,
                                       const std::vector<int32_t>& positions, const StatementPlace& place,
                                       int32_t length) {
  for (int32_t k = 0; k <= lastToken; ++k) Append(tokens[k], place.start + positions[k], place);
  Append(TOKEN_STATEMENT_END, place.start + length, place);
}

void FormulaTokenList::Append(int32_t id, int32_t position, const StatementPlace& place) {
  formulaTokens_.push_back(id);
  formulaTokenPositions_.push_back(position);
  places_.push_back(place);
}
