// With the exported interface only: a host that hands the calculator whole
// columns (IIndexBulkDataProvider) gets the same bits as one read bar by bar,
// on rough data; and a whole-range calculation, published without a copy,
// reads back exactly as one published piece by piece and keeps its published
// values while the next tick is calculated.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "abacor/abacor.h"
#include "support/array_bars.h"
#include "support/owned_objects.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// Rough bars: a 0.01 price grid (many ties), runs of failed reads, an
// infinity and a NaN among the highs.
void FillRough(ArrayBars* p, int32_t n, uint32_t seed) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> step(-3, 3);
  std::uniform_int_distribution<int> spread(0, 4);
  p->bars = n;
  for (int32_t id : {1, 2, 3, 4, 6}) p->fields[id].assign(static_cast<size_t>(n), 0.0);
  int cents = 2000;
  for (int32_t i = 0; i < n; ++i) {
    const size_t b = static_cast<size_t>(i);
    const int open = cents;
    cents = std::max(100, cents + step(rng));
    p->fields[2][b] = open / 100.0;
    p->fields[4][b] = cents / 100.0;
    p->fields[1][b] = (std::max(open, cents) + spread(rng)) / 100.0;
    p->fields[3][b] = (std::min(open, cents) - spread(rng)) / 100.0;
    p->fields[6][b] = 1000.0 * (1 + spread(rng));
  }
  for (int32_t i = n / 3; i < n / 3 + 7 && i < n; ++i) p->fields[4][static_cast<size_t>(i)] = kNaN;
  if (n > 50) {
    p->fields[1][40] = kInf;
    p->fields[1][41] = kNaN;
    p->fields[6][45] = -kInf;
  }
}

struct Engine {
  ParserPtr parser{IndexObjCreator::CreateIndexParserObj()};
  CalcPtr calc{IndexObjCreator::CreateIndexCalculatorObj()};
  int32_t outputs = 0;

  Engine(const std::string& formula, IIndexDataProvider* provider) {
    EXPECT_TRUE(parser->Compile(formula, {}, {})) << formula;
    parser->GetOutputCount(&outputs);
    calc->SetIndexParser(parser.get());
    calc->SetDataProvider(provider);
  }

  // Every published value of every output, as raw bits (no value: a fixed pattern).
  std::vector<uint64_t> Published(int32_t n) const {
    std::vector<uint64_t> bits;
    std::vector<double> values(static_cast<size_t>(n));
    std::unique_ptr<bool[]> valid(new bool[static_cast<size_t>(n)]);
    for (int32_t o = 0; o < outputs; ++o) {
      EXPECT_TRUE(calc->GetOutputValues(o, 0, n - 1, values.data(), valid.get()));
      for (int32_t i = 0; i < n; ++i) {
        uint64_t b = 0;
        std::memcpy(&b, &values[static_cast<size_t>(i)], sizeof b);
        bits.push_back(valid[i] ? b : 1);
      }
    }
    return bits;
  }
};

// The suite's formulas without their comments, plus a few that read every field.
std::vector<std::string> Formulas() {
  std::vector<std::string> out = {
      "A1:MA(CLOSE,5)+OPEN; B1:EMA(HIGH-LOW,12); V1:SUM(VOL,10); R1:REF(CLOSE,3)+HHV(HIGH,4)-LLV(LOW,4);",
      "K:SMA((CLOSE-LLV(LOW,9))/(HHV(HIGH,9)-LLV(LOW,9))*100,3,1); D:MA(K,3); X:CROSS(K,D);",
  };
  for (const char* name : {"ma", "macd", "kdj", "rsi", "boll", "wr", "cci", "atr", "bias", "roc", "trix", "dma"}) {
    std::ifstream in(std::string(ABACOR_SOURCE_DIR) + "/bench/suite/" + name + ".txt");
    std::stringstream text;
    text << in.rdbuf();
    std::string code = text.str();
    for (size_t open = code.find('{'); open != std::string::npos; open = code.find('{')) {
      code.erase(open, code.find('}', open) - open + 1);
    }
    out.push_back(code);
  }
  return out;
}

TEST(BulkProviderTest, ColumnsGiveTheSameBitsAsPerBarReads) {
  const int32_t n = 600;
  ArrayBars plain;
  ColumnBars columns;
  columns.perBarOnly = 6;  // volume comes bar by bar
  FillRough(&plain, n, 7);
  FillRough(&columns, n, 7);
  for (const std::string& formula : Formulas()) {
    Engine a(formula, &plain);
    Engine b(formula, &columns);
    ASSERT_GT(a.outputs, 0) << formula;
    ASSERT_TRUE(a.calc->Calculate(0, n - 1, false) && a.calc->PublishResults());
    ASSERT_TRUE(b.calc->Calculate(0, n - 1, false) && b.calc->PublishResults());
    EXPECT_EQ(a.Published(n), b.Published(n)) << formula;
    // A tick on the newest bar, read through the columns again.
    for (ArrayBars* p : {static_cast<ArrayBars*>(&plain), static_cast<ArrayBars*>(&columns)}) {
      p->fields[4][n - 1] += 0.07;
      p->fields[3][n - 1] -= 0.05;
    }
    ASSERT_TRUE(a.calc->Calculate(n - 1, n - 1, true) && a.calc->PublishResults());
    ASSERT_TRUE(b.calc->Calculate(n - 1, n - 1, true) && b.calc->PublishResults());
    EXPECT_EQ(a.Published(n), b.Published(n)) << formula;
  }
  EXPECT_GT(columns.columnsAsked, 0);
}

// Large enough that the calculated arrays are mapped and handed to the
// published side whole.
TEST(BulkProviderTest, AWholeRangePublishedWithoutACopyReadsAsOnePublishedInPieces) {
  const int32_t n = 150000;  // 1.2 MB per array
  ColumnBars bars;
  FillRough(&bars, n, 11);
  const std::string formula = "M:MA(CLOSE,5); E:EMA(CLOSE,12)-MA(CLOSE,3); H1:HHV(M,3); S:SMA(HIGH-LOW,6,1);";
  Engine whole(formula, &bars);
  Engine pieces(formula, &bars);
  ASSERT_TRUE(whole.calc->Calculate(0, n - 1, false) && whole.calc->PublishResults());
  ASSERT_TRUE(pieces.calc->Calculate(0, n / 2, false) && pieces.calc->PublishResults());
  ASSERT_TRUE(pieces.calc->Calculate(n / 2 + 1, n - 1, false) && pieces.calc->PublishResults());
  const std::vector<uint64_t> before = whole.Published(n);
  ASSERT_EQ(before, pieces.Published(n));

  // A tick: until it is published the readers keep the old values.
  bars.fields[4][n - 1] += 0.5;
  bars.fields[4][n - 2] = kNaN;
  ASSERT_TRUE(whole.calc->Calculate(n - 2, n - 1, true));
  EXPECT_EQ(whole.Published(n), before);
  ASSERT_TRUE(whole.calc->PublishResults());
  ASSERT_TRUE(pieces.calc->Calculate(n - 2, n - 1, true) && pieces.calc->PublishResults());
  const std::vector<uint64_t> after = whole.Published(n);
  EXPECT_NE(after, before);
  EXPECT_EQ(after, pieces.Published(n));
  // The same as a fresh calculation over the changed bars.
  Engine fresh(formula, &bars);
  ASSERT_TRUE(fresh.calc->Calculate(0, n - 1, false) && fresh.calc->PublishResults());
  EXPECT_EQ(after, fresh.Published(n));
}

}  // namespace
