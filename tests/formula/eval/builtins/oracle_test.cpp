// The averages, extremes and statistics on the shipped daily sample against
// pandas: the engine's columns go to a temporary CSV and
// oracle/compare.py recomputes them with pandas and numpy.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "support/series_harness.h"

namespace {

using harness::Harness;

constexpr const char* kPython = "/usr/bin/python3";

struct Bars {
  std::vector<double> open, high, low, close, volume;
};

Bars LoadBars(const std::string& path) {
  Bars bars;
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);  // header
  while (std::getline(in, line)) {
    std::stringstream row(line);
    std::string cell;
    std::vector<double> v;
    std::getline(row, cell, ',');  // date
    while (std::getline(row, cell, ',')) v.push_back(std::stod(cell));
    if (v.size() != 5) continue;
    bars.open.push_back(v[0]);
    bars.high.push_back(v[1]);
    bars.low.push_back(v[2]);
    bars.close.push_back(v[3]);
    bars.volume.push_back(v[4]);
  }
  return bars;
}

TEST(BuiltinOracle, AgreesWithPandasOnTheDailySample) {
  if (access(kPython, X_OK) != 0) GTEST_SKIP() << kPython << " is not installed; the pandas comparison is skipped";
  const std::string data = std::string(ABACOR_TEST_DATA) + "/daily-ohlcv.csv";
  const Bars bars = LoadBars(data);
  ASSERT_GT(bars.close.size(), 1000u);
  Harness h(bars.open, bars.high, bars.low, bars.close);
  h.provider.SetField(harness::VOL, bars.volume);
  auto n = [](float v) { return Harness::N(v); };
  const std::vector<std::pair<std::string, Operand>> columns = {
      {"MA20", h.Fn("MA", {h.C(), n(20)})},
      {"EMA12", h.Fn("EMA", {h.C(), n(12)})},
      {"SMA9_2", h.Fn("SMA", {h.C(), n(9), n(2)})},
      {"WMA10", h.Fn("WMA", {h.C(), n(10)})},
      {"SUM10", h.Fn("SUM", {h.C(), n(10)})},
      {"SUMV5", h.Fn("SUM", {h.Field(harness::VOL), n(5)})},
      {"HHV20", h.Fn("HHV", {h.H(), n(20)})},
      {"LLV20", h.Fn("LLV", {h.L(), n(20)})},
      {"STD20", h.Fn("STD", {h.C(), n(20)})},
      {"STDP20", h.Fn("STDP", {h.C(), n(20)})},
      {"VAR20", h.Fn("VAR", {h.C(), n(20)})},
      {"AVEDEV14", h.Fn("AVEDEV", {h.C(), n(14)})},
      {"SLOPE14", h.Fn("SLOPE", {h.C(), n(14)})},
      {"COVAR20", h.Fn("COVAR", {h.C(), h.O(), n(20)})},
      {"RELATE20", h.Fn("RELATE", {h.C(), h.Field(harness::VOL), n(20)})},
  };
  std::vector<std::vector<double>> results;
  for (const auto& column : columns) {
    results.push_back(h.Run(column.second));
    ASSERT_EQ(h.lastCode, 0) << column.first;
  }

  const std::filesystem::path out =
      std::filesystem::temp_directory_path() / ("abacor_oracle_" + std::to_string(getpid()) + ".csv");
  {
    std::ofstream csv(out);
    csv.precision(17);
    for (size_t c = 0; c < columns.size(); ++c) csv << (c ? "," : "") << columns[c].first;
    csv << '\n';
    for (size_t row = 0; row < bars.close.size(); ++row) {
      for (size_t c = 0; c < columns.size(); ++c) {
        if (c) csv << ',';
        if (HasValue(results[c][row])) csv << results[c][row];
      }
      csv << '\n';
    }
  }
  const std::string script = std::string(ABACOR_SOURCE_DIR) + "/tests/formula/eval/oracle/compare.py";
  const std::string command = std::string(kPython) + " " + script + " " + data + " " + out.string();
  const int status = std::system(command.c_str());
  std::filesystem::remove(out);
  ASSERT_TRUE(WIFEXITED(status)) << command;
  if (WEXITSTATUS(status) == 77) GTEST_SKIP() << "pandas is not installed; the pandas comparison is skipped";
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the engine disagrees with pandas, see the table above";
}

}  // namespace
