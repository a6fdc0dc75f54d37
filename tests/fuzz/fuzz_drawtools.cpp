// Drawing tools: a random sequence of creation (any type value), setters,
// SetPoints/SetExtraPoints, clicks, previews, drags, hot-point hits and
// GetDrawInfo, over a pane whose conversions may fail or answer NaN,
// infinities or huge values from one call to the next.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "abacor/graph_interface.h"
#include "abacor/graph_shape.h"
#include "abacor/tool_settings.h"
#include "drawtools/catalogue.h"
#include "drawtools/support/test_coordinate.h"

namespace {

// What one conversion call does: answer normally, refuse, or "succeed" with
// a hostile value. The script is read from the input and cycled per call.
enum Act : uint8_t { kNormal, kRefuse, kNaN, kInf, kNegInf, kHuge };

class FuzzCoordinate : public TestCoordinate {
 public:
  explicit FuzzCoordinate(FuzzedDataProvider& in) {
    const size_t n = in.ConsumeIntegralInRange<size_t>(0, script_.size());
    for (size_t i = 0; i < n; ++i) script_[i] = static_cast<Act>(in.ConsumeIntegralInRange<int>(0, 5));
    barWidth = in.ConsumeBool() ? 0.5f : 8.0f;
    logScale = in.ConsumeIntegralInRange<int>(0, 7) == 7;
    snapEnabled = in.ConsumeIntegralInRange<int>(0, 7) == 7;
  }
  bool PixelToPrice(float py, double* price) override {
    return Do(price, [&] { return TestCoordinate::PixelToPrice(py, price); });
  }
  bool PriceToPixel(double price, float* py) override {
    return Do(py, [&] { return TestCoordinate::PriceToPixel(price, py); });
  }
  bool PixelToBar(float px, float* x) override {
    return Do(x, [&] { return TestCoordinate::PixelToBar(px, x); });
  }
  bool BarToPixel(float x, float* px) override {
    return Do(px, [&] { return TestCoordinate::BarToPixel(x, px); });
  }
  bool BarToTime(float x, int* time) override {
    if (Next() == kRefuse) return false;
    return TestCoordinate::BarToTime(x, time);
  }
  bool GetPlotBottom(float* py) override {
    return Do(py, [&] { return TestCoordinate::GetPlotBottom(py); });
  }
  bool GetMaxPrice(double* price) override {
    return Do(price, [&] { return TestCoordinate::GetMaxPrice(price); });
  }
  bool GetMinPrice(double* price) override {
    return Do(price, [&] { return TestCoordinate::GetMinPrice(price); });
  }
  bool GetPriceUnit(double* unit) override {
    return Do(unit, [&] { return TestCoordinate::GetPriceUnit(unit); });
  }
  bool GetBarWidth(float* pixels) override {
    return Do(pixels, [&] { return TestCoordinate::GetBarWidth(pixels); });
  }

 private:
  Act Next() { return script_[calls_++ % script_.size()]; }
  template <typename T, typename Normal>
  bool Do(T* out, Normal normal) {
    switch (Next()) {
      case kNormal: return normal();
      case kRefuse: return false;
      case kNaN: *out = std::numeric_limits<T>::quiet_NaN(); return true;
      case kInf: *out = std::numeric_limits<T>::infinity(); return true;
      case kNegInf: *out = -std::numeric_limits<T>::infinity(); return true;
      default: *out = static_cast<T>(1e30); return true;
    }
  }
  std::array<Act, 24> script_{};
  size_t calls_ = 0;
};

// A pixel or chart value: mostly on the pane, sometimes anything at all.
float Pixel(FuzzedDataProvider& in) {
  if (in.ConsumeIntegralInRange<int>(0, 9) == 9) return in.ConsumeFloatingPoint<float>();
  return in.ConsumeFloatingPointInRange<float>(-50.0f, 1050.0f);
}

std::vector<TarnGraphPoint> Points(FuzzedDataProvider& in) {
  std::vector<TarnGraphPoint> points(in.ConsumeIntegralInRange<size_t>(0, 12));
  for (auto& p : points) {
    p.x = in.ConsumeBool() ? in.ConsumeFloatingPointInRange<float>(-5.0f, 200.0f) : in.ConsumeFloatingPoint<float>();
    p.y = in.ConsumeBool() ? in.ConsumeFloatingPointInRange<double>(-10.0, 100.0) : in.ConsumeFloatingPoint<double>();
    p.time = in.ConsumeIntegral<int32_t>();
  }
  return points;
}

TarnDrawInfo::TarnColor Color(FuzzedDataProvider& in) {
  TarnDrawInfo::TarnColor c;
  c.colorId = static_cast<TarnDrawInfo::COLOR_TYPE>(in.ConsumeIntegralInRange<int>(-1, 8));
  c.colorValue = in.ConsumeIntegral<uint32_t>();
  c.useValue = in.ConsumeBool();
  return c;
}

std::vector<stSingleLineDrawParams> Levels(FuzzedDataProvider& in) {
  std::vector<stSingleLineDrawParams> levels(in.ConsumeIntegralInRange<size_t>(0, 20));
  for (auto& l : levels) {
    l.index = in.ConsumeIntegral<int32_t>();
    l.color = Color(in);
    if (in.ConsumeBool())
      l.SetIntLevel(in.ConsumeIntegral<int32_t>());
    else
      l.SetFloatLevel(in.ConsumeFloatingPoint<float>());
  }
  return levels;
}

TARN_GRAPH_TYPE Type(FuzzedDataProvider& in) {
  size_t count = 0;
  const GraphCatalogueRow* rows = GraphCatalogue(&count);
  const size_t pick = in.ConsumeIntegralInRange<size_t>(0, count);
  if (pick < count) return rows[pick].type;
  return static_cast<TARN_GRAPH_TYPE>(in.ConsumeIntegral<int32_t>());
}

void Settings(ITarnGraphShapeBase* tool, FuzzedDataProvider& in) {
  if (in.ConsumeBool()) {
    stFibTimeZoneSettings s;
    s.SetLineParams(Levels(in));
    s.SetExtendDirection(static_cast<enLineExtendDirection>(in.ConsumeIntegralInRange<int32_t>(-1, 6)));
    tool->SetToolSettings(in.ConsumeIntegralInRange<int>(0, 7) == 0 ? nullptr : &s);
    tool->GetToolSettings(&s);
  } else {
    stGoldenSectionSettings s;
    s.SetLineParams(Levels(in));
    s.SetExtendDirection(static_cast<enLineExtendDirection>(in.ConsumeIntegralInRange<int32_t>(-1, 6)));
    s.SetDisplayRatio(in.ConsumeBool());
    s.SetDisplayPrice(in.ConsumeBool());
    tool->SetToolSettings(in.ConsumeIntegralInRange<int>(0, 7) == 0 ? nullptr : &s);
    tool->GetToolSettings(&s);
  }
}

void Setter(ITarnGraphShapeBase* tool, FuzzedDataProvider& in) {
  switch (in.ConsumeIntegralInRange<int>(0, 12)) {
    case 0: tool->SetLineWidth(in.ConsumeIntegral<int>()); break;
    case 1: tool->SetLineStyle(in.ConsumeIntegral<int>()); break;
    case 2: tool->SetLineColor(Color(in)); break;
    case 3: tool->SetFillColor(Color(in)); break;
    case 4: tool->SetTextBoxColor(Color(in)); break;
    case 5: tool->SetText(in.ConsumeRandomLengthString(64)); break;
    case 6: tool->SetFontSize(in.ConsumeIntegral<int>()); break;
    case 7: tool->SetFontStyle(in.ConsumeIntegral<int>()); break;
    case 8: tool->SetTextColor(Color(in)); break;
    case 9: tool->SetTextBoxWidth(in.ConsumeIntegral<int>()); break;
    case 10: tool->SetFontName(in.ConsumeRandomLengthString(32)); break;
    case 11: tool->SetTextFrameColor(Color(in)); break;
    default:
      tool->SetHostFlagA(in.ConsumeBool());
      tool->SetAngleSnap(in.ConsumeBool());
      tool->SetHostFlagB(in.ConsumeBool());
      break;
  }
}

// Every getter; the results only have to be readable.
void ReadAll(ITarnGraphShapeBase* tool) {
  std::vector<TarnGraphPoint> points;
  std::vector<TarnDrawInfo::TarnPoint> drawPoints;
  tool->GetPoints(points);
  tool->GetDrawPoints(drawPoints);
  (void)tool->GetGraphType();
  (void)tool->GetLineWidth();
  (void)tool->GetLineStyle();
  (void)tool->GetDrawLineStyle();
  (void)tool->GetText().size();
  (void)tool->GetFontName().size();
  (void)tool->GetSelectedHotPoint();
  (void)tool->GetPointCount();
  size_t items = 0;
  for (const auto& g : tool->GetDrawInfo()) items += g.curves.size() + g.texts.size() + g.rectangles.size();
  (void)items;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  FuzzCoordinate pane(in);
  ITarnGraphShapeBase* tool = TarnGraphInterface::CreateGraphShape(Type(in));
  if (tool == nullptr) return 0;
  tool->SetCoordinate(&pane);
  const int radius = TarnGraphInterface::GetHotPointRadius();
  const int ops = in.ConsumeIntegralInRange<int>(0, 40);
  for (int k = 0; k < ops && tool != nullptr; ++k) {
    switch (in.ConsumeIntegralInRange<int>(0, 13)) {
      case 0: Setter(tool, in); break;
      case 1: tool->SetPoints(Points(in)); break;
      case 2: tool->SetExtraPoints(Points(in)); break;
      case 3: {
        const float x = Pixel(in);
        tool->OnAddPoint(x, Pixel(in));
        break;
      }
      case 4: {
        const float x = Pixel(in);
        tool->OnPreviewPoint(x, Pixel(in));
        break;
      }
      case 5: {
        const float a = Pixel(in), b = Pixel(in), c = Pixel(in);
        tool->OnDrag(a, b, c, Pixel(in));
        break;
      }
      case 6: {
        int index = -1;
        const float x = Pixel(in);
        tool->HitHotPoint(x, Pixel(in), in.ConsumeBool() ? &index : nullptr);
        break;
      }
      case 7: ReadAll(tool); break;
      case 8: Settings(tool, in); break;
      case 9: tool->SetCoordinate(in.ConsumeBool() ? &pane : nullptr); break;
      case 10: TarnGraphInterface::SetHotPointRadius(in.ConsumeIntegralInRange<int>(-5, 1000)); break;
      case 11:
        // Release in whatever state the tool is and start another.
        TarnGraphInterface::ReleaseGraphShape(tool);
        tool = TarnGraphInterface::CreateGraphShape(Type(in));
        if (tool != nullptr) tool->SetCoordinate(&pane);
        break;
      default: {
        // A plain placement: click every anchor on the pane.
        const unsigned n = tool->GetPointCount();
        for (unsigned i = 0; i < n + 1; ++i) tool->OnAddPoint(100.0f + 37.0f * i, 200.0f + 11.0f * (i % 3));
        ReadAll(tool);
        break;
      }
    }
  }
  if (tool != nullptr) ReadAll(tool);
  TarnGraphInterface::SetHotPointRadius(radius);
  TarnGraphInterface::ReleaseGraphShape(tool);
  return 0;
}
