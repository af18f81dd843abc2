// Affine projection of order K ("AP"): the coefficients are corrected so that
// the errors of the last K samples, not only of this one, shrink by the
// factor 1 − 2μ:
//   e(n) = d(n) − X^T(n)·w(n),   w(n+1) = w(n) + 2μ·X(n)·(δI + X^T(n)·X(n))^{-1}·e(n)
// with X(n) = [x(n), …, x(n−K+1)] the last K input vectors (N × K). K = 1 is
// NLMS with the energy regularised by δ.
//
// What the fast path changes: the K × K matrix R(n) = X^T(n)·X(n) is not
// formed anew (N·K² products). Its element (i, j) is x^T(n−i)·x(n−j), which
// is element (i−1, j−1) of R(n−1): the window's old rows move down a diagonal
// and only the first row (and column) Σ_m x(n−m)·x(n−j−m) is summed, N·K
// products. Every element is the same sum of the same products in the same
// order as the direct form, so the shift changes no bit. The rest of a
// sample is the K errors (N·K), a Cholesky factorisation of δI + R (K³/6)
// and the update X·g (N·K): about 3·N·K + K³/6 multiply-adds.
//
// Summation order: every dot product over the taps starts at 0.0 and runs
// over m = 0 … N−1; the K-term sums of the update and of the triangular
// solves run over ascending column index; each pivot and off-diagonal term
// of the factor is A(i, k) minus the sum (from 0.0, ascending p) of
// L(i, p)·L(k, p).
//
// A badly conditioned window: in exact arithmetic every pivot of the
// Cholesky factor of δI + R is at least δ. A computed pivot below δ/2 means
// rounding has swamped δ (nearly collinear input vectors that are large
// beside δ); the update of that sample then uses only the columns before it,
// the affine projection of that lower order, which is never less than the
// NLMS step. So the filter never divides by a rounding residue.
#pragma once

#include "core/catalogue.h"
#include "core/family_descriptor.h"

namespace adaptive {

namespace affine_projection {

inline constexpr ParameterRange kProjectionOrder{"Improper projection order of Adaptive Filter.\n",
                                                 "Must be between 1 and Numerator Coeffs...", 1.0, Edge::kClosed,
                                                 2147483648.0, Edge::kOpen, true, false};
inline constexpr ParameterRange kDelta{"Improper regularisation Delta of Adaptive Filter.\n",
                                       "Must be greater than 0...", 0.0, Edge::kOpen, ranges::kNone, Edge::kNone,
                                       false, false};

inline constexpr TokenNotes kNotes{
    "Affine projection of order K: each update makes the filter fit the last K samples at once, which "
    "decorrelates coloured input (speech, AR processes) and converges much faster than NLMS on it. "
    "K = 1 is NLMS.",
    "e(n) = d(n) − X^T(n)·w(n)\n"
    "w(n+1) = w(n) + 2μ·X(n)·(δI + X^T(n)·X(n))^{-1}·e(n)\n"
    "y(n) = w^T(n)·x(n),   y⁺(n) = w^T(n+1)·x(n)",
    "x(n) = [x(n), …, x(n−N+1)] the input line, N = \"Numerator Coeffs\"; X(n) = [x(n), x(n−1), …, x(n−K+1)] "
    "the last K input vectors (N × K); d(n) = [d(n), …, d(n−K+1)] and e(n) the last K desired samples and "
    "their errors with the present coefficients.",
    {{"Numerator Coeffs", notes::kLength},
     {"Projection Order",
      "Number K of past input vectors the update projects on, from 1 (NLMS) to Numerator Coeffs. The default 4 "
      "takes most of the gain on speech-like input; beyond 8 the gain is small and the noise in the "
      "coefficients grows with K."},
     {"Mu",
      "Step size μ of the 2μ update: the last K a-posteriori errors are (1 − 2μ) times the a-priori ones. "
      "0.5 is the fastest; the default 0.25 (textbook step 0.5) converges nearly as fast with a third of the "
      "excess error."},
     {"Delta",
      "Regularisation δ added to the diagonal of X^T·X. The default 1e-4 is negligible beside the energy "
      "N·P_x of a window of a signal of power near 1 and keeps a silent or strongly coloured window from "
      "dividing by rounding; scale it with the input's power."}},
    {{"Output", notes::kOutputPrior}, {"PriError", notes::kPriError}, {"PostError", notes::kPostError}},
    "Converges for 0 < μ < 1, fastest at 0.5 (PostError about 0); the excess error grows with K and with μ. "
    "In exact arithmetic every Cholesky pivot of δI + X^T·X is at least δ; when rounding brings one below δ/2 "
    "(input vectors nearly collinear and large beside δ) the update of that sample uses only the columns "
    "before it, down to the NLMS step, so a badly conditioned window slows the filter instead of blowing it "
    "up. A PostError close to PriError on long stretches of coloured input says so: raise Delta. Outputs "
    "that run away are reported by the divergence watch.",
    "O(N·K + K^3): about 3·N·K + K^3/6 multiply-adds per sample (X^T·X is kept up to date as the window "
    "slides)"};

}  // namespace affine_projection

inline constexpr CatalogueEntry kAffineProjectionRows[] = {
    {"AP", "Implements a one-channel affine projection algorithm.", "nlmsx.wmf",
     2, {"Input", "Desired"},
     3, {"Output", "PriError", "PostError"},
     4, {{"Numerator Coeffs", 32, ParameterRole::kLength, &ranges::kLength},
         {"Projection Order", 4, ParameterRole::kProjectionOrder, &affine_projection::kProjectionOrder},
         {"Mu", 0.25, ParameterRole::kStepSize, &ranges::kStepSize},
         {"Delta", 1e-4, ParameterRole::kRegularisation, &affine_projection::kDelta}},
     "ap.txt",
     {"Numerator Coeffs", "Projection Order", "Mu", "Delta"},
     &affine_projection::kNotes},
};
static_assert(AreWellFormed(kAffineProjectionRows));

extern const FamilyDescriptor kAffineProjectionFamily;

}  // namespace adaptive
