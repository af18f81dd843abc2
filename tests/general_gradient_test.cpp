// The general-gradient tokens: initial tap layouts, the pairing of each error
// with the previous gradient samples, GenNLMS's normalisation by the input
// line before the push, parameter checks, final-weights bytes, and a plain
// reference model of the step that the tokens must match bit for bit.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#if defined(__linux__)
#include <sys/resource.h>
#endif

#include "numerics/arithmetic.h"
#include "numerics/delay_line.h"
#include "numerics/vector.h"
#include "tests/sanitizer_build.h"
#include "tests/token_harness.h"
#include "tokens/entry_points.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();
const double kDelta = 1e-8;

enum class Kind { A, B, Normalised };

TokenEntryPoint Entry(Kind kind) { return kind == Kind::A ? &GenLMS_A : kind == Kind::B ? &GenLMS_B : &GenNLMS; }
int Inputs(Kind kind) { return kind == Kind::A ? 5 : 3; }

// Parameters in catalogue order; GenLMS_A has no "Mu" and "Leakage Factor".
std::vector<double> Parameters(Kind kind, double length, double mu, double leakage, double first, double middle,
                               double last) {
  if (kind == Kind::A) return {length, first, middle, last};
  return {length, mu, leakage, first, middle, last};
}

// Equal bit for bit; any two NaNs count as equal, since which operand's NaN an
// operation returns is left open and the compiler may swap the operands of a
// sum or product.
bool SameBits(double a, double b) { return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0; }

// A final-weights file with the sign of every NaN dropped, for the same reason.
std::string NanSignless(std::string text) {
  for (size_t at = text.find("-NAN"); at != std::string::npos; at = text.find("-NAN", at)) text[at] = ' ';
  return text;
}

std::string FileText(const std::vector<double>& w) {
  std::string text = "Numerator Coefficients =" + std::to_string(w.size()) + "\n";
  char line[64];
  for (double v : w) {
    std::snprintf(line, sizeof line, "%20.15E\n", v);
    text += line;
  }
  return text + "Denominator Coefficients =1\n1\n";
}

// The step as the equations read, with the numerics' operators.
struct ReferenceGeneral {
  ReferenceGeneral(Kind kind, const std::vector<double>& initial)
      : kind(kind), L(static_cast<int>(initial.size())) {
    EXPECT_FALSE(x.setlength(L));
    x.zero();
    EXPECT_FALSE(grad.setlength(L));
    grad.zero();
    EXPECT_FALSE(w.resize(L));
    for (int i = 0; i < L; ++i) w(i) = initial[i];
  }

  double Step(double in, double g, double e, double mu, double leakage) {
    const double k = kind == Kind::Normalised ? ((2.0 * mu) / (L * power(x) + kDelta)) * e : 2.0 * mu * e;
    for (int i = 0; i < L; ++i) w(i) = leakage * w(i) + k * grad.tap(i);
    x.push(in);
    grad.push(g);
    return x * w;
  }

  std::vector<double> Weights() const {
    std::vector<double> v(L);
    for (int i = 0; i < L; ++i) v[i] = w(i);
    return v;
  }

  Kind kind;
  int L;
  DelayLine x, grad;
  Vector w;
};

// Creates and destroys an instance and returns its final-weights file.
std::string InitialFile(Kind kind, double length, double first, double middle, double last) {
  std::remove("init.txt");
  TokenHarness host(Entry(kind), Inputs(kind), 1, Parameters(kind, length, 0.01, 1, first, middle, last), "init.txt");
  EXPECT_EQ(host.Create(), 0);
  EXPECT_EQ(host.Terminate(), 0);
  return ReadFileText("init.txt");
}

TEST(GeneralGradientInitialTaps, LayoutsForLengthsOneToFive) {
  const double F = 1.5, M = -2.25, La = 3.125;
  const std::vector<std::vector<double>> layouts = {
      {F}, {F, La}, {F, M, La}, {F, M, 0, La}, {F, 0, M, 0, La}};
  for (Kind kind : {Kind::A, Kind::B, Kind::Normalised})
    for (int L = 1; L <= 5; ++L) EXPECT_EQ(InitialFile(kind, L, F, M, La), FileText(layouts[L - 1])) << L;
  // Zero tap values, negative ones included, leave +0.0; the other taps are
  // still placed.
  EXPECT_EQ(InitialFile(Kind::B, 5, -0.0, -0.0, -0.0), FileText({0, 0, 0, 0, 0}));
  EXPECT_EQ(InitialFile(Kind::A, 4, -0.0, M, -0.0), FileText({0, M, 0, 0}));
  EXPECT_EQ(InitialFile(Kind::Normalised, 3, F, -0.0, -0.0), FileText({F, 0, 0}));
}

TEST(GeneralGradientPairing, ErrorMeetsThePreviousGradientSamples) {
  TokenHarness host(&GenLMS_B, 3, 1, {3, 0.25, 1, 1, 0, 0});
  ASSERT_EQ(host.Create(), 0);
  // The gradient line is empty on the first sample: nothing moves, whatever
  // the error, and the output is the input through the initial taps.
  host.Run({2, 3, 5});
  EXPECT_EQ(host.Output(0), 2.0);
  // k = 0.25: only w(0) moves, by k × g(1) = 0.75.
  host.Run({-1, 7, 0.5});
  EXPECT_EQ(host.Output(0), -1.75);
  // k = 1: w = (1.75 + 7, 0 + 3, 0) with g(2) and g(1).
  host.Run({4, 1, 2});
  EXPECT_EQ(host.Output(0), 4 * 8.75 - 1 * 3.0);

  // Error 0 keeps the initial taps: a first tap of 1 passes the input through.
  TokenHarness through(&GenNLMS, 3, 1, {4, 0.5, 1, 1, 0, 0});
  ASSERT_EQ(through.Create(), 0);
  std::mt19937 rng(2);
  std::normal_distribution<double> n01;
  for (int n = 0; n < 50; ++n) {
    const double x = n01(rng);
    through.Run({x, n01(rng), 0.0});
    ASSERT_EQ(through.Output(0), x) << n;
  }
}

TEST(GeneralGradientNormalisation, InputLineBeforeThePush) {
  std::remove("gennlms.txt");
  TokenHarness host(&GenNLMS, 3, 1, {2, 0.5, 1, 0, 0, 0}, "gennlms.txt");
  ASSERT_EQ(host.Create(), 0);
  // Empty lines: the gain is 2 μ e / δ but it multiplies zero gradient taps.
  host.Run({2, 3, 1});
  EXPECT_EQ(host.Output(0), 0.0);
  // Energy of x(1) = 2 alone (not of the new 5, nor of the gradients):
  // k = (1 / (2 × 2 + δ)) × 1, w(0) = k × g(1).
  host.Run({5, 7, 1});
  const double w0 = (1.0 / (2 * ((2.0 * 2.0 + 0.0 * 0.0) / 2) + kDelta)) * 3.0;
  EXPECT_EQ(host.Output(0), 5.0 * w0);
  ASSERT_EQ(host.Terminate(), 0);
  EXPECT_EQ(ReadFileText("gennlms.txt"), FileText({w0, 0.0}));
}

TEST(GeneralGradientPorts, GenLmsATakesStepAndLeakagePerSampleUnchecked) {
  TokenHarness host(&GenLMS_A, 5, 1, {2, 10, 0, 20});
  ASSERT_EQ(host.Create(), 0);
  host.Run({1, 2, 1, 1, 1});
  EXPECT_EQ(host.Output(0), 10.0);
  // Leakage 0: the initial taps are forgotten, w = k × (g(1), 0) = (2, 0).
  host.Run({1, 3, 1, 0.5, 0});
  EXPECT_EQ(host.Output(0), 2.0);
  // A negative step and a leakage above 1: k = -0.5, w = (3 - 1.5, 0 - 1).
  host.Run({1, 0, 1, -0.25, 1.5});
  EXPECT_EQ(host.Output(0), 0.5);
}

struct Outcome {
  int status;
  std::string text;
};

Outcome Create(Kind kind, std::vector<double> p) {
  TokenHarness host(Entry(kind), Inputs(kind), 1, std::move(p));
  host.ClearErrorText();
  const int status = host.Create();
  return {status, host.ErrorText()};
}

TEST(GeneralGradientParameters, ChecksAndTheirOrder) {
  const std::string length = "Improper length of Adaptive Filter.\nMust be greater than 0...";
  const std::string step = "Improper step size of Adaptive Filter.\nMust be greater than 0...";
  const std::string leakage = "Improper leakage factor of Adaptive Filter.\nMust be between 0 and 1...";
  // GenLMS_A checks only its length; tap values are never checked.
  EXPECT_EQ(Create(Kind::A, {1.9, -1, kNaN, kInf}).status, 0);
  EXPECT_EQ(Create(Kind::A, {0.9, 0, 0, 0}).text, length);
  for (Kind kind : {Kind::B, Kind::Normalised}) {
    EXPECT_EQ(Create(kind, {10, 0, 0, kNaN, -1, kInf}).status, 0);
    EXPECT_EQ(Create(kind, {10, 0.5, 1, 0, 0, 0}).status, 0);
    EXPECT_EQ(Create(kind, {-2, -1, 2, 0, 0, 0}).text, length);
    EXPECT_EQ(Create(kind, {kNaN, 0.5, 1, 0, 0, 0}).text, length);
    EXPECT_EQ(Create(kind, {3, -1e-300, 2, 0, 0, 0}).text, step);
    EXPECT_EQ(Create(kind, {3, kNaN, 1, 0, 0, 0}).text, step);
    const Outcome bad = Create(kind, {3, 0.1, 1.0000001, 0, 0, 0});
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.text, leakage);
    EXPECT_EQ(Create(kind, {3, 0.1, kNaN, 0, 0, 0}).text, leakage);
  }
}

TEST(GeneralGradientFiles, NoEmptyLineBeforeTheDenominator) {
  std::remove("genlms_b.txt");
  TokenHarness host(&GenLMS_B, 3, 1, {1, 0.01, 1, 1, 0, 0}, "genlms_b.txt");
  ASSERT_EQ(host.Create(), 0);
  ASSERT_EQ(host.Terminate(), 0);
  EXPECT_EQ(ReadFileText("genlms_b.txt"),
            "Numerator Coefficients =1\n1.000000000000000E+00\nDenominator Coefficients =1\n1\n");
}

TEST(GeneralGradientReference, TokensMatchTheEquations) {
  struct Case {
    Kind kind;
    int L;
    double mu, leakage, first, middle, last;
  };
  const Case cases[] = {{Kind::B, 5, 0.02, 1, 0.5, -0.25, 0.125}, {Kind::B, 1, 0.1, 0.9, 0, 0, 0},
                        {Kind::Normalised, 6, 0.5, 1, 1, 0, 0},   {Kind::Normalised, 3, 0.2, 0.95, 0, 2, -1},
                        {Kind::A, 4, 0, 0, 0.3, 0.2, 0.1},        {Kind::A, 7, 0, 0, 0, 0, 0}};
  for (bool nonFinite : {false, true}) {
    for (const Case& c : cases) {
      TokenHarness host(Entry(c.kind), Inputs(c.kind), 1,
                        Parameters(c.kind, c.L, c.mu, c.leakage, c.first, c.middle, c.last), "ref.txt");
      ASSERT_EQ(host.Create(), 0);
      std::vector<double> initial(c.L, 0.0);
      initial[0] = c.first;
      if (c.L > 1) initial[c.L - 1] = c.last;
      if (c.L > 2) initial[(c.L - 1) / 2] = c.middle;
      ReferenceGeneral ref(c.kind, initial);
      std::mt19937 rng(static_cast<unsigned>(c.L * 3 + nonFinite));
      std::normal_distribution<double> n01;
      std::uniform_real_distribution<double> uniform(-0.1, 1.2);
      for (int n = 0; n < 300; ++n) {
        double x = n01(rng), g = n01(rng), e = 0.1 * n01(rng);
        if (nonFinite && n == 150) x = kInf;
        if (nonFinite && n == 220) g = kNaN;
        // GenLMS_A's step size and leakage wander, beyond the checked ranges too.
        const double mu = c.kind == Kind::A ? 0.05 * uniform(rng) : c.mu;
        const double leakage = c.kind == Kind::A ? uniform(rng) : c.leakage;
        host.Run({x, g, e, mu, leakage});
        const double want = ref.Step(x, g, e, mu, leakage);
        ASSERT_TRUE(SameBits(host.Output(0), want)) << n << ": " << host.Output(0) << " vs " << want;
      }
      ASSERT_EQ(host.Terminate(), 0);
      EXPECT_EQ(NanSignless(ReadFileText("ref.txt")), NanSignless(FileText(ref.Weights())));
    }
  }
}

#if defined(__linux__)
// In a child process with a 1 GiB address-space limit, 2^28 taps (2 GiB per
// line) cannot be allocated: the failure is reported, not thrown or
// overcommitted, and the half-built instance goes away quietly.
void CreateBeyondTheMemoryLimit() {
  rlimit limit{1ull << 30, 1ull << 30};
  setrlimit(RLIMIT_AS, &limit);
  bool ok = false;
  {
    TokenHarness host(&GenNLMS, 3, 1, {268435456.0, 0.5, 1, 1, 1, 1}, "never.txt");
    host.ClearErrorText();
    ok = host.Create() == 1002 && host.ErrorText() == "Memory (s_) allocation error." && host.Run({1, 1, 1}) == 0 &&
         host.Terminate() == 0;
  }
  std::exit(ok && !FileExists("never.txt") ? 0 : 1);
}

TEST(GeneralGradientStorage, AllocationFailureIsReportedNotThrown) {
  if (kAddressSanitizerBuild) GTEST_SKIP() << "no address-space limit under AddressSanitizer";
  EXPECT_EXIT(CreateBeyondTheMemoryLimit(), ::testing::ExitedWithCode(0), "");
}
#endif

}  // namespace
