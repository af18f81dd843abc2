// The LMS family's descriptor: Feintuch's recursive LMS and the two- and three-channel transversal
// LMS. Its rows (the plug-in's catalogue entries, with each parameter's role and accepted range and
// the order of the checks) and the notes that `describe` and the manual print. The tokens read
// their parameter positions from these rows; the catalogue, the entry points and the interfaces'
// tables are derived from them.
#pragma once

#include "core/catalogue.h"

namespace adaptive {

namespace notes {

// A measured edge is written "TOKEN: "PARAMETER" X in every channel converges, Y
// diverges", measured on the catalogue defaults otherwise, every input white
// Gaussian noise of power 1 and the desired signal a random plant of the
// filter's lengths: the manual's build reruns each one (docs/check.py).
inline constexpr const char* kLmsStability =
    "With the 2μ gain the bound is about Σ_c μ_c·N_c·P_c < 1, where P_c is the power of input c: "
    "the step sizes of the channels add up (measured on the defaults, 10 taps per channel, white "
    "inputs of power 1: LMS2: \"Mu\" 0.04 in every channel converges, 0.05 diverges; LMS3: \"Mu\" "
    "0.03 in every channel converges, 0.04 diverges). Stay well below it (a tenth for a small "
    "misadjustment); beyond it the coefficients grow without bound.";

}  // namespace notes

inline constexpr TokenNotes kLMSNotes = {
     "Feintuch's recursive LMS: a transversal part on the input and a recursive part on the "
     "filter's own past outputs, each adapted by LMS with its own step size and leakage.",
     "y(n) = a^T(n)·x(n) + b^T(n)·v(n),   e(n) = d(n) − y(n)\n"
     "a(n+1) = ℓ_a·a(n) + 2μ_a·e(n)·x(n)\n"
     "b(n+1) = ℓ_b·b(n) + 2μ_b·e(n)·v(n)",
     notes::kRecursiveSymbols,
     {{"Numerator Coeffs", notes::kLength},
      {"Mu Forward", notes::kLmsMu},
      {"Leakage Forward", notes::kLeakage},
      {"Denominator Coeffs", notes::kDenominator},
      {"Mu Backward", "Step size μ_b of the recursive part, with the same 2μ gain as \"Mu Forward\"."},
      {"Leakage Backward", "Leakage ℓ_b of the recursive part, as \"Leakage Forward\" is of the transversal one."}},
     {{"Output", notes::kOutputPrior}, {"PriError", notes::kPriError}, {"PostError", notes::kPostError}},
     "The transversal part follows the LMS bound μ_a·L·P_x < 1 (P_x the input power). The "
     "recursive part can make the filter itself unstable: keep μ_b small (or Denominator Coeffs 1).",
     "O(N)"};

inline constexpr TokenNotes kLMS2To3Notes = {
     "LMS over two or three input channels: one transversal filter per channel, their outputs "
     "summed and adapted with the one common error.",
     "y(n) = Σ_c w_c^T(n)·x_c(n),   e(n) = d(n) − y(n)\n"
     "w_c(n+1) = ℓ_c·w_c(n) + 2μ_c·e(n)·x_c(n)",
     "x_c(n) = [x_c(n), …, x_c(n−N_c+1)] the input line of channel c, N_c its length.",
     {{"Numerator Coeffs", notes::kLength}, {"Mu", notes::kLmsMu}, {"Leakage", notes::kLeakage}},
     {{"Output", notes::kOutputPrior}, {"PriError", notes::kPriError}, {"PostError", notes::kPostError}},
     notes::kLmsStability,
     "O(N)"};

#define ADAPTIVE_LMS_ENTRIES(X) X(LMS) X(LMS2) X(LMS3)

inline constexpr CatalogueEntry kLmsRows[] = {
    {"LMS", "Implements an one channel Feintuch's LMS algorithm.", "lmsx.wmf",
     2, {"Input", "Desired"},
     3, {"Output", "PriError", "PostError"},
     6, {{"Numerator Coeffs", 10, ParameterRole::kLength, &ranges::kLength},
         {"Mu Forward", 0.01, ParameterRole::kStepSize, &ranges::kStepSize},
         {"Leakage Forward", 1, ParameterRole::kLeakage, &ranges::kLeakage},
         {"Denominator Coeffs", 1, ParameterRole::kFeedbackLength, &ranges::kLength},
         {"Mu Backward", 0.01, ParameterRole::kStepSize, &ranges::kStepSize},
         {"Leakage Backward", 1, ParameterRole::kLeakage, &ranges::kLeakage}},
     "lms.txt",
     {"Numerator Coeffs", "Denominator Coeffs", "Mu Forward", "Mu Backward", "Leakage Forward", "Leakage Backward"},
     &kLMSNotes},
    {"LMS2", "Implements a two channel LMS algorithm.", "lmsx.wmf",
     3, {"Input 1", "Input 2", "Desired"},
     3, {"Output", "PriError", "PostError"},
     6, {{"Numerator Coeffs  1", 10, ParameterRole::kLength, &ranges::kLength},
         {"Mu 1", 0.01, ParameterRole::kStepSize, &ranges::kStepSize},
         {"Leakage 1", 1, ParameterRole::kLeakage, &ranges::kLeakage},
         {"Numerator Coeffs  2", 10, ParameterRole::kLength, &ranges::kLength},
         {"Mu 2", 0.01, ParameterRole::kStepSize, &ranges::kStepSize},
         {"Leakage 2", 1, ParameterRole::kLeakage, &ranges::kLeakage}},
     "lms2.txt",
     {"Numerator Coeffs  1", "Numerator Coeffs  2", "Mu 1", "Mu 2", "Leakage 1", "Leakage 2"},
     &kLMS2To3Notes},
    {"LMS3", "Implements a three channel LMS algorithm.", "lmsx.wmf",
     4, {"Input 1", "Input 2", "Input 3", "Desired"},
     3, {"Output", "PriError", "PostError"},
     9, {{"Numerator Coeffs  1", 10, ParameterRole::kLength, &ranges::kLength},
         {"Mu 1", 0.01, ParameterRole::kStepSize, &ranges::kStepSize},
         {"Leakage 1", 1, ParameterRole::kLeakage, &ranges::kLeakage},
         {"Numerator Coeffs  2", 10, ParameterRole::kLength, &ranges::kLength},
         {"Mu 2", 0.01, ParameterRole::kStepSize, &ranges::kStepSize},
         {"Leakage 2", 1, ParameterRole::kLeakage, &ranges::kLeakage},
         {"Numerator Coeffs  3", 10, ParameterRole::kLength, &ranges::kLength},
         {"Mu 3", 0.01, ParameterRole::kStepSize, &ranges::kStepSize},
         {"Leakage 3", 1, ParameterRole::kLeakage, &ranges::kLeakage}},
     "lms3.txt",
     {"Numerator Coeffs  1", "Numerator Coeffs  2", "Numerator Coeffs  3", "Mu 1", "Mu 2", "Mu 3", "Leakage 1", "Leakage 2", "Leakage 3"},
     &kLMS2To3Notes},
};
static_assert(AreWellFormed(kLmsRows), "a row of the LMS family is malformed");

struct FamilyDescriptor;
extern const FamilyDescriptor kLmsFamily;

}  // namespace adaptive
