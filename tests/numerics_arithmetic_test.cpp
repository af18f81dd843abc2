// Element-wise operators, products, transposes, sub-matrices and reductions.
#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>

#include "numerics/arithmetic.h"

namespace {

// Builds a matrix from rows of values.
Matrix Make(std::initializer_list<std::initializer_list<double>> rows) {
  Matrix m(static_cast<int32_t>(rows.size()), static_cast<int32_t>(rows.begin()->size()), nullptr);
  int32_t i = 0;
  for (const auto& row : rows) {
    int32_t j = 0;
    for (double value : row) m(i, j++) = value;
    ++i;
  }
  return m;
}

Vector MakeVector(std::initializer_list<double> values) {
  Vector v(static_cast<int32_t>(values.size()));
  int32_t k = 0;
  for (double value : values) v(k++) = value;
  return v;
}

RowVector MakeRow(std::initializer_list<double> values) {
  return transpose(MakeVector(values));
}

DelayLine MakeLine(int32_t length, std::initializer_list<double> pushes) {
  DelayLine x;
  EXPECT_FALSE(x.setlength(length));
  x.zero();
  for (double value : pushes) x.push(value);
  return x;
}

void ExpectMatrix(const Matrix& m, std::initializer_list<std::initializer_list<double>> rows) {
  ASSERT_EQ(m.rows(), static_cast<int32_t>(rows.size()));
  int32_t i = 0;
  for (const auto& row : rows) {
    ASSERT_EQ(m.cols(), static_cast<int32_t>(row.size()));
    int32_t j = 0;
    for (double value : row) EXPECT_EQ(m(i, j++), value) << "at (" << i << ", " << j - 1 << ")";
    ++i;
  }
}

TEST(MatrixArithmetic, ElementwiseOperators) {
  const Matrix a = Make({{1, 2}, {3, 4}, {5, 6}});
  const Matrix b = Make({{10, 20}, {30, 40}, {50, 60}});
  const double s = 2.0;
  ExpectMatrix(a + s, {{3, 4}, {5, 6}, {7, 8}});
  ExpectMatrix(a + b, {{11, 22}, {33, 44}, {55, 66}});
  ExpectMatrix(a - s, {{-1, 0}, {1, 2}, {3, 4}});
  ExpectMatrix(b - a, {{9, 18}, {27, 36}, {45, 54}});
  ExpectMatrix(a * s, {{2, 4}, {6, 8}, {10, 12}});
  ExpectMatrix(a / s, {{0.5, 1}, {1.5, 2}, {2.5, 3}});
  // Results are new, unnamed storage of the left operand's shape.
  const Matrix sum = a + b;
  EXPECT_NE(sum.data(), a.data());
  EXPECT_EQ(sum.getname(), nullptr);
  // Vectors keep their shape through the inherited operators.
  const Vector v = MakeVector({1, 2, 3}) * s;
  EXPECT_EQ(v.rows(), 3);
  EXPECT_EQ(v(2), 6.0);
}

TEST(MatrixArithmetic, MatrixProducts) {
  const Matrix m = Make({{1, 2, 3}, {4, 5, 6}});
  const Matrix b = Make({{7, 8}, {9, 10}, {11, 12}});
  const Matrix p = m * b;
  ExpectMatrix(p, {{1 * 7 + 2 * 9 + 3 * 11, 1 * 8 + 2 * 10 + 3 * 12},
                   {4 * 7 + 5 * 9 + 6 * 11, 4 * 8 + 5 * 10 + 6 * 12}});

  const Vector mv = Make({{1, 2}, {3, 4}}) * MakeVector({5, 6});
  ASSERT_EQ(mv.rows(), 2);
  EXPECT_EQ(mv(0), 17.0);
  EXPECT_EQ(mv(1), 39.0);

  ExpectMatrix(MakeVector({1, 2}) * MakeRow({3, 4, 5}), {{3, 4, 5}, {6, 8, 10}});
  EXPECT_EQ(MakeRow({1, 2, 3}) * MakeVector({4, 5, 6}), 32.0);
  EXPECT_EQ(dot(MakeRow({1, 2}), MakeVector({4, 5})), 14.0);
}

TEST(MatrixArithmetic, SumsRunInOrderFromZero) {
  // (1e16 + 1) - 1e16 loses the 1; any other order would keep it.
  const Matrix m = Make({{1e16, 1, -1e16}});
  EXPECT_EQ((m * Make({{1}, {1}, {1}}))(0, 0), 0.0);
  EXPECT_EQ((m * MakeVector({1, 1, 1}))(0), 0.0);
  EXPECT_EQ(MakeRow({1e16, 1, -1e16}) * MakeVector({1, 1, 1}), 0.0);
  const DelayLine x = MakeLine(3, {-1e16, 1, 1e16});  // taps 1e16, 1, -1e16
  EXPECT_EQ(x * MakeVector({1, 1, 1}), 0.0);
  // A sum starting from 0.0 turns a lone -0.0 product into +0.0.
  const double mv = (Make({{-0.0}}) * MakeVector({1}))(0);
  EXPECT_EQ(mv, 0.0);
  EXPECT_FALSE(std::signbit(mv));
  EXPECT_FALSE(std::signbit((Make({{-0.0}}) * Make({{1}}))(0, 0)));
  EXPECT_FALSE(std::signbit(MakeLine(1, {-0.0}) * MakeVector({1})));
}

TEST(MatrixArithmetic, DelayLineProducts) {
  DelayLine x = MakeLine(3, {});
  const Vector v = MakeVector({1, 10, 100});
  EXPECT_EQ(x * v, 0.0);
  x.push(2);
  EXPECT_EQ(x * v, 2.0);
  EXPECT_EQ(dot(x, v), 2.0);
  x.push(3);
  x.push(4);  // taps 4, 3, 2
  EXPECT_EQ(x * v, 4 + 30 + 200.0);
  EXPECT_EQ(dot(MakeRow({1, 10, 100}), x), 234.0);

  const Matrix m = Make({{1, 2, 3}, {0, 1, 0}});
  const Vector mx = m * x;
  ASSERT_EQ(mx.rows(), 2);
  EXPECT_EQ(mx(0), 4 * 1 + 3 * 2 + 2 * 3.0);
  EXPECT_EQ(mx(1), 3.0);

  const RowVector xm = x * Make({{1, 0}, {2, 1}, {3, 0}});
  ASSERT_EQ(xm.cols(), 2);
  EXPECT_EQ(xm(0), 4 * 1 + 3 * 2 + 2 * 3.0);
  EXPECT_EQ(xm(1), 3.0);

  ExpectMatrix(MakeVector({1, -1}) * x, {{4, 3, 2}, {-4, -3, -2}});

  const Vector shifted = MakeVector({10, 20}) + x;  // only v.rows() taps used
  ASSERT_EQ(shifted.rows(), 2);
  EXPECT_EQ(shifted(0), 14.0);
  EXPECT_EQ(shifted(1), 23.0);

  const Vector scaled = 0.5 * x;
  ASSERT_EQ(scaled.rows(), 3);
  EXPECT_EQ(scaled(0), 2.0);
  EXPECT_EQ(scaled(2), 1.0);

  EXPECT_EQ(power(MakeLine(4, {1, 1, 1, 1})), 1.0);
  EXPECT_EQ(power(MakeLine(4, {2, 0, 0, 0})), 1.0);
  EXPECT_EQ(power(MakeLine(2, {3, 4, 1})), 17.0 / 2);
}

TEST(MatrixArithmetic, Transposes) {
  ExpectMatrix(transpose(Make({{1, 2, 3}, {4, 5, 6}})), {{1, 4}, {2, 5}, {3, 6}});
  const RowVector r = transpose(MakeVector({1, 2}));
  EXPECT_EQ(r.rows(), 1);
  EXPECT_EQ(r.cols(), 2);
  EXPECT_EQ(r(1), 2.0);
  const Vector v = transpose(MakeRow({7, 8, 9}));
  EXPECT_EQ(v.rows(), 3);
  EXPECT_EQ(v(2), 9.0);
  // A delay line transposes newest sample first, not in storage order.
  const Vector taps = transpose(MakeLine(3, {1, 2, 3}));
  ExpectMatrix(taps, {{3}, {2}, {1}});
  ExpectMatrix(transpose(MakeLine(3, {1, 2, 3, 4})), {{4}, {3}, {2}});
}

TEST(MatrixArithmetic, RowsColumnsAndShifts) {
  Matrix m = Make({{1, 2, 3}, {4, 5, 6}});
  const RowVector r = m.row(1);
  ASSERT_EQ(r.cols(), 3);
  EXPECT_EQ(r(0), 4.0);
  EXPECT_EQ(r(2), 6.0);
  const Vector c = m.col(2);
  ASSERT_EQ(c.rows(), 2);
  EXPECT_EQ(c(0), 3.0);
  EXPECT_EQ(c(1), 6.0);
  m.setrow(0, MakeRow({7, 8, 9}));
  m.setcol(1, MakeVector({-1, -2}));
  ExpectMatrix(m, {{7, -1, 9}, {4, -2, 6}});

  Matrix column = Make({{1}, {2}, {3}});
  double seven = 7;
  column.shiftdown(seven, 0);
  ExpectMatrix(column, {{7}, {1}, {2}});
  // The new value may be an element of the column itself.
  column.shiftdown(column(2, 0), 0);
  ExpectMatrix(column, {{2}, {7}, {1}});

  Matrix rows = Make({{1, 2, 3}, {4, 5, 6}});
  rows.shiftright(seven, 1);
  ExpectMatrix(rows, {{1, 2, 3}, {7, 4, 5}});
}

TEST(MatrixArithmetic, PadStripSquare) {
  const Matrix padded = Make({{5}}).pad(1);
  ExpectMatrix(padded, {{0, 0}, {0, 5}});
  ExpectMatrix(padded.strip(1), {{5}});
  const Matrix m = Make({{1, 2}, {3, 4}});
  ExpectMatrix(m.pad(2), {{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 1, 2}, {0, 0, 3, 4}});
  ExpectMatrix(m.pad(2).strip(2), {{1, 2}, {3, 4}});
  ExpectMatrix(m.strip(1), {{4}});
  ExpectMatrix(Make({{-3, 2}}).square(), {{9, 4}});
  // Stripping more than the matrix holds fails the allocation quietly.
  EXPECT_FALSE(m.strip(3).hasstorage());
}

TEST(MatrixArithmetic, NormalizeAndMaxabs) {
  Matrix m = Make({{-4, 1}, {2, -0.5}});
  Matrix& same = m.normalize();
  EXPECT_EQ(&same, &m);
  ExpectMatrix(m, {{-1, 1}, {0.5, -0.5}});
  EXPECT_EQ(Make({{-3, 2}}).maxabs(), 3.0);
  EXPECT_EQ(Make({{1, -7}, {3, 7}}).maxabs(), 7.0);
  // NaN never replaces the running largest value.
  EXPECT_EQ(Make({{2, NAN, -5}}).maxabs(), 5.0);
  // A zero column divides by its 0.0 largest value: not guarded.
  Matrix zero = Make({{0}, {0}});
  zero.normalize();
  EXPECT_TRUE(std::isnan(zero(0, 0)));
}

TEST(MatrixArithmetic, OperationsOnFailedOperandsDoNotCrash) {
  Matrix none;
  const Matrix sum = none + 1.0;
  EXPECT_EQ(sum.size(), 0);
  const Matrix product = none * none;
  EXPECT_EQ(product.size(), 0);
  EXPECT_EQ(transpose(none).size(), 0);
  EXPECT_EQ(none.maxabs(), 0.0);
}

}  // namespace
