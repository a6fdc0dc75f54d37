#include "formula/eval/draw/output.h"

#include <algorithm>
#include <array>

#include "abacor/index_parser.h"
#include "formula/eval/builtins/registry.h"
#include "formula/eval/calculate_info.h"
#include "formula/eval/draw/job.h"
#include "formula/eval/series_store.h"

using TarnDrawInfo::GraphDrawInfo;
using TarnDrawInfo::TarnColor;

namespace {

// The builder of each draw id; null for the forms that draw nothing.
struct DrawForm {
  int32_t drawId;
  DrawBuilderFn build;
};

constexpr std::array<DrawForm, 17> kDrawForms{{
    {BuiltinId(".CURVELINE"), BuildCurveLine},
    {BuiltinId(".CIRCULAR"), BuildCircular},
    {BuiltinId(".COLUMN"), BuildColumn},
    {BuiltinId("DRAWKLINE"), BuildKLine},
    {BuiltinId("RECTREL"), nullptr},
    {BuiltinId("PLOYLINE"), BuildPolyLine},
    {BuiltinId("BAND"), BuildBand},
    {BuiltinId("STICK"), BuildStick},
    {BuiltinId("DRAWICON"), BuildIcon},
    {BuiltinId("DRAWTEXT"), BuildText},
    {BuiltinId("DRAWTEXT_FIX"), nullptr},
    {BuiltinId("DRAWNUMBER"), BuildNumber},
    {BuiltinId("DRAWNUMBER_FIX"), nullptr},
    {BuiltinId("DRAWBMP"), nullptr},
    {BuiltinId("DRAWGBK"), nullptr},
    {BuiltinId("DRAWLINE"), BuildSegments},
    {BuiltinId("FILLRGN"), BuildFillRegion},
}};
static_assert(kDrawForms.size() == 17, "one row per draw id 500 to 516");

constexpr bool FormsAreDense() {
  for (size_t i = 0; i < kDrawForms.size(); ++i) {
    if (kDrawForms[i].drawId != kFirstDrawId + static_cast<int32_t>(i)) return false;
  }
  return true;
}
static_assert(FormsAreDense(), "rows are in draw-id order without gaps");

DrawBuilderFn FindBuilder(const ExprRecord& record) {
  if (record.count < 1 || record.kinds[0] != OPK_FUNC_ID) return nullptr;
  const int64_t row = int64_t{record.values[0].Int32()} - kFirstDrawId;
  if (row < 0 || row >= static_cast<int64_t>(kDrawForms.size())) return nullptr;
  return kDrawForms[static_cast<size_t>(row)].build;
}

// The colour the parser reports for an output; the default colour otherwise.
TarnColor OutputColour(IIndexParser* parser, int32_t output) {
  uint32_t value = 0;
  if (parser->GetOutputColor(output, &value)) return TarnDrawInfo::GetColorByValue(value);
  return TarnDrawInfo::GetDefaultColor();
}

// The thickness the parser reports for an output, clamped to 1 to 9; 1 otherwise.
int32_t OutputWidth(IIndexParser* parser, int32_t output) {
  int32_t width = 1;
  if (!parser->GetOutputLineWidth(output, &width)) return 1;
  return std::clamp(width, 1, 9);
}

bool IsHidden(const DrawSource& source, int32_t output, const std::set<int32_t>& hidden) {
  if (hidden.count(output) != 0) return true;
  bool flagged = false;
  return source.parser->IsOutputHidden(output, &flagged) && flagged;
}

}  // namespace

bool BuildDrawInfo(const DrawSource& source, int32_t first, int32_t last, int32_t step, const std::set<int32_t>& hidden,
                   std::vector<GraphDrawInfo>& out) {
  if (source.program == nullptr || source.parser == nullptr) return false;
  const int32_t outputs = static_cast<int32_t>(source.program->m_outputs.size());
  out.clear();
  out.reserve(static_cast<size_t>(outputs));
  // Builders read nothing but published cells, and only inside the store.
  if (!source.ready || source.readStore == nullptr) return true;
  last = std::min(last, source.readStore->BarCount() - 1);
  if (first < 0 || first > last) return true;
  for (int32_t i = 0; i < outputs; ++i) {
    if (IsHidden(source, i, hidden)) continue;
    const ExprRecord* record = source.program->FindOutputRecord(i);
    if (record == nullptr) continue;
    const DrawBuilderFn build = FindBuilder(*record);
    if (build == nullptr) continue;
    DrawJob job;
    job.source = &source;
    job.record = record;
    job.output = i;
    job.first = first;
    job.last = last;
    job.step = step;
    job.colour = OutputColour(source.parser, i);
    job.width = OutputWidth(source.parser, i);
    build(job, out);
  }
  return true;
}

void ReleaseDrawRecords(std::vector<GraphDrawInfo>& records) { std::vector<GraphDrawInfo>().swap(records); }
