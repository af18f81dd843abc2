// Improved proportionate NLMS ("IPNLMS"): NLMS whose step is shared among the
// coefficients in proportion to their sizes, so that the few large
// coefficients of a sparse path (a network echo) grow fast while the many
// near-zero ones stay quiet:
//   k_l(n) = (1 − α)/(2N) + (1 + α)·|w_l(n)|/(2‖w(n)‖_1 + ε)
//   w(n+1) = w(n) + 2μ·e(n)·(k(n) ⊙ x(n)) / (x^T(n)·(k(n) ⊙ x(n)) + δ)
// α = −1 gives every coefficient the gain 1/N: NLMS with the energy
// regularised by N·δ; α = 1 is proportionate NLMS alone.
//
// Summation and operand order: y(n) = Σ_m x_m·w_m and ‖w‖_1 = Σ_m |w_m| in one
// pass, each from 0.0 over m = 0 … N−1; b = (1 + α)/(2·‖w‖_1 + ε); the gains
// k_m = a + |w_m|·b with a = (1 − α)/(2N) formed once; g_m = k_m·x_m and
// p = Σ_m x_m·g_m (from 0.0, ascending m); f = (2μ·e)/(p + δ); then
// w_m + f·g_m and the a-posteriori output Σ_m x_m·w_m in one pass. There is
// no separate fast path: every step is O(N), about 6·N operations.
#pragma once

#include "core/catalogue.h"
#include "core/family_descriptor.h"

namespace adaptive {

namespace proportionate {

inline constexpr ParameterRange kAlpha{"Improper proportionality Alpha of Adaptive Filter.\n",
                                       "Must be between -1 and 1...", -1.0, Edge::kClosed, 1.0, Edge::kClosed,
                                       false, false};
inline constexpr ParameterRange kDelta{"Improper regularisation Delta of Adaptive Filter.\n",
                                       "Must be greater than 0...", 0.0, Edge::kOpen, ranges::kNone, Edge::kNone,
                                       false, false};
inline constexpr ParameterRange kEpsilon{"Improper gain regularisation Epsilon of Adaptive Filter.\n",
                                         "Must be greater than 0...", 0.0, Edge::kOpen, ranges::kNone, Edge::kNone,
                                         false, false};

inline constexpr TokenNotes kNotes{
    "Improved proportionate NLMS: each coefficient's share of the normalised step grows with its size, so "
    "sparse responses (network and acoustic echo paths, whose energy sits in a few taps) converge much "
    "faster than with NLMS, while dense ones lose little.",
    "y(n) = w^T(n)·x(n),   e(n) = d(n) − y(n)\n"
    "k_l(n) = (1 − α)/(2N) + (1 + α)·|w_l(n)|/(2‖w(n)‖_1 + ε)\n"
    "w(n+1) = w(n) + 2μ·e(n)·(k(n) ⊙ x(n)) / (x^T(n)·(k(n) ⊙ x(n)) + δ)\n"
    "y⁺(n) = w^T(n+1)·x(n)",
    "x(n) = [x(n), …, x(n−N+1)] the input line, N = \"Numerator Coeffs\"; k(n) the gains, ⊙ the element-wise "
    "product.",
    {{"Numerator Coeffs", notes::kLength},
     {"Mu",
      "Step size μ of the 2μ update, as in NLMS: the a-posteriori error is about (1 − 2μ)·e. The default "
      "0.25 (textbook step 0.5) converges nearly as fast as 0.5 with a third of the excess error."},
     {"Alpha",
      "Proportionality α: −1 is NLMS, 1 shares the step in proportion to |w_l| alone. The default −0.5 is "
      "the usual choice for echo paths: fast on sparse responses and close to NLMS on dense ones."},
     {"Delta",
      "Regularisation δ added to x^T·(k ⊙ x), which is about the input power P_x (the gains add up to about "
      "1): N·δ plays the part of NLMS's δ. The default 1e-6 is negligible beside a signal of power near 1."},
     {"Epsilon",
      "ε added to 2‖w‖_1, so that the gains are defined while the coefficients are all 0 (they are then "
      "(1 − α)/(2N) each). The default 1e-6 is small beside the ‖w‖_1 of any useful filter."}},
    {{"Output", notes::kOutputPrior}, {"PriError", notes::kPriError}, {"PostError", notes::kPostError}},
    "As NLMS: the a-posteriori error is (1 − 2μ·p/(p + δ))·e, so it converges for 0 < μ < 1, fastest near "
    "0.5. With α near 1 the coefficients that start at 0 hardly move until ‖w‖_1 has grown: keep α below 1 "
    "for responses that are not sparse.",
    "O(N): about 6·N operations per sample"};

}  // namespace proportionate

inline constexpr CatalogueEntry kProportionateRows[] = {
    {"IPNLMS", "Implements a one-channel improved proportionate NLMS algorithm.", "nlmsx.wmf",
     2, {"Input", "Desired"},
     3, {"Output", "PriError", "PostError"},
     5, {{"Numerator Coeffs", 32, ParameterRole::kLength, &ranges::kLength},
         {"Mu", 0.25, ParameterRole::kStepSize, &ranges::kStepSize},
         {"Alpha", -0.5, ParameterRole::kProportionality, &proportionate::kAlpha},
         {"Delta", 1e-6, ParameterRole::kRegularisation, &proportionate::kDelta},
         {"Epsilon", 1e-6, ParameterRole::kRegularisation, &proportionate::kEpsilon}},
     "ipnlms.txt",
     {"Numerator Coeffs", "Mu", "Alpha", "Delta", "Epsilon"},
     &proportionate::kNotes},
};
static_assert(AreWellFormed(kProportionateRows));

extern const FamilyDescriptor kProportionateFamily;

}  // namespace adaptive
