// Reading and checking token parameters: every token constructor reads all of
// its parameters first, then runs its checks in a fixed order and stops at the
// first one that fails.
#pragma once

#include <array>
#include <cstdint>

#include "core/token_call.h"
#include "tokens/catalogue_families.h"

namespace adaptive {

// Every token reads its parameters at positions derived from the catalogue's
// names (ParameterIndex) in constant expressions, and the entry-point macro
// checks that each token class names its own catalogue entry: a parameter
// moved or renamed in the catalogue fails the build instead of shifting.

// The catalogue's names of the per-channel parameters, channel c's at [c].
inline constexpr const char* kChannelCounts[3] = {"Numerator Coeffs  1", "Numerator Coeffs  2", "Numerator Coeffs  3"};
inline constexpr const char* kChannelStepSizes[3] = {"Mu 1", "Mu 2", "Mu 3"};
inline constexpr const char* kChannelLeakages[3] = {"Leakage 1", "Leakage 2", "Leakage 3"};

// Positions of one per-channel parameter of entry `entry`, channel c's at [c].
template <int C>
constexpr std::array<int, C> ChannelParameterIndices(int entry, const char* const (&names)[3]) {
  std::array<int, C> at{};
  for (int c = 0; c < C; ++c) at[c] = ParameterIndex(entry, names[c]);
  return at;
}

// Positions of the numerator counts: one-channel entries call theirs
// "Numerator Coeffs".
template <int C>
constexpr std::array<int, C> NumeratorCountIndices(int entry) {
  if constexpr (C == 1) {
    return {ParameterIndex(entry, "Numerator Coeffs")};
  } else {
    return ChannelParameterIndices<C>(entry, kChannelCounts);
  }
}

// Parameter `index` of the token being set up, unchanged.
inline double ReadParameter(const TokenSetup& setup, int index) { return setup.parameters[index]; }

// A count of coefficients: truncated toward zero. A NaN or a value that does not
// fit a 32-bit signed integer yields 0, which every length check refuses.
int32_t ReadCount(const TokenSetup& setup, int index);

// Checks every parameter of the token of `row` against its range, in the
// row's check order. True when all pass; otherwise writes the first failing
// range's two-part message, sets the status to 1 and returns false.
bool CheckParameters(TokenSetup& setup, const CatalogueEntry& row);

// Writes the storage-allocation message and sets the status to 1002.
void ReportStorageFailure(CallStatus& status);

// Sum of channel lengths as the 32-bit total the tokens keep; false (and the
// storage failure reported) when the sum does not fit.
bool TotalLength(const int32_t* counts, int n, int32_t& total, CallStatus& status);

}  // namespace adaptive
