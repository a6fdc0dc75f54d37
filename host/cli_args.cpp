#include "cli_args.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace abacor_host {

bool CliArgs::Parse(int argc, char** argv, int first, const std::vector<std::string>& valued,
                    const std::vector<std::string>& flags, std::string* error) {
  for (int i = first; i < argc; ++i) {
    std::string arg = argv[i];
    if (std::find(flags.begin(), flags.end(), arg) != flags.end()) {
      values_[arg].push_back("1");
      continue;
    }
    if (std::find(valued.begin(), valued.end(), arg) == valued.end()) {
      *error = "unknown option: " + arg;
      return false;
    }
    if (i + 1 >= argc) {
      *error = "option " + arg + " needs a value";
      return false;
    }
    values_[arg].push_back(argv[++i]);
  }
  return true;
}

std::string CliArgs::Get(const std::string& name, const std::string& fallback) const {
  auto it = values_.find(name);
  return it == values_.end() ? fallback : it->second.back();
}

const std::vector<std::string>& CliArgs::All(const std::string& name) const {
  static const std::vector<std::string> kNone;
  auto it = values_.find(name);
  return it == values_.end() ? kNone : it->second;
}

bool CliArgs::GetInt(const std::string& name, long long* out, std::string* error) const {
  if (!Has(name)) return true;
  std::string text = Get(name);
  char* end = nullptr;
  errno = 0;
  long long v = std::strtoll(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno == ERANGE) {
    *error = "option " + name + " takes a whole number, not \"" + text + "\"";
    return false;
  }
  *out = v;
  return true;
}

}  // namespace abacor_host
