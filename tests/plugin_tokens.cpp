#include "tests/plugin_tokens.h"

#include <dlfcn.h>

int PluginToken::channels() const {
  const char last = name.back();
  return last == '2' ? 2 : last == '3' ? 3 : 1;
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
  auto usercode = reinterpret_cast<UserCodeEntryPoint>(dlsym(library, "USERCODE"));
  if (usercode == nullptr) {
    *why = "the plug-in exports no USERCODE";
    return {};
  }
  std::vector<TokenDescriptor> descriptors(kCatalogueSize);
  std::vector<const char*> names(kCatalogueSize * (kMaxInputPorts + kMaxOutputPorts + kMaxParameters));
  std::vector<double> defaults(kCatalogueSize * kMaxParameters);
  for (int t = 0; t < kCatalogueSize; ++t) {
    const char** own = &names[t * (kMaxInputPorts + kMaxOutputPorts + kMaxParameters)];
    descriptors[t].inputNames = own;
    descriptors[t].outputNames = own + kMaxInputPorts;
    descriptors[t].parameterNames = own + kMaxInputPorts + kMaxOutputPorts;
    descriptors[t].parameterDefaults = &defaults[t * kMaxParameters];
  }
  LibraryInfo info{};
  info.tokens = descriptors.data();
  usercode(&info);
  std::vector<PluginToken> tokens;
  for (int t = 0; t < info.tokenCount && t < kCatalogueSize; ++t) {
    const TokenDescriptor& d = descriptors[t];
    auto entry = reinterpret_cast<TokenEntryPoint>(dlsym(library, d.entryName));
    if (entry == nullptr) continue;
    PluginToken token{d.entryName, entry, d.inputCount, d.outputCount, {}, {}};
    for (int p = 0; p < d.parameterCount; ++p) {
      token.parameterNames.emplace_back(d.parameterNames[p]);
      token.defaults.push_back(d.parameterDefaults[p]);
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
