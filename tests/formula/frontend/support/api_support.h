#pragma once
// Helpers for tests that use only the exported parser interface.
#include <abacor/index_obj_creator.h>
#include <abacor/index_parser.h>

#include <string>
#include <vector>

// A parser object from the factory, released at the end of the scope.
class ParserHandle {
 public:
  ParserHandle() : parser_(IndexObjCreator::CreateIndexParserObj()) {}
  ~ParserHandle() { IndexObjCreator::ReleaseIndexParserObj(&parser_); }
  ParserHandle(const ParserHandle&) = delete;
  ParserHandle& operator=(const ParserHandle&) = delete;
  IIndexParser* operator->() const { return parser_; }
  IIndexParser* get() const { return parser_; }

 private:
  IIndexParser* parser_;
};

// Everything a compilation reports through the interface, for comparisons.
struct CompileSummary {
  bool ok = false;
  ParseErrorInfo error{};
  int32_t outputs = -1;
  std::vector<std::string> names;
  std::vector<int64_t> colours;  // -1: no colour
  std::vector<int32_t> widths;
  std::vector<int32_t> drawTypes;  // -1: none
  std::vector<int32_t> hidden;
  std::vector<int32_t> needKinds;
  std::vector<float> needAmounts;
  std::vector<std::vector<int32_t>> outputParams;
  bool flags[3] = {false, false, false};

  bool operator==(const CompileSummary& o) const;
};

CompileSummary Summarise(IIndexParser* parser, bool ok);
