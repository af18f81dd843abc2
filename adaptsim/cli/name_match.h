// Names typed on the command line against the catalogue's: the exact name
// first, else the one name that matches in any letter case with any run of
// blanks taken as one ("numerator coeffs 1" for "Numerator Coeffs  1").
#pragma once

#include <string>
#include <vector>

// The index of the name in `names` that `typed` stands for; -1 when none
// does, -2 when several do (then *candidates lists them).
int MatchName(const std::vector<std::string>& names, const std::string& typed, std::vector<std::string>* candidates);
