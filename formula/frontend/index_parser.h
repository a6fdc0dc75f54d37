#pragma once
// CIndexParser: the parser object behind IIndexParser. It compiles one formula
// under the process-wide compile lock, owns the compiled program and the
// ParseContext of its last attempt, and answers the read-back operations.
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "abacor/index_parser.h"

class CCalculateInfo;
class ParseContext;

class CIndexParser final : public IIndexParser {
 public:
  CIndexParser();
  ~CIndexParser();
  CIndexParser(const CIndexParser&) = delete;
  CIndexParser& operator=(const CIndexParser&) = delete;

  bool Compile(const std::string& text, const std::vector<std::string>& paramNames,
               const std::vector<float>& paramValues) override;
  bool GetErrorInfo(ParseErrorInfo* out) override;
  bool GetCalculateInfo(CCalculateInfo** out) override;
  bool GetExtendHistory(bool* out) override;
  bool GetExtendForward(bool* out) override;
  bool GetRecalcAll(bool* out) override;
  bool IsFieldUsed(int32_t fieldId, int32_t reserved) override;
  bool GetOutputCount(int32_t* out) override;
  bool GetOutputColor(int32_t i, uint32_t* out) override;
  bool GetOutputLineWidth(int32_t i, int32_t* out) override;
  bool GetOutputDrawType(int32_t i, int32_t* out) override;
  bool GetOutputName(int32_t i, char* buf, uint32_t size) override;
  bool IsOutputHidden(int32_t i, bool* out) override;
  bool GetParamCount(int32_t* out) override;
  bool GetParamValue(int32_t i, float* out) override;
  bool GetParamName(int32_t i, char* buf, uint32_t size) override;
  bool GetOutputHistoryNeed(int32_t i, int32_t* kind, float* amount) override;
  bool GetHistoryNeed(int32_t* kind, float* amount) override;
  bool SetOutputColor(int32_t i, uint32_t colour) override;
  bool SetOutputLineWidth(int32_t i, int32_t width) override;
  bool SetParamValue(int32_t i, float value) override;
  const std::vector<float>& GetOutputParamValues(int32_t i) override;
  const std::vector<int32_t>& GetOutputParamIndexes(int32_t i) override;
  const std::vector<int32_t>& GetParamOutputs(int32_t p) override;
  bool IsDrawFunctionOutput(int32_t i, bool* out) override;

 private:
  bool CompileLocked(const std::string& text, const std::vector<std::string>& paramNames,
                     const std::vector<float>& paramValues);
  void Reset();
  // Output index below the output count of a compiled object.
  bool ValidOutput(int32_t i) const;
  bool ValidParam(int32_t i) const;
  // Draw id (500 to 516) of output i's record in the program, or -1.
  int32_t OutputDrawId(int32_t i) const;
  const std::vector<int32_t>* OutputParams(int32_t i) const;

  ParseContext* context;
  CCalculateInfo* program;
  int32_t outputCount;
  std::set<int32_t> usedFields;
  std::vector<float> outParamValues;
  std::vector<int32_t> outParamIndexes;
  std::vector<int32_t> paramOutputs;
  std::vector<HistoryNeed> historyNeeds;
  bool compiled;
  bool syntaxOk;
  ParseErrorInfo error;
};
