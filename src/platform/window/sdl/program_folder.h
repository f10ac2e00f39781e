// Where the running program's executable lies.
#pragma once

#include <string>

// The folder of the running executable (no trailing '/'); empty when it
// cannot be found. Needs no initialised SDL.
std::string ProgramFolder();
