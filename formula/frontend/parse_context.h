#pragma once
// ParseContext: the working object of one compilation. It prepares the formula
// text, splits it into statements, tokenizes, checks and rewrites each one,
// collects names, numbers, texts, colours and parameters, and finally has the
// intermediate script written.
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

class ParseContext {
public:
    ParseContext();

    // Blanks comments, lower-cases the text and registers the parameters.
    void Prepare(const std::string& formula, const std::vector<std::string>& paramNames,
                 const std::vector<float>& paramValues);
    // Runs the whole analysis and the script writer; returns syntaxOk.
    bool Analyse();
    // Tokenizes one statement; -1 on success, else the error index within the statement.
    int32_t TokenizeStatement(const std::string& statement);

    // Final output names by output index (read by GetOutputName).
    std::vector<std::string> summaryOutputNames;
    std::vector<std::string> summaryFieldNames;
    std::vector<std::string> summaryVariableNames;
    std::vector<std::string> summaryParamNames;
    std::vector<float> summaryParamValues;
    std::string text;  // the prepared formula text
    int32_t errorCode = 0;
    std::string errorText;
    int32_t errorPosition = -1;
    int32_t errorLine = 0;
    int32_t errorColumn = 0;
    int32_t statementIndex = -1;  // current output statement
    std::vector<int32_t> statementTokens;  // current statement, followed by a 0
    int32_t lastToken = -1;
    std::vector<int32_t> formulaTokens;  // every statement, each followed by the end marker 1
    int32_t formulaTokenCount = 0;
    int32_t outputCursor = 0;
    std::vector<int32_t> tokenPositions;  // position within the statement, parallel to the tokens
    std::vector<std::string> outputNameTable;
    int32_t outputCount = 0;
    std::vector<int32_t> lineWidths;
    std::vector<int32_t> styles;
    std::vector<uint32_t> colours;
    std::vector<bool> colourSet;
    std::vector<bool> hidden;
    int32_t variableCount = 0;
    std::vector<std::string> variableNameTable;
    int32_t constantCount = 0;
    std::vector<float> constantValues;
    std::vector<std::string> constantTexts;
    std::vector<std::string> paramNameTable;
    std::vector<std::string> paramValueTexts;
    int32_t paramCount = 0;
    std::string customColours[100];
    int32_t customColourCount = 0;
    std::vector<std::string> texts;
    int32_t textCount = 0;
    std::vector<std::string> scriptFields;
    int32_t drawParamCount = 0;
    std::map<std::string, int32_t> variableIds;
    std::map<std::string, int32_t> outputIds;
    std::map<std::string, int32_t> paramIds;
    std::map<int32_t, std::string> scriptErrors;  // formula-token index to message (first only)
    std::deque<int32_t> pendingTokens;            // tokens of the statement being tokenized
    std::string paramListText;
    std::map<int32_t, std::vector<int32_t>> nameParams;
    std::vector<int32_t> statementParams;
    std::map<int32_t, std::vector<int32_t>> paramUsers;
    bool syntaxOk = false;
    std::string script;

    // Parameter indexes each output depends on, by output index (drawing outputs included).
    std::vector<std::vector<int32_t>> outputParamLists;
    // Absolute text position of every formulaTokens entry (for script-writer errors).
    std::vector<int32_t> formulaTokenPositions;

private:
    // Tokenizer steps; each returns -1 or an error index, with the code set.
    int32_t TokenizeNumber(const std::string& s, size_t& i);
    int32_t TokenizeName(const std::string& s, size_t& i, std::string& defining);
    int32_t DefineName(const std::string& s, size_t start, size_t& i, const std::string& word,
                       std::string& defining);
    int32_t TokenizeComparison(const std::string& s, size_t& i);
    int32_t TokenizeLogical(const std::string& s, size_t& i);
    void TokenizeSign(char sign, int32_t position);
    int32_t TokenizeText(const std::string& s, size_t& i);
    void AppendToken(int32_t id, int32_t position);
    int32_t LastPending() const;
    int32_t LookupName(const std::string& word) const;
    int32_t Fail(int32_t code, int32_t index, const std::string& message = std::string());

    // Rewriting and checks of the tokenized statement.
    int32_t RewriteStatement();
    void InsertToken(size_t index, int32_t id, int32_t position);
    void EraseTokens(size_t index, size_t count);
    void CollectDependencies(int32_t outputIndex);
    void ApplyAttributes(int32_t s);
    void ApplyAttribute(int32_t s, int32_t id);
    int32_t CheckStatement();
    int32_t CheckParentheses(int32_t& depth);
    int32_t CheckFunctionCall(int32_t index);
    // -1, or the failing token index of the operand run that starts at `start` at bracket level `depth`.
    int32_t CheckOperands(int32_t start, int32_t depth);

    void SplitStatements();
    bool RunStatement(const std::string& statement, int32_t start, int32_t line, int32_t lineStart);
    void SetError(int32_t position, int32_t line, int32_t lineStart);
    void ReportScriptError();
    void RegisterParameter(const std::string& name, float value);
    void EnsureOutputSlot(int32_t s);

    int32_t tooManyParameters_ = 0;  // parameters left unregistered at the constant limit
    // Line of each statement's first character, and the index just before its line, by formula token.
    std::vector<int32_t> formulaTokenLines;
    std::vector<int32_t> formulaTokenLineStarts;
};

// The six hexadecimal characters of a custom colour as 0xFFBBGGRR.
uint32_t CustomColourValue(const std::string& digits);
