#include "tokens/parameters.h"

#include <cmath>


namespace adaptive {

namespace {

bool Fail(CallStatus& status, const char* what, const char* range) {
  status.fail(kStatusBadParameter, {what, range});
  return false;
}

constexpr const char* kGreaterThanZero = "Must be greater than 0...";
constexpr const char* kBetweenZeroAndOne = "Must be between 0 and 1...";
constexpr const char* kBiggerThanZero = "Must be between bigger than 0";

// NaN compares false with everything, so each test is written as the accepted
// range: a NaN then fails it.
bool AtLeastZero(double v, bool allowZero) { return allowZero ? v >= 0.0 : v > 0.0; }

}  // namespace

int32_t ReadCount(const TokenSetup& setup, int index) {
  const double v = ReadParameter(setup, index);
  // Out-of-range conversion to an integer is undefined: test the range first.
  if (!(v > -2147483649.0 && v < 2147483648.0)) return 0;
  return static_cast<int32_t>(v);
}

bool CheckLengths(CallStatus& status, const int32_t* counts, int n) {
  for (int i = 0; i < n; ++i)
    if (counts[i] < 1) return Fail(status, "Improper length of Adaptive Filter.\n", kGreaterThanZero);
  return true;
}

bool CheckStepSizes(CallStatus& status, const double* stepSizes, int n) {
  for (int i = 0; i < n; ++i)
    if (!(stepSizes[i] >= 0.0)) return Fail(status, "Improper step size of Adaptive Filter.\n", kGreaterThanZero);
  return true;
}

bool CheckLeakageFactors(CallStatus& status, const double* leakages, int n) {
  for (int i = 0; i < n; ++i)
    if (!(leakages[i] >= 0.0 && leakages[i] <= 1.0)) return Fail(status, "Improper leakage factor of Adaptive Filter.\n", kBetweenZeroAndOne);
  return true;
}

bool CheckForgettingFactor(CallStatus& status, double lambda, bool allowZero) {
  if (!(AtLeastZero(lambda, allowZero) && lambda <= 1.0))
    return Fail(status, "Improper forgetting factor of Adaptive Filter.\n", kBetweenZeroAndOne);
  return true;
}

bool CheckInitialisationFactor(CallStatus& status, double init, bool allowNegative) {
  if (!(init > 0.0 || (allowNegative && init < 0.0)))
    return Fail(status, "Improper initialisation factor of Adaptive Filter.\n", kBiggerThanZero);
  return true;
}

bool CheckRandomWalkVariance(CallStatus& status, double variance, bool allowZero) {
  if (!AtLeastZero(variance, allowZero))
    return Fail(status, "Improper random walk variance of Adaptive Filter.\n", kBiggerThanZero);
  return true;
}

void ReportStorageFailure(CallStatus& status) { status.fail(kStatusNoStorage, {"Memory (s_) allocation error."}); }

bool TotalLength(const int32_t* counts, int n, int32_t& total, CallStatus& status) {
  int64_t sum = 0;
  for (int i = 0; i < n; ++i) sum += counts[i];
  if (sum > INT32_MAX) {
    ReportStorageFailure(status);
    return false;
  }
  total = static_cast<int32_t>(sum);
  return true;
}

}  // namespace adaptive
