// The per-sample Givens sweep of the QR tokens over their triangular factor
// stored row by row: row i of the (N + 1) × N factor R (row N being the work
// row that holds the new regressor) occupies elements [N·i, N·i + N) of one
// array, so that a rotation streams along contiguous memory.
#pragma once

#include <cstdint>

namespace adaptive {

// Magnitudes that the rotations and the a-priori error treat as zero: a
// diagonal element below it, a rotation radius or a conversion factor at or
// below it.
constexpr double kNegligibleMagnitude = 1e-8;

// Brings one sample in: for i = 0 … N−1, scales row i of R and z(i) by λ just
// before rotating them against the work row and z(N) so as to zero R(N, i).
// Element for element these are the operations of scaling all of R and z
// first and then rotating (the elements left of the diagonal are zeros, which
// the scaling keeps, and the work row and z(N) are overwritten before use).
// Rows long enough are rotated several elements per vector instruction, each
// element with exactly the operations of the scalar form. The caller has
// loaded the regressor into the work row and d into z[N]; returns γ, the
// product of the cosines.
double GivensSweep(double* R, double* z, int32_t N, double lambda);

}  // namespace adaptive
