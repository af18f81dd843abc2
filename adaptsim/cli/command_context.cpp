#include <ostream>

#include "adaptive/library.h"
#include "adaptsim/cli/commands.h"
#include "adaptive/closest_name.h"
#include "adaptive/name_match.h"

void CommandContext::complain(const std::string& message) const {
  io.err << "adaptsim " << commandName << ": " << message << '\n';
}

std::unique_ptr<Plugin> CommandContext::loadPlugin() const {
  std::string error;
  std::unique_ptr<Plugin> plugin = Plugin::load(libraryPath, &error);
  if (!plugin) complain(error);
  return plugin;
}

const TokenInfo* CommandContext::loadTokenArgument(std::unique_ptr<Plugin>* plugin, int* exitCode) const {
  const std::vector<std::string>& words = arguments.positionals;
  *exitCode = kExitUsage;
  if (words.size() != 1) {
    complain(words.empty() ? "missing TOKEN" : "takes one TOKEN, got " + std::to_string(words.size()));
    return nullptr;
  }
  *plugin = loadPlugin();
  if (!*plugin) {
    *exitCode = kExitFailure;
    return nullptr;
  }
  return findToken(**plugin, words[0]);
}

std::vector<const TokenInfo*> FamiliesBeyondCatalogue() {
  std::vector<const TokenInfo*> families;
  for (const TokenInfo& token : adaptive::tokens())
    if (!token.inCatalogue) families.push_back(&token);
  return families;
}

namespace {

// The plug-in's catalogue, then the families beyond it.
std::vector<const TokenInfo*> KnownTokens(const Plugin& plugin) {
  std::vector<const TokenInfo*> known;
  for (const TokenInfo& token : plugin.catalogue()) known.push_back(&token);
  for (const TokenInfo* token : FamiliesBeyondCatalogue()) known.push_back(token);
  return known;
}

}  // namespace

const TokenInfo* FindTokenAnyCase(const Plugin& plugin, const std::string& name) {
  const std::vector<const TokenInfo*> known = KnownTokens(plugin);
  std::vector<std::string> names, candidates;
  for (const TokenInfo* token : known) names.push_back(token->name);
  const int index = adaptive::MatchName(names, name, &candidates);
  return index >= 0 ? known[static_cast<size_t>(index)] : nullptr;
}

const TokenInfo* CommandContext::findToken(const Plugin& plugin, const std::string& name) const {
  const TokenInfo* token = FindTokenAnyCase(plugin, name);
  if (token == nullptr) {
    std::vector<std::string> names;
    for (const TokenInfo* known : KnownTokens(plugin)) names.push_back(known->name);
    complain("unknown token \"" + adaptive::Shown(name) + "\"" + adaptive::DidYouMean(names, name) +
             " ('adaptsim list' shows the " +
             std::to_string(plugin.catalogue().size()) + " tokens of " + plugin.path() + ")");
  }
  return token;
}
