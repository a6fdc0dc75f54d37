#pragma once
// A stand-in for the parser object: hands the calculator a program built by
// the test and answers the output-attribute questions from plain members.
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "abacor/index_parser.h"

class FakeIndexParser final : public IIndexParser {
 public:
  FakeIndexParser();
  explicit FakeIndexParser(std::unique_ptr<CCalculateInfo> program);
  ~FakeIndexParser();

  // Replaces the program (a recompilation); null leaves the parser without one.
  void SetProgram(std::unique_ptr<CCalculateInfo> program);
  CCalculateInfo* Program() const { return m_program.get(); }

  std::set<int32_t> hiddenOutputs;
  std::map<int32_t, uint32_t> colours;
  std::map<int32_t, int32_t> lineWidths;

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
  bool ValidOutput(int32_t i) const;

  std::unique_ptr<CCalculateInfo> m_program;
  std::vector<float> m_noFloats;
  std::vector<int32_t> m_noInts;
};
