#include <ostream>

#include "sim/commands.h"

void CommandContext::complain(const std::string& message) const {
  io.err << "adaptsim " << commandName << ": " << message << '\n';
}

std::unique_ptr<Plugin> CommandContext::loadPlugin() const {
  std::string error;
  std::unique_ptr<Plugin> plugin = Plugin::Load(libraryPath, &error);
  if (!plugin) complain(error);
  return plugin;
}

const TokenInfo* CommandContext::findToken(const Plugin& plugin, const std::string& name) const {
  const TokenInfo* token = plugin.find(name);
  if (token == nullptr) {
    complain("unknown token \"" + name + "\" ('adaptsim list' shows the " +
             std::to_string(plugin.catalogue().size()) + " tokens of " + plugin.path() + ")");
  }
  return token;
}
