// The QR tokens: worked examples, singular and limiting cases, files per
// channel, and a plain reference model of the Givens sweep, written with the
// numerics' expressions, that the tokens must match bit for bit.
#include <gtest/gtest.h>

#include <cmath>

#include "numerics/solve.h"
#include "tests/correlation_reference.h"

namespace {

const char* const kSingular = "Matrix close to singular...\n";

// A QR token with the given channel lengths and λ; outputs: 4 ports.
TokenHarness MakeQr(const std::vector<int>& lengths, double lambda, const std::string& file = "") {
  const int C = static_cast<int>(lengths.size());
  std::vector<double> params(lengths.begin(), lengths.end());
  params.push_back(lambda);
  return TokenHarness(C == 1 ? &QR1 : C == 2 ? &QR2 : &QR3, C + 1, 4, params, file);
}

// The final-weights files of a QR token fed these samples (channel inputs,
// then d).
std::vector<std::string> QrFiles(const std::vector<int>& lengths, double lambda,
                                 const std::vector<std::vector<double>>& samples) {
  const int C = static_cast<int>(lengths.size());
  RemoveFiles("qr", C);
  {
    TokenHarness host = MakeQr(lengths, lambda, "qr.txt");
    EXPECT_EQ(host.Create(), 0);
    for (const auto& s : samples) host.Run(s);
  }
  std::vector<std::string> files;
  for (int c = 0; c < C; ++c) files.push_back(ReadFileText(FileOfChannel("qr", C, c)));
  return files;
}

// The sweep as the algorithm states it, with the numerics' operators for the
// scaling.
struct ReferenceQr {
  ReferenceQr(const std::vector<int>& lengths, double lambda) : lengths(lengths), lambda(lambda), taps(lengths) {
    N = taps.regressor.rows();
    R = Matrix(N + 1, N, nullptr);
    z = Vector(N + 1);
  }

  // Output, PriError, PostError, Gamma.
  std::vector<double> Step(const std::vector<double>& in, double d) {
    const Vector& x = taps.Push(in);
    R = R * lambda;
    z = z * lambda;
    for (int k = 0; k < N; ++k) R(N, k) = x(k);
    z(N) = d;
    double gamma = 1.0;
    for (int i = 0; i < N; ++i) {
      double c = 1.0, s = 0.0;
      if (R(N, i) != 0.0) {
        const double r = std::fabs(R(i, i)) < 1e-8 ? 0.0 : std::sqrt(R(i, i) * R(i, i) + R(N, i) * R(N, i));
        if (r <= 1e-8)
          c = 0.0, s = 1.0;
        else
          c = R(i, i) / r, s = R(N, i) / r;
        gamma = gamma * c;
      }
      for (int j = i; j < N; ++j) {
        const double t = R(i, j);
        R(i, j) = s * R(N, j) + c * t;
        R(N, j) = c * R(N, j) - s * t;
      }
      const double t = z(i);
      z(i) = s * z(N) + c * t;
      z(N) = c * z(N) - s * t;
    }
    const double alpha = z(N);
    return {d - alpha * gamma, std::fabs(gamma) > 1e-8 ? alpha / gamma : d, alpha * gamma, gamma};
  }

  // The expected contents of each channel's final-weights file.
  std::vector<std::string> Files() {
    Vector w(N);
    const bool singular = backsubstitute(R, z, w) != 0;
    std::vector<std::string> files;
    for (int c = 0, first = 0; c < static_cast<int>(lengths.size()); first += lengths[c++])
      files.push_back(singular ? kSingular : CoefficientText(w, first, lengths[c], kTransversal));
    return files;
  }

  std::vector<int> lengths;
  double lambda;
  StackedTaps taps;
  int N = 0;
  Matrix R;
  Vector z;
};

TEST(QrTokens, TwoSampleExample) {
  RemoveFiles("qr_two", 1);
  {
    TokenHarness host = MakeQr({1}, 1.0, "qr_two.txt");
    ASSERT_EQ(host.Create(), 0);
    const double want[2][4] = {{2.0, 2.0, 0.0, 0.0},  // γ = 0: the a-priori error is d itself
                               {2.0, 0.0, 0.0, 1.0 / std::sqrt(2.0)}};
    for (const auto& w : want) {
      host.Run({1.0, 2.0});
      for (int o = 0; o < 4; ++o) EXPECT_EQ(host.Output(o), w[o]) << o;
    }
  }
  EXPECT_EQ(ReadFileText("qr_two.txt"), "Numerator Coefficients =1\n2.000000000000000E+00\n\nDenominator Coefficients =1\n1\n");
}

TEST(QrTokens, SingularTrianglesWriteTheMessageInEveryFile) {
  EXPECT_EQ(QrFiles({3}, 0.999, {}), std::vector<std::string>{kSingular});
  std::mt19937 rng(1);
  std::normal_distribution<double> n01;
  // Channel 2 never carries data: its columns keep a zero diagonal.
  std::vector<std::vector<double>> mute;
  for (int n = 0; n < 40; ++n) {
    const double x = n01(rng);
    mute.push_back({x, 0.0, 0.5 * x});
  }
  EXPECT_EQ(QrFiles({2, 2}, 1.0, mute), (std::vector<std::string>{kSingular, kSingular}));
  // Fewer samples than coefficients cannot fill the triangle.
  EXPECT_EQ(QrFiles({4}, 1.0, {{0.3, 1.0}, {-1.2, 0.4}, {0.8, 2.0}}), std::vector<std::string>{kSingular});
}

// γ after two samples on a one-tap QR1 with λ = 1: the first sample puts
// `first` on the diagonal, the second brings `second` against it.
double GammaAfter(double first, double second) {
  TokenHarness host = MakeQr({1}, 1.0);
  EXPECT_EQ(host.Create(), 0);
  host.Run({first, 0.0});
  EXPECT_EQ(host.Output(3), 0.0);
  host.Run({second, 0.0});
  return host.Output(3);
}

TEST(QrTokens, TinyDiagonalsAndRadiiRotateByCZeroSOne) {
  // A diagonal of exactly 1e-8 is rotated normally, one just below is not.
  EXPECT_EQ(GammaAfter(1e-8, 1.0), 1e-8 / std::sqrt(1e-8 * 1e-8 + 1.0));
  EXPECT_EQ(GammaAfter(0.99e-8, 1.0), 0.0);
  // sqrt(1e-8² + 1e-300²) is exactly 1e-8: a radius of 1e-8 is too small.
  ASSERT_EQ(std::sqrt(1e-8 * 1e-8 + 1e-300 * 1e-300), 1e-8);
  EXPECT_EQ(GammaAfter(1e-8, 1e-300), 0.0);
}

TEST(QrTokens, ZeroForgettingFactorAndSilentInputs) {
  // λ = 0: every sample starts from a zero triangle, so the single data row
  // always lands in row 0 by the c = 0, s = 1 rotation.
  RemoveFiles("qr_forget", 1);
  {
    TokenHarness host = MakeQr({1}, 0.0, "qr_forget.txt");
    ASSERT_EQ(host.Create(), 0);
    for (int n = 1; n <= 5; ++n) {
      host.Run({2.0 * n, 3.0 + n});
      const double want[4] = {3.0 + n, 3.0 + n, 0.0, 0.0};
      for (int o = 0; o < 4; ++o) EXPECT_EQ(host.Output(o), want[o]) << n << " " << o;
    }
  }
  EXPECT_EQ(Coefficients(ReadFileText("qr_forget.txt")), std::vector<double>{8.0 / 10.0});
  // With two taps the second row never gets data before it is wiped again.
  EXPECT_EQ(QrFiles({2}, 0.0, {{1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}}), std::vector<std::string>{kSingular});

  // All-zero data: no rotation ever happens, γ stays 1 and every output is 0.
  TokenHarness silent = MakeQr({2, 1, 3}, 0.999);
  ASSERT_EQ(silent.Create(), 0);
  for (int n = 0; n < 10; ++n) {
    silent.Run({0.0, 0.0, 0.0, 0.0});
    EXPECT_EQ(silent.Output(3), 1.0);
    for (int o = 0; o < 3; ++o) EXPECT_TRUE(SameBits(silent.Output(o), 0.0)) << o;
  }
}

// Also shows that each channel's block of the joint solution goes to its own
// file.
TEST(QrTokens, IdentifiesAnFirSystemWithoutNoise) {
  const std::vector<double> truth = {0.5, -0.25, 2.0, 0.125, -1.0, 0.75};  // 1 + 2 + 3 taps
  TokenHarness host = MakeQr({1, 2, 3}, 0.999);
  const std::vector<double> got = IdentifiedCoefficients(host, {1, 2, 3}, truth, 1e-9);
  ASSERT_EQ(got.size(), truth.size());
  for (size_t k = 0; k < truth.size(); ++k) EXPECT_NEAR(got[k], truth[k], 1e-9) << k;
}

// Runs a token and the reference side by side on the given samples (channel
// inputs, then d) and compares every output and the final-weights files.
void ExpectMatchesReference(const std::vector<int>& lengths, double lambda,
                            const std::vector<std::vector<double>>& samples) {
  const int C = static_cast<int>(lengths.size());
  RemoveFiles("qr_ref", C);
  ReferenceQr ref(lengths, lambda);
  {
    TokenHarness host = MakeQr(lengths, lambda, "qr_ref.txt");
    ASSERT_EQ(host.Create(), 0);
    for (size_t n = 0; n < samples.size(); ++n) {
      host.Run(samples[n]);
      const std::vector<double> want = ref.Step(samples[n], samples[n][C]);
      for (int o = 0; o < 4; ++o)
        ASSERT_TRUE(SameBits(host.Output(o), want[o])) << "sample " << n << " port " << o << ": " << host.Output(o)
                                                       << " vs " << want[o];
    }
  }
  const std::vector<std::string> files = ref.Files();
  for (int c = 0; c < C; ++c) EXPECT_EQ(ReadFileText(FileOfChannel("qr_ref", C, c)), files[c]) << c;
}

// 300 noisy samples of a simple system; `poison` replaces one port's value
// at one sample.
std::vector<std::vector<double>> RandomSamples(int C, unsigned seed, int poisonSample = -1, int poisonPort = 0,
                                               double poison = 0.0) {
  std::mt19937 rng(seed);
  std::normal_distribution<double> n01;
  std::vector<std::vector<double>> samples;
  for (int n = 0; n < 300; ++n) {
    std::vector<double> in(C + 1);
    for (int c = 0; c < C; ++c) in[c] = n01(rng);
    in[C] = in[0] - 0.3 * in[C - 1] + 0.05 * n01(rng);
    if (n == poisonSample) in[poisonPort] = poison;
    samples.push_back(in);
  }
  return samples;
}

TEST(QrTokens, MatchTheReferenceSweepBitForBit) {
  ExpectMatchesReference({5}, 0.98, RandomSamples(1, 11));
  ExpectMatchesReference({3, 2}, 0.999, RandomSamples(2, 12));
  ExpectMatchesReference({2, 1, 3}, 1.0, RandomSamples(3, 13));
  ExpectMatchesReference({1}, 0.5, RandomSamples(1, 14));
  // Non-finite samples propagate identically, and so do the solves after them.
  ExpectMatchesReference({4}, 0.99, RandomSamples(1, 15, 150, 0, kInf));
  ExpectMatchesReference({3}, 0.99, RandomSamples(1, 16, 100, 1, -kInf));
  ExpectMatchesReference({2, 3}, 0.99, RandomSamples(2, 17, 200, 1, kNaN));
  ExpectMatchesReference({1, 1, 2}, 0.9, RandomSamples(3, 18, 290, 2, kInf));
  // An exactly-zero incoming element still gets its c = 1, s = 0 rotation:
  // here it carries the infinity of R(0, 1) into the work row, whereas
  // skipping it would leave γ at 1.
  ExpectMatchesReference({1, 1}, 1.0, {{1.0, kInf, 0.0}, {0.0, 0.0, 0.0}, {-0.0, 1.0, 2.0}});
  ExpectMatchesReference({2}, 1.0, {{-0.0, 1.0}, {0.0, -0.0}, {1.0, 0.0}, {-0.0, 3.0}});
}

TEST(QrTokens, ParameterChecksAndImpossibleSizes) {
  const std::string length = "Improper length of Adaptive Filter.\nMust be greater than 0...";
  const std::string forgetting = "Improper forgetting factor of Adaptive Filter.\nMust be between 0 and 1...";
  const std::string storage = "Memory (s_) allocation error.";
  struct Case {
    std::vector<int> lengths;
    double lambda;
    int status;
    std::string text;
  };
  const int big = 1 << 30;
  const std::vector<Case> cases = {
      {{0}, 0.5, 1, length},
      {{4, -1}, 0.5, 1, length},
      {{4, 2, 0}, 2.0, 1, length},  // the length check runs first
      {{4}, 1.0000001, 1, forgetting},
      {{4}, -1e-300, 1, forgetting},
      {{4, 4}, kNaN, 1, forgetting},
      {{4}, 0.0, 0, ""},
      {{4}, 1.0, 0, ""},
      // N + 1 does not fit 32 bits, or the triangle can never be allocated:
      // refused before any storage is touched.
      {{2147483647}, 0.5, 1002, storage},
      {{2147483646, 1}, 0.5, 1002, storage},
      {{big, big, big}, 0.5, 1002, storage},
      {{big}, 0.5, 1002, storage},
  };
  for (const Case& c : cases) {
    TokenHarness host = MakeQr(c.lengths, c.lambda);
    host.ClearErrorText();
    EXPECT_EQ(host.Create(), c.status) << c.lengths[0] << " " << c.lambda;
    EXPECT_EQ(host.ErrorText(), c.text) << c.lengths[0] << " " << c.lambda;
    EXPECT_EQ(host.Terminate(), 0);
  }
}

}  // namespace
