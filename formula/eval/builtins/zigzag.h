#pragma once
// The zigzag family: ZIG, ZIGA, PEAK, PEAKBARS, TROUGH and TROUGHBARS, and
// the steps they share. Each fills a whole-range array over the calculated
// range once and then answers every bar from it.
#include <cstdint>
#include <vector>

#include "formula/eval/calc_context.h"

int32_t BuiltinZig(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinZigA(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinPeak(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinPeakBars(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinTrough(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);
int32_t BuiltinTroughBars(const ExprRecord* call, double* out, CalcContext* ctx, int32_t offset);

// A turning point of a zigzag: a bar and its value.
struct ZigzagPoint {
  int32_t bar;
  double value;
};

// How far a move must go to count: N percent (ZIG and the peaks) or N itself (ZIGA).
struct ZigzagThreshold {
  double amount;
  bool percent;

  double Up(double x) const { return percent ? x * (1.0 + amount / 100.0) : x + amount; }
  double Down(double x) const { return percent ? x * (1.0 - amount / 100.0) : x - amount; }
};

// Element `element` of the call has a value at bar ctx->bar - offset and the
// same value (within VALUE_EPSILON) on every bar first..last; that value in *value.
int32_t IsConstantOverRange(const ExprRecord* call, CalcContext* ctx, int32_t offset, int32_t element, int32_t first,
                            int32_t last, double* value, bool* constant);

// Fills cells first..last with the zigzag source K (element 2): a number or
// parameter 0..3 selects OPEN, HIGH, LOW or CLOSE from the provider, anything
// else is evaluated per bar. *f..*l is the first unbroken run of bars with a
// value; *found is false when K is out of range or no bar has a value.
// A selector that rounds outside 0..3 is a fault.
int32_t LoadZigzagSource(const ExprRecord* call, CalcContext* ctx, int32_t offset, double* cells, int32_t first,
                         int32_t last, int32_t* f, int32_t* l, bool* found);

// The turning points of v[f..l]; empty when the values never move by the threshold.
void FindTurningPoints(const double* v, int32_t f, int32_t l, const ZigzagThreshold& threshold,
                       std::vector<ZigzagPoint>* points);

// Joins consecutive points with straight lines in v; the points keep their values.
void FillFromTurningPoints(const std::vector<ZigzagPoint>& points, double* v);
