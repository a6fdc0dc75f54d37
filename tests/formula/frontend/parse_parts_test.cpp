// The parts of an analysis: readers get them const, and each part keeps its
// own lists in step whatever the formula.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <type_traits>
#include <vector>

#include "formula/frontend/keyword_tables.h"
#include "support/frontend_support.h"

namespace {

template <typename Accessor>
constexpr bool kReadOnly = std::is_const_v<std::remove_reference_t<Accessor>>;

static_assert(kReadOnly<decltype(std::declval<ParseContext&>().Error())>, "error report is read-only");
static_assert(kReadOnly<decltype(std::declval<ParseContext&>().Names())>, "name tables are read-only");
static_assert(kReadOnly<decltype(std::declval<ParseContext&>().Attributes())>, "attributes are read-only");
static_assert(kReadOnly<decltype(std::declval<ParseContext&>().Dependencies())>, "dependencies are read-only");
static_assert(kReadOnly<decltype(std::declval<ParseContext&>().Tokens())>, "token stream is read-only");
static_assert(kReadOnly<decltype(std::declval<ParseContext&>().Script())>, "script output is read-only");

// Every entry of an id map names the table row its id points at.
void ExpectMapMatchesTable(const std::map<std::string, int32_t>& ids, const std::vector<std::string>& table,
                           int32_t base, const std::string& formula) {
  for (const auto& [name, id] : ids) {
    size_t row = static_cast<size_t>(id - base);
    ASSERT_LT(row, table.size()) << formula << " " << name;
    EXPECT_EQ(table[row], name) << formula;
  }
}

struct Declared {
  const char* formula;
  std::vector<std::string> outputs;    // output name table, in order
  std::vector<std::string> variables;  // variable name table, draw-call variables included
  std::vector<std::string> constants;  // constant texts: parameters first, then the numbers as typed
  std::vector<std::string> texts;
};

TEST(ParseParts, NameTablesKeepCountsTablesAndIdsInStep) {
  const Declared cases[] = {
      {"a:=c*2; b:a+n; c>o;", {"b", ".tempresindex1"}, {"a"}, {"n", "2"}, {}},
      {"x:1.5; drawtext(c>o,l,'up'); y:=x;",
       {"x", "....."},
       {"y", ".tempdrawparam0", ".tempdrawparam1", ".tempdrawparam2"},
       {"n", "1.5"},
       {"up"}},
      {"stickline(c>o,c,o,2,0),colorff8800;",
       {"....."},
       {".tempdrawparam0", ".tempdrawparam1", ".tempdrawparam2", ".tempdrawparam3", ".tempdrawparam4"},
       {"n", "2", "0"},
       {}},
  };
  for (const Declared& c : cases) {
    auto ctx = AnalyseFormula(c.formula, {"n"}, {3.0f});
    ASSERT_TRUE(ctx->syntaxOk()) << c.formula << " code " << ctx->Error().errorCode();
    const NameTables& names = ctx->Names();
    EXPECT_EQ(names.outputNameTable(), c.outputs) << c.formula;
    EXPECT_EQ(names.variableNameTable(), c.variables) << c.formula;
    EXPECT_EQ(names.constantTexts(), c.constants) << c.formula;
    EXPECT_EQ(names.texts(), c.texts) << c.formula;
    EXPECT_EQ(names.outputCount(), static_cast<int32_t>(c.outputs.size()));
    EXPECT_EQ(names.variableCount(), static_cast<int32_t>(c.variables.size()));
    EXPECT_EQ(names.constantCount(), static_cast<int32_t>(names.constantValues().size()));
    EXPECT_EQ(names.constantCount(), static_cast<int32_t>(c.constants.size()));
    EXPECT_EQ(names.paramCount(), 1);
    EXPECT_EQ(names.paramValueTexts(), std::vector<std::string>{"3.000"});
    ExpectMapMatchesTable(names.variableIds(), names.variableNameTable(), TOKEN_VARIABLE, c.formula);
    ExpectMapMatchesTable(names.outputIds(), names.outputNameTable(), TOKEN_OUTPUT, c.formula);
    ExpectMapMatchesTable(names.paramIds(), names.constantTexts(), TOKEN_CONSTANT, c.formula);
    EXPECT_EQ(names.outputIds().count("....."), 0u) << c.formula;  // a drawing output has no id
    EXPECT_EQ(ctx->Script().summaryVariableNames, c.variables) << c.formula;
  }
}

TEST(ParseParts, OutputAttributesResetGrowsEveryListAndSettersIgnoreMissingOutputs) {
  OutputAttributes attributes;
  attributes.Reset(2);
  attributes.SetColour(2, 0xFF0000FFu);
  attributes.SetLineWidth(2, 4);
  attributes.SetStyle(1, 3);
  attributes.Hide(0);
  attributes.SetColour(3, 0xFF00FF00u);  // no such output: ignored
  attributes.SetLineWidth(-1, 5);
  attributes.Hide(7);
  EXPECT_EQ(attributes.styles(), (std::vector<int32_t>{0, 3, 0}));
  EXPECT_EQ(attributes.lineWidths(), (std::vector<int32_t>{1, 1, 4}));
  EXPECT_EQ(attributes.colours(), (std::vector<uint32_t>{kNoColour, kNoColour, 0xFF0000FFu}));
  EXPECT_EQ(attributes.colourSet(), (std::vector<bool>{false, false, true}));
  EXPECT_EQ(attributes.hidden(), (std::vector<bool>{true, false, false}));
  attributes.Reset(2);  // back to the defaults, the other outputs kept
  EXPECT_EQ(attributes.lineWidths(), (std::vector<int32_t>{1, 1, 1}));
  EXPECT_EQ(attributes.colourSet(), (std::vector<bool>{false, false, false}));
  EXPECT_EQ(attributes.styles(), (std::vector<int32_t>{0, 3, 0}));
}

// Each entry of the accepted stream carries the absolute position of its text; a statement's
// end marker stands at the `;` that ended it.
TEST(ParseParts, TokenStreamPositionsPointAtTheTokensText) {
  const std::string text = "ab:=c;xy:ab+12;";
  auto ctx = AnalyseFormula(text);
  ASSERT_TRUE(ctx->syntaxOk()) << ctx->Error().errorCode();
  const FormulaTokenList& tokens = ctx->Tokens();
  ASSERT_EQ(tokens.formulaTokenPositions().size(), tokens.formulaTokens().size());
  EXPECT_EQ(tokens.formulaTokenCount(), static_cast<int32_t>(tokens.formulaTokens().size()));
  const std::vector<std::string> expected = {"ab", ":=", "c", ";", "xy", ":", "ab", "+", "12", ";"};
  ASSERT_EQ(tokens.formulaTokens().size(), expected.size());
  for (size_t k = 0; k < expected.size(); ++k) {
    auto at = static_cast<size_t>(tokens.formulaTokenPositions()[k]);
    EXPECT_EQ(text.substr(at, expected[k].size()), expected[k]) << "entry " << k;
  }
}

}  // namespace
