#pragma once
// The language reference behind `abacor functions`: one row per entry of
// docs/reference/language.txt, generated at build time.
#include <cstddef>

namespace abacor_host {

struct FunctionReference {
  const char* names;   // upper case, separated by spaces; the first is the main name
  const char* family;  // the section of the reference it stands in
  bool function;       // a function or drawing function (not an attribute, field or operator)
  const char* text;    // the entry as plain text, ending in a line break
};

const FunctionReference* FunctionReferenceEntries();
size_t FunctionReferenceCount();

}  // namespace abacor_host
