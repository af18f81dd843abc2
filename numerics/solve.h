// Triangular solves. Matrix::inverse (declared with Matrix) lives beside it in
// solve.cpp.
#pragma once

#include "numerics/matrix.h"
#include "numerics/vector.h"

namespace adaptive {

// A diagonal element of smaller magnitude makes a triangle singular; exactly
// this value still solves.
constexpr double kSingularDiagonal = 1e-8;

// Solves R(0..n-1, 0..n-1) · w = z(0..n-1) for w, with n = R.cols(), reading
// only the diagonal of R and the elements above it; extra rows of R are
// ignored. z needs at least n elements and w exactly n. Returns 0 when w has
// been computed, 1 (and w untouched) when some |R(i, i)| < kSingularDiagonal: the whole
// diagonal is tested before anything is written.
int backsubstitute(const Matrix& R, const Vector& z, Vector& w);

}  // namespace adaptive
