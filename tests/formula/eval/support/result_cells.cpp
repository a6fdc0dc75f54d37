#include "support/result_cells.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <set>

#include "abacor/draw_info.h"
#include "abacor/index_calculator.h"

namespace {

constexpr int32_t kMaxDrawArgs = 8;

uint64_t Bits(double v) {
  uint64_t b = 0;
  std::memcpy(&b, &v, sizeof b);
  return b;
}

uint64_t Bits(float v) {
  uint32_t b = 0;
  std::memcpy(&b, &v, sizeof b);
  return b;
}

// Appends the fields of draw records one after the other.
class DrawWriter {
 public:
  DrawWriter(std::vector<ResultCell>& out, int32_t record) : out_(out), record_(record) {}

  void Put(uint64_t bits) { out_.push_back({ResultPart::kDrawing, record_, next_++, bits}); }
  void Put(const TarnDrawInfo::TarnPoint& p) {
    Put(Bits(p.x));
    Put(Bits(p.y));
  }
  void Put(const TarnDrawInfo::TarnColor& c) {
    Put(static_cast<uint64_t>(c.colorId));
    Put(c.colorValue);
    Put(c.useValue ? 1 : 0);
  }
  void Put(const TarnDrawInfo::TarnPointVec& points) {
    Put(points.GetPoint().size());
    for (const auto& p : points.GetPoint()) Put(p);
  }
  void Put(const std::string& text) {
    Put(text.size());
    for (size_t i = 0; i < text.size(); i += 8) {
      uint64_t chunk = 0;
      std::memcpy(&chunk, text.data() + i, std::min<size_t>(8, text.size() - i));
      Put(chunk);
    }
  }
  void Stroke(float width, int32_t style, int32_t fill, const TarnDrawInfo::TarnColor& line,
              const TarnDrawInfo::TarnColor& fillColor) {
    Put(Bits(width));
    Put(static_cast<uint64_t>(style));
    Put(static_cast<uint64_t>(fill));
    Put(line);
    Put(fillColor);
  }

 private:
  std::vector<ResultCell>& out_;
  int32_t record_;
  int32_t next_ = 0;
};

void PutShapes(DrawWriter& w, const TarnDrawInfo::GraphDrawInfo& g) {
  for (const auto& c : g.curves) {
    w.Stroke(c.lineWidth, c.lineStyle, c.fillStyle, c.lineColor, c.fillColor);
    for (const auto& line : c.lines) {
      w.Put(line.points);
      w.Put((line.extendStart ? 2 : 0) | (line.extendEnd ? 1 : 0));
    }
  }
  for (const auto& c : g.bezierCurves) {
    w.Stroke(c.lineWidth, c.lineStyle, c.fillStyle, c.lineColor, c.fillColor);
    for (const auto& points : c.curves) w.Put(points);
  }
  for (const auto& r : g.rectangles) {
    w.Stroke(r.lineWidth, r.lineStyle, r.fillStyle, r.lineColor, r.fillColor);
    w.Put(static_cast<uint64_t>(r.rectangleType));
    for (const auto& corners : r.corners) {
      w.Put(corners.first);
      w.Put(corners.second);
    }
  }
  for (const auto& e : g.elipses) {
    w.Stroke(e.lineWidth, e.lineStyle, e.fillStyle, e.lineColor, e.fillColor);
    for (const auto& points : e.elipses) w.Put(points);
  }
}

void PutMarks(DrawWriter& w, const TarnDrawInfo::GraphDrawInfo& g) {
  for (const auto& c : g.crosses) {
    w.Stroke(c.lineWidth, c.lineStyle, 0, c.lineColor, {});
    for (const auto& item : c.crosses) {
      w.Put(item.center);
      w.Put(Bits(item.size));
    }
  }
  for (const auto& t : g.texts) {
    w.Put(Bits(t.fontSize));
    w.Put(static_cast<uint64_t>(t.fontStyle));
    w.Put(t.textColor);
    w.Put(t.fontName);
    w.Put(t.frameColor);
    w.Put(t.backColor);
    w.Put(static_cast<uint64_t>(t.boxWidth));
    w.Put(static_cast<uint64_t>(t.alignment));
    for (const auto& item : t.items) {
      w.Put(item.position);
      w.Put(item.linked ? 1 : 0);
      w.Put(item.linkTarget);
      w.Put(item.text);
    }
  }
  for (const auto& icons : g.tdxIcons) {
    w.Put(static_cast<uint64_t>(icons.iconType));
    for (const auto& item : icons.icons) {
      w.Put(item.position);
      w.Put(static_cast<uint64_t>(item.value));
    }
  }
}

void PutDrawings(IIndexCalculator& calc, int32_t bars, std::vector<ResultCell>& out) {
  std::vector<TarnDrawInfo::GraphDrawInfo> records;
  const bool ok = calc.GetDrawInfo(0, bars - 1, 1, {}, records);
  out.push_back({ResultPart::kDrawing, -1, 0, ok ? records.size() : uint64_t{0xFFFF}});
  for (size_t r = 0; r < records.size(); ++r) {
    DrawWriter w(out, static_cast<int32_t>(r));
    const auto& g = records[r];
    w.Put(g.drawOrder.size());
    for (int64_t order : g.drawOrder) w.Put(static_cast<uint64_t>(order));
    PutShapes(w, g);
    PutMarks(w, g);
  }
  calc.ReleaseDrawInfo(records);
}

// The argument series of a drawing output (one GetOutputValues refuses).
void PutArguments(IIndexCalculator& calc, int32_t output, int32_t bars, std::vector<ResultCell>& out) {
  for (int32_t arg = 0; arg < kMaxDrawArgs; ++arg) {
    for (int32_t bar = 0; bar < bars; ++bar) {
      double v = 0.0;
      const bool ok = calc.GetOutputArgValue(output, arg, bar, &v);
      out.push_back({ResultPart::kArgument, output * 16 + arg, bar, ok ? Bits(v) : 0x7FF0DEADull});
    }
  }
}

void PutOutput(IIndexCalculator& calc, int32_t output, int32_t bars, std::vector<ResultCell>& out) {
  std::vector<double> values(static_cast<size_t>(bars));
  std::unique_ptr<bool[]> valid(new bool[static_cast<size_t>(bars)]);
  if (!calc.GetOutputValues(output, 0, bars - 1, values.data(), valid.get())) {
    PutArguments(calc, output, bars, out);
    return;
  }
  for (int32_t bar = 0; bar < bars; ++bar) {
    const size_t i = static_cast<size_t>(bar);
    out.push_back({ResultPart::kOutput, output, bar, valid[i] ? Bits(values[i]) : 0x7FF0DEADull});
  }
}

const char* PartName(ResultPart part) {
  switch (part) {
    case ResultPart::kOutput: return "output";
    case ResultPart::kArgument: return "drawing argument (output*16+arg)";
    case ResultPart::kRange: return "value range";
    default: return "drawing record";
  }
}

std::string Describe(const ResultCell& c) {
  char text[160];
  std::snprintf(text, sizeof text, "%s %d, bar/field %d: bits %016llx", PartName(c.part), c.key, c.index,
                static_cast<unsigned long long>(c.bits));
  return text;
}

}  // namespace

std::vector<ResultCell> PublishedCells(IIndexCalculator& calc, int32_t outputs, int32_t bars) {
  std::vector<ResultCell> out;
  if (bars < 1) return out;
  for (int32_t o = 0; o < outputs; ++o) PutOutput(calc, o, bars, out);
  double lo = 0.0, hi = 0.0;
  const bool ranged = calc.GetValueRange(0, bars - 1, {}, &lo, &hi);
  out.push_back({ResultPart::kRange, 0, ranged ? 1 : 0, ranged ? Bits(lo) : 0});
  out.push_back({ResultPart::kRange, 1, ranged ? 1 : 0, ranged ? Bits(hi) : 0});
  PutDrawings(calc, bars, out);
  return out;
}

std::string FirstDifference(const std::vector<ResultCell>& a, const std::vector<ResultCell>& b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const ResultCell& x = a[i];
    const ResultCell& y = b[i];
    if (x.part == y.part && x.key == y.key && x.index == y.index && x.bits == y.bits) continue;
    return Describe(x) + " vs " + Describe(y);
  }
  if (a.size() == b.size()) return "";
  return "one has " + std::to_string(a.size()) + " cells, the other " + std::to_string(b.size());
}
