// Intermediate script: assignment lines, descriptors, draw calls and summaries.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formula/frontend/script_writer.h"
#include "support/frontend_support.h"

namespace {

std::string ScriptOf(const std::string& text, const std::vector<std::string>& names = {},
                     const std::vector<float>& values = {}) {
  auto ctx = AnalyseFormula(text, names, values);
  EXPECT_TRUE(ctx->syntaxOk()) << text << " code " << ctx->Error().errorCode();
  return ctx->Script().script;
}

TEST(ScriptWriter, OutputWithParameter) {
  EXPECT_EQ(ScriptOf("ma5:ma(c,n),colorred;", {"n"}, {5.0f}),
            "ma5=ma(close,n);\r\n.curveline(ma5(n),RGB(254,254,254),1);\r\n");
}

TEST(ScriptWriter, SticklineExample) {
  EXPECT_EQ(ScriptOf("stickline(c>o,c,o,2,0);"),
            ".tempdrawparam0=close>open;\r\n"
            ".tempdrawparam1=close;\r\n"
            ".tempdrawparam2=open;\r\n"
            ".tempdrawparam3=2;\r\n"
            ".tempdrawparam4=0;\r\n"
            "stick(.tempdrawparam0,.tempdrawparam1,.tempdrawparam2,.tempdrawparam3,.tempdrawparam4,"
            "RGB(254,254,254),1,ployNomal);\r\n");
}

TEST(ScriptWriter, DrawTextAndDrawNumberGetTheirFlag) {
  EXPECT_EQ(ScriptOf("drawtext(c>o,l,'up')"),
            ".tempdrawparam0=close>open;\r\n.tempdrawparam1=low;\r\n.tempdrawparam2=\"up\";\r\n"
            "drawtext(.tempdrawparam0,.tempdrawparam1,.tempdrawparam2,RGB(254,254,254),1,ployNomal,0);\r\n");
  EXPECT_EQ(ScriptOf("drawnumber(c>o,h,c),linethick2,stick"),
            ".tempdrawparam0=close>open;\r\n.tempdrawparam1=high;\r\n.tempdrawparam2=close;\r\n"
            "drawnumber(.tempdrawparam0,.tempdrawparam1,.tempdrawparam2,RGB(254,254,254),2,ployStick,1);\r\n");
}

TEST(ScriptWriter, DrawCallUsesItsOwnStatementsAttributes) {
  EXPECT_EQ(ScriptOf("a:c; b:=a*2; stickline(c>o,c,o,1,0),linethick3;"),
            "a=close;\r\n.curveline(a,RGB(254,254,254),1);\r\nb=a*2;\r\n"
            ".tempdrawparam0=close>open;\r\n.tempdrawparam1=close;\r\n.tempdrawparam2=open;\r\n"
            ".tempdrawparam3=1;\r\n.tempdrawparam4=0;\r\n"
            "stick(.tempdrawparam0,.tempdrawparam1,.tempdrawparam2,.tempdrawparam3,.tempdrawparam4,"
            "RGB(254,254,254),3,ployNomal);\r\n");
}

TEST(ScriptWriter, DrawStyleWords) {
  const std::pair<const char*, const char*> cases[] = {
      {"volstick", "ployVOLStick"},   {"stick", "ployStick"},       {"circledot", "ployCircledot"},
      {"linestick", "ployLinestick"}, {"crossdot", "ployCrossdot"}, {"colorstick", "ployColorstick"},
      {"dotline", "ployDotline"},     {"pointdot", "ployPointdot"}, {"sarline", "ploySar"},
      {"rtvolstick", "ployNomal"},    {"noframe", "ployNomal"},     {"drawabove", "ployNomal"},
  };
  for (const auto& c : cases) {
    std::string script = ScriptOf(std::string("ployline(c>o,c),") + c.first);
    std::string tail = std::string(",RGB(254,254,254),1,") + c.second + ");\r\n";
    ASSERT_GE(script.size(), tail.size());
    EXPECT_EQ(script.substr(script.size() - tail.size()), tail) << c.first;
  }
}

struct DescriptorCase {
  const char* attribute;
  const char* descriptor;
};

class DescriptorTest : public testing::TestWithParam<DescriptorCase> {};

TEST_P(DescriptorTest, WritesDescriptorOfStyle) {
  std::string script = ScriptOf(std::string("x:c") + GetParam().attribute);
  EXPECT_EQ(script, std::string("x=close;\r\n") + GetParam().descriptor + "\r\n");
}

INSTANTIATE_TEST_SUITE_P(Styles, DescriptorTest,
                         testing::Values(DescriptorCase{"", ".curveline(x,RGB(254,254,254),1);"},
                                         DescriptorCase{",linethick4", ".curveline(x,RGB(254,254,254),4);"},
                                         DescriptorCase{",volstick", ".column(cltVolStick,0,x,RGB(254,254,254));"},
                                         DescriptorCase{",stick", ".column(cltStick,0,x,RGB(254,254,254));"},
                                         DescriptorCase{",circledot,linethick2",
                                                        ".circular(citCircle,x,RGB(254,254,254),2);"},
                                         DescriptorCase{",linestick", ".column(cltLineStick,0,x,RGB(254,254,254));"},
                                         DescriptorCase{",crossdot", ".circular(citCross,x,RGB(254,254,254),1);"},
                                         DescriptorCase{",colorstick", ".column(cltColorStick,0,x,RGB(254,254,254));"},
                                         DescriptorCase{",dotline", ".circular(citDotLine,x,RGB(254,254,254),1);"},
                                         DescriptorCase{",pointdot", ".circular(citPoint,x,RGB(254,254,254),1);"},
                                         DescriptorCase{",sarline", ".circular(citSar,x,RGB(254,254,254),1);"},
                                         DescriptorCase{",rtvolstick", ".column(cltRTVolStick,0,x,RGB(254,254,254));"},
                                         DescriptorCase{",noframe", ".curveline(x,RGB(254,254,254),1);"},
                                         DescriptorCase{",nodraw,colorff0000", ".curveline(x,RGB(254,254,254),1);"}));

TEST(ScriptWriter, WrittenForms) {
  EXPECT_EQ(ScriptOf("x:1 2;"), "x=12;\r\n.curveline(x,RGB(254,254,254),1);\r\n");
  EXPECT_EQ(ScriptOf("x:=reverse(c) and o or range(c,l,h) <> iff(c>o,1,2);"),
            "x=(0-(close))&open|between(close,low,high)<>if(close>open,1,2);\r\n");
  EXPECT_EQ(ScriptOf("x:=a*-b/-2 >= 0.5", {"a", "b"}, {1.0f, 2.0f}), "x=a*-b/-2>=0.5;\r\n");
  EXPECT_EQ(ScriptOf("x:=date+barstatus"), "x=date+barstatus;\r\n");
}

// `reverse` negates its whole argument wherever it stands, also nested and as a draw argument.
TEST(ScriptWriter, ReverseIsABracketedNegation) {
  EXPECT_EQ(ScriptOf("x:=c-reverse(o);"), "x=close-(0-(open));\r\n");
  EXPECT_EQ(ScriptOf("x:=2*reverse(max(c,reverse(o)))/3;"), "x=2*(0-(max(close,(0-(open)))))/3;\r\n");
  EXPECT_EQ(ScriptOf("stickline(c>o,c,o,1,reverse(c));"),
            ".tempdrawparam0=close>open;\r\n.tempdrawparam1=close;\r\n.tempdrawparam2=open;\r\n"
            ".tempdrawparam3=1;\r\n.tempdrawparam4=(0-(close));\r\n"
            "stick(.tempdrawparam0,.tempdrawparam1,.tempdrawparam2,.tempdrawparam3,.tempdrawparam4,"
            "RGB(254,254,254),1,ployNomal);\r\n");
}

TEST(ScriptWriter, ParameterListOnEveryDescriptorOnly) {
  EXPECT_EQ(ScriptOf("a:c+n;b:a*m,stick;", {"n", "m"}, {1.0f, 2.0f}),
            "a=close+n;\r\n.curveline(a(n,m),RGB(254,254,254),1);\r\n"
            "b=a*m;\r\n.column(cltStick,0,b(n,m),RGB(254,254,254));\r\n");
}

TEST(ScriptWriter, AnonymousOutputs) {
  EXPECT_EQ(ScriptOf("c>o;"), ".tempresindex0=close>open;\r\n.curveline(.tempresindex0,RGB(254,254,254),1);\r\n");
}

TEST(ScriptWriter, SummaryLists) {
  auto ctx = AnalyseFormula("x:=h-l;y:c+v+h;stickline(c>o,c,o,1,0);", {"n"}, {1.23456f});
  ASSERT_TRUE(ctx->syntaxOk());
  EXPECT_EQ(ctx->Script().summaryFieldNames, (std::vector<std::string>{"high", "low", "close", "vol", "open"}));
  EXPECT_EQ(ctx->Script().summaryVariableNames,
            (std::vector<std::string>{"x", ".tempdrawparam0", ".tempdrawparam1", ".tempdrawparam2", ".tempdrawparam3",
                                      ".tempdrawparam4"}));
  EXPECT_EQ(ctx->Names().variableIds().at(".tempdrawparam4"), 10005);
  EXPECT_EQ(ctx->Script().drawParamCount, 5);
  EXPECT_EQ(ctx->Script().summaryOutputNames, (std::vector<std::string>{"y", "....."}));
  EXPECT_EQ(ctx->Script().summaryParamNames, (std::vector<std::string>{"n"}));
  ASSERT_EQ(ctx->Script().summaryParamValues.size(), 1u);
  EXPECT_FLOAT_EQ(ctx->Script().summaryParamValues[0], 1.235f);  // through its "%.3f" text
}

TEST(ScriptWriter, UnwritableKeywordFailsWith8) {
  auto ctx = AnalyseFormula("a:1;\n x:=c,colorred;");
  EXPECT_FALSE(ctx->syntaxOk());
  EXPECT_EQ(ctx->Error().errorCode(), 8);
  EXPECT_EQ(ctx->Error().errorText(), "colorred" + kGbkNotSupported);
  EXPECT_EQ(ctx->Error().errorPosition(), 11);  // the colour keyword
  EXPECT_EQ(ctx->Error().errorLine(), 1);
  EXPECT_EQ(ctx->Error().errorColumn(), 7);
  EXPECT_TRUE(ctx->Script().summaryOutputNames.empty());  // the dry run stopped before the final run
  EXPECT_EQ(ctx->Script().drawParamCount, 0);
}

TEST(ScriptWriter, ImplicitZeroFailsWith8) {
  auto ctx = AnalyseFormula("x:c and -o", {}, {});
  EXPECT_EQ(ctx->Error().errorCode(), 8);
  EXPECT_EQ(ctx->Error().errorText(), kGbkSyntaxError);
  EXPECT_EQ(ctx->Error().errorPosition(), 8);
  auto custom = AnalyseFormula("x:=c color123456");
  EXPECT_EQ(custom->Error().errorCode(), 8);
  EXPECT_EQ(custom->Error().errorText(), kGbkSyntaxError);  // a custom colour has no keyword
  auto style = AnalyseFormula("x:=c,stick");
  EXPECT_EQ(style->Error().errorText(), "stick" + kGbkNotSupported);
}

TEST(ScriptWriter, GbkMessageBytes) {
  EXPECT_EQ(kGbkSyntaxError, "\xD3\xEF\xB7\xA8\xB4\xED\xCE\xF3");
  EXPECT_EQ(kGbkNotSupported.size(), 10u);
  EXPECT_EQ(kGbkSelfReference.size(), 16u);
  EXPECT_EQ(kGbkTooManyColours.size(), 23u);
}

TEST(ScriptWriter, ColourText) {
  EXPECT_EQ(ColourText(0xFFFFFFFFu), "RGB(254,254,254)");
  EXPECT_EQ(ColourText(0xFF3D3DFFu), "RGB(254,254,254)");
  EXPECT_EQ(ColourText(0x00563412u), "RGB(18,52,86)");
  EXPECT_EQ(ColourText(0x7F000000u), "RGB(0,0,0)");
}

}  // namespace
