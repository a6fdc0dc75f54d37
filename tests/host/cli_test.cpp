// The abacor command line as a user runs it: output, messages and exit codes.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace {

struct Result {
  int code;
  std::string out;  // standard output and standard error together
};

Result Cli(const std::string& args) {
  std::string cmd = std::string(ABACOR_CLI) + " " + args + " 2>&1";
  FILE* p = popen(cmd.c_str(), "r");
  Result r{-1, ""};
  if (!p) return r;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
  int status = pclose(p);
  r.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return r;
}

std::string Sample() { return std::string(ABACOR_TEST_DATA) + "/daily-ohlcv.csv"; }

std::string WriteTemp(const std::string& name, const std::string& text) {
  std::string path = testing::TempDir() + name;
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

TEST(CliTest, RunPrintsEveryOutputPerBar) {
  Result r = Cli("run --bars " + Sample() + " --formula 'A:CLOSE; B:HIGH-LOW;' --from 0 --to 1 --format csv");
  ASSERT_EQ(r.code, 0) << r.out;
  EXPECT_EQ(r.out,
            "bar,date,a,b\n0,1985-01-02,3.0800000000000001,0.10000000000000009\n"
            "1,1985-01-03,3.1099999999999999,0.060000000000000053\n")
      << "csv keeps every digit of the doubles";
}

TEST(CliTest, ParametersAndJson) {
  Result r = Cli("run --bars " + Sample() + " --param n=2 --formula 'M:MA(CLOSE,N);' --from 1 --to 1 --format json");
  ASSERT_EQ(r.code, 0) << r.out;
  EXPECT_NE(r.out.find("\"name\":\"m\""), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"values\":[3.0949999999999998]"), std::string::npos) << r.out;
}

TEST(CliTest, FailuresGiveAMessageAndANonzeroExit) {
  const std::string unsorted = WriteTemp("unsorted.csv",
                                         "Date,Open,High,Low,Close,Volume\n"
                                         "2000-01-04,1,2,0.5,1,10\n2000-01-03,1,2,0.5,1,10\n");
  struct Case {
    std::string args;
    int code;
    std::string message;
  };
  const Case cases[] = {
      {"run --bars " + unsorted + " --formula 'A:C;'", 2, "unsorted.csv:3: dates are not in ascending order"},
      {"run --bars /nonexistent.csv --formula 'A:C;'", 2, "/nonexistent.csv: cannot open the file"},
      {"run --bars " + Sample() + " --formula 'A:CLOSE>;'", 1, "error 13"},
      {"run --bars " + Sample() + " --formula 'A:CLOSE+;'", 1, "error 27"},
      {"run --bars " + Sample() + " --formula 'A:CLOSE;' --from 9 --to 99999", 2, "is not within bars 0 to 5549"},
      {"run --bars " + Sample() + " --formula 'A:CLOSE;' --format xml", 2, "--format is table, csv or json"},
      {"run --bars " + Sample() + " --param n --formula 'A:CLOSE;'", 2, "--param takes name=number"},
      {"run --bars " + Sample(), 2, "run needs --bars FILE and --formula"},
      {"frobnicate", 2, "unknown command \"frobnicate\""},
      {"chart --bars " + Sample() + " --pane 'A:C;' --tools /nonexistent.json --svg /tmp/x.svg", 2,
       "/nonexistent.json: cannot open the tools file"},
  };
  for (const Case& c : cases) {
    Result r = Cli(c.args);
    EXPECT_EQ(r.code, c.code) << c.args << "\n" << r.out;
    EXPECT_NE(r.out.find(c.message), std::string::npos) << c.args << "\n" << r.out;
  }
}

TEST(CliTest, CompileErrorsAreShownInUtf8WithACaret) {
  const std::string colour = WriteTemp("colour.txt", "A:CLOSE;\nB:=CLOSE,COLORRED;");
  Result r = Cli("run --bars " + Sample() + " --formula @" + colour);
  EXPECT_EQ(r.code, 1);
  // GBK "函数不支持" reaches the terminal as UTF-8.
  EXPECT_NE(r.out.find("error 8"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("colorred\xE5\x87\xBD\xE6\x95\xB0\xE4\xB8\x8D\xE6\x94\xAF\xE6\x8C\x81"), std::string::npos)
      << r.out;
  const std::string unknown = WriteTemp("unknown.txt", "A:CLOSE;\nB:CLOSE+UNKNOWNNAME;");
  Result caret = Cli("run --bars " + Sample() + " --formula @" + unknown);
  EXPECT_NE(caret.out.find("  B:CLOSE+UNKNOWNNAME;\n          ^"), std::string::npos) << caret.out;
}

TEST(CliTest, ChartWritesAnSvgWithEveryPane) {
  const std::string svg = testing::TempDir() + "chart.svg";
  Result r = Cli("chart --bars " + Sample() +
                 " --from 5400 --to 5549 --pane 'DRAWKLINE(HIGH,OPEN,LOW,CLOSE); M:MA(CLOSE,5);'"
                 " --pane 'VOL,VOLSTICK;' --pane 'X:CLOSE-OPEN,COLORSTICK;' --tools " +
                 std::string(ABACOR_SOURCE_DIR) + "/host/samples/demo-tools.json --svg " + svg);
  ASSERT_EQ(r.code, 0) << r.out;
  std::ifstream in(svg);
  std::string doc((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(doc.find("clip-path=\"url(#pane2)\""), std::string::npos);
  EXPECT_NE(doc.find("<rect"), std::string::npos) << "candle bodies and columns";
  EXPECT_NE(doc.find("<polyline"), std::string::npos) << "the average";
  EXPECT_NE(doc.find("spring high"), std::string::npos) << "the text marker of the tools file";
  EXPECT_EQ(doc.find("nan"), std::string::npos);
  if (std::system("command -v xmllint >/dev/null 2>&1") == 0) {
    EXPECT_EQ(std::system(("xmllint --noout " + svg).c_str()), 0);
  }
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The fill colour of the legend entry that starts with `name`.
std::string LegendColour(const std::string& doc, const std::string& name) {
  size_t at = doc.find(">" + name + ": ");
  if (at == std::string::npos) return "";
  size_t fill = doc.rfind("fill=\"", at);
  return doc.substr(fill + 6, 7);
}

TEST(CliTest, ChineseNamesAndTextsMakeAValidUtf8Chart) {
  // 短线 (short line), 长线 (long line) and the text 新高 (new high), as a user types them in UTF-8.
  const std::string formula = WriteTemp("chinese.txt",
                                        "\xE7\x9F\xAD\xE7\xBA\xBF:MA(C,5);\xE9\x95\xBF\xE7\xBA\xBF:MA(C,20);"
                                        "DRAWTEXT(C>REF(HHV(C,20),1),H,'\xE6\x96\xB0\xE9\xAB\x98');");
  const std::string svg = testing::TempDir() + "chinese.svg";
  Result r = Cli("chart --bars " + Sample() + " --from 5400 --to 5549 --pane @" + formula + " --svg " + svg);
  ASSERT_EQ(r.code, 0) << r.out;
  const std::string doc = ReadFile(svg);
  EXPECT_NE(doc.find(">\xE7\x9F\xAD\xE7\xBA\xBF: "), std::string::npos) << "the legend names the output in UTF-8";
  EXPECT_NE(doc.find(">\xE6\x96\xB0\xE9\xAB\x98</text>"), std::string::npos) << "the DRAWTEXT text in UTF-8";
  ASSERT_EQ(std::system("command -v xmllint >/dev/null 2>&1"), 0) << "xmllint missing: run scripts/deps.sh";
  EXPECT_EQ(std::system(("xmllint --noout " + svg).c_str()), 0);
}

TEST(CliTest, OutputsWithoutAColourGetDistinctColours) {
  const std::string svg = testing::TempDir() + "macd.svg";
  Result r = Cli("chart --bars " + Sample() +
                 " --from 5400 --to 5549 --pane 'M:MA(C,5),COLORRED;'"
                 " --pane 'DIF:EMA(C,12)-EMA(C,26);DEA:EMA(DIF,9);MACD:(DIF-DEA)*2,COLORSTICK;'"
                 " --pane 'VOL,VOLSTICK;MV:MA(VOL,5);' --svg " +
                 svg);
  ASSERT_EQ(r.code, 0) << r.out;
  const std::string doc = ReadFile(svg);
  const std::string dif = LegendColour(doc, "dif"), dea = LegendColour(doc, "dea"), macd = LegendColour(doc, "macd");
  EXPECT_EQ(LegendColour(doc, "m"), "#ff3d3d") << "a colour keyword is kept";
  EXPECT_FALSE(dif.empty());
  EXPECT_NE(dif, dea);
  EXPECT_NE(dea, macd);
  EXPECT_NE(dif, macd);
  EXPECT_EQ(dif, "#e8e8e8") << "the first line drawn in its colour gets the first palette colour";
  EXPECT_EQ(LegendColour(doc, "mv"), "#e8e8e8") << "volume columns are drawn in rise and fall colours";
  // The lines are drawn in their legend colours.
  EXPECT_NE(doc.find("stroke=\"" + dif + "\""), std::string::npos);
  EXPECT_NE(doc.find("stroke=\"" + dea + "\""), std::string::npos);
}

TEST(CliTest, ThePricePaneDrawsCandlesOnceWhetherOrNotItsFormulaDoes) {
  auto rects = [](const std::string& pane, const std::string& options = "") {
    const std::string svg = testing::TempDir() + "candles.svg";
    Result r =
        Cli("chart --bars " + Sample() + " --from 5500 --to 5549 --pane '" + pane + "' " + options + " --svg " + svg);
    EXPECT_EQ(r.code, 0) << r.out;
    const std::string doc = ReadFile(svg);
    // Candle bodies: rising ones framed in the rise colour, falling ones filled in the fall colour.
    size_t n = 0;
    for (size_t at = doc.find("<rect x="); at != std::string::npos; at = doc.find("<rect x=", at + 1)) {
      const std::string element = doc.substr(at, doc.find("/>", at) - at);
      n += element.find("stroke=\"#ff3b3b\"") != std::string::npos ||
           element.find("fill=\"#19c37d\"") != std::string::npos;
    }
    return n;
  };
  const size_t bare = rects("M:MA(CLOSE,5);");
  const size_t own = rects("DRAWKLINE(HIGH,OPEN,LOW,CLOSE); M:MA(CLOSE,5);");
  EXPECT_EQ(bare, own) << "the host adds candles only when the formula draws none";
  EXPECT_EQ(bare, 50u) << "one body per bar";
  EXPECT_EQ(rects("M:MA(CLOSE,5);", "--no-candles"), 0u);
}

TEST(CliTest, HelpTellsAboutCandlesAndColours) {
  Result r = Cli("--help");
  ASSERT_EQ(r.code, 0);
  EXPECT_NE(r.out.find("candles"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("palette colour"), std::string::npos) << r.out;
}

TEST(CliTest, ToolsListsTheCatalogue) {
  Result r = Cli("tools");
  ASSERT_EQ(r.code, 0);
  EXPECT_NE(r.out.find("    1  TARN_GRAPH_LINE_SEGMENT"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find(" 1010  TARN_GRAPH_MARKER_PRICE"), std::string::npos) << r.out;
}

}  // namespace

namespace {

TEST(CliTest, FunctionsPrintsOneEntryOrTheFamilies) {
  Result ma = Cli("functions ma");
  EXPECT_EQ(ma.code, 0);
  EXPECT_EQ(ma.out.rfind("MA(X, N)    [Sums and moving averages]\n", 0), 0u) << ma.out;
  EXPECT_NE(ma.out.find("Looks at later bars: no."), std::string::npos) << ma.out;
  EXPECT_NE(ma.out.find("Example: MA5:MA(CLOSE,5);"), std::string::npos) << ma.out;
  // An alias finds its entry; the look-ahead fact comes from the library's table.
  Result range = Cli("functions RANGE");
  EXPECT_EQ(range.out.rfind("BETWEEN(X, A, B)", 0), 0u) << range.out;
  Result zig = Cli("functions zig");
  EXPECT_NE(zig.out.find("Looks at later bars: yes"), std::string::npos) << zig.out;
  Result all = Cli("functions");
  EXPECT_EQ(all.code, 0);
  EXPECT_NE(all.out.find("Drawing functions\n  DRAWKLINE STICKLINE"), std::string::npos) << all.out;
  EXPECT_EQ(all.out.find("COLORRED"), std::string::npos);
  Result bad = Cli("functions NOSUCH");
  EXPECT_EQ(bad.code, 2);
  EXPECT_NE(bad.out.find("\"NOSUCH\" is no keyword"), std::string::npos) << bad.out;
}

}  // namespace
