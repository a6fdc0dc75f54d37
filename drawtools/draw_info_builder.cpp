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

bool GraphDrawInfoBuilder::AddCurveLine(int id, const std::vector<TarnPoint>& points, bool extendStart,
                                        bool extendEnd) {
  if (points.empty() || !target_) return false;
  auto* record = Writable(id, kCurve, target_->curves);
  if (!record || record->lines.size() >= kMaxItems) return false;
  record->lines.push_back(TarnDrawInfo::CurveLine{points, extendStart, extendEnd});
  AppendOrder(id, record->lines.size());
  return true;
}

bool GraphDrawInfoBuilder::AddBezierLine(int id, const std::vector<TarnPoint>& points) {
  if (points.size() < 3 || !target_) return false;
  auto* record = Writable(id, kBezier, target_->bezierCurves);
  if (!record || record->curves.size() >= kMaxItems) return false;
  record->curves.emplace_back(points);
  AppendOrder(id, record->curves.size());
  return true;
}

bool GraphDrawInfoBuilder::AddRectangleCorners(int id, const TarnPoint& first, const TarnPoint& second) {
  if (!target_) return false;
  auto* record = Writable(id, kRectangle, target_->rectangles);
  if (!record || record->corners.size() >= kMaxItems) return false;
  record->corners.push_back(TarnDrawInfo::RectangleCorners{first, second});
  AppendOrder(id, record->corners.size());
  return true;
}

bool GraphDrawInfoBuilder::AddElipsePoints(int id, const std::vector<TarnPoint>& points) {
  if ((points.size() != 2 && points.size() != 3) || !target_) return false;
  auto* record = Writable(id, kElipse, target_->elipses);
  if (!record || record->elipses.size() >= kMaxItems) return false;
  record->elipses.emplace_back(points);
  AppendOrder(id, record->elipses.size());
  return true;
}

// A circle is the ellipse item of its horizontal diameter.
bool GraphDrawInfoBuilder::AddCircle(int id, const TarnPoint& center, float radius) {
  return AddElipsePoints(id, {TarnPoint{center.x - radius, center.y}, TarnPoint{center.x + radius, center.y}});
}

bool GraphDrawInfoBuilder::AddCrossPoint(int id, const TarnPoint& center, float size) {
  if (!(size > 0.0f) || !target_) return false;
  auto* record = Writable(id, kCross, target_->crosses);
  if (!record || record->crosses.size() >= kMaxItems) return false;
  record->crosses.push_back(TarnDrawInfo::CrossItem{center, size});
  AppendOrder(id, record->crosses.size());
  return true;
}

bool GraphDrawInfoBuilder::AddTextItem(int id, const TarnPoint& position, const std::string& text, bool linked,
                                       const TarnPoint& linkTarget) {
  if (text.empty() || !target_) return false;
  auto* record = Writable(id, kText, target_->texts);
  if (!record || record->items.size() >= kMaxItems) return false;
  record->items.push_back(TarnDrawInfo::TextItem{position, linked, linkTarget, text});
  AppendOrder(id, record->items.size());
  return true;
}

bool GraphDrawInfoBuilder::AddIconPoint(int id, const TarnPoint& position, int value) {
  if (!target_) return false;
  auto* record = Writable(id, kIcon, target_->tdxIcons);
  if (!record || record->icons.size() >= kMaxItems) return false;
  record->icons.push_back(TarnDrawInfo::IconItem{position, value});
  AppendOrder(id, record->icons.size());
  return true;
}
