// Matrices and vectors written out row by row in tests.
#pragma once

#include <initializer_list>

#include "numerics/matrix.h"
#include "numerics/vector.h"

namespace adaptive {

using MatrixRows = std::initializer_list<std::initializer_list<double>>;

inline Matrix FromRows(MatrixRows rows) {
  Matrix m(static_cast<int32_t>(rows.size()), static_cast<int32_t>(rows.begin()->size()), nullptr);
  int32_t i = 0;
  for (const auto& row : rows) {
    int32_t j = 0;
    for (double value : row) m(i, j++) = value;
    ++i;
  }
  return m;
}

}  // namespace adaptive
