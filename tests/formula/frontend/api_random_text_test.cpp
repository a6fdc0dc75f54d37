// Random, truncated and oversized formula texts through Compile: each ends in
// success or in a documented error code.
#include <gtest/gtest.h>

#include <abacor/index_obj_creator.h>
#include <abacor/index_parser.h>

#include <random>
#include <set>
#include <string>
#include <vector>

#include "support/api_support.h"

namespace {

const std::set<int32_t> kCodes = {8, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 21, 22, 23, 24, 26, 27, 28, 29};

const std::vector<std::string> kPieces = {
    "ma(",    "c",        "o",          "h",         "l",           "v",
    ",",      ")",        "(",          ";",         "\n",          "\r\n",
    ":",      ":=",       "+",          "-",         "*",           "/",
    "and",    "or",       "&&",         "||",        "&",           "|",
    "!",      "=",        "<",          ">",         "'",           "\"",
    "{",      "}",        "5",          "0.5",       ".",           "x",
    "y",      "n",        "stickline(", "drawtext(", "drawnumber(", "ployline(",
    "if(",    "ref(",     "ema(",       "sar(",      "colorred",    "color12ab9f",
    "nodraw", "stick",    "linethick3", "date",      "reverse(",    " ",
    "#",      "@",        "^",          "$",         "%",           std::string(1, '\0'),
    "\x80",   "\xFF",     "\xD3\xEF",   "x:",        "y:=",         "range(",
    "rgb(",   "backset(", "%%",         "'%'",
};

void ExpectCleanEnd(const std::string& text) {
  ParserHandle parser;
  ASSERT_NE(parser.get(), nullptr);
  bool ok = parser->Compile(text, {"n", "m"}, {5.0f, 10.0f});
  ParseErrorInfo info;
  ASSERT_TRUE(parser->GetErrorInfo(&info));
  if (ok) {
    EXPECT_EQ(info.code, 0);
    int32_t count = -1;
    EXPECT_TRUE(parser->GetOutputCount(&count));
    for (int32_t i = 0; i < count; ++i) {
      char name[40];
      parser->GetOutputName(i, name, sizeof name);
      int32_t type = 0;
      parser->GetOutputDrawType(i, &type);
    }
    return;
  }
  EXPECT_EQ(kCodes.count(info.code), 1u) << "code " << info.code;
  EXPECT_LT(std::char_traits<char>::length(info.text), sizeof info.text);
}

TEST(CompileRandomText, RandomPieces) {
  std::mt19937 random(99u);
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    int pieces = static_cast<int>(random() % 40);
    for (int k = 0; k < pieces; ++k) text += kPieces[random() % kPieces.size()];
    ExpectCleanEnd(text);
  }
}

TEST(CompileRandomText, RandomBytes) {
  std::mt19937 random(3u);
  for (int round = 0; round < 2000; ++round) {
    std::string text(random() % 80, '\0');
    for (char& ch : text) ch = static_cast<char>(random() & 0xFF);
    ExpectCleanEnd(text);
  }
}

TEST(CompileRandomText, TruncatedFormulas) {
  const std::string formulas[] = {
      "ma5:ma(c,n),colorred;ma10:ma(c,m),linethick2;",
      "stickline(c>o,c,o,2,0),colorff8800;drawtext(c>o,l,'up 50%%');",
      "x:=if(c>ref(c,1),1,-1);y:sum(x,n)*-2,nodraw;{comment}z:y/+3,stick;",
      "a:=ema(c,n);b:a+m;d:b,colorstick;drawnumber(c>o,h,c);s:sar(10,2,20);",
  };
  for (const std::string& formula : formulas) {
    for (size_t length = 0; length <= formula.size(); ++length) ExpectCleanEnd(formula.substr(0, length));
  }
}

TEST(CompileRandomText, OversizedTexts) {
  ExpectCleanEnd(std::string(100000, 'a') + ":c;");
  ExpectCleanEnd("x:" + std::string(3000, '(') + "c" + std::string(3000, ')'));
  ExpectCleanEnd("x:" + std::string(150, '(') + "c" + std::string(150, ')'));
  ExpectCleanEnd("x:" + std::string(50000, '\xB0') + ";");
  std::string sum = "x:c";
  for (int k = 0; k < 2000; ++k) sum += "+ma(c,n)";
  ExpectCleanEnd(sum);
  std::string statements;
  for (int k = 0; k < 5000; ++k) statements += "s" + std::to_string(k) + ":c+" + std::to_string(k % 7) + ";\n";
  ExpectCleanEnd(statements);
  std::string drawings;
  for (int k = 0; k < 5000; ++k) drawings += "stickline(c>o,c,o,h,l);";
  ExpectCleanEnd(drawings);
  std::string variables;
  for (int k = 0; k < 1000; ++k) variables += "v" + std::to_string(k) + ":=ma(c,n);";
  ExpectCleanEnd(variables + "x:v999;");
}

}  // namespace
