#pragma once
// Shared pieces of the engine benchmarks: synthetic bars and the indicator suite.
#include <cmath>
#include <cstdint>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <abacor/abacor.h>

namespace bench {

// Random-walk bars made from a fixed seed. The provider offers `capacity` bar
// slots (the calculator's store size) of which the first `total` are real.
class RandomWalkProvider : public IIndexDataProvider {
 public:
  RandomWalkProvider(int32_t total, int32_t capacity, uint32_t seed = 20061229) : total_(total) {
    std::mt19937_64 rng(seed);
    std::normal_distribution<double> step(0.0, 0.01);
    std::uniform_real_distribution<double> spread(0.0, 0.01);
    std::uniform_real_distribution<double> vol(1e5, 5e6);
    double price = 20.0;
    for (int32_t i = 0; i < capacity; ++i) {
      double open = price;
      price *= std::exp(step(rng));
      const double close = price;
      high_.push_back(std::max(open, close) * (1 + spread(rng)));
      low_.push_back(std::min(open, close) * (1 - spread(rng)));
      open_.push_back(open);
      close_.push_back(close);
      volume_.push_back(vol(rng));
    }
  }

  void SetTotal(int32_t total) { total_ = total; }
  int32_t Total() const { return total_; }
  // A tick: the newest bar's close moves.
  void Tick(double factor) {
    double& c = close_[total_ - 1];
    c *= factor;
    high_[total_ - 1] = std::max(high_[total_ - 1], c);
    low_[total_ - 1] = std::min(low_[total_ - 1], c);
  }

  bool GetBarCount(int32_t* count) override {
    *count = static_cast<int32_t>(close_.size());
    return true;
  }
  bool GetTotalBarCount(int32_t* count) override {
    *count = total_;
    return true;
  }
  bool GetFieldValue(int32_t fieldId, int32_t bar, double* value) override {
    if (bar < 0 || bar >= total_) return false;
    switch (fieldId) {
      case 1: *value = high_[bar]; return true;
      case 2: *value = open_[bar]; return true;
      case 3: *value = low_[bar]; return true;
      case 4: *value = close_[bar]; return true;
      case 6: *value = volume_[bar]; return true;
      case 15:
        if (bar == 0) return false;
        *value = close_[bar - 1];
        return true;
      default: return false;
    }
  }
  bool GetScalarValue(int32_t, double*) override { return false; }
  bool GetAnchorBar(int32_t bar, int32_t, int32_t* anchor) override {
    *anchor = bar;
    return true;
  }
  bool GetPeriod(int32_t* type, int32_t* mult) override {
    *type = 3;
    *mult = 1;
    return true;
  }
  bool GetBarTime(int32_t bar, int64_t* time) override {
    if (bar < 0 || bar >= total_) return false;
    *time = 473385600 + int64_t{86400} * bar;
    return true;
  }
  bool GetBarIndexByTime(int64_t time, int32_t* bar) override {
    *bar = static_cast<int32_t>((time - 473385600) / 86400);
    return true;
  }
  bool GetTimeOfDate(int64_t, int64_t*) override { return false; }

 protected:
  int32_t total_;
  std::vector<double> open_, high_, low_, close_, volume_;
};

// The same bars also handed to the calculator as whole columns, as a host
// that keeps its bars in arrays does (while every asked bar is real).
class ColumnWalkProvider final : public RandomWalkProvider, public IIndexBulkDataProvider {
 public:
  using RandomWalkProvider::RandomWalkProvider;

  const double* GetFieldColumn(int32_t fieldId, int32_t count) override {
    if (count > total_) return nullptr;
    switch (fieldId) {
      case 1: return high_.data();
      case 2: return open_.data();
      case 3: return low_.data();
      case 4: return close_.data();
      case 6: return volume_.data();
      default: return nullptr;
    }
  }
};

struct SuiteFormula {
  std::string name;
  std::string text;
};

inline std::vector<SuiteFormula> LoadSuite() {
  static const char* const kFiles[] = {"ma",  "macd", "kdj",  "rsi", "boll", "wr",
                                       "cci", "atr",  "bias", "roc", "trix", "dma"};
  std::vector<SuiteFormula> suite;
  for (const char* f : kFiles) {
    std::ifstream in(std::string(ABACOR_SOURCE_DIR) + "/bench/suite/" + f + ".txt");
    std::stringstream text;
    text << in.rdbuf();
    suite.push_back({f, text.str()});
  }
  return suite;
}

// One compiled formula with its calculator.
struct Engine {
  IIndexParser* parser = IndexObjCreator::CreateIndexParserObj();
  IIndexCalculator* calc = IndexObjCreator::CreateIndexCalculatorObj();
  int32_t outputs = 0;

  bool Setup(const std::string& text, IIndexDataProvider* provider) {
    if (!parser->Compile(text, {}, {})) return false;
    parser->GetOutputCount(&outputs);
    return calc->SetIndexParser(parser) && calc->SetDataProvider(provider);
  }
  ~Engine() {
    IndexObjCreator::ReleaseIndexCalculatorObj(&calc);
    IndexObjCreator::ReleaseIndexParserObj(&parser);
  }
};

}  // namespace bench
