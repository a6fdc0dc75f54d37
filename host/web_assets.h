#pragma once
// The page's files, embedded into the program at build time from host/web/.
#include <cstddef>
#include <string>

namespace abacor_host {

struct WebAsset {
  const char* path;  // "/index.html", "/app.js", ...
  const char* type;  // the Content-Type
  const unsigned char* data;
  size_t size;
};

// The embedded file served at `path` ("/" is "/index.html"); null when there is none.
const WebAsset* FindWebAsset(const std::string& path);

}  // namespace abacor_host
