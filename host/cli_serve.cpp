// abacor serve: the chart page and its JSON API over HTTP.
#include <httplib.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <memory>
#include <mutex>
#include <string>

#include "chart_session.h"
#include "cli_args.h"
#include "cli_commands.h"
#include "session_registry.h"
#include "web_assets.h"

namespace abacor_host {
namespace {

using nlohmann::json;

constexpr size_t kMaxBody = 256 * 1024;
constexpr int kMaxNesting = 32;

void Reply(httplib::Response& res, const ApiResult& result) {
  res.status = result.status;
  res.set_header("Cache-Control", "no-store");
  res.set_content(result.body.dump(-1, ' ', false, json::error_handler_t::replace), "application/json");
}

// Whether brackets nest at most `limit` deep outside strings (deeper documents
// would take deep recursion to copy and write).
bool NestingWithin(const std::string& text, int limit) {
  int depth = 0;
  bool inString = false, escaped = false;
  for (char c : text) {
    if (inString) {
      if (escaped)
        escaped = false;
      else if (c == '\\')
        escaped = true;
      else if (c == '"')
        inString = false;
      continue;
    }
    if (c == '"') inString = true;
    if (c == '[' || c == '{') ++depth;
    if (c == ']' || c == '}') --depth;
    if (depth > limit) return false;
  }
  return true;
}

// The request body as JSON; an empty body is an empty object.
bool ParseBody(const httplib::Request& req, json* body, ApiResult* failure) {
  if (req.body.empty()) {
    *body = json::object();
    return true;
  }
  if (!NestingWithin(req.body, kMaxNesting)) {
    *failure = ApiError(400, "the request body nests deeper than " + std::to_string(kMaxNesting) + " levels");
    return false;
  }
  *body = json::parse(req.body, nullptr, false);
  if (!body->is_discarded()) return true;
  *failure = ApiError(400, "the request body is not valid JSON");
  return false;
}

using SessionHandler = std::function<ApiResult(ChartSession&, const httplib::Request&, const json&)>;

// Runs a handler on the session named by the first capture, under its lock.
httplib::Server::Handler WithSession(SessionRegistry& registry, SessionHandler handler) {
  return [&registry, handler](const httplib::Request& req, httplib::Response& res) {
    ApiResult result;
    json body;
    auto session = registry.Find(req.matches[1].str());
    if (!session) {
      Reply(res, ApiError(404, "no session " + req.matches[1].str()));
      return;
    }
    if (!ParseBody(req, &body, &result)) {
      Reply(res, result);
      return;
    }
    try {
      std::lock_guard<std::mutex> lock(session->Lock());
      result = handler(*session, req, body);
    } catch (const std::exception& e) {
      result = ApiError(400, std::string("bad request: ") + e.what());
    }
    Reply(res, result);
  };
}

// A decimal capture of the path, within [0, limit].
bool PathNumber(const httplib::Request& req, size_t index, int64_t limit, int64_t* out) {
  const std::string s = req.matches[index].str();
  if (s.empty() || s.size() > 12) return false;
  *out = std::stoll(s);
  return *out <= limit;
}

json BarsJson(const CsvBarProvider& provider) {
  const auto& bars = provider.Bars();
  bool intraday = false;
  for (size_t i = 1; i < bars.size() && !intraday; ++i) intraday = bars[i].time - bars[i - 1].time < 86400;
  json dates = json::array(), open = json::array(), high = json::array(), low = json::array(), close = json::array(),
       volume = json::array();
  for (const Bar& b : bars) {
    dates.push_back(FormatDateTime(b.time, intraday));
    open.push_back(b.open);
    high.push_back(b.high);
    low.push_back(b.low);
    close.push_back(b.close);
    volume.push_back(b.volume);
  }
  return {{"count", bars.size()}, {"date", dates},  {"open", open},    {"high", high},
          {"low", low},           {"close", close}, {"volume", volume}};
}

void Routes(httplib::Server& svr, SessionRegistry& registry, const std::string& barsJson) {
  const std::string sid = "/api/sessions/([0-9a-f]{1,64})";
  svr.Get("/api/bars", [&barsJson](const httplib::Request&, httplib::Response& res) {
    res.set_content(barsJson, "application/json");
  });
  svr.Get("/api/catalogue", [](const httplib::Request&, httplib::Response& res) {
    Reply(res, {200, json{{"tools", ToolCatalogue()}}});
  });
  svr.Post("/api/sessions", [&registry](const httplib::Request&, httplib::Response& res) {
    std::shared_ptr<ChartSession> session;
    const std::string id = registry.Create(&session);
    std::lock_guard<std::mutex> lock(session->Lock());
    ApiResult result = session->Describe();
    result.body["session"] = id;
    Reply(res, result);
  });
  svr.Get(sid,
          WithSession(registry, [](ChartSession& s, const httplib::Request&, const json&) { return s.Describe(); }));
  svr.Delete(sid, [&registry](const httplib::Request& req, httplib::Response& res) {
    Reply(res, registry.Remove(req.matches[1].str()) ? ApiResult{200, json{{"deleted", req.matches[1].str()}}}
                                                     : ApiError(404, "no session " + req.matches[1].str()));
  });
  auto pane = [](bool remove) {
    return [remove](ChartSession& s, const httplib::Request& req, const json& body) {
      int64_t index = 0;
      if (!PathNumber(req, 2, 1000, &index)) return ApiError(404, "no pane " + req.matches[2].str());
      return remove ? s.DeletePane(static_cast<size_t>(index)) : s.SetPane(static_cast<size_t>(index), body);
    };
  };
  svr.Put(sid + "/panes/([0-9]+)", WithSession(registry, pane(false)));
  svr.Delete(sid + "/panes/([0-9]+)", WithSession(registry, pane(true)));
  svr.Post(sid + "/render", WithSession(registry, [](ChartSession& s, const httplib::Request&, const json& body) {
             return s.Render(body);
           }));
  svr.Post(sid + "/pick", WithSession(registry, [](ChartSession& s, const httplib::Request&, const json& body) {
             return s.Pick(body);
           }));
  svr.Post(sid + "/tools", WithSession(registry, [](ChartSession& s, const httplib::Request&, const json& body) {
             return s.CreateTool(body);
           }));
  auto tool = [](const std::string& action) {
    return [action](ChartSession& s, const httplib::Request& req, const json& body) {
      int64_t id = 0;
      if (!PathNumber(req, 2, 999999999999, &id)) return ApiError(404, "no tool " + req.matches[2].str());
      if (action == "get") return s.GetTool(id);
      if (action == "delete") return s.DeleteTool(id);
      return s.ToolInput(id, action, body);
    };
  };
  svr.Get(sid + "/tools/([0-9]+)", WithSession(registry, tool("get")));
  svr.Delete(sid + "/tools/([0-9]+)", WithSession(registry, tool("delete")));
  for (const char* action : {"click", "preview", "drag"})
    svr.Post(sid + "/tools/([0-9]+)/" + action, WithSession(registry, tool(action)));
  svr.Get(sid + "/tools-file",
          WithSession(registry, [](ChartSession& s, const httplib::Request&, const json&) { return s.SaveTools(); }));
  svr.Put(sid + "/tools-file", WithSession(registry, [](ChartSession& s, const httplib::Request&, const json& body) {
            return s.LoadTools(body);
          }));
  // The page: only the embedded files, never the file system.
  svr.Get("/([a-z0-9_.-]*)", [](const httplib::Request& req, httplib::Response& res) {
    const WebAsset* asset = FindWebAsset(req.path);
    if (!asset) {
      Reply(res, ApiError(404, "no page " + req.path));
      return;
    }
    res.set_header("Cache-Control", "no-store");
    res.set_content(reinterpret_cast<const char*>(asset->data), asset->size, asset->type);
  });
  svr.set_error_handler([](const httplib::Request& req, httplib::Response& res) {
    if (!res.body.empty()) return;
    const std::string what = res.status == 413   ? "the request body is larger than 256 KiB"
                             : res.status == 404 ? "no such resource: " + req.method + " " + req.path
                                                 : "the request failed";
    Reply(res, ApiError(res.status, what));
  });
}

// The shipped sample: beside an installed program, or in the source tree it was built from.
std::string SampleBars() {
  char self[4096] = {};
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  std::vector<std::string> candidates;
  if (n > 0) {
    std::string dir(self, static_cast<size_t>(n));
    dir = dir.substr(0, dir.rfind('/'));
    candidates.push_back(dir + "/../share/abacor/daily-ohlcv.csv");
  }
  candidates.push_back(ABACOR_SAMPLE_BARS);
  for (const std::string& c : candidates)
    if (access(c.c_str(), R_OK) == 0) return c;
  return candidates.back();
}

}  // namespace

int ServeCommand(int argc, char** argv) {
  CliArgs args;
  std::string error;
  if (!args.Parse(argc, argv, 2, {"--bars", "--port", "--host"}, {}, &error)) return Fail(error);
  long long port = 8080;
  if (args.Has("--port") && (!args.GetInt("--port", &port, &error) || port < 0 || port > 65535))
    return Fail(error.empty() ? "--port is 0 to 65535 (0: any free port)" : error);
  CsvBarProvider bars;
  const std::string path = args.Has("--bars") ? args.Get("--bars") : SampleBars();
  if (!bars.Load(path, &error)) return Fail(error);
  if (bars.Bars().empty()) return Fail(path + ": no bars");
  SessionRegistry registry(bars, 64);
  const std::string barsJson = BarsJson(bars).dump();
  httplib::Server svr;
  svr.set_payload_max_length(kMaxBody);
  Routes(svr, registry, barsJson);
  const std::string host = args.Get("--host", "127.0.0.1");
  int bound = static_cast<int>(port);
  if (port == 0)
    bound = svr.bind_to_any_port(host.c_str());
  else if (!svr.bind_to_port(host.c_str(), bound))
    bound = -1;
  if (bound < 0) return Fail("cannot listen on " + host + ":" + std::to_string(port));
  std::cout << "abacor serve: http://" << host << ":" << bound << "/  (" << bars.Bars().size() << " bars from " << path
            << ")" << std::endl;
  return svr.listen_after_bind() ? 0 : 1;
}

}  // namespace abacor_host
