#pragma once
// Splits a fuzz input into a formula text and the bytes that drive the rest
// of the run: "text \0 driver bytes". An input without a NUL is all text, so
// plain formula files serve as seeds unchanged.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

struct FuzzSplit {
  std::string text;
  const uint8_t* rest = nullptr;
  size_t restSize = 0;
};

inline FuzzSplit SplitFuzzInput(const uint8_t* data, size_t size) {
  FuzzSplit out;
  const void* nul = size == 0 ? nullptr : std::memchr(data, 0, size);
  const size_t textSize = nul == nullptr ? size : static_cast<size_t>(static_cast<const uint8_t*>(nul) - data);
  out.text.assign(reinterpret_cast<const char*>(data), textSize);
  if (nul != nullptr) {
    out.rest = data + textSize + 1;
    out.restSize = size - textSize - 1;
  }
  return out;
}
