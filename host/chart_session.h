#pragma once
// One browser page's chart: formula panes with their calculators, drawing
// tools on the price pane, and the JSON requests that work on them. Every
// request is answered with an HTTP status and a JSON body; nothing here
// touches the file system.
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include <abacor/abacor.h>
#include <nlohmann/json.hpp>

#include "chart_coordinate.h"
#include "csv_provider.h"
#include "draw_renderer.h"
#include "formula_runner.h"

namespace abacor_host {

struct SessionLimits {
  size_t formulaBytes = 16 * 1024;
  size_t panes = 8;
  size_t params = 16;
  size_t tools = 200;
};

struct ApiResult {
  int status = 200;
  nlohmann::json body;
};

// {"error": message} with a status.
ApiResult ApiError(int status, const std::string& message);

class ChartSession {
 public:
  ChartSession(CsvBarProvider& bars, SessionLimits limits);
  ~ChartSession();
  ChartSession(const ChartSession&) = delete;
  ChartSession& operator=(const ChartSession&) = delete;

  // Requests work under the session's own lock; the server takes it.
  std::mutex& Lock() { return mutex_; }

  ApiResult Describe() const;
  // Compiles a formula into pane `index` (== pane count appends one).
  ApiResult SetPane(size_t index, const nlohmann::json& request);
  ApiResult DeletePane(size_t index);
  // Calculates what the view newly shows and returns every pane's records and the tools'.
  ApiResult Render(const nlohmann::json& request);

  ApiResult CreateTool(const nlohmann::json& request);
  ApiResult DeleteTool(int64_t id);
  ApiResult GetTool(int64_t id);
  // Mouse input for a tool: "click" (OnAddPoint), "preview" (OnPreviewPoint) or "drag" (OnDrag).
  ApiResult ToolInput(int64_t id, const std::string& action, const nlohmann::json& request);
  // The tool under a pixel (a hot point first, then a drawn line), selected for dragging.
  ApiResult Pick(const nlohmann::json& request);
  ApiResult SaveTools() const;
  ApiResult LoadTools(const nlohmann::json& request);

 private:
  struct Pane;
  struct Tool;
  // Reads the request's "view" and sets the price pane's geometry from it.
  bool ApplyView(const nlohmann::json& request, std::string* error);
  bool CalculatePane(Pane& pane, int32_t last, int32_t* computed);
  void PriceRange(int32_t first, int32_t last, double* lo, double* hi);
  nlohmann::json ToolJson(Tool& tool);
  nlohmann::json PaneJson(Pane& pane, int32_t first, int32_t last, double lo, double hi);
  Tool* FindTool(int64_t id);
  bool AddTool(ITarnGraphShapeBase* shape, nlohmann::json extras, int64_t* id);

  std::mutex mutex_;
  CsvBarProvider& bars_;
  SessionLimits limits_;
  Palette palette_;
  std::vector<std::unique_ptr<Pane>> panes_;
  std::vector<std::unique_ptr<Tool>> tools_;
  int64_t nextToolId_ = 1;
  PaneGeometry pricePane_;
  ChartCoordinate coord_;
};

// Every tool type: {"type": value, "name": enumerator, "points": anchors to place}.
nlohmann::json ToolCatalogue();

}  // namespace abacor_host
