#pragma once
// Draw output: turns the published series of a formula's visible outputs
// into one GraphDrawInfo per output, one builder per draw form.
//
// Everything here reads published results only (the read store and the read
// price snapshot), so a chart thread may build drawings while a worker
// calculates; the caller holds the calculator's read lock.
#include <cstdint>
#include <set>
#include <vector>

#include "abacor/draw_info.h"

class CCalculateInfo;
class IIndexParser;
class PriceSnapshot;
class SeriesStore;

// The published results of one calculator, as the builders see them.
struct DrawSource {
  CCalculateInfo* program = nullptr;        // the parser's current program
  IIndexParser* parser = nullptr;           // output colour, thickness and hidden flag
  SeriesStore* readStore = nullptr;         // published series
  const PriceSnapshot* snapshot = nullptr;  // published prices; null when no output colours by them
  bool ready = false;                       // results are published and a data provider is set
};

// Fills out with the drawings of the visible outputs over bars first..last
// (already clipped to the instrument's bars by the caller), thinning by step.
// Outputs in hidden, flagged hidden by the parser, without an output record
// or of a form that draws nothing are skipped. Returns false only when the
// source has no program or parser.
bool BuildDrawInfo(const DrawSource& source, int32_t first, int32_t last, int32_t step, const std::set<int32_t>& hidden,
                   std::vector<TarnDrawInfo::GraphDrawInfo>& out);

// Destroys the records and frees the vector's storage.
void ReleaseDrawRecords(std::vector<TarnDrawInfo::GraphDrawInfo>& records);
