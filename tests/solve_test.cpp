// Gauss-Jordan inversion and back substitution: worked examples, random
// well-conditioned systems and the failure paths, which must not end the
// process.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "numerics/arithmetic.h"
#include "numerics/solve.h"

namespace {

Matrix FromRows(std::initializer_list<std::initializer_list<double>> rows) {
  const int32_t r = static_cast<int32_t>(rows.size());
  const int32_t c = static_cast<int32_t>(rows.begin()->size());
  Matrix m(r, c, nullptr);
  int32_t i = 0;
  for (const auto& row : rows) {
    int32_t j = 0;
    for (double v : row) m(i, j++) = v;
    ++i;
  }
  return m;
}

void ExpectNear(const Matrix& got, const Matrix& want, double tolerance) {
  ASSERT_EQ(got.rows(), want.rows());
  ASSERT_EQ(got.cols(), want.cols());
  for (int32_t i = 0; i < want.rows(); ++i)
    for (int32_t j = 0; j < want.cols(); ++j) EXPECT_NEAR(got(i, j), want(i, j), tolerance) << i << "," << j;
}

// The inverse of m, with what it wrote to stderr.
Matrix InverseCapturing(const Matrix& m, std::string& diagnostics) {
  testing::internal::CaptureStderr();
  Matrix result = m.inverse();
  diagnostics = testing::internal::GetCapturedStderr();
  return result;
}

TEST(Inverse, WorkedExamples) {
  const Matrix a = FromRows({{4, 7}, {2, 6}});
  std::string diagnostics;
  ExpectNear(InverseCapturing(a, diagnostics), FromRows({{0.6, -0.7}, {-0.2, 0.4}}), 1e-15);
  EXPECT_EQ(diagnostics, "");
  ExpectNear(a, FromRows({{4, 7}, {2, 6}}), 0.0);  // unchanged

  // Needs a row swap; the exchange matrix is its own inverse, exactly.
  const Matrix swap = FromRows({{0, 1}, {1, 0}});
  ExpectNear(swap.inverse(), swap, 0.0);

  EXPECT_EQ(FromRows({{2.0}}).inverse()(0, 0), 0.5);
  // No tolerance on the pivot.
  EXPECT_EQ(FromRows({{1e-300}}).inverse()(0, 0), 1.0 / 1e-300);

  // Every element ties in the first stage: the inverse is still exact.
  ExpectNear(FromRows({{1, 1}, {1, -1}}).inverse(), FromRows({{0.5, 0.5}, {0.5, -0.5}}), 0.0);

  const Matrix empty(0, 0, nullptr);
  const Matrix emptyInverse = empty.inverse();
  EXPECT_TRUE(emptyInverse.hasstorage());
  EXPECT_EQ(emptyInverse.rows(), 0);
}

TEST(Inverse, RandomWellConditionedMatrices) {
  std::mt19937 rng(42);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  for (int32_t n : {1, 3, 8, 20}) {
    Matrix a(n, n, nullptr);
    // Diagonally dominant, hence well conditioned; the dominance sits on a
    // permuted diagonal so that the pivots are found off the main diagonal.
    for (int32_t i = 0; i < n; ++i)
      for (int32_t j = 0; j < n; ++j) a(i, j) = u(rng);
    for (int32_t i = 0; i < n; ++i) a(i, n - 1 - i) += 2.0 * n;
    const Matrix inv = a.inverse();
    ASSERT_TRUE(inv.hasstorage());
    Matrix eye;
    eye.identity(n, n, 1.0);
    ExpectNear(a * inv, eye, 1e-13);
    ExpectNear(inv * a, eye, 1e-13);
  }
}

TEST(Inverse, FailuresReturnWithoutStorage) {
  std::string diagnostics;
  Matrix zero = FromRows({{0.0}});
  EXPECT_FALSE(InverseCapturing(zero, diagnostics).hasstorage());
  EXPECT_EQ(diagnostics, "\nMatrix::inverse() : Singular Matrix!\n");

  // Rank one: the second stage meets an exact zero pivot.
  EXPECT_FALSE(InverseCapturing(FromRows({{1, 2}, {2, 4}}), diagnostics).hasstorage());
  EXPECT_EQ(diagnostics, "\nMatrix::inverse() : Singular Matrix!\n");

  Matrix wide(2, 3, nullptr);
  EXPECT_FALSE(InverseCapturing(wide, diagnostics).hasstorage());
  EXPECT_EQ(diagnostics, "\nMatrix::invert() : Matrix not square!!\n");
  // Still running, and the operands are intact.
  EXPECT_EQ(wide.rows(), 2);
  EXPECT_EQ(zero(0, 0), 0.0);
}

TEST(Backsubstitute, SolvesTheUpperTriangleOnly) {
  // The third row and the element below the diagonal must be ignored.
  Matrix r = FromRows({{2, 1}, {99, 4}, {7, 7}});
  Vector z(2);
  z(0) = 5;
  z(1) = 8;
  Vector w(2);
  EXPECT_EQ(backsubstitute(r, z, w), 0);
  EXPECT_EQ(w(0), 1.5);
  EXPECT_EQ(w(1), 2.0);
}

TEST(Backsubstitute, NearSingularBoundaryAndEmpty) {
  Vector z(2);
  z(0) = 5;
  z(1) = 8;
  Vector w(2);
  w(0) = -7;
  w(1) = -9;
  // The tiny element is the one written last: nothing may be written before
  // the whole diagonal has been scanned.
  EXPECT_EQ(backsubstitute(FromRows({{0.5e-8, 1}, {0, 4}}), z, w), 1);
  EXPECT_EQ(w(0), -7);
  EXPECT_EQ(w(1), -9);
  EXPECT_EQ(backsubstitute(FromRows({{2, 1}, {0, -0.99999999e-8}}), z, w), 1);
  EXPECT_EQ(w(1), -9);

  EXPECT_EQ(backsubstitute(FromRows({{1e-8, 0}, {0, 4}}), z, w), 0);
  EXPECT_EQ(w(1), 2.0);
  EXPECT_EQ(w(0), 5 / 1e-8);
  EXPECT_EQ(backsubstitute(FromRows({{-1e-8, 0}, {0, 4}}), z, w), 0);
  EXPECT_EQ(w(0), 5 / -1e-8);

  Matrix none(1, 0, nullptr);
  Vector nothing(0);
  EXPECT_EQ(backsubstitute(none, z, nothing), 0);
  EXPECT_EQ(z(0), 5);
}

}  // namespace
