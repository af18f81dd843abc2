// The Newton tokens: parameter acceptance, first-step facts, the recursive
// form's feedback of its own outputs, the fast steps against the expression
// form, coefficient files and the joint P.
#include <gtest/gtest.h>

#include "tests/correlation_reference.h"

namespace {

const std::string kLength = "Improper length of Adaptive Filter.\nMust be greater than 0...";
const std::string kStep = "Improper step size of Adaptive Filter.\nMust be greater than 0...";
const std::string kLeakage = "Improper leakage factor of Adaptive Filter.\nMust be between 0 and 1...";
const std::string kForgetting = "Improper forgetting factor of Adaptive Filter.\nMust be between 0 and 1...";

Vector Column(const std::vector<double>& values) {
  Vector v(static_cast<int>(values.size()));
  for (size_t k = 0; k < values.size(); ++k) v(static_cast<int>(k)) = values[k];
  return v;
}

TEST(NewtonTokens, ParameterAcceptance) {
  // "Lambda" 0 passes and "Init" has no check at all.
  for (double init : {0.0, -1.0, kNaN}) {
    EXPECT_EQ(CreateStatus(&GenNEW, 2, 1, {3, 0.0, 0.1, 1, init, 0, 0, 0}).first, 0);
    EXPECT_EQ(CreateStatus(&NEW, 2, 3, {3, 2, 0.0, 0.1, 1, init}).first, 0);
    EXPECT_EQ(CreateStatus(&NEW3, 4, 3, {1, 2, 3, 0.0, 0.1, 1, init}).first, 0);
  }
  EXPECT_EQ(CreateStatus(&NEW, 2, 3, {3, 0, 0.99, 0.1, 1, 1e-5}).second, kLength);
  EXPECT_EQ(CreateStatus(&NEW2, 3, 3, {3, 2, 0.99, -1e-300, 1, 1e-5}).second, kStep);
  EXPECT_EQ(CreateStatus(&NEW2, 3, 3, {3, 2, 1.5, 0.1, 1.0000001, 1e-5}).second, kLeakage);
  EXPECT_EQ(CreateStatus(&GenNEW, 2, 1, {3, kNaN, 0.1, 1, 1e-5, 0, 0, 0}).second, kForgetting);
  ExpectNoCrashForAnyParameter(&GenNEW, 2, 1, {10, 0.999, 0.1, 1, 1e-5, 0, 0, 0});
  ExpectNoCrashForAnyParameter(&NEW, 2, 3, {10, 3, 0.999, 0.1, 1, 1e-5});
  ExpectNoCrashForAnyParameter(&NEW3, 4, 3, {10, 10, 10, 0.999, 0.1, 1, 1e-5});
}

TEST(NewtonTokens, FirstStepFacts) {
  // GenNEW's first regressor is zero: the weights only leak, and the output is
  // the first weight times the first sample.
  std::remove("gnew.txt");
  TokenHarness general(&GenNEW, 2, 1, {3, 0.9, 0.5, 0.5, 1e-3, 2, 0, 4}, "gnew.txt");
  ASSERT_EQ(general.Create(), 0);
  general.Run({3.0, 10.0});
  EXPECT_EQ(general.Output(0), 3.0);
  general.Terminate();
  EXPECT_EQ(ReadFileText("gnew.txt"), CoefficientText(Column({1, 0, 2}), 0, 3, "Denominator Coefficients =1\n1\n"));
  TokenHarness recursive(&NEW, 2, 3, {2, 3, 0.9, 0.5, 1, 1e-3});
  ASSERT_EQ(recursive.Create(), 0);
  recursive.Run({3.0, 10.0});
  EXPECT_EQ(recursive.Output(0), 0.0);
  EXPECT_EQ(recursive.Output(1), 10.0);
}

TEST(NewtonTokens, RecursiveFormFeedsItsOwnOutputsBack) {
  for (double denominator : {3.0, 1.0}) {
    const int L = 2, M = static_cast<int>(denominator) - 1;
    std::remove("new.txt");
    TokenHarness host(&NEW, 2, 3, {double(L), denominator, 0.98, 0.2, 0.99, 0.01}, "new.txt");
    NewtonModel model(L + M, 0.98, 0.2, 0.99, 0.01);
    ASSERT_EQ(host.Create(), 0);
    std::vector<double> x(L, 0.0), y(M, 0.0);  // newest first
    bool first = true;
    ExpectSameOutputs(host, 120, 9, false, [&](const std::vector<double>& in) {
      // Called before the run call: the token's "Output" still holds y(n−1).
      const double fedBack = first ? 0.0 : host.Output(0);
      first = false;
      x.insert(x.begin(), in[0]), x.pop_back();
      if (M > 0) y.insert(y.begin(), fedBack), y.pop_back();
      std::vector<double> u = x;
      u.insert(u.end(), y.begin(), y.end());
      const Vector regressor = Column(u);
      const double prior = model.Output(regressor);
      model.Update(regressor, in[1] - prior);
      return std::vector<double>{prior, in[1] - prior, in[1] - model.Output(regressor)};
    });
    host.Terminate();
    // The file lists the feedback coefficients negated: the denominator
    // polynomial 1 − b(0)·z⁻¹ − b(1)·z⁻².
    std::string denominator = "\nDenominator Coefficients =" + std::to_string(M + 1) + "\n1\n";
    if (M > 0) denominator += CoefficientText(model.weights * -1.0, L, M, "").substr(26);
    EXPECT_EQ(ReadFileText("new.txt"), CoefficientText(model.weights, 0, L, denominator.c_str()));
  }
}

TEST(NewtonTokens, FastStepsAndFilesEqualTheExpressionForms) {
  for (bool special : {false, true}) {
    TokenHarness general(&GenNEW, 2, 1, {4, 0.97, 0.3, 0.95, 0.1, 1, 2, 3});
    NewtonModel generalModel(4, 0.97, 0.3, 0.95, 0.1);
    generalModel.weights(0) = 1, generalModel.weights(3) = 3, generalModel.weights(1) = 2;
    ASSERT_EQ(general.Create(), 0);
    std::vector<double> taps(4, 0.0);
    ExpectSameOutputs(general, 80, 10, special, [&](const std::vector<double>& in) {
      generalModel.Update(Column(taps), in[1]);
      taps.insert(taps.begin(), in[0]), taps.pop_back();
      return std::vector<double>{generalModel.Output(Column(taps))};
    });

    for (double leakage : {1.0, 0.0}) {
      std::remove("new31.txt"), std::remove("new32.txt"), std::remove("new33.txt");
      TokenHarness three(&NEW3, 4, 3, {2, 3, 4, 0.95, 0.5, leakage, 0.1}, "new3.txt");
      NewtonModel model(9, 0.95, 0.5, leakage, 0.1);
      OuterFormRlsModel stack({2, 3, 4}, 1.0, 1.0);  // only its regressor is used
      ASSERT_EQ(three.Create(), 0);
      ExpectSameOutputs(three, 80, 11, special, [&](const std::vector<double>& in) {
        stack.Step({in[0], in[1], in[2]}, 0.0);
        const Vector u = transpose(stack.regressor);
        const double prior = model.Output(u);
        model.Update(u, in[3] - prior);
        return std::vector<double>{prior, in[3] - prior, in[3] - model.Output(u)};
      });
      three.Terminate();
      if (special) continue;  // the files would only hold NaNs
      EXPECT_EQ(ReadFileText("new31.txt"), CoefficientText(model.weights, 0, 2, kTransversal));
      EXPECT_EQ(ReadFileText("new32.txt"), CoefficientText(model.weights, 2, 3, kTransversal));
      EXPECT_EQ(ReadFileText("new33.txt"), CoefficientText(model.weights, 5, 4, kTransversal));
    }
  }
}

TEST(NewtonTokens, InitialTapLayoutsAndJointP) {
  const std::vector<std::vector<double>> layouts = {{1, 2, 0, 3}, {1, 2, 3}, {1, 3}, {1}};
  for (const auto& want : layouts) {
    std::remove("ntaps.txt");
    TokenHarness host(&GenNEW, 2, 1, {double(want.size()), 0.99, 0.1, 1, 1e-5, 1, 2, 3}, "ntaps.txt");
    ASSERT_EQ(host.Create(), 0);
    host.Terminate();
    EXPECT_EQ(ReadFileText("ntaps.txt"),
              CoefficientText(Column(want), 0, int(want.size()), "Denominator Coefficients =1\n1\n"));
  }
  ExpectChannelsCoupled(&NEW2, {1, 1, 1.0, 1.0, 1.0, 1.0});
}

}  // namespace
