#pragma once
// Helpers for the front-end tests: analyse a formula and look at the results.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "formula/frontend/parse_context.h"

// Prepares and analyses text with the given parameters (as Compile does: lower-cased first).
std::unique_ptr<ParseContext> AnalyseFormula(const std::string& text, const std::vector<std::string>& names = {},
                                             const std::vector<float>& values = {});

// Token ids of analysed statement n (counting every statement, empty ones included).
std::vector<int32_t> StatementTokensOf(const ParseContext& ctx, size_t n);

// The GBK message texts, spelled out byte by byte for comparison.
extern const std::string kGbkSyntaxError;      // 语法错误
extern const std::string kGbkNotSupported;     // 函数不支持
extern const std::string kGbkSelfReference;    // 非法的指标自引用
extern const std::string kGbkTooManyColours;   // 用户自定义颜色超过100个
