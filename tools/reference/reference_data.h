#pragma once
// The language reference: the prose of docs/reference/language.txt joined
// with the facts of the library's own tables (keywords, argument counts,
// look-ahead flags), rendered as Markdown for docs/language.md and as a
// compiled table for `abacor functions`.
#include <cstdint>
#include <string>
#include <vector>

namespace reference {

// What a keyword is, from its token id.
enum class KeywordKind { Operator, Function, DrawFunction, Style, Colour, LineWidth, Field, Other };

// One entry of the data file: the keywords it documents and its fields.
struct Entry {
  std::vector<std::string> names;  // upper case; the first is the main name
  std::string section;             // the section (family) it stands in
  std::string args;                // "X, N": argument names separated by commas
  std::string does;                // what it computes
  std::string novalue;             // when it gives no value
  std::string example;             // a formula that compiles
  std::string note;                // a surprise worth knowing
  std::string picture;             // for drawing functions: the pane formula of its picture
  int32_t line = 0;                // line of the data file where the entry starts
};

// One error code of the compiler with the host's message and a typical cause.
struct ErrorCode {
  int32_t code = 0;
  std::string message;
  std::string cause;
};

// A heading of the document with its introduction and its entries.
struct Section {
  std::string title;
  std::string intro;             // Markdown, kept as written
  std::vector<int32_t> entries;  // indexes into Reference::entries
};

struct Reference {
  std::vector<Section> sections;
  std::vector<Entry> entries;
  std::vector<ErrorCode> errors;
  std::string errorSource;  // where the error messages come from, for the document
};

// Facts about one keyword from the library's tables.
struct KeywordFacts {
  std::string word;  // upper case
  int32_t id = 0;
  int32_t argCount = -1;
  KeywordKind kind = KeywordKind::Other;
  bool looksAhead = false;  // the function's value on a bar can depend on later bars
  bool wholeRange = false;  // the function reads the whole calculated range
  bool recursive = false;   // the function depends on every earlier bar
  uint32_t colour = 0;      // named colours: 0xAABBGGRR
};

// Every keyword of the language, in table order.
std::vector<KeywordFacts> LanguageKeywords();
// The facts of one keyword (upper or lower case); false when it is none.
bool FindKeyword(const std::string& word, KeywordFacts* facts);

// Parses the data file text. Rules:
//   "# ..." at the start of a line is a comment;
//   "== Title" opens a section, whose following lines up to its first entry are its introduction;
//   "@ NAME [ALIAS...]" opens an entry in the current section;
//   "key: text" sets a field of the entry; a line starting with a space continues it;
//   "! CODE" opens an error code, with the fields "message:" and "cause:".
bool ParseReference(const std::string& text, Reference* out, std::string* error);

// Coverage and consistency: every keyword has exactly one entry, every entry
// names only keywords, functions have their argument names, description and an
// example that compiles. Each problem is one line of *problems.
bool CheckReference(const Reference& ref, std::vector<std::string>* problems);

// Fills ref->errors with the compiler's error codes and the host's messages.
void AddCompileErrors(Reference* ref);

// The whole of docs/language.md.
std::string RenderMarkdown(const Reference& ref);
// One entry as plain text for a terminal.
std::string RenderPlainEntry(const Reference& ref, const Entry& entry);
// A C++ source with the table the command line embeds.
std::string RenderCppTable(const Reference& ref);
// "NAME<TAB>formula" lines of the entries that have a picture.
std::string RenderPictureList(const Reference& ref);
// "NAME<TAB>formula" lines of the entries' examples.
std::string RenderExampleList(const Reference& ref);

// The file name (without folder) of an entry's picture.
std::string PictureFile(const Entry& entry);

}  // namespace reference
