// The commands of adaptsim. Each lives in a file of its own and states its
// options in a table; cli.cpp finds them by name.
#pragma once

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "adaptsim/cli/arguments.h"
#include "adaptsim/hosting/plugin.h"

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

struct CommandIo {
  std::istream& in;
  std::ostream& out;
  std::ostream& err;
};

// How far a command goes: all the way, or through its words, its options and
// the token names only, returning before it reads samples, runs a token or
// writes a file (for tools that explore the command line, as the fuzzer does).
enum class CommandReach { kRun, kCheckOnly };

// What every command receives: its parsed words and the library to load.
struct CommandContext {
  const ParsedArguments& arguments;
  std::string libraryPath;
  CommandIo& io;
  std::string commandName;
  CommandReach reach;

  // True when the command is to stop here, its usage checked: kCheckOnly.
  bool checkedOnly() const { return reach == CommandReach::kCheckOnly; }

  // Prints "adaptsim COMMAND: message" to the error stream.
  void complain(const std::string& message) const;
  // Loads the library, or complains and returns null.
  std::unique_ptr<Plugin> loadPlugin() const;
  // The catalogue entry called `name`, or complains and returns null.
  const TokenInfo* findToken(const Plugin& plugin, const std::string& name) const;
  // For commands that take one TOKEN word: loads the library into *plugin and
  // returns the token's entry, or complains, sets *exitCode and returns null.
  const TokenInfo* loadTokenArgument(std::unique_ptr<Plugin>* plugin, int* exitCode) const;
};

// The tokens of the library's families beyond the plug-in's catalogue.
std::vector<const TokenInfo*> FamiliesBeyondCatalogue();

// The token whose name is `name` in any letter case: the plug-in's catalogue
// entry, else the library's family beyond it, or null.
const TokenInfo* FindTokenAnyCase(const Plugin& plugin, const std::string& name);

struct Command {
  const char* name;
  const char* summary;
  const char* synopsis;     // the words after "adaptsim NAME"
  const char* description;  // paragraph shown by --help
  std::vector<OptionSpec> options;
  int (*run)(const CommandContext& context);
};

const Command& ListCommand();
const Command& DescribeCommand();
const Command& RunCommand();
// Only in builds with adaptsim's lab part (ADAPTSIM_WITH_LAB).
const Command& DemoCommand();
const Command& ExamplesCommand();
