// Vector, RowVector and the circular DelayLine.
#include <gtest/gtest.h>

#include "numerics/delay_line.h"
#include "numerics/vector.h"

namespace adaptive {

namespace {

TEST(VectorShapes, ShapesConversionAndAssignment) {
  Vector v(3);
  EXPECT_EQ(v.cols(), 1);
  v(2) = 4.0;
  EXPECT_EQ(v(2, 0), 4.0);
  RowVector r(3, "r");
  EXPECT_EQ(r.rows(), 1);
  EXPECT_STREQ(r.getname(), "r");
  r(1) = 2.0;
  EXPECT_EQ(r(0, 1), 2.0);
  EXPECT_FALSE(v.resize(5));
  EXPECT_EQ(v.rows(), 5);
  EXPECT_EQ(v.cols(), 1);
  EXPECT_FALSE(r.resize(4));
  EXPECT_EQ(r.rows(), 1);
  EXPECT_EQ(r.cols(), 4);
  EXPECT_TRUE(v.resize(-1));
  EXPECT_FALSE(v.hasstorage());

  // Converting a Matrix shares its block; assigning one copies it.
  Matrix m(2, 1, nullptr);
  m(1, 0) = 6.0;
  Vector shared(m);
  EXPECT_EQ(shared.data(), m.data());
  Vector copy(2);
  copy = shared;  // Vector to Vector
  Vector fromMatrix(1);
  fromMatrix = m;  // Matrix to Vector
  EXPECT_EQ(fromMatrix.rows(), 2);
  m(1, 0) = 0.0;
  EXPECT_EQ(copy(1), 6.0);
  EXPECT_EQ(fromMatrix(1), 6.0);
}

TEST(DelayLineTaps, PushTapOrderAndWrap) {
  DelayLine x;
  ASSERT_FALSE(x.setlength(4));
  x.zero();
  x.push(1.5);
  x.push(2.5);
  EXPECT_EQ(x.getposition(), 2);
  const double want[4] = {2.5, 1.5, 0.0, 0.0};
  for (int k = 0; k < 4; ++k) EXPECT_EQ(x.tap(k), want[k]) << k;
  x.push(3.5);
  x.push(4.5);
  EXPECT_EQ(x.getposition(), 0);
  EXPECT_EQ(x.tap(3), 1.5);
  x.push(5.5);  // overwrites the first sample
  EXPECT_EQ(x.getposition(), 1);
  EXPECT_EQ(x.tap(0), 5.5);
  EXPECT_EQ(x.tap(3), 2.5);

  DelayLine one;
  ASSERT_FALSE(one.setlength(1));
  for (double s : {3.0, -2.0}) {
    one.push(s);
    EXPECT_EQ(one.getposition(), 0);
    EXPECT_EQ(one.tap(0), s);
  }
}

TEST(DelayLineTaps, SetlengthRestartsZeroAndClearKeepPosition) {
  DelayLine x;
  ASSERT_FALSE(x.setlength(3));
  x.push(1.0);
  x.push(2.0);
  EXPECT_FALSE(x.setlength(3));
  EXPECT_EQ(x.getposition(), 0);
  x.push(1.0);
  x.zero();  // contents only
  EXPECT_EQ(x.getposition(), 1);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(x.tap(k), 0.0);
  x.clear();
  EXPECT_FALSE(x.hasstorage());
  EXPECT_EQ(x.getposition(), 1);
  EXPECT_TRUE(x.setlength(-3));
  EXPECT_EQ(x.getposition(), 0);
  EXPECT_EQ(x.length(), 0);
}

}  // namespace

}  // namespace adaptive
