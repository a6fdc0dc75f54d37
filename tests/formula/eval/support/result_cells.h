#pragma once
// Everything a host can read back from a calculator after publishing, as a
// flat list of 64-bit cells, so two calculations can be compared bit for bit
// (a NaN equals a NaN with the same bits, 0.0 differs from -0.0).
#include <cstdint>
#include <string>
#include <vector>

class IIndexCalculator;

enum class ResultPart : int32_t {
  kOutput,    // GetOutputValues: output, bar
  kArgument,  // GetOutputArgValue of a drawing output: output * 16 + arg, bar
  kRange,     // GetValueRange over all bars: 0 min / 1 max, flag
  kDrawing,   // GetDrawInfo over all bars: record, running field number
};

struct ResultCell {
  ResultPart part = ResultPart::kOutput;
  int32_t key = 0;
  int32_t index = 0;
  uint64_t bits = 0;
};

// The published results of bars 0..bars-1 of a calculator whose program has
// `outputs` outputs.
std::vector<ResultCell> PublishedCells(IIndexCalculator& calc, int32_t outputs, int32_t bars);

// Where two cell lists first differ, in words; empty when they are equal.
std::string FirstDifference(const std::vector<ResultCell>& a, const std::vector<ResultCell>& b);
