#pragma once
// An optional second face of a data provider, for hosts that keep their bars
// in arrays. A provider that also derives from IIndexBulkDataProvider is found
// by the calculator (dynamic_cast on the IIndexDataProvider it was given) and
// asked once per calculation for whole columns of the per-bar fields the
// formula reads; those bars are then read straight from the columns instead
// of through GetFieldValue. Results are the same bit for bit: a cell that is
// not a finite number reads as no value, as a failed GetFieldValue does.
#include <cstdint>

#include "abacor/export.h"

class ABACOR_API IIndexBulkDataProvider {
 public:
  virtual ~IIndexBulkDataProvider() = default;

  // The values of per-bar field fieldId (1 to 500) for bars 0 to count - 1,
  // laid out one after the other; null when the host has no such column
  // (those reads then go through GetFieldValue). The cells must hold what
  // GetFieldValue would give (NaN where it would fail) and stay readable
  // and unchanged while the calculation that asked runs.
  virtual const double* GetFieldColumn(int32_t fieldId, int32_t count) = 0;
};
