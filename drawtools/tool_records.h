#pragma once
// Records and label texts shared by the ratio, pattern, range and marker
// tools: the tool's colour and width with a literal line style, the level
// label record, the fill record and the stream formatting of numbers.
#include <string>
#include <vector>

#include "abacor/draw_info.h"
#include "abacor/graph_shape.h"

namespace TarnToolRecords {

// Grey of the host-supplied guide lines of the formations.
constexpr uint32_t kGuideGrey = 0xFFA9A9A9u;
// Alignment of every label written beside its point.
constexpr int32_t kLabelAlignment = TarnDrawInfo::ALIGN_BESIDE_POINT;
constexpr float kLabelFontSize = 12.0f;

// GetCurve with the tool's line colour and width and the given style.
TarnDrawInfo::CurveDrawInfo StyledCurve(ITarnGraphShapeBase& tool, TarnDrawInfo::LINE_STYLE style);
// GetCurve with the tool's line colour, width and own line style.
TarnDrawInfo::CurveDrawInfo ToolCurve(ITarnGraphShapeBase& tool);
// Solid fill in the tool's fill colour.
TarnDrawInfo::CurveDrawInfo FillCurve(ITarnGraphShapeBase& tool);
// The grey dashed guide record (width 1).
TarnDrawInfo::CurveDrawInfo GuideCurve();
// Labels beside points: line colour, size 12, alignment 0x11, default font.
TarnDrawInfo::TextDrawInfo LabelText(ITarnGraphShapeBase& tool);

// One drawing holding one curve record with one line through `points`.
TarnDrawInfo::GraphDrawInfo LineDrawing(const TarnDrawInfo::CurveDrawInfo& curve,
                                        const std::vector<TarnDrawInfo::TarnPoint>& points, bool extendStart,
                                        bool extendEnd);

// A number as a fresh stream writes it: general notation, 6 significant
// digits.
std::string FormatGeneral(double value);
std::string FormatGeneral(float value);
// Fixed notation with the given number of decimals.
std::string FormatFixed(double value, int decimals);

// The float midpoint of two bar positions and the double midpoint of two
// prices.
TarnDrawInfo::TarnPoint Midpoint(const TarnDrawInfo::TarnPoint& a, const TarnDrawInfo::TarnPoint& b);

}  // namespace TarnToolRecords
