#include <ostream>

#include "adaptive/describe.h"
#include "adaptsim/cli/commands.h"

namespace {

int RunDescribe(const CommandContext& context) {
  std::unique_ptr<Plugin> plugin;
  int exitCode = 0;
  const TokenInfo* token = context.loadTokenArgument(&plugin, &exitCode);
  if (token == nullptr) return exitCode;

  context.io.out << adaptive::Describe(*token);
  // A family beyond the catalogue has no entry point: the linked library runs it.
  if (token->inCatalogue && !plugin->exports(token->name)) context.io.out << "Entry point: missing from this build\n";
  return kExitOk;
}

}  // namespace

const Command& DescribeCommand() {
  static const Command command{
      "describe", "show what a token computes, its ports, parameters and final-weights file", "TOKEN",
      "Shows TOKEN's catalogue entry with what it means: the update it computes,\n"
      "its input and output ports in order, its parameters with their indices,\n"
      "defaults, meaning and accepted range, how to keep it stable, its cost per\n"
      "sample and its final-weights file.",
      {}, &RunDescribe};
  return command;
}
