// Record of the outside-module calls the program makes, in order, so the
// start-up and shut-down sequences can be checked. When VITRINE_CALL_LOG
// names a file, each call is also appended to it as it happens, so the
// sequence survives the process.
#pragma once

#include <string>
#include <vector>

void StandInCall(const std::string& name);
const std::vector<std::string>& StandInCalls();
void ClearStandInCalls();
