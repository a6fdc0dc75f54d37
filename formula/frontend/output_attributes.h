#pragma once
// OutputAttributes: how each output is drawn, by output index: style, line
// width, colour (with whether one was given) and the hidden flag. The five
// lists always have one entry per output that has attributes.
#include <cstddef>
#include <cstdint>
#include <vector>

class OutputAttributes {
 public:
  // Gives output s the defaults (style 0, width 1, no colour, shown), making room for it.
  void Reset(int32_t s);
  // Each setter is ignored for an output without attributes.
  void SetColour(int32_t s, uint32_t colour);
  void SetLineWidth(int32_t s, int32_t width);
  // A style shows the output again.
  void SetStyle(int32_t s, int32_t style);
  void Hide(int32_t s);
  bool Holds(int32_t s) const { return s >= 0 && static_cast<size_t>(s) < styles_.size(); }

  const std::vector<int32_t>& lineWidths() const { return lineWidths_; }
  const std::vector<int32_t>& styles() const { return styles_; }
  const std::vector<uint32_t>& colours() const { return colours_; }
  const std::vector<bool>& colourSet() const { return colourSet_; }
  const std::vector<bool>& hidden() const { return hidden_; }

 private:
  std::vector<int32_t> lineWidths_;
  std::vector<int32_t> styles_;
  std::vector<uint32_t> colours_;
  std::vector<bool> colourSet_;
  std::vector<bool> hidden_;
};

// The colour of an output that was given none.
constexpr uint32_t kNoColour = 0xFFFFFFFFu;
