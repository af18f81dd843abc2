#include "tokens/parameters.h"

#include <cmath>

#include "host/dispatch.h"
#include "host/error_text.h"

namespace {

bool Fail(const char* what, const char* range) {
  WriteErrorText({what, range});
  TokenStatus = kStatusBadParameter;
  return false;
}

constexpr const char* kGreaterThanZero = "Must be greater than 0...";
constexpr const char* kBetweenZeroAndOne = "Must be between 0 and 1...";
constexpr const char* kBiggerThanZero = "Must be between bigger than 0";

// NaN compares false with everything, so each test is written as the accepted
// range: a NaN then fails it.
bool AtLeastZero(double v, bool allowZero) { return allowZero ? v >= 0.0 : v > 0.0; }

}  // namespace

double ReadParameter(int index) { return CurrentTokenRecord->parameters[index]; }

int32_t ReadCount(int index) {
  const double v = ReadParameter(index);
  // Out-of-range conversion to an integer is undefined: test the range first.
  if (!(v > -2147483649.0 && v < 2147483648.0)) return 0;
  return static_cast<int32_t>(v);
}

bool CheckLengths(const int32_t* counts, int n) {
  for (int i = 0; i < n; ++i)
    if (counts[i] < 1) return Fail("Improper length of Adaptive Filter.\n", kGreaterThanZero);
  return true;
}

bool CheckStepSizes(const double* stepSizes, int n) {
  for (int i = 0; i < n; ++i)
    if (!(stepSizes[i] >= 0.0)) return Fail("Improper step size of Adaptive Filter.\n", kGreaterThanZero);
  return true;
}

bool CheckLeakageFactors(const double* leakages, int n) {
  for (int i = 0; i < n; ++i)
    if (!(leakages[i] >= 0.0 && leakages[i] <= 1.0)) return Fail("Improper leakage factor of Adaptive Filter.\n", kBetweenZeroAndOne);
  return true;
}

bool CheckForgettingFactor(double lambda, bool allowZero) {
  if (!(AtLeastZero(lambda, allowZero) && lambda <= 1.0))
    return Fail("Improper forgetting factor of Adaptive Filter.\n", kBetweenZeroAndOne);
  return true;
}

bool CheckInitialisationFactor(double init, bool allowNegative) {
  if (!(init > 0.0 || (allowNegative && init < 0.0)))
    return Fail("Improper initialisation factor of Adaptive Filter.\n", kBiggerThanZero);
  return true;
}

bool CheckRandomWalkVariance(double variance, bool allowZero) {
  if (!AtLeastZero(variance, allowZero))
    return Fail("Improper random walk variance of Adaptive Filter.\n", kBiggerThanZero);
  return true;
}

void ReportStorageFailure() {
  WriteErrorText({"Memory (s_) allocation error."});
  TokenStatus = kStatusNoStorage;
}

bool TotalLength(const int32_t* counts, int n, int32_t& total) {
  int64_t sum = 0;
  for (int i = 0; i < n; ++i) sum += counts[i];
  if (sum > INT32_MAX) {
    ReportStorageFailure();
    return false;
  }
  total = static_cast<int32_t>(sum);
  return true;
}
