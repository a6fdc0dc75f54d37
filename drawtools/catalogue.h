#pragma once
// The catalogue of drawing tools: one row per TARN_GRAPH_TYPE value.
#include <cstddef>
#include <new>

#include "abacor/graph_shape.h"

using GraphShapeCreator = ITarnGraphShapeBase* (*)();

// Creator of a tool class; null when memory runs out.
template <typename Tool>
ITarnGraphShapeBase* CreateTool() {
  return new (std::nothrow) Tool();
}

struct GraphCatalogueRow {
  TARN_GRAPH_TYPE type;
  const char* className;
  unsigned points;
  GraphShapeCreator create;  // null: not available yet, a line segment is made
};

// The whole catalogue, in type order.
const GraphCatalogueRow* GraphCatalogue(size_t* count);
// The row of `type`, or null.
const GraphCatalogueRow* FindGraphCatalogueRow(int type);
