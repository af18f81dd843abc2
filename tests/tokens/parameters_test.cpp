// Parameter conversion, the acceptance tests and their messages, and the order
// in which the LMS-type tokens run their checks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/tokens/lms_reference.h"

namespace adaptive {

namespace {

using namespace lms_reference;

struct Shape {
  TokenEntryPoint entry;
  int inputs, outputs;
};
const Shape kLms{&LMS, 2, 3}, kLms2{&LMS2, 3, 3}, kNlms{&NLMS, 2, 3}, kNlms2{&NLMS2, 3, 3}, kNlms3{&NLMS3, 4, 3};
const Shape kGenA{&GenLMS_A, 5, 1}, kGenB{&GenLMS_B, 3, 1}, kGenN{&GenNLMS, 3, 1};
const std::string kLength = "Improper length of Adaptive Filter.\nMust be greater than 0...";
const std::string kStep = "Improper step size of Adaptive Filter.\nMust be greater than 0...";
const std::string kLeakage = "Improper leakage factor of Adaptive Filter.\nMust be between 0 and 1...";
const std::string kOk = "0:", kBadLength = "1:" + kLength, kBadStep = "1:" + kStep, kBadLeakage = "1:" + kLeakage;

// "status:message" of a creation with these parameters (no file).
std::string Create(const Shape& token, std::vector<double> p) {
  TokenSession host(token.entry, token.inputs, token.outputs, std::move(p));
  host.clearErrorText();
  const int status = host.create();
  return std::to_string(status) + ":" + host.errorText();
}

TEST(ParameterChecks, StepSizesAndLeakagesRanges) {
  EXPECT_EQ(Create(kLms, {2, 0.0, 1, 1, 0.0, 1}), kOk);
  for (double bad : {-1e-300, -1.0, kNaN, -kInf}) {
    EXPECT_EQ(Create(kLms, {2, bad, 1, 1, 0.01, 1}), kBadStep) << bad;
    EXPECT_EQ(Create(kLms, {2, 0.01, 1, 1, bad, 1}), kBadStep) << bad;
  }
  EXPECT_EQ(Create(kLms, {2, 0.01, 0.0, 1, 0.01, 1.0}), kOk);
  for (double bad : {1.0000001, -0.0001, kNaN, kInf}) {
    EXPECT_EQ(Create(kLms, {2, 0.01, bad, 1, 0.01, 1}), kBadLeakage) << bad;
    EXPECT_EQ(Create(kLms, {2, 0.01, 1, 1, 0.01, bad}), kBadLeakage) << bad;
  }
}

// Lengths first, then step sizes, then leakages, each over all channels; the
// first failing check is the only one reported.
TEST(ParameterChecks, ChecksRunInOrderAndStopAtTheFirst) {
  struct Case {
    Shape token;
    std::vector<double> p;
    const std::string& want;
  };
  const Case cases[] = {
      // Counts truncate toward zero (every bad count of every token is in
      // robustness_test.cpp); "Denominator Coeffs" 0 means -1 feedback taps.
      {kLms, {1.9, 0.01, 1, 1, 0.01, 1}, kOk},
      {kLms, {2, 0.01, 1, 0, 0.01, 1}, kBadLength},
      {kLms2, {10, 0.01, 1, 10, 0.01, 1}, kOk},
      {kLms2, {10, 0.01, 2.0, 10, -1.0, 1}, kBadStep},
      {kLms2, {10, -1, 2.0, 0, -1.0, 1}, kBadLength},
      {kNlms, {10, 0.5, 1, 1, 0.5, 1}, kOk},
      {kNlms, {1.9, 0.0, 0.0, 1.2, 0.0, 1}, kOk},
      {kNlms, {10, 0.5, 1, 0, 0.5, 1}, kBadLength},
      {kNlms, {0.5, -1, 2, 1, 0.5, 1}, kBadLength},
      {kNlms, {10, 0.5, 2, 1, -1e-300, 1}, kBadStep},
      {kNlms, {10, 0.5, 1, 1, 0.5, kNaN}, kBadLeakage},
      {kNlms, {10, 0.5, 1.0000001, 1, 0.5, 1}, kBadLeakage},
      {kNlms2, {10, 0.5, 1, 10, 0.5, 1}, kOk},
      {kNlms2, {10, 0.5, 2.0, 10, -1.0, 1}, kBadStep},
      {kNlms2, {10, -1.0, 2.0, kNaN, 0.5, 1}, kBadLength},
      {kNlms3, {10, 0.5, 1, 10, 0.5, 1, 10, 0.5, 1}, kOk},
      {kNlms3, {10, 0.5, -0.1, 10, 0.5, 1, 10, -0.5, 1}, kBadStep},
      {kNlms3, {10, 0.5, 1, 10, 0.5, 1, -3, 0.5, 1}, kBadLength},
      {kNlms3, {10, 0.5, 1, 10, 0.5, 1, 10, 0.5, 1.5}, kBadLeakage},
      // GenLMS_A checks only its length; tap values are never checked.
      {kGenA, {1.9, -1, kNaN, kInf}, kOk},
      {kGenA, {0.9, 0, 0, 0}, kBadLength}};
  int row = 0;
  for (const Case& c : cases) EXPECT_EQ(Create(c.token, c.p), c.want) << "row " << row++;
  for (const Shape& token : {kGenB, kGenN}) {
    const Case general[] = {{token, {10, 0, 0, kNaN, -1, kInf}, kOk},     {token, {10, 0.5, 1, 0, 0, 0}, kOk},
                            {token, {-2, -1, 2, 0, 0, 0}, kBadLength},    {token, {kNaN, 0.5, 1, 0, 0, 0}, kBadLength},
                            {token, {3, -1e-300, 2, 0, 0, 0}, kBadStep},  {token, {3, kNaN, 1, 0, 0, 0}, kBadStep},
                            {token, {3, 0.1, 1.0000001, 0, 0, 0}, kBadLeakage},
                            {token, {3, 0.1, kNaN, 0, 0, 0}, kBadLeakage}};
    for (const Case& c : general) EXPECT_EQ(Create(c.token, c.p), c.want) << "row " << row++;
  }
}

// The record's name is only edited when files are opened (that a refused
// token neither runs nor makes a file is checked for every token in
// robustness_test.cpp).
TEST(ParameterChecks, FailedConstructionLeavesTheNameAlone) {
  TokenSession host(&LMS, 2, 3, {0, 0.01, 1, 1, 0.01, 1}, "untouched.txt");
  EXPECT_EQ(host.create(), 1);
  EXPECT_STREQ(host.fileName(), "untouched.txt");
}

}  // namespace

}  // namespace adaptive
