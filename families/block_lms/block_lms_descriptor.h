// Block LMS ("BLMS"): the LMS correction summed over a block of L samples and
// applied once at the block's end, with the same 2μ as the library's LMS.
//
// Design: the outputs of a sample come out with it (no latency). Each sample
// forms y(n) with the block's coefficients and adds 2μ·e(n)·x(n) to a
// gradient accumulator, (2μ·e(n)) first, as LMS forms its gain; at the end
// of the block the accumulator is added to the coefficients and cleared. So
// the cost is that of LMS, 2N per sample, and with L = 1 every bit is LMS's.
// The block ranges are shared with the frequency-domain families, which are
// fast forms of the same update.
#pragma once

#include "core/catalogue.h"
#include "core/family_descriptor.h"
#include "core/parameter_range.h"

namespace adaptive {

namespace ranges {

// A count as "Numerator Coeffs" is, read as a 32-bit integer toward zero.
inline constexpr ParameterRange kBlockLength{"Improper block length of Adaptive Filter.\n", "Must be greater than 0...",
                                             1.0, Edge::kClosed, 2147483648.0, Edge::kOpen, true, false};

}  // namespace ranges

namespace notes {

inline constexpr const char* kBlockMu =
    "Step size μ; each block moves the coefficients by 2μ·Σ e(n)·x(n) over its samples (the gain is twice the "
    "step size, as in LMS).";
inline constexpr const char* kBlockLength =
    "Number L of consecutive samples adapted together: the coefficients change once every L samples.";
inline constexpr const char* kBlockOutput = "y(n) = w^T(k)·x(n), the output with the coefficients of the block.";
inline constexpr const char* kBlockPriError = "e(n) = d(n) − y(n).";

}  // namespace notes

inline constexpr TokenNotes kBlockLmsNotes = {
    "Block LMS: the LMS corrections of L consecutive samples summed and applied at the end of the block, the "
    "coefficients held within it. The form that the frequency-domain families compute fast.",
    "y(n) = w^T(k)·x(n),   e(n) = d(n) − y(n)   for the samples n of block k\n"
    "w(k+1) = w(k) + Σ_n (2μ·e(n))·x(n)   at the end of block k",
    "x(n) = [x(n), …, x(n−N+1)]; block k holds the samples kL … kL + L − 1, the first block starting at the first "
    "sample; the sum runs over the block in sample order from 0.",
    {{"Numerator Coeffs", "Number N of coefficients of the filter."},
     {"Block Length", notes::kBlockLength},
     {"Mu", notes::kBlockMu}},
    {{"Output", notes::kBlockOutput}, {"PriError", notes::kBlockPriError}},
    "The block sums L corrections, so the bound is L times tighter than the LMS one: μ·L·N·P_x < 1 (P_x the input "
    "power) keeps it stable; with L = 1 it is LMS with the same Mu, every output bit the same.",
    "O(N): 2N multiply-adds per sample, as LMS"};

inline constexpr CatalogueEntry kBlockLmsRows[] = {
    {"BLMS", "Implements a block LMS algorithm.", "lmsx.wmf",
     2, {"Input", "Desired"},
     2, {"Output", "PriError"},
     3, {{"Numerator Coeffs", 32, ParameterRole::kLength, &ranges::kLength},
         {"Block Length", 32, ParameterRole::kBlockLength, &ranges::kBlockLength},
         {"Mu", 0.0005, ParameterRole::kStepSize, &ranges::kStepSize}},
     "blms.txt",
     {"Numerator Coeffs", "Block Length", "Mu"},
     &kBlockLmsNotes},
};
static_assert(AreWellFormed(kBlockLmsRows));

extern const FamilyDescriptor kBlockLmsFamily;

}  // namespace adaptive
