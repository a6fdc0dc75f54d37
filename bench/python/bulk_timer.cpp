// The C++ side of bench/python: the bulk calculation of one formula over bars
// read from raw float64 columns (open, high, low, close, volume, n each), as an
// embedding C++ host does it: compile, calculate every bar, publish, read
// every output. Prints the median process CPU seconds of the repetitions.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <abacor/abacor.h>

namespace {

class ColumnsProvider : public IIndexDataProvider {
 public:
  explicit ColumnsProvider(std::vector<std::vector<double>> columns) : c_(std::move(columns)) {}
  int32_t Count() const { return static_cast<int32_t>(c_[3].size()); }
  bool GetBarCount(int32_t* count) override { return *count = Count(), true; }
  bool GetTotalBarCount(int32_t* count) override { return *count = Count(), true; }
  bool GetFieldValue(int32_t fieldId, int32_t bar, double* value) override {
    if (bar < 0 || bar >= Count()) return false;
    switch (fieldId) {
      case 1: *value = c_[1][bar]; return true;
      case 2: *value = c_[0][bar]; return true;
      case 3: *value = c_[2][bar]; return true;
      case 4: *value = c_[3][bar]; return true;
      case 6: *value = c_[4][bar]; return true;
      case 15:
        if (bar == 0) return false;
        *value = c_[3][bar - 1];
        return true;
      default: return false;
    }
  }
  bool GetScalarValue(int32_t, double*) override { return false; }
  bool GetAnchorBar(int32_t bar, int32_t, int32_t* anchor) override { return *anchor = bar, true; }
  bool GetPeriod(int32_t*, int32_t*) override { return true; }
  bool GetBarTime(int32_t, int64_t*) override { return false; }
  bool GetBarIndexByTime(int64_t, int32_t*) override { return false; }
  bool GetTimeOfDate(int64_t, int64_t*) override { return false; }

 private:
  std::vector<std::vector<double>> c_;
};

double CpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// One bulk run; false when the formula does not compile or calculate.
bool Bulk(const std::string& formula, ColumnsProvider* bars, std::vector<double>* values, bool* valid) {
  IIndexParser* parser = IndexObjCreator::CreateIndexParserObj();
  IIndexCalculator* calc = IndexObjCreator::CreateIndexCalculatorObj();
  const int32_t n = bars->Count();
  bool ok = parser->Compile(formula, {}, {}) && calc->SetIndexParser(parser) && calc->SetDataProvider(bars) &&
            calc->Calculate(0, n - 1, false) && calc->PublishResults();
  int32_t outputs = 0;
  parser->GetOutputCount(&outputs);
  for (int32_t i = 0; ok && i < outputs; ++i) calc->GetOutputValues(i, 0, n - 1, values->data(), valid);
  IndexObjCreator::ReleaseIndexCalculatorObj(&calc);
  IndexObjCreator::ReleaseIndexParserObj(&parser);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: %s COLUMNS_FILE BARS FORMULA REPS\n", argv[0]);
    return 2;
  }
  const size_t n = std::strtoul(argv[2], nullptr, 10);
  std::ifstream in(argv[1], std::ios::binary);
  std::vector<std::vector<double>> columns(5, std::vector<double>(n));
  for (auto& c : columns) in.read(reinterpret_cast<char*>(c.data()), static_cast<std::streamsize>(n * sizeof(double)));
  if (!in || n == 0) {
    std::fprintf(stderr, "cannot read %zu bars from %s\n", n, argv[1]);
    return 2;
  }
  ColumnsProvider bars(std::move(columns));
  std::vector<double> values(n);
  std::unique_ptr<bool[]> valid(new bool[n]);
  std::vector<double> times;
  for (int rep = 0; rep < std::max(std::atoi(argv[4]), 1); ++rep) {
    const double start = CpuSeconds();
    if (!Bulk(argv[3], &bars, &values, valid.get())) {
      std::fprintf(stderr, "the formula failed\n");
      return 1;
    }
    times.push_back(CpuSeconds() - start);
  }
  std::sort(times.begin(), times.end());
  std::printf("%.9f\n", times[times.size() / 2]);
  return 0;
}
