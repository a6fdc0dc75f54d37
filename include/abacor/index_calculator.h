#pragma once
// The calculator: runs a compiled formula over a provider's bars, publishes
// the results to a separate read store and answers read-backs from it.
#include <cstdint>
#include <set>
#include <vector>

#include "abacor/draw_info.h"
#include "abacor/export.h"

class IIndexParser;
class IIndexDataProvider;

class IIndexCalculator {
 public:
  virtual bool SetIndexParser(IIndexParser* parser) = 0;
  virtual bool SetDataProvider(IIndexDataProvider* provider) = 0;
  virtual bool Calculate(int32_t first, int32_t last, bool force) = 0;
  virtual bool Stop() = 0;
  virtual bool PublishResults() = 0;
  virtual bool ReleaseResults() = 0;
  virtual bool GetCalculatedRange(int32_t* first, int32_t* last) = 0;
  virtual bool GetOutputArgValue(int32_t output, int32_t arg, int32_t bar, double* value) = 0;
  virtual bool GetOutputValues(int32_t output, int32_t first, int32_t last, double* values, bool* valid) = 0;
  virtual bool GetOutputValue(int32_t output, int32_t bar, double* value) = 0;
  virtual bool GetValueRange(int32_t first, int32_t last, const std::set<int32_t>& hidden, double* min,
                             double* max) = 0;
  virtual bool GetDrawInfo(int32_t first, int32_t last, int32_t step, const std::set<int32_t>& hidden,
                           std::vector<TarnDrawInfo::GraphDrawInfo>& out) = 0;
  virtual bool ReleaseDrawInfo(std::vector<TarnDrawInfo::GraphDrawInfo>& records) = 0;

 protected:
  ~IIndexCalculator() = default;
};
