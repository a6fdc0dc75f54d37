// abacor run: compile a formula, calculate it over a CSV file and print every output per bar.
#include <cmath>
#include <cstdio>
#include <iostream>
#include <sstream>

#include "cli_args.h"
#include "cli_commands.h"
#include "csv_provider.h"
#include "formula_runner.h"
#include "text_encoding.h"

namespace abacor_host {
namespace {

// Tables show 6 significant digits; csv and json keep every bit of the double.
std::string FormatValue(double v, bool json, bool fullPrecision = false) {
  if (std::isnan(v)) return json ? "null" : "";
  char buf[64];
  std::snprintf(buf, sizeof buf, json || fullPrecision ? "%.17g" : "%.6g", v);
  return buf;
}

std::string JsonString(const std::string& s) {
  std::string out = "\"";
  for (char c : SanitizeUtf8(s)) {
    if (c == '"' || c == '\\') out += '\\';
    if (static_cast<unsigned char>(c) < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
      continue;
    }
    out += c;
  }
  return out + "\"";
}

void PrintTable(const std::vector<OutputSeries>& outputs, const CsvBarProvider& bars, int32_t first, int32_t last,
                bool csv, std::ostream& out) {
  const bool withTime = bars.Bars().size() > 1 && bars.Bars()[1].time - bars.Bars()[0].time < 20 * 3600;
  const char* sep = csv ? "," : "\t";
  out << "bar" << sep << "date";
  for (const auto& o : outputs) out << sep << o.name;
  out << "\n";
  for (int32_t b = first; b <= last; ++b) {
    out << b << sep << FormatDateTime(bars.Bars()[b].time, withTime);
    for (const auto& o : outputs) out << sep << FormatValue(o.values[b - first], false, csv);
    out << "\n";
  }
}

void PrintJson(const std::vector<OutputSeries>& outputs, const CsvBarProvider& bars, int32_t first, int32_t last,
               std::ostream& out) {
  out << "{\"first\":" << first << ",\"last\":" << last << ",\"dates\":[";
  for (int32_t b = first; b <= last; ++b)
    out << (b > first ? "," : "") << JsonString(FormatDateTime(bars.Bars()[b].time, true));
  out << "],\"outputs\":[";
  for (size_t i = 0; i < outputs.size(); ++i) {
    out << (i ? "," : "") << "{\"name\":" << JsonString(outputs[i].name) << ",\"drawType\":" << outputs[i].drawType
        << ",\"values\":[";
    for (size_t k = 0; k < outputs[i].values.size(); ++k)
      out << (k ? "," : "") << FormatValue(outputs[i].values[k], true);
    out << "]}";
  }
  out << "]}\n";
}

}  // namespace

bool ParseParams(const CliArgs& args, std::vector<std::pair<std::string, float>>* params, std::string* error) {
  for (const std::string& p : args.All("--param")) {
    size_t eq = p.find('=');
    char* end = nullptr;
    double v = eq == std::string::npos ? 0 : std::strtod(p.c_str() + eq + 1, &end);
    if (eq == std::string::npos || eq == 0 || end == p.c_str() + eq + 1 || *end != '\0' || !std::isfinite(v)) {
      *error = "--param takes name=number, not \"" + p + "\"";
      return false;
    }
    params->emplace_back(p.substr(0, eq), static_cast<float>(v));
  }
  return true;
}

bool ResolveRange(const CliArgs& args, int32_t barCount, int32_t* first, int32_t* last, std::string* error) {
  long long from = 0, to = barCount - 1;
  if (!args.GetInt("--from", &from, error) || !args.GetInt("--to", &to, error)) return false;
  if (from < 0 || to >= barCount || from > to) {
    *error = "the range --from " + std::to_string(from) + " --to " + std::to_string(to) + " is not within bars 0 to " +
             std::to_string(barCount - 1);
    return false;
  }
  *first = static_cast<int32_t>(from);
  *last = static_cast<int32_t>(to);
  return true;
}

int RunCommand(int argc, char** argv) {
  CliArgs args;
  std::string error;
  if (!args.Parse(argc, argv, 2, {"--bars", "--formula", "--param", "--from", "--to", "--format"}, {}, &error))
    return Fail(error);
  if (!args.Has("--bars") || !args.Has("--formula")) return Fail("run needs --bars FILE and --formula TEXT|@FILE");
  const std::string format = args.Get("--format", "table");
  if (format != "table" && format != "csv" && format != "json")
    return Fail("--format is table, csv or json, not \"" + format + "\"");
  CsvBarProvider bars;
  std::string formula;
  std::vector<std::pair<std::string, float>> params;
  if (!bars.Load(args.Get("--bars"), &error) || !ReadFormulaArgument(args.Get("--formula"), &formula, &error) ||
      !ParseParams(args, &params, &error))
    return Fail(error);
  int32_t first = 0, last = 0;
  if (!ResolveRange(args, static_cast<int32_t>(bars.Bars().size()), &first, &last, &error)) return Fail(error);
  FormulaRunner runner;
  CompileError compileError;
  if (!runner.Compile(formula, params, &compileError)) {
    std::cerr << DescribeCompileError(formula, compileError);
    return 1;
  }
  if (!runner.Calculate(&bars, first, last)) return Fail("the calculation failed");
  std::vector<OutputSeries> outputs = runner.ReadOutputs(first, last);
  if (format == "json")
    PrintJson(outputs, bars, first, last, std::cout);
  else
    PrintTable(outputs, bars, first, last, format == "csv", std::cout);
  return 0;
}

}  // namespace abacor_host
