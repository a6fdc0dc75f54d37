#pragma once
// Parser and calculator objects owned by a test: released through the
// library's factory when they go out of scope.
#include <memory>

#include "abacor/index_calculator.h"
#include "abacor/index_obj_creator.h"
#include "abacor/index_parser.h"

struct ParserDeleter {
  void operator()(IIndexParser* p) const { IndexObjCreator::ReleaseIndexParserObj(&p); }
};
struct CalcDeleter {
  void operator()(IIndexCalculator* p) const { IndexObjCreator::ReleaseIndexCalculatorObj(&p); }
};
using ParserPtr = std::unique_ptr<IIndexParser, ParserDeleter>;
using CalcPtr = std::unique_ptr<IIndexCalculator, CalcDeleter>;
