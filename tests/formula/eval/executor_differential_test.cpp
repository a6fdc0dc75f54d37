// The column executor against the per-bar path: every formula of the tests,
// the language reference, the benchmark suite and the fuzz corpus, over rough
// and plain generated bars, publishes the same bits with the executor on and
// off, after a whole-range calculation and after new bars and a tick.
// Formulas that do not compile are skipped and listed in
// executor_differential_<source>.txt beside the test program.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>
#include <string>
#include <vector>

#include "abacor/index_obj_creator.h"
#include "abacor/index_parser.h"
#include "formula/eval/column_executor.h"
#include "support/executor_compare.h"
#include "support/formula_corpus.h"
#include "support/owned_objects.h"
#include "support/rough_bars.h"

namespace {

const std::string kRoot = ABACOR_SOURCE_DIR;
// Bars and the long forward stretch are divided by this in sanitizer builds.
constexpr int32_t kShrink = ABACOR_SANITIZED_BUILD ? 3 : 1;

struct Dataset {
  const char* name;
  RoughBarsSpec spec;
  bool columns;
  // Bars the executor computes at once: small blocks put block edges inside
  // every window and every warm-up.
  int32_t blockBars;
};

const Dataset kDatasets[] = {
    {"rough bars read one by one", {0x5EED0001, 2000 / kShrink, true}, false, 37},
    {"rough bars read as columns", {0x5EED0002, 1200 / kShrink, true}, true, 1},
    {"random walk read as columns", {0x5EED0003, 1000 / kShrink, false}, true, ColumnExecutor::kBlockBars},
};

// Restores the executor's block size.
class BlockBarsScope {
 public:
  BlockBarsScope() : saved_(ColumnExecutor::SetBlockBars(ColumnExecutor::kBlockBars)) {}
  ~BlockBarsScope() { ColumnExecutor::SetBlockBars(saved_); }
  BlockBarsScope(const BlockBarsScope&) = delete;
  BlockBarsScope& operator=(const BlockBarsScope&) = delete;

 private:
  int32_t saved_;
};

// A file beside the test program, wherever it is run from.
std::string BesideProgram(const std::string& name) {
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? name : (program.parent_path() / name).string();
}

std::vector<CorpusFormula> Join(std::vector<CorpusFormula> a, const std::vector<CorpusFormula>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

std::vector<CorpusFormula> SuiteAndReference() {
  return Join(FormulasInFolder(kRoot + "/bench/suite", ".txt"),
              ReferenceExamples(kRoot + "/docs/reference/language.txt"));
}

std::vector<CorpusFormula> FuzzCorpus() {
  return Join(FormulasInFolder(kRoot + "/tests/fuzz/corpus/formulas"),
              FormulasInFolder(kRoot + "/tests/fuzz/corpus/fuzz_calculate"));
}

// Literals of the test sources that the other sources do not already hold.
std::vector<CorpusFormula> TestLiterals() {
  std::set<std::string> elsewhere;
  for (const auto& f : Join(SuiteAndReference(), FuzzCorpus())) elsewhere.insert(f.text);
  std::vector<CorpusFormula> out;
  for (auto& f : FormulaLiterals(kRoot + "/tests")) {
    if (elsewhere.count(f.text) == 0) out.push_back(std::move(f));
  }
  return out;
}

struct Source {
  const char* name;
  std::vector<CorpusFormula> (*gather)();
  // A formula this source must yield and run, proving it was read.
  const char* known;
};

const Source kSources[] = {
    {"suite_and_reference", SuiteAndReference, "DEA:EMA(DIF,9);"},
    {"fuzz_corpus", FuzzCorpus, ""},
    {"test_literals", TestLiterals, "X:=CLOSE*2;A:REFX(X,3);B:X;"},
};

// With the parameter names of the fuzz inputs, or with none.
bool CompileFormula(IIndexParser& parser, const std::string& text) {
  if (parser.Compile(text, {"n", "m", "p"}, {5.0f, 12.0f, 26.0f})) return true;
  return parser.Compile(text, {}, {});
}

void PrintTo(const Source& source, std::ostream* out) { *out << source.name; }

class ExecutorDifferential : public testing::TestWithParam<Source> {};

TEST_P(ExecutorDifferential, SameBitsWithTheExecutorOnAndOff) {
  const Source& source = GetParam();
  ColumnExecutorSetting restore;
  BlockBarsScope restoreBlocks;
  std::vector<RoughBars> data;
  for (const Dataset& d : kDatasets) data.push_back(MakeRoughBars(d.spec));
  const std::vector<CorpusFormula> formulas = WithoutRepeats(source.gather());
  std::ofstream report(BesideProgram(std::string("executor_differential_") + source.name + ".txt"));
  std::vector<std::string> skipped;
  bool knownRan = std::string(source.known).empty();
  int32_t ran = 0;
  int32_t unrepeatable = 0;
  ChartSteps steps;
  steps.forward /= kShrink;
  for (const CorpusFormula& f : formulas) {
    ParserPtr parser(IndexObjCreator::CreateIndexParserObj());
    if (!CompileFormula(*parser, f.text)) {
      skipped.push_back(f.origin);
      report << "does not compile\t" << f.origin << "\n";
      continue;
    }
    ++ran;
    knownRan = knownRan || f.text.find(source.known) != std::string::npos;
    report << "ran\t" << f.origin << "\n";
    for (size_t k = 0; k < data.size(); ++k) {
      ColumnExecutor::SetBlockBars(kDatasets[k].blockBars);
      const ExecutorComparison c = CompareExecutor(*parser, data[k], kDatasets[k].columns, steps);
      if (c.agreement == Agreement::kNotRepeatable) {
        report << "not repeatable\t" << f.origin << "\n";
        ++unrepeatable;
        break;
      }
      EXPECT_EQ(c.difference, "") << f.origin << " on " << kDatasets[k].name << ":\n" << f.text;
    }
  }
  EXPECT_TRUE(knownRan) << source.name << " did not yield " << source.known;
  std::cout << source.name << ": " << ran << " formulas ran on " << data.size() << " data sets, " << skipped.size()
            << " did not compile, " << unrepeatable
            << " differ from run to run even with the executor off (listed in executor_differential_" << source.name
            << ".txt)\n";
}

INSTANTIATE_TEST_SUITE_P(Sources, ExecutorDifferential, testing::ValuesIn(kSources),
                         [](const testing::TestParamInfo<Source>& info) { return std::string(info.param.name); });

}  // namespace
