// Transposes and the conversions between vector kinds.
#include "numerics/arithmetic.h"

namespace adaptive {

Matrix transpose(const Matrix& m) {
  Matrix result(m.cols(), m.rows(), nullptr);
  if (!result.hasstorage()) return result;
  for (int32_t j = 0; j < m.cols(); ++j)
    for (int32_t i = 0; i < m.rows(); ++i) result(j, i) = m(i, j);
  return result;
}

RowVector transpose(const Vector& v) {
  RowVector result(v.rows());
  if (!result.hasstorage()) return result;
  for (int32_t k = 0; k < v.rows(); ++k) result(k) = v(k);
  return result;
}

Vector transpose(const RowVector& r) {
  Vector result(r.cols());
  if (!result.hasstorage()) return result;
  for (int32_t k = 0; k < r.cols(); ++k) result(k) = r(k);
  return result;
}

Vector transpose(const DelayLine& x) {
  Vector result(x.length());
  if (!result.hasstorage()) return result;
  x.forEachTap([&](int32_t k, double t) { result(k) = t; });
  return result;
}

}  // namespace adaptive
