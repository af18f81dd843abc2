// The sign LMS tokens against the plain model of their equations, and
// sgn(0) = 0.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "families/sign_lms/sign_lms_descriptor.h"
#include "tests/families/family_runs.h"

namespace adaptive {

namespace {

struct Form {
  bool signOfError, signOfData;
};
constexpr Form kForms[] = {{true, false}, {false, true}, {true, true}};  // the rows' order

TEST(SignLms, EachTokenMatchesThePlainModelOverRandomParametersAndInputs) {
  std::mt19937_64 rng(37);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int row = 0; row < 3; ++row) {
    for (int trial = 0; trial < 40; ++trial) {
      const size_t length = 1 + rng() % 40;
      const double mu = 0.05 * unit(rng) / double(length);
      const double leakage = trial % 2 ? 1.0 : 0.9 + 0.1 * unit(rng);
      const Signals s = RandomSignals(rng, 400, length, trial % 3 == 0);
      const TokenRun run = RunToken(kSignLmsFamily, row,
                                    RowParameters(kSignLmsRows[row], {{"Numerator Coeffs", double(length)},
                                                                      {"Mu", mu}, {"Leakage", leakage}}),
                                    s.x, s.d);
      ASSERT_EQ(run.status, 0) << run.message;
      const Form f = kForms[row];
      EXPECT_EQ(FirstDisagreement(run.outputs,
                                  plain::SignLms(s.x, s.d, length, mu, leakage, f.signOfError, f.signOfData), 1e-12),
                -1)
          << kSignLmsRows[row].name << " N " << length << " mu " << mu << " leakage " << leakage;
    }
  }
}

TEST(SignLms, SignOfZeroIsZero) {
  // d = 0 against zero coefficients gives e = 0 at every sample: the
  // sign-error forms never move; x = 0 leaves the sign-data form's
  // coefficients alone whatever the error.
  std::mt19937_64 rng(3);
  const Signals s = RandomSignals(rng, 50, 4, false);
  const std::vector<double> zeros(s.x.size(), 0.0);
  for (int row : {0, 2}) {
    const TokenRun run = RunToken(kSignLmsFamily, row, RowParameters(kSignLmsRows[row], {{"Mu", 0.1}}), s.x, zeros);
    for (const plain::Outputs& o : run.outputs) ASSERT_EQ(o.posterior, 0.0) << kSignLmsRows[row].name;
  }
  const TokenRun run = RunToken(kSignLmsFamily, 1, RowParameters(kSignLmsRows[1], {{"Mu", 0.1}}), zeros, s.d);
  for (size_t n = 0; n < run.outputs.size(); ++n) ASSERT_EQ(run.outputs[n].posterior, s.d[n]);
}

}  // namespace

}  // namespace adaptive
