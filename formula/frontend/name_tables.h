#pragma once
// NameTables: what a formula declares, by kind: variables, outputs, constants
// (numbers and parameters share one numbering), quoted texts and custom
// colours. Each kind's count, name table and id map grow together, so a token
// id always indexes its table. Limits are checked by the stage that registers.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

class NameTables {
 public:
  NameTables();

  // Token id of a variable, output or parameter of this formula (in that order); 0 when none.
  int32_t Lookup(const std::string& word) const;
  bool IsParameter(const std::string& word) const { return paramIds_.count(word) != 0; }

  // Each registration returns the token id of the new entry.
  int32_t AddVariable(const std::string& name);
  int32_t AddOutput(const std::string& name);
  // A drawing output: a name "....." that no token can refer to.
  void AddDrawingOutput();
  int32_t AddNumber(const std::string& digits, float value);
  // A parameter takes the next constant; its value is kept as text with three decimals.
  int32_t AddParameter(const std::string& name, float value);
  int32_t AddText(const std::string& text);
  // The six characters after "color".
  int32_t AddCustomColour(const std::string& digits);
  // New value of parameter p (a registered parameter), kept as text with three decimals.
  void SetParamValue(int32_t p, float value);

  int32_t variableCount() const { return static_cast<int32_t>(variableNameTable_.size()); }
  const std::vector<std::string>& variableNameTable() const { return variableNameTable_; }
  const std::map<std::string, int32_t>& variableIds() const { return variableIds_; }
  int32_t outputCount() const { return static_cast<int32_t>(outputNameTable_.size()); }
  const std::vector<std::string>& outputNameTable() const { return outputNameTable_; }
  const std::map<std::string, int32_t>& outputIds() const { return outputIds_; }
  int32_t constantCount() const { return static_cast<int32_t>(constantValues_.size()); }
  const std::vector<float>& constantValues() const { return constantValues_; }
  const std::vector<std::string>& constantTexts() const { return constantTexts_; }
  int32_t paramCount() const { return static_cast<int32_t>(paramNameTable_.size()); }
  const std::vector<std::string>& paramNameTable() const { return paramNameTable_; }
  const std::vector<std::string>& paramValueTexts() const { return paramValueTexts_; }
  const std::map<std::string, int32_t>& paramIds() const { return paramIds_; }
  int32_t textCount() const { return static_cast<int32_t>(texts_.size()); }
  const std::vector<std::string>& texts() const { return texts_; }
  int32_t customColourCount() const { return static_cast<int32_t>(customColours_.size()); }
  const std::vector<std::string>& customColours() const { return customColours_; }

 private:
  std::vector<std::string> variableNameTable_;
  std::map<std::string, int32_t> variableIds_;
  std::vector<std::string> outputNameTable_;
  std::map<std::string, int32_t> outputIds_;
  std::vector<float> constantValues_;
  std::vector<std::string> constantTexts_;
  std::vector<std::string> paramNameTable_;
  std::vector<std::string> paramValueTexts_;
  std::map<std::string, int32_t> paramIds_;
  std::vector<std::string> texts_;
  std::vector<std::string> customColours_;
};

// The drawing output's name in the output table.
constexpr char kDrawingOutputName[] = ".....";
