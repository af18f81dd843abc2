// A suggestion for a name that matches none: the catalogue name a person most
// likely meant ("NMLS" for "NLMS"), for the "did you mean" of adaptsim, the C++
// Filter and Python. Exact and loose matches are MatchName's (name_match.h).
#pragma once

#include <string>
#include <vector>

namespace adaptive {

// The one name of `names` within two edits of `typed` (a character added,
// dropped or changed, or two neighbours swapped; letter case and blanks
// aside) and within a third of its length; "" when none is, or when two are
// equally close.
std::string ClosestName(const std::vector<std::string>& names, const std::string& typed);

// " (did you mean "NAME"?)" for ClosestName's suggestion, or "".
std::string DidYouMean(const std::vector<std::string>& names, const std::string& typed);

}  // namespace adaptive
