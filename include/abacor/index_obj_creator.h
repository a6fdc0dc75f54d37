#pragma once
// The factory of parsers and calculators. Objects are created and released
// only here; a release takes the caller's pointer by address and nulls it.
#include "abacor/export.h"

class IIndexParser;
class IIndexCalculator;

class ABACOR_API IndexObjCreator {
 public:
  static IIndexParser* CreateIndexParserObj();
  static void ReleaseIndexParserObj(IIndexParser** pp);
  static IIndexCalculator* CreateIndexCalculatorObj();
  static void ReleaseIndexCalculatorObj(IIndexCalculator** pp);
};
