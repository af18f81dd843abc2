// The general-gradient tokens: initial tap layouts, the pairing of each error
// with the previous gradient samples, GenNLMS's normalisation by the input
// line before the push, GenLMS_A's step ports, final-weights bytes, and the
// plain model of the step that the tokens must match bit for bit.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "tests/tokens/lms_reference.h"

namespace adaptive {

namespace {

using namespace lms_reference;

enum class Kind { A, B, Normalised };

TokenEntryPoint Entry(Kind kind) { return kind == Kind::A ? &GenLMS_A : kind == Kind::B ? &GenLMS_B : &GenNLMS; }
int Inputs(Kind kind) { return kind == Kind::A ? 5 : 3; }

std::string GeneralFile(const std::vector<double>& w) {
  return "Numerator Coefficients =" + std::to_string(w.size()) + "\n" + CoefficientLines(w) +
         "Denominator Coefficients =1\n1\n";
}

// Creates and destroys an instance and returns its final-weights file.
// GenLMS_A has no "Mu" and "Leakage Factor" parameters.
std::string InitialFile(Kind kind, double length, double first, double middle, double last) {
  std::remove("init.txt");
  const std::vector<double> p = kind == Kind::A ? std::vector<double>{length, first, middle, last}
                                                : std::vector<double>{length, 0.01, 1, first, middle, last};
  TokenSession host(Entry(kind), Inputs(kind), 1, p, "init.txt");
  EXPECT_EQ(host.create(), 0);
  EXPECT_EQ(host.terminate(), 0);
  return ReadFileText("init.txt");
}

TEST(GeneralGradientInitialTaps, LayoutsForLengthsOneToFive) {
  const double F = 1.5, M = -2.25, La = 3.125;
  const std::vector<std::vector<double>> layouts = {{F}, {F, La}, {F, M, La}, {F, M, 0, La}, {F, 0, M, 0, La}};
  for (Kind kind : {Kind::A, Kind::B, Kind::Normalised})
    for (int L = 1; L <= 5; ++L) EXPECT_EQ(InitialFile(kind, L, F, M, La), GeneralFile(layouts[L - 1])) << L;
  // Zero tap values, negative ones included, leave +0.0; the other taps are
  // still placed.
  EXPECT_EQ(InitialFile(Kind::B, 5, -0.0, -0.0, -0.0), GeneralFile({0, 0, 0, 0, 0}));
  EXPECT_EQ(InitialFile(Kind::A, 4, -0.0, M, -0.0), GeneralFile({0, M, 0, 0}));
  EXPECT_EQ(InitialFile(Kind::Normalised, 3, F, -0.0, -0.0), GeneralFile({F, 0, 0}));
  // No empty line before the denominator section.
  EXPECT_EQ(InitialFile(Kind::B, 1, 1, 0, 0),
            "Numerator Coefficients =1\n1.000000000000000E+00\nDenominator Coefficients =1\n1\n");
}

TEST(GeneralGradientPairing, ErrorMeetsThePreviousGradientSamples) {
  TokenSession host(&GenLMS_B, 3, 1, {3, 0.25, 1, 1, 0, 0});
  ASSERT_EQ(host.create(), 0);
  // The gradient line is empty on the first sample: nothing moves, whatever
  // the error, and the output is the input through the initial taps.
  host.run({2, 3, 5});
  EXPECT_EQ(host.output(0).value, 2.0);
  // k = 0.25: only w(0) moves, by k × g(1) = 0.75.
  host.run({-1, 7, 0.5});
  EXPECT_EQ(host.output(0).value, -1.75);
  // k = 1: w = (1.75 + 7, 0 + 3, 0) with g(2) and g(1).
  host.run({4, 1, 2});
  EXPECT_EQ(host.output(0).value, 4 * 8.75 - 1 * 3.0);

  // Error 0 keeps the initial taps: a first tap of 1 passes the input through.
  TokenSession through(&GenNLMS, 3, 1, {4, 0.5, 1, 1, 0, 0});
  ASSERT_EQ(through.create(), 0);
  Samples s(2);
  for (int n = 0; n < 50; ++n) {
    const double x = s();
    through.run({x, s(), 0.0});
    ASSERT_EQ(through.output(0).value, x) << n;
  }
}

TEST(GeneralGradientNormalisation, InputLineBeforeThePush) {
  std::remove("gennlms.txt");
  TokenSession host(&GenNLMS, 3, 1, {2, 0.5, 1, 0, 0, 0}, "gennlms.txt");
  ASSERT_EQ(host.create(), 0);
  // Empty lines: the gain is 2 μ e / δ but it multiplies zero gradient taps.
  host.run({2, 3, 1});
  EXPECT_EQ(host.output(0).value, 0.0);
  // Energy of x(1) = 2 alone (not of the new 5, nor of the gradients):
  // k = (1 / (2 × 2 + δ)) × 1, w(0) = k × g(1).
  host.run({5, 7, 1});
  const double w0 = (1.0 / (2 * ((2.0 * 2.0 + 0.0 * 0.0) / 2) + kDelta)) * 3.0;
  EXPECT_EQ(host.output(0).value, 5.0 * w0);
  ASSERT_EQ(host.terminate(), 0);
  EXPECT_EQ(ReadFileText("gennlms.txt"), GeneralFile({w0, 0.0}));
}

TEST(GeneralGradientPorts, GenLmsATakesStepAndLeakagePerSampleUnchecked) {
  TokenSession host(&GenLMS_A, 5, 1, {2, 10, 0, 20});
  ASSERT_EQ(host.create(), 0);
  host.run({1, 2, 1, 1, 1});
  EXPECT_EQ(host.output(0).value, 10.0);
  // Leakage 0: the initial taps are forgotten, w = k × (g(1), 0) = (2, 0).
  host.run({1, 3, 1, 0.5, 0});
  EXPECT_EQ(host.output(0).value, 2.0);
  // A negative step and a leakage above 1: k = -0.5, w = (3 - 1.5, 0 - 1).
  host.run({1, 0, 1, -0.25, 1.5});
  EXPECT_EQ(host.output(0).value, 0.5);
}

TEST(GeneralGradientReference, TokensMatchTheEquations) {
  const std::pair<Kind, std::vector<double>> cases[] = {
      {Kind::B, {5, 0.02, 1, 0.5, -0.25, 0.125}}, {Kind::B, {1, 0.1, 0.9, 0, 0, 0}},
      {Kind::Normalised, {6, 0.5, 1, 1, 0, 0}},  {Kind::Normalised, {3, 0.2, 0.95, 0, 2, -1}},
      {Kind::A, {4, 0.3, 0.2, 0.1}},             {Kind::A, {7, 0, 0, 0}}};
  for (bool nonFinite : {false, true}) {
    for (const auto& [kind, p] : cases) {
      TokenSession host(Entry(kind), Inputs(kind), 1, p, "genref.txt");
      ASSERT_EQ(host.create(), 0);
      const int L = static_cast<int>(p[0]);
      const double* taps = &p[p.size() - 3];  // first, middle, last
      std::vector<double> initial(L, 0.0);
      initial[0] = taps[0];
      if (L > 1) initial[L - 1] = taps[2];
      if (L > 2) initial[(L - 1) / 2] = taps[1];
      GeneralModel model(initial, kind == Kind::Normalised);
      Samples s(static_cast<unsigned>(L * 3 + nonFinite), nonFinite);
      std::uniform_real_distribution<double> uniform(-0.1, 1.2);
      for (int n = 0; n < 300; ++n) {
        const double x = s(), g = s(), e = 0.1 * s();
        // GenLMS_A's step size and leakage wander, beyond the checked ranges too.
        const double mu = kind == Kind::A ? 0.05 * uniform(s.rng) : p[1];
        const double leakage = kind == Kind::A ? uniform(s.rng) : p[2];
        host.run({x, g, e, mu, leakage});
        ExpectSameOutputs(host, {model.step(x, g, e, mu, leakage)}, n);
        if (HasFatalFailure()) return;
      }
      ASSERT_EQ(host.terminate(), 0);
      EXPECT_EQ(NanSignless(ReadFileText("genref.txt")), NanSignless(GeneralFile(model.w)));
    }
  }
}

}  // namespace

}  // namespace adaptive
