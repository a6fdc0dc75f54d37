// Records and label texts shared by several tool families.
#include "drawtools/tool_records.h"

#include <ios>
#include <sstream>

#include "drawtools/draw_info_builder.h"

namespace TarnToolRecords {

using namespace TarnDrawInfo;

CurveDrawInfo StyledCurve(ITarnGraphShapeBase& tool, LINE_STYLE style) {
  return GetCurve(tool.GetLineColor(), static_cast<float>(tool.GetLineWidth()), style);
}

CurveDrawInfo ToolCurve(ITarnGraphShapeBase& tool) { return StyledCurve(tool, tool.GetDrawLineStyle()); }

CurveDrawInfo FillCurve(ITarnGraphShapeBase& tool) { return GetCurveFill(tool.GetFillColor(), FILL_STYLE_SOLID); }

CurveDrawInfo GuideCurve() { return GetCurve(GetColorByValue(kGuideGrey), 1.0f, LINE_STYLE_DASH); }

TextDrawInfo LabelText(ITarnGraphShapeBase& tool) {
  return GetText(tool.GetLineColor(), kLabelFontSize, kLabelAlignment, std::string(), 0);
}

GraphDrawInfo LineDrawing(const CurveDrawInfo& curve, const std::vector<TarnPoint>& points, bool extendStart,
                          bool extendEnd) {
  GraphDrawInfo info;
  GraphDrawInfoBuilder builder(&info);
  const int id = builder.AddCurve(curve);
  builder.AddCurveLine(id, points, extendStart, extendEnd);
  return info;
}

std::string FormatGeneral(double value) {
  std::ostringstream out;
  out << value;
  return out.str();
}

std::string FormatGeneral(float value) {
  std::ostringstream out;
  out << value;
  return out.str();
}

std::string FormatFixed(double value, int decimals) {
  std::ostringstream out;
  out << std::fixed;
  out.precision(decimals);
  out << value;
  return out.str();
}

TarnPoint Midpoint(const TarnPoint& a, const TarnPoint& b) { return TarnPoint{(a.x + b.x) * 0.5f, (a.y + b.y) * 0.5}; }

}  // namespace TarnToolRecords
