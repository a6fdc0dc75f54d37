// abacor: the reference host's command line.
#include <cstring>
#include <iostream>

#include "cli_commands.h"

namespace abacor_host {

int Fail(const std::string& message) {
  std::cerr << "abacor: " << message << "\n";
  return 2;
}

namespace {

struct Command {
  const char* name;
  int (*run)(int argc, char** argv);
  const char* usage;
};

constexpr Command kCommands[] = {
    {"run", RunCommand,
     "run --bars FILE --formula TEXT|@FILE [--param name=value]... [--from N --to N]\n"
     "      [--format table|csv|json]   compile, calculate and print every output per bar"},
    {"chart", ChartCommand,
     "chart --bars FILE --pane FORMULA|@FILE [--pane ...]... [--param name=value]...\n"
     "      [--from N --to N] [--tools FILE.json] [--size WxH]\n"
     "      [--price-range LOW:HIGH] [--rise-green] [--no-candles] --svg OUT.svg\n"
     "      draw candles, formula panes and drawing tools as SVG; the first pane is the price pane,\n"
     "      drawn over candles unless its formula draws them (DRAWKLINE) or --no-candles is given;\n"
     "      every output without a colour keyword gets a palette colour of its own (SetOutputColor)"},
    {"tools", ToolsCommand, "tools   list the drawing-tool catalogue (value, enumerator, points)"},
    {"functions", FunctionsCommand,
     "functions [NAME]   the formula language's functions by family, or the reference of one keyword"},
    {"serve", ServeCommand,
     "serve [--bars FILE] [--port N] [--host ADDR]\n"
     "      the interactive chart page and its JSON API over HTTP (127.0.0.1:8080 by default;\n"
     "      --port 0 picks a free port; without --bars the shipped sample is shown)"},
};
static_assert(sizeof(kCommands) / sizeof(kCommands[0]) == 5, "command table");

int Usage(std::ostream& out, int code) {
  out << "usage: abacor COMMAND [options]\n";
  for (const Command& c : kCommands) out << "  abacor " << c.usage << "\n";
  return code;
}

}  // namespace
}  // namespace abacor_host

int main(int argc, char** argv) {
  using namespace abacor_host;
  if (argc < 2) return Usage(std::cerr, 2);
  if (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "help")) return Usage(std::cout, 0);
  for (const Command& c : kCommands)
    if (!std::strcmp(argv[1], c.name)) return c.run(argc, argv);
  std::cerr << "abacor: unknown command \"" << argv[1] << "\"\n";
  return Usage(std::cerr, 2);
}
