#include "formula/eval/expr_arena.h"

#include <new>

#include "formula/eval/calculate_info.h"

namespace {

// The records of a tree, parent before children, walked with a work list so
// that nesting depth never reaches the call stack.
bool CollectTree(ExprRecord* tree, std::vector<ExprRecord*>* out) {
  try {
    std::vector<ExprRecord*> pending{tree};
    while (!pending.empty()) {
      ExprRecord* current = pending.back();
      pending.pop_back();
      out->push_back(current);
      for (int32_t i = 0; i < current->count && current->kinds != nullptr; ++i) {
        if (current->kinds[i] != OPK_RECORD) continue;
        ExprRecord* child = current->values[i].Record();
        if (child != nullptr) pending.push_back(child);
      }
    }
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

}  // namespace

ExprArena::ExprArena() = default;

ExprArena::~ExprArena() {
  for (ExprRecord* r : m_records) FreeOneRecord(r);
}

ExprRecord* ExprArena::NewRecord(int32_t op, int32_t count) {
  try {
    m_records.reserve(m_records.size() + 1);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  ExprRecord* r = NewExprRecord(op, count);
  if (r != nullptr) m_records.push_back(r);
  return r;
}

Statement* ExprArena::NewStatement() {
  try {
    m_statements.push_back(std::make_unique<Statement>());
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  return m_statements.back().get();
}

bool ExprArena::Adopt(ExprRecord* tree) {
  if (tree == nullptr) return true;
  std::vector<ExprRecord*> records;
  if (!CollectTree(tree, &records)) return false;
  try {
    m_records.reserve(m_records.size() + records.size());
  } catch (const std::bad_alloc&) {
    return false;
  }
  m_records.insert(m_records.end(), records.begin(), records.end());
  return true;
}
