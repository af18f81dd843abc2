// Names a person typed against the catalogue's, the same way in adaptsim, the
// C++ Filter and Python: the exact name first, else the one name that matches
// in any letter case with any run of blanks taken as one ("numerator coeffs 1"
// for "Numerator Coeffs  1"). Several loose matches are never guessed between.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace adaptive {

// The index of the name in `names` that `typed` stands for; -1 when none
// does, -2 when several do (then *candidates lists them).
int MatchName(const std::vector<std::string>& names, const std::string& typed, std::vector<std::string>* candidates);

// What a person typed, as a message shows it: whole up to kShownTextLength
// bytes, else its start and "...", so that a name pasted by mistake (a whole
// file) is not echoed whole. The cut never splits a UTF-8 character.
constexpr size_t kShownTextLength = 64;
std::string Shown(const std::string& typed);

// `names` quoted and separated by commas: "A", "B", "C".
std::string QuotedNames(const std::vector<std::string>& names);

// The index MatchName finds, or throws Error (a bad parameter): `unknown`
// when no name matches, "`what` "typed" could be any of ..." listing the
// candidates when several do.
size_t MatchNameOrThrow(const std::vector<std::string>& names, const std::string& typed, const std::string& what,
                        const std::string& unknown);

}  // namespace adaptive
