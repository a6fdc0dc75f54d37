#pragma once
// End-to-end drawing runs for tests: compiles a formula with the library's
// parser, calculates it over a test provider, publishes and reads the drawings.
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "abacor/draw_info.h"
#include "support/test_data_provider.h"

class IIndexParser;
class IIndexCalculator;

// Sets the four prices of a provider's bars; every other field fails to read.
void SetPrices(TestDataProvider& provider, const std::vector<double>& high, const std::vector<double>& open,
               const std::vector<double>& low, const std::vector<double>& close);

class DrawRun {
 public:
  // Compiles text (failing the current test when it does not compile) and
  // calculates and publishes bars 0 to the provider's last bar.
  DrawRun(const std::string& text, TestDataProvider& provider);
  ~DrawRun();
  DrawRun(const DrawRun&) = delete;
  DrawRun& operator=(const DrawRun&) = delete;

  bool compiled = false;

  // GetDrawInfo over first..last; the drawings, or none when it fails.
  std::vector<TarnDrawInfo::GraphDrawInfo> Draw(int32_t first, int32_t last, int32_t step = 0,
                                                const std::set<int32_t>& hidden = {});

  IIndexParser* parser = nullptr;
  IIndexCalculator* calc = nullptr;
};

// The points of a curve line as (x, y) pairs.
std::vector<std::pair<float, double>> PointsOf(const TarnDrawInfo::CurveLine& line);
