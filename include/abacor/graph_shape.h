#pragma once
// The drawing-tool interface and the host's coordinate object.
#include <cstdint>
#include <string>
#include <vector>

#include "abacor/draw_info.h"
#include "abacor/export.h"
#include "abacor/graph_interface.h"

// Settings records of the Fibonacci time zones and the golden section.
struct stFibTimeZoneSettings;
struct stGoldenSectionSettings;

// An anchor point: x bar position (negative: not placed), y price, time the
// host's time value of the bar at x.
struct TarnGraphPoint {
  float x = 0.0f;
  double y = 0.0;
  int32_t time = 0;
};

struct ABACOR_API TarnGraphPointVec {
  TarnGraphPointVec() = default;
  TarnGraphPointVec(const std::vector<TarnGraphPoint>& points) : points_(points) {}  // NOLINT: implicit on purpose
  const std::vector<TarnGraphPoint>& GetPoint() const { return points_; }
  void SetPoint(const std::vector<TarnGraphPoint>& points) { points_ = points; }

 private:
  std::vector<TarnGraphPoint> points_;
};

// Implemented by the host for each chart pane. Every operation returns false
// when the conversion is not possible and then leaves its output untouched.
// Pixel rows grow downwards.
class ITarnGraphCoordinate {
 public:
  virtual bool PixelToPrice(float py, double* price) = 0;
  virtual bool PriceToPixel(double price, float* py) = 0;
  virtual bool PixelToBar(float px, float* x) = 0;
  virtual bool BarToPixel(float x, float* px) = 0;
  virtual bool BarToTime(float x, int* time) = 0;
  // Host's own service; the library never calls it.
  virtual bool TimeToBar(int time, float* x) = 0;
  virtual bool GetPlotBottom(float* py) = 0;
  virtual bool GetMaxPrice(double* price) = 0;
  virtual bool GetMinPrice(double* price) = 0;
  virtual bool GetPriceUnit(double* unit) = 0;
  virtual bool GetBarWidth(float* pixels) = 0;
  // Lets the host place anchor `pointIndex` of a tool of `graphType` itself;
  // false declines.
  virtual bool SnapPoint(float px, float py, int graphType, int pointIndex, TarnGraphPoint* point) = 0;
  virtual ~ITarnGraphCoordinate() = default;
};

// One interactive drawing tool. Created and released by TarnGraphInterface.
class ABACOR_API ITarnGraphShapeBase {
 public:
  virtual void SetLineWidth(int width) = 0;
  virtual void SetLineStyle(int style) = 0;
  virtual void SetLineColor(TarnDrawInfo::TarnColor color) = 0;
  virtual void SetFillColor(TarnDrawInfo::TarnColor color) = 0;
  virtual void SetTextBoxColor(TarnDrawInfo::TarnColor color) = 0;
  virtual void SetText(const std::string& text) = 0;
  virtual void SetFontSize(int size) = 0;
  virtual void SetFontStyle(int style) = 0;
  virtual void SetTextColor(TarnDrawInfo::TarnColor color) = 0;
  virtual void SetTextBoxWidth(int width) = 0;
  virtual void SetFontName(const std::string& name) = 0;
  virtual void SetTextFrameColor(TarnDrawInfo::TarnColor color) = 0;
  virtual void SetHostFlagA(bool flag) = 0;
  virtual void SetAngleSnap(bool snap) = 0;
  virtual void SetHostFlagB(bool flag) = 0;
  virtual bool SetPoints(const std::vector<TarnGraphPoint>& points) = 0;
  virtual bool SetExtraPoints(const std::vector<TarnGraphPoint>& points) = 0;
  virtual void SetCoordinate(ITarnGraphCoordinate* coordinate) = 0;
  // Settings of the tools that have them; other tools ignore these calls.
  virtual void SetToolSettings(const stFibTimeZoneSettings* settings) = 0;
  virtual void SetToolSettings(const stGoldenSectionSettings* settings) = 0;
  virtual void GetToolSettings(stFibTimeZoneSettings* settings) = 0;
  virtual void GetToolSettings(stGoldenSectionSettings* settings) = 0;
  virtual TARN_GRAPH_TYPE GetGraphType() = 0;
  virtual int GetLineWidth() = 0;
  virtual int GetLineStyle() = 0;
  virtual TarnDrawInfo::LINE_STYLE GetDrawLineStyle() = 0;
  virtual TarnDrawInfo::TarnColor GetLineColor() = 0;
  virtual TarnDrawInfo::TarnColor GetFillColor() = 0;
  virtual TarnDrawInfo::TarnColor GetTextBoxColor() = 0;
  virtual const std::string& GetText() = 0;
  virtual int GetFontSize() = 0;
  virtual int GetFontStyle() = 0;
  virtual TarnDrawInfo::TarnColor GetTextColor() = 0;
  virtual int GetTextBoxWidth() = 0;
  virtual const std::string& GetFontName() = 0;
  virtual TarnDrawInfo::TarnColor GetTextFrameColor() = 0;
  virtual bool GetHostFlagA() = 0;
  virtual bool GetAngleSnap() = 0;
  virtual bool GetHostFlagB() = 0;
  virtual void GetPoints(std::vector<TarnGraphPoint>& points) = 0;
  virtual void GetDrawPoints(std::vector<TarnDrawInfo::TarnPoint>& points) = 0;
  virtual int GetSelectedHotPoint() = 0;
  virtual bool HitHotPoint(float px, float py, int* index) = 0;
  virtual const std::vector<TarnDrawInfo::GraphDrawInfo>& GetDrawInfo() = 0;
  virtual bool OnAddPoint(float px, float py) = 0;
  virtual void OnPreviewPoint(float px, float py) = 0;
  virtual bool OnDrag(float fromX, float fromY, float toX, float toY) = 0;
  virtual ~ITarnGraphShapeBase() = default;

 protected:
  // Appends the tool's drawings for the given draw points.
  virtual void BuildDrawInfo(std::vector<TarnDrawInfo::TarnPoint> points) = 0;

 public:
  // Number of anchors the user places.
  virtual unsigned GetPointCount() = 0;

 protected:
  // Forces the tool's geometry after its points change.
  virtual void ApplyConstraints() = 0;
};
