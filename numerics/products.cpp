// Matrix and vector products (the dot products are inline, numerics/arithmetic.h).
#include "numerics/arithmetic.h"

namespace adaptive {

Matrix operator*(const Matrix& m, const Matrix& b) {
  Matrix result(m.rows(), b.cols(), nullptr);
  if (!result.hasstorage()) return result;
  const int32_t inner = m.cols();
  for (int32_t i = 0; i < result.rows(); ++i)
    for (int32_t j = 0; j < result.cols(); ++j) {
      double& sum = result(i, j);
      for (int32_t k = 0; k < inner; ++k) sum = sum + m(i, k) * b(k, j);
    }
  return result;
}

Vector operator*(const Matrix& m, const Vector& v) {
  Vector result(m.rows());
  if (!result.hasstorage()) return result;
  for (int32_t i = 0; i < m.rows(); ++i) {
    double sum = 0.0;
    for (int32_t j = 0; j < m.cols(); ++j) sum = sum + m(i, j) * v(j);
    result(i) = sum;
  }
  return result;
}

Vector operator*(const Matrix& m, const DelayLine& x) {
  Vector result(m.rows());
  if (!result.hasstorage()) return result;
  for (int32_t i = 0; i < m.rows(); ++i) {
    double sum = 0.0;
    x.forEachTap([&](int32_t k, double t) { sum = sum + t * m(i, k); });
    result(i) = sum;
  }
  return result;
}

RowVector operator*(const DelayLine& x, const Matrix& m) {
  RowVector result(m.cols());
  if (!result.hasstorage()) return result;
  for (int32_t j = 0; j < m.cols(); ++j) {
    double sum = 0.0;
    x.forEachTap([&](int32_t k, double t) { sum = sum + t * m(k, j); });
    result(j) = sum;
  }
  return result;
}

Matrix operator*(const Vector& v, const RowVector& r) {
  Matrix result(v.rows(), r.cols(), nullptr);
  if (!result.hasstorage()) return result;
  for (int32_t j = 0; j < r.cols(); ++j)
    for (int32_t i = 0; i < v.rows(); ++i) result(i, j) = v(i) * r(j);
  return result;
}

Matrix operator*(const Vector& v, const DelayLine& x) {
  Matrix result(v.rows(), x.length(), nullptr);
  if (!result.hasstorage()) return result;
  x.forEachTap([&](int32_t j, double t) {
    for (int32_t i = 0; i < v.rows(); ++i) result(i, j) = t * v(i);
  });
  return result;
}

Vector operator+(const Vector& v, const DelayLine& x) {
  Vector result(v.rows());
  if (!result.hasstorage()) return result;
  for (int32_t i = 0; i < v.rows(); ++i) result(i) = x.tap(i) + v(i);
  return result;
}

Vector operator*(const double& s, const DelayLine& x) {
  Vector result(x.length());
  if (!result.hasstorage()) return result;
  const double scale = s;
  x.forEachTap([&](int32_t k, double t) { result(k) = t * scale; });
  return result;
}

}  // namespace adaptive
