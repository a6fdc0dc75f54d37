#include "formula_runner.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <limits>
#include <memory>
#include <sstream>

#include <abacor/abacor.h>

#include "text_encoding.h"

namespace abacor_host {

FormulaRunner::FormulaRunner()
    : parser_(IndexObjCreator::CreateIndexParserObj()),
      calculator_(IndexObjCreator::CreateIndexCalculatorObj()) {}

FormulaRunner::~FormulaRunner() {
    IndexObjCreator::ReleaseIndexCalculatorObj(&calculator_);
    IndexObjCreator::ReleaseIndexParserObj(&parser_);
}

bool FormulaRunner::Compile(const std::string& text,
                            const std::vector<std::pair<std::string, float>>& params,
                            CompileError* error) {
    if (!parser_ || !calculator_) return false;
    std::vector<std::string> names;
    std::vector<float> values;
    for (const auto& p : params) {
        names.push_back(p.first);
        values.push_back(p.second);
    }
    if (parser_->Compile(Utf8ToGbk(text), names, values)) return calculator_->SetIndexParser(parser_);
    ParseErrorInfo info{};
    parser_->GetErrorInfo(&info);
    if (error) {
        error->code = info.code;
        error->line = info.line;
        error->column = info.column;
        error->position = info.position;
        error->message = GbkToUtf8(info.text);
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
                if (calculator_->GetOutputArgValue(i, 0, first + static_cast<int32_t>(k), &v))
                    out.values[k] = v;
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
    out << "error " << error.code << " at line " << error.line + 1 << ", column " << error.column;
    if (!error.message.empty()) out << ": " << error.message;
    out << "\n";
    if (error.code == 27 || error.code == 26) return out.str();
    // The line of the formula holding the error position, with a caret under it.
    size_t pos = std::min(static_cast<size_t>(std::max(error.position, 0)), formula.size());
    size_t lineStart = formula.rfind('\n', pos == 0 ? 0 : pos - 1);
    lineStart = (lineStart == std::string::npos || lineStart >= pos) ? 0 : lineStart + 1;
    size_t lineEnd = formula.find('\n', lineStart);
    std::string line = formula.substr(lineStart, lineEnd == std::string::npos ? std::string::npos
                                                                              : lineEnd - lineStart);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    out << "  " << line << "\n  " << std::string(pos - lineStart, ' ') << "^\n";
    return out.str();
}

}  // namespace abacor_host
