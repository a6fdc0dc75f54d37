#include "formula/frontend/parse_context.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "formula/frontend/compile_errors.h"
#include "formula/frontend/keyword_tables.h"
#include "formula/frontend/script_writer.h"

namespace {

bool IsAttribute(int32_t id) { return id >= TOKEN_ATTRIBUTE_FIRST && id <= TOKEN_ATTRIBUTE_LAST; }
bool IsFunctionId(int32_t id) { return id >= TOKEN_OPERATOR_LIMIT && id <= TOKEN_FUNCTION_LAST; }
bool IsNameId(int32_t id) { return id >= TOKEN_VARIABLE && id < TOKEN_CONSTANT; }

char LowerAscii(char ch) { return (ch >= 'A' && ch <= 'Z') ? static_cast<char>(ch - 'A' + 'a') : ch; }

// One hexadecimal digit as the colour reader takes it: '0'-'9' their value, anything else code - 87.
int32_t HexDigit(unsigned char ch) { return (ch >= '0' && ch <= '9') ? ch - '0' : ch - 87; }

// A character after which a sign belongs to an operand rather than starting one. Every name
// character counts (so `a_-1` keeps its name `a_`); a `;` ends a statement, so `x:1;-1` gets a `0`.
bool EndsOperand(unsigned char ch) {
    if (ch == ';') return false;
    if (ch == ')' || ch == '*' || ch == '/' || ch == '-' || ch == '+') return true;
    int32_t cls = CharClassOf(ch);
    return cls == CHAR_NUMBER || cls == CHAR_NAME;
}

// A run whose start index equals its bracket depth counts as checked without a look at its
// tokens (the run from a statement's first token always does).
bool RunSkipsOperandCheck(int32_t start, int32_t depth) { return start == depth; }

// Between tokens an operand run may hold no operand yet or exactly one.
bool HoldsOneOperandAtMost(int32_t operandBalance) { return operandBalance >= 0 && operandBalance <= 1; }

// The error of a run whose balance is not one operand: too few operands or two side by side.
int32_t OperandBalanceError(int32_t operandBalance) {
    return operandBalance < 1 ? kErrorOperandCount : kErrorAdjacentOperands;
}

// A `)` that brings the run back to its own level or to the statement's top level ends a group
// that must hold exactly one operand.
bool ClosesRunGroup(int32_t levelAfter, int32_t depth) { return levelAfter == 0 || levelAfter == depth; }

// How a token changes the operand balance: an operand (a number, name, field, text, the implicit
// zero or a function without arguments) adds one, an operator takes one; brackets, commas,
// attributes and functions with arguments change nothing.
int32_t OperandBalanceStep(int32_t id) {
    if (IsFunctionId(id)) return ArgCountOf(id) == 0 ? 1 : 0;
    if (id < TOKEN_OPERATOR_LIMIT) return -1;
    if (id == TOKEN_IMPLICIT_ZERO || id > TOKEN_ATTRIBUTE_LAST) return 1;
    return 0;
}

void AddUnique(std::vector<int32_t>& list, int32_t value) {
    if (std::find(list.begin(), list.end(), value) == list.end()) list.push_back(value);
}

}  // namespace

uint32_t CustomColourValue(const std::string& digits) {
    uint32_t parts[3] = {0, 0, 0};
    for (size_t k = 0; k < 3 && 2 * k + 1 < digits.size(); ++k) {
        int32_t hi = HexDigit(static_cast<unsigned char>(digits[2 * k]));
        int32_t lo = HexDigit(static_cast<unsigned char>(digits[2 * k + 1]));
        parts[k] = static_cast<uint32_t>(hi * 16 + lo) & 0xFFu;
    }
    return 0xFF000000u + (parts[2] << 16) + (parts[1] << 8) + parts[0];
}

ParseContext::ParseContext() {
    statementTokens.reserve(100);
    formulaTokens.reserve(100);
    tokenPositions.reserve(100);
    outputNameTable.reserve(16);
    variableNameTable.reserve(16);
    constantValues.reserve(16);
    paramNameTable.reserve(16);
    BuildKeywordTables();
}

// Prepare: blank comments, replace tabs, lower-case, register the parameters.
void ParseContext::Prepare(const std::string& formula, const std::vector<std::string>& paramNames,
                           const std::vector<float>& paramValues) {
    errorCode = 0;
    constantCount = variableCount = outputCount = paramCount = 0;
    textCount = customColourCount = drawParamCount = 0;
    errorText.clear();
    text = formula;
    size_t open = text.find('{');
    while (open != std::string::npos) {
        size_t close = text.find('}', open + 1);
        if (close == std::string::npos) break;
        for (size_t k = open; k <= close; ++k) {
            if (text[k] != '\r' && text[k] != '\n') text[k] = ' ';
        }
        open = text.find('{', close + 1);
    }
    for (char& ch : text) ch = ch == '\t' ? ' ' : LowerAscii(ch);
    if (paramNames.size() != paramValues.size()) return;
    for (size_t k = 0; k < paramNames.size(); ++k) RegisterParameter(paramNames[k], paramValues[k]);
}

void ParseContext::RegisterParameter(const std::string& name, float value) {
    std::string lower(name);
    for (char& ch : lower) ch = LowerAscii(ch);
    if (LookupName(lower) != 0) return;
    if (constantCount >= kMaxConstants) {
        ++tooManyParameters_;  // more parameters than the constant limit: the analysis fails for too many constants
        return;
    }
    int32_t id = TOKEN_CONSTANT + constantCount;
    paramIds[lower] = id;
    constantValues.push_back(value);
    constantTexts.push_back(lower);
    paramNameTable.push_back(lower);
    char buffer[64];
    std::snprintf(buffer, sizeof(buffer), "%.3f", static_cast<double>(value));
    paramValueTexts.emplace_back(buffer);
    ++paramCount;
    ++constantCount;
}

bool ParseContext::Analyse() {
    // Sign insertion: a sign that does not follow an operand gets a `0` in front. Quoted texts
    // are left as written (`'-5'` stays "-5"); a text never runs past the end of its statement.
    std::string signed_;
    signed_.reserve(text.size() + 16);
    bool seen = false;  // a non-space character came before
    bool quoted = false;
    unsigned char previous = 0;
    for (char ch : text) {
        bool sign = ch == '-' || ch == '+';
        if (sign && !quoted && (!seen || !EndsOperand(previous))) signed_.push_back('0');
        signed_.push_back(ch);
        if (ch == '\'') quoted = !quoted;
        if (ch == ';' || ch == '\n') quoted = false;
        if (ch != ' ') {
            seen = true;
            previous = static_cast<unsigned char>(ch);
        }
    }
    text.swap(signed_);
    errorPosition = -1;
    statementIndex = -1;
    formulaTokenCount = 0;
    if (text.empty()) {
        errorCode = kErrorEmptyFormula;
        errorPosition = errorLine = errorColumn = 0;
        return false;
    }
    if (tooManyParameters_ > 0) {
        errorCode = kErrorTooManyConstants;
        errorPosition = errorLine = errorColumn = 0;
        return false;
    }
    SplitStatements();
    if (errorPosition != -1 || !errorText.empty()) return false;
    script = ScriptWriter(*this).WriteScript();
    if (!scriptErrors.empty()) {
        ReportScriptError();
        return false;
    }
    syntaxOk = true;
    return true;
}

// Statements end at `;` (dropped), at a line break (kept) or at the end of the text.
void ParseContext::SplitStatements() {
    size_t start = 0;
    int32_t line = 0;       // line breaks before the current statement
    int32_t lineStart = 0;  // index of the line break before the current statement's line
    int32_t breaks = 0;
    int32_t lastBreak = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        char ch = text[i];
        bool ends = ch == ';' || ch == '\n' || i + 1 == text.size();
        if (ch == '\n') {
            ++breaks;
            lastBreak = static_cast<int32_t>(i);
        }
        if (!ends) continue;
        size_t end = ch == ';' ? i : i + 1;
        if (!RunStatement(text.substr(start, end - start), static_cast<int32_t>(start), line, lineStart)) return;
        start = i + 1;
        line = breaks;
        lineStart = lastBreak;
    }
}

bool ParseContext::RunStatement(const std::string& statement, int32_t start, int32_t line, int32_t lineStart) {
    statementTokens.assign(1, 0);
    lastToken = -1;
    int32_t at = TokenizeStatement(statement);
    if (at >= 0) {
        SetError(start + at, line, lineStart);
        return false;
    }
    at = CheckStatement();
    if (at >= 0) {
        int32_t offset = static_cast<size_t>(at) < tokenPositions.size() ? tokenPositions[at] : 0;
        SetError(start + offset, line, lineStart);
        return false;
    }
    for (int32_t k = 0; k <= lastToken; ++k) {
        formulaTokens.push_back(statementTokens[k]);
        formulaTokenPositions.push_back(start + tokenPositions[k]);
        formulaTokenLines.push_back(line);
        formulaTokenLineStarts.push_back(lineStart);
    }
    formulaTokens.push_back(TOKEN_STATEMENT_END);
    formulaTokenPositions.push_back(start + static_cast<int32_t>(statement.size()));
    formulaTokenLines.push_back(line);
    formulaTokenLineStarts.push_back(lineStart);
    formulaTokenCount = static_cast<int32_t>(formulaTokens.size());
    return true;
}

void ParseContext::SetError(int32_t position, int32_t line, int32_t lineStart) {
    errorPosition = position;
    errorLine = line;
    errorColumn = position - lineStart;
}

void ParseContext::ReportScriptError() {
    auto first = scriptErrors.begin();
    errorCode = kErrorUnwritableToken;
    errorText = first->second;
    size_t index = static_cast<size_t>(first->first);
    if (index >= formulaTokenPositions.size()) {
        errorPosition = errorLine = errorColumn = 0;
        return;
    }
    SetError(formulaTokenPositions[index], formulaTokenLines[index], formulaTokenLineStarts[index]);
}

// Rewriting: definitions, anonymous and drawing outputs, parameter dependencies, attributes.
int32_t ParseContext::RewriteStatement() {
    statementTokens.assign(pendingTokens.begin(), pendingTokens.end());
    pendingTokens.clear();
    if (statementTokens.empty()) {
        statementTokens.push_back(0);
        lastToken = -1;
        return -1;
    }
    int32_t s = ++statementIndex;
    auto definition = std::find_if(statementTokens.begin(), statementTokens.end(), [](int32_t id) {
        return id == TOKEN_DEFINE_OUTPUT || id == TOKEN_DEFINE_VARIABLE;
    });
    bool isOutput = definition != statementTokens.end() && *definition == TOKEN_DEFINE_OUTPUT;
    bool isVariable = definition != statementTokens.end() && *definition == TOKEN_DEFINE_VARIABLE &&
                      std::none_of(definition, statementTokens.end(), IsDrawFunction);
    if (isVariable) --statementIndex;
    bool drawing = IsDrawFunction(statementTokens.front());
    if (!isOutput && !isVariable && !drawing) {
        // An anonymous output takes a name token like a named one; the same limit applies.
        if (outputCount >= kMaxOutputs) return Fail(kErrorTooManyOutputs, 0);
        std::string name = ".tempresindex" + std::to_string(s);
        int32_t id = TOKEN_OUTPUT + outputCount++;
        outputIds[name] = id;
        outputNameTable.push_back(name);
        int32_t position = tokenPositions.empty() ? 0 : tokenPositions.front();
        InsertToken(0, TOKEN_DEFINE_OUTPUT, position);
        InsertToken(0, id, position);
    } else if (drawing) {
        outputNameTable.push_back(".....");
        ++outputCount;
    }
    CollectDependencies(isVariable ? -1 : s);
    if (!isVariable) ApplyAttributes(s);
    lastToken = static_cast<int32_t>(statementTokens.size()) - 1;
    statementTokens.push_back(0);
    return -1;
}

void ParseContext::InsertToken(size_t index, int32_t id, int32_t position) {
    statementTokens.insert(statementTokens.begin() + static_cast<std::ptrdiff_t>(index), id);
    tokenPositions.insert(tokenPositions.begin() + static_cast<std::ptrdiff_t>(index), position);
}

void ParseContext::EraseTokens(size_t index, size_t count) {
    auto first = static_cast<std::ptrdiff_t>(index);
    auto last = static_cast<std::ptrdiff_t>(index + count);
    statementTokens.erase(statementTokens.begin() + first, statementTokens.begin() + last);
    tokenPositions.erase(tokenPositions.begin() + first, tokenPositions.begin() + last);
}

// A statement depends on the parameters it names and on those of every name it uses.
void ParseContext::CollectDependencies(int32_t outputIndex) {
    for (size_t k = 1; k < statementTokens.size(); ++k) {
        if (!IsNameId(statementTokens[k])) continue;
        auto it = nameParams.find(statementTokens[k]);
        if (it == nameParams.end()) continue;
        for (int32_t p : it->second) AddUnique(statementParams, p);
    }
    int32_t first = statementTokens.front();
    nameParams[first] = statementParams;
    for (int32_t p : statementParams) AddUnique(paramUsers[p], first);
    if (outputIndex >= 0) {
        if (outputParamLists.size() <= static_cast<size_t>(outputIndex)) outputParamLists.resize(outputIndex + 1);
        outputParamLists[outputIndex] = statementParams;
    }
    statementParams.clear();
}

void ParseContext::EnsureOutputSlot(int32_t s) {
    size_t need = static_cast<size_t>(s) + 1;
    if (styles.size() >= need) return;
    styles.resize(need, 0);
    lineWidths.resize(need, 1);
    colours.resize(need, 0xFFFFFFFFu);
    colourSet.resize(need, false);
    hidden.resize(need, false);
}

// Attributes (with the comma in front of them) leave the token stream and set output s.
void ParseContext::ApplyAttributes(int32_t s) {
    EnsureOutputSlot(s);
    styles[s] = 0;
    lineWidths[s] = 1;
    colours[s] = 0xFFFFFFFFu;
    hidden[s] = false;
    colourSet[s] = false;
    size_t k = 0;
    while (k < statementTokens.size()) {
        int32_t id = statementTokens[k];
        if (!IsAttribute(id)) {
            ++k;
            continue;
        }
        bool comma = k > 0 && statementTokens[k - 1] == TOKEN_COMMA;
        if (comma) --k;
        EraseTokens(k, comma ? 2 : 1);
        ApplyAttribute(s, id);
    }
}

void ParseContext::ApplyAttribute(int32_t s, int32_t id) {
    if (id >= TOKEN_COLOR_FIRST && id <= TOKEN_COLOR_LAST) {
        colourSet[s] = true;
        colours[s] = id >= TOKEN_CUSTOM_COLOR ? CustomColourValue(customColours[id - TOKEN_CUSTOM_COLOR])
                                              : NamedColourValue(id);
        return;
    }
    if (id > TOKEN_LINE_WIDTH_BASE) {
        lineWidths[s] = id - TOKEN_LINE_WIDTH_BASE;
        return;
    }
    if (id == TOKEN_NODRAW) {
        hidden[s] = true;
        return;
    }
    hidden[s] = false;
    styles[s] = id - TOKEN_STYLE_BASE;
}

// Checks: parentheses, operands after commas and brackets, argument counts.
int32_t ParseContext::CheckStatement() {
    int32_t depth = 0;
    int32_t at = CheckParentheses(depth);
    if (at >= 0) return at;
    at = CheckOperands(0, 0);
    if (at >= 0) return at;
    for (int32_t k = 0; k <= lastToken; ++k) {
        int32_t id = statementTokens[k];
        if (id == TOKEN_COMMA) {
            at = CheckOperands(k + 1, depth);
        } else if (id == TOKEN_OPEN) {
            at = CheckOperands(k + 1, ++depth);
        } else if (id == TOKEN_CLOSE) {
            --depth;
        } else if (IsFunctionId(id)) {
            at = CheckFunctionCall(k);
        }
        if (at >= 0) return at;
    }
    return -1;
}

// parentheses: the count of `(` minus `)` never drops below zero and ends at zero
int32_t ParseContext::CheckParentheses(int32_t& depth) {
    depth = 0;
    for (int32_t k = 0; k <= lastToken; ++k) {
        if (statementTokens[k] == TOKEN_OPEN) ++depth;
        if (statementTokens[k] == TOKEN_CLOSE && --depth < 0) return Fail(kErrorUnbalanced, k);
    }
    return depth > 0 ? Fail(kErrorUnbalanced, lastToken + 1) : -1;
}

// call := function '(' args ')' with (argument count - 1) commas at its own level
int32_t ParseContext::CheckFunctionCall(int32_t k) {
    int32_t count = ArgCountOf(statementTokens[k]);
    if (count < 0) count = 1;
    if (count == 0) return -1;
    if (k + 1 > lastToken || statementTokens[k + 1] != TOKEN_OPEN) return Fail(kErrorUnbalanced, k);
    int32_t level = 0;
    int32_t commas = 0;
    for (int32_t j = k + 1; j <= lastToken; ++j) {
        int32_t id = statementTokens[j];
        if (id == TOKEN_OPEN) ++level;
        if (id == TOKEN_CLOSE && --level == 0) break;
        if (id == TOKEN_COMMA && level == 1) ++commas;
    }
    return commas == count - 1 ? -1 : Fail(kErrorOperandCount, k);
}

// operand run := operand (operator operand)* up to a `,` or the closing bracket of its level
int32_t ParseContext::CheckOperands(int32_t start, int32_t depth) {
    if (RunSkipsOperandCheck(start, depth)) return -1;
    int32_t operandBalance = 0;  // operands minus operators seen so far in the run
    int32_t level = depth;       // bracket level at the current token
    for (int32_t index = start; index <= lastToken; ++index) {
        if (!HoldsOneOperandAtMost(operandBalance)) return Fail(OperandBalanceError(operandBalance), index);
        int32_t id = statementTokens[index];
        if (id == TOKEN_COMMA) return operandBalance == 1 ? -1 : Fail(kErrorMisplacedCharacter, index);
        if (id == TOKEN_OPEN) ++level;
        if (id == TOKEN_CLOSE && ClosesRunGroup(--level, depth) && operandBalance != 1) {
            return Fail(kErrorMalformedPair, index);
        }
        operandBalance += OperandBalanceStep(id);
    }
    if (operandBalance == 1 || start == lastToken) return -1;
    if (start > lastToken) return Fail(kErrorOperandCount, start - 1);
    return Fail(OperandBalanceError(operandBalance), lastToken);
}
