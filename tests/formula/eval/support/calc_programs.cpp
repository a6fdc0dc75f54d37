#include "support/calc_programs.h"

#include "support/bar_provider.h"
#include "support/program_builder.h"

std::unique_ptr<CCalculateInfo> MakeLineProgram() {
  ProgramBuilder b;
  const Operand close = b.FieldVar(kClose);
  const Operand open = b.FieldVar(kOpen);
  const Operand high = b.FieldVar(kHigh);
  const Operand low = b.FieldVar(kLow);
  b.Assign(OPK_OUTPUT_SERIES, 0, ProgramBuilder::Op(OP_ADD, ProgramBuilder::Op(OP_MUL, close, Num(2.0f)), open));
  b.Assign(OPK_OUTPUT_SERIES, 1, ProgramBuilder::Op(OP_SUB, high, low));
  b.Output(500, {b.SeriesVar(OPK_OUTPUT_SERIES, 0, true)});
  b.Output(500, {b.SeriesVar(OPK_OUTPUT_SERIES, 1, true)});
  return b.Take();
}

double LineOracle(int32_t bar) { return BarProvider::Price(kClose, bar) * 2.0 + BarProvider::Price(kOpen, bar); }

std::unique_ptr<CCalculateInfo> MakeTextProgram() {
  ProgramBuilder b;
  const Operand close = b.FieldVar(kClose);
  const Operand open = b.FieldVar(kOpen);
  const Operand high = b.FieldVar(kHigh);
  const Operand low = b.FieldVar(kLow);
  b.Program().m_texts.push_back("up");
  b.Assign(OPK_VAR_SERIES, 0, ProgramBuilder::Op(OP_GT, close, open));
  b.Assign(OPK_VAR_SERIES, 1, ProgramBuilder::Op(OP_ADD, high, Num(0.0f)));
  b.Assign(OPK_VAR_SERIES, 2, Text(0));
  b.Assign(OPK_OUTPUT_SERIES, 1, ProgramBuilder::Op(OP_ADD, low, Num(0.0f)));
  b.Output(509, {b.SeriesVar(OPK_VAR_SERIES, 0, true), b.SeriesVar(OPK_VAR_SERIES, 1, true),
                 b.SeriesVar(OPK_VAR_SERIES, 2, true)});
  b.Output(500, {b.SeriesVar(OPK_OUTPUT_SERIES, 1, true)});
  return b.Take();
}
