#pragma once
// ScriptOutput: what the intermediate-script writer produces for one
// formula: the script itself, the writer's working lists and errors, and the
// summary lists the translator and the parser object read. Only the writer
// fills it; the translator can be handed one directly.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct ScriptOutput {
  // Final output names by output index (read by GetOutputName).
  std::vector<std::string> summaryOutputNames;
  std::vector<std::string> summaryFieldNames;
  std::vector<std::string> summaryVariableNames;
  std::vector<std::string> summaryParamNames;
  std::vector<float> summaryParamValues;
  int32_t outputCursor = 0;                     // output index while writing
  std::vector<std::string> scriptFields;        // data fields met while writing, first use first
  int32_t drawParamCount = 0;                   // extra variables made for draw-call arguments
  std::map<int32_t, std::string> scriptErrors;  // formula-token index to message (first only)
  std::string paramListText;                    // "(n,m)" after descriptor names, or empty
  std::string script;
};
