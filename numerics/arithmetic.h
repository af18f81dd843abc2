// Products, dot products, transposes and delay-line operations.
//
// Spellings (M a Matrix, B a Matrix, v a Vector, r a RowVector, x a DelayLine
// whose element k means x.tap(k), s a double):
//   M * B      Matrix  M.rows x B.cols      (i, j) = sum_k M(i, k) * B(k, j)
//   M * v      Vector  M.rows               i = sum_j M(i, j) * v(j)
//   M * x      Vector  M.rows               i = sum_k tap(k) * M(i, k)
//   x * M      RowVector M.cols             j = sum_k tap(k) * M(k, j)
//   v * r      Matrix  v.rows x r.cols      (i, j) = v(i) * r(j)
//   v * x      Matrix  v.rows x L           (i, j) = tap(j) * v(i)
//   x * v, dot(x, v)   double               sum_k tap(k) * v(k)
//   r * v, dot(r, v)   double               sum_k r(k) * v(k)
//   dot(r, x)          double               sum_k tap(k) * r(k)
//   v + x      Vector  v.rows               i = tap(i) + v(i)
//   s * x      Vector  L                    k = tap(k) * s
//   power(x)           double               (sum_k tap(k) * tap(k)) / L
//   transpose(M), transpose(v), transpose(r), transpose(x) (newest tap first)
//
// Every sum starts at 0.0 and adds its terms in ascending index order, each
// product formed in the operand order shown: the filters' outputs depend on
// it bit for bit. Shapes are not compared; callers pass matching operands.
// Operations that build a result return it without storage when its
// allocation fails. dot(x, v) and power(x) allocate nothing, so per-sample
// filter steps may call them freely.
#pragma once

#include "numerics/delay_line.h"
#include "numerics/matrix.h"
#include "numerics/vector.h"

namespace adaptive {

Matrix operator*(const Matrix& m, const Matrix& b);
Vector operator*(const Matrix& m, const Vector& v);
Vector operator*(const Matrix& m, const DelayLine& x);
RowVector operator*(const DelayLine& x, const Matrix& m);
Matrix operator*(const Vector& v, const RowVector& r);
Matrix operator*(const Vector& v, const DelayLine& x);
Vector operator+(const Vector& v, const DelayLine& x);
Vector operator*(const double& s, const DelayLine& x);

// The sums that filters form once or twice per sample are inline: on 32-bit
// x86 a function returning a double hands it back on the x87 stack, a round
// trip through memory that costs as much as a short sum.
inline double dot(const DelayLine& x, const Vector& v) {
  const double* w = v.data();
  double sum = 0.0;
  x.forEachTap([&](int32_t k, double t) { sum = sum + t * w[k]; });
  return sum;
}

inline double dot(const RowVector& r, const Vector& v) {
  const double* a = r.data();
  const double* b = v.data();
  double sum = 0.0;
  for (int32_t k = 0; k < r.cols(); ++k) sum = sum + a[k] * b[k];
  return sum;
}

inline double dot(const RowVector& r, const DelayLine& x) {
  const double* a = r.data();
  double sum = 0.0;
  x.forEachTap([&](int32_t k, double t) { sum = sum + t * a[k]; });
  return sum;
}

inline double operator*(const DelayLine& x, const Vector& v) { return dot(x, v); }
inline double operator*(const RowVector& r, const Vector& v) { return dot(r, v); }

inline double power(const DelayLine& x) {
  double sum = 0.0;
  x.forEachTap([&](int32_t, double t) { sum = sum + t * t; });
  return sum / x.length();
}

Matrix transpose(const Matrix& m);
RowVector transpose(const Vector& v);
Vector transpose(const RowVector& r);
Vector transpose(const DelayLine& x);

}  // namespace adaptive
