// The QR tokens: worked examples, singular and limiting cases, files per
// channel, and a plain reference model of the Givens sweep, written with the
// numerics' expressions, that the tokens must match bit for bit.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "numerics/arithmetic.h"
#include "numerics/solve.h"
#include "tests/token_harness.h"
#include "tokens/entry_points.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();
const char* const kSingular = "Matrix close to singular...\n";

TokenEntryPoint Entry(int channels) { return channels == 1 ? &QR1 : channels == 2 ? &QR2 : &QR3; }

// A QR token with the given channel lengths and λ; outputs: 4 ports.
TokenHarness MakeQr(const std::vector<int>& lengths, double lambda, const std::string& file = "") {
  std::vector<double> params(lengths.begin(), lengths.end());
  params.push_back(lambda);
  return TokenHarness(Entry(static_cast<int>(lengths.size())), static_cast<int>(lengths.size()) + 1, 4, params,
                      file);
}

std::string FileName(const std::string& base, int channels, int c) {
  return channels == 1 ? base + ".txt" : base + std::to_string(c + 1) + ".txt";
}

void RemoveFiles(const std::string& base, int channels) {
  for (int c = 0; c < channels; ++c) std::remove(FileName(base, channels, c).c_str());
}

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The sweep as the algorithm states it, with shift-register histories and
// the numerics' operators for the scaling.
struct ReferenceQr {
  ReferenceQr(const std::vector<int>& lengths, double lambda) : lengths(lengths), lambda(lambda) {
    for (int l : lengths) {
      history.emplace_back(l, 0.0);
      N += l;
    }
    R = Matrix(N + 1, N, nullptr);
    z = Vector(N + 1);
  }

  // Output, PriError, PostError, Gamma.
  std::vector<double> Step(const std::vector<double>& x, double d) {
    for (size_t c = 0; c < history.size(); ++c) {
      history[c].insert(history[c].begin(), x[c]);
      history[c].pop_back();
    }
    R = R * lambda;
    z = z * lambda;
    int k = 0;
    for (const auto& h : history)
      for (double tap : h) R(N, k++) = tap;
    z(N) = d;
    double gamma = 1.0;
    for (int i = 0; i < N; ++i) {
      double c = 1.0, s = 0.0;
      if (R(N, i) != 0.0) {
        if (std::fabs(R(i, i)) < 1e-8) {
          c = 0.0, s = 1.0;
        } else {
          const double r = std::sqrt(R(i, i) * R(i, i) + R(N, i) * R(N, i));
          if (r <= 1e-8)
            c = 0.0, s = 1.0;
          else
            c = R(i, i) / r, s = R(N, i) / r;
        }
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
    int first = 0;
    for (int l : lengths) {
      std::string text = singular ? kSingular : "Numerator Coefficients =" + std::to_string(l) + "\n";
      for (int k = 0; k < l && !singular; ++k) {
        char line[64];
        std::snprintf(line, sizeof line, "%20.15E\n", w(first + k));
        text += line;
      }
      if (!singular) text += "\nDenominator Coefficients =1\n1\n";
      files.push_back(text);
      first += l;
    }
    return files;
  }

  std::vector<int> lengths;
  double lambda;
  int N = 0;
  std::vector<std::vector<double>> history;
  Matrix R;
  Vector z;
};

// The numbers of a final-weights file's numerator section.
std::vector<double> Coefficients(const std::string& text) {
  std::vector<double> values;
  int count = 0;
  if (std::sscanf(text.c_str(), "Numerator Coefficients =%d", &count) != 1) return values;
  const char* p = std::strchr(text.c_str(), '\n');
  for (int k = 0; k < count && p != nullptr; ++k) {
    values.push_back(std::strtod(p + 1, nullptr));
    p = std::strchr(p + 1, '\n');
  }
  return values;
}

TEST(QrTokens, TwoSampleExample) {
  RemoveFiles("qr_two", 1);
  TokenHarness host = MakeQr({1}, 1.0, "qr_two.txt");
  ASSERT_EQ(host.Create(), 0);
  host.Run({1.0, 2.0});
  EXPECT_EQ(host.Output(3), 0.0);
  EXPECT_EQ(host.Output(2), 0.0);
  EXPECT_EQ(host.Output(0), 2.0);
  EXPECT_EQ(host.Output(1), 2.0);  // γ = 0: the a-priori error is d itself
  host.Run({1.0, 2.0});
  EXPECT_EQ(host.Output(3), 1.0 / std::sqrt(2.0));
  EXPECT_EQ(host.Output(1), 0.0);
  EXPECT_EQ(host.Output(2), 0.0);
  EXPECT_EQ(host.Output(0), 2.0);
  ASSERT_EQ(host.Terminate(), 0);
  EXPECT_EQ(ReadFileText("qr_two.txt"), "Numerator Coefficients =1\n2.000000000000000E+00\n\nDenominator Coefficients =1\n1\n");
}

TEST(QrTokens, SingularTrianglesWriteTheMessageInEveryFile) {
  RemoveFiles("qr_fresh", 1);
  {
    TokenHarness fresh = MakeQr({3}, 0.999, "qr_fresh.txt");
    ASSERT_EQ(fresh.Create(), 0);
    ASSERT_EQ(fresh.Terminate(), 0);
  }
  EXPECT_EQ(ReadFileText("qr_fresh.txt"), kSingular);

  // Channel 2 never carries data: its columns keep a zero diagonal.
  RemoveFiles("qr_mute", 2);
  std::mt19937 rng(1);
  std::normal_distribution<double> n01;
  {
    TokenHarness mute = MakeQr({2, 2}, 1.0, "qr_mute.txt");
    ASSERT_EQ(mute.Create(), 0);
    for (int n = 0; n < 40; ++n) {
      const double x = n01(rng);
      mute.Run({x, 0.0, 0.5 * x});
    }
    ASSERT_EQ(mute.Terminate(), 0);
  }
  EXPECT_EQ(ReadFileText("qr_mute1.txt"), kSingular);
  EXPECT_EQ(ReadFileText("qr_mute2.txt"), kSingular);

  // Fewer samples than coefficients cannot fill the triangle.
  RemoveFiles("qr_short", 1);
  {
    TokenHarness brief = MakeQr({4}, 1.0, "qr_short.txt");
    ASSERT_EQ(brief.Create(), 0);
    for (int n = 0; n < 3; ++n) brief.Run({n01(rng), n01(rng)});
    ASSERT_EQ(brief.Terminate(), 0);
  }
  EXPECT_EQ(ReadFileText("qr_short.txt"), kSingular);
}

TEST(QrTokens, ChannelBlocksGoToTheirOwnFiles) {
  const std::vector<double> truth = {0.5, -0.25, 2.0, 0.125, -1.0, 0.75};  // 1 + 2 + 3 taps
  RemoveFiles("qr_blocks", 3);
  std::mt19937 rng(3);
  std::normal_distribution<double> n01;
  {
    TokenHarness host = MakeQr({1, 2, 3}, 1.0, "qr_blocks.txt");
    ASSERT_EQ(host.Create(), 0);
    std::vector<double> h1(1), h2(2), h3(3);
    for (int n = 0; n < 60; ++n) {
      const double x[3] = {n01(rng), n01(rng), n01(rng)};
      h1.insert(h1.begin(), x[0]), h1.pop_back();
      h2.insert(h2.begin(), x[1]), h2.pop_back();
      h3.insert(h3.begin(), x[2]), h3.pop_back();
      const double d = truth[0] * h1[0] + truth[1] * h2[0] + truth[2] * h2[1] + truth[3] * h3[0] +
                       truth[4] * h3[1] + truth[5] * h3[2];
      host.Run({x[0], x[1], x[2], d});
    }
    ASSERT_EQ(host.Terminate(), 0);
  }
  const std::vector<double> got[3] = {Coefficients(ReadFileText("qr_blocks1.txt")),
                                      Coefficients(ReadFileText("qr_blocks2.txt")),
                                      Coefficients(ReadFileText("qr_blocks3.txt"))};
  ASSERT_EQ(got[0].size(), 1u);
  ASSERT_EQ(got[1].size(), 2u);
  ASSERT_EQ(got[2].size(), 3u);
  size_t k = 0;
  for (const auto& block : got)
    for (double v : block) EXPECT_NEAR(v, truth[k++], 1e-12);
  EXPECT_NE(ReadFileText("qr_blocks3.txt").find("\nDenominator Coefficients =1\n1\n"), std::string::npos);
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
      EXPECT_EQ(host.Output(3), 0.0);
      EXPECT_EQ(host.Output(0), 3.0 + n);
      EXPECT_EQ(host.Output(1), 3.0 + n);
      EXPECT_EQ(host.Output(2), 0.0);
    }
    ASSERT_EQ(host.Terminate(), 0);
  }
  EXPECT_EQ(Coefficients(ReadFileText("qr_forget.txt")), std::vector<double>{8.0 / 10.0});
  // With two taps the second row never gets data before it is wiped again.
  RemoveFiles("qr_forget2", 1);
  {
    TokenHarness two = MakeQr({2}, 0.0, "qr_forget2.txt");
    ASSERT_EQ(two.Create(), 0);
    for (int n = 1; n <= 5; ++n) two.Run({1.0 * n, 1.0});
    ASSERT_EQ(two.Terminate(), 0);
  }
  EXPECT_EQ(ReadFileText("qr_forget2.txt"), kSingular);

  // All-zero data: no rotation ever happens, γ stays 1 and every output is 0.
  TokenHarness silent = MakeQr({2, 1, 3}, 0.999);
  ASSERT_EQ(silent.Create(), 0);
  for (int n = 0; n < 10; ++n) {
    silent.Run({0.0, 0.0, 0.0, 0.0});
    EXPECT_EQ(silent.Output(3), 1.0);
    for (int o = 0; o < 3; ++o) EXPECT_TRUE(SameBits(silent.Output(o), 0.0)) << o;
  }
}

TEST(QrTokens, IdentifiesAnFirSystemWithoutNoise) {
  std::mt19937 rng(2024);
  std::normal_distribution<double> n01;
  std::vector<double> truth(8);
  for (double& t : truth) t = n01(rng);
  RemoveFiles("qr_fir", 1);
  {
    TokenHarness host = MakeQr({8}, 0.999, "qr_fir.txt");
    ASSERT_EQ(host.Create(), 0);
    std::vector<double> history(8, 0.0);
    for (int n = 0; n < 200; ++n) {
      const double x = n01(rng);
      history.insert(history.begin(), x);
      history.pop_back();
      double d = 0.0;
      for (int k = 0; k < 8; ++k) d += truth[k] * history[k];
      host.Run({x, d});
      if (n >= 20) {
        EXPECT_NEAR(host.Output(2), 0.0, 1e-9) << n;  // a-posteriori error
      }
    }
    ASSERT_EQ(host.Terminate(), 0);
  }
  const std::vector<double> got = Coefficients(ReadFileText("qr_fir.txt"));
  ASSERT_EQ(got.size(), 8u);
  for (int k = 0; k < 8; ++k) EXPECT_NEAR(got[k], truth[k], 1e-9) << k;
}

// Runs a token and the reference side by side on the given samples (channel
// inputs, then d) and compares every output and the final-weights files.
void ExpectMatchesReference(const std::vector<int>& lengths, double lambda,
                            const std::vector<std::vector<double>>& samples) {
  const int C = static_cast<int>(lengths.size());
  const std::string base = "qr_ref" + std::to_string(C);
  RemoveFiles(base, C);
  ReferenceQr ref(lengths, lambda);
  {
    TokenHarness host = MakeQr(lengths, lambda, base + ".txt");
    ASSERT_EQ(host.Create(), 0);
    for (size_t n = 0; n < samples.size(); ++n) {
      host.Run(samples[n]);
      const std::vector<double> want = ref.Step(samples[n], samples[n][C]);
      for (int o = 0; o < 4; ++o)
        ASSERT_TRUE(SameBits(host.Output(o), want[o])) << "sample " << n << " port " << o << ": " << host.Output(o)
                                                       << " vs " << want[o];
    }
    ASSERT_EQ(host.Terminate(), 0);
  }
  const std::vector<std::string> files = ref.Files();
  for (int c = 0; c < C; ++c) EXPECT_EQ(ReadFileText(FileName(base, C, c)), files[c]) << c;
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
