#include "formula_runner.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <limits>
#include <memory>
#include <sstream>

#include <abacor/abacor.h>

#include "compile_explainer.h"
#include "text_encoding.h"

namespace abacor_host {

FormulaRunner::FormulaRunner()
    : parser_(IndexObjCreator::CreateIndexParserObj()), calculator_(IndexObjCreator::CreateIndexCalculatorObj()) {}

FormulaRunner::~FormulaRunner() {
  IndexObjCreator::ReleaseIndexCalculatorObj(&calculator_);
  IndexObjCreator::ReleaseIndexParserObj(&parser_);
}

bool FormulaRunner::Compile(const std::string& text, const std::vector<std::pair<std::string, float>>& params,
                            CompileError* error) {
  if (!parser_ || !calculator_) return false;
  std::vector<std::string> names;
  std::vector<float> values;
  for (const auto& p : params) {
    names.push_back(p.first);
    values.push_back(p.second);
  }
  const std::string body = StripByteOrderMark(text);
  const std::string engineText = Utf8ToGbk(body);
  if (parser_->Compile(engineText, names, values)) return calculator_->SetIndexParser(parser_);
  ParseErrorInfo info{};
  parser_->GetErrorInfo(&info);
  if (error) {
    error->code = info.code;
    error->position = info.position;
    error->line = info.line;
    error->column = info.column;
    const bool gbk = engineText != body || !IsValidUtf8(body);
    ExplainCompileError(engineText, gbk, GbkToUtf8(info.text), params, error);
  }
  return false;
}

bool FormulaRunner::Calculate(IIndexDataProvider* provider, int32_t first, int32_t last) {
  if (!calculator_ || !calculator_->SetDataProvider(provider)) return false;
  if (!calculator_->Calculate(first, last, false)) return false;
  return calculator_->PublishResults();
}

std::vector<OutputSeries> FormulaRunner::ReadOutputs(int32_t first, int32_t last) const {
  std::vector<OutputSeries> outputs;
  int32_t count = 0;
  if (!parser_ || !parser_->GetOutputCount(&count) || last < first) return outputs;
  const size_t n = static_cast<size_t>(last - first + 1);
  std::unique_ptr<bool[]> valid(new bool[n]);
  for (int32_t i = 0; i < count; ++i) {
    OutputSeries out;
    char name[64] = {};
    parser_->GetOutputName(i, name, sizeof name);
    out.name = name[0] ? GbkToUtf8(name) : "#" + std::to_string(i);
    parser_->GetOutputDrawType(i, &out.drawType);
    parser_->IsDrawFunctionOutput(i, &out.drawFunction);
    out.values.assign(n, std::numeric_limits<double>::quiet_NaN());
    if (calculator_->GetOutputValues(i, first, last, out.values.data(), valid.get())) {
      for (size_t k = 0; k < n; ++k)
        if (!valid[k]) out.values[k] = std::numeric_limits<double>::quiet_NaN();
    } else {
      // Drawing outputs have no line of their own: show their first argument.
      for (size_t k = 0; k < n; ++k) {
        double v = 0;
        if (calculator_->GetOutputArgValue(i, 0, first + static_cast<int32_t>(k), &v)) out.values[k] = v;
      }
    }
    outputs.push_back(std::move(out));
  }
  return outputs;
}

bool ReadFormulaArgument(const std::string& arg, std::string* text, std::string* error) {
  if (arg.empty() || arg[0] != '@') {
    *text = arg;
    return true;
  }
  std::ifstream in(arg.substr(1), std::ios::binary);
  if (!in) {
    *error = arg.substr(1) + ": cannot open the formula file";
    return false;
  }
  std::stringstream buffer;
  buffer << in.rdbuf();
  *text = buffer.str();
  return true;
}

std::string DescribeCompileError(const std::string& formula, const CompileError& error) {
  std::ostringstream out;
  out << "error " << error.code;
  if (error.line > 0) out << " at line " << error.line << ", column " << error.column;
  if (!error.message.empty()) out << ": " << error.message;
  out << "\n";
  if (error.line <= 0 || error.column <= 0) return out.str();
  // The failing line as written, with a caret under the column (wide characters take two cells).
  const std::string text = DisplayFormula(formula);
  size_t lineStart = 0;
  for (int32_t l = 1; l < error.line && lineStart != std::string::npos; ++l) {
    lineStart = text.find('\n', lineStart);
    if (lineStart != std::string::npos) ++lineStart;
  }
  if (lineStart == std::string::npos) return out.str();
  const size_t lineEnd = text.find('\n', lineStart);
  std::string line = text.substr(lineStart, lineEnd == std::string::npos ? std::string::npos : lineEnd - lineStart);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  size_t cells = 0;
  int32_t column = 1;
  uint32_t cp = 0;
  size_t n = 1;
  for (size_t i = 0; i < line.size() && column < error.column; i += n, ++column) {
    if (!DecodeUtf8(line, i, &cp, &n)) cp = '?', n = 1;
    cells += cp == '\t' ? 1 : DisplayWidth(cp);
  }
  out << "  " << line << "\n  " << std::string(cells, ' ') << "^\n";
  return out.str();
}

}  // namespace abacor_host
