// The RLS family's descriptor: recursive least squares. Its rows (the plug-in's catalogue entries,
// with each parameter's role and accepted range and the order of the checks) and the notes that
// `describe` and the manual print. The tokens read their parameter positions from these rows; the
// catalogue, the entry points and the interfaces' tables are derived from them.
#pragma once

#include "core/catalogue.h"

namespace adaptive {

namespace notes {

inline constexpr const char* kRlsStability =
    "Stable over the accepted ranges (0 < λ ≤ 1, Init > 0). The excess error is about N·(1 − λ)/2 of the minimum; a λ "
    "near 1 gives a small excess and slow tracking, a smaller λ tracks faster. With λ = 1 the "
    "gain decays like 1/n and the filter stops tracking.";
inline constexpr const char* kRlsUpdate =
    "e(n) = d(n) − w^T(n)·x(n)\n"
    "k(n) = P(n−1)·x(n) / (λ + x^T(n)·P(n−1)·x(n))\n"
    "w(n+1) = w(n) + k(n)·e(n)\n"
    "P(n) = (P(n−1) − k(n)·x^T(n)·P(n−1)) / λ,   P(0) = I/Init\n"
    "y⁺(n) = w^T(n+1)·x(n)";

}  // namespace notes

inline constexpr TokenNotes kGenRLSNotes = {
     "General exponentially weighted RLS whose error comes from the diagram.",
     "k(n) = P(n−1)·x(n−1) / (λ + x^T(n−1)·P(n−1)·x(n−1))\n"
     "P(n) = (P(n−1) − k(n)·x^T(n−1)·P(n−1)) / λ,   P(0) = I/Init\n"
     "w(n+1) = w(n) + k(n)·e(n),   y(n) = w^T(n+1)·x(n)",
     notes::kGeneralSymbols,
     {{"Numerator Coeffs", notes::kLength},
      {"Lambda", notes::kLambda},
      {"Init", notes::kInit},
      {"First Tap Value", notes::kFirstTap},
      {"Middle Tap Value", notes::kMiddleTap},
      {"Last Tap Value", notes::kLastTap}},
     {{"Output", notes::kOutputGeneral}},
     notes::kRlsStability,
     "O(N^2)"};

inline constexpr TokenNotes kRLS1To3Notes = {
     "Exponentially weighted recursive least squares over one, two or three input channels, the "
     "channels' taps stacked into one regressor with one joint P.",
     notes::kRlsUpdate,
     notes::kStackedSymbols,
     {{"Numerator Coeffs", notes::kLength}, {"Lambda", notes::kLambda}, {"Init", notes::kInit}},
     {{"Output", notes::kOutputPosterior}, {"PriError", notes::kPriError}, {"PostError", notes::kPostError}},
     notes::kRlsStability,
     "O(N^2) for RLS1; O(N^3) for RLS2 and RLS3, whose P update forms an N×N by N×N product"};

#define ADAPTIVE_RLS_ENTRIES(X) X(GenRLS) X(RLS1) X(RLS2) X(RLS3)

inline constexpr CatalogueEntry kRlsRows[] = {
    {"GenRLS", "Implements a general RLS algorithm.", "rlsx.wmf",
     2, {"Input", "Error"},
     1, {"Output"},
     6, {{"Numerator Coeffs", 10, ParameterRole::kLength, &ranges::kLength},
         {"Lambda", 0.999, ParameterRole::kForgettingFactor, &ranges::kForgettingFactor},
         {"Init", 0.00001, ParameterRole::kInitialisation, &ranges::kInit},
         {"First Tap Value", 0, ParameterRole::kInitialTap, &ranges::kAnyValue},
         {"Middle Tap Value", 0, ParameterRole::kInitialTap, &ranges::kAnyValue},
         {"Last Tap Value", 0, ParameterRole::kInitialTap, &ranges::kAnyValue}},
     "genrls.txt",
     {"Numerator Coeffs", "Lambda", "Init", "First Tap Value", "Middle Tap Value", "Last Tap Value"},
     &kGenRLSNotes},
    {"RLS1", "Implements an one channel RLS algorithm.", "rlsx.wmf",
     2, {"Input", "Desired"},
     3, {"Output", "PriError", "PostError"},
     3, {{"Numerator Coeffs", 10, ParameterRole::kLength, &ranges::kLength},
         {"Lambda", 0.999, ParameterRole::kForgettingFactor, &ranges::kForgettingFactor},
         {"Init", 0.00001, ParameterRole::kInitialisation, &ranges::kInit}},
     "rls1.txt",
     {"Numerator Coeffs", "Lambda", "Init"},
     &kRLS1To3Notes},
    {"RLS2", "Implements a two channel RLS algorithm.", "rlsx.wmf",
     3, {"Input 1", "Input 2", "Desired"},
     3, {"Output", "PriError", "PostError"},
     4, {{"Numerator Coeffs  1", 10, ParameterRole::kLength, &ranges::kLength},
         {"Numerator Coeffs  2", 10, ParameterRole::kLength, &ranges::kLength},
         {"Lambda", 0.999, ParameterRole::kForgettingFactor, &ranges::kForgettingFactor},
         {"Init", 0.00001, ParameterRole::kInitialisation, &ranges::kInit}},
     "rls2.txt",
     {"Numerator Coeffs  1", "Numerator Coeffs  2", "Lambda", "Init"},
     &kRLS1To3Notes},
    {"RLS3", "Implements a three channel RLS algorithm.", "rlsx.wmf",
     4, {"Input 1", "Input 2", "Input 3", "Desired"},
     3, {"Output", "PriError", "PostError"},
     5, {{"Numerator Coeffs  1", 10, ParameterRole::kLength, &ranges::kLength},
         {"Numerator Coeffs  2", 10, ParameterRole::kLength, &ranges::kLength},
         {"Numerator Coeffs  3", 10, ParameterRole::kLength, &ranges::kLength},
         {"Lambda", 0.999, ParameterRole::kForgettingFactor, &ranges::kForgettingFactor},
         {"Init", 0.00001, ParameterRole::kInitialisation, &ranges::kInit}},
     "rls3.txt",
     {"Numerator Coeffs  1", "Numerator Coeffs  2", "Numerator Coeffs  3", "Lambda", "Init"},
     &kRLS1To3Notes},
};
static_assert(AreWellFormed(kRlsRows), "a row of the RLS family is malformed");

struct FamilyDescriptor;
extern const FamilyDescriptor kRlsFamily;

}  // namespace adaptive
