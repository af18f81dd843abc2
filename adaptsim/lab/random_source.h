// Reproducible random numbers for the scenarios: the same seed gives the same
// signals on every platform and standard library, which the distributions of
// <random> do not promise.
#pragma once

#include <cstdint>

class RandomSource {
 public:
  // `stream` separates independent sequences drawn from one seed (the input,
  // the noise, the plant...), so changing one never shifts another.
  RandomSource(uint64_t seed, uint64_t stream);

  uint64_t next();
  // Uniform in [0, 1), 53 random bits.
  double uniform();
  // Standard normal (zero mean, unit variance).
  double gaussian();
  // +1 or -1 with equal probability.
  double sign();

 private:
  uint64_t state[4];
  double spareGaussian = 0.0;
  bool hasSpare = false;
};
