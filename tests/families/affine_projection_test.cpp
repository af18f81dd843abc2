// The "AP" token against the plain model of its equations and, bit for bit,
// its stated order of operations; its order 1 against NLMS, a badly
// conditioned window, and the order that may not exceed the length.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "adaptive/filter.h"
#include "families/affine_projection/affine_projection_descriptor.h"
#include "tests/families/family_runs.h"
#include "tests/reference/same_bits.h"

namespace adaptive {

namespace {

const CatalogueEntry& kAp = kAffineProjectionRows[0];

TEST(AffineProjection, MatchesThePlainModelOverRandomParametersAndInputs) {
  // The model solves by Gaussian elimination, the token by Cholesky: δ ≥ 1e-3
  // keeps the systems well enough conditioned for 1e-8.
  std::mt19937_64 rng(35);
  for (int trial = 0; trial < 60; ++trial) {
    const size_t length = 1 + rng() % 24;
    const size_t order = 1 + rng() % std::min<size_t>(length, 6);
    const double mu = 0.02 + 0.48 * std::uniform_real_distribution<double>(0, 1)(rng);
    const double delta = std::pow(10.0, -3.0 + 3.0 * std::uniform_real_distribution<double>(0, 1)(rng));
    const Signals s = RandomSignals(rng, 300, length, trial % 3 == 0);
    const TokenRun run = RunToken(kAffineProjectionFamily, 0,
                                  RowParameters(kAp, {{"Numerator Coeffs", double(length)},
                                                      {"Projection Order", double(order)}, {"Mu", mu},
                                                      {"Delta", delta}}),
                                  s.x, s.d);
    ASSERT_EQ(run.status, 0) << run.message;
    EXPECT_EQ(FirstDisagreement(run.outputs, plain::AffineProjection(s.x, s.d, length, order, mu, delta), 1e-8), -1)
        << "N " << length << " K " << order << " mu " << mu << " delta " << delta << " trial " << trial;
  }
}

TEST(AffineProjection, SlidingWindowAndLanesGiveTheBitsOfTheStatedOrder) {
  // Orders past 4 and lengths past 4 take the four-column and four-coefficient
  // passes and their remainders; δ down to 1e-12 lets some windows fall back
  // to fewer columns.
  std::mt19937_64 rng(135);
  for (int trial = 0; trial < 40; ++trial) {
    const size_t length = 1 + rng() % 19;
    const size_t order = 1 + rng() % std::min<size_t>(length, 11);
    const double mu = 0.5 * std::uniform_real_distribution<double>(0, 1)(rng);
    const double delta = std::pow(10.0, -12.0 + 12.0 * std::uniform_real_distribution<double>(0, 1)(rng));
    const Signals s = RandomSignals(rng, 200, length, trial % 2 == 0);
    const TokenRun run = RunToken(kAffineProjectionFamily, 0,
                                  RowParameters(kAp, {{"Numerator Coeffs", double(length)},
                                                      {"Projection Order", double(order)}, {"Mu", mu},
                                                      {"Delta", delta}}),
                                  s.x, s.d);
    const std::vector<plain::Outputs> model = plain::AffineProjectionInStatedOrder(s.x, s.d, length, order, mu, delta);
    ASSERT_EQ(run.outputs.size(), model.size());
    for (size_t n = 0; n < model.size(); ++n) {
      ASSERT_TRUE(SameBits(run.outputs[n].y, model[n].y) && SameBits(run.outputs[n].prior, model[n].prior) &&
                  SameBits(run.outputs[n].posterior, model[n].posterior))
          << "N " << length << " K " << order << " delta " << delta << " sample " << n;
    }
  }
}

TEST(AffineProjection, OrderOneIsTheLibrarysNlms) {
  std::mt19937_64 rng(1);
  for (double mu : {0.05, 0.25, 0.5}) {
    const Signals s = RandomSignals(rng, 2000, 16, false);
    const TokenRun ap = RunToken(kAffineProjectionFamily, 0,
                                 RowParameters(kAp, {{"Numerator Coeffs", 16}, {"Projection Order", 1},
                                                     {"Mu", mu}, {"Delta", 1e-8}}),
                                 s.x, s.d);
    Filter nlms("NLMS", {{"Numerator Coeffs", 16}, {"Mu Forward", mu}});
    for (size_t n = 0; n < s.x.size(); ++n) {
      const std::vector<double> out = nlms.step({s.x[n], s.d[n]});
      ASSERT_NEAR(ap.outputs[n].y, out[0], 1e-12) << "mu " << mu << " sample " << n;
      ASSERT_NEAR(ap.outputs[n].prior, out[1], 1e-12) << "mu " << mu << " sample " << n;
      ASSERT_NEAR(ap.outputs[n].posterior, out[2], 1e-12) << "mu " << mu << " sample " << n;
    }
  }
}

TEST(AffineProjection, CollinearWindowFarAboveDeltaStaysFiniteAndConverges) {
  // A constant input of 1e6 makes every column of X the same: R's pivots
  // after the first are rounding residues of 1e13, far beyond δ = 1e-8.
  const std::vector<double> x(400, 1e6);
  std::vector<double> d(x.size());
  for (size_t n = 0; n < x.size(); ++n) d[n] = 0.3 * x[n] * double(std::min<size_t>(n + 1, 8));
  const TokenRun run = RunToken(kAffineProjectionFamily, 0,
                                RowParameters(kAp, {{"Numerator Coeffs", 8}, {"Projection Order", 4},
                                                    {"Mu", 0.5}, {"Delta", 1e-8}}),
                                x, d);
  ASSERT_EQ(run.status, 0) << run.message;
  for (size_t n = 0; n < run.outputs.size(); ++n) {
    ASSERT_TRUE(std::isfinite(run.outputs[n].posterior)) << n;
    ASSERT_LE(std::fabs(run.outputs[n].posterior), std::fabs(run.outputs[n].prior) * (1 + 1e-6) + 1e-3) << n;
  }
  EXPECT_LT(std::fabs(run.outputs.back().prior), 1e-6 * std::fabs(d.back()));
}

TEST(AffineProjection, RefusesAnOrderBeyondTheLengthAndSizesBeyond32Bits) {
  // Each range alone is tried for every token in tests/api/parameter_range_test.cpp.
  const auto message = [](std::vector<std::pair<std::string, double>> values) {
    const TokenRun run = RunToken(kAffineProjectionFamily, 0, RowParameters(kAp, values), {}, {});
    return std::to_string(run.status) + " " + run.message;
  };
  EXPECT_EQ(message({{"Numerator Coeffs", 3}, {"Projection Order", 4}}),
            "1 Improper projection order of Adaptive Filter.\nMust be between 1 and Numerator Coeffs...");
  EXPECT_EQ(message({{"Numerator Coeffs", 3}, {"Projection Order", 4}, {"Delta", 0}}).rfind("1 Improper regularisation", 0),
            0u);
  EXPECT_EQ(message({{"Numerator Coeffs", 4}, {"Projection Order", 4}}), "0 ");
  // A line or K × K arrays whose sizes overflow 32 bits (K² wraps to 61 million
  // at K = 66000): storage refused, nothing allocated.
  for (double length : {70000.0, 2147483647.0})
    EXPECT_EQ(message({{"Numerator Coeffs", length}, {"Projection Order", 66000}}), "1002 Memory (s_) allocation error.");
}

}  // namespace

}  // namespace adaptive
