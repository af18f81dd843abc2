// The random-walk tokens: the RLS tokens with q added to the diagonal of P
// after every update.
#include <gtest/gtest.h>

#include "tests/correlation_reference.h"

namespace {

const std::string kForgetting = "Improper forgetting factor of Adaptive Filter.\nMust be between 0 and 1...";
const std::string kInit = "Improper initialisation factor of Adaptive Filter.\nMust be between bigger than 0";
const std::string kVariance = "Improper random walk variance of Adaptive Filter.\nMust be between bigger than 0";

TEST(RandomWalkTokens, VarianceZeroOnlyForTheChannelTokens) {
  EXPECT_EQ(CreateStatus(&GenRW, 2, 1, {4, 0.99, 1e-5, 0.0, 0, 0, 0}).second, kVariance);
  EXPECT_EQ(CreateStatus(&RW1, 2, 3, {4, 0.99, 1e-5, 0.0}).first, 0);
  EXPECT_EQ(CreateStatus(&RW2, 3, 3, {4, 2, 0.0, 0.0, 0.0}).first, 0);
  EXPECT_EQ(CreateStatus(&RW3, 4, 3, {4, 2, 1, 0.99, 1e-5, 0.0}).first, 0);
  for (double bad : {-1e-300, -1.0, kNaN}) {
    EXPECT_EQ(CreateStatus(&GenRW, 2, 1, {4, 0.99, 1e-5, bad, 0, 0, 0}).second, kVariance);
    EXPECT_EQ(CreateStatus(&RW1, 2, 3, {4, 0.99, 1e-5, bad}).second, kVariance);
    EXPECT_EQ(CreateStatus(&RW3, 4, 3, {4, 2, 1, 0.99, 1e-5, bad}).second, kVariance);
  }
  // Checks stop at the first failure: lengths, "Lambda", "Init", variance.
  EXPECT_EQ(CreateStatus(&RW2, 3, 3, {4, 2, 1.5, -1.0, -1.0}).second, kForgetting);
  EXPECT_EQ(CreateStatus(&GenRW, 2, 1, {4, 0.5, 0.0, 0.0, 0, 0, 0}).second, kInit);
  ExpectNoCrashForAnyParameter(&GenRW, 2, 1, {10, 0.999, 1e-5, 1, 0, 0, 0});
  ExpectNoCrashForAnyParameter(&RW2, 3, 3, {10, 10, 0.999, 1e-5, 1});
}

TEST(RandomWalkTokens, WithoutVarianceTheyAreTheRlsTokens) {
  std::remove("rw1.txt"), std::remove("rls1.txt");
  TokenHarness walk(&RW1, 2, 3, {7, 0.97, 0.01, 0.0}, "rw1.txt");
  TokenHarness rls(&RLS1, 2, 3, {7, 0.97, 0.01}, "rls1.txt");
  ASSERT_EQ(walk.Create(), 0);
  ASSERT_EQ(rls.Create(), 0);
  ExpectSameOutputs(walk, 150, 5, false, [&](const std::vector<double>& in) {
    rls.Run(in);
    return std::vector<double>{rls.Output(0), rls.Output(1), rls.Output(2)};
  });
  walk.Terminate();
  rls.Terminate();
  EXPECT_EQ(ReadFileText("rw1.txt"), ReadFileText("rls1.txt"));
}

TEST(RandomWalkTokens, FirstStepFacts) {
  // GenRW: zero gain at the first step, then P(0,0) = (1/Init)·(1/λ) + q.
  const double li = 1.0 / 0.8;
  TokenHarness general(&GenRW, 2, 1, {1, 0.8, 0.5, 0.25, -2.0, 0, 0});
  ASSERT_EQ(general.Create(), 0);
  general.Run({3.0, 9.0});
  EXPECT_EQ(general.Output(0), -6.0);
  general.Run({0.5, 1.0});
  const double pi = (2.0 * li + 0.25) * 3.0;
  const double gain = (pi * li) / ((3.0 * pi) * li + 1.0);
  EXPECT_EQ(general.Output(0), 0.5 * (gain * 1.0 + -2.0));
  // RW1 and RLS1 agree on the first step; only the next gain sees q.
  TokenHarness walk(&RW1, 2, 3, {2, 0.8, 0.5, 0.25});
  TokenHarness rls(&RLS1, 2, 3, {2, 0.8, 0.5});
  ASSERT_EQ(walk.Create(), 0);
  ASSERT_EQ(rls.Create(), 0);
  for (TokenHarness* h : {&walk, &rls}) h->Run({1.0, 4.0});
  for (int o = 0; o < 3; ++o) EXPECT_EQ(walk.Output(o), rls.Output(o));
  EXPECT_EQ(walk.Output(1), 4.0);
  for (TokenHarness* h : {&walk, &rls}) h->Run({-1.0, 2.0});
  EXPECT_NE(walk.Output(0), rls.Output(0));
}

TEST(RandomWalkTokens, FastStepsAndFilesEqualTheExpressionForms) {
  for (bool special : {false, true}) {
    TokenHarness general(&GenRW, 2, 1, {4, 0.99, 0.1, 0.01, 1, 0, -1});
    RowFormRlsModel generalModel(4, 0.99, 0.1, 0.01, true);
    generalModel.weights(0) = 1, generalModel.weights(3) = -1;
    ASSERT_EQ(general.Create(), 0);
    ExpectSameOutputs(general, 80, 6, special, [&](const std::vector<double>& in) {
      return std::vector<double>{generalModel.GeneralStep(in[0], in[1])};
    });

    TokenHarness one(&RW1, 2, 3, {5, 0.9, 1.0, 0.5});
    RowFormRlsModel oneModel(5, 0.9, 1.0, 0.5, true);
    ASSERT_EQ(one.Create(), 0);
    ExpectSameOutputs(one, 80, 7, special, [&](const std::vector<double>& in) { return oneModel.Step(in[0], in[1]); });

    std::remove("rw31.txt"), std::remove("rw32.txt"), std::remove("rw33.txt");
    TokenHarness three(&RW3, 4, 3, {2, 2, 1, 0.95, 0.1, 0.001}, "rw3.txt");
    OuterFormRlsModel threeModel({2, 2, 1}, 0.95, 0.1, 0.001, true);
    ASSERT_EQ(three.Create(), 0);
    ExpectSameOutputs(three, 80, 8, special, [&](const std::vector<double>& in) {
      return threeModel.Step({in[0], in[1], in[2]}, in[3]);
    });
    three.Terminate();
    if (special) continue;  // the files would only hold NaNs
    EXPECT_EQ(ReadFileText("rw31.txt"), CoefficientText(threeModel.weights, 0, 2, kTransversal));
    EXPECT_EQ(ReadFileText("rw32.txt"), CoefficientText(threeModel.weights, 2, 2, kTransversal));
    EXPECT_EQ(ReadFileText("rw33.txt"), CoefficientText(threeModel.weights, 4, 1, kTransversal));
  }
}

TEST(RandomWalkTokens, TapLayoutAndJointP) {
  std::remove("gtaps.txt");
  TokenHarness host(&GenRW, 2, 1, {4, 0.99, 1e-5, 1, 1, 2, 3}, "gtaps.txt");
  ASSERT_EQ(host.Create(), 0);
  host.Terminate();
  Vector w(4);
  w(0) = 1, w(1) = 2, w(2) = 0, w(3) = 3;
  EXPECT_EQ(ReadFileText("gtaps.txt"), CoefficientText(w, 0, 4, "\nDenominator Coefficients =1\n1\n"));
  ExpectChannelsCoupled(&RW2, {1, 1, 1.0, 1.0, 0.5});
}

}  // namespace
