// The general gradient family's descriptor: LMS and NLMS whose error and gradient come from the
// diagram. Its rows (the plug-in's catalogue entries, with each parameter's role and accepted range
// and the order of the checks) and the notes that `describe` and the manual print. The tokens read
// their parameter positions from these rows; the catalogue, the entry points and the interfaces'
// tables are derived from them.
#pragma once

#include "core/catalogue.h"

namespace adaptive {

namespace notes {

inline constexpr const char* kGenLmsStability =
    "The gradient comes from the diagram, so the bound depends on it; for a plain FIR "
    "identification (\"- de/dw\" = the input) it is the LMS bound μ·N·P_x < 1.";

}  // namespace notes

inline constexpr TokenNotes kGenLMSANotes = {
     "General LMS whose error and gradient come from the diagram, with the step size and leakage "
     "on input ports so that they may change from sample to sample (no range check on them).",
     "w(n+1) = ℓ(n)·w(n) + 2μ(n)·e(n)·g(n−1)\n"
     "y(n) = w^T(n+1)·x(n)",
     "g(n−1) = [g(n−1), …, g(n−N)] the past samples of the \"- de/dw\" input, x(n) the input line, "
     "μ(n) and ℓ(n) the values on the \"Mu\" and \"Leakage\" inputs.",
     {{"Numerator Coeffs", notes::kLength},
      {"First Tap Value", notes::kFirstTap},
      {"Middle Tap Value", notes::kMiddleTap},
      {"Last Tap Value", notes::kLastTap}},
     {{"Output", notes::kOutputGeneral}},
     notes::kGenLmsStability,
     "O(N)"};

inline constexpr TokenNotes kGenLMSBNotes = {
     "General LMS whose error and gradient come from the diagram.",
     "w(n+1) = ℓ·w(n) + 2μ·e(n)·g(n−1)\n"
     "y(n) = w^T(n+1)·x(n)",
     "g(n−1) = [g(n−1), …, g(n−N)] the past samples of the \"- de/dw\" input, x(n) the input line.",
     {{"Numerator Coeffs", notes::kLength},
      {"Mu", notes::kLmsMu},
      {"Leakage Factor", notes::kLeakage},
      {"First Tap Value", notes::kFirstTap},
      {"Middle Tap Value", notes::kMiddleTap},
      {"Last Tap Value", notes::kLastTap}},
     {{"Output", notes::kOutputGeneral}},
     notes::kGenLmsStability,
     "O(N)"};

inline constexpr TokenNotes kGenNLMSNotes = {
     "General normalised LMS whose error and gradient come from the diagram; the correction is "
     "divided by the energy of the input line (not of the gradient line) as it stood before this "
     "sample.",
     "w(n+1) = ℓ·w(n) + 2μ·e(n)·g(n−1) / (‖x(n−1)‖^2 + δ)\n"
     "y(n) = w^T(n+1)·x(n)",
     "g(n−1) = [g(n−1), …, g(n−N)] the past samples of the \"- de/dw\" input, "
     "x(n−1) = [x(n−1), …, x(n−N)], δ = 1e-8.",
     {{"Numerator Coeffs", notes::kLength},
      {"Mu", notes::kNlmsMu},
      {"Leakage Factor", notes::kLeakage},
      {"First Tap Value", notes::kFirstTap},
      {"Middle Tap Value", notes::kMiddleTap},
      {"Last Tap Value", notes::kLastTap}},
     {{"Output", notes::kOutputGeneral}},
     "For a plain FIR identification (\"- de/dw\" = the input) it is NLMS: 0 < μ < 1.",
     "O(N)"};

#define ADAPTIVE_GENERAL_GRADIENT_ENTRIES(X) X(GenLMS_A) X(GenLMS_B) X(GenNLMS)

inline constexpr CatalogueEntry kGeneralGradientRows[] = {
    {"GenLMS_A", "Implements an FIR General LMS algorithm.", "lmsx.wmf",
     5, {"Input", "- de/dw", "Error", "Mu", "Leakage"},
     1, {"Output"},
     4, {{"Numerator Coeffs", 10, ParameterRole::kLength, &ranges::kLength},
         {"First Tap Value", 0, ParameterRole::kInitialTap, &ranges::kAnyValue},
         {"Middle Tap Value", 0, ParameterRole::kInitialTap, &ranges::kAnyValue},
         {"Last Tap Value", 0, ParameterRole::kInitialTap, &ranges::kAnyValue}},
     "genlms_a.txt",
     {"Numerator Coeffs", "First Tap Value", "Middle Tap Value", "Last Tap Value"},
     &kGenLMSANotes},
    {"GenLMS_B", "Implements an FIR General LMS algorithm.", "lmsx.wmf",
     3, {"Input", "- de/dw", "Error"},
     1, {"Output"},
     6, {{"Numerator Coeffs", 10, ParameterRole::kLength, &ranges::kLength},
         {"Mu", 0.01, ParameterRole::kStepSize, &ranges::kStepSize},
         {"Leakage Factor", 1, ParameterRole::kLeakage, &ranges::kLeakage},
         {"First Tap Value", 0, ParameterRole::kInitialTap, &ranges::kAnyValue},
         {"Middle Tap Value", 0, ParameterRole::kInitialTap, &ranges::kAnyValue},
         {"Last Tap Value", 0, ParameterRole::kInitialTap, &ranges::kAnyValue}},
     "genlms_b.txt",
     {"Numerator Coeffs", "Mu", "Leakage Factor", "First Tap Value", "Middle Tap Value", "Last Tap Value"},
     &kGenLMSBNotes},
    {"GenNLMS", "Implements an FIR General NLMS algorithm.", "nlmsx.wmf",
     3, {"Input", "- de/dw", "Error"},
     1, {"Output"},
     6, {{"Numerator Coeffs", 10, ParameterRole::kLength, &ranges::kLength},
         {"Mu", 0.5, ParameterRole::kStepSize, &ranges::kStepSize},
         {"Leakage Factor", 1, ParameterRole::kLeakage, &ranges::kLeakage},
         {"First Tap Value", 0, ParameterRole::kInitialTap, &ranges::kAnyValue},
         {"Middle Tap Value", 0, ParameterRole::kInitialTap, &ranges::kAnyValue},
         {"Last Tap Value", 0, ParameterRole::kInitialTap, &ranges::kAnyValue}},
     "gennlms.txt",
     {"Numerator Coeffs", "Mu", "Leakage Factor", "First Tap Value", "Middle Tap Value", "Last Tap Value"},
     &kGenNLMSNotes},
};
static_assert(AreWellFormed(kGeneralGradientRows), "a row of the general gradient family is malformed");

struct FamilyDescriptor;
extern const FamilyDescriptor kGeneralGradientFamily;

}  // namespace adaptive
