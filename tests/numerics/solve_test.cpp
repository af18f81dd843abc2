// Gauss-Jordan inversion and back substitution: worked examples, random
// well-conditioned systems and the failure paths, which must not end the
// process.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "numerics/arithmetic.h"
#include "numerics/solve.h"
#include "tests/numerics/matrix_literals.h"

namespace adaptive {

namespace {

void ExpectNear(const Matrix& got, const Matrix& want, double tolerance) {
  ASSERT_EQ(got.rows(), want.rows());
  ASSERT_EQ(got.cols(), want.cols());
  for (std::ptrdiff_t k = 0; k < want.size(); ++k) EXPECT_NEAR(got.data()[k], want.data()[k], tolerance) << k;
}

// The inverse of m, with what it wrote to stderr.
Matrix InverseCapturing(const Matrix& m, std::string& diagnostics) {
  testing::internal::CaptureStderr();
  Matrix result = m.inverse();
  diagnostics = testing::internal::GetCapturedStderr();
  return result;
}

TEST(Inverse, WorkedExamplesAndRandomMatrices) {
  const Matrix a = FromRows({{4, 7}, {2, 6}});
  std::string diagnostics;
  ExpectNear(InverseCapturing(a, diagnostics), FromRows({{0.6, -0.7}, {-0.2, 0.4}}), 1e-15);
  EXPECT_EQ(diagnostics, "");
  ExpectNear(a, FromRows({{4, 7}, {2, 6}}), 0.0);  // unchanged
  // Needs a row swap; the exchange matrix is its own inverse, exactly.
  ExpectNear(FromRows({{0, 1}, {1, 0}}).inverse(), FromRows({{0, 1}, {1, 0}}), 0.0);
  EXPECT_EQ(FromRows({{2.0}}).inverse()(0, 0), 0.5);
  EXPECT_EQ(FromRows({{1e-300}}).inverse()(0, 0), 1.0 / 1e-300);  // no tolerance on the pivot
  // Every element ties in the first stage: the inverse is still exact.
  ExpectNear(FromRows({{1, 1}, {1, -1}}).inverse(), FromRows({{0.5, 0.5}, {0.5, -0.5}}), 0.0);
  const Matrix emptyInverse = Matrix(0, 0, nullptr).inverse();
  EXPECT_TRUE(emptyInverse.hasstorage());
  EXPECT_EQ(emptyInverse.rows(), 0);

  // Diagonally dominant, hence well conditioned; the dominance sits on a
  // permuted diagonal so that the pivots are found off the main diagonal.
  std::mt19937 rng(42);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  for (int32_t n : {3, 20}) {
    Matrix m(n, n, nullptr), eye;
    for (std::ptrdiff_t k = 0; k < m.size(); ++k) m.data()[k] = u(rng);
    for (int32_t i = 0; i < n; ++i) m(i, n - 1 - i) += 2.0 * n;
    const Matrix inv = m.inverse();
    ASSERT_TRUE(inv.hasstorage());
    eye.identity(n, n, 1.0);
    ExpectNear(m * inv, eye, 1e-13);
    ExpectNear(inv * m, eye, 1e-13);
  }
}

TEST(Inverse, FailuresReturnWithoutStorage) {
  std::string diagnostics;
  const Matrix zero = FromRows({{0.0}});
  // The second matrix has rank one: its second stage meets an exact zero pivot.
  for (const Matrix& singular : {zero, FromRows({{1, 2}, {2, 4}})}) {
    EXPECT_FALSE(InverseCapturing(singular, diagnostics).hasstorage());
    EXPECT_EQ(diagnostics, "\nMatrix::inverse() : Singular Matrix!\n");
  }
  const Matrix wide(2, 3, nullptr);
  EXPECT_FALSE(InverseCapturing(wide, diagnostics).hasstorage());
  EXPECT_EQ(diagnostics, "\nMatrix::invert() : Matrix not square!!\n");
  // Still running, and the operands are intact.
  EXPECT_EQ(wide.rows(), 2);
  EXPECT_EQ(zero(0, 0), 0.0);
}

TEST(Backsubstitute, UpperTriangleNearSingularBoundaryAndEmpty) {
  Vector z(2), w(2);
  z(0) = 5, z(1) = 8;
  // The third row and the element below the diagonal must be ignored.
  EXPECT_EQ(backsubstitute(FromRows({{2, 1}, {99, 4}, {7, 7}}), z, w), 0);
  EXPECT_EQ(w(0), 1.5);
  EXPECT_EQ(w(1), 2.0);

  // The tiny element is the one written last: nothing may be written before
  // the whole diagonal has been scanned.
  w(0) = -7, w(1) = -9;
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

  Vector nothing(0);
  EXPECT_EQ(backsubstitute(Matrix(1, 0, nullptr), z, nothing), 0);
  EXPECT_EQ(z(0), 5);
}

}  // namespace

}  // namespace adaptive
