#include "formula/frontend/index_parser.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <mutex>

#include "formula/eval/builtins/registry.h"
#include "formula/eval/calculate_info.h"
#include "formula/frontend/compile_errors.h"
#include "formula/frontend/compile_lock.h"
#include "formula/frontend/keyword_tables.h"
#include "formula/frontend/parse_context.h"
#include "formula/frontend/znz_parser.h"

namespace {

constexpr int32_t kDrawFunctionCodeOffset = 492;

// Draw type code of an output descriptor by its style number (index 0 to 15).
struct StyleCodeRow {
  int32_t style;
  int32_t code;
};
constexpr StyleCodeRow kStyleCodes[] = {
    {1, 1}, {15, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 6}, {6, 7}, {10, 8}, {13, 9}, {14, 10},
};
static_assert(sizeof(kStyleCodes) / sizeof(kStyleCodes[0]) == 10, "10 styles with a draw type");

int32_t StyleDrawType(int32_t style) {
  for (const StyleCodeRow& row : kStyleCodes) {
    if (row.style == style) return row.code;
  }
  return 0;
}

// Copies at most size-1 bytes and terminates at buf[size-1] (zero padding after the text).
void CopyName(const std::string& name, char* buf, uint32_t size) {
  std::strncpy(buf, name.c_str(), size - 1);
  buf[size - 1] = '\0';
}

bool Within(int32_t i, size_t size) { return i >= 0 && static_cast<size_t>(i) < size; }

}  // namespace

CIndexParser::CIndexParser()
    : context(nullptr), program(nullptr), outputCount(0), compiled(false), syntaxOk(false), error() {}

CIndexParser::~CIndexParser() { Reset(); }

void CIndexParser::Reset() {
  delete program;
  delete context;
  program = nullptr;
  context = nullptr;
  compiled = false;
  outputCount = 0;
  error = ParseErrorInfo();
}

bool CIndexParser::Compile(const std::string& text, const std::vector<std::string>& paramNames,
                           const std::vector<float>& paramValues) {
  if (compiled || paramNames.size() != paramValues.size()) return false;
  try {
    std::lock_guard<std::recursive_mutex> lock(CompileLock());
    return CompileLocked(text, paramNames, paramValues);
  } catch (const std::exception&) {
    compiled = false;  // out of memory: the attempt fails, nothing escapes
    return false;
  }
}

bool CIndexParser::CompileLocked(const std::string& text, const std::vector<std::string>& paramNames,
                                 const std::vector<float>& paramValues) {
  Reset();
  context = new ParseContext();
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  context->Prepare(lower, paramNames, paramValues);
  error = ParseErrorInfo();
  syntaxOk = context->Analyse();
  if (!syntaxOk) {
    const ErrorReport& report = context->Error();
    error.code = report.errorCode();
    error.line = report.errorLine();
    error.position = report.errorPosition();
    error.column = report.errorColumn();
    std::strncpy(error.text, report.errorText().c_str(), sizeof(error.text) - 1);
    return false;
  }
  outputCount = context->Names().outputCount();
  program = new CCalculateInfo();
  CZNZParser translator;
  if (translator.Translate(context, program) != 0) {
    error.code = kErrorTranslationFailed;
    error.line = translator.LineCount();
    error.position = translator.Position();
    error.column = 0;
    return false;
  }
  compiled = true;
  usedFields.clear();
  usedFields.insert(program->m_fieldIds.begin(), program->m_fieldIds.end());
  historyNeeds = translator.HistoryNeeds();
  return true;
}

bool CIndexParser::GetErrorInfo(ParseErrorInfo* out) {
  if (out == nullptr) return false;
  *out = error;
  return true;
}

bool CIndexParser::GetCalculateInfo(CCalculateInfo** out) {
  if (!compiled || out == nullptr) return false;
  *out = program;
  return true;
}

bool CIndexParser::GetExtendHistory(bool* out) {
  if (!compiled || out == nullptr) return false;
  *out = program->m_extendHistory;
  return true;
}

bool CIndexParser::GetExtendForward(bool* out) {
  if (!compiled || out == nullptr) return false;
  *out = program->m_extendForward;
  return true;
}

bool CIndexParser::GetRecalcAll(bool* out) {
  if (!compiled || out == nullptr) return false;
  *out = program->m_recalcAll;
  return true;
}

bool CIndexParser::IsFieldUsed(int32_t fieldId, int32_t /*reserved*/) {
  return compiled && usedFields.count(fieldId) != 0;
}

bool CIndexParser::GetOutputCount(int32_t* out) {
  if (out == nullptr) return false;
  *out = 0;
  if (!compiled) return false;
  *out = static_cast<int32_t>(program->m_outputs.size());
  return true;
}

bool CIndexParser::ValidOutput(int32_t i) const { return compiled && context != nullptr && i >= 0 && i < outputCount; }

bool CIndexParser::ValidParam(int32_t i) const {
  return compiled && context != nullptr && i >= 0 && i < context->Names().paramCount();
}

bool CIndexParser::GetOutputColor(int32_t i, uint32_t* out) {
  if (out == nullptr || !ValidOutput(i)) return false;
  const OutputAttributes& attributes = context->Attributes();
  if (!attributes.Holds(i) || !attributes.colourSet()[i]) return false;
  *out = attributes.colours()[i];
  return true;
}

bool CIndexParser::GetOutputLineWidth(int32_t i, int32_t* out) {
  if (out == nullptr || !ValidOutput(i) || !context->Attributes().Holds(i)) return false;
  *out = context->Attributes().lineWidths()[i];
  return true;
}

int32_t CIndexParser::OutputDrawId(int32_t i) const {
  if (program == nullptr) return -1;
  const ExprRecord* record = program->FindOutputRecord(i);
  if (record == nullptr || record->count < 1 || record->kinds[0] != OPK_FUNC_ID) return -1;
  int32_t id = record->values[0].Int32();
  return id >= kFirstDrawId && id <= kLastDrawId ? id : -1;
}

bool CIndexParser::GetOutputDrawType(int32_t i, int32_t* out) {
  if (out == nullptr || !ValidOutput(i) || !context->Attributes().Holds(i)) return false;
  int32_t id = OutputDrawId(i);
  if (id < 0) return false;
  *out = id <= kLastDescriptorId ? StyleDrawType(context->Attributes().styles()[i]) : id - kDrawFunctionCodeOffset;
  return true;
}

bool CIndexParser::GetOutputName(int32_t i, char* buf, uint32_t size) {
  if (buf == nullptr || size == 0 || !ValidOutput(i)) return false;
  const std::vector<std::string>& names = context->Script().summaryOutputNames;
  if (!Within(i, names.size())) return false;
  CopyName(names[i], buf, size);
  if (std::strchr(buf, '.') != nullptr) std::memset(buf, 0, size);
  return true;
}

bool CIndexParser::IsOutputHidden(int32_t i, bool* out) {
  if (out == nullptr || !ValidOutput(i) || !Within(i, context->Script().summaryOutputNames.size()) ||
      !context->Attributes().Holds(i)) {
    return false;
  }
  *out = context->Attributes().hidden()[i];
  return true;
}

bool CIndexParser::GetParamCount(int32_t* out) {
  if (!compiled || out == nullptr) return false;
  *out = context->Names().paramCount();
  return true;
}

bool CIndexParser::GetParamValue(int32_t i, float* out) {
  if (out == nullptr || !ValidParam(i)) return false;
  *out = std::strtof(context->Names().paramValueTexts()[i].c_str(), nullptr);
  return true;
}

bool CIndexParser::GetParamName(int32_t i, char* buf, uint32_t size) {
  if (buf == nullptr || size == 0 || !ValidParam(i)) return false;
  CopyName(context->Names().paramNameTable()[i], buf, size);
  return true;
}

bool CIndexParser::GetOutputHistoryNeed(int32_t i, int32_t* kind, float* amount) {
  if (kind == nullptr || amount == nullptr || !ValidOutput(i) || !Within(i, historyNeeds.size())) return false;
  *kind = historyNeeds[i].kind;
  *amount = historyNeeds[i].amount;
  return true;
}

// Merge: a larger or equal kind replaces the pair; kind 1 keeps the larger amount.
bool CIndexParser::GetHistoryNeed(int32_t* kind, float* amount) {
  if (!compiled || kind == nullptr || amount == nullptr) return false;
  for (const HistoryNeed& entry : historyNeeds) {
    if (entry.kind < *kind) continue;
    *amount = entry.kind == 1 ? std::max(*amount, entry.amount) : 0.0f;
    *kind = entry.kind;
  }
  return true;
}

bool CIndexParser::SetOutputColor(int32_t i, uint32_t colour) {
  if (!ValidOutput(i) || !context->Attributes().Holds(i)) return false;
  context->SetOutputColour(i, colour);
  return true;
}

bool CIndexParser::SetOutputLineWidth(int32_t i, int32_t width) {
  if (!ValidOutput(i) || !context->Attributes().Holds(i)) return false;
  context->SetOutputLineWidth(i, std::min(std::max(width, 1), 9));
  return true;
}

bool CIndexParser::SetParamValue(int32_t i, float value) {
  if (!ValidParam(i) || static_cast<size_t>(i) >= program->m_paramValues.size()) return false;
  context->SetParamValue(i, value);
  program->m_paramValues[i] = value;
  return true;
}

const std::vector<int32_t>* CIndexParser::OutputParams(int32_t i) const {
  if (context == nullptr || i < 0 || i >= outputCount) return nullptr;
  const std::vector<std::vector<int32_t>>& lists = context->Dependencies().outputParamLists();
  if (static_cast<size_t>(i) >= lists.size()) return nullptr;
  return &lists[i];
}

const std::vector<float>& CIndexParser::GetOutputParamValues(int32_t i) {
  outParamValues.clear();
  const std::vector<int32_t>* params = OutputParams(i);
  if (params == nullptr) return outParamValues;
  for (int32_t p : *params) {
    const std::vector<std::string>& valueTexts = context->Names().paramValueTexts();
    if (p >= 0 && static_cast<size_t>(p) < valueTexts.size()) {
      outParamValues.push_back(std::strtof(valueTexts[p].c_str(), nullptr));
    }
  }
  return outParamValues;
}

const std::vector<int32_t>& CIndexParser::GetOutputParamIndexes(int32_t i) {
  outParamIndexes.clear();
  const std::vector<int32_t>* params = OutputParams(i);
  if (params != nullptr) outParamIndexes = *params;
  return outParamIndexes;
}

const std::vector<int32_t>& CIndexParser::GetParamOutputs(int32_t p) {
  paramOutputs.clear();
  if (context == nullptr || p < 0 || p >= context->Names().paramCount()) return paramOutputs;
  const auto& lists = context->Dependencies().outputParamLists();
  // Answers from the context of the last attempt, also when its analysis failed.
  for (size_t o = 0; o < lists.size(); ++o) {
    if (std::find(lists[o].begin(), lists[o].end(), p) != lists[o].end()) {
      paramOutputs.push_back(static_cast<int32_t>(o));
    }
  }
  return paramOutputs;
}

bool CIndexParser::IsDrawFunctionOutput(int32_t i, bool* out) {
  if (out == nullptr || program == nullptr || context == nullptr) return false;
  if (i < 0 || i >= outputCount || !context->Attributes().Holds(i)) return false;
  int32_t id = OutputDrawId(i);
  if (id < 0) return false;
  *out = id > kLastDescriptorId;
  return true;
}
