#include "formula/eval/style_names.h"

#include <algorithm>
#include <string>

namespace {

constexpr bool IsSortedByName() {
  for (int32_t i = 1; i < STYLE_NAME_COUNT; ++i) {
    if (!(std::string_view(StyleNameTable[i - 1].name) < std::string_view(StyleNameTable[i].name))) return false;
  }
  return true;
}
static_assert(IsSortedByName(), "style names are sorted and unique");

}  // namespace

bool LookupStyleName(std::string_view name, uint32_t* code) {
  if (code != nullptr) *code = 0;
  std::string upper(name);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  const StyleName* end = StyleNameTable + STYLE_NAME_COUNT;
  const StyleName* it = std::lower_bound(StyleNameTable, end, std::string_view(upper),
                                         [](const StyleName& e, std::string_view n) { return e.name < n; });
  if (it == end || std::string_view(it->name) != upper) return false;
  if (code != nullptr) *code = it->code;
  return true;
}
