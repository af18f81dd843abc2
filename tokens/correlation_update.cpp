#include "tokens/correlation_update.h"

#include <cstddef>

#include "tokens/parameters.h"

bool SquareMatricesFit(int32_t n, int count) {
  const uint64_t elements = static_cast<uint64_t>(n < 0 ? 0 : n) * static_cast<uint64_t>(n < 0 ? 0 : n);
  // elements < 2^62 and count is small: no wrap in 64 bits.
  if (elements * static_cast<uint64_t>(count) > static_cast<uint64_t>(PTRDIFF_MAX) / sizeof(double)) {
    ReportStorageFailure();
    return false;
  }
  return true;
}

void SetScaledIdentity(Matrix& P, double value) {
  P.zero();
  for (int32_t i = 0; i < P.rows(); ++i) P(i, i) = value;
}

void CopyTaps(const DelayLine& line, double* out) {
  line.forEachTap([out](int32_t k, double tap) { out[k] = tap; });
}

double Dot(const double* a, const double* b, int32_t n) {
  double sum = 0.0;
  for (int32_t k = 0; k < n; ++k) sum = sum + a[k] * b[k];
  return sum;
}

void MultiplyByVector(const double* P, int32_t n, const double* u, double* __restrict pi) {
  for (int32_t i = 0; i < n; ++i) pi[i] = 0.0;
  for (int32_t j = 0; j < n; ++j) {
    const double* __restrict column = P + static_cast<std::ptrdiff_t>(n) * j;
    const double uj = u[j];
    for (int32_t i = 0; i < n; ++i) pi[i] = pi[i] + column[i] * uj;
  }
}

void ComputeGain(const double* u, const double* pi, int32_t n, double lambdaInverse, double* gain) {
  const double d = Dot(u, pi, n) * lambdaInverse + 1.0;
  for (int32_t i = 0; i < n; ++i) gain[i] = (pi[i] * lambdaInverse) / d;
}

void RowFormUpdate(double* P, int32_t n, const double* x, const double* __restrict gain, double lambdaInverse) {
  for (int32_t j = 0; j < n; ++j) {
    double* __restrict column = P + static_cast<std::ptrdiff_t>(n) * j;
    double r = 0.0;
    for (int32_t k = 0; k < n; ++k) r = r + x[k] * column[k];
    for (int32_t i = 0; i < n; ++i) column[i] = (column[i] - gain[i] * r) * lambdaInverse;
  }
}

namespace {

// sum[i] = sum[i] + column[i]·scale: one term of every element of a result
// column. Separate, so that the compiler knows the two arrays do not overlap.
inline void AddScaledColumn(double* __restrict sum, const double* __restrict column, double scale, int32_t n) {
  for (int32_t i = 0; i < n; ++i) sum[i] = sum[i] + column[i] * scale;
}

}  // namespace

void OuterProductUpdate(double* P, int32_t n, const double* gain, const double* u, double lambdaInverse,
                        OuterProductWork& work, double* __restrict newProduct) {
  const std::ptrdiff_t stride = n;
  double* __restrict G = work.outer.data();
  double* __restrict sum = work.column.data();
  for (int32_t j = 0; j < n; ++j) {
    const double uj = u[j];
    double* __restrict outerColumn = G + stride * j;
    for (int32_t i = 0; i < n; ++i) outerColumn[i] = gain[i] * uj;
  }
  if (newProduct != nullptr)
    for (int32_t i = 0; i < n; ++i) newProduct[i] = 0.0;
  for (int32_t j = 0; j < n; ++j) {
    double* __restrict column = P + stride * j;
    for (int32_t i = 0; i < n; ++i) sum[i] = 0.0;
    for (int32_t k = 0; k < n; ++k) AddScaledColumn(sum, G + stride * k, column[k], n);
    for (int32_t i = 0; i < n; ++i) column[i] = (column[i] - sum[i]) * lambdaInverse;
    if (newProduct != nullptr) {
      const double uj = u[j];
      for (int32_t i = 0; i < n; ++i) newProduct[i] = newProduct[i] + column[i] * uj;
    }
  }
}

void AddToDiagonal(double* P, int32_t n, double q) {
  const std::ptrdiff_t step = static_cast<std::ptrdiff_t>(n) + 1;
  for (int32_t i = 0; i < n; ++i) P[step * i] = P[step * i] + q;
}
