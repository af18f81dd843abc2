// The random walk family's descriptor: RLS with a random-walk variance added to the diagonal of P
// after every update. Its rows (the plug-in's catalogue entries, with each parameter's role and
// accepted range and the order of the checks) and the notes that `describe` and the manual print.
// The tokens read their parameter positions from these rows; the catalogue, the entry points and
// the interfaces' tables are derived from them.
#pragma once

#include "core/catalogue.h"

namespace adaptive {

namespace ranges {

// A variance of 0 is plain RLS in RW1–RW3; the general token refuses it.
inline constexpr ParameterRange kRandomWalk{"Improper random walk variance of Adaptive Filter.\n",
                                            "Must be between bigger than 0", 0.0, Edge::kClosed, kNone, Edge::kNone,
                                            false, false};
inline constexpr ParameterRange kGeneralRandomWalk{"Improper random walk variance of Adaptive Filter.\n",
                                                   "Must be between bigger than 0", 0.0, Edge::kOpen, kNone,
                                                   Edge::kNone, false, false};

}  // namespace ranges

namespace notes {

inline constexpr const char* kRandomWalk =
    "Random-walk variance q: the variance per sample of the drift the coefficients are assumed to "
    "follow, added to the diagonal of P after each update so that the gain never dies out. Match "
    "it to the drift of the system (relative to the error power); 0 is plain RLS.";
inline constexpr const char* kRandomWalkGeneral =
    "Random-walk variance q, as for RW1 (the drift per sample assumed for each coefficient).";
inline constexpr const char* kRandomWalkUpdate =
    "e(n) = d(n) − w^T(n)·x(n)\n"
    "k(n) = P(n−1)·x(n) / (λ + x^T(n)·P(n−1)·x(n))\n"
    "w(n+1) = w(n) + k(n)·e(n)\n"
    "P(n) = (P(n−1) − k(n)·x^T(n)·P(n−1)) / λ + q·I,   P(0) = I/Init\n"
    "y⁺(n) = w^T(n+1)·x(n)";
inline constexpr const char* kRandomWalkStability =
    "Stable over the accepted ranges (0 < λ ≤ 1, Init > 0). A larger q tracks faster and leaves more noise in the "
    "coefficients; λ = 1 with a small q is the usual choice for a drifting system.";

}  // namespace notes

inline constexpr TokenNotes kGenRWNotes = {
     "General RLS under a random-walk model of the coefficients, whose error comes from the "
     "diagram: P is kept from shrinking by the assumed drift q, so the filter keeps tracking.",
     "k(n) = P(n−1)·x(n−1) / (λ + x^T(n−1)·P(n−1)·x(n−1))\n"
     "P(n) = (P(n−1) − k(n)·x^T(n−1)·P(n−1)) / λ + q·I,   P(0) = I/Init\n"
     "w(n+1) = w(n) + k(n)·e(n),   y(n) = w^T(n+1)·x(n)",
     notes::kGeneralSymbols,
     {{"Numerator Coeffs", notes::kLength},
      {"Lambda", notes::kLambda},
      {"Init", notes::kInit},
      {"Random Walk Variance", notes::kRandomWalkGeneral},
      {"First Tap Value", notes::kFirstTap},
      {"Middle Tap Value", notes::kMiddleTap},
      {"Last Tap Value", notes::kLastTap}},
     {{"Output", notes::kOutputGeneral}},
     notes::kRandomWalkStability,
     "O(N^2)"};

inline constexpr TokenNotes kRW1To3Notes = {
     "RLS under a random-walk model of the coefficients, over one, two or three input channels: P "
     "is kept from shrinking by the assumed drift q, so the filter keeps tracking.",
     notes::kRandomWalkUpdate,
     notes::kStackedSymbols,
     {{"Numerator Coeffs", notes::kLength},
      {"Lambda", notes::kLambda},
      {"Init", notes::kInit},
      {"Random Walk Variance", notes::kRandomWalk}},
     {{"Output", notes::kOutputPosterior}, {"PriError", notes::kPriError}, {"PostError", notes::kPostError}},
     notes::kRandomWalkStability,
     "O(N^2) for RW1; O(N^3) for RW2 and RW3, whose P update forms an N×N by N×N product"};

#define ADAPTIVE_RANDOM_WALK_ENTRIES(X) X(GenRW) X(RW1) X(RW2) X(RW3)

inline constexpr CatalogueEntry kRandomWalkRows[] = {
    {"GenRW", "Implements a general RW algorithm.", "rwx.wmf",
     2, {"Input", "Error"},
     1, {"Output"},
     7, {{"Numerator Coeffs", 10, ParameterRole::kLength, &ranges::kLength},
         {"Lambda", 0.999, ParameterRole::kForgettingFactor, &ranges::kForgettingFactor},
         {"Init", 0.00001, ParameterRole::kInitialisation, &ranges::kInit},
         {"Random Walk Variance", 1, ParameterRole::kVariance, &ranges::kGeneralRandomWalk},
         {"First Tap Value", 0, ParameterRole::kInitialTap, &ranges::kAnyValue},
         {"Middle Tap Value", 0, ParameterRole::kInitialTap, &ranges::kAnyValue},
         {"Last Tap Value", 0, ParameterRole::kInitialTap, &ranges::kAnyValue}},
     "genrw.txt",
     {"Numerator Coeffs", "Lambda", "Init", "Random Walk Variance", "First Tap Value", "Middle Tap Value", "Last Tap Value"},
     &kGenRWNotes},
    {"RW1", "Implements an one channel random walk algorithm.", "rwx.wmf",
     2, {"Input", "Desired"},
     3, {"Output", "PriError", "PostError"},
     4, {{"Numerator Coeffs", 10, ParameterRole::kLength, &ranges::kLength},
         {"Lambda", 0.999, ParameterRole::kForgettingFactor, &ranges::kForgettingFactor},
         {"Init", 0.00001, ParameterRole::kInitialisation, &ranges::kInit},
         {"Random Walk Variance", 1, ParameterRole::kVariance, &ranges::kRandomWalk}},
     "rw1.txt",
     {"Numerator Coeffs", "Lambda", "Init", "Random Walk Variance"},
     &kRW1To3Notes},
    {"RW2", "Implements a two channel random walk algorithm.", "rwx.wmf",
     3, {"Input 1", "Input 2", "Desired"},
     3, {"Output", "PriError", "PostError"},
     5, {{"Numerator Coeffs  1", 10, ParameterRole::kLength, &ranges::kLength},
         {"Numerator Coeffs  2", 10, ParameterRole::kLength, &ranges::kLength},
         {"Lambda", 0.999, ParameterRole::kForgettingFactor, &ranges::kForgettingFactor},
         {"Init", 0.00001, ParameterRole::kInitialisation, &ranges::kInit},
         {"Random Walk Variance", 1, ParameterRole::kVariance, &ranges::kRandomWalk}},
     "rw2.txt",
     {"Numerator Coeffs  1", "Numerator Coeffs  2", "Lambda", "Init", "Random Walk Variance"},
     &kRW1To3Notes},
    {"RW3", "Implements a three channel random walk algorithm.", "rwx.wmf",
     4, {"Input 1", "Input 2", "Input 3", "Desired"},
     3, {"Output", "PriError", "PostError"},
     6, {{"Numerator Coeffs  1", 10, ParameterRole::kLength, &ranges::kLength},
         {"Numerator Coeffs  2", 10, ParameterRole::kLength, &ranges::kLength},
         {"Numerator Coeffs  3", 10, ParameterRole::kLength, &ranges::kLength},
         {"Lambda", 0.999, ParameterRole::kForgettingFactor, &ranges::kForgettingFactor},
         {"Init", 0.00001, ParameterRole::kInitialisation, &ranges::kInit},
         {"Random Walk Variance", 1, ParameterRole::kVariance, &ranges::kRandomWalk}},
     "rw3.txt",
     {"Numerator Coeffs  1", "Numerator Coeffs  2", "Numerator Coeffs  3", "Lambda", "Init", "Random Walk Variance"},
     &kRW1To3Notes},
};
static_assert(AreWellFormed(kRandomWalkRows), "a row of the random walk family is malformed");

struct FamilyDescriptor;
extern const FamilyDescriptor kRandomWalkFamily;

}  // namespace adaptive
