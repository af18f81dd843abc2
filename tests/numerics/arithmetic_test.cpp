// Element-wise operators, products, transposes, sub-matrices and reductions.
// The delay-line operations are checked against plain tap loops in
// numerics_fast_taps_test.cpp.
#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>

#include "numerics/arithmetic.h"
#include "tests/numerics/matrix_literals.h"

namespace adaptive {

namespace {

Vector MakeVector(std::initializer_list<double> values) {
  Vector v(static_cast<int32_t>(values.size()));
  int32_t k = 0;
  for (double value : values) v(k++) = value;
  return v;
}

RowVector MakeRow(std::initializer_list<double> values) { return transpose(MakeVector(values)); }

void ExpectMatrix(const Matrix& m, MatrixRows rows) {
  const Matrix want = FromRows(rows);
  ASSERT_EQ(m.rows(), want.rows());
  ASSERT_EQ(m.cols(), want.cols());
  for (std::ptrdiff_t k = 0; k < want.size(); ++k) EXPECT_EQ(m.data()[k], want.data()[k]) << "element " << k;
}

TEST(MatrixArithmetic, ElementwiseOperators) {
  const Matrix a = FromRows({{1, 2}, {3, 4}, {5, 6}});
  const Matrix b = FromRows({{10, 20}, {30, 40}, {50, 60}});
  ExpectMatrix(a + 2.0, {{3, 4}, {5, 6}, {7, 8}});
  ExpectMatrix(a + b, {{11, 22}, {33, 44}, {55, 66}});
  ExpectMatrix(a - 2.0, {{-1, 0}, {1, 2}, {3, 4}});
  ExpectMatrix(b - a, {{9, 18}, {27, 36}, {45, 54}});
  ExpectMatrix(a * 2.0, {{2, 4}, {6, 8}, {10, 12}});
  ExpectMatrix(a / 2.0, {{0.5, 1}, {1.5, 2}, {2.5, 3}});
  // Results are new, unnamed storage of the left operand's shape.
  const Matrix sum = a + b;
  EXPECT_NE(sum.data(), a.data());
  EXPECT_EQ(sum.getname(), nullptr);
  // Vectors keep their shape through the inherited operators.
  const Vector v = MakeVector({1, 2, 3}) * 2.0;
  EXPECT_EQ(v.rows(), 3);
  EXPECT_EQ(v(2), 6.0);
}

TEST(MatrixArithmetic, Products) {
  ExpectMatrix(FromRows({{1, 2, 3}, {4, 5, 6}}) * FromRows({{7, 8}, {9, 10}, {11, 12}}),
               {{1 * 7 + 2 * 9 + 3 * 11, 1 * 8 + 2 * 10 + 3 * 12}, {4 * 7 + 5 * 9 + 6 * 11, 4 * 8 + 5 * 10 + 6 * 12}});
  ExpectMatrix(FromRows({{1, 2}, {3, 4}}) * MakeVector({5, 6}), {{17}, {39}});
  ExpectMatrix(MakeVector({1, 2}) * MakeRow({3, 4, 5}), {{3, 4, 5}, {6, 8, 10}});
  EXPECT_EQ(MakeRow({1, 2, 3}) * MakeVector({4, 5, 6}), 32.0);
  EXPECT_EQ(dot(MakeRow({1, 2}), MakeVector({4, 5})), 14.0);
  // Only v.rows() taps enter v + x.
  DelayLine x;
  ASSERT_FALSE(x.setlength(3));
  x.zero();
  for (double s : {2, 3, 4}) x.push(s);
  ExpectMatrix(MakeVector({10, 20}) + x, {{14}, {23}});
}

TEST(MatrixArithmetic, SumsRunInOrderFromZero) {
  // (1e16 - 1e16) + 1 keeps the 1; summing from the other end, or adding the
  // 1 before the -1e16, loses it.
  const Matrix m = FromRows({{1e16, -1e16, 1}});
  EXPECT_EQ((m * FromRows({{1}, {1}, {1}}))(0, 0), 1.0);
  EXPECT_EQ((m * MakeVector({1, 1, 1}))(0), 1.0);
  EXPECT_EQ(MakeRow({1e16, -1e16, 1}) * MakeVector({1, 1, 1}), 1.0);
  // A sum starting from 0.0 turns a lone -0.0 product into +0.0.
  EXPECT_FALSE(std::signbit((FromRows({{-0.0}}) * MakeVector({1}))(0)));
  EXPECT_FALSE(std::signbit((FromRows({{-0.0}}) * FromRows({{1}}))(0, 0)));
  EXPECT_FALSE(std::signbit(MakeRow({-0.0}) * MakeVector({1})));
}

TEST(MatrixArithmetic, TransposesRowsColumnsAndShifts) {
  ExpectMatrix(transpose(FromRows({{1, 2, 3}, {4, 5, 6}})), {{1, 4}, {2, 5}, {3, 6}});
  ExpectMatrix(transpose(MakeVector({1, 2})), {{1, 2}});
  ExpectMatrix(transpose(MakeRow({7, 8, 9})), {{7}, {8}, {9}});

  Matrix m = FromRows({{1, 2, 3}, {4, 5, 6}});
  ExpectMatrix(m.row(1), {{4, 5, 6}});
  ExpectMatrix(m.col(2), {{3}, {6}});
  m.setrow(0, MakeRow({7, 8, 9}));
  m.setcol(1, MakeVector({-1, -2}));
  ExpectMatrix(m, {{7, -1, 9}, {4, -2, 6}});

  Matrix column = FromRows({{1}, {2}, {3}});
  double seven = 7;
  column.shiftdown(seven, 0);
  ExpectMatrix(column, {{7}, {1}, {2}});
  // The new value may be an element of the column itself.
  column.shiftdown(column(2, 0), 0);
  ExpectMatrix(column, {{2}, {7}, {1}});
  Matrix rows = FromRows({{1, 2, 3}, {4, 5, 6}});
  rows.shiftright(seven, 1);
  ExpectMatrix(rows, {{1, 2, 3}, {7, 4, 5}});
}

TEST(MatrixArithmetic, PadStripSquareNormalizeMaxabs) {
  const Matrix padded = FromRows({{5}}).pad(1);
  ExpectMatrix(padded, {{0, 0}, {0, 5}});
  ExpectMatrix(padded.strip(1), {{5}});
  const Matrix m = FromRows({{1, 2}, {3, 4}});
  ExpectMatrix(m.pad(2), {{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 1, 2}, {0, 0, 3, 4}});
  ExpectMatrix(m.strip(1), {{4}});
  ExpectMatrix(FromRows({{-3, 2}}).square(), {{9, 4}});
  // Stripping more than the matrix holds fails the allocation quietly.
  EXPECT_FALSE(m.strip(3).hasstorage());

  Matrix n = FromRows({{-4, 1}, {2, -0.5}});
  EXPECT_EQ(&n.normalize(), &n);
  ExpectMatrix(n, {{-1, 1}, {0.5, -0.5}});
  EXPECT_EQ(FromRows({{1, -7}, {3, 7}}).maxabs(), 7.0);
  // NaN never replaces the running largest value.
  EXPECT_EQ(FromRows({{2, NAN, -5}}).maxabs(), 5.0);
  // A zero column divides by its 0.0 largest value: not guarded.
  Matrix zero = FromRows({{0}, {0}});
  EXPECT_TRUE(std::isnan(zero.normalize()(0, 0)));
}

TEST(MatrixArithmetic, OperationsOnFailedOperandsDoNotCrash) {
  Matrix none;
  EXPECT_EQ((none + 1.0).size(), 0);
  EXPECT_EQ((none * none).size(), 0);
  EXPECT_EQ(transpose(none).size(), 0);
  EXPECT_EQ(none.maxabs(), 0.0);
}

}  // namespace

}  // namespace adaptive
