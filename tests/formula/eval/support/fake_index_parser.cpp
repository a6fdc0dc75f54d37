#include "support/fake_index_parser.h"

#include <cstring>

#include "formula/eval/calculate_info.h"

FakeIndexParser::FakeIndexParser() = default;

FakeIndexParser::FakeIndexParser(std::unique_ptr<CCalculateInfo> program) : m_program(std::move(program)) {}

FakeIndexParser::~FakeIndexParser() = default;

void FakeIndexParser::SetProgram(std::unique_ptr<CCalculateInfo> program) { m_program = std::move(program); }

bool FakeIndexParser::ValidOutput(int32_t i) const {
  return m_program != nullptr && i >= 0 && i < static_cast<int32_t>(m_program->m_outputs.size());
}

bool FakeIndexParser::Compile(const std::string&, const std::vector<std::string>&, const std::vector<float>&) {
  return false;
}

bool FakeIndexParser::GetErrorInfo(ParseErrorInfo* out) {
  if (out == nullptr) return false;
  std::memset(out, 0, sizeof *out);
  return true;
}

bool FakeIndexParser::GetCalculateInfo(CCalculateInfo** out) {
  if (out == nullptr || m_program == nullptr) return false;
  *out = m_program.get();
  return true;
}

bool FakeIndexParser::GetExtendHistory(bool* out) {
  if (out == nullptr || m_program == nullptr) return false;
  *out = m_program->m_extendHistory;
  return true;
}

bool FakeIndexParser::GetExtendForward(bool* out) {
  if (out == nullptr || m_program == nullptr) return false;
  *out = m_program->m_extendForward;
  return true;
}

bool FakeIndexParser::GetRecalcAll(bool* out) {
  if (out == nullptr || m_program == nullptr) return false;
  *out = m_program->m_recalcAll;
  return true;
}

bool FakeIndexParser::IsFieldUsed(int32_t, int32_t) { return false; }

bool FakeIndexParser::GetOutputCount(int32_t* out) {
  if (out == nullptr || m_program == nullptr) return false;
  *out = static_cast<int32_t>(m_program->m_outputs.size());
  return true;
}

bool FakeIndexParser::GetOutputColor(int32_t i, uint32_t* out) {
  const auto it = colours.find(i);
  if (out == nullptr || !ValidOutput(i) || it == colours.end()) return false;
  *out = it->second;
  return true;
}

bool FakeIndexParser::GetOutputLineWidth(int32_t i, int32_t* out) {
  const auto it = lineWidths.find(i);
  if (out == nullptr || !ValidOutput(i) || it == lineWidths.end()) return false;
  *out = it->second;
  return true;
}

bool FakeIndexParser::GetOutputDrawType(int32_t, int32_t*) { return false; }

bool FakeIndexParser::GetOutputName(int32_t, char*, uint32_t) { return false; }

bool FakeIndexParser::IsOutputHidden(int32_t i, bool* out) {
  if (out == nullptr || !ValidOutput(i)) return false;
  *out = hiddenOutputs.count(i) != 0;
  return true;
}

bool FakeIndexParser::GetParamCount(int32_t* out) {
  if (out == nullptr || m_program == nullptr) return false;
  *out = static_cast<int32_t>(m_program->m_paramValues.size());
  return true;
}

bool FakeIndexParser::GetParamValue(int32_t i, float* out) {
  if (out == nullptr || m_program == nullptr) return false;
  if (i < 0 || i >= static_cast<int32_t>(m_program->m_paramValues.size())) return false;
  *out = m_program->m_paramValues[static_cast<size_t>(i)];
  return true;
}

bool FakeIndexParser::GetParamName(int32_t, char*, uint32_t) { return false; }

bool FakeIndexParser::GetOutputHistoryNeed(int32_t, int32_t*, float*) { return false; }

bool FakeIndexParser::GetHistoryNeed(int32_t*, float*) { return false; }

bool FakeIndexParser::SetOutputColor(int32_t i, uint32_t colour) {
  if (!ValidOutput(i)) return false;
  colours[i] = colour;
  return true;
}

bool FakeIndexParser::SetOutputLineWidth(int32_t i, int32_t width) {
  if (!ValidOutput(i)) return false;
  lineWidths[i] = width;
  return true;
}

bool FakeIndexParser::SetParamValue(int32_t i, float value) {
  if (m_program == nullptr) return false;
  if (i < 0 || i >= static_cast<int32_t>(m_program->m_paramValues.size())) return false;
  m_program->m_paramValues[static_cast<size_t>(i)] = value;
  return true;
}

const std::vector<float>& FakeIndexParser::GetOutputParamValues(int32_t) { return m_noFloats; }

const std::vector<int32_t>& FakeIndexParser::GetOutputParamIndexes(int32_t) { return m_noInts; }

const std::vector<int32_t>& FakeIndexParser::GetParamOutputs(int32_t) { return m_noInts; }

bool FakeIndexParser::IsDrawFunctionOutput(int32_t, bool*) { return false; }
