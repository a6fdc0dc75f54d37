#pragma once
// The compiled formula program: flat tables of statements, expression records
// and variable records that refer to each other by index. Written once by the
// translator, then only read by the calculator, the evaluator and the built-ins.
// Every record and statement of a program belongs to the program's arena.
#include <cstdint>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "formula/eval/expr_arena.h"

struct ExprRecord;

// 32-bit tag that says how an operand's 8-byte payload is read.
enum OperandKind : int32_t {
  OPK_ZERO = 0,           // payload not read; the number 0.0
  OPK_NUMBER = 1,         // float in the low 4 bytes
  OPK_PARAM = 2,          // index into m_paramValues in the low 4 bytes
  OPK_FIELD = 3,          // index into m_fieldIds (element 0 of a variable record only)
  OPK_OUTPUT_SERIES = 4,  // storage kind of an output's series, slot = output index
  OPK_VAR_SERIES = 5,     // storage kind of a variable's series, slot = variable index
  OPK_RECORD = 7,         // pointer to an ExprRecord (the whole 64-bit pointer)
  OPK_FUNC_ID = 9,        // function-info id in the low 4 bytes
  OPK_FUNC_SLOT = 10,     // dispatch-table slot in the low 4 bytes
  OPK_STATE = 11,         // two 16-bit state-block numbers (0xFFFF: none); also a storage kind
  OPK_STRING = 13,        // index into m_texts as the raw bits of a float
  OPK_VAR = 14,           // signed 64-bit index into m_stmtVars or m_outputVars
};

// Number of storage kinds a series store accepts (0 to 14).
constexpr int32_t SERIES_KIND_COUNT = 15;

// The 8-byte payload of an operand; how it is read depends on its OperandKind.
struct OperandValue {
  uint64_t bits = 0;

  static OperandValue FromFloat(float f) {
    uint32_t raw = 0;
    std::memcpy(&raw, &f, sizeof raw);
    return FromLow32(raw);
  }
  static OperandValue FromLow32(uint32_t raw) { return OperandValue{raw}; }
  static OperandValue FromInt32(int32_t v) { return FromLow32(static_cast<uint32_t>(v)); }
  static OperandValue FromIndex(int64_t i) { return OperandValue{static_cast<uint64_t>(i)}; }
  static OperandValue FromRecord(ExprRecord* r) {
    return OperandValue{static_cast<uint64_t>(reinterpret_cast<uintptr_t>(r))};
  }

  uint32_t Low32() const { return static_cast<uint32_t>(bits); }
  int32_t Int32() const { return static_cast<int32_t>(Low32()); }
  int64_t Index() const { return static_cast<int64_t>(bits); }
  float Float() const {
    const uint32_t raw = Low32();
    float f = 0.0f;
    std::memcpy(&f, &raw, sizeof f);
    return f;
  }
  ExprRecord* Record() const { return reinterpret_cast<ExprRecord*>(static_cast<uintptr_t>(bits)); }
};
static_assert(sizeof(OperandValue) == 8, "an operand payload is 8 bytes");
static_assert(sizeof(OperandKind) == 4, "an operand kind is 32 bits");

// Operator and call codes of ExprRecord::op.
enum ExprOp : int32_t {
  OP_ADD = 0,
  OP_SUB = 1,
  OP_MUL = 2,
  OP_DIV = 3,
  OP_AND = 4,
  OP_OR = 5,
  OP_GT = 6,
  OP_LT = 7,
  OP_EQ = 8,
  OP_GE = 9,
  OP_LE = 10,
  OP_NE = 11,
  OP_VARIABLE = 13,    // variable record: element 0 identity, element 1 bracket, 2.. arguments
  OP_CALL = 14,        // element 0 function, 1.. arguments (also the output record)
  OP_CALL_STATE = 15,  // element 0 function, 1 OPK_STATE handle, 2.. arguments
  OP_BITOR = 16,       // bitwise union of both operands' 64-bit patterns
};

// A heap record with `count` operands: element i is (kinds[i], values[i]); the
// two arrays are the stored layout. Roles by op: operator (0-11, 16; count 2),
// call (14), stateful call (15), variable record (13; count >= 2) and output
// record (14, element 0 a draw id). A record in a program belongs to the
// program's arena, a record nested in it through an OPK_RECORD element too.
struct ExprRecord {
  int32_t op = 0;
  int32_t count = 0;
  OperandValue* values = nullptr;  // count entries, freed with the record
  OperandKind* kinds = nullptr;    // count entries, freed with the record
};

// Statement kinds.
constexpr int32_t STMT_ASSIGN = 0;
constexpr int32_t STMT_OUTPUT = 3;

// An assignment (target: OPK_VAR index into m_stmtVars; expr: defining operand)
// or an output (targetKind OPK_NUMBER with the state-block count; expr: output record).
struct Statement {
  OperandValue target;
  OperandValue expr;
  int32_t stmtKind = STMT_ASSIGN;
  OperandKind targetKind = OPK_ZERO;
  OperandKind exprKind = OPK_ZERO;
};

// Identity of a cached series: storage kind and slot.
struct SeriesKey {
  OperandKind kind = OPK_ZERO;
  int32_t slot = 0;
};

// Record helpers. New records start with every element (OPK_ZERO, 0).
// Each returns null / false when memory runs out.
// A record no arena owns yet: the caller frees it with ReleaseRecord or hands
// it to an arena (ExprArena::Adopt). A program makes its records with
// m_arena.NewRecord instead.
ExprRecord* NewExprRecord(int32_t op, int32_t count);
bool AppendElement(ExprRecord* r, OperandKind kind, OperandValue value);
// Inserts before position pos (0..count); later elements move up by one.
bool InsertElement(ExprRecord* r, int32_t pos, OperandKind kind, OperandValue value);

// For records no arena owns: frees a record and every record nested in it,
// each exactly once.
void ReleaseRecord(ExprRecord* r);
// Frees the record tree of an OPK_RECORD operand; any other kind holds none.
void ReleaseOperand(OperandKind kind, OperandValue value);
// Frees a heap statement together with the record trees of its target and expr.
void ReleaseStatement(Statement* s);
// Frees one record and its element arrays, not the records nested in it.
void FreeOneRecord(ExprRecord* r);

class CCalculateInfo {
 public:
  CCalculateInfo();
  virtual ~CCalculateInfo();
  CCalculateInfo(const CCalculateInfo&) = delete;
  CCalculateInfo& operator=(const CCalculateInfo&) = delete;

  // Appends a variable record of m_arena to m_outputVars (toOutputs) or
  // m_stmtVars; returns its index, or -1 when it cannot be stored.
  int32_t AddVariable(ExprRecord* record, bool toOutputs);
  // Find-or-add in m_names: the index of name, appended with value when absent.
  int32_t FindOrAddName(const std::string& name, uint32_t value);

  // Output record of output i, or null (missing, not an output statement,
  // not a record, or without any OPK_FUNC_ID element).
  const ExprRecord* FindOutputRecord(int32_t i) const;
  // Series key of element k of an output record; false when it is not an
  // OPK_VAR into m_outputVars naming a non-empty variable record.
  bool FindOutputSeriesKey(const ExprRecord* output, int32_t k, SeriesKey* key) const;
  // Whether series `key` (storage kind 4 or 5) is computed over the whole
  // calculated range; false for any other kind.
  bool IsWholeRange(const SeriesKey& key) const;
  // Lists series `key` (storage kind 4 or 5) as computed over the whole
  // calculated range; any other kind is ignored.
  void MarkWholeRange(const SeriesKey& key);
  // Index in m_assignments of the first assignment whose target variable's
  // element 0 has this kind and 64-bit payload; -1 when none.
  int32_t FindDefiningAssignment(OperandKind kind, uint64_t payload) const;

  int32_t m_stateCounter;
  int32_t m_reserved;
  std::vector<float> m_paramValues;
  std::vector<uint32_t> m_nameValues;
  std::vector<std::string> m_names;
  std::vector<Statement*> m_assignments;
  std::vector<Statement*> m_outputs;
  std::vector<ExprRecord*> m_stmtVars;
  std::vector<ExprRecord*> m_outputVars;
  std::vector<std::string> m_texts;
  std::vector<int32_t> m_fieldIds;
  bool m_extendHistory;
  bool m_extendForward;
  bool m_recalcAll;
  // Output series (m_resetSlots4, storage kind 4) and variable series
  // (m_resetSlots5, kind 5) that are computed over the whole calculated range
  // and discarded on a reset, by slot (key and value both the slot).
  std::map<int32_t, int32_t> m_resetSlots4;
  std::map<int32_t, int32_t> m_resetSlots5;
  std::set<int32_t> m_resetStateBlocks;
  // Owns every record and statement the tables above refer to.
  ExprArena m_arena;
};

// The series key that names variable i of a variable table (element 0 of its
// record), or false for a bad index or a missing or empty record.
// Inline: every variable read of an evaluation asks it.
inline bool VariableKey(const std::vector<ExprRecord*>& table, int64_t i, SeriesKey* key) {
  if (key == nullptr || i < 0 || static_cast<uint64_t>(i) >= table.size()) return false;
  const ExprRecord* r = table[static_cast<size_t>(i)];
  if (r == nullptr || r->count < 1) return false;
  key->kind = r->kinds[0];
  key->slot = r->values[0].Int32();
  return true;
}
