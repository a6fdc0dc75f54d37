#pragma once
// Compiles one formula, runs it over a provider and reads the outputs back:
// the whole life cycle of a parser and a calculator in one owning object.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class IIndexParser;
class IIndexCalculator;
class IIndexDataProvider;

namespace abacor_host {

// A compile error as a formula writer sees it. code and position are what the engine
// reports; line, column and message are for display.
struct CompileError {
  int32_t code = 0;      // the engine's error code (see compile_messages.h)
  int32_t line = 0;      // 1-based line of the caret; 0 when the error has no place in the text
  int32_t column = 0;    // 1-based, in characters of that line (a byte-order mark is not counted)
  int32_t position = 0;  // the engine's byte position in its prepared (GBK) text
  std::string message;   // UTF-8: what is wrong, naming the word, with a hint for common mistakes
};

struct OutputSeries {
  std::string name;  // the output's name, or "#i" for anonymous and drawing outputs
  int32_t drawType = 0;
  bool drawFunction = false;
  std::vector<double> values;  // one per bar of the range; NaN where there is no value
};

class FormulaRunner {
 public:
  FormulaRunner();
  ~FormulaRunner();
  FormulaRunner(const FormulaRunner&) = delete;
  FormulaRunner& operator=(const FormulaRunner&) = delete;

  // Compiles a UTF-8 (or GBK) formula with its parameters; a leading UTF-8 byte-order mark is skipped.
  bool Compile(const std::string& text, const std::vector<std::pair<std::string, float>>& params, CompileError* error);
  // Calculates [first, last] over the provider and publishes the results.
  bool Calculate(IIndexDataProvider* provider, int32_t first, int32_t last);
  // Every output over [first, last] of the published results.
  std::vector<OutputSeries> ReadOutputs(int32_t first, int32_t last) const;

  IIndexParser* Parser() const { return parser_; }
  IIndexCalculator* Calculator() const { return calculator_; }

 private:
  IIndexParser* parser_ = nullptr;
  IIndexCalculator* calculator_ = nullptr;
};

// The formula text of a --formula argument: TEXT, or @FILE to read it from a file.
bool ReadFormulaArgument(const std::string& arg, std::string* text, std::string* error);

// Renders a compile error for a terminal: code, line, column, message and the
// failing line of the formula with a caret under the column.
std::string DescribeCompileError(const std::string& formula, const CompileError& error);

}  // namespace abacor_host
