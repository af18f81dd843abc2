// Parameter values given on the command line as NAME=VALUE.
#pragma once

#include <string>
#include <vector>

#include "adaptsim/hosting/plugin.h"

// Applies one "NAME=VALUE" setting to `values` (one per parameter of `token`).
// NAME is a parameter's catalogue name (or the one name it matches in any
// letter case with one blank for two, see MatchName) or its index;
// VALUE is any double, "nan" and "inf" included. False with the reason in
// *error (for an unknown name, a list of the token's parameters).
bool ApplyParameterSetting(const TokenInfo& token, const std::string& setting,
                           std::vector<double>* values, std::string* error);
