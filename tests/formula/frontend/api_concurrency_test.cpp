// Compilations on separate parser objects in several threads at once give the
// same results as compiling one after another.
#include <gtest/gtest.h>

#include <abacor/index_obj_creator.h>
#include <abacor/index_parser.h>
#include <abacor/parser_helper.h>

#include <string>
#include <thread>
#include <vector>

#include "support/api_support.h"

namespace {

const std::vector<std::string> kFormulas = {
    "ma5:ma(c,n),colorred;ma10:ma(c,m),linethick2;",
    "stickline(c>o,c,o,2,0),colorff8800;drawtext(c>o,l,'up');x:c,colorstick,nodraw;",
    "a:=ema(c,n);b:a+m;d:b,dotline;e:ref(c,30)+xma(c,m);",
    "x:c+;",
    "x:=c,colorred;",
    "s:sar(10,2,20),sarline;z:zig(3,n);",
    "",
    "a:c*-o;",
};

CompileSummary CompileOnce(const std::string& text) {
  ParserHandle parser;
  bool ok = parser->Compile(text, {"n", "m"}, {5.0f, 10.0f});
  CompileSummary summary = Summarise(parser.get(), ok);
  CParserHelper::IsFunc("ma");  // the keyword tests read the shared tables as well
  return summary;
}

TEST(CompileConcurrency, EightThreadsMatchSerialResults) {
  std::vector<CompileSummary> serial;
  for (const std::string& text : kFormulas) serial.push_back(CompileOnce(text));
  constexpr int kThreads = 8;
  constexpr int kRounds = 25;
  std::vector<std::vector<CompileSummary>> results(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &results] {
      for (int round = 0; round < kRounds; ++round) {
        for (size_t k = 0; k < kFormulas.size(); ++k) {
          results[t].push_back(CompileOnce(kFormulas[(k + t) % kFormulas.size()]));
        }
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) {
    ASSERT_EQ(results[t].size(), kRounds * kFormulas.size());
    for (size_t r = 0; r < results[t].size(); ++r) {
      size_t formula = (r % kFormulas.size() + t) % kFormulas.size();
      EXPECT_TRUE(results[t][r] == serial[formula]) << "thread " << t << " formula " << kFormulas[formula];
    }
  }
  EXPECT_TRUE(serial[0].ok);
  EXPECT_FALSE(serial[3].ok);
}

}  // namespace
