#pragma once
// Helpers for drawing-tool tests: create a tool on a linear test pane, set
// its anchors, and read back the points of what it drew.
#include <gtest/gtest.h>

#include <vector>

#include "abacor/draw_info.h"
#include "abacor/graph_interface.h"
#include "abacor/graph_shape.h"
#include "support/test_coordinate.h"

// Owns one tool made by the factory and releases it.
class ToolHandle {
 public:
  explicit ToolHandle(int type) : tool_(TarnGraphInterface::CreateGraphShape(static_cast<TARN_GRAPH_TYPE>(type))) {}
  ~ToolHandle() { TarnGraphInterface::ReleaseGraphShape(tool_); }
  ToolHandle(const ToolHandle&) = delete;
  ToolHandle& operator=(const ToolHandle&) = delete;
  ITarnGraphShapeBase* operator->() const { return tool_; }
  ITarnGraphShapeBase* get() const { return tool_; }

 private:
  ITarnGraphShapeBase* tool_;
};

// Chart points (bar, price) as anchors, times taken from the test pane.
std::vector<TarnGraphPoint> Anchors(const std::vector<std::pair<float, double>>& points);

// The points of one curve line.
std::vector<TarnDrawInfo::TarnPoint> LinePoints(const TarnDrawInfo::CurveLine& line);

// Expects a point to equal (x, y) within a small tolerance.
void ExpectPoint(const TarnDrawInfo::TarnPoint& p, float x, double y, const char* what = "");

// The single curve record of a drawing list that must hold exactly one
// drawing with exactly one curve record.
const TarnDrawInfo::CurveDrawInfo& OnlyCurve(const std::vector<TarnDrawInfo::GraphDrawInfo>& drawings);

// The anchors of a tool.
std::vector<TarnGraphPoint> PointsOf(ITarnGraphShapeBase* tool);
