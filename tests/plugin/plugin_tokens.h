// The tokens as a host sees them: the plug-in loaded at run time through the
// C++ interface and the entry point of each catalogue entry resolved by name.
// Tests that must cover every token iterate over this list, so they cover each
// token as soon as the library exports it.
#pragma once

#include <string>
#include <vector>

#include "adaptive/token_info.h"
#include "plugin/records.h"

namespace adaptive {

struct PluginToken {
  std::string name;
  TokenEntryPoint entry;
  int inputs;
  int outputs;
  std::vector<std::string> parameterNames;
  std::vector<double> defaults;
  // The catalogue entry, for the facts about the token.
  const adaptive::TokenInfo* info;

  // Number of final-weights files (one per channel).
  int channels() const { return info->filterChannels(); }
  // The name of channel c's final-weights file for the instance name `base`.
  std::string file(const std::string& base, int channel) const;
  // True for the parameters that are counts of coefficients.
  bool isCount(size_t parameter) const { return info->isCount(parameter); }
};

// Every catalogue entry whose entry point the plug-in exports. Empty when the
// plug-in cannot be loaded or has no catalogue yet (the message says why).
const std::vector<PluginToken>& PluginTokens(std::string* whyEmpty = nullptr);

}  // namespace adaptive
