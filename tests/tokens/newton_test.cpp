// The Newton tokens: parameter acceptance, first-step facts, the recursive
// form's feedback of its own outputs, and the fast steps and files against the
// expression form.
#include <gtest/gtest.h>

#include "tests/tokens/correlation_reference.h"

namespace adaptive {

namespace {

TEST(NewtonTokens, ParameterAcceptance) {
  // A negative "Init" passes: P starts finite, only 0 and NaN are refused
  // (tests/plugin/robustness_test.cpp), after "Lambda".
  EXPECT_EQ(CreateStatus(&GenNEW, 2, 1, {3, 1.0, 0.1, 1, -1.0, 0, 0, 0}).first, 0);
  EXPECT_EQ(CreateStatus(&NEW, 2, 3, {3, 2, 0.5, 0.1, 1, -kInf}).first, 0);
  EXPECT_EQ(CreateStatus(&NEW3, 4, 3, {1, 2, 3, 0.0, 0.1, 1, 0.0}).second,
            "Improper forgetting factor of Adaptive Filter.\nMust be between 0 and 1...");
  EXPECT_EQ(CreateStatus(&NEW, 2, 3, {3, 0, 0.99, 0.1, 1, 1e-5}).second,
            "Improper length of Adaptive Filter.\nMust be greater than 0...");
  EXPECT_EQ(CreateStatus(&NEW2, 3, 3, {3, 2, 0.99, -1e-300, 1, 1e-5}).second,
            "Improper step size of Adaptive Filter.\nMust be greater than 0...");
  EXPECT_EQ(CreateStatus(&NEW2, 3, 3, {3, 2, 1.5, 0.1, 1.0000001, 1e-5}).second,
            "Improper leakage factor of Adaptive Filter.\nMust be between 0 and 1...");
  EXPECT_EQ(CreateStatus(&GenNEW, 2, 1, {3, kNaN, 0.1, 1, 1e-5, 0, 0, 0}).second,
            "Improper forgetting factor of Adaptive Filter.\nMust be between 0 and 1...");
}

TEST(NewtonTokens, FirstStepFacts) {
  // GenNEW's first regressor is zero: the weights only leak, and the output is
  // the first weight times the first sample.
  std::remove("gnew.txt");
  {
    TokenSession general(&GenNEW, 2, 1, {3, 0.9, 0.5, 0.5, 1e-3, 2, 0, 4}, "gnew.txt");
    ASSERT_EQ(general.create(), 0);
    general.run({3.0, 10.0});
    EXPECT_EQ(general.output(0).value, 3.0);
  }
  EXPECT_EQ(ReadFileText("gnew.txt"), CoefficientText(Column({1, 0, 2}), 0, 3, "Denominator Coefficients =1\n1\n"));
  TokenSession recursive(&NEW, 2, 3, {2, 3, 0.9, 0.5, 1, 1e-3});
  ASSERT_EQ(recursive.create(), 0);
  recursive.run({3.0, 10.0});
  EXPECT_EQ(recursive.output(0).value, 0.0);
  EXPECT_EQ(recursive.output(1).value, 10.0);
}

TEST(NewtonTokens, RecursiveFormFeedsItsOwnOutputsBack) {
  for (double denominator : {3.0, 1.0}) {
    const int L = 2, M = static_cast<int>(denominator) - 1;
    std::remove("new.txt");
    CorrelationModel model = CorrelationModel::newton(L + M, 0.98, 0.2, 0.99, 0.01);
    {
      TokenSession host(&NEW, 2, 3, {double(L), denominator, 0.98, 0.2, 0.99, 0.01}, "new.txt");
      ASSERT_EQ(host.create(), 0);
      std::vector<double> x(L, 0.0), y(M, 0.0);  // newest first
      bool first = true;
      ExpectSameOutputs(host, 120, 9, false, [&](const std::vector<double>& in) {
        // Called before the run call: the token's "Output" still holds y(n−1).
        const double fedBack = first ? 0.0 : host.output(0).value;
        first = false;
        x.insert(x.begin(), in[0]), x.pop_back();
        if (M > 0) y.insert(y.begin(), fedBack), y.pop_back();
        std::vector<double> u = x;
        u.insert(u.end(), y.begin(), y.end());
        return model.step(Column(u), in[1]);
      });
    }
    // The file lists the feedback coefficients negated: the denominator
    // polynomial 1 − b(0)·z⁻¹ − b(1)·z⁻².
    std::string feedback = "\nDenominator Coefficients =" + std::to_string(M + 1) + "\n1\n";
    if (M > 0) feedback += CoefficientText(model.weights * -1.0, L, M, "").substr(26);
    EXPECT_EQ(ReadFileText("new.txt"), CoefficientText(model.weights, 0, L, feedback.c_str()));
  }
}

TEST(NewtonTokens, FastStepsAndFilesEqualTheExpressionForms) {
  for (bool special : {false, true}) {
    CorrelationModel general = CorrelationModel::newton(4, 0.97, 0.3, 0.95, 0.1);
    general.weights = Column({1, 2, 0, 3});
    ExpectMatchesModel(&GenNEW, {4, 0.97, 0.3, 0.95, 0.1, 1, 2, 3}, {4}, true, 10, special, general);
    // Leakage 0: the weights after each step are exactly g.
    for (double leakage : {1.0, 0.0})
      ExpectMatchesModel(&NEW3, {2, 3, 4, 0.95, 0.5, leakage, 0.1}, {2, 3, 4}, false, 11, special,
                         CorrelationModel::newton(9, 0.95, 0.5, leakage, 0.1));
  }
}

}  // namespace

}  // namespace adaptive
