// The frequency-domain tokens against the direct-DFT model of their equations
// in every form, the equivalences with block LMS and between the two tokens,
// and their refusals.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "families/block_lms/block_lms_token.h"
#include "families/frequency_domain/frequency_domain_tokens.h"
#include "tests/families/block_models.h"
#include "tests/reference/same_bits.h"
#include "tests/support/file_text.h"

namespace adaptive {

namespace {

using namespace block_models;

using Outputs = std::vector<double>;  // y(0), e(0), y(1), e(1), ...

Outputs RunToken(AdaptiveToken& token, const Identification& data) {
  Outputs out(2 * data.x.size());
  for (size_t k = 0; k < data.x.size(); ++k) {
    const double in[2] = {data.x[k], data.d[k]};
    token.compute(in, &out[2 * k]);
  }
  return out;
}

// PBFDAF parameters in row order.
std::vector<double> Pbfdaf(const SpectralSettings& s) {
  return {double(s.length), double(s.blockLength), s.mu, s.averaging, s.delta, double(s.constraint),
          double(s.normalised)};
}

// Every value within `tolerance` of the scale of the signals (1 here).
void ExpectClose(const Outputs& actual, const Outputs& expected, double tolerance) {
  ASSERT_EQ(actual.size(), expected.size());
  for (size_t k = 0; k < actual.size(); ++k)
    ASSERT_NEAR(actual[k], expected[k], tolerance * (1.0 + std::fabs(expected[k]))) << "value " << k;
}

void End(MadeToken& made) {
  CallStatus ending(nullptr);
  made.token->finish(ending);
}

TEST(FrequencyDomain, MatchesTheDirectModelInEveryForm) {
  // Transforms of 2L points in double round to about 1e-15 per value; over
  // hundreds of blocks of adaptation the outputs stay within 1e-9.
  std::mt19937 gen(36);
  const int blockLengths[] = {1, 2, 3, 4, 5, 6, 8, 10, 12};
  for (int trial = 0; trial < 24; ++trial) {
    SpectralSettings s{};
    s.blockLength = blockLengths[gen() % 9];
    s.length = s.blockLength * (1 + int(gen() % 4));
    s.constraint = trial % 3;
    s.normalised = (trial / 3) % 2;
    s.averaging = std::uniform_real_distribution<double>(0.0, 0.95)(gen);
    s.delta = std::uniform_real_distribution<double>(1e-6, 1.0)(gen);
    const double scale = std::uniform_real_distribution<double>(0.1, 1.0)(gen);
    s.mu = s.normalised ? 0.3 * scale / (s.length / s.blockLength) : 0.2 * scale / (s.length * s.blockLength);
    SCOPED_TRACE(testing::Message() << "N " << s.length << " L " << s.blockLength << " constraint "
                                    << s.constraint << " normalised " << s.normalised);
    MadeToken made = Make<PbfdafToken>(Pbfdaf(s));
    ASSERT_EQ(made.status, 0) << made.message;
    SpectralModel model(s);
    const Identification data(40 * s.length + 7, s.length, trial);
    const Outputs actual = RunToken(*made.token, data);
    Outputs expected(actual.size());
    for (size_t k = 0; k < data.x.size(); ++k) model.step(data.x[k], data.d[k], expected[2 * k], expected[2 * k + 1]);
    ExpectClose(actual, expected, 1e-9);
    // The first L outputs are the zeros before the first block.
    for (int k = 0; k < 2 * s.blockLength; ++k) EXPECT_EQ(actual[k], 0.0);
    End(made);
  }
}

TEST(FrequencyDomain, ConstrainedUnnormalisedIsBlockLmsDelayedByOneBlock) {
  // FDAF with L = N, PBFDAF with block L: block LMS outputs L samples late,
  // to within the transforms' rounding.
  struct Case {
    int length, blockLength;
    bool partitioned;
  };
  for (const Case& c : {Case{16, 16, false}, Case{30, 30, false}, Case{64, 8, true}, Case{60, 15, true}}) {
    SCOPED_TRACE(testing::Message() << "N " << c.length << " L " << c.blockLength);
    const double mu = 0.1 / (c.length * c.blockLength);
    MadeToken fast = c.partitioned ? Make<PbfdafToken>({double(c.length), double(c.blockLength), mu, 0.9, 1e-6, 1, 0})
                                   : Make<FdafToken>({double(c.length), mu, 0.9, 1e-6, 1, 0});
    MadeToken block = Make<BlockLmsToken>({double(c.length), double(c.blockLength), mu});
    ASSERT_EQ(fast.status, 0) << fast.message;
    ASSERT_EQ(block.status, 0);
    const Identification data(50 * c.length, c.length, 3);
    const Outputs delayed = RunToken(*fast.token, data);
    const Outputs direct = RunToken(*block.token, data);
    const size_t lag = 2 * size_t(c.blockLength);
    ExpectClose(Outputs(delayed.begin() + lag, delayed.end()), Outputs(direct.begin(), direct.end() - lag), 1e-10);
    End(fast);
    End(block);
  }
}

TEST(FrequencyDomain, OnePartitionIsFdaf) {
  for (int constraint : {0, 1, 2}) {
    MadeToken fdaf = Make<FdafToken>({32, 0.2, 0.8, 1e-4, double(constraint), 1});
    MadeToken pbfdaf = Make<PbfdafToken>({32, 32, 0.2, 0.8, 1e-4, double(constraint), 1});
    ASSERT_EQ(fdaf.status, 0);
    ASSERT_EQ(pbfdaf.status, 0);
    const Identification data(3000, 32, 5);
    const Outputs a = RunToken(*fdaf.token, data);
    const Outputs b = RunToken(*pbfdaf.token, data);
    for (size_t k = 0; k < a.size(); ++k) ASSERT_TRUE(SameBits(a[k], b[k])) << "value " << k;
    End(fdaf);
    End(pbfdaf);
  }
}

TEST(FrequencyDomain, IdentifiesThePlantAndWritesItsCoefficients) {
  // The file holds the time-domain coefficients that the model computes; the
  // constrained forms find the plant itself (the unconstrained one converges
  // to a filter whose wrapped-around half differs from it).
  for (int constraint : {0, 1, 2}) {
    SCOPED_TRACE(constraint);
    std::remove("pb.txt");
    const SpectralSettings s{64, 16, 0.1, 0.9, 1e-6, constraint, true};
    MadeToken made = Make<PbfdafToken>(Pbfdaf(s), "pb.txt");
    ASSERT_EQ(made.status, 0) << made.message;
    const Identification data(16000, 64, 9);
    RunToken(*made.token, data);
    SpectralModel model(s);
    double y, e;
    for (size_t k = 0; k < data.x.size(); ++k) model.step(data.x[k], data.d[k], y, e);
    End(made);
    const std::vector<double> w = model.weights();
    std::string expected = "Numerator Coefficients =64\n";
    std::vector<double> read;
    const std::string text = ReadFileText("pb.txt");
    ASSERT_EQ(text.rfind(expected, 0), 0u) << text.substr(0, 80);
    const char* at = text.c_str() + expected.size();
    for (int i = 0; i < 64; ++i) {
      char* end = nullptr;
      read.push_back(std::strtod(at, &end));
      ASSERT_NE(end, at);
      at = end;
    }
    EXPECT_EQ(std::string(at), "\n\nDenominator Coefficients =1\n1\n");
    for (int i = 0; i < 64; ++i) {
      EXPECT_NEAR(read[i], w[i], 1e-9);
      if (constraint != 0) EXPECT_NEAR(read[i], data.plant[i], 1e-3);
    }
  }
}

TEST(FrequencyDomain, RefusesBadParametersNamingThem) {
  struct Case {
    std::vector<double> parameters;
    const char* message;
  };
  const std::string blockLength = "Improper block length of Adaptive Filter.\n";
  const Case pbfdaf[] = {
      {{64, 0, 0.1, 0.9, 1e-6, 1, 1}, "Improper block length of Adaptive Filter.\nMust be greater than 0..."},
      {{64, 24, 0.1, 0.9, 1e-6, 1, 1},
       "Improper block length of Adaptive Filter.\nNumerator Coeffs must be a multiple of Block Length..."},
      {{14, 7, 0.1, 0.9, 1e-6, 1, 1},
       "Improper block length of Adaptive Filter.\nMust have no prime factor above 5..."},
      {{64, 16, 0.1, 1.0, 1e-6, 1, 1}, "Improper averaging factor of Adaptive Filter.\nMust be between 0 and 1..."},
      {{64, 16, 0.1, -0.1, 1e-6, 1, 1}, "Improper averaging factor of Adaptive Filter.\nMust be between 0 and 1..."},
      {{64, 16, 0.1, 0.9, 0, 1, 1}, "Improper regularisation of Adaptive Filter.\nMust be greater than 0..."},
      {{64, 16, 0.1, 0.9, 1e-6, 3, 1}, "Improper constraint of Adaptive Filter.\nMust be 0, 1 or 2..."},
      {{64, 16, 0.1, 0.9, 1e-6, 1, 2}, "Improper switch of Adaptive Filter.\nMust be 0 or 1..."},
      {{64, 16, 0.1, 0.9, 1e-6, 1, NAN}, "Improper switch of Adaptive Filter.\nMust be 0 or 1..."},
  };
  for (const Case& c : pbfdaf) {
    const MadeToken made = Make<PbfdafToken>(c.parameters);
    EXPECT_EQ(made.status, kStatusBadParameter);
    EXPECT_EQ(made.message, c.message);
  }
  const MadeToken fdaf = Make<FdafToken>({77, 0.1, 0.9, 1e-6, 1, 1});
  EXPECT_EQ(fdaf.status, kStatusBadParameter);
  EXPECT_EQ(fdaf.message, "Improper length of Adaptive Filter.\nMust have no prime factor above 5...");
}

}  // namespace

}  // namespace adaptive
