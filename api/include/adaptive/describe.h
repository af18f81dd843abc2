// A token described for a person: its catalogue entry with the meaning of each
// port and parameter, the update it computes and how to keep it stable. The
// same text is shown by `adaptsim describe` and adaptive_filters.describe() in Python.
#pragma once

#include <string>

#include "adaptive/token_info.h"

namespace adaptive {

// The description of `token` as lines of plain text (UTF-8, at most about 80
// columns). A token the notes do not know (from another library) gets its
// catalogue entry alone.
std::string Describe(const TokenInfo& token);

}  // namespace adaptive
