// Why the library refused a filter's parameters, in words that name the
// parameter: the library's own messages stay as the simulator shows them
// ("Must be greater than 0...", "Memory (s_) allocation error."), and the
// C++ and Python interfaces put this reason before them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "adaptive/token_info.h"

namespace adaptive {

// The reason for a creation of `token` with `values` (catalogue order) that
// failed with `status`, or "" when the library's message says it all.
std::string RefusalReason(const TokenInfo& token, const std::vector<double>& values, int32_t status);

}  // namespace adaptive
