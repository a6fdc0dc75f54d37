// abacor functions [NAME]: the language reference of one keyword, or every
// function by family.
#include <cstdio>
#include <sstream>
#include <string>

#include "cli_commands.h"
#include "function_reference.h"

namespace abacor_host {
namespace {

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

bool HasName(const FunctionReference& entry, const std::string& upperName) {
  std::istringstream names(entry.names);
  std::string n;
  while (names >> n)
    if (n == upperName) return true;
  return false;
}

// The main name of an entry: its first word.
std::string MainName(const FunctionReference& entry) {
  std::istringstream names(entry.names);
  std::string n;
  names >> n;
  return n;
}

// Every function and drawing function, one family per paragraph, names wrapped at 78 columns.
void PrintFamilies() {
  const FunctionReference* entries = FunctionReferenceEntries();
  std::string family, line;
  for (size_t i = 0; i < FunctionReferenceCount(); ++i) {
    if (!entries[i].function) continue;
    if (family != entries[i].family) {
      if (!line.empty()) std::printf("%s\n\n", line.c_str());
      family = entries[i].family;
      std::printf("%s\n", family.c_str());
      line = " ";
    }
    const std::string name = MainName(entries[i]);
    if (line.size() + 1 + name.size() > 78) {
      std::printf("%s\n", line.c_str());
      line = " ";
    }
    line += " " + name;
  }
  if (!line.empty()) std::printf("%s\n\n", line.c_str());
  std::printf("abacor functions NAME prints one entry; docs/language.md has them all.\n");
}

}  // namespace

int FunctionsCommand(int argc, char** argv) {
  if (argc > 3) return Fail("functions takes at most one NAME");
  if (argc == 2) {
    PrintFamilies();
    return 0;
  }
  const std::string name = Upper(argv[2]);
  const FunctionReference* entries = FunctionReferenceEntries();
  for (size_t i = 0; i < FunctionReferenceCount(); ++i) {
    if (!HasName(entries[i], name)) continue;
    std::fputs(entries[i].text, stdout);
    return 0;
  }
  return Fail("\"" + std::string(argv[2]) +
              "\" is no keyword of the formula language; "
              "abacor functions lists the functions");
}

}  // namespace abacor_host
