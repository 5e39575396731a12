#pragma once
// The program's version as the build states it (the project version in CMake).

#include <string>

std::string ProgramFileVersion();
