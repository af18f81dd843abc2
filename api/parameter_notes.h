// The meaning and accepted range of a token's parameters in words, as
// `adaptsim describe`, adaptive_filters.describe() and the reference manual show them
// and as the interfaces name a refused value: the meaning from the token
// notes, the range from the token's row, the one the library's checks read.
#pragma once

#include <string>
#include <string_view>

#include "core/parameter_range.h"

namespace adaptive {

// `name` without its channel number: "Numerator Coeffs  2" and "Mu 2" give
// "Numerator Coeffs" and "Mu".
std::string_view WithoutChannel(std::string_view name);

// The accepted values of `range`, as a phrase: "from 0 to 1", "above 0", "0 or
// more", "any number but 0", "a whole number from 1 to 2147483647".
std::string RangePhrase(const ParameterRange& range);

// The sentence a parameter's note ends with: its range and the library's
// message for a value outside it, or that any value is taken.
std::string RangeSentence(const ParameterRange& range);

// The range of parameter `parameter` (with or without its channel number) of
// `token`; null for a name the catalogue does not have.
const ParameterRange* ParameterRangeOf(std::string_view token, std::string_view parameter);

// The note on parameter `parameter` of `token`: its meaning from the token
// notes, then RangeSentence of its range; "" when the notes have none.
std::string ParameterNote(std::string_view token, std::string_view parameter);

// The sentence on the fixed delay of `token`'s outputs, naming the parameter
// that sets it; "" for a token whose outputs come out with their sample.
std::string LatencyNote(std::string_view token);

// The first parameter of `token` whose value in `values` (catalogue order) is
// outside its range, as the library checks them, or -1.
int FirstRefusedParameter(std::string_view token, const double* values, size_t count);

}  // namespace adaptive
