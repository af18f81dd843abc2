// Rows, columns, shifts and sub-matrices of a Matrix, and the reductions over
// its elements.
#include <cmath>

#include "numerics/matrix.h"
#include "numerics/vector.h"

namespace adaptive {

RowVector Matrix::row(int32_t i) const {
  RowVector result(cols());
  if (!result.hasstorage()) return result;
  for (int32_t j = 0; j < cols(); ++j) result(j) = (*this)(i, j);
  return result;
}

Vector Matrix::col(int32_t j) const {
  Vector result(rows());
  if (!result.hasstorage()) return result;
  for (int32_t i = 0; i < rows(); ++i) result(i) = (*this)(i, j);
  return result;
}

void Matrix::setrow(int32_t i, const RowVector& r) {
  for (int32_t j = 0; j < cols(); ++j) (*this)(i, j) = r(j);
}

void Matrix::setcol(int32_t j, const Vector& v) {
  for (int32_t i = 0; i < rows(); ++i) (*this)(i, j) = v(i);
}

void Matrix::shiftdown(const double& value, int32_t j) {
  // Read the value before moving anything: it may be an element of this
  // column.
  const double top = value;
  for (int32_t i = rows() - 1; i >= 1; --i) (*this)(i, j) = (*this)(i - 1, j);
  (*this)(0, j) = top;
}

void Matrix::shiftright(const double& value, int32_t i) {
  const double first = value;
  for (int32_t j = cols() - 1; j >= 1; --j) (*this)(i, j) = (*this)(i, j - 1);
  (*this)(i, 0) = first;
}

Matrix Matrix::pad(int32_t n) const {
  Matrix result(rows() + n, cols() + n, nullptr);
  if (!result.hasstorage()) return result;
  for (int32_t j = 0; j < cols(); ++j)
    for (int32_t i = 0; i < rows(); ++i) result(i + n, j + n) = (*this)(i, j);
  return result;
}

Matrix Matrix::strip(int32_t n) const {
  Matrix result(rows() - n, cols() - n, nullptr);
  if (!result.hasstorage()) return result;
  for (int32_t j = n; j < cols(); ++j)
    for (int32_t i = n; i < rows(); ++i) result(i - n, j - n) = (*this)(i, j);
  return result;
}

Matrix Matrix::square() const {
  Matrix result(rows(), cols(), nullptr);
  if (!result.hasstorage()) return result;
  const double* in = data();
  double* out = result.data();
  const std::ptrdiff_t n = size();
  for (std::ptrdiff_t k = 0; k < n; ++k) out[k] = in[k] * in[k];
  return result;
}

Matrix& Matrix::normalize() {
  for (int32_t j = 0; j < cols(); ++j) {
    double largest = 0.0;
    for (int32_t i = 0; i < rows(); ++i) {
      const double a = std::fabs((*this)(i, j));
      if (a > largest) largest = a;
    }
    for (int32_t i = 0; i < rows(); ++i) (*this)(i, j) = (*this)(i, j) / largest;
  }
  return *this;
}

double Matrix::maxabs() const {
  const std::ptrdiff_t n = size();
  if (n == 0) return 0.0;
  const double* e = data();
  double largest = std::fabs(e[0]);
  for (std::ptrdiff_t k = 1; k < n; ++k) {
    const double a = std::fabs(e[k]);
    if (a > largest) largest = a;
  }
  return largest;
}

}  // namespace adaptive
