// Parameter conversion, the acceptance tests and their messages, and the order
// in which a token runs its checks.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/token_harness.h"
#include "tokens/entry_points.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();
const std::string kLength = "Improper length of Adaptive Filter.\nMust be greater than 0...";
const std::string kStep = "Improper step size of Adaptive Filter.\nMust be greater than 0...";
const std::string kLeakage = "Improper leakage factor of Adaptive Filter.\nMust be between 0 and 1...";

struct Outcome {
  int status;
  std::string text;
};

// Creates an LMS instance (no file) with the given parameters.
Outcome CreateLms(std::vector<double> p) {
  TokenHarness host(&LMS, 2, 3, std::move(p));
  host.ClearErrorText();
  const int status = host.Create();
  return {status, host.ErrorText()};
}

Outcome CreateLms2(std::vector<double> p) {
  TokenHarness host(&LMS2, 3, 3, std::move(p));
  host.ClearErrorText();
  const int status = host.Create();
  return {status, host.ErrorText()};
}

TEST(ParameterChecks, LengthsTruncateTowardZeroAndRejectNonIntegers) {
  EXPECT_EQ(CreateLms({1.9, 0.01, 1, 1, 0.01, 1}).status, 0);
  for (double bad : {0.0, 0.5, -3.0, -0.7, kNaN, kInf, -kInf, 3e9, -3e9, 2147483648.0}) {
    const Outcome o = CreateLms({bad, 0.01, 1, 1, 0.01, 1});
    EXPECT_EQ(o.status, 1) << bad;
    EXPECT_EQ(o.text, kLength) << bad;
  }
  // Denominator count 0 means a negative number of feedback taps.
  EXPECT_EQ(CreateLms({2, 0.01, 1, 0, 0.01, 1}).text, kLength);
}

TEST(ParameterChecks, StepSizesAndLeakagesRanges) {
  EXPECT_EQ(CreateLms({2, 0.0, 1, 1, 0.0, 1}).status, 0);
  for (double bad : {-1e-300, -1.0, kNaN, -kInf}) {
    EXPECT_EQ(CreateLms({2, bad, 1, 1, 0.01, 1}).text, kStep) << bad;
    EXPECT_EQ(CreateLms({2, 0.01, 1, 1, bad, 1}).text, kStep) << bad;
  }
  EXPECT_EQ(CreateLms({2, 0.01, 0.0, 1, 0.01, 1.0}).status, 0);
  for (double bad : {1.0000001, -0.0001, kNaN, kInf}) {
    EXPECT_EQ(CreateLms({2, 0.01, bad, 1, 0.01, 1}).text, kLeakage) << bad;
    EXPECT_EQ(CreateLms({2, 0.01, 1, 1, 0.01, bad}).text, kLeakage) << bad;
  }
}

TEST(ParameterChecks, ChecksRunInOrderAndStopAtTheFirst) {
  // "Mu 2" and "Leakage 1" both out of range: only the step-size message.
  EXPECT_EQ(CreateLms2({10, 0.01, 2.0, 10, -1.0, 1}).text, kStep);
  // A bad length wins over everything after it.
  EXPECT_EQ(CreateLms2({10, -1, 2.0, 0, -1.0, 1}).text, kLength);
  EXPECT_EQ(CreateLms2({10, 0.01, 1, 10, 0.01, 1}).status, 0);
}

TEST(ParameterChecks, FailedConstructionTouchesNoFile) {
  std::remove("untouched.txt");
  TokenHarness host(&LMS, 2, 3, {0, 0.01, 1, 1, 0.01, 1}, "untouched.txt");
  EXPECT_EQ(host.Create(), 1);
  EXPECT_EQ(host.Run({1, 1}), 0);
  EXPECT_EQ(host.Terminate(), 0);
  EXPECT_FALSE(FileExists("untouched.txt"));
  // The name is only edited when files are opened.
  EXPECT_STREQ(host.fileNameBuffer, "untouched.txt");
}

}  // namespace
