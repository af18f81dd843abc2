// The sign LMS family: LMS with the error, the data or both replaced by their
// signs, the cheap updates of fixed-point echo cancellers and of adaptive
// DPCM, where a multiplication per tap is the cost that counts:
//   "SELMS"  w(n+1) = ℓ·w(n) + 2μ·sgn(e(n))·x(n)
//   "SDLMS"  w(n+1) = ℓ·w(n) + 2μ·e(n)·sgn(x(n))
//   "SSLMS"  w(n+1) = ℓ·w(n) + 2μ·sgn(e(n))·sgn(x(n))
// with sgn(0) = 0 (and a NaN kept a NaN). The three tokens are one template
// with two policies: whether the error and whether the data enter by sign.
//
// Summation and operand order: y(n) = Σ_m x_m·w_m from 0.0 over m = 0 … N−1;
// the gain g = 2μ·s(e) with s the error or its sign; then each
// w_m = ℓ·w_m + g·u_m (u the data or its signs) and the a-posteriori output
// Σ_m x_m·w_m, in one pass. What the fast path changes: the signs of the
// data are kept in a delay line of their own, one sign per sample instead
// of N; a sign is the same number wherever it is formed, so no bit moves.
#pragma once

#include "core/catalogue.h"
#include "core/family_descriptor.h"

namespace adaptive {

namespace sign_lms {

inline constexpr const char* kSymbols =
    "x(n) = [x(n), …, x(n−N+1)] the input line, N = \"Numerator Coeffs\"; sgn(v) = 1, 0 or −1 as v is "
    "positive, 0 or negative, taken element by element.";
inline constexpr NameNote kLength{"Numerator Coeffs", notes::kLength};
inline constexpr NameNote kMu{
    "Mu",
    "Step size μ of the 2μ update. The sign rules do not normalise, so μ sets the size of every step; the "
    "default 0.001 suits inputs of power near 1 and a few tens of taps (scale it with 1/(N·|x|))."};
inline constexpr NameNote kLeakage{"Leakage", notes::kLeakage};
inline constexpr NameNote kOutputs[] = {
    {"Output", notes::kOutputPrior}, {"PriError", notes::kPriError}, {"PostError", notes::kPostError}};
inline constexpr const char* kSignErrorStability =
    "The step does not grow with the error, so a burst of noise or a large error cannot make the filter run "
    "away; but it never settles either: the coefficients keep moving by about 2μ·|x| each sample, so μ sets "
    "the final excess error and a small μ converges slowly from a large error.";

inline constexpr TokenNotes kSignErrorNotes{
    "Sign-error LMS: LMS with the error replaced by its sign, robust to impulsive noise in the desired "
    "signal.",
    "y(n) = w^T(n)·x(n),   e(n) = d(n) − y(n)\n"
    "w(n+1) = ℓ·w(n) + 2μ·sgn(e(n))·x(n)\n"
    "y⁺(n) = w^T(n+1)·x(n)",
    kSymbols,
    {kLength, kMu, kLeakage},
    {kOutputs[0], kOutputs[1], kOutputs[2]},
    kSignErrorStability,
    "O(N): 2·N multiply-adds per sample"};
inline constexpr TokenNotes kSignDataNotes{
    "Sign-data LMS: LMS with the input line replaced by its signs, which makes the correction one addition "
    "per tap.",
    "y(n) = w^T(n)·x(n),   e(n) = d(n) − y(n)\n"
    "w(n+1) = ℓ·w(n) + 2μ·e(n)·sgn(x(n))\n"
    "y⁺(n) = w^T(n+1)·x(n)",
    kSymbols,
    {kLength, kMu, kLeakage},
    {kOutputs[0], kOutputs[1], kOutputs[2]},
    "In the mean it is LMS with the input power P_x replaced by the mean magnitude E|x|: keep μ·N·E|x| well "
    "below 1 (the LMS bound μ·N·P_x < 1 with E|x| for P_x); beyond it the coefficients grow without bound.",
    "O(N): 2·N multiply-adds per sample"};
inline constexpr TokenNotes kSignSignNotes{
    "Sign-sign LMS: only the signs of the error and of the input enter the correction, which moves every "
    "coefficient by exactly 2μ (or not at all).",
    "y(n) = w^T(n)·x(n),   e(n) = d(n) − y(n)\n"
    "w(n+1) = ℓ·w(n) + 2μ·sgn(e(n))·sgn(x(n))\n"
    "y⁺(n) = w^T(n+1)·x(n)",
    kSymbols,
    {kLength, kMu, kLeakage},
    {kOutputs[0], kOutputs[1], kOutputs[2]},
    "Each coefficient moves by at most 2μ per sample, so it cannot run away, but it never settles closer "
    "than about that step and needs about |w_l|/(2μ) samples to reach a coefficient w_l: μ trades speed "
    "against the final excess error.",
    "O(N): 2·N multiply-adds per sample"};

// The three rows differ only in name, words and notes.
constexpr CatalogueEntry Row(const char* name, const char* description, const char* file, const TokenNotes* notes) {
  return {name, description, "lmsx.wmf",
          2, {"Input", "Desired"},
          3, {"Output", "PriError", "PostError"},
          3, {{"Numerator Coeffs", 32, ParameterRole::kLength, &ranges::kLength},
              {"Mu", 0.001, ParameterRole::kStepSize, &ranges::kStepSize},
              {"Leakage", 1, ParameterRole::kLeakage, &ranges::kLeakage}},
          file,
          {"Numerator Coeffs", "Mu", "Leakage"},
          notes};
}

}  // namespace sign_lms

inline constexpr CatalogueEntry kSignLmsRows[] = {
    sign_lms::Row("SELMS", "Implements a one-channel sign-error LMS algorithm.", "selms.txt",
                  &sign_lms::kSignErrorNotes),
    sign_lms::Row("SDLMS", "Implements a one-channel sign-data LMS algorithm.", "sdlms.txt",
                  &sign_lms::kSignDataNotes),
    sign_lms::Row("SSLMS", "Implements a one-channel sign-sign LMS algorithm.", "sslms.txt",
                  &sign_lms::kSignSignNotes),
};
static_assert(AreWellFormed(kSignLmsRows));

extern const FamilyDescriptor kSignLmsFamily;

}  // namespace adaptive
