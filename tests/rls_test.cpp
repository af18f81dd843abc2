// The RLS tokens: parameter acceptance, first-step facts, the fast steps
// against the expression forms, coefficient files, the joint P and
// convergence.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "tests/correlation_reference.h"

namespace {

const std::string kForgetting = "Improper forgetting factor of Adaptive Filter.\nMust be between 0 and 1...";
const std::string kInit = "Improper initialisation factor of Adaptive Filter.\nMust be between bigger than 0";

TEST(RlsTokens, GeneralTokenRefusesWhatChannelTokensAccept) {
  EXPECT_EQ(CreateStatus(&GenRLS, 2, 1, {4, 0.0, 1e-5, 0, 0, 0}).second, kForgetting);
  EXPECT_EQ(CreateStatus(&GenRLS, 2, 1, {4, 0.99, 0.0, 0, 0, 0}).second, kInit);
  EXPECT_EQ(CreateStatus(&RLS1, 2, 3, {4, 0.0, 0.0}).first, 0);
  EXPECT_EQ(CreateStatus(&RLS2, 3, 3, {2, 3, 0.0, 0.0}).first, 0);
  EXPECT_EQ(CreateStatus(&RLS3, 4, 3, {2, 3, 1, 0.0, 0.0}).first, 0);
  for (double bad : {1.0000001, -0.5, kNaN}) {
    EXPECT_EQ(CreateStatus(&RLS1, 2, 3, {4, bad, 1e-5}).second, kForgetting);
    EXPECT_EQ(CreateStatus(&RLS3, 4, 3, {2, 3, 1, bad, -1.0}).second, kForgetting) << "lambda first";
  }
  for (double bad : {-1e-300, -1.0, kNaN}) {
    EXPECT_EQ(CreateStatus(&GenRLS, 2, 1, {4, 0.99, bad, 0, 0, 0}).second, kInit);
    EXPECT_EQ(CreateStatus(&RLS2, 3, 3, {2, 3, 0.99, bad}).second, kInit);
  }
  ExpectNoCrashForAnyParameter(&GenRLS, 2, 1, {10, 0.999, 1e-5, 0, 0, 0});
  ExpectNoCrashForAnyParameter(&RLS1, 2, 3, {10, 0.999, 1e-5});
  ExpectNoCrashForAnyParameter(&RLS3, 4, 3, {10, 10, 10, 0.999, 1e-5});
}

TEST(RlsTokens, FirstStepFacts) {
  // GenRLS starts from an all-zero regressor: no gain, P becomes P·(1/λ), and
  // the output is the first tap value times the first sample.
  const double li = 1.0 / 0.9;
  TokenHarness general(&GenRLS, 2, 1, {1, 0.9, 0.01, 1.5, 0, 0});
  ASSERT_EQ(general.Create(), 0);
  general.Run({2.0, 7.0});
  EXPECT_EQ(general.Output(0), 3.0);
  general.Run({-1.0, 0.5});
  const double pi = (100.0 * li) * 2.0;
  const double gain = (pi * li) / ((2.0 * pi) * li + 1.0);
  EXPECT_EQ(general.Output(0), -1.0 * (gain * 0.5 + 1.5));
  // RLS1 has nothing to predict with yet: "PriError" is the desired value.
  TokenHarness one(&RLS1, 2, 3, {3, 0.9, 0.01});
  ASSERT_EQ(one.Create(), 0);
  one.Run({2.0, 5.0});
  EXPECT_EQ(one.Output(1), 5.0);
  const double pi1 = 100.0 * 2.0;
  const double w1 = ((pi1 * li) / ((2.0 * pi1) * li + 1.0)) * 5.0;
  EXPECT_EQ(one.Output(0), 2.0 * w1);
  EXPECT_EQ(one.Output(2), 5.0 - 2.0 * w1);
}

TEST(RlsTokens, FastStepsAndFilesEqualTheExpressionForms) {
  for (bool special : {false, true}) {
    std::remove("grls.txt");
    TokenHarness general(&GenRLS, 2, 1, {5, 0.98, 0.01, 0.5, -0.25, 2}, "grls.txt");
    RowFormRlsModel generalModel(5, 0.98, 0.01);
    generalModel.weights(0) = 0.5, generalModel.weights(4) = 2, generalModel.weights(2) = -0.25;
    ASSERT_EQ(general.Create(), 0);
    ExpectSameOutputs(general, 80, 1, special, [&](const std::vector<double>& in) {
      return std::vector<double>{generalModel.GeneralStep(in[0], in[1])};
    });
    general.Terminate();
    if (!special) {
      EXPECT_EQ(ReadFileText("grls.txt"), CoefficientText(generalModel.weights, 0, 5, kTransversal));
    }

    TokenHarness one(&RLS1, 2, 3, {6, 1.0, 0.001});
    RowFormRlsModel oneModel(6, 1.0, 0.001);
    ASSERT_EQ(one.Create(), 0);
    ExpectSameOutputs(one, 80, 2, special, [&](const std::vector<double>& in) { return oneModel.Step(in[0], in[1]); });

    std::remove("rls31.txt"), std::remove("rls32.txt"), std::remove("rls33.txt");
    TokenHarness three(&RLS3, 4, 3, {4, 3, 2, 0.95, 0.1}, "rls3.txt");
    OuterFormRlsModel threeModel({4, 3, 2}, 0.95, 0.1);
    ASSERT_EQ(three.Create(), 0);
    ExpectSameOutputs(three, 80, 3, special, [&](const std::vector<double>& in) {
      return threeModel.Step({in[0], in[1], in[2]}, in[3]);
    });
    three.Terminate();
    if (special) continue;  // the files would only hold NaNs
    EXPECT_EQ(ReadFileText("rls31.txt"), CoefficientText(threeModel.weights, 0, 4, kTransversal));
    EXPECT_EQ(ReadFileText("rls32.txt"), CoefficientText(threeModel.weights, 4, 3, kTransversal));
    EXPECT_EQ(ReadFileText("rls33.txt"), CoefficientText(threeModel.weights, 7, 2, kTransversal));
  }
}

TEST(RlsTokens, InitialTapLayouts) {
  const std::vector<std::vector<double>> layouts = {{1, 2, 0, 3}, {1, 2, 3}, {1, 3}, {1}};
  for (const auto& want : layouts) {
    std::remove("taps.txt");
    TokenHarness host(&GenRLS, 2, 1, {double(want.size()), 0.99, 1e-5, 1, 2, 3}, "taps.txt");
    ASSERT_EQ(host.Create(), 0);
    host.Terminate();
    Vector w(static_cast<int>(want.size()));
    for (size_t k = 0; k < want.size(); ++k) w(static_cast<int>(k)) = want[k];
    EXPECT_EQ(ReadFileText("taps.txt"), CoefficientText(w, 0, w.rows(), kTransversal));
  }
}

TEST(RlsTokens, JointPCouplesTheChannels) {
  ExpectChannelsCoupled(&RLS2, {1, 1, 1.0, 1.0});
}

// Without measurement noise the only error left after 200 samples is the bias
// of the initial P, about Init·λⁿ/n.
TEST(RlsTokens, Rls1IdentifiesAnFirSystem) {
  std::mt19937 rng(2024);
  std::normal_distribution<double> n01;
  std::vector<double> h(8), x(8, 0.0);
  for (double& v : h) v = n01(rng);
  std::remove("fir.txt");
  TokenHarness host(&RLS1, 2, 3, {8, 0.999, 1e-5}, "fir.txt");
  ASSERT_EQ(host.Create(), 0);
  for (int n = 0; n < 200; ++n) {
    x.insert(x.begin(), n01(rng));
    x.pop_back();
    double d = 0.0;
    for (int k = 0; k < 8; ++k) d += h[k] * x[k];
    host.Run({x[0], d});
  }
  host.Terminate();
  const std::string text = ReadFileText("fir.txt");
  const char* p = text.c_str() + text.find('\n') + 1;
  for (int k = 0; k < 8; ++k) {
    char* end = nullptr;
    EXPECT_NEAR(std::strtod(p, &end), h[k], 1e-6) << k;
    p = end + 1;
  }
}

}  // namespace
