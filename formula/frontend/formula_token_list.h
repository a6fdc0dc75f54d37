#pragma once
// FormulaTokenList: the token ids of every accepted statement, each statement
// followed by the end marker, and where in the text each entry stands.
#include <cstddef>
#include <cstdint>
#include <vector>

// Where a statement starts in the prepared text and which line it is on.
struct StatementPlace {
  int32_t start;      // index of its first character
  int32_t line;       // line breaks before it
  int32_t lineStart;  // index of the line break before its line (0 on the first lines)
};

class FormulaTokenList {
 public:
  FormulaTokenList() { formulaTokens_.reserve(100); }

  // Appends tokens[0..lastToken] at their statement positions, then the end marker at `length`.
  void AppendStatement(const std::vector<int32_t>& tokens, int32_t lastToken, const std::vector<int32_t>& positions,
                       const StatementPlace& place, int32_t length);

  const std::vector<int32_t>& formulaTokens() const { return formulaTokens_; }
  int32_t formulaTokenCount() const { return static_cast<int32_t>(formulaTokens_.size()); }
  // Absolute text position of every formulaTokens entry.
  const std::vector<int32_t>& formulaTokenPositions() const { return formulaTokenPositions_; }
  // The statement place of entry `index`, which must be an entry.
  const StatementPlace& PlaceOf(size_t index) const { return places_[index]; }

 private:
  void Append(int32_t id, int32_t position, const StatementPlace& place);

  std::vector<int32_t> formulaTokens_;
  std::vector<int32_t> formulaTokenPositions_;
  std::vector<StatementPlace> places_;  // the statement of each entry
};
