#include <algorithm>
#include <ostream>

#include "adaptsim/cli/commands.h"

namespace {

int RunList(const CommandContext& context) {
  if (!context.arguments.positionals.empty()) {
    context.complain("takes no arguments, got \"" + context.arguments.positionals.front() + "\"");
    return kExitUsage;
  }
  const std::unique_ptr<Plugin> plugin = context.loadPlugin();
  if (!plugin) return kExitFailure;
  const std::vector<const TokenInfo*> families = FamiliesBeyondCatalogue();
  size_t width = 0;
  for (const TokenInfo& token : plugin->catalogue()) width = std::max(width, token.name.size());
  for (const TokenInfo& token : plugin->catalogue()) {
    context.io.out << token.name << std::string(width - token.name.size() + 2, ' ') << token.description;
    if (!plugin->exports(token.name)) context.io.out << "  (not in this build)";
    context.io.out << '\n';
  }
  // After a blank line, so that the catalogue's listing ends there.
  if (!families.empty()) context.io.out << "\nIn the library beyond the catalogue (not in the plug-in):\n";
  for (const TokenInfo* token : families) width = std::max(width, token->name.size());
  for (const TokenInfo* token : families)
    context.io.out << token->name << std::string(width - token->name.size() + 2, ' ') << token->description << '\n';
  return kExitOk;
}

}  // namespace

const Command& ListCommand() {
  static const Command command{
      "list", "list the tokens of the catalogue", "",
      "Lists the tokens that the library's catalogue offers, one per line with its\n"
      "description. Tokens whose entry point the library lacks are marked. Then,\n"
      "in a group of their own, the families of the library beyond the catalogue,\n"
      "which the simulator does not see.",
      {}, &RunList};
  return command;
}
