#pragma once
// Keyword tests a host can run on a word, e.g. for formula-editor highlighting.
// They answer false for every word until the first compilation in the process
// has built the keyword tables.
#include <string>

#include "abacor/export.h"

class ABACOR_API CParserHelper {
 public:
  // A function keyword, or a data field.
  static bool IsFunc(const std::string& word);
  // A data field such as CLOSE.
  static bool IsParamIndex(const std::string& word);
  // A style, colour or line-width keyword, LINETHICKn, or an 11-character COLORxxxxxx.
  static bool IsConst(const std::string& word);
};
