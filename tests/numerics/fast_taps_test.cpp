// The delay-line operations walk the circular storage in two contiguous runs.
// They must give the same bits as the plain tap(k) loops they replace, for
// every length and write position, NaN and infinity included.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "numerics/arithmetic.h"
#include "tests/reference/same_bits.h"

namespace adaptive {

namespace {

// Mostly values of very different magnitudes (so that the order of a sum shows
// in its rounding), now and then a special value.
double NextSample(std::mt19937& engine) {
  const double special[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                            -std::numeric_limits<double>::infinity(), -0.0, 1e300};
  const int pick = std::uniform_int_distribution<int>(0, 39)(engine);
  if (pick < 5) return special[pick];
  const double mantissa = std::uniform_real_distribution<double>(-1.0, 1.0)(engine);
  return std::ldexp(mantissa, std::uniform_int_distribution<int>(-30, 30)(engine));
}

void ExpectSameBits(const Matrix& fast, const Matrix& plain, const char* what) {
  ASSERT_EQ(fast.rows(), plain.rows()) << what;
  ASSERT_EQ(fast.cols(), plain.cols()) << what;
  for (std::ptrdiff_t k = 0; k < plain.size(); ++k)
    EXPECT_TRUE(SameBits(fast.data()[k], plain.data()[k]))
        << what << " element " << k << ": " << fast.data()[k] << " vs " << plain.data()[k];
}

void CompareAtPosition(const DelayLine& x, std::mt19937& engine) {
  const int32_t L = x.length();
  Vector v(L);
  RowVector r(L);
  Matrix m(2, L, nullptr), mt(L, 2, nullptr);
  for (Matrix* operand : {static_cast<Matrix*>(&v), static_cast<Matrix*>(&r), &m, &mt})
    for (std::ptrdiff_t k = 0; k < operand->size(); ++k) operand->data()[k] = NextSample(engine);
  const double s = NextSample(engine);

  double xv = 0.0, rx = 0.0, energy = 0.0;
  Vector mx(2), scaled(L), taps(L), plus(L);
  RowVector xm(2);
  Matrix outer(L, L, nullptr);
  for (int32_t k = 0; k < L; ++k) {
    xv = xv + x.tap(k) * v(k);
    rx = rx + x.tap(k) * r(k);
    energy = energy + x.tap(k) * x.tap(k);
    for (int32_t i = 0; i < 2; ++i) {
      mx(i) = mx(i) + x.tap(k) * m(i, k);
      xm(i) = xm(i) + x.tap(k) * mt(k, i);
    }
    scaled(k) = x.tap(k) * s;
    taps(k) = x.tap(k);
    plus(k) = x.tap(k) + v(k);
    for (int32_t i = 0; i < L; ++i) outer(i, k) = x.tap(k) * v(i);
  }
  EXPECT_TRUE(SameBits(dot(x, v), xv)) << "x . v";
  EXPECT_TRUE(SameBits(x * v, xv)) << "x * v";
  EXPECT_TRUE(SameBits(dot(r, x), rx)) << "r . x";
  EXPECT_TRUE(SameBits(power(x), energy / L)) << "power";
  ExpectSameBits(m * x, mx, "M * x");
  ExpectSameBits(x * mt, xm, "x * M");
  ExpectSameBits(s * x, scaled, "s * x");
  ExpectSameBits(transpose(x), taps, "transpose(x)");
  ExpectSameBits(v + x, plus, "v + x");
  ExpectSameBits(v * x, outer, "v * x");

  int32_t visited = 0;
  x.forEachTap([&](int32_t k, double t) {
    EXPECT_EQ(k, visited++);
    EXPECT_TRUE(SameBits(t, x.tap(k)));
  });
  EXPECT_EQ(visited, L);
}

TEST(DelayLineFastPaths, MatchPlainTapLoopsBitForBit) {
  std::mt19937 engine(12345);
  for (int32_t L = 1; L <= 33; ++L) {
    DelayLine x;
    ASSERT_FALSE(x.setlength(L));
    x.zero();
    for (int32_t k = 0; k < L; ++k) x.push(NextSample(engine));
    // One full lap of write positions, fresh samples at each.
    for (int32_t p = 0; p < L; ++p) {
      ASSERT_EQ(x.getposition(), p);
      SCOPED_TRACE(testing::Message() << "length " << L << " position " << p);
      CompareAtPosition(x, engine);
      x.push(NextSample(engine));
    }
  }
}

}  // namespace

}  // namespace adaptive
