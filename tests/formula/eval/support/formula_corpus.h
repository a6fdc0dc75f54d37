#pragma once
// Formula texts gathered from the project's files, each with where it came
// from: formula files in a folder (fuzz inputs cut at their first NUL), the
// examples of the language reference, and the string literals of C++ test
// sources that look like formulas.
#include <string>
#include <vector>

struct CorpusFormula {
  std::string origin;  // file, or file:line
  std::string text;
};

// The regular files of a folder (not recursive) in name order; only those
// ending in `extension` when one is given.
std::vector<CorpusFormula> FormulasInFolder(const std::string& folder, const std::string& extension = "");

// The `example:` fields of the language reference, continuation lines joined.
std::vector<CorpusFormula> ReferenceExamples(const std::string& path);

// String literals (adjacent literals joined) of the *.cpp and *.h files under
// a folder, recursively, that contain a `;` or a call such as `MA(`.
std::vector<CorpusFormula> FormulaLiterals(const std::string& folder);

// Literals of one C++ source text, with the line each starts on.
std::vector<std::pair<int, std::string>> StringLiterals(const std::string& source);

// The list without texts seen earlier in it.
std::vector<CorpusFormula> WithoutRepeats(std::vector<CorpusFormula> formulas);
