#pragma once
// A small command-line reader: "--name value" options, repeatable ones, and flags.
#include <map>
#include <string>
#include <vector>

namespace abacor_host {

class CliArgs {
 public:
  // Parses argv[first..]; fails on an option missing its value or an unknown option.
  bool Parse(int argc, char** argv, int first, const std::vector<std::string>& valued,
             const std::vector<std::string>& flags, std::string* error);
  bool Has(const std::string& name) const { return values_.count(name) != 0; }
  std::string Get(const std::string& name, const std::string& fallback = "") const;
  const std::vector<std::string>& All(const std::string& name) const;
  // An integer option; false with a message when it is present but not an integer.
  bool GetInt(const std::string& name, long long* out, std::string* error) const;

 private:
  std::map<std::string, std::vector<std::string>> values_;
};

}  // namespace abacor_host
