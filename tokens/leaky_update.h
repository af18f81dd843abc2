// The coefficient update shared by the LMS-type tokens.
#pragma once

#include <cstdint>

#include "numerics/delay_line.h"
#include "numerics/vector.h"

namespace adaptive {

// w(i) = leakage × w(i) + gain × tap(i) over the whole line, and returns the
// dot product of the line with the new coefficients, Σ tap(i) × w(i) from 0.0
// in ascending i. Fusing the two loops leaves every element's operations and
// the order of the sum unchanged.
inline double LeakyUpdateAndDot(const DelayLine& line, Vector& w, double leakage, double gain) {
  const double* __restrict taps = line.taps();
  double* __restrict weights = &w(0);
  const int32_t n = line.length();
  double sum = 0.0;
  int32_t i = 0;
  if (n > 0) {  // alone, as in DotAndEnergy
    weights[0] = leakage * weights[0] + gain * taps[0];
    sum = sum + taps[0] * weights[0];
    i = 1;
  }
#pragma GCC ivdep
  for (; i < n; ++i) {
    weights[i] = leakage * weights[i] + gain * taps[i];
    sum = sum + taps[i] * weights[i];
  }
  return sum;
}

// The filter output Σ tap(k)·w(k) of a line and, when the gain rule needs the
// line's energy, Σ tap(k)·tap(k) (the sum that power(line) divides by the
// length) into `energy`. Both start at 0.0 and add in ascending k, exactly as
// dot and power form them, but in one pass: the two sums are independent, so
// the second one runs alongside the first almost for free.
template <bool kEnergy>
inline double DotAndEnergy(const DelayLine& line, const Vector& w, double& energy) {
  const double* __restrict taps = line.taps();
  const double* __restrict weights = &w(0);
  const int32_t n = line.length();
  double sum = 0.0;
  double squares = 0.0;
  // Tap 0 alone: push() has just stored it, and a load of two taps across
  // that store would wait until the store reaches the cache instead of taking
  // its value from the store. The coefficients are taken alone at 0 too, in
  // this loop and in the update, so that every pair loaded here is a pair the
  // previous update stored.
  int32_t k = 0;
  if (n > 0) {
    sum = sum + taps[0] * weights[0];
    if (kEnergy) squares = squares + taps[0] * taps[0];
    k = 1;
  }
  for (; k < n; ++k) {
    sum = sum + taps[k] * weights[k];
    if (kEnergy) squares = squares + taps[k] * taps[k];
  }
  energy = squares;
  return sum;
}

}  // namespace adaptive
