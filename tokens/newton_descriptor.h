// The Newton family's descriptor: Newton's method: the correction μ·e times the RLS gain, with
// leakage. Its rows (the plug-in's catalogue entries, with each parameter's role and accepted range
// and the order of the checks) and the notes that `describe` and the manual print. The tokens read
// their parameter positions from these rows; the catalogue, the entry points and the interfaces'
// tables are derived from them.
#pragma once

#include "core/catalogue.h"

namespace adaptive {

namespace ranges {

inline constexpr ParameterRange kNewtonInit{"Improper initialisation factor of Adaptive Filter.\n",
                                            "Must be between bigger than 0", kNone, Edge::kNone, kNone, Edge::kNone,
                                            false, true};

}  // namespace ranges

namespace notes {

inline constexpr const char* kNewtonInit =
    "Initialisation factor: P starts as I/Init (Init is the δ of the usual P(0) = I/δ), so a small Init trusts the initial coefficients "
    "little and adapts fast from the first samples; a negative Init starts P negative.";
inline constexpr const char* kNewtonMu =
    "Step size μ of the Newton correction μ·e·P·x (the gain is the step size itself, not 2μ). "
    "μ = 1 (with leakage 1) is the RLS update; between 0 and 2 the a-posteriori error is smaller "
    "than the a-priori one.";

}  // namespace notes

inline constexpr TokenNotes kGenNEWNotes = {
     "General Newton method whose error comes from the diagram: the correction is μ·e times the "
     "RLS gain, with the old coefficients scaled by the leakage.",
     "k(n) = P(n−1)·x(n−1) / (λ + x^T(n−1)·P(n−1)·x(n−1))\n"
     "P(n) = (P(n−1) − k(n)·x^T(n−1)·P(n−1)) / λ,   P(0) = I/Init\n"
     "w(n+1) = ℓ·w(n) + μ·e(n)·k(n),   y(n) = w^T(n+1)·x(n)",
     notes::kGeneralSymbols,
     {{"Numerator Coeffs", notes::kLength},
      {"Lambda", notes::kLambda},
      {"Mu", notes::kNewtonMu},
      {"Leakage", notes::kLeakage},
      {"Init", notes::kNewtonInit},
      {"First Tap Value", notes::kFirstTap},
      {"Middle Tap Value", notes::kMiddleTap},
      {"Last Tap Value", notes::kLastTap}},
     {{"Output", notes::kOutputGeneral}},
     "0 < μ < 2 and 0 < λ ≤ 1; μ = 1 with leakage 1 is the RLS update.",
     "O(N^3)"};

inline constexpr TokenNotes kNEWTo3Notes = {
     "Newton method: the correction is μ·e times the RLS gain of the regressor u(n), the old "
     "coefficients scaled by the leakage. NEW has the recursive part of LMS (its own past outputs "
     "in u); NEW2 and NEW3 stack two or three input channels with one joint P.",
     "y(n) = w^T(n)·u(n),   e(n) = d(n) − y(n)\n"
     "k(n) = P(n−1)·u(n) / (λ + u^T(n)·P(n−1)·u(n))\n"
     "P(n) = (P(n−1) − k(n)·u^T(n)·P(n−1)) / λ,   P(0) = I/Init\n"
     "w(n+1) = ℓ·w(n) + μ·e(n)·k(n)",
     "u(n) the regressor: for NEW [x(n), …, x(n−L+1), y(n−1), …, y(n−M)] with L = \"Numerator "
     "Coeffs\" and M = \"Denominator Coeffs\" − 1; for NEW2 and NEW3 the channels' taps stacked, "
     "channel 1 first. N is its length.",
     {{"Numerator Coeffs", notes::kLength},
      {"Denominator Coeffs", notes::kDenominator},
      {"Lambda", notes::kLambda},
      {"Mu", notes::kNewtonMu},
      {"Leakage", notes::kLeakage},
      {"Init", notes::kNewtonInit}},
     {{"Output", notes::kOutputPrior}, {"PriError", notes::kPriError}, {"PostError", notes::kPostError}},
     "The a-posteriori error is (1 − μ·u^T·k)·e with 0 ≤ u^T·k < 1, so every μ from 0 to 2 reduces "
     "the error of the sample; μ = 1 with leakage 1 is the RLS update (the same a-priori errors as "
     "RLS up to rounding). One P covers the whole regressor, so no step sizes add up across "
     "channels; the recursive part of NEW can make the filter itself unstable.",
     "O(N^3)"};

#define ADAPTIVE_NEWTON_ENTRIES(X) X(GenNEW) X(NEW) X(NEW2) X(NEW3)

inline constexpr CatalogueEntry kNewtonRows[] = {
    {"GenNEW", "Implements an one channel general Newton algorithm.", "newx.wmf",
     2, {"Input", "Error"},
     1, {"Output"},
     8, {{"Numerator Coeffs", 10, ParameterRole::kLength, &ranges::kLength},
         {"Lambda", 0.999, ParameterRole::kForgettingFactor, &ranges::kForgettingFactor},
         {"Mu", 0.1, ParameterRole::kStepSize, &ranges::kStepSize},
         {"Leakage", 1, ParameterRole::kLeakage, &ranges::kLeakage},
         {"Init", 0.00001, ParameterRole::kInitialisation, &ranges::kNewtonInit},
         {"First Tap Value", 0, ParameterRole::kInitialTap, &ranges::kAnyValue},
         {"Middle Tap Value", 0, ParameterRole::kInitialTap, &ranges::kAnyValue},
         {"Last Tap Value", 0, ParameterRole::kInitialTap, &ranges::kAnyValue}},
     "gennew.txt",
     {"Numerator Coeffs", "Mu", "Leakage", "Lambda", "Init", "First Tap Value", "Middle Tap Value", "Last Tap Value"},
     &kGenNEWNotes},
    {"NEW", "Implements an one channel Newton algorithm.", "newx.wmf",
     2, {"Input", "Desired"},
     3, {"Output", "PriError", "PostError"},
     6, {{"Numerator Coeffs", 10, ParameterRole::kLength, &ranges::kLength},
         {"Denominator Coeffs", 1, ParameterRole::kFeedbackLength, &ranges::kLength},
         {"Lambda", 0.999, ParameterRole::kForgettingFactor, &ranges::kForgettingFactor},
         {"Mu", 0.1, ParameterRole::kStepSize, &ranges::kStepSize},
         {"Leakage", 1, ParameterRole::kLeakage, &ranges::kLeakage},
         {"Init", 0.00001, ParameterRole::kInitialisation, &ranges::kNewtonInit}},
     "new.txt",
     {"Numerator Coeffs", "Denominator Coeffs", "Mu", "Leakage", "Lambda", "Init"},
     &kNEWTo3Notes},
    {"NEW2", "Implements a two channel Newton algorithm.", "newx.wmf",
     3, {"Input 1", "Input 2", "Desired"},
     3, {"Output", "PriError", "PostError"},
     6, {{"Numerator Coeffs  1", 10, ParameterRole::kLength, &ranges::kLength},
         {"Numerator Coeffs  2", 10, ParameterRole::kLength, &ranges::kLength},
         {"Lambda", 0.999, ParameterRole::kForgettingFactor, &ranges::kForgettingFactor},
         {"Mu", 0.1, ParameterRole::kStepSize, &ranges::kStepSize},
         {"Leakage", 1, ParameterRole::kLeakage, &ranges::kLeakage},
         {"Init", 0.00001, ParameterRole::kInitialisation, &ranges::kNewtonInit}},
     "new2.txt",
     {"Numerator Coeffs  1", "Numerator Coeffs  2", "Mu", "Leakage", "Lambda", "Init"},
     &kNEWTo3Notes},
    {"NEW3", "Implements a three channel Newton algorithm.", "newx.wmf",
     4, {"Input 1", "Input 2", "Input 3", "Desired"},
     3, {"Output", "PriError", "PostError"},
     7, {{"Numerator Coeffs  1", 10, ParameterRole::kLength, &ranges::kLength},
         {"Numerator Coeffs  2", 10, ParameterRole::kLength, &ranges::kLength},
         {"Numerator Coeffs  3", 10, ParameterRole::kLength, &ranges::kLength},
         {"Lambda", 0.999, ParameterRole::kForgettingFactor, &ranges::kForgettingFactor},
         {"Mu", 0.1, ParameterRole::kStepSize, &ranges::kStepSize},
         {"Leakage", 1, ParameterRole::kLeakage, &ranges::kLeakage},
         {"Init", 0.00001, ParameterRole::kInitialisation, &ranges::kNewtonInit}},
     "new3.txt",
     {"Numerator Coeffs  1", "Numerator Coeffs  2", "Numerator Coeffs  3", "Mu", "Leakage", "Lambda", "Init"},
     &kNEWTo3Notes},
};
static_assert(AreWellFormed(kNewtonRows), "a row of the Newton family is malformed");

struct FamilyDescriptor;
extern const FamilyDescriptor kNewtonFamily;

}  // namespace adaptive
