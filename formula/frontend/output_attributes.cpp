#include "formula/frontend/output_attributes.h"

void OutputAttributes::Reset(int32_t s) {
  if (s < 0) return;
  size_t need = static_cast<size_t>(s) + 1;
  if (styles_.size() < need) {
    styles_.resize(need, 0);
    lineWidths_.resize(need, 1);
    colours_.resize(need, kNoColour);
    colourSet_.resize(need, false);
    hidden_.resize(need, false);
  }
  styles_[s] = 0;
  lineWidths_[s] = 1;
  colours_[s] = kNoColour;
  colourSet_[s] = false;
  hidden_[s] = false;
}

void OutputAttributes::SetColour(int32_t s, uint32_t colour) {
  if (!Holds(s)) return;
  colours_[s] = colour;
  colourSet_[s] = true;
}

void OutputAttributes::SetLineWidth(int32_t s, int32_t width) {
  if (Holds(s)) lineWidths_[s] = width;
}

void OutputAttributes::SetStyle(int32_t s, int32_t style) {
  if (!Holds(s)) return;
  styles_[s] = style;
  hidden_[s] = false;
}

void OutputAttributes::Hide(int32_t s) {
  if (Holds(s)) hidden_[s] = true;
}
