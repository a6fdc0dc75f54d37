// abacor_reference_gen: writes docs/language.md and the command line's
// reference table from docs/reference/language.txt and the library's tables,
// and checks that the reference covers the language.
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>

#include "reference_data.h"

namespace {

constexpr char kUsage[] =
    "usage: abacor_reference_gen --data FILE [--markdown OUT] [--table OUT] [--pictures] [--examples]\n"
    "                            [--check] [--compare FILE]\n"
    "  --markdown OUT  write the reference as Markdown\n"
    "  --table OUT     write the C++ table of the abacor command line\n"
    "  --pictures      print NAME<TAB>formula for every drawing picture\n"
    "  --examples      print NAME<TAB>formula for every example\n"
    "  --check         fail when a keyword has no entry or an entry is wrong\n"
    "  --compare FILE  fail when FILE differs from the Markdown this data gives\n";

struct Options {
  std::string data, markdown, table, compare;
  bool pictures = false, examples = false, check = false;
};

// Options are "--name VALUE" or the flags --pictures, --examples and --check.
bool ParseOptions(int argc, char** argv, Options* o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--pictures") {
      o->pictures = true;
      continue;
    }
    if (a == "--examples") {
      o->examples = true;
      continue;
    }
    if (a == "--check") {
      o->check = true;
      continue;
    }
    if (i + 1 >= argc) return false;
    const std::string v = argv[++i];
    if (a == "--data")
      o->data = v;
    else if (a == "--markdown")
      o->markdown = v;
    else if (a == "--table")
      o->table = v;
    else if (a == "--compare")
      o->compare = v;
    else
      return false;
  }
  return !o->data.empty();
}

bool ReadFile(const std::string& path, std::string* text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  *text = s.str();
  return true;
}

// Writes only when the content changed, so that dependants are not rebuilt needlessly.
bool WriteFile(const std::string& path, const std::string& text) {
  std::string old;
  if (ReadFile(path, &old) && old == text) return true;
  std::ofstream out(path, std::ios::binary);
  out << text;
  return static_cast<bool>(out);
}

int Compare(const std::string& path, const std::string& generated) {
  std::string committed;
  if (!ReadFile(path, &committed)) {
    std::cerr << "abacor_reference_gen: cannot read " << path << "\n";
    return 1;
  }
  if (committed == generated) return 0;
  std::cerr << path << " is stale: regenerate it with\n"
            << "  cmake --build build --target language_reference\n";
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!ParseOptions(argc, argv, &o)) {
    std::cerr << kUsage;
    return 2;
  }
  std::string text, error;
  if (!ReadFile(o.data, &text)) {
    std::cerr << "abacor_reference_gen: cannot read " << o.data << "\n";
    return 2;
  }
  reference::Reference ref;
  if (!reference::ParseReference(text, &ref, &error)) {
    std::cerr << o.data << ": " << error << "\n";
    return 1;
  }
  reference::AddCompileErrors(&ref);
  const std::string markdown = reference::RenderMarkdown(ref);
  if (!o.markdown.empty() && !WriteFile(o.markdown, markdown)) return 2;
  if (!o.table.empty() && !WriteFile(o.table, reference::RenderCppTable(ref))) return 2;
  if (o.pictures) std::cout << reference::RenderPictureList(ref);
  if (o.examples) std::cout << reference::RenderExampleList(ref);
  int status = 0;
  std::vector<std::string> problems;
  if (o.check && !reference::CheckReference(ref, &problems)) {
    for (const std::string& p : problems) std::cerr << o.data << ": " << p << "\n";
    status = 1;
  }
  if (!o.compare.empty() && Compare(o.compare, markdown) != 0) status = 1;
  return status;
}
