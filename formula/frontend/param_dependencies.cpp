#include "formula/frontend/param_dependencies.h"

#include <algorithm>

#include "formula/frontend/keyword_tables.h"

namespace {

bool IsNameId(int32_t id) { return id >= TOKEN_VARIABLE && id < TOKEN_CONSTANT; }

void AddUnique(std::vector<int32_t>& list, int32_t value) {
  if (std::find(list.begin(), list.end(), value) == list.end()) list.push_back(value);
}

}  // namespace

void ParamDependencies::NoteParameter(int32_t p) { AddUnique(statementParams_, p); }

void ParamDependencies::CloseStatement(const std::vector<int32_t>& tokens, int32_t outputIndex) {
  if (tokens.empty()) return;
  for (size_t k = 1; k < tokens.size(); ++k) {
    if (!IsNameId(tokens[k])) continue;
    auto it = nameParams_.find(tokens[k]);
    if (it == nameParams_.end()) continue;
    for (int32_t p : it->second) AddUnique(statementParams_, p);
  }
  int32_t first = tokens.front();
  nameParams_[first] = statementParams_;
  for (int32_t p : statementParams_) AddUnique(paramUsers_[p], first);
  if (outputIndex >= 0) {
    if (outputParamLists_.size() <= static_cast<size_t>(outputIndex)) outputParamLists_.resize(outputIndex + 1);
    outputParamLists_[outputIndex] = statementParams_;
  }
  statementParams_.clear();
}
