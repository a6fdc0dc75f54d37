#include "drawtools/draw_info_builder.h"

#include <algorithm>

using TarnDrawInfo::TarnPoint;

int GraphDrawInfoBuilder::RecordId(Kind kind, size_t listSize) {
  const size_t index = std::min(listSize, static_cast<size_t>(kMaxRecordIndex));
  return kind * kIdsPerKind + static_cast<int>(index);
}

template <typename Record>
int GraphDrawInfoBuilder::AddRecord(Kind kind, std::vector<Record>& list, const Record& record) {
  const int id = RecordId(kind, list.size());
  if (HasId(id)) return -1;
  list.push_back(record);
  issued_.insert(id);
  return id;
}

template <typename Record>
Record* GraphDrawInfoBuilder::Writable(int id, Kind kind, std::vector<Record>& list) const {
  if (id < 0 || !HasId(id)) return nullptr;
  // An id of another kind never reaches this kind's list.
  if (id / kIdsPerKind != kind) return nullptr;
  const size_t index = static_cast<size_t>(id % kIdsPerKind);
  if (index >= list.size()) return nullptr;
  return &list[index];
}

void GraphDrawInfoBuilder::AppendOrder(int id, size_t itemCount) {
  target_->drawOrder.push_back(static_cast<int64_t>(id) * kOrderPerRecord + static_cast<int64_t>(itemCount) - 1);
}

int GraphDrawInfoBuilder::AddCurve(const TarnDrawInfo::CurveDrawInfo& record) {
  return target_ ? AddRecord(kCurve, target_->curves, record) : -1;
}

int GraphDrawInfoBuilder::AddBezierCurve(const TarnDrawInfo::BezierCurveDrawInfo& record) {
  return target_ ? AddRecord(kBezier, target_->bezierCurves, record) : -1;
}

int GraphDrawInfoBuilder::AddRectangle(const TarnDrawInfo::RectangleDrawInfo& record) {
  return target_ ? AddRecord(kRectangle, target_->rectangles, record) : -1;
}

int GraphDrawInfoBuilder::AddElipse(const TarnDrawInfo::ElipseDrawInfo& record) {
  return target_ ? AddRecord(kElipse, target_->elipses, record) : -1;
}

int GraphDrawInfoBuilder::AddCross(const TarnDrawInfo::CrossDrawInfo& record) {
  return target_ ? AddRecord(kCross, target_->crosses, record) : -1;
}

int GraphDrawInfoBuilder::AddText(const TarnDrawInfo::TextDrawInfo& record) {
  return target_ ? AddRecord(kText, target_->texts, record) : -1;
}

int GraphDrawInfoBuilder::AddTDXIcon(const TarnDrawInfo::TDXIconDrawInfo& record) {
  return target_ ? AddRecord(kIcon, target_->tdxIcons, record) : -1;
}

template <typename Record, typename Item>
bool GraphDrawInfoBuilder::AppendItem(int id, Kind kind, std::vector<Record>& list, std::vector<Item> Record::*items,
                                      const Item& item) {
  Record* record = Writable(id, kind, list);
  if (!record) return false;
  std::vector<Item>& owned = record->*items;
  if (owned.size() >= kMaxItems) return false;
  owned.push_back(item);
  AppendOrder(id, owned.size());
  return true;
}

bool GraphDrawInfoBuilder::AddCurveLine(int id, const std::vector<TarnPoint>& points, bool extendStart,
                                        bool extendEnd) {
  if (points.empty() || !target_) return false;
  return AppendItem(id, kCurve, target_->curves, &TarnDrawInfo::CurveDrawInfo::lines,
                    TarnDrawInfo::CurveLine{points, extendStart, extendEnd});
}

bool GraphDrawInfoBuilder::AddBezierLine(int id, const std::vector<TarnPoint>& points) {
  if (points.size() < 3 || !target_) return false;
  return AppendItem(id, kBezier, target_->bezierCurves, &TarnDrawInfo::BezierCurveDrawInfo::curves,
                    TarnDrawInfo::TarnPointVec(points));
}

bool GraphDrawInfoBuilder::AddRectangleCorners(int id, const TarnPoint& first, const TarnPoint& second) {
  if (!target_) return false;
  return AppendItem(id, kRectangle, target_->rectangles, &TarnDrawInfo::RectangleDrawInfo::corners,
                    TarnDrawInfo::RectangleCorners{first, second});
}

bool GraphDrawInfoBuilder::AddElipsePoints(int id, const std::vector<TarnPoint>& points) {
  if ((points.size() != 2 && points.size() != 3) || !target_) return false;
  return AppendItem(id, kElipse, target_->elipses, &TarnDrawInfo::ElipseDrawInfo::elipses,
                    TarnDrawInfo::TarnPointVec(points));
}

// A circle is the ellipse item of its horizontal diameter.
bool GraphDrawInfoBuilder::AddCircle(int id, const TarnPoint& center, float radius) {
  return AddElipsePoints(id, {TarnPoint{center.x - radius, center.y}, TarnPoint{center.x + radius, center.y}});
}

bool GraphDrawInfoBuilder::AddCrossPoint(int id, const TarnPoint& center, float size) {
  if (!(size > 0.0f) || !target_) return false;
  return AppendItem(id, kCross, target_->crosses, &TarnDrawInfo::CrossDrawInfo::crosses,
                    TarnDrawInfo::CrossItem{center, size});
}

bool GraphDrawInfoBuilder::AddTextItem(int id, const TarnPoint& position, const std::string& text, bool linked,
                                       const TarnPoint& linkTarget) {
  if (text.empty() || !target_) return false;
  return AppendItem(id, kText, target_->texts, &TarnDrawInfo::TextDrawInfo::items,
                    TarnDrawInfo::TextItem{position, linked, linkTarget, text});
}

bool GraphDrawInfoBuilder::AddIconPoint(int id, const TarnPoint& position, int value) {
  if (!target_) return false;
  return AppendItem(id, kIcon, target_->tdxIcons, &TarnDrawInfo::TDXIconDrawInfo::icons,
                    TarnDrawInfo::IconItem{position, value});
}
