// adaptsim's command line: global options, the choice of command, help texts.
#pragma once

#include <string>
#include <vector>

#include "adaptsim/cli/commands.h"

// Runs the command that `words` (the arguments after the program name) ask
// for, as far as `reach` says; returns the process's exit status.
int RunCommandLine(const std::vector<std::string>& words, CommandIo& io, CommandReach reach = CommandReach::kRun);
