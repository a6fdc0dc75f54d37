// Where the stand-ins keep their files and find the program's resources, and
// the environment settings that replace the machine's own.
#pragma once

#include <string>

// VITRINE_HOME, else $XDG_CONFIG_HOME/vitrine, else $HOME/.config/vitrine;
// created on first use.
std::string StandInConfigDir();
// VITRINE_RESOURCES, else the installed share/vitrine/resources beside the
// program, else the source tree's resources.
std::string StandInResourceDir();
// A factor from the environment; the fallback when unset, not a number or
// not positive.
double StandInEnvFactor(const char* name, double fallback);
int StandInEnvInt(const char* name, int fallback);
bool StandInFileExists(const std::string& path);
