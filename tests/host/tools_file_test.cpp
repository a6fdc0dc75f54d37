#include "tools_file.h"

#include <gtest/gtest.h>

#include "tool_names.h"

namespace {

using abacor_host::ToolSet;

TEST(ToolsFileTest, TypesByNameShortNameOrValue) {
  struct Case {
    const char* text;
    bool ok;
    TARN_GRAPH_TYPE type;
  };
  const Case cases[] = {
      {"TARN_GRAPH_LINE_RAY", true, TARN_GRAPH_LINE_RAY},
      {"line_ray", true, TARN_GRAPH_LINE_RAY},
      {"4", true, TARN_GRAPH_LINE_RAY},
      {"1010", true, TARN_GRAPH_MARKER_PRICE},
      {"complex_golden_section", true, TARN_GRAPH_COMPLEX_GOLDEN_SECTION},
      {"10", false, TARN_GRAPH_LINE_SEGMENT},
      {"ray", false, TARN_GRAPH_LINE_SEGMENT},
      {"", false, TARN_GRAPH_LINE_SEGMENT},
  };
  for (const Case& c : cases) {
    TARN_GRAPH_TYPE t = TARN_GRAPH_LINE_SEGMENT;
    EXPECT_EQ(abacor_host::ParseToolType(c.text, &t), c.ok) << c.text;
    EXPECT_EQ(t, c.type) << c.text;
  }
}

TEST(ToolsFileTest, NameTableMatchesTheFactory) {
  for (const auto& n : abacor_host::kToolNames) {
    ITarnGraphShapeBase* tool = TarnGraphInterface::CreateGraphShape(n.type);
    ASSERT_NE(tool, nullptr) << n.name;
    EXPECT_EQ(tool->GetGraphType(), n.type) << n.name;
    TarnGraphInterface::ReleaseGraphShape(tool);
  }
}

TEST(ToolsFileTest, MalformedFilesNameTheEntry) {
  struct Case {
    const char* json;
    const char* message;
  };
  const Case cases[] = {
      {"{\"tools\": [", "t.json: not valid JSON"},
      {"[1, 2]", "t.json: expected an object with a \"tools\" list"},
      {"{\"tools\": [{\"type\": \"ray\", \"points\": []}]}", "t.json: entry 1: unknown tool type \"ray\""},
      {"{\"tools\": [{\"type\": 1, \"points\": [[1, 2]]}, {\"type\": 1, \"points\": [[1]]}]}",
       "t.json: entry 2: points are a list of [bar, price] pairs"},
      {"{\"tools\": [{\"type\": 1, \"points\": [[1, 2]], \"color\": \"red\"}]}",
       "t.json: entry 1: a colour is \"#rrggbb\", \"#rrggbbaa\", [r, g, b(, a)] or a palette id"},
      {"{\"tools\": [{\"type\": 1}]}", "t.json: entry 1: \"points\" is missing"},
      {"{\"tools\": [{\"type\": 65, \"points\": [], \"settings\": {\"extend\": \"sideways\"}}]}",
       "t.json: entry 1: \"extend\" is none, both, up, down, left or right"},
      {"{\"tools\": [{\"type\": 1, \"points\": [], \"width\": 1.5}]}", "t.json: entry 1: \"width\" is a whole number"},
  };
  for (const Case& c : cases) {
    ToolSet tools;
    std::string error;
    EXPECT_FALSE(tools.Parse(c.json, "t.json", &error)) << c.json;
    EXPECT_EQ(error, c.message);
  }
}

TEST(ToolsFileTest, RendersEveryToolOfTheSample) {
  ToolSet tools;
  std::string error;
  ASSERT_TRUE(tools.Load(std::string(ABACOR_SOURCE_DIR) + "/host/samples/gallery.json", &error)) << error;
  EXPECT_EQ(tools.Size(), 58u);
  std::vector<abacor_host::Bar> bars(5550);
  for (size_t i = 0; i < bars.size(); ++i) bars[i].time = 1000000000 + 86400 * static_cast<int64_t>(i);
  abacor_host::PaneGeometry pane({0, 0, 1000, 600}, 5310, 5549, 40.5, 53.5);
  abacor_host::SvgWriter svg(1000, 600);
  tools.Render(svg, pane, bars, abacor_host::Palette());
  std::string doc = svg.Finish();
  EXPECT_GT(doc.size(), 10000u);
  EXPECT_EQ(doc.find("nan"), std::string::npos);
}

}  // namespace
