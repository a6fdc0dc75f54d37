// Gathering formula texts from C++ sources and the language reference: the
// literal scanner decodes what the compiler would and ignores what it would
// not see as a string.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "support/formula_corpus.h"

namespace {

using Literals = std::vector<std::pair<int, std::string>>;

struct ScanCase {
  const char* source;
  Literals expected;
};

const ScanCase kScanCases[] = {
    {"f(\"MA(C,5);\");", {{1, "MA(C,5);"}}},
    {"x = \"MA(C,\" /* joined */ \"5)\"\n  \";\";", {{1, "MA(C,5);"}}},
    {"\"A\\\"B\\\\n\\x41\\101\\t\"", {{1, "A\"B\\nAA\t"}}},
    {"auto s = R\"(X:\"y\";)\"; auto t = R\"ab(a)\"b)ab\";", {{1, "X:\"y\";"}, {1, "a)\"b"}}},
    {"char q = '\"'; char e = '\\''; \"z\"", {{1, "z"}}},
    {"// \"not code\"\n/* \"nor\n this\" */\n\"yes\"", {{4, "yes"}}},
    {"int n = 1'000'000; s = u8\"\xE4\xB8\xAD;\" L\"w\";", {{1, "\xE4\xB8\xAD;w"}}},
    {"\n\n  \"two\\\nlines\"", {{3, "twolines"}}},
};

TEST(FormulaCorpus, ScannerDecodesLiteralsLikeTheCompiler) {
  for (const ScanCase& c : kScanCases) {
    EXPECT_EQ(StringLiterals(c.source), c.expected) << c.source;
  }
}

TEST(FormulaCorpus, ReferenceExamplesJoinContinuationLines) {
  const std::string path = testing::TempDir() + "formula_corpus_reference.txt";
  {
    std::ofstream out(path);
    out << "@ MA\nexample: M:MA(C,5);\n@ X\nargs: A\nexample: A:=C;\n B:A*2;\nnote: example: no\n";
  }
  const std::vector<CorpusFormula> got = ReferenceExamples(path);
  std::remove(path.c_str());
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].text, "M:MA(C,5);");
  EXPECT_EQ(got[0].origin, "formula_corpus_reference.txt:2");
  EXPECT_EQ(got[1].text, "A:=C;\nB:A*2;");
}

TEST(FormulaCorpus, RepeatsAreDroppedKeepingTheFirstOrigin) {
  const std::vector<CorpusFormula> got = WithoutRepeats({{"a", "X:C;"}, {"b", "Y:O;"}, {"c", "X:C;"}});
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].origin, "a");
  EXPECT_EQ(got[1].origin, "b");
}

}  // namespace
