// Where adaptsim looks for the plug-in it loads by default: the directory of
// its own executable. Each platform has one source file.
#pragma once

#include <string>

// Directory holding the running executable, without a trailing separator;
// empty when the system cannot tell.
std::string ExecutableDirectory();

// True when `path` names an existing regular file.
bool IsRegularFile(const std::string& path);
