// The random-walk tokens: the RLS tokens with q added to the diagonal of P
// after every update.
#include <gtest/gtest.h>

#include "tests/tokens/correlation_reference.h"

namespace adaptive {

namespace {

const std::string kForgetting = "Improper forgetting factor of Adaptive Filter.\nMust be between 0 and 1...";
const std::string kInit = "Improper initialisation factor of Adaptive Filter.\nMust be between bigger than 0";
const std::string kVariance = "Improper random walk variance of Adaptive Filter.\nMust be between bigger than 0";

TEST(RandomWalkTokens, VarianceZeroOnlyForTheChannelTokens) {
  EXPECT_EQ(CreateStatus(&GenRW, 2, 1, {4, 0.99, 1e-5, 0.0, 0, 0, 0}), std::make_pair(1, kVariance));
  EXPECT_EQ(CreateStatus(&RW1, 2, 3, {4, 0.99, 1e-5, 0.0}).first, 0);
  EXPECT_EQ(CreateStatus(&RW2, 3, 3, {4, 2, 1.0, 1.0, 0.0}).first, 0);
  EXPECT_EQ(CreateStatus(&RW3, 4, 3, {4, 2, 1, 0.99, 1e-5, 0.0}).first, 0);
  for (double bad : {-1e-300, -1.0, kNaN}) {
    EXPECT_EQ(CreateStatus(&GenRW, 2, 1, {4, 0.99, 1e-5, bad, 0, 0, 0}).second, kVariance);
    EXPECT_EQ(CreateStatus(&RW1, 2, 3, {4, 0.99, 1e-5, bad}).second, kVariance);
    EXPECT_EQ(CreateStatus(&RW3, 4, 3, {4, 2, 1, 0.99, 1e-5, bad}).second, kVariance);
  }
  // Checks stop at the first failure: lengths, "Lambda", "Init", variance.
  EXPECT_EQ(CreateStatus(&RW2, 3, 3, {4, 2, 1.5, -1.0, -1.0}).second, kForgetting);
  EXPECT_EQ(CreateStatus(&GenRW, 2, 1, {4, 0.5, 0.0, 0.0, 0, 0, 0}).second, kInit);
}

TEST(RandomWalkTokens, WithoutVarianceTheyAreTheRlsTokens) {
  std::remove("rw1.txt"), std::remove("rls1.txt");
  {
    TokenSession walk(&RW1, 2, 3, {7, 0.97, 0.01, 0.0}, "rw1.txt");
    TokenSession rls(&RLS1, 2, 3, {7, 0.97, 0.01}, "rls1.txt");
    ASSERT_EQ(walk.create(), 0);
    ASSERT_EQ(rls.create(), 0);
    ExpectSameOutputs(walk, 150, 5, false, [&](const std::vector<double>& in) {
      rls.run(in);
      return std::vector<double>{rls.output(0).value, rls.output(1).value, rls.output(2).value};
    });
  }
  EXPECT_EQ(ReadFileText("rw1.txt"), ReadFileText("rls1.txt"));
}

TEST(RandomWalkTokens, FirstStepFacts) {
  // GenRW: zero gain at the first step, then P(0,0) = (1/Init)·(1/λ) + q.
  const double li = 1.0 / 0.8;
  TokenSession general(&GenRW, 2, 1, {1, 0.8, 0.5, 0.25, -2.0, 0, 0});
  ASSERT_EQ(general.create(), 0);
  general.run({3.0, 9.0});
  EXPECT_EQ(general.output(0).value, -6.0);
  general.run({0.5, 1.0});
  const double pi = (2.0 * li + 0.25) * 3.0;
  EXPECT_EQ(general.output(0).value, 0.5 * (((pi * li) / ((3.0 * pi) * li + 1.0)) * 1.0 + -2.0));
  // RW1 and RLS1 agree on the first step; only the next gain sees q.
  TokenSession walk(&RW1, 2, 3, {2, 0.8, 0.5, 0.25});
  TokenSession rls(&RLS1, 2, 3, {2, 0.8, 0.5});
  ASSERT_EQ(walk.create(), 0);
  ASSERT_EQ(rls.create(), 0);
  for (TokenSession* h : {&walk, &rls}) h->run({1.0, 4.0});
  for (int o = 0; o < 3; ++o) EXPECT_EQ(walk.output(o).value, rls.output(o).value);
  EXPECT_EQ(walk.output(1).value, 4.0);
  for (TokenSession* h : {&walk, &rls}) h->run({-1.0, 2.0});
  EXPECT_NE(walk.output(0).value, rls.output(0).value);
}

TEST(RandomWalkTokens, FastStepsAndFilesEqualTheExpressionForms) {
  for (bool special : {false, true}) {
    CorrelationModel general(CorrelationModel::kRow, 4, 0.99, 0.1, 0.01);
    general.weights = Column({1, 0, 0, -1});
    ExpectMatchesModel(&GenRW, {4, 0.99, 0.1, 0.01, 1, 0, -1}, {4}, true, 6, special, general);
    ExpectMatchesModel(&RW1, {5, 0.9, 1.0, 0.5}, {5}, false, 7, special, {CorrelationModel::kRow, 5, 0.9, 1.0, 0.5});
    ExpectMatchesModel(&RW3, {2, 2, 1, 0.95, 0.1, 0.001}, {2, 2, 1}, false, 8, special,
                       {CorrelationModel::kOuter, 5, 0.95, 0.1, 0.001});
  }
}

}  // namespace

}  // namespace adaptive
