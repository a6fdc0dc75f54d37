// The calculator's live tick: recalculate the newest bar and publish it, as a
// chart does on every quote; and, for scale, a full calculation.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>

#include "abacor/data_provider.h"
#include "abacor/index_parser.h"
#include "formula/eval/calculate_info.h"
#include "formula/eval/index_calculator.h"

namespace {

class PriceProvider final : public IIndexDataProvider {
 public:
  explicit PriceProvider(int32_t bars) : m_bars(bars) {}
  bool GetBarCount(int32_t* count) override {
    *count = m_bars;
    return true;
  }
  bool GetTotalBarCount(int32_t* count) override {
    *count = m_bars;
    return true;
  }
  bool GetFieldValue(int32_t fieldId, int32_t bar, double* value) override {
    *value = 10.0 + fieldId + 0.01 * (bar % 97);
    return true;
  }
  bool GetScalarValue(int32_t, double*) override { return false; }
  bool GetAnchorBar(int32_t, int32_t, int32_t*) override { return true; }
  bool GetPeriod(int32_t*, int32_t*) override { return true; }
  bool GetBarTime(int32_t, int64_t*) override { return false; }
  bool GetBarIndexByTime(int64_t, int32_t*) override { return false; }
  bool GetTimeOfDate(int64_t, int64_t*) override { return false; }

 private:
  int32_t m_bars;
};

// Hands out one fixed program; every other question goes unanswered.
class ProgramParser final : public IIndexParser {
 public:
  explicit ProgramParser(std::unique_ptr<CCalculateInfo> p) : m_program(std::move(p)) {}
  bool Compile(const std::string&, const std::vector<std::string>&, const std::vector<float>&) override {
    return false;
  }
  bool GetErrorInfo(ParseErrorInfo*) override { return false; }
  bool GetCalculateInfo(CCalculateInfo** out) override {
    *out = m_program.get();
    return true;
  }
  bool GetExtendHistory(bool* out) override {
    *out = false;
    return true;
  }
  bool GetExtendForward(bool* out) override {
    *out = false;
    return true;
  }
  bool GetRecalcAll(bool* out) override {
    *out = false;
    return true;
  }
  bool IsFieldUsed(int32_t, int32_t) override { return false; }
  bool GetOutputCount(int32_t*) override { return false; }
  bool GetOutputColor(int32_t, uint32_t*) override { return false; }
  bool GetOutputLineWidth(int32_t, int32_t*) override { return false; }
  bool GetOutputDrawType(int32_t, int32_t*) override { return false; }
  bool GetOutputName(int32_t, char*, uint32_t) override { return false; }
  bool IsOutputHidden(int32_t, bool*) override { return false; }
  bool GetParamCount(int32_t*) override { return false; }
  bool GetParamValue(int32_t, float*) override { return false; }
  bool GetParamName(int32_t, char*, uint32_t) override { return false; }
  bool GetOutputHistoryNeed(int32_t, int32_t*, float*) override { return false; }
  bool GetHistoryNeed(int32_t*, float*) override { return false; }
  bool SetOutputColor(int32_t, uint32_t) override { return false; }
  bool SetOutputLineWidth(int32_t, int32_t) override { return false; }
  bool SetParamValue(int32_t, float) override { return false; }
  const std::vector<float>& GetOutputParamValues(int32_t) override { return m_floats; }
  const std::vector<int32_t>& GetOutputParamIndexes(int32_t) override { return m_ints; }
  const std::vector<int32_t>& GetParamOutputs(int32_t) override { return m_ints; }
  bool IsDrawFunctionOutput(int32_t, bool*) override { return false; }

 private:
  std::unique_ptr<CCalculateInfo> m_program;
  std::vector<float> m_floats;
  std::vector<int32_t> m_ints;
};

int32_t AddVariable(CCalculateInfo& p, OperandKind kind, int32_t slot, bool outputs) {
  ExprRecord* r = p.m_arena.NewRecord(OP_VARIABLE, 2);
  r->kinds[0] = kind;
  r->values[0] = OperandValue::FromInt32(slot);
  r->kinds[1] = OPK_NUMBER;
  return p.AddVariable(r, outputs);
}

ExprRecord* Binary(CCalculateInfo& p, int32_t op, int64_t left, int64_t right) {
  ExprRecord* r = p.m_arena.NewRecord(op, 2);
  r->kinds[0] = OPK_VAR;
  r->values[0] = OperandValue::FromIndex(left);
  r->kinds[1] = OPK_VAR;
  r->values[1] = OperandValue::FromIndex(right);
  return r;
}

// `outputs` line outputs, output k = (field k % 4 + 1) - (field (k + 1) % 4 + 1).
std::unique_ptr<CCalculateInfo> MakeProgram(int32_t outputs) {
  auto p = std::make_unique<CCalculateInfo>();
  for (int32_t f = 1; f <= 4; ++f) {
    p->m_fieldIds.push_back(f);
    AddVariable(*p, OPK_FIELD, f - 1, false);
  }
  for (int32_t k = 0; k < outputs; ++k) {
    const int32_t target = AddVariable(*p, OPK_OUTPUT_SERIES, k, false);
    Statement* s = p->m_arena.NewStatement();
    s->targetKind = OPK_VAR;
    s->target = OperandValue::FromIndex(target);
    s->exprKind = OPK_RECORD;
    s->expr = OperandValue::FromRecord(Binary(*p, OP_SUB, k % 4, (k + 1) % 4));
    p->m_assignments.push_back(s);

    ExprRecord* out = p->m_arena.NewRecord(OP_CALL, 2);
    out->kinds[0] = OPK_FUNC_ID;
    out->values[0] = OperandValue::FromInt32(500);
    out->kinds[1] = OPK_VAR;
    out->values[1] = OperandValue::FromIndex(AddVariable(*p, OPK_OUTPUT_SERIES, k, true));
    Statement* o = p->m_arena.NewStatement();
    o->stmtKind = STMT_OUTPUT;
    o->targetKind = OPK_NUMBER;
    o->exprKind = OPK_RECORD;
    o->expr = OperandValue::FromRecord(out);
    p->m_outputs.push_back(o);
  }
  return p;
}

void BM_TickNewestBar(benchmark::State& state) {
  const int32_t bars = 5000;
  PriceProvider provider(bars);
  ProgramParser parser(MakeProgram(static_cast<int32_t>(state.range(0))));
  CIndexCalculator calc;
  calc.SetIndexParser(&parser);
  calc.SetDataProvider(&provider);
  if (!calc.Calculate(0, bars - 1, false) || !calc.PublishResults()) state.SkipWithError("setup");
  for (auto _ : state) {
    bool ok = calc.Calculate(bars - 1, bars - 1, true);
    ok = calc.PublishResults() && ok;
    benchmark::DoNotOptimize(ok);
  }
}
BENCHMARK(BM_TickNewestBar)->Arg(1)->Arg(4)->Arg(16);

void BM_FullCalculation(benchmark::State& state) {
  const int32_t bars = static_cast<int32_t>(state.range(0));
  PriceProvider provider(bars);
  ProgramParser parser(MakeProgram(4));
  CIndexCalculator calc;
  calc.SetIndexParser(&parser);
  calc.SetDataProvider(&provider);
  for (auto _ : state) {
    bool ok = calc.Calculate(0, bars - 1, false) && calc.PublishResults();
    benchmark::DoNotOptimize(ok);
  }
  state.SetItemsProcessed(state.iterations() * bars);
}
BENCHMARK(BM_FullCalculation)->Arg(1000)->Arg(5000);

}  // namespace
