#pragma once
// ParseContext: the working object of one compilation. It prepares the formula
// text, splits it into statements, tokenizes, checks and rewrites each one,
// collects names, numbers, texts, colours and parameters, and finally has the
// intermediate script written. Its results are kept in parts that readers see
// const: the error report, the declared names, the output attributes, the
// parameter dependencies, the accepted token stream and the script output.
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "formula/frontend/error_report.h"
#include "formula/frontend/formula_token_list.h"
#include "formula/frontend/name_tables.h"
#include "formula/frontend/output_attributes.h"
#include "formula/frontend/param_dependencies.h"
#include "formula/frontend/script_output.h"

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

  // Read access to the parts of the analysis.
  const std::string& text() const { return text_; }  // the prepared formula text
  bool syntaxOk() const { return syntaxOk_; }
  const ErrorReport& Error() const { return error_; }
  const NameTables& Names() const { return names_; }
  const OutputAttributes& Attributes() const { return attributes_; }
  const ParamDependencies& Dependencies() const { return dependencies_; }
  const FormulaTokenList& Tokens() const { return tokens_; }
  const ScriptOutput& Script() const { return script_; }

  // What the parser object may change after the analysis; each is ignored for an
  // output or parameter the formula does not have.
  void SetOutputColour(int32_t s, uint32_t colour) { attributes_.SetColour(s, colour); }
  void SetOutputLineWidth(int32_t s, int32_t width) { attributes_.SetLineWidth(s, width); }
  void SetParamValue(int32_t p, float value) { names_.SetParamValue(p, value); }

 private:
  // The tokenizer's and rewriter's state for the statement being analysed.
  struct StatementScan {
    int32_t statementIndex = -1;           // current output statement
    std::vector<int32_t> statementTokens;  // current statement, followed by a 0
    int32_t lastToken = -1;
    std::vector<int32_t> tokenPositions;  // position within the statement, parallel to the tokens
    std::deque<int32_t> pendingTokens;    // tokens of the statement being tokenized
  };

  // Tokenizer steps; each returns -1 or an error index, with the code set.
  int32_t TokenizeNumber(const std::string& s, size_t& i);
  int32_t TokenizeName(const std::string& s, size_t& i, std::string& defining);
  int32_t DefineName(const std::string& s, size_t start, size_t& i, const std::string& word, std::string& defining);
  int32_t TokenizeComparison(const std::string& s, size_t& i);
  int32_t TokenizeLogical(const std::string& s, size_t& i);
  void TokenizeSign(char sign, int32_t position);
  int32_t TokenizeText(const std::string& s, size_t& i);
  void AppendToken(int32_t id, int32_t position);
  int32_t LastPending() const;
  int32_t LookupName(const std::string& word) const;
  int32_t Fail(int32_t code, int32_t index, const std::string& message = std::string());

  // Rewriting of the tokenized statement.
  int32_t RewriteStatement();
  void InsertToken(size_t index, int32_t id, int32_t position);
  void EraseTokens(size_t index, size_t count);
  void ApplyAttributes(int32_t s);
  void ApplyAttribute(int32_t s, int32_t id);

  void InsertSigns();
  void SplitStatements();
  bool RunStatement(const std::string& statement, const StatementPlace& place);
  void PlaceError(int32_t position, const StatementPlace& place);
  void ReportScriptError();
  void RegisterParameter(const std::string& name, float value);

  std::string text_;
  bool syntaxOk_ = false;
  ErrorReport error_;
  NameTables names_;
  OutputAttributes attributes_;
  ParamDependencies dependencies_;
  StatementScan scan_;
  FormulaTokenList tokens_;
  ScriptOutput script_;
  int32_t tooManyParameters_ = 0;  // parameters left unregistered at the constant limit
};

// The six hexadecimal characters of a custom colour as 0xFFBBGGRR.
uint32_t CustomColourValue(const std::string& digits);
