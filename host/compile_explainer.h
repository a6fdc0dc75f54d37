#pragma once
// Turns a compile error as the engine reports it (a code, a byte position in
// its prepared GBK text, and for a few codes a GBK text) into what a formula
// writer sees: the line and column of the character in the formula as written
// and a sentence that names the problem, with a hint for the common mistakes.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "formula_runner.h"

namespace abacor_host {

// The formula without a leading UTF-8 byte-order mark.
std::string StripByteOrderMark(const std::string& text);

// The formula as a terminal shows it: UTF-8 (GBK input converted), without a byte-order mark.
std::string DisplayFormula(const std::string& formula);

// Fills error->line, column and message from error->code and error->position.
// engineText: the bytes the engine compiled; engineIsGbk: they are GBK (else UTF-8);
// engineMessage: the engine's own text, converted to UTF-8; params: those compiled with.
void ExplainCompileError(const std::string& engineText, bool engineIsGbk, const std::string& engineMessage,
                         const std::vector<std::pair<std::string, float>>& params, CompileError* error);

}  // namespace abacor_host
