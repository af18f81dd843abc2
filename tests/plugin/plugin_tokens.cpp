#include "tests/plugin/plugin_tokens.h"

#include <dlfcn.h>

#include "host/catalogue.h"

int PluginToken::channels() const {
  const char last = name.back();
  return last == '2' ? 2 : last == '3' ? 3 : 1;
}

std::string PluginToken::file(const std::string& base, int channel) const {
  return channels() == 1 ? base + ".txt" : base + std::to_string(channel + 1) + ".txt";
}

bool PluginToken::isCount(size_t parameter) const {
  return parameterNames[parameter].find("Coeffs") != std::string::npos;
}

namespace {

std::vector<PluginToken> Load(std::string* why) {
  // Never closed: the instances' code must stay mapped until the process ends.
  void* library = dlopen(ADAPTIVE_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    *why = dlerror();
    return {};
  }
  if (dlsym(library, "USERCODE") == nullptr) {
    *why = "the plug-in exports no USERCODE";
    return {};
  }
  std::vector<PluginToken> tokens;
  for (int t = 0; t < kCatalogueSize; ++t) {
    const CatalogueEntry& e = CatalogueEntries()[t];
    auto entry = reinterpret_cast<TokenEntryPoint>(dlsym(library, e.name));
    if (entry == nullptr) continue;
    PluginToken token{e.name, entry, e.inputCount, e.outputCount, {}, {}};
    for (int p = 0; p < e.parameterCount; ++p) {
      token.parameterNames.emplace_back(e.parameters[p].name);
      token.defaults.push_back(e.parameters[p].defaultValue);
    }
    tokens.push_back(std::move(token));
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
