#include "numerics/solve.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace adaptive {

namespace {

void swapRows(Matrix& a, int32_t p, int32_t q, int32_t n) {
  for (int32_t l = 0; l < n; ++l) std::swap(a(p, l), a(q, l));
}

void swapColumns(Matrix& a, int32_t p, int32_t q, int32_t n) {
  for (int32_t l = 0; l < n; ++l) std::swap(a(l, p), a(l, q));
}

// The pivot bookkeeping of one inversion: n flags, n rows and n columns, all 0.
struct PivotRecord {
  explicit PivotRecord(int32_t n) : entries(static_cast<int32_t*>(std::calloc(3 * static_cast<size_t>(n) + 1, sizeof(int32_t)))) {
    used = entries;
    row = entries + n;
    column = entries + 2 * static_cast<size_t>(n);
  }
  ~PivotRecord() { std::free(entries); }
  PivotRecord(const PivotRecord&) = delete;
  PivotRecord& operator=(const PivotRecord&) = delete;

  int32_t* entries;
  int32_t* used = nullptr;
  int32_t* row = nullptr;
  int32_t* column = nullptr;
};

Matrix outOfMemory() {
  std::fputs("Out of memory in Matrix Matrix::inverse()\n", stderr);
  return Matrix();
}

}  // namespace

Matrix Matrix::inverse() const {
  if (cols() != rows()) {
    std::fputs("\nMatrix::invert() : Matrix not square!!\n", stderr);
    return Matrix();
  }
  const int32_t n = cols();
  // 3n int32 entries fit size_t wherever an n x n double block was allocated.
  PivotRecord pivots(n);
  if (pivots.entries == nullptr) return outOfMemory();
  Matrix a;
  a = *this;
  if (hasstorage() && !a.hasstorage()) return outOfMemory();

  int32_t p = 0;
  int32_t q = 0;
  for (int32_t i = 0; i < n; ++i) {
    double big = 0.0;
    for (int32_t j = 0; j < n; ++j) {
      if (pivots.used[j] != 0) continue;
      for (int32_t k = 0; k < n; ++k) {
        if (pivots.used[k] != 0) continue;
        // >= hands ties to the element found last.
        if (std::fabs(a(j, k)) >= big) {
          big = std::fabs(a(j, k));
          p = j;
          q = k;
        }
      }
    }
    pivots.used[q] = 1;
    if (p != q) swapRows(a, p, q, n);
    pivots.row[i] = p;
    pivots.column[i] = q;
    if (a(q, q) == 0.0) {
      std::fputs("\nMatrix::inverse() : Singular Matrix!\n", stderr);
      return Matrix();
    }
    const double inv = 1.0 / a(q, q);
    a(q, q) = 1.0;
    for (int32_t l = 0; l < n; ++l) a(q, l) = a(q, l) * inv;
    for (int32_t r = 0; r < n; ++r) {
      if (r == q) continue;
      const double d = a(r, q);
      a(r, q) = 0.0;
      for (int32_t l = 0; l < n; ++l) a(r, l) = a(r, l) - a(q, l) * d;
    }
  }
  for (int32_t l = n - 1; l >= 0; --l)
    if (pivots.row[l] != pivots.column[l]) swapColumns(a, pivots.row[l], pivots.column[l], n);
  return a;
}

int backsubstitute(const Matrix& R, const Vector& z, Vector& w) {
  const int32_t n = R.cols();
  for (int32_t i = 0; i < n; ++i)
    if (std::fabs(R(i, i)) < kSingularDiagonal) return 1;
  for (int32_t i = n - 1; i >= 0; --i) {
    double sum = 0.0;
    for (int32_t k = n - 1; k >= i + 1; --k) sum = sum + w(k) * R(i, k);
    w(i) = (z(i) - sum) / R(i, i);
  }
  return 0;
}

}  // namespace adaptive
