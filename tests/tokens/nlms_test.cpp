// The NLMS tokens' worked examples and the normalisation of each filter part
// by its own energy (their match with the equations is in lms_test.cpp).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/reference/same_bits.h"
#include "tests/tokens/lms_reference.h"
#include "tokens/energy_regularisation.h"

namespace adaptive {

namespace {

using namespace lms_reference;

TEST(NlmsExamples, FirstSampleOfAOneTapFilter) {
  std::remove("one.txt");
  TokenSession host(&NLMS, 2, 3, {1, 0.5, 1, 1, 0.5, 1}, "one.txt");
  ASSERT_EQ(host.create(), 0);
  host.run({2.0, 1.0});
  EXPECT_EQ(host.output(0).value, 0.0);
  EXPECT_EQ(host.output(1).value, 1.0);
  const double a0 = 1.0 * 0.0 + (1.0 / (4.0 + kDelta)) * 2.0;
  EXPECT_EQ(host.output(2).value, 1.0 - 2.0 * a0);
  EXPECT_NEAR(host.output(2).value, 2.5e-9, 1e-12);
  ASSERT_EQ(host.terminate(), 0);
  EXPECT_EQ(ReadFileText("one.txt"),
            "Numerator Coefficients =1\n4.999999987500000E-01\n\nDenominator Coefficients =1\n1\n");
}

TEST(NlmsExamples, DefaultStepLeavesOnlyTheRegularisedRemainder) {
  // μ = 0.5, leakage 1, no feedback: PostError = PriError × δ / (‖x‖² + δ).
  TokenSession host(&NLMS, 2, 3, {4, 0.5, 1, 1, 0.5, 1});
  ASSERT_EQ(host.create(), 0);
  Samples s(21);
  std::vector<double> hist(4, 0.0);
  for (int n = 0; n < 100; ++n) {
    const double x = s(), d = s();
    Shift(hist, x);
    host.run({x, d});
    EXPECT_NEAR(host.output(2).value, host.output(1).value * kDelta / (Dot(hist, hist) + kDelta), 1e-14 * (1.0 + std::fabs(d)));
  }
}

TEST(NlmsNormalisation, SilentInputLeavesCoefficientsAlone) {
  std::remove("silent.txt");
  TokenSession host(&NLMS, 2, 3, {3, 0.5, 1, 3, 0.5, 1}, "silent.txt");
  ASSERT_EQ(host.create(), 0);
  Samples s(4);
  for (int n = 0; n < 30; ++n) {
    const double d = s();
    host.run({0.0, d});
    // Zero coefficients feed back zeros, so every line stays all-zero.
    EXPECT_EQ(host.output(0).value, 0.0);
    EXPECT_EQ(host.output(1).value, d);
    EXPECT_EQ(host.output(2).value, d);
  }
  ASSERT_EQ(host.terminate(), 0);
  const std::string zero = "0.000000000000000E+00\n";
  EXPECT_EQ(ReadFileText("silent.txt"), "Numerator Coefficients =3\n" + zero + zero + zero +
                                            "\nDenominator Coefficients =3\n1\n-" + zero + "-" + zero);
}

TEST(NlmsNormalisation, FeedbackPartHasItsOwnEnergy) {
  // On the first sample the feedback line holds only y(-1) = 0: its energy is
  // δ, the feedback coefficients do not move, and the numerator is normalised
  // by the input line alone.
  std::remove("fb.txt");
  TokenSession host(&NLMS, 2, 3, {2, 0.5, 1, 2, 0.5, 1}, "fb.txt");
  ASSERT_EQ(host.create(), 0);
  host.run({1.0, 1.0});
  ASSERT_EQ(host.terminate(), 0);
  const double a0 = (2.0 * 0.5 * 1.0) / (2 * ((1.0 * 1.0 + 0.0 * 0.0) / 2) + kDelta) * 1.0;
  EXPECT_EQ(ReadFileText("fb.txt"), "Numerator Coefficients =2\n" + CoefficientLines({a0, 0.0}) +
                                        "\nDenominator Coefficients =2\n1\n-0.000000000000000E+00\n");
}

TEST(NlmsNormalisation, EachChannelByItsOwnEnergy) {
  // Scaling input 1 by 1000 scales channel 1's energy by 1e6 and its taps by
  // 1e3, so its coefficients shrink by 1e3 and the filter output is the same
  // up to rounding and δ. Normalising by the joint energy would instead
  // freeze channel 2 beside the loud channel 1.
  TokenSession loud(&NLMS2, 3, 3, {3, 0.2, 1, 2, 0.2, 1});
  TokenSession plain(&NLMS2, 3, 3, {3, 0.2, 1, 2, 0.2, 1});
  ASSERT_EQ(loud.create(), 0);
  ASSERT_EQ(plain.create(), 0);
  Samples s(8);
  double u1 = 0.0, u2 = 0.0;
  for (int n = 0; n < 400; ++n) {
    const double x1 = s(), x2 = s();
    const double d = 0.7 * x1 - 0.4 * u1 + 1.5 * x2 + 0.3 * u2;
    u1 = x1, u2 = x2;
    loud.run({1000.0 * x1, x2, d});
    plain.run({x1, x2, d});
    ASSERT_NEAR(loud.output(0).value, plain.output(0).value, 1e-6 * (1.0 + std::fabs(d))) << n;
  }
  // Both channels have learnt their part of the system.
  EXPECT_LT(std::fabs(plain.output(1).value), 1e-6);
  EXPECT_LT(std::fabs(loud.output(1).value), 1e-6);
}

// The mean square divides by the length; for powers of two it multiplies by
// the reciprocal. Both must give the division's bits, down to subnormal
// results and special values, for every length.
TEST(NlmsNormalisation, DivisionByTheLengthKeepsItsBits) {
  std::vector<double> values = {0.0, -0.0, 1.0, 3.0, 0.1, 1e300, -7.25e-300, std::nextafter(0.0, 1.0),
                                3 * std::nextafter(0.0, 1.0), 2.2250738585072014e-308 * 1.5, 1.7976931348623157e308,
                                INFINITY, -INFINITY, NAN};
  std::mt19937 engine(7);
  std::uniform_real_distribution<double> mantissa(1.0, 2.0);
  std::uniform_int_distribution<int> exponent(-1074, 1023);
  for (int k = 0; k < 2000; ++k) values.push_back(std::ldexp(mantissa(engine), exponent(engine)));
  for (int32_t n : {1, 2, 3, 4, 5, 7, 8, 10, 16, 30, 64, 1 << 20, 1 << 30, 2147483647})
    for (double x : values) ASSERT_TRUE(SameBits(DivideByCount(x, n), x / n)) << x << " / " << n;
}

}  // namespace

}  // namespace adaptive
