// The LMS tokens' numbers: worked examples, limiting cases and a plain
// reference model of the equations that the tokens must match bit for bit.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <vector>

#include "tests/token_harness.h"
#include "tokens/entry_points.h"

namespace {

// Straightforward model of the recursive LMS equations, with shift-register
// histories instead of circular lines.
struct ReferenceLms {
  ReferenceLms(int L, int M, double muA, double lamA, double muB, double lamB)
      : x(L, 0.0), yPast(M, 0.0), a(L, 0.0), b(M, 0.0), muA(muA), lamA(lamA), muB(muB), lamB(lamB) {}

  // Returns Output, PriError, PostError.
  std::vector<double> Step(double in, double d) {
    x.insert(x.begin(), in);
    x.pop_back();
    double ya = 0.0;
    for (size_t i = 0; i < x.size(); ++i) ya += x[i] * a[i];
    double y = ya;
    if (!b.empty()) {
      yPast.insert(yPast.begin(), previous);
      yPast.pop_back();
      double yb = 0.0;
      for (size_t j = 0; j < b.size(); ++j) yb += yPast[j] * b[j];
      y = y + yb;
    }
    const double e = d - y;
    previous = y;
    double g = 2.0 * muA * e;
    for (size_t i = 0; i < a.size(); ++i) a[i] = lamA * a[i] + g * x[i];
    double post = 0.0;
    for (size_t i = 0; i < a.size(); ++i) post += x[i] * a[i];
    if (!b.empty()) {
      g = 2.0 * muB * e;
      for (size_t j = 0; j < b.size(); ++j) b[j] = lamB * b[j] + g * yPast[j];
      double pb = 0.0;
      for (size_t j = 0; j < b.size(); ++j) pb += yPast[j] * b[j];
      post = post + pb;
    }
    return {y, e, d - post};
  }

  std::vector<double> x, yPast, a, b;
  double muA, lamA, muB, lamB, previous = 0.0;
};

TEST(LmsToken, FirstSampleExample) {
  TokenHarness host(&LMS, 2, 3, {2, 0.01, 1, 1, 0.01, 1});
  ASSERT_EQ(host.Create(), 0);
  host.Run({1.0, 1.0});
  EXPECT_EQ(host.Output(0), 0.0);
  EXPECT_EQ(host.Output(1), 1.0);
  EXPECT_EQ(host.Output(2), 1.0 - 1.0 * (2.0 * 0.01 * 1.0));
  EXPECT_NEAR(host.Output(2), 0.98, 1e-15);
}

TEST(LmsToken, LimitingStepSizeAndLeakage) {
  std::mt19937 rng(7);
  std::normal_distribution<double> n01;
  // μ = 0, leakage 1: nothing adapts.
  TokenHarness frozen(&LMS, 2, 3, {4, 0.0, 1, 3, 0.0, 1});
  ASSERT_EQ(frozen.Create(), 0);
  // Leakage 0: each coefficient is exactly g × tap after every sample, so the
  // a-posteriori output is the input energy times g.
  TokenHarness forgetful(&LMS, 2, 3, {3, 0.05, 0.0, 1, 0.01, 1});
  ASSERT_EQ(forgetful.Create(), 0);
  std::vector<double> hist(3, 0.0);
  for (int n = 0; n < 50; ++n) {
    const double x = n01(rng), d = n01(rng);
    frozen.Run({x, d});
    EXPECT_EQ(frozen.Output(0), 0.0);
    EXPECT_EQ(frozen.Output(1), d);
    EXPECT_EQ(frozen.Output(2), d);

    hist.insert(hist.begin(), x);
    hist.pop_back();
    forgetful.Run({x, d});
    const double g = 2.0 * 0.05 * forgetful.Output(1);
    double post = 0.0;
    for (double t : hist) post += t * (g * t);
    EXPECT_EQ(forgetful.Output(2), d - post);
  }
}

TEST(LmsToken, RecursiveFormMatchesTheEquations) {
  std::mt19937 rng(11);
  std::normal_distribution<double> n01;
  for (const auto& p : std::vector<std::vector<double>>{
           {5, 0.01, 1, 3, 0.005, 1}, {1, 0.02, 0.99, 2, 0.01, 0.9}, {7, 0.003, 1, 1, 0.01, 1}}) {
    TokenHarness host(&LMS, 2, 3, p);
    ASSERT_EQ(host.Create(), 0);
    ReferenceLms ref(static_cast<int>(p[0]), static_cast<int>(p[3]) - 1, p[1], p[2], p[4], p[5]);
    for (int n = 0; n < 300; ++n) {
      const double x = n01(rng);
      const double d = 0.8 * x + 0.1 * n01(rng);
      host.Run({x, d});
      const std::vector<double> want = ref.Step(x, d);
      ASSERT_EQ(host.Output(0), want[0]) << n;
      ASSERT_EQ(host.Output(1), want[1]) << n;
      ASSERT_EQ(host.Output(2), want[2]) << n;
    }
  }
}

TEST(LmsToken, NonFiniteValuesPassThrough) {
  TokenHarness host(&LMS, 2, 3, {3, 0.01, 1, 2, 0.01, 1});
  ASSERT_EQ(host.Create(), 0);
  host.Run({1.0, std::numeric_limits<double>::quiet_NaN()});
  EXPECT_TRUE(std::isnan(host.Output(1)));
  host.Run({1.0, 1.0});
  EXPECT_TRUE(std::isnan(host.Output(0)));
}

TEST(MultiChannelLms, SilentSecondChannelActsAsOneChannel) {
  std::remove("mc1.txt");
  std::remove("mc2.txt");
  TokenHarness two(&LMS2, 3, 3, {4, 0.02, 1, 3, 0.02, 1}, "mc.txt");
  TokenHarness one(&LMS, 2, 3, {4, 0.02, 1, 1, 0.02, 1});
  ASSERT_EQ(two.Create(), 0);
  ASSERT_EQ(one.Create(), 0);
  std::mt19937 rng(3);
  std::normal_distribution<double> n01;
  for (int n = 0; n < 100; ++n) {
    const double x = n01(rng), d = 0.5 * x;
    two.Run({x, 0.0, d});
    one.Run({x, d});
    ASSERT_EQ(two.Output(0), one.Output(0));
    ASSERT_EQ(two.Output(1), one.Output(1));
    ASSERT_EQ(two.Output(2), one.Output(2));
  }
  ASSERT_EQ(two.Terminate(), 0);
  EXPECT_EQ(ReadFileText("mc2.txt"),
            "Numerator Coefficients =3\n0.000000000000000E+00\n0.000000000000000E+00\n0.000000000000000E+00\n"
            "\nDenominator Coefficients =1\n1\n");
}

TEST(MultiChannelLms, ThreeChannelsMatchTheEquations) {
  std::mt19937 rng(5);
  std::normal_distribution<double> n01;
  const int L[3] = {3, 1, 4};
  const double mu[3] = {0.01, 0.03, 0.002};
  const double leak[3] = {1.0, 0.95, 0.999};
  TokenHarness host(&LMS3, 4, 3, {3, 0.01, 1.0, 1, 0.03, 0.95, 4, 0.002, 0.999});
  ASSERT_EQ(host.Create(), 0);
  std::vector<double> x[3], w[3];
  for (int c = 0; c < 3; ++c) x[c].assign(L[c], 0.0), w[c].assign(L[c], 0.0);
  for (int n = 0; n < 200; ++n) {
    double in[3] = {n01(rng), n01(rng), n01(rng)};
    const double d = in[0] - 0.5 * in[2];
    double dots[3];
    for (int c = 0; c < 3; ++c) {
      x[c].insert(x[c].begin(), in[c]);
      x[c].pop_back();
      dots[c] = 0.0;
      for (int i = 0; i < L[c]; ++i) dots[c] += x[c][i] * w[c][i];
    }
    const double y = dots[0] + dots[1] + dots[2];
    const double e = d - y;
    double post = d;
    for (int c = 0; c < 3; ++c) {
      const double g = 2.0 * mu[c] * e;
      double s = 0.0;
      for (int i = 0; i < L[c]; ++i) w[c][i] = leak[c] * w[c][i] + g * x[c][i];
      for (int i = 0; i < L[c]; ++i) s += x[c][i] * w[c][i];
      post = post - s;
    }
    host.Run({in[0], in[1], in[2], d});
    ASSERT_EQ(host.Output(0), y) << n;
    ASSERT_EQ(host.Output(1), e) << n;
    ASSERT_EQ(host.Output(2), post) << n;
  }
}

TEST(MultiChannelLms, SkippedSamplesLeaveTheStateAlone) {
  TokenHarness skipping(&LMS2, 3, 3, {2, 0.05, 1, 2, 0.05, 1});
  TokenHarness plain(&LMS2, 3, 3, {2, 0.05, 1, 2, 0.05, 1});
  ASSERT_EQ(skipping.Create(), 0);
  ASSERT_EQ(plain.Create(), 0);
  for (int n = 0; n < 20; ++n) {
    const double x1 = n % 3, x2 = 1.0 - n % 2, d = 0.3 * n;
    if (n % 4 == 1) {
      skipping.inputPorts[0].skip = 1;
      skipping.Run({99.0, 99.0, 99.0});
      EXPECT_EQ(skipping.outputPorts[0].skip, 1);
      skipping.inputPorts[0].skip = 0;
    }
    skipping.Run({x1, x2, d});
    plain.Run({x1, x2, d});
    ASSERT_EQ(skipping.Output(2), plain.Output(2));
  }
}

}  // namespace
