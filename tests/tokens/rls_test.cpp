// The RLS tokens: parameter acceptance, first-step facts, the fast steps
// against the expression forms, coefficient files and convergence.
#include <gtest/gtest.h>

#include "tests/tokens/correlation_reference.h"

namespace adaptive {

namespace {

const std::string kForgetting = "Improper forgetting factor of Adaptive Filter.\nMust be between 0 and 1...";
const std::string kInit = "Improper initialisation factor of Adaptive Filter.\nMust be between bigger than 0";

// A zero "Lambda" or "Init" is refused by every token with an "Init"
// (tests/plugin/robustness_test.cpp).
TEST(RlsTokens, ForgettingAndInitialisationRanges) {
  for (double bad : {1.0000001, -0.5, kNaN}) {
    EXPECT_EQ(CreateStatus(&RLS1, 2, 3, {4, bad, 1e-5}).second, kForgetting);
    EXPECT_EQ(CreateStatus(&RLS3, 4, 3, {2, 3, 1, bad, -1.0}).second, kForgetting) << "lambda first";
  }
  for (double bad : {-1e-300, -1.0, kNaN}) {
    EXPECT_EQ(CreateStatus(&GenRLS, 2, 1, {4, 0.99, bad, 0, 0, 0}).second, kInit);
    EXPECT_EQ(CreateStatus(&RLS2, 3, 3, {2, 3, 0.99, bad}).second, kInit);
  }
}

TEST(RlsTokens, FirstStepFacts) {
  // GenRLS starts from an all-zero regressor: no gain, P becomes P·(1/λ), and
  // the output is the first tap value times the first sample.
  const double li = 1.0 / 0.9;
  TokenSession general(&GenRLS, 2, 1, {1, 0.9, 0.01, 1.5, 0, 0});
  ASSERT_EQ(general.create(), 0);
  general.run({2.0, 7.0});
  EXPECT_EQ(general.output(0).value, 3.0);
  general.run({-1.0, 0.5});
  const double pi = (100.0 * li) * 2.0;
  EXPECT_EQ(general.output(0).value, -1.0 * (((pi * li) / ((2.0 * pi) * li + 1.0)) * 0.5 + 1.5));
  // RLS1 has nothing to predict with yet: "PriError" is the desired value.
  TokenSession one(&RLS1, 2, 3, {3, 0.9, 0.01});
  ASSERT_EQ(one.create(), 0);
  one.run({2.0, 5.0});
  EXPECT_EQ(one.output(1).value, 5.0);
  const double w1 = ((200.0 * li) / ((2.0 * 200.0) * li + 1.0)) * 5.0;
  EXPECT_EQ(one.output(0).value, 2.0 * w1);
  EXPECT_EQ(one.output(2).value, 5.0 - 2.0 * w1);
}

TEST(RlsTokens, FastStepsAndFilesEqualTheExpressionForms) {
  for (bool special : {false, true}) {
    CorrelationModel general(CorrelationModel::kRow, 5, 0.98, 0.01);
    general.weights = Column({0.5, 0, -0.25, 0, 2});
    ExpectMatchesModel(&GenRLS, {5, 0.98, 0.01, 0.5, -0.25, 2}, {5}, true, 1, special, general);
    ExpectMatchesModel(&RLS1, {6, 1.0, 0.001}, {6}, false, 2, special, {CorrelationModel::kRow, 6, 1.0, 0.001});
    ExpectMatchesModel(&RLS3, {4, 3, 2, 0.95, 0.1}, {4, 3, 2}, false, 3, special,
                       {CorrelationModel::kOuter, 9, 0.95, 0.1});
  }
}

// Without measurement noise the only error left after 200 samples is the bias
// of the initial P, about Init·λⁿ/n.
TEST(RlsTokens, Rls1IdentifiesAnFirSystem) {
  const std::vector<double> truth = {0.5, -1.25, 0.75, 2.0, -0.3, 0.1, 1.1, -0.6};
  TokenSession host(&RLS1, 2, 3, {8, 0.999, 1e-5});
  const std::vector<double> got = IdentifiedCoefficients(host, {8}, truth, 1e-5);
  for (size_t k = 0; k < got.size(); ++k) EXPECT_NEAR(got[k], truth[k], 1e-6) << k;
}

}  // namespace

}  // namespace adaptive
