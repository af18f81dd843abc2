// The QR family's descriptor: least squares by Givens rotations of a triangle. Its rows (the plug-
// in's catalogue entries, with each parameter's role and accepted range and the order of the
// checks) and the notes that `describe` and the manual print. The tokens read their parameter
// positions from these rows; the catalogue, the entry points and the interfaces' tables are derived
// from them.
#pragma once

#include "core/catalogue.h"

namespace adaptive {

namespace ranges {

inline constexpr ParameterRange kScalingForgettingFactor{"Improper forgetting factor of Adaptive Filter.\n",
                                                         "Must be between 0 and 1...", 0.0, Edge::kClosed, 1.0,
                                                         Edge::kClosed, false, false};

}  // namespace ranges

inline constexpr TokenNotes kQR1To3Notes = {
     "Exponentially weighted least squares by QR decomposition: the triangular factor R of the "
     "weighted data and the rotated desired signal z take in each sample through a sweep of Givens "
     "rotations; the coefficients are solved from them only when they are read or the filter is "
     "closed.",
     "[R(n); 0] = Q(n)·[λ·R(n−1); u^T(n)],   [z(n); α(n)] = Q(n)·[λ·z(n−1); d(n)]\n"
     "γ(n) = Π_i cos θ_i(n),   e(n) = α(n)/γ(n),   e⁺(n) = α(n)·γ(n)\n"
     "w = R^{-1}·z   (at close)",
     "u(n) the channels' taps stacked, channel 1 first; Q(n) the product of the rotations θ_i(n). "
     "\"Lambda\" scales the square-root factor R, so the squared errors are weighted by λ^2: the "
     "effective forgetting factor is λ^2 (Lambda = √0.999 matches RLS1 at 0.999 to about 1e-6 "
     "once the start-up has faded).",
     {{"Numerator Coeffs", notes::kLength},
      {"Lambda",
       "Forgetting factor applied to the square-root factor R: the effective forgetting factor of "
       "the squared errors is λ^2, a memory of about 1/(1 − λ^2) samples. 0 restarts from nothing "
       "at every sample."}},
     {{"Output", "d(n) − e⁺(n), the a-posteriori output."},
      {"PriError",
       "e(n) = α(n)/γ(n), the a-priori error; while |γ| ≤ 1e-8 (the first N samples, as R fills) "
       "it is the desired sample."},
      {"PostError", "e⁺(n) = α(n)·γ(n), the a-posteriori error."},
      {"Gamma",
       "γ(n), the product of the rotation cosines, from 0 to 1: PostError = γ^2·PriError. It stays "
       "0 until R is full."}},
     "Stable for any λ from 0 to 1: nothing is inverted while it runs. The final-weights files "
     "hold \"Matrix close to singular...\" when a diagonal element of R is below 1e-8 (closed "
     "before N samples, or a channel that never saw a non-zero sample).",
     "O(N^2)"};

#define ADAPTIVE_QR_ENTRIES(X) X(QR1) X(QR2) X(QR3)

inline constexpr CatalogueEntry kQrRows[] = {
    {"QR1", "Implements an one channel QR algorithm.", "qrx.wmf",
     2, {"Input", "Desired"},
     4, {"Output", "PriError", "PostError", "Gamma"},
     2, {{"Numerator Coeffs", 10, ParameterRole::kLength, &ranges::kLength},
         {"Lambda", 0.999, ParameterRole::kForgettingFactor, &ranges::kScalingForgettingFactor}},
     "qr1.txt",
     {"Numerator Coeffs", "Lambda"},
     &kQR1To3Notes},
    {"QR2", "Implements a two channel QR algorithm.", "qrx.wmf",
     3, {"Input 1", "Input 2", "Desired"},
     4, {"Output", "PriError", "PostError", "Gamma"},
     3, {{"Numerator Coeffs  1", 10, ParameterRole::kLength, &ranges::kLength},
         {"Numerator Coeffs  2", 10, ParameterRole::kLength, &ranges::kLength},
         {"Lambda", 0.999, ParameterRole::kForgettingFactor, &ranges::kScalingForgettingFactor}},
     "qr2.txt",
     {"Numerator Coeffs  1", "Numerator Coeffs  2", "Lambda"},
     &kQR1To3Notes},
    {"QR3", "Implements a three channel QR algorithm.", "qrx.wmf",
     4, {"Input 1", "Input 2", "Input 3", "Desired"},
     4, {"Output", "PriError", "PostError", "Gamma"},
     4, {{"Numerator Coeffs  1", 10, ParameterRole::kLength, &ranges::kLength},
         {"Numerator Coeffs  2", 10, ParameterRole::kLength, &ranges::kLength},
         {"Numerator Coeffs  3", 10, ParameterRole::kLength, &ranges::kLength},
         {"Lambda", 0.999, ParameterRole::kForgettingFactor, &ranges::kScalingForgettingFactor}},
     "qr3.txt",
     {"Numerator Coeffs  1", "Numerator Coeffs  2", "Numerator Coeffs  3", "Lambda"},
     &kQR1To3Notes},
};
static_assert(AreWellFormed(kQrRows), "a row of the QR family is malformed");

struct FamilyDescriptor;
extern const FamilyDescriptor kQrFamily;

}  // namespace adaptive
