#include "support/api_support.h"

#include <cstring>

bool CompileSummary::operator==(const CompileSummary& o) const {
  return ok == o.ok && std::memcmp(&error, &o.error, sizeof error) == 0 && outputs == o.outputs && names == o.names &&
         colours == o.colours && widths == o.widths && drawTypes == o.drawTypes && hidden == o.hidden &&
         needKinds == o.needKinds && needAmounts == o.needAmounts && outputParams == o.outputParams &&
         flags[0] == o.flags[0] && flags[1] == o.flags[1] && flags[2] == o.flags[2];
}

CompileSummary Summarise(IIndexParser* parser, bool ok) {
  CompileSummary s;
  s.ok = ok;
  std::memset(&s.error, 0, sizeof s.error);
  parser->GetErrorInfo(&s.error);
  parser->GetOutputCount(&s.outputs);
  for (int32_t i = 0; i < s.outputs; ++i) {
    char name[64];
    s.names.push_back(parser->GetOutputName(i, name, sizeof name) ? std::string(name) : "?");
    uint32_t colour = 0;
    s.colours.push_back(parser->GetOutputColor(i, &colour) ? static_cast<int64_t>(colour) : -1);
    int32_t width = 0;
    s.widths.push_back(parser->GetOutputLineWidth(i, &width) ? width : -1);
    int32_t type = 0;
    s.drawTypes.push_back(parser->GetOutputDrawType(i, &type) ? type : -1);
    bool isHidden = false;
    s.hidden.push_back(parser->IsOutputHidden(i, &isHidden) ? (isHidden ? 1 : 0) : -1);
    int32_t kind = -1;
    float amount = -1.0f;
    parser->GetOutputHistoryNeed(i, &kind, &amount);
    s.needKinds.push_back(kind);
    s.needAmounts.push_back(amount);
    s.outputParams.push_back(parser->GetOutputParamIndexes(i));
  }
  parser->GetExtendHistory(&s.flags[0]);
  parser->GetExtendForward(&s.flags[1]);
  parser->GetRecalcAll(&s.flags[2]);
  return s;
}
