#pragma once
// The subcommands of the abacor command line.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace abacor_host {

class CliArgs;

// Prints "abacor: message" to standard error and returns the failure exit code.
int Fail(const std::string& message);

// The --param name=value options of a command.
bool ParseParams(const CliArgs& args, std::vector<std::pair<std::string, float>>* params, std::string* error);
// The --from/--to options within [0, barCount - 1]; the whole range when absent.
bool ResolveRange(const CliArgs& args, int32_t barCount, int32_t* first, int32_t* last, std::string* error);

int RunCommand(int argc, char** argv);
int ChartCommand(int argc, char** argv);
int ToolsCommand(int argc, char** argv);
int ServeCommand(int argc, char** argv);
int FunctionsCommand(int argc, char** argv);

}  // namespace abacor_host
