// The calculator half of IndexObjCreator.
#include <new>

#include "abacor/index_obj_creator.h"
#include "formula/eval/index_calculator.h"

IIndexCalculator* IndexObjCreator::CreateIndexCalculatorObj() {
  try {
    return new (std::nothrow) CIndexCalculator();
  } catch (...) {
    return nullptr;
  }
}

void IndexObjCreator::ReleaseIndexCalculatorObj(IIndexCalculator** pp) {
  if (pp == nullptr) return;
  IIndexCalculator* p = *pp;
  *pp = nullptr;
  // Only a calculator made by this library is destroyed here.
  delete dynamic_cast<CIndexCalculator*>(p);
}
