#pragma once
// The intermediate-script writer: prints the analysed token streams of a
// formula as assignment lines, output descriptors and draw calls. It reads the
// token stream and the output attributes, registers the extra variables of
// draw calls among the names, and fills the script output.
#include <cstdint>
#include <string>
#include <vector>

#include "formula/frontend/formula_token_list.h"
#include "formula/frontend/name_tables.h"
#include "formula/frontend/output_attributes.h"
#include "formula/frontend/script_output.h"

class ScriptWriter {
 public:
  ScriptWriter(const FormulaTokenList& tokens, const OutputAttributes& attributes, NameTables& names,
               ScriptOutput& output)
      : tokens_(tokens), attributes_(attributes), names_(names), out_(output) {}

  // Dry run, then final run; fills the summary lists and returns the script (also kept in
  // the output). Errors go to scriptErrors.
  std::string WriteScript();
  // Writes formula tokens first..last (inclusive). In the final run the
  // statement ends with ";" CR LF, its descriptor and extra-variable lines.
  std::string WriteStatement(int32_t first, int32_t last, int32_t outputCursor, bool final);
  std::string WriteOutputDescriptor(int32_t n) const;

 private:
  // Writes the draw call at index k; returns the index where the walk goes on.
  int32_t WriteDrawCall(int32_t k, int32_t last, int32_t s, bool final, std::string& out,
                        std::vector<std::string>& extraLines);
  // End (inclusive) of the draw-call argument that starts at `from`.
  int32_t ArgumentEnd(int32_t from, int32_t last) const;
  std::string WrittenForm(int32_t id) const;
  void WriteUnwritable(int32_t k, std::string& out);
  std::string NewDrawVariable();
  // Both runs; the final run's script, or an empty text when the dry run met an error.
  std::string WriteBothRuns();
  void FillSummaries();

  const FormulaTokenList& tokens_;
  const OutputAttributes& attributes_;
  NameTables& names_;
  ScriptOutput& out_;
};

// "RGB(r,g,b)" of a stored colour, or "RGB(254,254,254)" when its top bit is set.
std::string ColourText(uint32_t colour);
// The style word a draw call carries for a style number.
const char* DrawStyleWord(int32_t style);
