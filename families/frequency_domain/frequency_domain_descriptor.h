// The frequency-domain adaptive filters: "FDAF", fast block LMS by overlap-save
// with one block of N samples and FFTs of 2N points, and "PBFDAF", the same
// over N/L partitions of L taps with FFTs of 2L points (the multidelay filter),
// whose latency is one short block.
//
// Design: one engine (partitioned_filter.h) serves both; FDAF is its one-
// partition case with L = N. Samples are gathered into blocks; when a block's
// last sample arrives the block is filtered and adapted, and its outputs come
// out over the next L samples, so every output is that of the sample L before
// (zeros first): a fixed delay that does not depend on how the samples are
// handed over. The transforms are Eigen's FFT (real input, half spectrum): it
// runs in double, gives the same bits on every run, and needs no plan that
// depends on the machine. The constrained form keeps the coefficients in the
// time domain and transforms them after each update, so that the coefficients
// reported are exact and their second half stays zero; the unconstrained form
// keeps only their spectra and reports the first half of each partition's
// inverse transform.
#pragma once

#include "core/catalogue.h"
#include "core/family_descriptor.h"
#include "core/parameter_range.h"
#include "families/block_lms/block_lms_descriptor.h"

namespace adaptive {

namespace ranges {

inline constexpr ParameterRange kAveraging{"Improper averaging factor of Adaptive Filter.\n",
                                           "Must be between 0 and 1...", 0.0, Edge::kClosed, 1.0, Edge::kOpen, false,
                                           false};
inline constexpr ParameterRange kPowerDelta{"Improper regularisation of Adaptive Filter.\n",
                                            "Must be greater than 0...", 0.0, Edge::kOpen, kNone, Edge::kNone, false,
                                            false};
inline constexpr ParameterRange kSwitch{"Improper switch of Adaptive Filter.\n", "Must be 0 or 1...", 0.0,
                                        Edge::kClosed, 1.0, Edge::kClosed, true, false};
inline constexpr ParameterRange kConstraint{"Improper constraint of Adaptive Filter.\n", "Must be 0, 1 or 2...", 0.0,
                                            Edge::kClosed, 2.0, Edge::kClosed, true, false};

}  // namespace ranges

namespace notes {

inline constexpr const char* kSpectralMu =
    "Step size μ; bin f of each block's correction is scaled by 2μ/(P(f) + δ) when normalised, by 2μ otherwise "
    "(the gain is twice the step size, as in LMS).";
inline constexpr const char* kAveraging =
    "Averaging β of the power estimate P(f) ← β·P(f) + (1 − β)·|X(f)|^2, from 0 (this block only) to below 1; "
    "a memory of about 1/(1 − β) blocks.";
inline constexpr const char* kPowerDelta =
    "Regularisation δ added to P(f), so that a silent bin does not divide by nothing.";
inline constexpr const char* kConstrained =
    "1: the gradient constraint (the second half of each partition's time-domain gradient is zeroed), the exact "
    "block LMS update; 0: unconstrained, two transforms per partition and block cheaper, converging more slowly "
    "to a filter whose wrapped-around half is not zero; 2: unconstrained, and one partition per block in turn has "
    "the second half of its coefficients zeroed, at the cost of two transforms per block.";
inline constexpr const char* kNormalised = "1: a step per bin, 2μ/(P(f) + δ); 0: 2μ in every bin.";
inline constexpr const char* kDelayedOutput = "y(n − L), the output of the sample L before (0 for the first L).";
inline constexpr const char* kDelayedPriError = "e(n − L) = d(n − L) − y(n − L), the error of the sample L before.";

inline constexpr const char* kFrequencyDomainUpdate =
    "X_k = FFT([x(kL−L), …, x(kL+L−1)]),   W_p = FFT([w_p; 0])\n"
    "[·; y_k] = IFFT(Σ_p X_{k−p} ⊙ W_p),   e_k = d_k − y_k\n"
    "P(f) ← β·P(f) + (1 − β)·|X_k(f)|^2,   μ(f) = 2μ/(P(f) + δ) or 2μ\n"
    "G_p = X_{k−p}^* ⊙ μ ⊙ FFT([0; e_k])\n"
    "constrained:   w_p ← w_p + first half of IFFT(G_p)\n"
    "unconstrained: W_p ← W_p + G_p\n"
    "in turn:       W_p ← W_p + G_p,   then W_q ← FFT([first half of IFFT(W_q); 0]),   q = k mod (N/L)";
inline constexpr const char* kFrequencyDomainStability =
    "Normalised, it converges for 0 < μ < 1 with one partition; with P partitions keep μ below about 1/P, as "
    "their corrections add up. Unnormalised, it is block LMS: μ·L·N·P_x < 1 (P_x the input power). A small β "
    "follows changes of the input's spectrum quickly at the price of a noisier step.";

}  // namespace notes

inline constexpr TokenNotes kFdafNotes = {
    "Fast block LMS by overlap-save: blocks of N samples filtered and adapted in the frequency domain with FFTs "
    "of 2N points, with a step size per frequency bin when normalised. Constrained and unnormalised it is block "
    "LMS with L = N.",
    notes::kFrequencyDomainUpdate,
    "L = N and one partition (p = 0); d_k, y_k, e_k the N samples of block k; FFT of 2N points; ^* the complex "
    "conjugate, ⊙ the product bin by bin. The outputs come out N samples late.",
    {{"Numerator Coeffs",
      "Number N of coefficients, also the block length (FFTs of 2N points); a product of 2, 3 and 5."},
     {"Mu", notes::kSpectralMu},
     {"Averaging", notes::kAveraging},
     {"Delta", notes::kPowerDelta},
     {"Constrained", notes::kConstrained},
     {"Normalised", notes::kNormalised}},
    {{"Output", notes::kDelayedOutput}, {"PriError", notes::kDelayedPriError}},
    notes::kFrequencyDomainStability,
    "O(log N): five FFTs of 2N points per block of N samples (three unconstrained)"};

inline constexpr TokenNotes kPbfdafNotes = {
    "Partitioned block frequency-domain adaptive filter (multidelay filter): the N coefficients in N/L "
    "partitions of L, each filtered and adapted in the frequency domain with FFTs of 2L points, so the latency is "
    "one block of L. With one partition it is FDAF; constrained and unnormalised it is block LMS with block L.",
    notes::kFrequencyDomainUpdate,
    "w_p the L coefficients pL … pL + L − 1, p = 0 … N/L − 1; d_k, y_k, e_k the L samples of block k; FFT of 2L "
    "points; ^* the complex conjugate, ⊙ the product bin by bin. The outputs come out L samples late.",
    {{"Numerator Coeffs", "Number N of coefficients, a multiple of \"Block Length\"."},
     {"Block Length", "Number L of samples per block and of taps per partition (FFTs of 2L points); a product of "
                      "2, 3 and 5."},
     {"Mu", notes::kSpectralMu},
     {"Averaging", notes::kAveraging},
     {"Delta", notes::kPowerDelta},
     {"Constrained", notes::kConstrained},
     {"Normalised", notes::kNormalised}},
    {{"Output", notes::kDelayedOutput}, {"PriError", notes::kDelayedPriError}},
    notes::kFrequencyDomainStability,
    "O(N/L + log L): per block of L samples three FFTs of 2L points and 2N/L products of L + 1 bins, plus two "
    "FFTs per partition when constrained (two in all when in turn)"};

inline constexpr CatalogueEntry kFrequencyDomainRows[] = {
    {"FDAF", "Implements a fast block LMS adaptive filter in the frequency domain.", "lmsx.wmf",
     2, {"Input", "Desired"},
     2, {"Output", "PriError"},
     6, {{"Numerator Coeffs", 1024, ParameterRole::kLength, &ranges::kLength},
         {"Mu", 0.25, ParameterRole::kStepSize, &ranges::kStepSize},
         {"Averaging", 0.9, ParameterRole::kAveraging, &ranges::kAveraging},
         {"Delta", 1e-6, ParameterRole::kRegularisation, &ranges::kPowerDelta},
         {"Constrained", 1, ParameterRole::kSwitch, &ranges::kConstraint},
         {"Normalised", 1, ParameterRole::kSwitch, &ranges::kSwitch}},
     "fdaf.txt",
     {"Numerator Coeffs", "Mu", "Averaging", "Delta", "Constrained", "Normalised"},
     &kFdafNotes,
     "Numerator Coeffs"},
    {"PBFDAF", "Implements a partitioned block frequency-domain adaptive filter.", "lmsx.wmf",
     2, {"Input", "Desired"},
     2, {"Output", "PriError"},
     7, {{"Numerator Coeffs", 1024, ParameterRole::kLength, &ranges::kLength},
         {"Block Length", 128, ParameterRole::kBlockLength, &ranges::kBlockLength},
         {"Mu", 0.05, ParameterRole::kStepSize, &ranges::kStepSize},
         {"Averaging", 0.9, ParameterRole::kAveraging, &ranges::kAveraging},
         {"Delta", 1e-6, ParameterRole::kRegularisation, &ranges::kPowerDelta},
         {"Constrained", 1, ParameterRole::kSwitch, &ranges::kConstraint},
         {"Normalised", 1, ParameterRole::kSwitch, &ranges::kSwitch}},
     "pbfdaf.txt",
     {"Numerator Coeffs", "Block Length", "Mu", "Averaging", "Delta", "Constrained", "Normalised"},
     &kPbfdafNotes,
     "Block Length"},
};
static_assert(AreWellFormed(kFrequencyDomainRows));

extern const FamilyDescriptor kFrequencyDomainFamily;

}  // namespace adaptive
