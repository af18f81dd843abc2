// The QR tokens: worked examples, singular and limiting cases, files per
// channel, and a plain reference model of the Givens sweep, written with the
// numerics' expressions, that the tokens must match bit for bit.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "numerics/solve.h"
#include "tests/tokens/correlation_reference.h"
#include "tokens/vector_lanes.h"

namespace adaptive {

namespace {

const char* const kSingular = "Matrix close to singular...\n";

TokenEntryPoint QrEntry(size_t channels) { return channels == 1 ? &QR1 : channels == 2 ? &QR2 : &QR3; }
std::vector<double> QrParameters(const std::vector<int>& lengths, double lambda) {
  std::vector<double> parameters(lengths.begin(), lengths.end());
  parameters.push_back(lambda);
  return parameters;
}
// A QR token with the given channel lengths and λ; outputs: 4 ports.
TokenSession MakeQr(const std::vector<int>& lengths, double lambda, const std::string& file = "") {
  return TokenSession(QrEntry(lengths.size()), static_cast<int>(lengths.size()) + 1, 4, QrParameters(lengths, lambda),
                      file);
}

// Runs a QR token over these samples (channel inputs, then d), handing each
// sample's four outputs to `check`, and returns its final-weights files.
std::vector<std::string> RunQr(const std::vector<int>& lengths, double lambda,
                               const std::vector<std::vector<double>>& samples,
                               const std::function<void(size_t, const std::vector<double>&)>& check = nullptr) {
  const int C = static_cast<int>(lengths.size());
  RemoveFiles("qr", C);
  {
    TokenSession host = MakeQr(lengths, lambda, "qr.txt");
    EXPECT_EQ(host.create(), 0);
    for (size_t n = 0; n < samples.size(); ++n) {
      host.run(samples[n]);
      if (check) check(n, {host.output(0).value, host.output(1).value, host.output(2).value, host.output(3).value});
    }
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
  std::vector<double> step(const std::vector<double>& in, double d) {
    const Vector& x = taps.push(in);
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
  std::vector<std::string> files() {
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
  const std::vector<double> want[2] = {{2.0, 2.0, 0.0, 0.0},  // γ = 0: the a-priori error is d itself
                                       {2.0, 0.0, 0.0, 1.0 / std::sqrt(2.0)}};
  EXPECT_EQ(RunQr({1}, 1.0, {{1.0, 2.0}, {1.0, 2.0}},
                  [&](size_t n, const std::vector<double>& outputs) { EXPECT_EQ(outputs, want[n]) << n; }),
            std::vector<std::string>{"Numerator Coefficients =1\n2.000000000000000E+00\n\nDenominator Coefficients =1\n1\n"});
}

TEST(QrTokens, SingularTrianglesWriteTheMessageInEveryFile) {
  EXPECT_EQ(RunQr({3}, 0.999, {}), std::vector<std::string>{kSingular});
  std::mt19937 rng(1);
  std::normal_distribution<double> n01;
  // Channel 2 never carries data: its columns keep a zero diagonal.
  std::vector<std::vector<double>> mute;
  for (int n = 0; n < 40; ++n) {
    const double x = n01(rng);
    mute.push_back({x, 0.0, 0.5 * x});
  }
  EXPECT_EQ(RunQr({2, 2}, 1.0, mute), (std::vector<std::string>{kSingular, kSingular}));
  // Fewer samples than coefficients cannot fill the triangle.
  EXPECT_EQ(RunQr({4}, 1.0, {{0.3, 1.0}, {-1.2, 0.4}, {0.8, 2.0}}), std::vector<std::string>{kSingular});
}

// γ after two samples on a one-tap QR1 with λ = 1: the first sample puts
// `first` on the diagonal, the second brings `second` against it.
double GammaAfter(double first, double second) {
  TokenSession host = MakeQr({1}, 1.0);
  EXPECT_EQ(host.create(), 0);
  host.run({first, 0.0});
  EXPECT_EQ(host.output(3).value, 0.0);
  host.run({second, 0.0});
  return host.output(3).value;
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
  std::vector<std::vector<double>> samples;
  for (int n = 1; n <= 5; ++n) samples.push_back({2.0 * n, 3.0 + n});
  const auto files = RunQr({1}, 0.0, samples, [&](size_t n, const std::vector<double>& outputs) {
    EXPECT_EQ(outputs, (std::vector<double>{samples[n][1], samples[n][1], 0.0, 0.0})) << n;
  });
  EXPECT_EQ(Coefficients(files[0]), std::vector<double>{8.0 / 10.0});
  // With two taps the second row never gets data before it is wiped again.
  EXPECT_EQ(RunQr({2}, 0.0, samples), std::vector<std::string>{kSingular});

  // All-zero data: no rotation ever happens, γ stays 1 and every output is 0.
  RunQr({2, 1, 3}, 0.999, std::vector<std::vector<double>>(10, {0.0, 0.0, 0.0, 0.0}),
        [](size_t, const std::vector<double>& outputs) {
          EXPECT_EQ(outputs[3], 1.0);
          for (int o = 0; o < 3; ++o) EXPECT_TRUE(SameBits(outputs[o], 0.0)) << o;
        });
}

// Also shows that each channel's block of the joint solution goes to its own
// file.
TEST(QrTokens, IdentifiesAnFirSystemWithoutNoise) {
  const std::vector<double> truth = {0.5, -0.25, 2.0, 0.125, -1.0, 0.75};  // 1 + 2 + 3 taps
  TokenSession host = MakeQr({1, 2, 3}, 0.999);
  const std::vector<double> got = IdentifiedCoefficients(host, {1, 2, 3}, truth, 1e-9);
  ASSERT_EQ(got.size(), truth.size());
  for (size_t k = 0; k < truth.size(); ++k) EXPECT_NEAR(got[k], truth[k], 1e-9) << k;
}

// Runs a token and the reference side by side on the given samples (channel
// inputs, then d) and compares every output and the final-weights files.
void ExpectMatchesReference(const std::vector<int>& lengths, double lambda,
                            const std::vector<std::vector<double>>& samples) {
  ReferenceQr ref(lengths, lambda);
  bool failed = false;  // report the first difference only
  const auto files = RunQr(lengths, lambda, samples, [&](size_t n, const std::vector<double>& outputs) {
    const std::vector<double> want = ref.step(samples[n], samples[n][lengths.size()]);
    for (int o = 0; o < 4 && !failed; ++o)
      if (!SameBits(outputs[o], want[o]))
        failed = true, ADD_FAILURE() << "sample " << n << " port " << o << ": " << outputs[o] << " vs " << want[o];
  });
  EXPECT_EQ(NanSignless(files), NanSignless(ref.files()));
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

TEST(QrTokens, LongRowsMatchTheReferenceSweepAtBothVectorWidths) {
  // From 8 columns on the rows are rotated several elements per vector
  // instruction: every row length down to 1 meets every remainder of the
  // 128-bit and 256-bit loops, and the diagonal element starts each row
  // at every offset within a vector.
  for (int lanes : {2, 4}) {
    const int previous = SelectKernelLanes(lanes);
    SCOPED_TRACE(testing::Message() << KernelLanes() << " lanes");
    ExpectMatchesReference({7}, 0.99, RandomSamples(1, 21));
    ExpectMatchesReference({8}, 0.98, RandomSamples(1, 22));
    ExpectMatchesReference({13}, 0.999, RandomSamples(1, 23));
    ExpectMatchesReference({4, 5}, 1.0, RandomSamples(2, 24, 120, 0, kNaN));
    ExpectMatchesReference({10, 10, 10}, 0.999, RandomSamples(3, 25, 250, 1, kInf));
    ExpectMatchesReference({33}, 0.995, RandomSamples(1, 26, 280, 1, -kInf));
    SelectKernelLanes(previous);
  }
}

TEST(QrTokens, ParameterChecksAndImpossibleSizes) {
  const auto status = [](const std::vector<int>& lengths, double lambda) {
    return CreateStatus(QrEntry(lengths.size()), static_cast<int>(lengths.size()) + 1, 4, QrParameters(lengths, lambda));
  };
  const auto length = std::make_pair(1, std::string("Improper length of Adaptive Filter.\nMust be greater than 0..."));
  const auto forgetting =
      std::make_pair(1, std::string("Improper forgetting factor of Adaptive Filter.\nMust be between 0 and 1..."));
  const auto storage = std::make_pair(1002, std::string("Memory (s_) allocation error."));
  EXPECT_EQ(status({0}, 0.5), length);
  EXPECT_EQ(status({4, -1}, 0.5), length);
  EXPECT_EQ(status({4, 2, 0}, 2.0), length);  // the length check runs first
  EXPECT_EQ(status({4}, 1.0000001), forgetting);
  EXPECT_EQ(status({4}, -1e-300), forgetting);
  EXPECT_EQ(status({4, 4}, kNaN), forgetting);
  EXPECT_EQ(status({4}, 0.0), std::make_pair(0, std::string()));
  EXPECT_EQ(status({4}, 1.0), std::make_pair(0, std::string()));
  // N + 1 does not fit 32 bits, or the triangle can never be allocated:
  // refused before any storage is touched.
  const int big = 1 << 30;
  EXPECT_EQ(status({2147483647}, 0.5), storage);
  EXPECT_EQ(status({2147483646, 1}, 0.5), storage);
  EXPECT_EQ(status({big, big, big}, 0.5), storage);
  EXPECT_EQ(status({big}, 0.5), storage);
}

}  // namespace

}  // namespace adaptive
