#pragma once
// The owner of every expression record and statement of one compiled program.
// Records are made here and grow in place (AppendElement, InsertElement); the
// arena frees them all, each exactly once, when it goes. Nothing is freed one
// by one, so a translation that fails half-way leaves its partial records to
// the arena instead of releasing them on every error path.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

struct ExprRecord;
struct Statement;

class ExprArena {
 public:
  ExprArena();
  ~ExprArena();
  ExprArena(const ExprArena&) = delete;
  ExprArena& operator=(const ExprArena&) = delete;

  // A record with `count` elements (OPK_ZERO, 0); null when memory runs out.
  ExprRecord* NewRecord(int32_t op, int32_t count);
  // An empty assignment statement; null when memory runs out.
  Statement* NewStatement();
  // Takes over a record made by NewExprRecord together with every record
  // nested in it; false when memory runs out, and the tree stays the caller's.
  bool Adopt(ExprRecord* tree);

  // Number of records owned.
  size_t RecordCount() const { return m_records.size(); }

 private:
  std::vector<ExprRecord*> m_records;
  std::vector<std::unique_ptr<Statement>> m_statements;
};
