// The delay-line operations walk the circular storage in two contiguous runs.
// They must give the same bits as the plain tap(k) loops they replace, for
// every length and write position, NaN and infinity included.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "numerics/arithmetic.h"

namespace {

class Samples {
 public:
  explicit Samples(unsigned seed) : engine(seed) {}

  // Mostly values of very different magnitudes (so that the order of a sum
  // shows in its rounding), now and then a special value.
  double next() {
    const int pick = std::uniform_int_distribution<int>(0, 39)(engine);
    switch (pick) {
      case 0: return std::numeric_limits<double>::quiet_NaN();
      case 1: return std::numeric_limits<double>::infinity();
      case 2: return -std::numeric_limits<double>::infinity();
      case 3: return -0.0;
      case 4: return 1e300;
      default: break;
    }
    const double mantissa = std::uniform_real_distribution<double>(-1.0, 1.0)(engine);
    return std::ldexp(mantissa, std::uniform_int_distribution<int>(-30, 30)(engine));
  }

 private:
  std::mt19937 engine;
};

// Every non-NaN result must match bit for bit (signed zeros and infinities
// included). A NaN need only be a NaN: when both operands of an addition or
// multiplication are NaNs, the hardware passes on one of them, and the compiler
// is free to swap the operands of these commutative operations, so the sign and
// payload of a NaN result are not part of any contract.
bool SameBits(double a, double b) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
  return std::memcmp(&a, &b, sizeof a) == 0;
}

void ExpectSameBits(const Matrix& fast, const Matrix& plain, const char* what) {
  ASSERT_EQ(fast.rows(), plain.rows()) << what;
  ASSERT_EQ(fast.cols(), plain.cols()) << what;
  for (std::ptrdiff_t k = 0; k < plain.size(); ++k)
    EXPECT_TRUE(SameBits(fast.data()[k], plain.data()[k]))
        << what << " element " << k << ": " << fast.data()[k] << " vs " << plain.data()[k];
}

void Fill(Matrix& m, Samples& samples) {
  for (std::ptrdiff_t k = 0; k < m.size(); ++k) m.data()[k] = samples.next();
}

void CompareAtPosition(const DelayLine& x, Samples& samples) {
  const int32_t L = x.length();
  Vector v(L);
  RowVector r(L);
  Matrix m(2, L, nullptr);
  Matrix mt(L, 2, nullptr);
  Fill(v, samples);
  Fill(r, samples);
  Fill(m, samples);
  Fill(mt, samples);
  const double s = samples.next();

  double xv = 0.0, rx = 0.0, energy = 0.0;
  for (int32_t k = 0; k < L; ++k) {
    xv = xv + x.tap(k) * v(k);
    rx = rx + x.tap(k) * r(k);
    energy = energy + x.tap(k) * x.tap(k);
  }
  EXPECT_TRUE(SameBits(dot(x, v), xv)) << "x . v";
  EXPECT_TRUE(SameBits(x * v, xv)) << "x * v";
  EXPECT_TRUE(SameBits(dot(r, x), rx)) << "r . x";
  EXPECT_TRUE(SameBits(power(x), energy / L)) << "power";

  Vector mx(2);
  RowVector xm(2);
  for (int32_t i = 0; i < 2; ++i) {
    double a = 0.0, b = 0.0;
    for (int32_t k = 0; k < L; ++k) {
      a = a + x.tap(k) * m(i, k);
      b = b + x.tap(k) * mt(k, i);
    }
    mx(i) = a;
    xm(i) = b;
  }
  ExpectSameBits(m * x, mx, "M * x");
  ExpectSameBits(x * mt, xm, "x * M");

  Vector scaled(L), taps(L), plus(L);
  Matrix outer(L, L, nullptr);
  for (int32_t k = 0; k < L; ++k) {
    scaled(k) = x.tap(k) * s;
    taps(k) = x.tap(k);
    plus(k) = x.tap(k) + v(k);
    for (int32_t i = 0; i < L; ++i) outer(i, k) = x.tap(k) * v(i);
  }
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
  Samples samples(12345);
  for (int32_t L = 1; L <= 33; ++L) {
    DelayLine x;
    ASSERT_FALSE(x.setlength(L));
    x.zero();
    for (int32_t k = 0; k < L; ++k) x.push(samples.next());
    // One full lap of write positions, fresh samples at each.
    for (int32_t p = 0; p < L; ++p) {
      ASSERT_EQ(x.getposition(), p);
      SCOPED_TRACE(testing::Message() << "length " << L << " position " << p);
      CompareAtPosition(x, samples);
      x.push(samples.next());
    }
  }
}

}  // namespace
