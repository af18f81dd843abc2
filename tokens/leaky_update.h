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
  double sum = 0.0;
  double* weights = &w(0);
  line.forEachTap([&](int32_t i, double tap) {
    weights[i] = leakage * weights[i] + gain * tap;
    sum += tap * weights[i];
  });
  return sum;
}

// The filter output Σ tap(k)·w(k) of a line and, when the gain rule needs the
// line's energy, Σ tap(k)·tap(k) (the sum that power(line) divides by the
// length) into `energy`. Both start at 0.0 and add in ascending k, exactly as
// dot and power form them, but in one pass: the two sums are independent, so
// the second one runs alongside the first almost for free.
template <bool kEnergy>
inline double DotAndEnergy(const DelayLine& line, const Vector& w, double& energy) {
  const double* weights = &w(0);
  double sum = 0.0;
  double squares = 0.0;
  line.forEachTap([&](int32_t k, double tap) {
    sum = sum + tap * weights[k];
    if (kEnergy) squares = squares + tap * tap;
  });
  energy = squares;
  return sum;
}

}  // namespace adaptive
