#include "abacor/parser_helper.h"

#include <cctype>

#include "formula/frontend/keyword_tables.h"

namespace {

std::string ToLower(const std::string& word) {
  std::string lower(word);
  for (char& ch : lower) {
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
  }
  return lower;
}

bool IdIn(const std::string& word, int32_t first, int32_t last) {
  int32_t id = LookupKeyword(ToLower(word));
  return id >= first && id <= last;
}

}  // namespace

bool CParserHelper::IsFunc(const std::string& word) {
  if (!KeywordTablesBuilt()) return false;
  return IdIn(word, 8000, 8999) || IsParamIndex(word);
}

bool CParserHelper::IsParamIndex(const std::string& word) {
  if (!KeywordTablesBuilt()) return false;
  return IdIn(word, 9500, 9999);
}

bool CParserHelper::IsConst(const std::string& word) {
  if (!KeywordTablesBuilt()) return false;
  if (IdIn(word, 9010, 9499)) return true;
  // The word as passed, case-sensitive: LINETHICKn or an 11-byte COLORxxxxxx.
  if (word.size() == 10 && word.compare(0, 9, "LINETHICK") == 0 && word[9] >= '1' && word[9] <= '9') {
    return true;
  }
  return word.size() == 11 && word.compare(0, 5, "COLOR") == 0;
}
