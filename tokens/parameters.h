// Reading and checking token parameters: every token constructor reads all of
// its parameters first, then runs its checks in a fixed order and stops at the
// first one that fails.
#pragma once

#include <cstdint>
#include <initializer_list>

// Parameter `index` of the current token record, unchanged.
double ReadParameter(int index);

// A count of coefficients: truncated toward zero. A NaN or a value that does not
// fit a 32-bit signed integer yields 0, which every length check refuses.
int32_t ReadCount(int index);

// Each check returns true when every value passes. On failure it writes the
// check's two-part message to the host, sets the status to 1 and returns false.
bool CheckLengths(const int32_t* counts, int n);                       // all >= 1
bool CheckStepSizes(const double* stepSizes, int n);                    // all >= 0
bool CheckLeakageFactors(const double* leakages, int n);                // all in [0, 1]
inline bool CheckLengths(std::initializer_list<int32_t> v) { return CheckLengths(v.begin(), static_cast<int>(v.size())); }
inline bool CheckStepSizes(std::initializer_list<double> v) { return CheckStepSizes(v.begin(), static_cast<int>(v.size())); }
inline bool CheckLeakageFactors(std::initializer_list<double> v) {
  return CheckLeakageFactors(v.begin(), static_cast<int>(v.size()));
}
// `allowZero` distinguishes the closed ranges of the desired-signal tokens from
// the open ones of the general RLS and random-walk tokens.
bool CheckForgettingFactor(double lambda, bool allowZero);             // (0 or [0) .. 1]
bool CheckInitialisationFactor(double init, bool allowZero);           // > 0 or >= 0
bool CheckRandomWalkVariance(double variance, bool allowZero);         // > 0 or >= 0

// Writes the storage-allocation message and sets the status to 1002.
void ReportStorageFailure();

// Sum of channel lengths as the 32-bit total the tokens keep; false (and the
// storage failure reported) when the sum does not fit.
bool TotalLength(const int32_t* counts, int n, int32_t& total);
