#pragma once
// CZNZParser: translates the intermediate script of a ParseContext (its script
// output, which it only reads) into the compiled program (CCalculateInfo) and
// works out each output's history need.
//
// The script is already well formed; every problem is reported with one code
// (4, or the code of the call check).
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "abacor/index_parser.h"
#include "formula/eval/calculate_info.h"

class ParseContext;
struct ScriptOutput;
struct FunctionInfo;

class CZNZParser {
 public:
  CZNZParser() = default;
  virtual ~CZNZParser() = default;
  CZNZParser(const CZNZParser&) = delete;
  CZNZParser& operator=(const CZNZParser&) = delete;

  // 0 on success; 4 for a malformed script or null pointers, or the call check's code.
  int32_t Translate(ParseContext* context, CCalculateInfo* program);
  // The same for a script output on its own.
  int32_t Translate(const ScriptOutput& source, CCalculateInfo* program);

  int32_t Position() const { return position; }
  int32_t LineCount() const { return lineCount; }
  const std::vector<HistoryNeed>& HistoryNeeds() const { return historyNeeds; }

 private:
  // An operand under construction.
  struct Operand {
    OperandKind kind = OPK_ZERO;
    OperandValue value;
  };
  // What a name of the script stands for.
  enum class NameKind { None, Param, Field, Output, Variable };
  // Saved read state, to re-read a statement that has no assignment target.
  struct ReadState {
    int32_t position;
    int32_t tokenStart;
    int32_t lineCount;
    char current;
    std::string token;
  };

  void Reset();
  void Prepare();
  int32_t RunStatements();
  int32_t RunNamedStatement(const ReadState& saved);
  int32_t ParseTarget(Statement* statement, bool* isTarget);

  int32_t ParseExpression(Operand* result);
  int32_t ParseOperand(bool first, bool* none, Operand* result);
  int32_t ParseNameOperand(bool first, Operand* result);
  int32_t ReadOperator(int32_t* number);
  int32_t Reduce(std::vector<Operand>& operands, std::vector<int32_t>& operators);
  int32_t ParseNameRecord(NameKind kind, int32_t slot, Operand* result);
  int32_t ParseRecordArguments(NameKind kind, ExprRecord* record);
  int32_t ParseCall(int32_t row, Operand* result);
  int32_t ParseCallArguments(ExprRecord* record);
  int32_t AddHiddenSeries(ExprRecord* record);
  int32_t ParseOutputStatement(int32_t row);
  int32_t ParseNumber(Operand* result);
  int32_t ParseText(Operand* result);

  bool ReadNext();
  bool ReadName();
  ReadState Save() const;
  void Restore(const ReadState& state);
  NameKind LookupName(const std::string& name, int32_t* index) const;
  HistoryNeed CallNeed(const FunctionInfo& info, const ExprRecord* call) const;
  void MergeNeed(const HistoryNeed& other);
  std::vector<ExprRecord*>& VariableTable();

  CCalculateInfo* program = nullptr;
  const ScriptOutput* source_ = nullptr;
  int32_t position = 0;
  int32_t tokenStart = 0;
  int32_t lineCount = 0;
  char current = 0;
  std::string token;
  HistoryNeed need{0, 0.0f};
  std::string script;
  int32_t length = 0;
  std::vector<std::string> paramNames;
  std::vector<float> paramValues;
  std::vector<std::string> variableNames;
  std::vector<std::string> fieldNames;
  std::vector<std::string> outputNames;
  std::vector<HistoryNeed> variableNeeds;
  std::vector<HistoryNeed> outputNeeds;
  std::vector<HistoryNeed> historyNeeds;
  int32_t hiddenCount = 0;
  bool descriptorMode = false;
  bool wholeRange = false;

  // Name lookups (upper-case name to index), first entry of each name.
  std::unordered_map<std::string, int32_t> paramIndex_;
  std::unordered_map<std::string, int32_t> fieldIndex_;
  std::unordered_map<std::string, int32_t> outputIndex_;
  std::unordered_map<std::string, int32_t> variableIndex_;
  int32_t depth_ = 0;  // nesting of expressions, bounded so that no input exhausts the stack
};
