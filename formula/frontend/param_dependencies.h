#pragma once
// ParamDependencies: which parameters each defined name and each output
// depends on, directly or through the names it uses. The statement being
// analysed collects its parameters; closing it files them under its name.
#include <cstdint>
#include <map>
#include <vector>

class ParamDependencies {
 public:
  // The statement being analysed names parameter p.
  void NoteParameter(int32_t p);
  // Files the statement's parameters, together with those of every earlier name among
  // tokens[1..], under its first token; an outputIndex of -1 marks a variable assignment.
  void CloseStatement(const std::vector<int32_t>& tokens, int32_t outputIndex);

  const std::map<int32_t, std::vector<int32_t>>& nameParams() const { return nameParams_; }
  const std::vector<int32_t>& statementParams() const { return statementParams_; }
  const std::map<int32_t, std::vector<int32_t>>& paramUsers() const { return paramUsers_; }
  // Parameter indexes each output depends on, by output index (drawing outputs included).
  const std::vector<std::vector<int32_t>>& outputParamLists() const { return outputParamLists_; }

 private:
  std::map<int32_t, std::vector<int32_t>> nameParams_;
  std::vector<int32_t> statementParams_;
  std::map<int32_t, std::vector<int32_t>> paramUsers_;
  std::vector<std::vector<int32_t>> outputParamLists_;
};
