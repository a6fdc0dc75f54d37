// No text can crash the analysis: random, truncated and oversized formulas end in
// success or in one of the documented error codes.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <vector>

#include "support/frontend_support.h"

namespace {

const std::set<int32_t> kKnownCodes = {8, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 21, 22, 23, 24, 26, 28, 29};

const std::vector<std::string> kPieces = {
    "ma(",   "c",          "o",          "h",         "l",           "v",
    ",",     ")",          "(",          ";",         "\n",          "\r\n",
    ":",     ":=",         "+",          "-",         "*",           "/",
    "and",   "or",         "&&",         "||",        "&",           "|",
    "!",     "=",          "<",          ">",         "'",           "\"",
    "{",     "}",          "5",          "0.5",       ".",           "x",
    "y",     "n",          "stickline(", "drawtext(", "drawnumber(", "ployline(",
    "if(",   "ref(",       "ema(",       "colorred",  "color12ab9f", "nodraw",
    "stick", "linethick3", "date",       "reverse(",  " ",           "\t",
    "#",     "@",          "^",          "$",         "%",           std::string(1, '\0'),
    "\x80",  "\xFF",       "\xD3\xEF",   "x:",        "y:=",         "range(",
    "rgb(",
};

const std::vector<std::string> kValidFormulas = {
    "ma5:ma(c,n),colorred;ma10:ma(c,m),linethick2;",
    "stickline(c>o,c,o,2,0),colorff8800;drawtext(c>o,l,'up');",
    "x:=if(c>ref(c,1),1,-1);y:sum(x,n)*-2,nodraw;{comment}z:y/+3,stick;",
    "a:=ema(c,n);b:a+m;d:b,colorstick;drawnumber(c>o,h,c);",
};

void ExpectCleanEnd(const std::string& text, const std::vector<std::string>& names = {"n", "m"},
                    const std::vector<float>& values = {5.0f, 10.0f}) {
  auto ctx = AnalyseFormula(text, names, values);
  if (ctx->syntaxOk()) {
    EXPECT_EQ(ctx->Error().errorCode(), 0);
    return;
  }
  EXPECT_TRUE(kKnownCodes.count(ctx->Error().errorCode()) == 1) << "code " << ctx->Error().errorCode();
  EXPECT_GE(ctx->Error().errorPosition(), 0);
  EXPECT_LE(ctx->Error().errorPosition(), static_cast<int32_t>(ctx->text().size()));
}

TEST(RandomText, RandomPieces) {
  std::mt19937 random(20240611u);
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    int pieces = static_cast<int>(random() % 40);
    for (int k = 0; k < pieces; ++k) text += kPieces[random() % kPieces.size()];
    ExpectCleanEnd(text);
  }
}

TEST(RandomText, RandomBytes) {
  std::mt19937 random(7u);
  for (int round = 0; round < 2000; ++round) {
    std::string text(random() % 64, '\0');
    for (char& ch : text) ch = static_cast<char>(random() & 0xFF);
    ExpectCleanEnd(text);
  }
}

TEST(RandomText, TruncatedFormulas) {
  for (const std::string& formula : kValidFormulas) {
    for (size_t length = 0; length <= formula.size(); ++length) ExpectCleanEnd(formula.substr(0, length));
    auto whole = AnalyseFormula(formula, {"n", "m"}, {5.0f, 10.0f});
    EXPECT_TRUE(whole->syntaxOk()) << formula << " code " << whole->Error().errorCode();
  }
}

TEST(RandomText, OversizedTexts) {
  ExpectCleanEnd(std::string(100000, 'a') + ":c;");
  ExpectCleanEnd("x:" + std::string(100000, 'a'));
  // Every `(` starts an operand check that runs to the end of its statement, so deep
  // nesting costs the square of its depth; a few thousand levels stay quick.
  ExpectCleanEnd(std::string(5000, '('));
  ExpectCleanEnd("x:" + std::string(3000, '(') + "c" + std::string(3000, ')'));
  ExpectCleanEnd("x:max(" + std::string(3000, ',') + ")");
  ExpectCleanEnd(std::string(20000, '-') + "1");
  ExpectCleanEnd("x:'" + std::string(100000, '\xB0') + "'");
  std::string many;
  for (int k = 0; k < 5000; ++k) many += "s" + std::to_string(k) + ":=c+" + std::to_string(k) + ";";
  ExpectCleanEnd(many);  // fails at the 1001st variable
  std::string anonymous;
  for (int k = 0; k < 5000; ++k) anonymous += "c>o;\n";
  ExpectCleanEnd(anonymous);
  std::string drawings;
  for (int k = 0; k < 5000; ++k) drawings += "stickline(c>o,c,o,c,o);";
  auto ctx = AnalyseFormula(drawings);
  EXPECT_TRUE(ctx->syntaxOk()) << ctx->Error().errorCode();
  EXPECT_EQ(ctx->Names().outputCount(), 5000);
  EXPECT_EQ(ctx->Script().drawParamCount, 25000);
}

TEST(RandomText, ManyParameters) {
  std::vector<std::string> names;
  std::vector<float> values;
  for (int k = 0; k < 6000; ++k) {
    names.push_back("p" + std::to_string(k));
    values.push_back(static_cast<float>(k));
  }
  ExpectCleanEnd("x:p5999+'t';", names, values);
  names[1] = std::string(1000, 'q');
  ExpectCleanEnd("x:p0;", names, values);
}

}  // namespace
