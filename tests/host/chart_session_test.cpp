// The chart server's session as the page drives it: panes, incremental
// calculation, tools placed and dragged with pixels, tools files, limits.
#include "chart_session.h"
#include "session_registry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <mutex>
#include <thread>

namespace {

using abacor_host::ChartSession;
using nlohmann::json;

class ChartSessionTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(bars_.Load(std::string(ABACOR_TEST_DATA) + "/daily-ohlcv.csv", &error)) << error;
  }
  static json View(int first, int last) {
    return {
        {"view",
         {{"first", first}, {"last", last}, {"plot", {{"left", 10}, {"top", 20}, {"width", 800}, {"height", 400}}}}}};
  }
  // MA(CLOSE, n) at a bar, as a plain sum.
  double Ma(size_t bar, size_t n) const {
    double sum = 0;
    for (size_t k = 0; k < n; ++k) sum += bars_.Bars()[bar - k].close;
    return sum / static_cast<double>(n);
  }
  abacor_host::CsvBarProvider bars_;
};

TEST_F(ChartSessionTest, PanesCompileOrExplainWhereTheMistakeIs) {
  ChartSession s(bars_, {});
  EXPECT_EQ(s.SetPane(0, {{"formula", "M:MA(CLOSE,N);"}, {"params", {{{"name", "N"}, {"value", 5}}}}}).status, 200);
  auto bad = s.SetPane(1, {{"formula", "X:MA(CLOSE,5)+;"}});
  EXPECT_EQ(bad.status, 422);
  EXPECT_FALSE(bad.body["error"].get<std::string>().empty());
  EXPECT_EQ(bad.body["compile"]["line"], 1);
  EXPECT_GE(bad.body["compile"]["column"].get<int>(), 14);
  EXPECT_EQ(bad.body["compile"]["offset"].get<int>(), bad.body["compile"]["column"].get<int>() - 1);
  EXPECT_EQ(s.Describe().body["panes"].size(), 1u);  // a failed pane is not added
  EXPECT_EQ(s.SetPane(5, {{"formula", "X:C;"}}).status, 404);
  EXPECT_EQ(s.SetPane(1, {{"formula", 5}}).status, 400);
  EXPECT_EQ(s.DeletePane(3).status, 404);
}

TEST_F(ChartSessionTest, TextsOutOfTheEngineArriveAsUtf8) {
  ChartSession s(bars_, {});
  ASSERT_EQ(s.SetPane(0, {{"formula", "\xe5\x9d\x87\xe7\xba\xbf:MA(CLOSE,2);DRAWTEXT(CLOSE>0,CLOSE,'\xe9\xab\x98');"}})
                .status,
            200);
  auto r = s.Render(View(10, 11));
  ASSERT_EQ(r.status, 200);
  EXPECT_EQ(r.body["panes"][0]["outputs"][0]["name"], "\xe5\x9d\x87\xe7\xba\xbf");  // the output name
  const json& texts = r.body["panes"][0]["drawings"][1]["texts"][0]["items"];
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0]["text"], "\xe9\xab\x98");
  EXPECT_EQ(texts[0]["at"], json::array({10.0, bars_.Bars()[10].close}));
  // A mistake on the second line after two Chinese characters: the offset counts characters.
  auto bad = s.SetPane(0, {{"formula", "A:C;\n\xe5\x9d\x87\xe7\xba\xbf:MA(CLOSE,2)+;"}});
  ASSERT_EQ(bad.status, 422);
  EXPECT_EQ(bad.body["compile"]["line"], 2);
  EXPECT_EQ(bad.body["compile"]["offset"].get<int>(), 5 + bad.body["compile"]["column"].get<int>() - 1);
  EXPECT_EQ(bad.body["compile"]["offset"], 5 + 14);  // the "+" after the two characters and 12 more
}

TEST_F(ChartSessionTest, ScrollingCalculatesOnlyTheNewBarsAndAgreesWithAPlainLoop) {
  ChartSession scrolled(bars_, {}), direct(bars_, {});
  for (ChartSession* s : {&scrolled, &direct}) ASSERT_EQ(s->SetPane(0, {{"formula", "M:MA(CLOSE,5);"}}).status, 200);
  auto a = scrolled.Render(View(0, 99));
  ASSERT_EQ(a.status, 200);
  EXPECT_EQ(a.body["computed"][0], 100);
  auto b = scrolled.Render(View(100, 199));
  EXPECT_EQ(b.body["computed"][0], 100);
  EXPECT_EQ(scrolled.Render(View(50, 150)).body["computed"][0], 0);  // already calculated
  auto c = direct.Render(View(100, 199));
  EXPECT_EQ(c.body["computed"][0], 200);
  const json& got = b.body["panes"][0]["outputs"][0]["values"];
  ASSERT_EQ(got.size(), 100u);
  for (size_t k = 0; k < 100; ++k) {
    EXPECT_NEAR(got[k].get<double>(), Ma(100 + k, 5), 1e-9) << k;
    EXPECT_EQ(got[k], c.body["panes"][0]["outputs"][0]["values"][k]);
  }
  // The curve record joins the same values.
  const json& line = b.body["panes"][0]["drawings"][0]["curves"][0]["items"][0]["points"];
  EXPECT_EQ(line.size(), 100u);
  EXPECT_NEAR(line[0][1].get<double>(), Ma(100, 5), 1e-9);
}

TEST_F(ChartSessionTest, ViewsAreCheckedAndClipped) {
  ChartSession s(bars_, {});
  ASSERT_EQ(s.SetPane(0, {{"formula", "K:DRAWKLINE(HIGH,OPEN,LOW,CLOSE);"}}).status, 200);
  EXPECT_EQ(s.Render(json::object()).status, 400);
  EXPECT_EQ(s.Render(View(20, 10)).status, 400);
  auto r = s.Render(View(5540, 9999));
  ASSERT_EQ(r.status, 200);
  EXPECT_EQ(r.body["last"], 5549);
  // The price range covers the candles with a margin.
  double lo = 1e300, hi = -1e300;
  for (size_t b = 5540; b < 5550; ++b) lo = std::min(lo, bars_.Bars()[b].low), hi = std::max(hi, bars_.Bars()[b].high);
  EXPECT_LT(r.body["panes"][0]["min"].get<double>(), lo);
  EXPECT_GT(r.body["panes"][0]["max"].get<double>(), hi);
}

TEST_F(ChartSessionTest, ASegmentIsPlacedByTwoClicksAndDraggedByItsPoint) {
  ChartSession s(bars_, {});
  ASSERT_EQ(s.SetPane(0, {{"formula", "K:DRAWKLINE(HIGH,OPEN,LOW,CLOSE);"}}).status, 200);
  auto r = s.Render(View(5450, 5549));
  const double lo = r.body["panes"][0]["min"], hi = r.body["panes"][0]["max"];
  // The page's mapping: 100 bars over 800 pixels from x = 10, prices over 400 pixels from y = 20.
  auto bar = [](double x) { return (x - 10) / 8.0 - 0.5 + 5450; };
  auto price = [&](double y) { return hi - (y - 20) / 400.0 * (hi - lo); };
  auto tool = s.CreateTool({{"type", "line_segment"}});
  ASSERT_EQ(tool.status, 200);
  const int64_t id = tool.body["id"];
  json click = View(5450, 5549);
  click["x"] = 102, click["y"] = 300;
  EXPECT_FALSE(s.ToolInput(id, "click", click).body["result"].get<bool>());
  click["x"] = 502, click["y"] = 100;
  auto placed = s.ToolInput(id, "click", click);
  EXPECT_TRUE(placed.body["complete"].get<bool>());
  ASSERT_EQ(placed.body["points"].size(), 2u);
  EXPECT_NEAR(placed.body["points"][0][0].get<double>(), bar(102), 1e-3);
  EXPECT_NEAR(placed.body["points"][0][1].get<double>(), price(300), 1e-6 * hi);
  EXPECT_NEAR(placed.body["points"][1][0].get<double>(), bar(502), 1e-3);
  EXPECT_FALSE(placed.body["drawings"].empty());

  json pick = View(5450, 5549);
  pick["x"] = 503, pick["y"] = 101;
  auto picked = s.Pick(pick);
  EXPECT_EQ(picked.body["tool"], id);
  EXPECT_EQ(picked.body["hotPoint"], 1);
  json drag = View(5450, 5549);
  drag["fromX"] = 503, drag["fromY"] = 101, drag["toX"] = 702, drag["toY"] = 60;
  auto dragged = s.ToolInput(id, "drag", drag);
  EXPECT_TRUE(dragged.body["result"].get<bool>());
  EXPECT_NEAR(dragged.body["points"][1][0].get<double>(), bar(702), 1e-3);
  EXPECT_NEAR(dragged.body["points"][1][1].get<double>(), price(60), 1e-6 * hi);
  EXPECT_NEAR(dragged.body["points"][0][0].get<double>(), bar(102), 1e-3);  // the other end stays

  // The body of the line (its middle) picks the whole tool; a drag moves both ends.
  pick["x"] = 402, pick["y"] = 180;
  picked = s.Pick(pick);
  EXPECT_EQ(picked.body["tool"], id);
  EXPECT_EQ(picked.body["hotPoint"], -1);
  drag["fromX"] = 402, drag["fromY"] = 180, drag["toX"] = 442, drag["toY"] = 180;
  dragged = s.ToolInput(id, "drag", drag);
  EXPECT_NEAR(dragged.body["points"][0][0].get<double>(), bar(142), 1e-3);
  EXPECT_NEAR(dragged.body["points"][1][0].get<double>(), bar(742), 1e-3);
  pick["x"] = 10, pick["y"] = 410;
  EXPECT_TRUE(s.Pick(pick).body["tool"].is_null());
}

TEST_F(ChartSessionTest, ToolsFilesRoundTripThroughSaveAndLoad) {
  ChartSession s(bars_, {}), t(bars_, {});
  const json file = json::parse(R"({"tools": [
        {"type": "TARN_GRAPH_LINE_RAY", "points": [[5400, 30.5], [5500, 35.0]], "color": "#ff8000", "width": 2},
        {"type": "complex_golden_section", "points": [[5300, 40], [5420, 50]],
         "settings": {"levels": [0, 0.5, 1], "extend": "right", "displayRatio": true, "displayPrice": false}},
        {"type": "triple_bottom", "points": [[1,1],[2,2],[3,1],[4,2],[5,1],[6,2],[7,1]], "extraPoints": [[8, 3], [9, 4]],
         "label": "x"}]})");
  ASSERT_EQ(s.LoadTools(file).status, 200);
  auto saved = s.SaveTools();
  ASSERT_EQ(saved.status, 200);
  ASSERT_EQ(saved.body["tools"].size(), 3u);
  EXPECT_EQ(saved.body["tools"][0]["type"], "TARN_GRAPH_LINE_RAY");
  EXPECT_EQ(saved.body["tools"][0]["color"], "#ff8000ff");
  EXPECT_EQ(saved.body["tools"][0]["width"], 2);
  EXPECT_EQ(saved.body["tools"][1]["settings"]["extend"], "right");
  EXPECT_EQ(saved.body["tools"][1]["settings"]["levels"].size(), 3u);
  EXPECT_EQ(saved.body["tools"][2]["extraPoints"], json::parse("[[8, 3], [9, 4]]"));
  ASSERT_EQ(t.LoadTools(saved.body).status, 200);
  auto marker = s.CreateTool({{"type", "marker_text"}, {"text", "note"}, {"color", "#00ff00"}, {"width", 3}});
  ASSERT_EQ(marker.status, 200);
  EXPECT_EQ(marker.body["points"].size(), 0u);
  const json last = s.SaveTools().body["tools"][3];
  EXPECT_EQ(last["text"], "note");
  EXPECT_EQ(last["color"], "#00ff00ff");
  EXPECT_EQ(last["width"], 3);
  EXPECT_EQ(t.SaveTools().body, saved.body);
  EXPECT_EQ(saved.body["tools"][0]["points"], json::parse("[[5400.0, 30.5], [5500.0, 35.0]]"));
}

TEST_F(ChartSessionTest, LimitsAndUnknownThings) {
  abacor_host::SessionLimits limits;
  limits.tools = 2;
  limits.formulaBytes = 20;
  limits.panes = 1;
  ChartSession s(bars_, limits);
  EXPECT_EQ(s.SetPane(0, {{"formula", std::string(21, ' ')}}).status, 413);
  EXPECT_EQ(s.SetPane(0, {{"formula", "X:C;"}}).status, 200);
  EXPECT_EQ(s.SetPane(1, {{"formula", "X:C;"}}).status, 413);
  EXPECT_EQ(s.CreateTool({{"type", 1}}).status, 200);
  EXPECT_EQ(s.CreateTool({{"type", "no_such_tool"}}).status, 400);
  auto badColour = s.CreateTool({{"type", 1}, {"color", "red"}});
  EXPECT_EQ(badColour.status, 400);
  EXPECT_EQ(badColour.body["error"], "a colour is \"#rrggbb\", \"#rrggbbaa\", [r, g, b(, a)] or a palette id");
  EXPECT_EQ(s.CreateTool({{"type", 1}}).status, 200);
  EXPECT_EQ(s.CreateTool({{"type", 1}}).status, 413);
  EXPECT_EQ(s.GetTool(99).status, 404);
  EXPECT_EQ(s.ToolInput(99, "click", View(0, 10)).status, 404);
  EXPECT_EQ(s.DeleteTool(1).status, 200);
  EXPECT_EQ(s.DeleteTool(1).status, 404);
  EXPECT_EQ(s.LoadTools(json::parse(R"({"tools": [{"type": 1, "points": []}, {"type": 1, "points": []},
                                                   {"type": 1, "points": []}]})"))
                .status,
            413);
  auto bad = s.LoadTools(json::parse(R"({"tools": [{"type": "nope", "points": []}]})"));
  EXPECT_EQ(bad.status, 400);
  EXPECT_EQ(bad.body["error"], "tools: entry 1: unknown tool type \"nope\"");
}

}  // namespace

namespace {

// Several pages at once: sessions of their own over the one shared bar file,
// and two pages on one session taking its lock as the server does.
using ChartSessionConcurrencyTest = ChartSessionTest;

TEST_F(ChartSessionConcurrencyTest, PagesWorkAtOnceOverSharedBars) {
  std::vector<std::string> failures;
  std::mutex failuresLock;
  auto fail = [&](const std::string& what) {
    std::lock_guard<std::mutex> lock(failuresLock);
    failures.push_back(what);
  };
  ChartSession shared(bars_, {});
  ASSERT_EQ(shared.SetPane(0, {{"formula", "M:MA(CLOSE,5);"}}).status, 200);
  std::vector<std::thread> threads;
  for (int k = 0; k < 4; ++k)
    threads.emplace_back([&, k] {
      ChartSession own(bars_, {});
      const int n = 3 + k;
      if (own.SetPane(0, {{"formula", "M:MA(CLOSE,N);"}, {"params", {{{"name", "N"}, {"value", n}}}}}).status != 200)
        return fail("compile");
      for (int first = 100; first < 400; first += 60) {
        auto r = own.Render(View(first, first + 59));
        const json& values = r.body["panes"][0]["outputs"][0]["values"];
        if (r.status != 200 || values.size() != 60u) return fail("render");
        for (size_t i = 0; i < 60; ++i)
          if (std::fabs(values[i].get<double>() - Ma(static_cast<size_t>(first) + i, static_cast<size_t>(n))) > 1e-9)
            return fail("value");
      }
    });
  for (int k = 0; k < 2; ++k)
    threads.emplace_back([&] {
      for (int i = 0; i < 10; ++i) {
        std::lock_guard<std::mutex> lock(shared.Lock());
        if (shared.CreateTool({{"type", 1}}).status != 200 || shared.Render(View(200, 300)).status != 200)
          return fail("shared");
      }
    });
  for (auto& t : threads) t.join();
  EXPECT_TRUE(failures.empty()) << failures.front();
  EXPECT_EQ(shared.Describe().body["tools"], 20);
}

}  // namespace

namespace {

TEST_F(ChartSessionTest, TheRegistryReplacesTheSessionUsedLeastRecently) {
  abacor_host::SessionRegistry registry(bars_, 3);
  std::shared_ptr<ChartSession> s;
  const std::string a = registry.Create(&s), b = registry.Create(&s), c = registry.Create(&s);
  for (const std::string& id : {a, b, c}) {
    EXPECT_EQ(id.size(), 32u);
    EXPECT_EQ(id.find_first_not_of("0123456789abcdef"), std::string::npos) << id;
  }
  EXPECT_NE(a, b);
  ASSERT_NE(registry.Find(a), nullptr);  // a is now more recent than b
  const std::string d = registry.Create(&s);
  EXPECT_EQ(registry.Size(), 3u);
  EXPECT_EQ(registry.Find(b), nullptr);
  for (const std::string& id : {a, c, d}) EXPECT_NE(registry.Find(id), nullptr) << id;
  EXPECT_TRUE(registry.Remove(a));
  EXPECT_FALSE(registry.Remove(a));
  EXPECT_EQ(registry.Find(a), nullptr);
}

}  // namespace
