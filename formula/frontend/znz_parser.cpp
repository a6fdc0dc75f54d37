#include "formula/frontend/znz_parser.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <new>

#include "formula/eval/function_table.h"
#include "formula/eval/style_names.h"
#include "formula/eval/value.h"
#include "formula/frontend/keyword_tables.h"
#include "formula/frontend/parse_context.h"

namespace {

constexpr int32_t kBad = EVAL_BAD_ARGUMENT;
// The expression ended because it was an output statement (not a failure at statement level).
constexpr int32_t kOutputDone = -1;
// Deepest nesting of expressions (brackets, calls, indexes) the translator follows.
constexpr int32_t kMaxDepth = 200;
constexpr int32_t kMaxElements = 100;
// State-block numbers are 16 bits wide; 0xFFFF means "no block".
constexpr int32_t kMaxStateBlock = 0xFFFE;

// The 13 operators of the script, by operator number: text, precedence level, ExprRecord op.
struct ScriptOperator {
  const char* text;
  int32_t level;
  int32_t op;
};
constexpr ScriptOperator kOperators[] = {
    {"|", 0, OP_OR},  {"&", 1, OP_AND}, {">", 2, OP_GT},  {"<", 2, OP_LT},  {"=", 2, OP_EQ},
    {">=", 2, OP_GE}, {"<=", 2, OP_LE}, {"<>", 2, OP_NE}, {"+", 3, OP_ADD}, {"^", 3, OP_BITOR},
    {"-", 3, OP_SUB}, {"*", 4, OP_MUL}, {"/", 4, OP_DIV},
};
constexpr int32_t kOperatorCount = static_cast<int32_t>(sizeof(kOperators) / sizeof(kOperators[0]));
static_assert(kOperatorCount == 13, "13 script operators");

int32_t OperatorNumber(const std::string& text) {
  for (int32_t k = 0; k < kOperatorCount; ++k) {
    if (text == kOperators[k].text) return k;
  }
  return -1;
}

// Reduce first when the operator on the stack binds at least as tightly as the incoming one.
bool ReducesBefore(int32_t top, int32_t incoming) { return kOperators[top].level >= kOperators[incoming].level; }

bool IsOperatorChar(char c) { return std::strchr("+-*/^><=&|", c) != nullptr && c != '\0'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsNameStart(char c) {
  auto u = static_cast<unsigned char>(c);
  return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u == '_' || u == '.' || u >= 0x80;
}
bool IsNameChar(char c) { return IsNameStart(c) || IsDigit(c); }
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string UpperAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

// Numbers, parameters and operator records over them.
bool IsConstantExpression(OperandKind kind, OperandValue value) {
  std::vector<std::pair<OperandKind, OperandValue>> pending{{kind, value}};
  while (!pending.empty()) {
    auto [k, v] = pending.back();
    pending.pop_back();
    if (k == OPK_NUMBER || k == OPK_PARAM) continue;
    if (k != OPK_RECORD || v.Record() == nullptr) return false;
    const ExprRecord* r = v.Record();
    bool isOperator = (r->op >= OP_ADD && r->op <= OP_NE) || r->op == OP_BITOR;
    if (!isOperator) return false;
    for (int32_t i = 0; i < r->count; ++i) pending.emplace_back(r->kinds[i], r->values[i]);
  }
  return true;
}

// Bounds the nesting of expression parsing.
class DepthGuard {
 public:
  explicit DepthGuard(int32_t& depth) : depth_(depth) { ++depth_; }
  ~DepthGuard() { --depth_; }
  bool TooDeep() const { return depth_ > kMaxDepth; }

 private:
  int32_t& depth_;
};

}  // namespace

int32_t CZNZParser::Translate(ParseContext* source, CCalculateInfo* target) {
  if (source == nullptr) return kBad;
  return Translate(source->Script(), target);
}

int32_t CZNZParser::Translate(const ScriptOutput& source, CCalculateInfo* target) {
  if (target == nullptr) return kBad;
  source_ = &source;
  program = target;
  Reset();
  Prepare();
  return RunStatements();
}

void CZNZParser::Reset() {
  position = tokenStart = lineCount = length = hiddenCount = depth_ = 0;
  current = 0;
  token.clear();
  need = HistoryNeed{0, 0.0f};
  script.clear();
  paramNames.clear();
  paramValues.clear();
  variableNames.clear();
  fieldNames.clear();
  outputNames.clear();
  variableNeeds.clear();
  outputNeeds.clear();
  historyNeeds.clear();
  descriptorMode = wholeRange = false;
  paramIndex_.clear();
  fieldIndex_.clear();
  outputIndex_.clear();
  variableIndex_.clear();
}

void CZNZParser::Prepare() {
  script = UpperAscii(source_->script);
  size_t first = script.find_first_not_of(' ');
  script.erase(0, first == std::string::npos ? script.size() : first);
  for (char strip : {' ', '\n', '\r'}) {
    while (!script.empty() && script.back() == strip) script.pop_back();
  }
  length = static_cast<int32_t>(script.size());
  auto copyUpper = [](const std::vector<std::string>& from, std::vector<std::string>& to,
                      std::unordered_map<std::string, int32_t>& index) {
    for (const std::string& name : from) {
      to.push_back(UpperAscii(name));
      index.emplace(to.back(), static_cast<int32_t>(to.size()) - 1);
    }
  };
  copyUpper(source_->summaryParamNames, paramNames, paramIndex_);
  copyUpper(source_->summaryVariableNames, variableNames, variableIndex_);
  copyUpper(source_->summaryFieldNames, fieldNames, fieldIndex_);
  copyUpper(source_->summaryOutputNames, outputNames, outputIndex_);
  paramValues = source_->summaryParamValues;
  variableNeeds.assign(variableNames.size(), HistoryNeed{0, 0.0f});
  outputNeeds.assign(outputNames.size(), HistoryNeed{0, 0.0f});
  program->m_reserved = 0;
  program->m_paramValues = paramValues;
  program->m_fieldIds.clear();
  for (const std::string& name : fieldNames) program->m_fieldIds.push_back(FieldIdOf(name));
  program->m_stateCounter = static_cast<int32_t>(variableNames.size());
}

// script := { statement ';' }
int32_t CZNZParser::RunStatements() {
  lineCount = 0;
  while (position < length) {
    ReadState saved = Save();
    if (!ReadNext()) return kBad;
    int32_t result = 0;
    if (IsNameStart(current)) {
      result = RunNamedStatement(saved);
      if (result == kOutputDone) continue;
    } else if (current == '(' || current == '-' || IsDigit(current)) {
      position = tokenStart;  // step back: the expression starts here
      Operand expr;
      result = ParseExpression(&expr);
      if (result == 0 && expr.kind == OPK_ZERO) result = kBad;
      Statement* statement = result == 0 ? program->m_arena.NewStatement() : nullptr;
      if (result == 0 && statement == nullptr) result = kBad;
      if (result == 0) {
        statement->expr = expr.value;
        statement->exprKind = expr.kind;
        program->m_assignments.push_back(statement);
      }
    } else {
      return kBad;
    }
    if (result != 0) return result;
    if (current != ';') return kBad;
  }
  return 0;
}

// statement := target '=' expression | expression (an output statement among them)
int32_t CZNZParser::RunNamedStatement(const ReadState& saved) {
  ReadName();
  Statement* statement = program->m_arena.NewStatement();
  if (statement == nullptr) return kBad;
  program->m_assignments.push_back(statement);
  need = HistoryNeed{0, 0.0f};
  bool isTarget = false;
  int32_t result = ParseTarget(statement, &isTarget);
  if (result != 0) return result;
  if (!isTarget) Restore(saved);
  if (isTarget != (current == '=')) return kBad;
  wholeRange = false;
  Operand expr;
  result = ParseExpression(&expr);
  if (result == kOutputDone) {
    program->m_assignments.pop_back();
    historyNeeds.push_back(need);
    return kOutputDone;
  }
  if (result != 0) return result;
  if (expr.kind == OPK_ZERO) return kBad;
  statement->expr = expr.value;
  statement->exprKind = expr.kind;
  if (!isTarget) return 0;
  SeriesKey key;
  if (!VariableKey(program->m_stmtVars, statement->target.Index(), &key)) return kBad;
  bool isOutput = key.kind == OPK_OUTPUT_SERIES;
  if (wholeRange) program->MarkWholeRange(key);
  std::vector<HistoryNeed>& needs = isOutput ? outputNeeds : variableNeeds;
  if (key.slot >= 0 && static_cast<size_t>(key.slot) < needs.size()) needs[key.slot] = need;
  return 0;
}

// target := (output-name | variable-name) [ '[' expression ']' ] , followed by '='
int32_t CZNZParser::ParseTarget(Statement* statement, bool* isTarget) {
  *isTarget = false;
  int32_t index = 0;
  NameKind kind = LookupName(token, &index);
  if (kind == NameKind::Param || kind == NameKind::Field || descriptorMode) return kBad;
  if (kind != NameKind::Output && kind != NameKind::Variable) return 0;
  Operand record;
  int32_t result = ParseNameRecord(kind, index, &record);
  if (result != 0) return result;
  ExprRecord* r = record.value.Record();
  if (current != '=') return 0;
  if (r->count < 2 || r->values[1].bits != 0) return kBad;
  int32_t slot = program->AddVariable(r, false);
  if (slot < 0) return kBad;
  statement->targetKind = OPK_VAR;
  statement->target = OperandValue::FromIndex(slot);
  *isTarget = true;
  return 0;
}

// expression := operand { operator operand } ; operator precedence, left-associative
int32_t CZNZParser::ParseExpression(Operand* result) {
  DepthGuard guard(depth_);
  if (guard.TooDeep()) return kBad;
  bool atComma = current == ',';
  std::vector<Operand> operands;
  std::vector<int32_t> operators;
  bool afterOperator = false;
  while (true) {
    ReadNext();
    bool none = false;
    Operand operand;
    int32_t code = ParseOperand(operands.empty() && !afterOperator, &none, &operand);
    if (code != 0) return code;
    if (none) {
      if (atComma || afterOperator) return kBad;
      *result = Operand{};
      return 0;
    }
    operands.push_back(operand);
    if (!IsOperatorChar(current)) break;
    int32_t number = -1;
    code = ReadOperator(&number);
    if (code != 0) return code;
    while (!operators.empty() && ReducesBefore(operators.back(), number)) {
      code = Reduce(operands, operators);
      if (code != 0) return code;
    }
    operators.push_back(number);
    afterOperator = true;
  }
  while (!operators.empty()) {
    int32_t code = Reduce(operands, operators);
    if (code != 0) return code;
  }
  if (operands.size() != 1) return kBad;
  *result = operands.front();
  return 0;
}

// operand := name-operand | number | text | '(' expression ')'
int32_t CZNZParser::ParseOperand(bool first, bool* none, Operand* result) {
  if (IsNameStart(current)) return ParseNameOperand(first, result);
  if (current == '-' || IsDigit(current)) return ParseNumber(result);
  if (current == '"') return ParseText(result);
  if (current != '(') {
    *none = true;
    return 0;
  }
  Operand inner;
  int32_t code = ParseExpression(&inner);
  if (code != 0) return code;
  if (current != ')') return kBad;
  ReadNext();
  *result = inner;
  return 0;
}

// name-operand := parameter | drawing constant | field, output or variable record | call | output call
int32_t CZNZParser::ParseNameOperand(bool first, Operand* result) {
  ReadName();
  int32_t index = 0;
  NameKind kind = LookupName(token, &index);
  if (kind == NameKind::Param) {
    result->kind = OPK_PARAM;
    if (!descriptorMode) {
      result->value = OperandValue::FromInt32(index);
      return 0;
    }
    uint32_t bits = 0;
    std::memcpy(&bits, &paramValues[index], sizeof bits);
    int32_t slot = program->FindOrAddName(token, bits);
    if (slot < 0) return kBad;
    result->value = OperandValue::FromInt32(slot);
    return 0;
  }
  uint32_t code = 0;
  if (LookupStyleName(token, &code)) {
    result->kind = OPK_NUMBER;
    result->value = OperandValue::FromLow32(code);
    return 0;
  }
  if (kind != NameKind::None) {
    if (kind == NameKind::Output) MergeNeed(outputNeeds[index]);
    if (kind == NameKind::Variable) MergeNeed(variableNeeds[index]);
    Operand record;
    int32_t status = ParseNameRecord(kind, index, &record);
    if (status != 0) return status;
    int32_t slot = program->AddVariable(record.value.Record(), descriptorMode);
    if (slot < 0) return kBad;
    result->kind = OPK_VAR;
    result->value = OperandValue::FromIndex(slot);
    if (program->IsWholeRange(SeriesKey{record.value.Record()->kinds[0], index})) wholeRange = true;
    return 0;
  }
  int32_t id = -1;
  int32_t row = FindFunction(token, &id);
  if (row < 0) return kBad;
  const FunctionInfo& info = FunctionInfoTable[row];
  if ((info.flags & FN_OUTPUT) != 0) {
    if (!first || descriptorMode) return kBad;
    int32_t status = ParseOutputStatement(row);
    return status != 0 ? status : kOutputDone;
  }
  int32_t status = ParseCall(row, result);
  if (status != 0) return status;
  if ((info.flags & FN_RECALC_ALL) != 0) wholeRange = true;
  MergeNeed(CallNeed(info, result->value.Record()));
  return 0;
}

int32_t CZNZParser::ReadOperator(int32_t* number) {
  std::string text(1, current);
  while (position < length && IsOperatorChar(script[position]) && OperatorNumber(text + script[position]) >= 0) {
    text += script[position++];
  }
  *number = OperatorNumber(text);
  return *number < 0 ? kBad : 0;
}

int32_t CZNZParser::Reduce(std::vector<Operand>& operands, std::vector<int32_t>& operators) {
  if (operands.size() < 2) return kBad;
  int32_t number = operators.back();
  operators.pop_back();
  ExprRecord* record = program->m_arena.NewRecord(kOperators[number].op, 0);
  if (record == nullptr) return kBad;
  Operand right = operands.back();
  operands.pop_back();
  Operand left = operands.back();
  operands.pop_back();
  AppendElement(record, left.kind, left.value);
  AppendElement(record, right.kind, right.value);
  operands.push_back(Operand{OPK_RECORD, OperandValue::FromRecord(record)});
  return record->count == 2 ? 0 : kBad;
}

// name-record := name [ '[' expression ']' ] [ '(' arguments ')' ] ; element 0 names the series
int32_t CZNZParser::ParseNameRecord(NameKind kind, int32_t slot, Operand* result) {
  ExprRecord* record = program->m_arena.NewRecord(OP_VARIABLE, 0);
  if (record == nullptr) return kBad;
  OperandKind identity = kind == NameKind::Field    ? OPK_FIELD
                         : kind == NameKind::Output ? OPK_OUTPUT_SERIES
                                                    : OPK_VAR_SERIES;
  AppendElement(record, identity, OperandValue::FromInt32(slot));
  int32_t code = 0;
  if (current == '[') {
    Operand bracket;
    code = ParseExpression(&bracket);
    if (code == 0) {
      AppendElement(record, bracket.kind, bracket.value);
      bool plain = bracket.kind == OPK_NUMBER || bracket.kind == OPK_PARAM;
      if (current != ']' || (descriptorMode && !plain)) code = kBad;
    }
    if (code == 0) ReadNext();
  } else {
    AppendElement(record, OPK_NUMBER, OperandValue::FromFloat(0.0f));
  }
  if (code == 0 && current == '(') code = ParseRecordArguments(kind, record);
  if (code == 0 && record->count < 2) code = kBad;
  if (code != 0) return code;
  result->kind = OPK_RECORD;
  result->value = OperandValue::FromRecord(record);
  return 0;
}

// arguments := expression { ',' expression } ')' ; constants only, outputs in descriptors only
int32_t CZNZParser::ParseRecordArguments(NameKind kind, ExprRecord* record) {
  if (kind == NameKind::Variable || (kind == NameKind::Output && !descriptorMode)) return kBad;
  size_t arguments = 0;
  while (true) {
    Operand argument;
    int32_t code = ParseExpression(&argument);
    if (code != 0) return code;
    if (!IsConstantExpression(argument.kind, argument.value) || record->count >= kMaxElements) return kBad;
    AppendElement(record, argument.kind, argument.value);
    ++arguments;
    if (current == ')') break;
    if (current != ',') return kBad;
  }
  ReadNext();
  if (kind == NameKind::Output && arguments != paramNames.size()) return kBad;
  return 0;
}

// call := function [ '(' [ expression ] { ',' [ expression ] } ')' ]
int32_t CZNZParser::ParseCall(int32_t row, Operand* result) {
  const FunctionInfo& info = FunctionInfoTable[row];
  ExprRecord* call = program->m_arena.NewRecord(OP_CALL, 0);
  if (call == nullptr) return kBad;
  AppendElement(call, OPK_FUNC_ID, OperandValue::FromInt32(info.id));
  if ((info.flags & FN_EXTEND_HISTORY) != 0) program->m_extendHistory = true;
  if ((info.flags & FN_EXTEND_FORWARD) != 0) program->m_extendForward = true;
  if ((info.flags & FN_RECALC_ALL) != 0) program->m_recalcAll = true;
  bool stateful = (info.flags & FN_STATE_BLOCK) != 0;
  if (stateful) {
    int32_t blocks = (info.flags & FN_TWO_STATE_BLOCKS) != 0 ? 2 : 1;
    int32_t first = program->m_stateCounter + 1;
    if (first < 1 || first + blocks - 1 > kMaxStateBlock) return kBad;
    uint32_t high = blocks == 2 ? static_cast<uint32_t>(first + 1) : 0xFFFFu;
    uint32_t handle = static_cast<uint32_t>(first) | (high << 16);
    program->m_stateCounter += blocks;
    if ((info.flags & FN_RECALC_ALL) != 0) program->m_resetStateBlocks.insert(static_cast<int32_t>(handle));
    AppendElement(call, OPK_STATE, OperandValue::FromLow32(handle));
    call->op = OP_CALL_STATE;
  }
  int32_t code = current == '(' ? ParseCallArguments(call) : 0;
  if (code == 0) {
    code = CheckCall(call, VariableTable());
    int32_t arguments = call->count - (stateful ? 2 : 1);
    int32_t expected = static_cast<int32_t>(info.argInfo & ARG_COUNT_MASK);
    bool ownSeries = (info.flags & FN_OWN_SERIES) != 0 && arguments == expected - 1;
    if (code != 0 && ownSeries) {
      code = AddHiddenSeries(call);
      if (code == 0) code = CheckArity(call, VariableTable());
    }
  }
  if (code != 0) return code;
  result->kind = OPK_RECORD;
  result->value = OperandValue::FromRecord(call);
  return 0;
}

int32_t CZNZParser::ParseCallArguments(ExprRecord* call) {
  while (true) {
    Operand argument;
    int32_t code = ParseExpression(&argument);
    if (code != 0) return code;
    if (argument.kind != OPK_ZERO) {  // an empty argument is dropped
      if (call->count >= kMaxElements) return kBad;
      AppendElement(call, argument.kind, argument.value);
    }
    if (current == ')') break;
    if (current != ',') return kBad;
  }
  ReadNext();
  return 0;
}

// The function's own result series: a hidden variable after the formula's variables.
int32_t CZNZParser::AddHiddenSeries(ExprRecord* call) {
  ExprRecord* variable = program->m_arena.NewRecord(OP_VARIABLE, 0);
  if (variable == nullptr) return kBad;
  int32_t slot = static_cast<int32_t>(variableNames.size()) + hiddenCount;
  AppendElement(variable, OPK_VAR_SERIES, OperandValue::FromInt32(slot));
  AppendElement(variable, OPK_NUMBER, OperandValue::FromFloat(0.0f));
  int32_t index = program->AddVariable(variable, descriptorMode);
  if (index < 0) return kBad;
  ++hiddenCount;
  ++program->m_stateCounter;
  return InsertElement(call, 1, OPK_VAR, OperandValue::FromIndex(index)) ? 0 : kBad;
}

// output statement := output-function call, with its own state-block numbering
int32_t CZNZParser::ParseOutputStatement(int32_t row) {
  bool oldMode = descriptorMode;
  descriptorMode = true;
  Statement* statement = program->m_arena.NewStatement();
  if (statement == nullptr) {
    descriptorMode = oldMode;
    return kBad;
  }
  statement->stmtKind = STMT_OUTPUT;
  statement->exprKind = OPK_RECORD;
  program->m_outputs.push_back(statement);
  int32_t savedCounter = program->m_stateCounter;
  program->m_stateCounter = 0;
  Operand call;
  int32_t code = ParseCall(row, &call);
  int32_t used = program->m_stateCounter;
  program->m_stateCounter = savedCounter;
  if (code == 0) {
    statement->expr = call.value;
    statement->targetKind = OPK_NUMBER;
    statement->target = OperandValue::FromInt32(used);
    code = CheckOutputStatement(statement);
  }
  descriptorMode = oldMode;
  return code;
}

// number := [ '-' ] digits-and-dots ; one dot at most, not last, no name directly after
int32_t CZNZParser::ParseNumber(Operand* result) {
  int32_t start = tokenStart;
  int32_t end = position;
  while (end < length && (IsDigit(script[end]) || script[end] == '.')) ++end;
  token = script.substr(start, end - start);
  int32_t digits = 0;
  int32_t dots = 0;
  for (char c : token) {
    digits += IsDigit(c) ? 1 : 0;
    dots += c == '.' ? 1 : 0;
  }
  bool followedByName = end < length && IsNameStart(script[end]);
  if (digits == 0 || dots > 1 || token.back() == '.' || followedByName) return kBad;
  double value = 0.0;
  const char* text = token.data() + (token[0] == '-' ? 1 : 0);
  std::from_chars(text, token.data() + token.size(), value);
  if (token[0] == '-') value = -value;
  position = end;
  ReadNext();
  result->kind = OPK_NUMBER;
  result->value = OperandValue::FromFloat(static_cast<float>(value));
  return 0;
}

// text := '"' chars '"' { blanks '"' chars '"' } ; a pending '%' may not close a text
int32_t CZNZParser::ParseText(Operand* result) {
  std::string raw;
  int32_t i = tokenStart + 1;
  while (true) {
    bool percent = false;
    bool closed = false;
    while (i < length) {
      char c = script[i];
      if (c == '\\' && i + 1 < length && script[i + 1] == '"') {
        raw += "\\\"";
        i += 2;
        percent = false;
        continue;
      }
      if (c == '"') {
        if (percent) return kBad;
        closed = true;
        ++i;
        break;
      }
      percent = c == '%' ? !percent : false;
      if (c == '\n') ++lineCount;
      raw += c;
      ++i;
    }
    if (!closed) return kBad;
    int32_t j = i;
    while (j < length && IsBlank(script[j])) ++j;
    if (j >= length || script[j] != '"') break;
    for (int32_t k = i; k < j; ++k) lineCount += script[k] == '\n' ? 1 : 0;
    i = j + 1;
  }
  std::string text;
  for (size_t k = 0; k < raw.size(); ++k) {
    char c = raw[k];
    char next = k + 1 < raw.size() ? raw[k + 1] : '\0';
    if (c == '\\' && (next == '\\' || next == '"' || next == 'r' || next == 'n' || next == 't')) {
      text += next == 'r' ? '\r' : next == 'n' ? '\n' : next == 't' ? '\t' : next;
      ++k;
      continue;
    }
    text += c;
  }
  position = i;
  ReadNext();
  program->m_texts.push_back(text);
  result->kind = OPK_STRING;
  result->value = OperandValue::FromLow32(static_cast<uint32_t>(program->m_texts.size() - 1));
  return 0;
}

// Skips blanks (counting line feeds) and reads one character; false at the end.
bool CZNZParser::ReadNext() {
  while (position < length && IsBlank(script[position])) {
    if (script[position] == '\n') ++lineCount;
    ++position;
  }
  if (position >= length) {
    current = 0;
    tokenStart = position;
    return false;
  }
  current = script[position];
  tokenStart = position++;
  return true;
}

// Reads the name that starts at the current character, then the character after it.
bool CZNZParser::ReadName() {
  int32_t end = position;
  while (end < length && IsNameChar(script[end])) ++end;
  token = script.substr(tokenStart, end - tokenStart);
  position = end;
  ReadNext();
  return true;
}

CZNZParser::ReadState CZNZParser::Save() const { return ReadState{position, tokenStart, lineCount, current, token}; }

void CZNZParser::Restore(const ReadState& state) {
  position = state.position;
  tokenStart = state.tokenStart;
  lineCount = state.lineCount;
  current = state.current;
  token = state.token;
}

CZNZParser::NameKind CZNZParser::LookupName(const std::string& name, int32_t* index) const {
  const std::pair<const std::unordered_map<std::string, int32_t>*, NameKind> tables[] = {
      {&paramIndex_, NameKind::Param},
      {&fieldIndex_, NameKind::Field},
      {&outputIndex_, NameKind::Output},
      {&variableIndex_, NameKind::Variable},
  };
  for (const auto& table : tables) {
    auto it = table.first->find(name);
    if (it == table.first->end()) continue;
    *index = it->second;
    return table.second;
  }
  return NameKind::None;
}

// (2, 0) for functions that extend the history; else from the period argument.
HistoryNeed CZNZParser::CallNeed(const FunctionInfo& info, const ExprRecord* call) const {
  if ((info.flags & FN_EXTEND_HISTORY) != 0) return HistoryNeed{2, 0.0f};
  if (info.periodArg == 0 || call == nullptr) return HistoryNeed{0, 0.0f};
  int32_t element = info.periodArg + (call->op == OP_CALL_STATE ? 1 : 0);
  if (element >= call->count) return HistoryNeed{3, 0.0f};
  float amount = 0.0f;
  if (call->kinds[element] == OPK_NUMBER) {
    amount = call->values[element].Float();
  } else if (call->kinds[element] == OPK_PARAM) {
    int32_t p = call->values[element].Int32();
    if (descriptorMode && p >= 0 && static_cast<size_t>(p) < program->m_nameValues.size()) {
      std::memcpy(&amount, &program->m_nameValues[p], sizeof amount);
    } else if (!descriptorMode && p >= 0 && static_cast<size_t>(p) < paramValues.size()) {
      amount = paramValues[p];
    }
  } else {
    return HistoryNeed{3, 0.0f};
  }
  if (info.id == kXmaId) amount /= 2.0f;  // XMA looks half its period back and half ahead
  return HistoryNeed{1, amount};
}

void CZNZParser::MergeNeed(const HistoryNeed& other) {
  if (other.kind < need.kind) return;
  need.amount = other.kind == 1 ? std::max(need.kind == 1 ? need.amount : 0.0f, other.amount) : 0.0f;
  need.kind = other.kind;
}

std::vector<ExprRecord*>& CZNZParser::VariableTable() {
  return descriptorMode ? program->m_outputVars : program->m_stmtVars;
}
