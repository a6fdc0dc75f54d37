// The parser half of IndexObjCreator.
#include <new>

#include "abacor/index_obj_creator.h"
#include "formula/frontend/index_parser.h"

IIndexParser* IndexObjCreator::CreateIndexParserObj() { return new (std::nothrow) CIndexParser(); }

void IndexObjCreator::ReleaseIndexParserObj(IIndexParser** pp) {
  if (pp == nullptr) return;
  IIndexParser* parser = *pp;
  *pp = nullptr;
  // Only objects of this library are destroyed; anything else is left alone.
  delete dynamic_cast<CIndexParser*>(parser);
}
