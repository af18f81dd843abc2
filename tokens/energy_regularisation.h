// δ of the normalised gains: added to every normalising energy, so that an
// all-zero delay line divides by δ instead of by zero.
#pragma once

#include <cstdint>

namespace adaptive {

constexpr double kEnergyRegularisation = 1e-8;

// x / n for a count n >= 1. For a power of two n it multiplies by the exact
// reciprocal instead: x · 2⁻ᵏ and x / 2ᵏ are the same real number, so their
// correctly rounded results are the same bits (subnormal and special values
// included), and a multiplication keeps the division's latency off the gain.
inline double DivideByCount(double x, int32_t n) {
  if ((n & (n - 1)) == 0) return x * (1.0 / n);
  return x / n;
}

}  // namespace adaptive
