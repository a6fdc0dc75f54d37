#pragma once
// Geometry shared by the drawing tools. Every conversion goes through the
// checked wrappers: a missing coordinate object, a refused conversion and a
// non-finite answer all count as failure and leave the output untouched.
#include <vector>

#include "abacor/draw_info.h"
#include "abacor/graph_shape.h"

namespace TarnGeometry {

using TarnDrawInfo::TarnPoint;

constexpr float kFloatEpsilon = 1.1920929e-07f;
constexpr float kFloatMax = 3.4028235e+38f;

bool PixelToPrice(ITarnGraphCoordinate* coord, float py, double* price);
bool PriceToPixel(ITarnGraphCoordinate* coord, double price, float* py);
bool PixelToBar(ITarnGraphCoordinate* coord, float px, float* x);
bool BarToPixel(ITarnGraphCoordinate* coord, float x, float* px);
bool BarToTime(ITarnGraphCoordinate* coord, float x, int* time);
bool GetMaxPrice(ITarnGraphCoordinate* coord, double* price);
bool GetMinPrice(ITarnGraphCoordinate* coord, double* price);
bool GetPlotBottom(ITarnGraphCoordinate* coord, float* py);
bool GetPriceUnit(ITarnGraphCoordinate* coord, double* unit);
bool GetBarWidth(ITarnGraphCoordinate* coord, float* pixels);

// Both pixel coordinates of a chart point, or false.
bool ToPixels(ITarnGraphCoordinate* coord, float x, double y, float* px, float* py);

// The pixel positions of the two ends of a segment.
struct PixelSegment {
  float x0 = 0.0f;
  float y0 = 0.0f;
  float x1 = 0.0f;
  float y1 = 0.0f;
};

// Both ends of a-b in pixels, or false.
bool ToPixels(ITarnGraphCoordinate* coord, const TarnPoint& a, const TarnPoint& b, PixelSegment* segment);

// The chart point of a pixel position (bar and price), or false.
bool FromPixels(ITarnGraphCoordinate* coord, float px, float py, TarnPoint* point);

// Whether a point is placed and finite (drawable).
bool IsDrawable(const TarnPoint& p);

// The point that makes c-result parallel to a-b: bars in bars, prices in
// pixel rows, so it also holds on a non-linear price scale.
bool ParallelPoint(ITarnGraphCoordinate* coord, const TarnPoint& a, const TarnPoint& b, const TarnPoint& c,
                   TarnPoint* result);

// Meeting point of the infinite lines a-b and c-d in chart coordinates
// (single precision); false for parallel lines or two vertical ones.
bool LineIntersection(const TarnPoint& a, const TarnPoint& b, const TarnPoint& c, const TarnPoint& d,
                      TarnPoint* result);

// The pixel position at the same distance from (ox, oy) as (mx, my), in the
// nearest multiple of 45 degrees. False when the two lie within single
// precision epsilon of each other horizontally.
bool SnapToAngle(float mx, float my, float ox, float oy, float* tx, float* ty);

// The nearest whole bar, floor(x + 0.5).
float RoundToWholeBar(float x);

}  // namespace TarnGeometry
