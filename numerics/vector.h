// Column vectors (n x 1) and row vectors (1 x n). Both store element k at
// elements[k]; they share Matrix's storage, naming, assignment and operators.
#pragma once

#include "numerics/matrix.h"

namespace adaptive {

class Vector : public Matrix {
 public:
  Vector() = default;
  // n zeros, named when name is not null.
  explicit Vector(int32_t n, const char* name = nullptr) : Matrix(n, 1, name) {}
  // Shares the source's storage: how operations hand back a Vector by value.
  Vector(const Matrix& source) : Matrix(source) {}

  // Assignment from a Vector or a Matrix is Matrix's deep copy.
  using Matrix::operator=;
  using Matrix::operator();

  // n uninitialised elements; true on allocation failure.
  bool resize(int32_t n) { return Matrix::resize(n, 1); }

  double& operator()(int32_t k) { return data()[k]; }
  const double& operator()(int32_t k) const { return data()[k]; }
};

class RowVector : public Matrix {
 public:
  RowVector() = default;
  explicit RowVector(int32_t n, const char* name = nullptr) : Matrix(1, n, name) {}
  RowVector(const Matrix& source) : Matrix(source) {}

  using Matrix::operator=;
  using Matrix::operator();

  bool resize(int32_t n) { return Matrix::resize(1, n); }

  double& operator()(int32_t k) { return data()[k]; }
  const double& operator()(int32_t k) const { return data()[k]; }
};

}  // namespace adaptive
