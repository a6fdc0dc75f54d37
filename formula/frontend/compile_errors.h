#pragma once
// The error codes a compilation reports in its error block, one constant per
// code. Only the self-reference and custom-colour codes carry a message of
// their own; the unwritable-token code carries the word it met.
#include <cstdint>

// The script writer met a token it has no written form for.
constexpr int32_t kErrorUnwritableToken = 8;
// A stray brace, an operator sequence that is no operator, a brace inside a quoted text,
// or a comma where an operand is still incomplete.
constexpr int32_t kErrorMisplacedCharacter = 10;
// A word that is no keyword, no defined name and no parameter.
constexpr int32_t kErrorUndefinedName = 11;
// An operator pair that is no operator ("==", "=<", "<<" ...), or a closing bracket whose
// group does not hold exactly one operand.
constexpr int32_t kErrorMalformedPair = 12;
// An operator character at the end of a statement, a lone `!`, or a definition whose `:` ends it.
constexpr int32_t kErrorDanglingOperator = 13;
// A `:` or `:=` that does not follow a name being defined.
constexpr int32_t kErrorDefinitionWithoutName = 14;
// `&` or `|` not written as `&&` or `||`.
constexpr int32_t kErrorUndoubledLogical = 15;
// More numbers and parameters together than the constant limit.
constexpr int32_t kErrorTooManyConstants = 16;
// A defined name longer than the name limit.
constexpr int32_t kErrorNameTooLong = 17;
// More variables than the variable limit.
constexpr int32_t kErrorTooManyVariables = 18;
// More outputs than the output limit.
constexpr int32_t kErrorTooManyOutputs = 19;
// An unterminated quoted text, unbalanced brackets, or a function name without its `(`.
constexpr int32_t kErrorUnbalanced = 21;
// A wrong count of operands: an operator lacks one, or a call has the wrong number of arguments.
constexpr int32_t kErrorOperandCount = 22;
// Two operands without an operator between them.
constexpr int32_t kErrorAdjacentOperands = 23;
// A name defined twice, or a keyword used as the name being defined.
constexpr int32_t kErrorNameInUse = 24;
// The formula text is empty.
constexpr int32_t kErrorEmptyFormula = 26;
// The translator could not build the program from the intermediate script.
constexpr int32_t kErrorTranslationFailed = 27;
// A statement uses the name it defines.
constexpr int32_t kErrorSelfReference = 28;
// More custom colours than the custom-colour limit.
constexpr int32_t kErrorTooManyCustomColours = 29;
