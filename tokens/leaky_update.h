// The coefficient update shared by the LMS-type tokens.
#pragma once

#include <cstdint>

#include "numerics/delay_line.h"
#include "numerics/vector.h"

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
