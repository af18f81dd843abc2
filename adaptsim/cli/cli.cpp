#include "adaptsim/cli/cli.h"
#include "adaptive/name_match.h"

#include <algorithm>
#include <ostream>

namespace {

// The demo and the examples come with the lab part of adaptsim (worker
// processes, Eigen, libsndfile), which the Windows build leaves out.
const Command* const kCommands[] = {&ListCommand(), &DescribeCommand(), &RunCommand(),
#ifdef ADAPTSIM_WITH_LAB
                                    &DemoCommand(), &ExamplesCommand(),
#endif
};

// "list, describe, run, demo or examples"
std::string CommandNames() {
  std::string names;
  const size_t count = sizeof kCommands / sizeof kCommands[0];
  for (size_t i = 0; i < count; ++i) {
    if (i > 0) names += i + 1 == count ? " or " : ", ";
    names += kCommands[i]->name;
  }
  return names;
}

const OptionSpec kLibraryOption{"library", 0, "PATH", "token library to load (default: the one built or installed with adaptsim)"};
const OptionSpec kHelpOption{"help", 'h', nullptr, "show this help"};
// The project's version, that of the CMake package too.
const OptionSpec kVersionOption{"version", 0, nullptr, "print the version"};

const Command* FindCommand(const std::string& name) {
  for (const Command* command : kCommands) {
    if (name == command->name) return command;
  }
  return nullptr;
}

std::vector<OptionSpec> OptionsOf(const Command& command) {
  std::vector<OptionSpec> specs = command.options;
  specs.push_back(kLibraryOption);
  specs.push_back(kHelpOption);
  return specs;
}

void PrintMainHelp(std::ostream& out) {
  out << "Usage: adaptsim [--library PATH] COMMAND [ARGUMENTS]\n"
         "Stand-in host for the adaptive filter tokens: loads the token library at run\n"
         "time and drives its tokens the way the simulator does.\n\nCommands:\n";
  size_t width = 0;
  for (const Command* command : kCommands) width = std::max(width, std::string(command->name).size());
  for (const Command* command : kCommands) {
    out << "  " << command->name << std::string(width - std::string(command->name).size() + 2, ' ')
        << command->summary << '\n';
  }
  out << "\nOptions:\n" << FormatOptionHelp({kLibraryOption, kVersionOption, kHelpOption})
      << "\nDefault library: " << DefaultPluginPath()
      << "\nRun 'adaptsim COMMAND --help' for a command's arguments.\n";
}

void PrintCommandHelp(const Command& command, std::ostream& out) {
  out << "Usage: adaptsim " << command.name;
  if (command.synopsis[0] != '\0') out << ' ' << command.synopsis;
  out << "\n" << command.description << "\n\nOptions:\n" << FormatOptionHelp(OptionsOf(command));
}

int UsageError(CommandIo& io, const std::string& message, const std::string& helpCommand) {
  io.err << "adaptsim: " << message << "\nTry 'adaptsim " << helpCommand << "--help'.\n";
  return kExitUsage;
}

}  // namespace

int RunCommandLine(const std::vector<std::string>& words, CommandIo& io, CommandReach reach) {
  // Options before the command name: only those that every command shares.
  ParsedArguments global;
  size_t commandAt = 0;
  while (commandAt < words.size() && words[commandAt].size() > 1 && words[commandAt][0] == '-') {
    if (words[commandAt] == "--library") ++commandAt;  // its value follows
    ++commandAt;
  }
  commandAt = std::min(commandAt, words.size());
  std::string error;
  const std::vector<std::string> leading(words.begin(), words.begin() + static_cast<long>(commandAt));
  if (!ParseArguments(leading, {kLibraryOption, kVersionOption, kHelpOption}, &global, &error)) {
    return UsageError(io, error, "");
  }
  if (global.has("version")) {
    io.out << "adaptsim " ADAPTSIM_VERSION "\n";
    return kExitOk;
  }
  if (commandAt >= words.size()) {
    if (global.has("help")) {
      PrintMainHelp(io.out);
      return kExitOk;
    }
    return UsageError(io, "missing COMMAND (" + CommandNames() + ")", "");
  }
  const Command* command = FindCommand(words[commandAt]);
  if (command == nullptr) {
    return UsageError(io, "unknown command \"" + adaptive::Shown(words[commandAt]) + "\"", "");
  }
  const std::string helpCommand = std::string(command->name) + " ";
  if (global.has("help")) {
    PrintCommandHelp(*command, io.out);
    return kExitOk;
  }

  ParsedArguments arguments;
  const std::vector<std::string> rest(words.begin() + static_cast<long>(commandAt) + 1, words.end());
  if (!ParseArguments(rest, OptionsOf(*command), &arguments, &error)) {
    return UsageError(io, command->name + std::string(": ") + error, helpCommand);
  }
  if (arguments.has("help")) {
    PrintCommandHelp(*command, io.out);
    return kExitOk;
  }
  const std::string libraryPath =
      arguments.last("library", global.last("library", std::string()));
  const CommandContext context{arguments, libraryPath.empty() ? DefaultPluginPath() : libraryPath, io,
                               command->name, reach};
  const int result = command->run(context);
  if (result == kExitUsage) io.err << "Try 'adaptsim " << helpCommand << "--help'.\n";
  return result;
}
