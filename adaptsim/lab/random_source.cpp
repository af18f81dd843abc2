#include "adaptsim/lab/random_source.h"

#include <cmath>

namespace {

uint64_t SplitMix(uint64_t* x) {
  uint64_t z = (*x += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

uint64_t RotateLeft(uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

}  // namespace

RandomSource::RandomSource(uint64_t seed, uint64_t stream) {
  uint64_t mix = seed ^ SplitMix(&stream);
  for (uint64_t& word : state) word = SplitMix(&mix);
}

// xoshiro256**: small, fast and good enough for simulation noise.
uint64_t RandomSource::next() {
  const uint64_t result = RotateLeft(state[1] * 5, 7) * 9;
  const uint64_t t = state[1] << 17;
  state[2] ^= state[0];
  state[3] ^= state[1];
  state[1] ^= state[2];
  state[0] ^= state[3];
  state[2] ^= t;
  state[3] = RotateLeft(state[3], 45);
  return result;
}

double RandomSource::uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

// Marsaglia's polar method: two normal values per accepted pair.
double RandomSource::gaussian() {
  if (hasSpare) {
    hasSpare = false;
    return spareGaussian;
  }
  double u, v, s;
  do {
    u = 2.0 * uniform() - 1.0;
    v = 2.0 * uniform() - 1.0;
    s = u * u + v * v;
  } while (s >= 1.0 || s == 0.0);
  const double factor = std::sqrt(-2.0 * std::log(s) / s);
  spareGaussian = v * factor;
  hasSpare = true;
  return u * factor;
}

double RandomSource::sign() { return (next() >> 63) != 0 ? 1.0 : -1.0; }
