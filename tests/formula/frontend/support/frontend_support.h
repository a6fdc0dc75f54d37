#pragma once
// Helpers for the internal front-end tests (header only: the interface tests
// share this folder and must not see internal headers).
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "formula/frontend/parse_context.h"

namespace frontend_support_detail {
inline std::string Bytes(std::initializer_list<unsigned> bytes) {
  std::string out;
  for (unsigned b : bytes) out.push_back(static_cast<char>(b));
  return out;
}
}  // namespace frontend_support_detail

// The GBK message texts, spelled out byte by byte for comparison.
inline const std::string kGbkSyntaxError =  // 语法错误
    frontend_support_detail::Bytes({0xD3, 0xEF, 0xB7, 0xA8, 0xB4, 0xED, 0xCE, 0xF3});
inline const std::string kGbkNotSupported =  // 函数不支持
    frontend_support_detail::Bytes({0xBA, 0xAF, 0xCA, 0xFD, 0xB2, 0xBB, 0xD6, 0xA7, 0xB3, 0xD6});
inline const std::string kGbkSelfReference =  // 非法的指标自引用
    frontend_support_detail::Bytes(
        {0xB7, 0xC7, 0xB7, 0xA8, 0xB5, 0xC4, 0xD6, 0xB8, 0xB1, 0xEA, 0xD7, 0xD4, 0xD2, 0xFD, 0xD3, 0xC3});
inline const std::string kGbkTooManyColours =  // 用户自定义颜色超过100个
    frontend_support_detail::Bytes({0xD3, 0xC3, 0xBB, 0xA7, 0xD7, 0xD4, 0xB6, 0xA8, 0xD2, 0xE5, 0xD1, 0xD5,
                                    0xC9, 0xAB, 0xB3, 0xAC, 0xB9, 0xFD, '1',  '0',  '0',  0xB8, 0xF6});

// Prepares and analyses text with the given parameters (as Compile does: lower-cased first).
inline std::unique_ptr<ParseContext> AnalyseFormula(const std::string& text, const std::vector<std::string>& names = {},
                                                    const std::vector<float>& values = {}) {
  auto ctx = std::make_unique<ParseContext>();
  std::string lower(text);
  for (char& ch : lower) {
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
  }
  ctx->Prepare(lower, names, values);
  ctx->Analyse();
  return ctx;
}

// Token ids of analysed statement n (counting every statement, empty ones included).
inline std::vector<int32_t> StatementTokensOf(const ParseContext& ctx, size_t n) {
  std::vector<int32_t> current;
  size_t index = 0;
  for (int32_t id : ctx.Tokens().formulaTokens()) {
    if (id != 1) {
      current.push_back(id);
      continue;
    }
    if (index++ == n) return current;
    current.clear();
  }
  return {};
}
