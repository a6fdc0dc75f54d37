#pragma once
// The one way every producer (drawing tools, formula drawing output) fills a
// GraphDrawInfo: records get ids, items get draw-order entries.
#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "abacor/draw_info.h"

class GraphDrawInfoBuilder {
 public:
  // Record kinds, encoded in the id as kind * 10,000,000 + record index.
  enum Kind : int { kCurve = 1, kBezier = 2, kRectangle = 3, kElipse = 4, kCross = 5, kText = 6, kIcon = 7 };
  static constexpr int kIdsPerKind = 10000000;
  static constexpr int kMaxRecordIndex = 9999998;
  static constexpr int64_t kOrderPerRecord = 100000000;
  static constexpr size_t kMaxItems = 99999999;

  // The target is owned by the caller and must outlive the builder.
  explicit GraphDrawInfoBuilder(TarnDrawInfo::GraphDrawInfo* target) : target_(target) {}

  // Record adders: append a copy and return its id, or -1.
  int AddCurve(const TarnDrawInfo::CurveDrawInfo& record);
  int AddBezierCurve(const TarnDrawInfo::BezierCurveDrawInfo& record);
  int AddRectangle(const TarnDrawInfo::RectangleDrawInfo& record);
  int AddElipse(const TarnDrawInfo::ElipseDrawInfo& record);
  int AddCross(const TarnDrawInfo::CrossDrawInfo& record);
  int AddText(const TarnDrawInfo::TextDrawInfo& record);
  int AddTDXIcon(const TarnDrawInfo::TDXIconDrawInfo& record);

  // Item adders: append one item to the record `id` and one draw-order entry.
  bool AddCurveLine(int id, const std::vector<TarnDrawInfo::TarnPoint>& points, bool extendStart, bool extendEnd);
  bool AddBezierLine(int id, const std::vector<TarnDrawInfo::TarnPoint>& points);
  bool AddRectangleCorners(int id, const TarnDrawInfo::TarnPoint& first, const TarnDrawInfo::TarnPoint& second);
  bool AddElipsePoints(int id, const std::vector<TarnDrawInfo::TarnPoint>& points);
  bool AddCircle(int id, const TarnDrawInfo::TarnPoint& center, float radius);
  bool AddCrossPoint(int id, const TarnDrawInfo::TarnPoint& center, float size);
  bool AddTextItem(int id, const TarnDrawInfo::TarnPoint& position, const std::string& text, bool linked,
                   const TarnDrawInfo::TarnPoint& linkTarget);
  bool AddIconPoint(int id, const TarnDrawInfo::TarnPoint& position, int value);

  bool HasId(int id) const { return issued_.count(id) != 0; }

  // The id a record of `kind` gets at position listSize of its list.
  static int RecordId(Kind kind, size_t listSize);

 private:
  template <typename Record>
  int AddRecord(Kind kind, std::vector<Record>& list, const Record& record);
  // The record named by id when it is ours and of `kind`; null otherwise.
  template <typename Record>
  Record* Writable(int id, Kind kind, std::vector<Record>& list) const;
  // Appends `item` to the item list `items` of the record named by id and
  // its entry to drawOrder; false when there is no such record or it is full.
  template <typename Record, typename Item>
  bool AppendItem(int id, Kind kind, std::vector<Record>& list, std::vector<Item> Record::*items, const Item& item);
  void AppendOrder(int id, size_t itemCount);

  TarnDrawInfo::GraphDrawInfo* target_;
  std::unordered_set<int> issued_;
};
