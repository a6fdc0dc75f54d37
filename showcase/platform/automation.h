// The stand-in message source: automation commands read from a stream
// whenever the message queue is empty, acting on the windows the way a person
// would (clicks, typing, focus, selections) and printing the stand-ins'
// recorded state on request. At the end of input the main window is closed,
// so the program shuts down through its own sequence.
#pragma once

#include <iosfwd>
#include <string>

void InstallAutomationConsole(std::istream& in, std::ostream& out);
// Runs one command line; false for an unknown command or a failed one.
bool RunAutomationCommand(const std::string& line, std::ostream& out);
