// The random-walk model of the coefficients: they drift by independent
// increments of variance q, so after every update of P the variance q is added
// to each diagonal element (the scaling by 1/λ does not apply to it). Plugged
// into the RLS token templates as their Walk policy.
#pragma once

#include <cstdint>

#include "tokens/correlation_update.h"
#include "tokens/parameters.h"

namespace adaptive {

struct RandomWalk {
  template <int Entry>
  void read(const TokenSetup& setup) {
    constexpr int kVariance = ParameterIndex(Entry, "Random Walk Variance");
    randomWalkVariance = ReadParameter(setup, kVariance);
  }
  void apply(double* P, int32_t n) const { AddToDiagonal(P, n, randomWalkVariance); }

  double randomWalkVariance = 0.0;
};

}  // namespace adaptive
