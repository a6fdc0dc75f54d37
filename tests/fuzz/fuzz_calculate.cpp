// Compile + Calculate over random ranges + PublishResults + every read-back
// + GetDrawInfo, over a provider that the fuzz input drives: random bar
// counts that change between calls, failing reads, NaN, infinities,
// INVALID_VALUE, huge and tiny numbers.
//
// Input: formula text, NUL, driver bytes. Exhausted driver bytes read as
// zeros, which give a sane provider of 150 bars and the plain sequence
// calculate / publish / read back.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "abacor/data_provider.h"
#include "abacor/draw_info.h"
#include "abacor/index_calculator.h"
#include "abacor/index_obj_creator.h"
#include "abacor/index_parser.h"
#include "fuzz_split.h"

namespace {

constexpr int32_t kMaxBars = 1200;

double Invalid() {
  const uint64_t bits = 0xFFFFFFFEFFFFFFFFull;
  double v;
  __builtin_memcpy(&v, &bits, sizeof v);
  return v;
}

// A hostile value of the given kind (1..9); kind 0 is no poison.
double Poison(int kind) {
  switch (kind) {
    case 1: return std::numeric_limits<double>::quiet_NaN();
    case 2: return std::numeric_limits<double>::infinity();
    case 3: return -std::numeric_limits<double>::infinity();
    case 4: return Invalid();
    case 5: return 1e308;
    case 6: return -1e308;
    case 7: return 1e-308;
    case 8: return 0.0;
    default: return -5.0;
  }
}

// One poisoned cell pattern: bars with bar % period == offset of one field
// (0: every field) answer the poison, or fail (kind 10).
struct PoisonRule {
  int32_t field = 0;
  int32_t period = 1;
  int32_t offset = 0;
  int kind = 0;
};

class FuzzProvider : public IIndexDataProvider {
 public:
  explicit FuzzProvider(FuzzedDataProvider& in) {
    for (auto& c : counts_) c = Count(in);
    for (auto& c : totals_) c = Count(in);
    totalFailsEvery_ = in.ConsumeIntegralInRange<int>(0, 4);
    scale_ = Scale(in.ConsumeIntegralInRange<int>(0, 5));
    const size_t rules = in.ConsumeIntegralInRange<size_t>(0, 6);
    for (size_t i = 0; i < rules; ++i) {
      PoisonRule r;
      r.field = in.ConsumeIntegralInRange<int32_t>(0, 12);
      r.period = in.ConsumeIntegralInRange<int32_t>(1, 50);
      r.offset = in.ConsumeIntegralInRange<int32_t>(0, r.period - 1);
      r.kind = in.ConsumeIntegralInRange<int>(1, 10);
      rules_.push_back(r);
    }
    anchorShift_ = in.ConsumeIntegralInRange<int32_t>(-3, 3) * in.ConsumeIntegralInRange<int32_t>(0, 400);
    periodType_ = in.ConsumeIntegralInRange<int32_t>(-1, 12);
    timesFail_ = in.ConsumeBool();
    scalarsFail_ = in.ConsumeBool();
  }

  bool GetBarCount(int32_t* count) override {
    *count = counts_[barCalls_++ % counts_.size()];
    return true;
  }
  bool GetTotalBarCount(int32_t* count) override {
    ++totalCalls_;
    if (totalFailsEvery_ != 0 && totalCalls_ % totalFailsEvery_ == 0) return false;
    *count = totals_[totalCalls_ % totals_.size()];
    return true;
  }
  bool GetFieldValue(int32_t fieldId, int32_t bar, double* value) override {
    if (bar < 0 || bar >= kMaxBars) return false;
    for (const auto& r : rules_) {
      if ((r.field == 0 || r.field == fieldId) && bar % r.period == r.offset) {
        if (r.kind == 10) return false;
        *value = Poison(r.kind);
        return true;
      }
    }
    *value = scale_ * (20.0 + 5.0 * std::sin(bar * 0.37 + fieldId) + (fieldId % 7));
    return true;
  }
  bool GetScalarValue(int32_t fieldId, double* value) override {
    if (scalarsFail_) return false;
    *value = scale_ * (fieldId % 100);
    return true;
  }
  bool GetAnchorBar(int32_t bar, int32_t direction, int32_t* anchor) override {
    if (anchorShift_ == 0) return false;
    *anchor = bar + (direction == 0 ? -anchorShift_ : anchorShift_);
    return true;
  }
  bool GetPeriod(int32_t* type, int32_t* multiplier) override {
    if (periodType_ < 0) return false;
    *type = periodType_;
    *multiplier = periodType_ == 0 ? 0 : periodType_ * 7 - 20;
    return true;
  }
  bool GetBarTime(int32_t bar, int64_t* time) override {
    if (timesFail_ && bar % 3 == 0) return false;
    *time = int64_t{1700000000} + int64_t{86400} * bar;
    return true;
  }
  bool GetBarIndexByTime(int64_t time, int32_t* bar) override {
    *bar = static_cast<int32_t>((time - 1700000000) / 86400);
    return true;
  }
  bool GetTimeOfDate(int64_t date, int64_t* time) override {
    if (date % 2 == 1) return false;
    *time = int64_t{1700000000} + (date % 1000) * 86400;
    return true;
  }

 private:
  // Mostly plausible counts (150 for exhausted input), sometimes absurd ones.
  static int32_t Count(FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange<int>(0, 9)) {
      case 1: return -1;
      case 2: return 0;
      case 3: return std::numeric_limits<int32_t>::max();
      case 4: return std::numeric_limits<int32_t>::min();
      case 5: return 1;
      default: return (in.ConsumeIntegralInRange<int32_t>(0, kMaxBars - 1) + 150) % kMaxBars;
    }
  }
  static double Scale(int kind) {
    static const double kScales[] = {1.0, 1e-300, 1e300, -1.0, 1e-9, 1e12};
    return kScales[kind];
  }

  std::array<int32_t, 3> counts_{};
  std::array<int32_t, 3> totals_{};
  int totalFailsEvery_ = 0;
  double scale_ = 1.0;
  std::vector<PoisonRule> rules_;
  int32_t anchorShift_ = 0;
  int32_t periodType_ = -1;
  bool timesFail_ = false;
  bool scalarsFail_ = false;
  size_t barCalls_ = 0;
  size_t totalCalls_ = 0;
};

// A bar index: near the data mostly, sometimes extreme.
int32_t Bar(FuzzedDataProvider& in) {
  switch (in.ConsumeIntegralInRange<int>(0, 15)) {
    case 1: return -1;
    case 2: return std::numeric_limits<int32_t>::max();
    case 3: return std::numeric_limits<int32_t>::min();
    default: return in.ConsumeIntegralInRange<int32_t>(0, kMaxBars + 10);
  }
}

void ReadBack(IIndexCalculator* calc, int32_t outputs, FuzzedDataProvider& in) {
  int32_t first = 0, last = 0;
  calc->GetCalculatedRange(&first, &last);
  std::set<int32_t> hidden;
  if (in.ConsumeBool()) hidden.insert(in.ConsumeIntegralInRange<int32_t>(-1, 4));
  const int32_t from = Bar(in);
  const int32_t to = in.ConsumeBool() ? Bar(in) : 149;
  double lo = 0, hi = 0, v = 0;
  calc->GetValueRange(from, to, hidden, &lo, &hi);
  // Value buffers only for ranges a host could hold.
  const int64_t span = int64_t{to} - from + 1;
  std::vector<double> values(span > 0 && span <= 4 * kMaxBars ? static_cast<size_t>(span) : 1);
  std::unique_ptr<bool[]> valid(new bool[values.size()]);
  for (int32_t o = -1; o <= outputs; ++o) {
    if (span > 0 && static_cast<size_t>(span) <= values.size())
      calc->GetOutputValues(o, from, to, values.data(), valid.get());
    calc->GetOutputValue(o, from, &v);
    for (int32_t arg = -1; arg < 4; ++arg) calc->GetOutputArgValue(o, arg, to, &v);
  }
  std::vector<TarnDrawInfo::GraphDrawInfo> records;
  const int32_t step = in.ConsumeIntegralInRange<int32_t>(-1, 5);
  calc->GetDrawInfo(from, to, step, hidden, records);
  calc->ReleaseDrawInfo(records);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const FuzzSplit split = SplitFuzzInput(data, size);
  FuzzedDataProvider in(split.rest, split.restSize);
  FuzzProvider provider(in);
  IIndexParser* parser = IndexObjCreator::CreateIndexParserObj();
  IIndexCalculator* calc = IndexObjCreator::CreateIndexCalculatorObj();
  if (parser == nullptr || calc == nullptr) return 0;
  const bool compiled = parser->Compile(split.text, {"n", "m", "p"}, {5.0f, 12.0f, 26.0f});
  int32_t outputs = 0;
  parser->GetOutputCount(&outputs);
  calc->SetIndexParser(parser);
  calc->SetDataProvider(&provider);
  if (compiled) {
    calc->Calculate(0, 149, in.ConsumeBool());
    calc->PublishResults();
    ReadBack(calc, outputs, in);
  }
  const int ops = in.ConsumeIntegralInRange<int>(0, 24);
  for (int k = 0; k < ops; ++k) {
    switch (in.ConsumeIntegralInRange<int>(0, 10)) {
      case 0: {
        const int32_t first = Bar(in);
        calc->Calculate(first, Bar(in), in.ConsumeBool());
        break;
      }
      case 1: calc->PublishResults(); break;
      case 2: ReadBack(calc, outputs, in); break;
      case 3: calc->ReleaseResults(); break;
      case 4: calc->Stop(); break;
      case 5: calc->SetDataProvider(in.ConsumeBool() ? &provider : nullptr); break;
      case 6: calc->SetIndexParser(in.ConsumeBool() ? parser : nullptr); break;
      case 7: parser->SetParamValue(in.ConsumeIntegralInRange<int32_t>(-1, 3), in.ConsumeFloatingPoint<float>()); break;
      case 8: parser->SetOutputColor(in.ConsumeIntegralInRange<int32_t>(-1, 3), in.ConsumeIntegral<uint32_t>()); break;
      case 9:
        // The host recompiles the parser the calculator holds.
        parser->Compile(in.ConsumeBool() ? split.text : in.ConsumeRandomLengthString(64), {"n"}, {3.0f});
        parser->GetOutputCount(&outputs);
        break;
      default: {
        const int32_t first = Bar(in);
        calc->Calculate(first, Bar(in), true);
        calc->PublishResults();
        ReadBack(calc, outputs, in);
        break;
      }
    }
  }
  IndexObjCreator::ReleaseIndexCalculatorObj(&calc);
  IndexObjCreator::ReleaseIndexParserObj(&parser);
  return 0;
}
