// The NLMS family's descriptor: normalised LMS: the LMS templates with a gain normalised by the
// energy of its line. Its rows (the plug-in's catalogue entries, with each parameter's role and
// accepted range and the order of the checks) and the notes that `describe` and the manual print.
// The tokens read their parameter positions from these rows; the catalogue, the entry points and
// the interfaces' tables are derived from them.
#pragma once

#include "core/catalogue.h"

namespace adaptive {

namespace notes {

inline constexpr const char* kNlmsStability =
    "Each channel is normalised by its own energy, so the step sizes add across channels: the "
    "a-posteriori error is about (1 − 2·Σ_c μ_c)·e, which needs Σ_c μ_c < 1, and fastest near "
    "Σ_c μ_c = 0.5. The edge lies lower with several channels (measured on the defaults, white "
    "inputs of power 1: NLMS2: \"Mu\" 0.45 in every channel converges, 0.49 diverges; NLMS3: "
    "\"Mu\" 0.3 in every channel converges, 0.33 diverges). The defaults (0.5 per channel) "
    "diverge in NLMS2 and NLMS3: give each of C channels 0.5/C or less.";

}  // namespace notes

inline constexpr TokenNotes kNLMSNotes = {
     "Normalised LMS, with the recursive part of LMS: each part's correction is divided by the "
     "energy of its own line (plus δ = 1e-8), so the step size does not depend on the input's "
     "scale.",
     "y(n) = a^T(n)·x(n) + b^T(n)·v(n),   e(n) = d(n) − y(n)\n"
     "a(n+1) = ℓ_a·a(n) + 2μ_a·e(n)·x(n) / (‖x(n)‖^2 + δ)\n"
     "b(n+1) = ℓ_b·b(n) + 2μ_b·e(n)·v(n) / (‖v(n)‖^2 + δ)",
     notes::kRecursiveSymbols,
     {{"Numerator Coeffs", notes::kLength},
      {"Mu Forward", notes::kNlmsMu},
      {"Leakage Forward", notes::kLeakage},
      {"Denominator Coeffs", notes::kDenominator},
      {"Mu Backward", "Step size μ_b of the recursive part, normalised by the energy of the past outputs."},
      {"Leakage Backward", "Leakage ℓ_b of the recursive part, as \"Leakage Forward\" is of the transversal one."}},
     {{"Output", notes::kOutputPrior}, {"PriError", notes::kPriError}, {"PostError", notes::kPostError}},
     "With Denominator Coeffs 1 the a-posteriori error is (1 − 2μ_a)·e: it converges for "
     "0 < μ_a < 1, in one step at the default 0.5 (PostError about 0). The recursive part "
     "can make the filter itself unstable: keep μ_b small.",
     "O(N)"};

inline constexpr TokenNotes kNLMS2To3Notes = {
     "Normalised LMS over two or three input channels: one transversal filter per channel, each "
     "normalised by the energy of its own input line, adapted with the one common error.",
     "y(n) = Σ_c w_c^T(n)·x_c(n),   e(n) = d(n) − y(n)\n"
     "w_c(n+1) = ℓ_c·w_c(n) + 2μ_c·e(n)·x_c(n) / (‖x_c(n)‖^2 + δ)",
     "x_c(n) = [x_c(n), …, x_c(n−N_c+1)] the input line of channel c, N_c its length, δ = 1e-8.",
     {{"Numerator Coeffs", notes::kLength}, {"Mu", notes::kNlmsMu}, {"Leakage", notes::kLeakage}},
     {{"Output", notes::kOutputPrior}, {"PriError", notes::kPriError}, {"PostError", notes::kPostError}},
     notes::kNlmsStability,
     "O(N)"};

#define ADAPTIVE_NLMS_ENTRIES(X) X(NLMS) X(NLMS2) X(NLMS3)

inline constexpr CatalogueEntry kNlmsRows[] = {
    {"NLMS", "Implements an one channel normalised LMS algorithm.", "nlmsx.wmf",
     2, {"Input", "Desired"},
     3, {"Output", "PriError", "PostError"},
     6, {{"Numerator Coeffs", 10, ParameterRole::kLength, &ranges::kLength},
         {"Mu Forward", 0.5, ParameterRole::kStepSize, &ranges::kStepSize},
         {"Leakage Forward", 1, ParameterRole::kLeakage, &ranges::kLeakage},
         {"Denominator Coeffs", 1, ParameterRole::kFeedbackLength, &ranges::kLength},
         {"Mu Backward", 0.5, ParameterRole::kStepSize, &ranges::kStepSize},
         {"Leakage Backward", 1, ParameterRole::kLeakage, &ranges::kLeakage}},
     "nlms.txt",
     {"Numerator Coeffs", "Denominator Coeffs", "Mu Forward", "Mu Backward", "Leakage Forward", "Leakage Backward"},
     &kNLMSNotes},
    {"NLMS2", "Implements an two channel normalised LMS algorithm.", "nlmsx.wmf",
     3, {"Input 1", "Input 2", "Desired"},
     3, {"Output", "PriError", "PostError"},
     6, {{"Numerator Coeffs  1", 10, ParameterRole::kLength, &ranges::kLength},
         {"Mu 1", 0.5, ParameterRole::kStepSize, &ranges::kStepSize},
         {"Leakage 1", 1, ParameterRole::kLeakage, &ranges::kLeakage},
         {"Numerator Coeffs  2", 10, ParameterRole::kLength, &ranges::kLength},
         {"Mu 2", 0.5, ParameterRole::kStepSize, &ranges::kStepSize},
         {"Leakage 2", 1, ParameterRole::kLeakage, &ranges::kLeakage}},
     "nlms2.txt",
     {"Numerator Coeffs  1", "Numerator Coeffs  2", "Mu 1", "Mu 2", "Leakage 1", "Leakage 2"},
     &kNLMS2To3Notes},
    {"NLMS3", "Implements an three channel normalised LMS algorithm.", "nlmsx.wmf",
     4, {"Input 1", "Input 2", "Input 3", "Desired"},
     3, {"Output", "PriError", "PostError"},
     9, {{"Numerator Coeffs  1", 10, ParameterRole::kLength, &ranges::kLength},
         {"Mu 1", 0.5, ParameterRole::kStepSize, &ranges::kStepSize},
         {"Leakage 1", 1, ParameterRole::kLeakage, &ranges::kLeakage},
         {"Numerator Coeffs  2", 10, ParameterRole::kLength, &ranges::kLength},
         {"Mu 2", 0.5, ParameterRole::kStepSize, &ranges::kStepSize},
         {"Leakage 2", 1, ParameterRole::kLeakage, &ranges::kLeakage},
         {"Numerator Coeffs  3", 10, ParameterRole::kLength, &ranges::kLength},
         {"Mu 3", 0.5, ParameterRole::kStepSize, &ranges::kStepSize},
         {"Leakage 3", 1, ParameterRole::kLeakage, &ranges::kLeakage}},
     "nlms3.txt",
     {"Numerator Coeffs  1", "Numerator Coeffs  2", "Numerator Coeffs  3", "Mu 1", "Mu 2", "Mu 3", "Leakage 1", "Leakage 2", "Leakage 3"},
     &kNLMS2To3Notes},
};
static_assert(AreWellFormed(kNlmsRows), "a row of the NLMS family is malformed");

struct FamilyDescriptor;
extern const FamilyDescriptor kNlmsFamily;

}  // namespace adaptive
