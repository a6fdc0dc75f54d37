#include "formula/frontend/name_tables.h"

#include <cstdio>

#include "formula/frontend/keyword_tables.h"

namespace {

// A parameter value as its text is kept: three decimals.
std::string ParamValueText(float value) {
  char buffer[64];
  std::snprintf(buffer, sizeof(buffer), "%.3f", static_cast<double>(value));
  return buffer;
}

int32_t NextId(int32_t base, size_t count) { return base + static_cast<int32_t>(count); }

}  // namespace

NameTables::NameTables() {
  outputNameTable_.reserve(16);
  variableNameTable_.reserve(16);
  constantValues_.reserve(16);
  paramNameTable_.reserve(16);
}

int32_t NameTables::Lookup(const std::string& word) const {
  for (const auto* table : {&variableIds_, &outputIds_, &paramIds_}) {
    auto it = table->find(word);
    if (it != table->end()) return it->second;
  }
  return 0;
}

int32_t NameTables::AddVariable(const std::string& name) {
  int32_t id = NextId(TOKEN_VARIABLE, variableNameTable_.size());
  variableIds_[name] = id;
  variableNameTable_.push_back(name);
  return id;
}

int32_t NameTables::AddOutput(const std::string& name) {
  int32_t id = NextId(TOKEN_OUTPUT, outputNameTable_.size());
  outputIds_[name] = id;
  outputNameTable_.push_back(name);
  return id;
}

void NameTables::AddDrawingOutput() { outputNameTable_.emplace_back(kDrawingOutputName); }

int32_t NameTables::AddNumber(const std::string& digits, float value) {
  int32_t id = NextId(TOKEN_CONSTANT, constantValues_.size());
  constantValues_.push_back(value);
  constantTexts_.push_back(digits);
  return id;
}

int32_t NameTables::AddParameter(const std::string& name, float value) {
  int32_t id = AddNumber(name, value);
  paramIds_[name] = id;
  paramNameTable_.push_back(name);
  paramValueTexts_.push_back(ParamValueText(value));
  return id;
}

int32_t NameTables::AddText(const std::string& text) {
  int32_t id = NextId(TOKEN_TEXT, texts_.size());
  texts_.push_back(text);
  return id;
}

int32_t NameTables::AddCustomColour(const std::string& digits) {
  int32_t id = NextId(TOKEN_CUSTOM_COLOR, customColours_.size());
  customColours_.push_back(digits);
  return id;
}

void NameTables::SetParamValue(int32_t p, float value) {
  if (p < 0 || static_cast<size_t>(p) >= paramValueTexts_.size()) return;
  paramValueTexts_[p] = ParamValueText(value);
}
