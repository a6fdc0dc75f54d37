// Compile of arbitrary formula text with arbitrary parameter names and
// values, then every read-back and setter of the parser object.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <vector>

#include "abacor/index_obj_creator.h"
#include "abacor/index_parser.h"
#include "fuzz_split.h"

namespace {

// Parameter values worth trying besides arbitrary floats.
float ParamValue(FuzzedDataProvider& in) {
  static const float kSpecial[] = {
      0.0f, 1.0f, -1.0f, 5.0f, 1e30f, -1e30f, 1e-30f, __builtin_nanf(""), __builtin_inff(), -__builtin_inff()};
  if (in.ConsumeBool()) return kSpecial[in.ConsumeIntegralInRange<size_t>(0, 9)];
  return in.ConsumeFloatingPoint<float>();
}

void Params(FuzzedDataProvider& in, std::vector<std::string>* names, std::vector<float>* values) {
  const size_t count = in.ConsumeIntegralInRange<size_t>(0, 8);
  for (size_t i = 0; i < count; ++i) {
    // Mostly names the seed formulas use, sometimes any bytes at all.
    static const char* const kNames[] = {"n", "m", "p", "n1", "n2", "m1", "long", "short", "mid"};
    if (in.ConsumeIntegralInRange<int>(0, 3) == 0) {
      names->push_back(in.ConsumeRandomLengthString(48));
    } else {
      names->push_back(kNames[in.ConsumeIntegralInRange<size_t>(0, 8)]);
    }
    values->push_back(ParamValue(in));
  }
  // Now and then one list is longer than the other.
  if (in.ConsumeIntegralInRange<int>(0, 7) == 7) values->push_back(ParamValue(in));
  if (in.ConsumeIntegralInRange<int>(0, 7) == 7) names->push_back("n");
}

void ReadBack(IIndexParser* p, FuzzedDataProvider& in) {
  ParseErrorInfo error{};
  p->GetErrorInfo(&error);
  CCalculateInfo* info = nullptr;
  p->GetCalculateInfo(&info);
  bool flag = false;
  p->GetExtendHistory(&flag);
  p->GetExtendForward(&flag);
  p->GetRecalcAll(&flag);
  for (int32_t field = -1; field < 12; ++field) p->IsFieldUsed(field, 0);
  int32_t outputs = 0, params = 0, kind = 0;
  float amount = 0;
  p->GetOutputCount(&outputs);
  p->GetParamCount(&params);
  p->GetHistoryNeed(&kind, &amount);
  char name[40];
  for (int32_t i = -1; i <= outputs; ++i) {
    uint32_t colour = 0;
    int32_t value = 0;
    p->GetOutputColor(i, &colour);
    p->GetOutputLineWidth(i, &value);
    p->GetOutputDrawType(i, &value);
    p->GetOutputName(i, name, sizeof name);
    p->GetOutputName(i, name, 1);
    p->IsOutputHidden(i, &flag);
    p->GetOutputHistoryNeed(i, &kind, &amount);
    p->IsDrawFunctionOutput(i, &flag);
    (void)p->GetOutputParamValues(i).size();
    (void)p->GetOutputParamIndexes(i).size();
  }
  for (int32_t i = -1; i <= params; ++i) {
    float value = 0;
    p->GetParamValue(i, &value);
    p->GetParamName(i, name, sizeof name);
    (void)p->GetParamOutputs(i).size();
  }
  // A few setters at random indexes.
  const int setters = in.ConsumeIntegralInRange<int>(0, 4);
  for (int k = 0; k < setters; ++k) {
    const int32_t i = in.ConsumeIntegralInRange<int32_t>(-2, 12);
    p->SetOutputColor(i, in.ConsumeIntegral<uint32_t>());
    p->SetOutputLineWidth(i, in.ConsumeIntegral<int32_t>());
    p->SetParamValue(i, ParamValue(in));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const FuzzSplit split = SplitFuzzInput(data, size);
  FuzzedDataProvider in(split.rest, split.restSize);
  std::vector<std::string> names;
  std::vector<float> values;
  Params(in, &names, &values);
  IIndexParser* parser = IndexObjCreator::CreateIndexParserObj();
  if (parser == nullptr) return 0;
  parser->Compile(split.text, names, values);
  ReadBack(parser, in);
  // A second compilation on the same object replaces the first.
  if (in.ConsumeBool()) {
    parser->Compile(in.ConsumeRandomLengthString(256) + split.text, names, values);
    ReadBack(parser, in);
  }
  IndexObjCreator::ReleaseIndexParserObj(&parser);
  return 0;
}
