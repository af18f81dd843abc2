// The NLMS tokens: worked examples, the normalisation of each filter part by
// its own energy, parameter checks, final-weights files, and a reference model
// written plainly in the numerics' expression form that the tokens must match
// bit for bit.
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

// Equal bit for bit; any two NaNs count as equal, since which operand's NaN an
// operation returns is left open and the compiler may swap the operands of a
// sum or product.
bool SameBits(double a, double b) { return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0; }

// A final-weights file with the sign of every NaN dropped, for the same reason.
std::string NanSignless(std::string text) {
  for (size_t at = text.find("-NAN"); at != std::string::npos; at = text.find("-NAN", at)) text[at] = ' ';
  return text;
}

std::string Coefficients(const Vector& v, int n, double sign = 1.0) {
  std::string text;
  char line[64];
  for (int i = 0; i < n; ++i) {
    std::snprintf(line, sizeof line, "%20.15E\n", sign * v(i));
    text += line;
  }
  return text;
}

// A delay line and a coefficient vector of n zeros.
void Allocate(DelayLine& line, Vector& w, int n) {
  ASSERT_FALSE(line.setlength(n));
  line.zero();
  ASSERT_FALSE(w.resize(n));
  w.zero();
}

// One normalised update of a filter part, as the equations read:
// g = (2 μ e) / (N power + δ), w(i) = λ w(i) + g tap(i).
void NormalisedUpdate(const DelayLine& line, Vector& w, int n, double mu, double leakage, double e) {
  const double g = (2.0 * mu * e) / (n * power(line) + kDelta);
  for (int i = 0; i < n; ++i) w(i) = leakage * w(i) + g * line.tap(i);
}

// The recursive NLMS step with the numerics' operators and temporaries.
struct ReferenceNlms {
  ReferenceNlms(int L, int M, double muA, double lamA, double muB, double lamB)
      : L(L), M(M), muA(muA), lamA(lamA), muB(muB), lamB(lamB) {
    Allocate(x, a, L);
    if (M > 0) Allocate(yPast, b, M);
  }

  // Output, PriError, PostError.
  std::vector<double> Step(double in, double d) {
    x.push(in);
    double y = x * a;
    if (M > 0) {
      yPast.push(previous);
      y = y + yPast * b;
    }
    const double e = d - y;
    previous = y;
    NormalisedUpdate(x, a, L, muA, lamA, e);
    double post = x * a;
    if (M > 0) {
      NormalisedUpdate(yPast, b, M, muB, lamB, e);
      post = post + yPast * b;
    }
    return {y, e, d - post};
  }

  std::string FileText() const {
    return "Numerator Coefficients =" + std::to_string(L) + "\n" + Coefficients(a, L) +
           "\nDenominator Coefficients =" + std::to_string(M + 1) + "\n1\n" + Coefficients(b, M, -1.0);
  }

  int L, M;
  double muA, lamA, muB, lamB, previous = 0.0;
  DelayLine x, yPast;
  Vector a, b;
};

// The two- and three-channel NLMS step.
struct ReferenceMultiNlms {
  explicit ReferenceMultiNlms(std::vector<double> p) : C(static_cast<int>(p.size() / 3)), params(p) {
    for (int c = 0; c < C; ++c) Allocate(x[c], w[c], Length(c));
  }
  int Length(int c) const { return static_cast<int>(params[3 * c]); }

  std::vector<double> Step(const double* in, double d) {
    for (int c = 0; c < C; ++c) x[c].push(in[c]);
    double y = x[0] * w[0];
    for (int c = 1; c < C; ++c) y = y + x[c] * w[c];
    const double e = d - y;
    for (int c = 0; c < C; ++c) NormalisedUpdate(x[c], w[c], Length(c), params[3 * c + 1], params[3 * c + 2], e);
    double post = d;
    for (int c = 0; c < C; ++c) post = post - x[c] * w[c];
    return {y, e, post};
  }

  int C;
  std::vector<double> params;
  DelayLine x[3];
  Vector w[3];
};

// A random sample stream; with `nonFinite`, a NaN or infinity now and then.
struct Samples {
  explicit Samples(unsigned seed, bool nonFinite = false) : rng(seed), nonFinite(nonFinite) {}
  double operator()() {
    ++count;
    if (nonFinite && count % 97 == 0) return count % 2 ? -kInf : kNaN;
    return n01(rng);
  }
  std::mt19937 rng;
  std::normal_distribution<double> n01;
  bool nonFinite;
  int count = 0;
};

void ExpectSameOutputs(const TokenHarness& host, const std::vector<double>& want, int n) {
  for (int o = 0; o < 3; ++o)
    ASSERT_TRUE(SameBits(host.Output(o), want[o])) << "sample " << n << " output " << o << ": " << host.Output(o)
                                                    << " vs " << want[o];
}

TEST(NlmsExamples, FirstSampleOfAOneTapFilter) {
  std::remove("one.txt");
  TokenHarness host(&NLMS, 2, 3, {1, 0.5, 1, 1, 0.5, 1}, "one.txt");
  ASSERT_EQ(host.Create(), 0);
  host.Run({2.0, 1.0});
  EXPECT_EQ(host.Output(0), 0.0);
  EXPECT_EQ(host.Output(1), 1.0);
  const double a0 = 1.0 * 0.0 + (1.0 / (4.0 + kDelta)) * 2.0;
  EXPECT_LT(a0, 0.5);
  EXPECT_EQ(host.Output(2), 1.0 - 2.0 * a0);
  EXPECT_NEAR(host.Output(2), kDelta / (4.0 + kDelta), 1e-15);
  EXPECT_NEAR(host.Output(2), 2.5e-9, 1e-12);
  ASSERT_EQ(host.Terminate(), 0);
  EXPECT_EQ(ReadFileText("one.txt"),
            "Numerator Coefficients =1\n4.999999987500000E-01\n\nDenominator Coefficients =1\n1\n");
}

TEST(NlmsExamples, DefaultStepLeavesOnlyTheRegularisedRemainder) {
  // μ = 0.5, leakage 1, no feedback: PostError = PriError × δ / (‖x‖² + δ).
  TokenHarness host(&NLMS, 2, 3, {4, 0.5, 1, 1, 0.5, 1});
  ASSERT_EQ(host.Create(), 0);
  Samples s(21);
  std::vector<double> hist(4, 0.0);
  for (int n = 0; n < 100; ++n) {
    const double x = s(), d = s();
    hist.insert(hist.begin(), x);
    hist.pop_back();
    double energy = 0.0;
    for (double t : hist) energy += t * t;
    host.Run({x, d});
    EXPECT_NEAR(host.Output(2), host.Output(1) * kDelta / (energy + kDelta), 1e-14 * (1.0 + std::fabs(d)));
  }
}

TEST(NlmsNormalisation, SilentInputLeavesCoefficientsAlone) {
  std::remove("silent.txt");
  TokenHarness host(&NLMS, 2, 3, {3, 0.5, 1, 3, 0.5, 1}, "silent.txt");
  ASSERT_EQ(host.Create(), 0);
  Samples s(4);
  for (int n = 0; n < 30; ++n) {
    const double d = s();
    host.Run({0.0, d});
    // Zero coefficients feed back zeros, so every line stays all-zero.
    EXPECT_EQ(host.Output(0), 0.0);
    EXPECT_EQ(host.Output(1), d);
    EXPECT_EQ(host.Output(2), d);
  }
  ASSERT_EQ(host.Terminate(), 0);
  const std::string zero = "0.000000000000000E+00\n";
  EXPECT_EQ(ReadFileText("silent.txt"), "Numerator Coefficients =3\n" + zero + zero + zero +
                                            "\nDenominator Coefficients =3\n1\n-" + zero + "-" + zero);
}

TEST(NlmsNormalisation, FeedbackPartHasItsOwnEnergy) {
  // On the first sample the feedback line holds only y(-1) = 0: its energy is
  // δ, the feedback coefficients do not move, and the numerator is normalised
  // by the input line alone.
  std::remove("fb.txt");
  TokenHarness host(&NLMS, 2, 3, {2, 0.5, 1, 2, 0.5, 1}, "fb.txt");
  ASSERT_EQ(host.Create(), 0);
  host.Run({1.0, 1.0});
  ASSERT_EQ(host.Terminate(), 0);
  const double a0 = (2.0 * 0.5 * 1.0) / (2 * ((1.0 * 1.0 + 0.0 * 0.0) / 2) + kDelta) * 1.0;
  char first[64];
  std::snprintf(first, sizeof first, "%20.15E\n", a0);
  EXPECT_EQ(ReadFileText("fb.txt"), std::string("Numerator Coefficients =2\n") + first +
                                        "0.000000000000000E+00\n\nDenominator Coefficients =2\n1\n"
                                        "-0.000000000000000E+00\n");
}

TEST(NlmsNormalisation, EachChannelByItsOwnEnergy) {
  // Scaling input 1 by 1000 scales channel 1's energy by 1e6 and its taps by
  // 1e3, so its coefficients shrink by 1e3 and the filter output is the same
  // up to rounding and δ. Normalising by the joint energy would instead
  // freeze channel 2 beside the loud channel 1.
  TokenHarness loud(&NLMS2, 3, 3, {3, 0.2, 1, 2, 0.2, 1});
  TokenHarness plain(&NLMS2, 3, 3, {3, 0.2, 1, 2, 0.2, 1});
  ASSERT_EQ(loud.Create(), 0);
  ASSERT_EQ(plain.Create(), 0);
  Samples s(8);
  double u1 = 0.0, u2 = 0.0;
  for (int n = 0; n < 400; ++n) {
    const double x1 = s(), x2 = s();
    const double d = 0.7 * x1 - 0.4 * u1 + 1.5 * x2 + 0.3 * u2;
    u1 = x1, u2 = x2;
    loud.Run({1000.0 * x1, x2, d});
    plain.Run({x1, x2, d});
    ASSERT_NEAR(loud.Output(0), plain.Output(0), 1e-6 * (1.0 + std::fabs(d))) << n;
  }
  // Both channels have learnt their part of the system.
  EXPECT_LT(std::fabs(plain.Output(1)), 1e-6);
  EXPECT_LT(std::fabs(loud.Output(1)), 1e-6);
}

TEST(NlmsReference, RecursiveTokenMatchesTheEquations) {
  for (bool nonFinite : {false, true}) {
    for (const auto& p : std::vector<std::vector<double>>{
             {5, 0.5, 1, 1, 0.5, 1},
             {4, 0.3, 0.99, 3, 0.05, 0.95},
             {1, 0.8, 0.5, 2, 0.2, 1},
             {7, 0.0, 1, 2, 0.0, 0.0}}) {
      TokenHarness host(&NLMS, 2, 3, p, "rec.txt");
      ASSERT_EQ(host.Create(), 0);
      ReferenceNlms ref(static_cast<int>(p[0]), static_cast<int>(p[3]) - 1, p[1], p[2], p[4], p[5]);
      Samples s(static_cast<unsigned>(p[0] * 10 + p[3]), nonFinite);
      for (int n = 0; n < 300; ++n) {
        const double x = s();
        const double d = 0.8 * x + 0.1 * s();
        host.Run({x, d});
        ExpectSameOutputs(host, ref.Step(x, d), n);
        if (HasFatalFailure()) return;
      }
      ASSERT_EQ(host.Terminate(), 0);
      EXPECT_EQ(NanSignless(ReadFileText("rec.txt")), NanSignless(ref.FileText()));
    }
  }
}

TEST(NlmsReference, MultiChannelTokensMatchTheEquations) {
  for (bool nonFinite : {false, true}) {
    for (const auto& p : std::vector<std::vector<double>>{
             {3, 0.5, 1, 2, 0.1, 0.9}, {3, 0.2, 1.0, 1, 0.6, 0.95, 4, 0.05, 0.999}, {1, 0.5, 0, 1, 0, 1, 2, 1, 1}}) {
      const int C = static_cast<int>(p.size() / 3);
      TokenHarness host(C == 2 ? &NLMS2 : &NLMS3, C + 1, 3, p, "mc.txt");
      ASSERT_EQ(host.Create(), 0);
      ReferenceMultiNlms ref(p);
      Samples s(static_cast<unsigned>(17 * C + p[0]), nonFinite);
      for (int n = 0; n < 300; ++n) {
        double in[3] = {s(), s(), s()};
        const double d = in[0] - 0.5 * in[C - 1] + 0.01 * s();
        std::vector<double> values(in, in + C);
        values.push_back(d);
        host.Run(values);
        ExpectSameOutputs(host, ref.Step(in, d), n);
        if (HasFatalFailure()) return;
      }
      ASSERT_EQ(host.Terminate(), 0);
      for (int c = 0; c < C; ++c)
        EXPECT_EQ(NanSignless(ReadFileText("mc" + std::to_string(c + 1) + ".txt")),
                  NanSignless("Numerator Coefficients =" + std::to_string(ref.Length(c)) + "\n" +
                              Coefficients(ref.w[c], ref.Length(c)) + "\nDenominator Coefficients =1\n1\n"));
    }
  }
}

struct Outcome {
  int status;
  std::string text;
};

Outcome Create(TokenEntryPoint entry, int inputs, std::vector<double> p) {
  TokenHarness host(entry, inputs, 3, std::move(p));
  host.ClearErrorText();
  const int status = host.Create();
  return {status, host.ErrorText()};
}

TEST(NlmsParameters, ChecksAndTheirOrder) {
  const std::string length = "Improper length of Adaptive Filter.\nMust be greater than 0...";
  const std::string step = "Improper step size of Adaptive Filter.\nMust be greater than 0...";
  const std::string leakage = "Improper leakage factor of Adaptive Filter.\nMust be between 0 and 1...";
  EXPECT_EQ(Create(&NLMS, 2, {10, 0.5, 1, 1, 0.5, 1}).status, 0);
  EXPECT_EQ(Create(&NLMS, 2, {1.9, 0.0, 0.0, 1.2, 0.0, 1}).status, 0);
  EXPECT_EQ(Create(&NLMS, 2, {10, 0.5, 1, 0, 0.5, 1}).text, length);
  EXPECT_EQ(Create(&NLMS, 2, {0.5, -1, 2, 1, 0.5, 1}).text, length);
  EXPECT_EQ(Create(&NLMS, 2, {10, 0.5, 2, 1, -1e-300, 1}).text, step);
  EXPECT_EQ(Create(&NLMS, 2, {10, 0.5, 1, 1, 0.5, kNaN}).text, leakage);
  const Outcome bad = Create(&NLMS, 2, {10, 0.5, 1.0000001, 1, 0.5, 1});
  EXPECT_EQ(bad.status, 1);
  EXPECT_EQ(bad.text, leakage);

  EXPECT_EQ(Create(&NLMS2, 3, {10, 0.5, 1, 10, 0.5, 1}).status, 0);
  EXPECT_EQ(Create(&NLMS2, 3, {10, 0.5, 2.0, 10, -1.0, 1}).text, step);
  EXPECT_EQ(Create(&NLMS2, 3, {10, -1.0, 2.0, kNaN, 0.5, 1}).text, length);
  EXPECT_EQ(Create(&NLMS3, 4, {10, 0.5, 1, 10, 0.5, 1, 10, 0.5, 1}).status, 0);
  EXPECT_EQ(Create(&NLMS3, 4, {10, 0.5, -0.1, 10, 0.5, 1, 10, -0.5, 1}).text, step);
  EXPECT_EQ(Create(&NLMS3, 4, {10, 0.5, 1, 10, 0.5, 1, -3, 0.5, 1}).text, length);
  EXPECT_EQ(Create(&NLMS3, 4, {10, 0.5, 1, 10, 0.5, 1, 10, 0.5, 1.5}).text, leakage);
}

#if defined(__linux__)
// Runs in a child process with a 1 GiB address-space limit: channel 2 asks for
// 2^28 taps (2 GiB per line), so its allocation fails cleanly instead of being
// overcommitted, after channel 1's line was allocated.
void CreateBeyondTheMemoryLimit() {
  rlimit limit{1ull << 30, 1ull << 30};
  setrlimit(RLIMIT_AS, &limit);
  bool ok = false;
  {
    TokenHarness host(&NLMS2, 3, 3, {1, 0.5, 1, 268435456.0, 0.5, 1}, "never.txt");
    host.ClearErrorText();
    ok = host.Create() == 1002 && host.ErrorText() == "Memory (s_) allocation error." && host.Run({1, 1, 1}) == 0 &&
         host.Terminate() == 0;
  }
  std::exit(ok && !FileExists("never.txt") ? 0 : 1);
}

TEST(NlmsStorage, AllocationFailureIsReportedNotThrown) {
  if (kAddressSanitizerBuild) GTEST_SKIP() << "no address-space limit under AddressSanitizer";
  EXPECT_EXIT(CreateBeyondTheMemoryLimit(), ::testing::ExitedWithCode(0), "");
}
#endif

}  // namespace
