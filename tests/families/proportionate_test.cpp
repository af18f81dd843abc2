// The "IPNLMS" token against the plain model of its equations, and α = −1
// against NLMS.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "adaptive/filter.h"
#include "families/proportionate/proportionate_descriptor.h"
#include "tests/families/family_runs.h"

namespace adaptive {

namespace {

const CatalogueEntry& kIpnlms = kProportionateRows[0];

TEST(Proportionate, MatchesThePlainModelOverRandomParametersAndInputs) {
  // α near 1 with a tiny ε makes the first gains |w_l|/ε of coefficients
  // near 0, which magnifies the rounding of the two operand orders without
  // bound: α is drawn up to 0.5 (and 1 itself, where nothing moves), ε from
  // 1e-6 up.
  std::mt19937_64 rng(36);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int trial = 0; trial < 60; ++trial) {
    const size_t length = 1 + rng() % 40;
    const double mu = 0.02 + 0.48 * unit(rng);
    const double alpha = trial % 5 == 0 ? (trial % 10 == 0 ? -1.0 : 1.0) : -1.0 + 1.5 * unit(rng);
    const double delta = std::pow(10.0, -8.0 + 6.0 * unit(rng));
    const double epsilon = std::pow(10.0, -6.0 + 4.0 * unit(rng));
    const Signals s = RandomSignals(rng, 400, length, trial % 3 == 0);
    const TokenRun run = RunToken(kProportionateFamily, 0,
                                  RowParameters(kIpnlms, {{"Numerator Coeffs", double(length)}, {"Mu", mu},
                                                          {"Alpha", alpha}, {"Delta", delta}, {"Epsilon", epsilon}}),
                                  s.x, s.d);
    ASSERT_EQ(run.status, 0) << run.message;
    EXPECT_EQ(FirstDisagreement(run.outputs, plain::Proportionate(s.x, s.d, length, mu, alpha, delta, epsilon), 1e-9),
              -1)
        << "N " << length << " mu " << mu << " alpha " << alpha << " delta " << delta << " epsilon " << epsilon;
  }
}

TEST(Proportionate, AlphaMinusOneIsNlmsRegularisedByNTimesDelta) {
  // The library's NLMS adds 1e-8 to the energy: δ = 1e-8/N here.
  std::mt19937_64 rng(2);
  for (int length : {1, 7, 32}) {
    const Signals s = RandomSignals(rng, 1500, static_cast<size_t>(length), false);
    const TokenRun ipnlms = RunToken(kProportionateFamily, 0,
                                     RowParameters(kIpnlms, {{"Numerator Coeffs", length}, {"Mu", 0.3},
                                                             {"Alpha", -1}, {"Delta", 1e-8 / length}}),
                                     s.x, s.d);
    Filter nlms("NLMS", {{"Numerator Coeffs", double(length)}, {"Mu Forward", 0.3}});
    for (size_t n = 0; n < s.x.size(); ++n) {
      const std::vector<double> out = nlms.step({s.x[n], s.d[n]});
      ASSERT_NEAR(ipnlms.outputs[n].y, out[0], 1e-12) << "N " << length << " sample " << n;
      ASSERT_NEAR(ipnlms.outputs[n].posterior, out[2], 1e-12) << "N " << length << " sample " << n;
    }
  }
}

}  // namespace

}  // namespace adaptive
