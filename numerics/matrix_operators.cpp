// The element-wise operators of Matrix: one pass over the stored elements of
// the left operand, in storage order.
#include "numerics/matrix.h"

namespace adaptive {

namespace {

template <class Op>
Matrix elementwise(const Matrix& a, Op op) {
  Matrix result(a.rows(), a.cols(), nullptr);
  if (!result.hasstorage()) return result;
  const double* in = a.data();
  double* out = result.data();
  const std::ptrdiff_t n = a.size();
  for (std::ptrdiff_t k = 0; k < n; ++k) out[k] = op(in[k], k);
  return result;
}

}  // namespace

Matrix Matrix::operator+(const double& s) const {
  return elementwise(*this, [s](double a, std::ptrdiff_t) { return a + s; });
}

Matrix Matrix::operator+(const Matrix& b) const {
  const double* e = b.data();
  return elementwise(*this, [e](double a, std::ptrdiff_t k) { return a + e[k]; });
}

Matrix Matrix::operator-(const double& s) const {
  return elementwise(*this, [s](double a, std::ptrdiff_t) { return a - s; });
}

Matrix Matrix::operator-(const Matrix& b) const {
  const double* e = b.data();
  return elementwise(*this, [e](double a, std::ptrdiff_t k) { return a - e[k]; });
}

Matrix Matrix::operator*(const double& s) const {
  return elementwise(*this, [s](double a, std::ptrdiff_t) { return a * s; });
}

Matrix Matrix::operator/(const double& s) const {
  return elementwise(*this, [s](double a, std::ptrdiff_t) { return a / s; });
}

}  // namespace adaptive
