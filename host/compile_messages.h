#pragma once
// What each formula compile error code means, in words a formula writer
// understands (UTF-8). The engine reports a code and a position and, for a
// few codes, a short Chinese text; the host explains the rest. Codes 8, 28 and
// 29 open with the engine's own text.
#include <cstdint>

namespace abacor_host {

struct CompileErrorCode {
  int32_t code;
  const char* summary;  // one sentence: what is wrong
  const char* cause;    // a typical formula that gets this code, and the fix
};

inline constexpr CompileErrorCode kCompileErrorCodes[] = {
    {8,
     "语法错误 (syntax error), or \"WORD函数不支持\" (WORD is not supported here): the statement holds a word "
     "that cannot stand where it is.",
     "A colour or style keyword on a hidden variable (X:=C,COLORRED): colours apply to outputs, so write X:C,COLORRED; "
     "or a sign right after AND / OR (A AND -B): write A AND (0-B)."},
    {10,
     "A character or operator sequence is out of place: a stray { or }, an operator that is not one, a brace "
     "inside a quoted text, or a comma where a value is still missing.",
     "A comment that is not closed ({note without its closing brace), or a } without its {."},
    {11, "A word is neither a keyword, nor a name defined earlier in the formula, nor a parameter.",
     "A misspelt function, a name used before its definition, a parameter given no value, full-width punctuation "
     "such as ， or ； glued to a word, or a text in double quotes (\"UP\") instead of single quotes ('UP')."},
    {12,
     "Two operator characters make no operator (==, <<, >>, =<, =>, !<), or a pair of parentheses does not hold "
     "exactly one value.",
     "C==O: compare with a single =; C=>O: write >=; or empty parentheses ()."},
    {13, "The statement ends with an operator, or uses ! alone, so a value is missing after it.",
     "X:C>; (a value is missing after >), or A!B: write A!=B or NOT(B)."},
    {14, "A : or := does not follow a name being defined at the start of the statement.",
     "1:C: a statement defines one name, written first: NAME:... or NAME:=...."},
    {15, "& and | are written doubled: && and || (or AND and OR).",
     "A&B: write A&&B or A AND B; before a parenthesis leave a space: A && (B>C)."},
    {16, "The formula holds more than 3000 numbers and parameters together.",
     "A generated formula with very many constants: split it into several formulas."},
    {17, "A name being defined is longer than 32 bytes (a Chinese character takes two).",
     "A long descriptive output name: shorten it."},
    {18, "The formula defines more than 1000 hidden variables (NAME:=).", "Split the formula into several formulas."},
    {19, "The formula defines more than 1000 named outputs (NAME:).", "Split the formula into several formulas."},
    {21,
     "A quoted text or a parenthesis is not closed, or a function name is not followed by its arguments in "
     "parentheses.",
     "MA(C,5 without the closing ); a text 'UP without its closing quote; a ; inside a text (it ends the statement); "
     "or MA C,5 instead of MA(C,5)."},
    {22, "A function gets the wrong number of arguments, or an operator is missing a value on one side.",
     "MA(C) where MA takes two arguments, MA(X,N); MA(C,,5) with an empty argument; or IF(C>O,1) where IF "
     "takes three."},
    {23, "Two values stand side by side without an operator between them.",
     "(C O) instead of (C-O), or a missing comma between two values."},
    {24,
     "A name is defined twice, or a keyword (a function, a data field such as CLOSE, a colour or style) is used "
     "as the name being defined.",
     "CLOSE:=MA(C,5) or MA:=C: choose another name such as CLOSE1; or A:C; followed later by A:O;."},
    {26, "The formula is empty.", "An empty formula text or an empty formula file."},
    {27, "A statement passed the checks but could not be translated into a program.",
     "An operator at the end of a statement (X:C+;), two operators in a row (X:C*/O;) or two values without "
     "an operator (X:C O;)."},
    {28, "非法的指标自引用 (illegal self-reference): a statement uses the name it defines.",
     "X:X+1; or X:C+X;: use REF(X,1) of an earlier name, or give the new value another name."},
    {29, "用户自定义颜色超过100个 (more than 100 custom colours): the formula uses more than 100 COLORrrggbb colours.",
     "Reuse colours, or use the named colours such as COLORRED."},
};
static_assert(sizeof(kCompileErrorCodes) / sizeof(kCompileErrorCodes[0]) == 19,
              "one entry per code the engine reports");

// The entry of a code, or null when the code is not one the engine reports.
inline const CompileErrorCode* FindCompileErrorCode(int32_t code) {
  for (const CompileErrorCode& entry : kCompileErrorCodes)
    if (entry.code == code) return &entry;
  return nullptr;
}

}  // namespace abacor_host
