// The column executor: which statements the planner hands to column kernels
// (and why the others stay per bar), and that the kernels give the per-bar
// path's bits on rough data, for a whole range and for the ticks and appends
// after it, with bars read one by one or handed over as columns.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "abacor/bulk_data_provider.h"
#include "abacor/index_obj_creator.h"
#include "abacor/index_parser.h"
#include "formula/eval/calculate_info.h"
#include "formula/eval/column_plan.h"
#include "formula/eval/index_calculator.h"
#include "support/array_bars.h"
#include "support/owned_objects.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

ParserPtr Compiled(const std::string& text) {
  ParserPtr parser(IndexObjCreator::CreateIndexParserObj());
  EXPECT_TRUE(parser->Compile(text, {"N"}, {5.0f})) << text;
  return parser;
}

// ---- the planner's decisions --------------------------------------------------

struct PlanCase {
  const char* formula;
  bool usable;         // some series run in columns
  size_t perBar;       // output elements left per bar
  const char* reason;  // why ("" when nothing stays per bar)
};

const PlanCase kPlanCases[] = {
    {"MA5:MA(CLOSE,5);MA10:MA(CLOSE,N);", true, 0, ""},
    {"DIF:EMA(CLOSE,12)-EMA(CLOSE,26);DEA:EMA(DIF,9);MACD:(DIF-DEA)*2,COLORSTICK;", true, 0, ""},
    {"RSV:=(CLOSE-LLV(LOW,9))/(HHV(HIGH,9)-LLV(LOW,9))*100;K:SMA(RSV,3,1);D:SMA(K,3,1);J:3*K-2*D;", true, 0, ""},
    {"LC:=REF(CLOSE,1);R:SMA(MAX(CLOSE-LC,0),6,1)/SMA(ABS(CLOSE-LC),6,1)*100;", true, 0, ""},
    {"E:=EMA(C,5);R:REF(E,2);M:MA(E,3);", true, 0, ""},
    {"X:REF(EMA(C,5),1);", false, 1, "a stateful call read at older bars"},
    {"X:MA(SMA(C,5,1),3);", false, 1, "a stateful call read at older bars"},
    {"A:MA(C,5);B:BARSCOUNT(C);", true, 1, "a built-in without a kernel"},
    {"E:=EMA(C,5);A:E*2;B:COUNT(E>O,3);", false, 1, "a stateful series shared with a statement left per bar"},
    {"X:IF(C>O,EMA(C,5),SMA(C,3,1));Y:CROSS(MA(C,3),C);", true, 1, "a stateful call read at older bars"},
    {"M:=MA(C,3);Y:CROSS(M,C);S:SUM(C,N);", true, 0, ""},
    {"A:=C*2;X:A+1;B:BARSCOUNT(A);", true, 1, "a built-in without a kernel"},
    {"X:MA(C,C);", false, 1, "a period that is no constant"},
    {"X:HHV(C,0);", false, 1, "a period too short for a kernel"},
    {"X:STD(C,1);", false, 1, "a period too short for a kernel"},
    {"X:REFX(C,2);", false, 1, "a built-in without a kernel"},
};

TEST(ColumnPlanTest, DecidesPerStatementWithTheReason) {
  for (const PlanCase& c : kPlanCases) {
    ParserPtr parser = Compiled(c.formula);
    CCalculateInfo* program = nullptr;
    ASSERT_TRUE(parser->GetCalculateInfo(&program)) << c.formula;
    const ColumnPlan plan = PlanColumns(*program, nullptr, OutputElementsOf(*program));
    EXPECT_EQ(plan.usable, c.usable) << c.formula << ": " << plan.reason;
    EXPECT_EQ(plan.perBar.size(), c.perBar) << c.formula;
    EXPECT_EQ(plan.reason, c.reason) << c.formula;
  }
}

TEST(ColumnPlanTest, OrdersDependenciesFirst) {
  ParserPtr parser = Compiled("A:=C+1;B:=A*3;D:B+A;");
  CCalculateInfo* program = nullptr;
  ASSERT_TRUE(parser->GetCalculateInfo(&program));
  const ColumnPlan plan = PlanColumns(*program, nullptr, OutputElementsOf(*program));
  ASSERT_TRUE(plan.usable);
  ASSERT_EQ(plan.series.size(), 3u);
  // A before B before D: each definition only reads what is computed already.
  EXPECT_EQ(plan.series[0].key.kind, OPK_VAR_SERIES);
  EXPECT_EQ(plan.series[1].key.kind, OPK_VAR_SERIES);
  EXPECT_EQ(plan.series[2].key.kind, OPK_OUTPUT_SERIES);
  EXPECT_LT(plan.series[0].key.slot, plan.series[1].key.slot);
}

// ---- bit identity with the per-bar path -----------------------------------------

// Rough bars: a 0.01 price grid with runs of equal closes (exact ties),
// highs nudged by less than the equality tolerance (near-ties), runs of
// failed reads, NaN and both infinities.
void FillRough(ArrayBars* p, int32_t n, uint32_t seed) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> step(-2, 2);
  std::uniform_int_distribution<int> spread(0, 3);
  std::uniform_int_distribution<int> nudge(0, 3);
  p->bars = n;
  for (int32_t id : {1, 2, 3, 4}) p->fields[id].assign(static_cast<size_t>(n), 0.0);
  int cents = 1000;
  for (int32_t i = 0; i < n; ++i) {
    const size_t b = static_cast<size_t>(i);
    const int open = cents;
    cents = std::max(100, cents + step(rng));
    p->fields[2][b] = open / 100.0;
    p->fields[4][b] = cents / 100.0;
    p->fields[1][b] = (std::max(open, cents) + spread(rng)) / 100.0 + (nudge(rng) == 0 ? 4e-8 : 0.0);
    p->fields[3][b] = (std::min(open, cents) - spread(rng)) / 100.0 - (nudge(rng) == 0 ? 4e-8 : 0.0);
  }
  for (int32_t i = 50; i < 56; ++i) p->fields[4][static_cast<size_t>(i)] = kNaN;
  p->fields[1][80] = kInf;
  p->fields[3][81] = -kInf;
  p->fields[1][120] = kNaN;
  p->fields[3][121] = kNaN;
  p->fields[4][150] = kInf;
  p->fields[2][151] = kNaN;
}

// One calculator over one formula, with the executor on or off.
struct Engine {
  ParserPtr parser;
  CIndexCalculator calc;
  int32_t outputs = 0;

  Engine(const std::string& formula, IIndexDataProvider* provider, bool columns) : parser(Compiled(formula)) {
    parser->GetOutputCount(&outputs);
    calc.SetColumnExecutor(columns);
    calc.SetIndexParser(parser.get());
    calc.SetDataProvider(provider);
  }

  // Every published value of every output as raw bits (no value: 1).
  std::vector<uint64_t> Published(int32_t n) {
    EXPECT_TRUE(calc.PublishResults());
    std::vector<uint64_t> bits;
    std::vector<double> values(static_cast<size_t>(n));
    std::unique_ptr<bool[]> valid(new bool[static_cast<size_t>(n)]);
    for (int32_t o = 0; o < outputs; ++o) {
      EXPECT_TRUE(calc.GetOutputValues(o, 0, n - 1, values.data(), valid.get()));
      for (int32_t i = 0; i < n; ++i) {
        uint64_t b = 0;
        std::memcpy(&b, &values[static_cast<size_t>(i)], sizeof b);
        bits.push_back(valid[i] ? b : 1);
      }
    }
    return bits;
  }
};

const char* const kFormulas[] = {
    "MA5:MA(CLOSE,5);MA10:MA(CLOSE,10);MA20:MA(CLOSE,20);MA60:MA(CLOSE,60);",
    "DIF:EMA(CLOSE,12)-EMA(CLOSE,26);DEA:EMA(DIF,9);MACD:(DIF-DEA)*2,COLORSTICK;",
    "RSV:=(CLOSE-LLV(LOW,9))/(HHV(HIGH,9)-LLV(LOW,9))*100;K:SMA(RSV,3,1);D:SMA(K,3,1);J:3*K-2*D;",
    "LC:=REF(CLOSE,1);R1:SMA(MAX(CLOSE-LC,0),6,1)/SMA(ABS(CLOSE-LC),6,1)*100;R2:SMA(MAX(CLOSE-LC,0),N,1);",
    "BOLL:MA(CLOSE,20);UB:BOLL+2*STD(CLOSE,20);LB:BOLL-2*STD(CLOSE,20);",
    "A:=C*2-O;X:HHV(A,5);Y:LLV(A+1,1);Z:REF(A,3);W:REF(C,0);H9:HHV(H,9)-LLV(L,9);",
    "E:EMA(C,1);F:EXPMA(C,4);G:SMA(C,1,2);S:SMA(C,5,7);",
    "M1:MA(C,1);S2:STD(C,2);S7:STD(H-L,7);MK:MA(2,3);RK:REF(7,2);",
    "MX:MAX(C,O)-MIN(C,O)+ABS(C-O);Q1:C>O AND C<=H OR C=L;R0:C/(H-H);N1:C<>O;G1:H>=L;",
    "E:=EMA(C,5);R:REF(E,2);M:MA(E,3);X:HHV(E,4);",
    "A:MA(C,5);B:BARSCOUNT(C);X:REF(EMA(C,5),1);",
    "X:IF(C>O,EMA(C,5),SMA(C,3,1));Y:IFN(C-O,H,L);M:=MA(C,3);K1:CROSS(M,C);K2:CROSS(C,10.05);K3:CROSS(H,L+0.02);",
    "S1:SUM(C,1);S5:SUM(C,5);S9:SUM(H-L,9);Z:SUM(C>O,4);",
};

TEST(ColumnExecutorTest, GivesThePerBarBitsForARangeAndTheTicksAfterIt) {
  constexpr int32_t n = 240;
  constexpr int32_t later = 3;  // bars calculated one tick at a time afterwards
  constexpr int32_t all = n + later;
  for (const bool bulk : {false, true}) {
    for (const char* formula : kFormulas) {
      std::unique_ptr<ArrayBars> bars = bulk ? std::make_unique<ColumnBars>() : std::make_unique<ArrayBars>();
      FillRough(bars.get(), all, 7);
      Engine on(formula, bars.get(), true);
      Engine off(formula, bars.get(), false);
      SCOPED_TRACE(std::string(formula) + (bulk ? " (columns)" : " (bar by bar)"));
      // Bars 0..n-1 first: a range from bar 0 that is not the whole data.
      ASSERT_TRUE(on.calc.Calculate(0, n - 1, false));
      ASSERT_TRUE(off.calc.Calculate(0, n - 1, false));
      const std::vector<uint64_t> first = off.Published(all);
      EXPECT_EQ(on.Published(all), first);
      // The same range again over a store that already holds it.
      ASSERT_TRUE(on.calc.Calculate(0, n - 1, true));
      EXPECT_EQ(on.Published(all), first);

      // The newest bar changes, then the later bars come one tick each.
      bars->fields[4][n - 1] += 0.07;
      ASSERT_TRUE(on.calc.Calculate(n - 1, n - 1, true));
      ASSERT_TRUE(off.calc.Calculate(n - 1, n - 1, true));
      EXPECT_EQ(on.Published(all), off.Published(all));
      for (int32_t bar = n; bar < all; ++bar) {
        ASSERT_TRUE(on.calc.Calculate(bar, bar, false));
        ASSERT_TRUE(off.calc.Calculate(bar, bar, false));
        EXPECT_EQ(on.Published(all), off.Published(all)) << "tick at " << bar;
      }
      // And the whole data at once.
      ASSERT_TRUE(on.calc.Calculate(0, all - 1, false));
      ASSERT_TRUE(off.calc.Calculate(0, all - 1, false));
      EXPECT_EQ(on.Published(all), off.Published(all));
    }
  }
}

// Ranges that start after bar 0: on a calculator that has computed
// nothing yet (what lies before the range must then come from the per-bar
// path), and again over the middle of computed data after the bars there
// changed.
TEST(ColumnExecutorTest, RangesAfterBarZeroGiveThePerBarBits) {
  constexpr int32_t all = 240;
  struct Range {
    int32_t first, last;
    bool recompute;
  };
  const Range steps[] = {{100, all - 1, false}, {0, all - 1, false}, {90, 190, true}, {150, all - 1, true}};
  for (const char* formula : kFormulas) {
    ColumnBars bars;
    FillRough(&bars, all, 11);
    Engine on(formula, &bars, true);
    Engine off(formula, &bars, false);
    SCOPED_TRACE(formula);
    for (const Range& r : steps) {
      if (r.recompute) bars.fields[4][static_cast<size_t>(r.first + 20)] += 0.05;
      ASSERT_TRUE(on.calc.Calculate(r.first, r.last, r.recompute));
      ASSERT_TRUE(off.calc.Calculate(r.first, r.last, r.recompute));
      EXPECT_EQ(on.Published(all), off.Published(all)) << r.first << ".." << r.last;
    }
  }
}

}  // namespace
