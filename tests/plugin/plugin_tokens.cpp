#include "tests/plugin/plugin_tokens.h"

#include <memory>

#include "adaptive/error.h"
#include "adaptive/library.h"
#include "api/library_source.h"

namespace adaptive {

std::string PluginToken::file(const std::string& base, int channel) const {
  return channels() == 1 ? base + ".txt" : base + std::to_string(channel + 1) + ".txt";
}

namespace {

std::vector<PluginToken> Load(std::string* why) {
  // Never unloaded: the instances' code must stay mapped until the process ends.
  static std::unique_ptr<adaptive::Library> library;
  try {
    library.reset(new adaptive::Library(adaptive::Library::load(ADAPTIVE_PLUGIN_PATH)));
  } catch (const adaptive::Error& e) {
    *why = e.what();
    return {};
  }
  std::vector<PluginToken> tokens;
  for (const adaptive::TokenInfo& t : library->tokens()) {
    const TokenEntryPoint entry = detail::LibraryAccess::of(*library).entryPoint(t.name);
    if (entry == nullptr) continue;
    tokens.push_back({t.name, entry, static_cast<int>(t.inputNames.size()), static_cast<int>(t.outputNames.size()),
                      t.parameterNames, t.parameterDefaults, &t});
  }
  if (tokens.empty()) *why = "the plug-in exports no token of its catalogue";
  return tokens;
}

}  // namespace

const std::vector<PluginToken>& PluginTokens(std::string* whyEmpty) {
  static std::string why;
  static const std::vector<PluginToken> tokens = Load(&why);
  if (whyEmpty != nullptr) *whyEmpty = why;
  return tokens;
}

}  // namespace adaptive
