// Deterministic signals for the benchmarks: three unit-variance input channels
// and a desired signal that a short FIR system makes of them, plus a little
// noise, so that every adaptive filter has something stable to identify.
#pragma once

#include <cstdint>
#include <random>

namespace adaptive {

struct TestSignals {
  static constexpr int32_t kLength = 4096;  // a power of two: indices wrap by a mask

  TestSignals() {
    std::mt19937 engine(20240611u);
    std::normal_distribution<double> gauss(0.0, 1.0);
    for (auto& channel : input)
      for (double& v : channel) v = gauss(engine);
    const double system[3][4] = {{0.8, -0.4, 0.2, 0.1}, {0.5, 0.25, -0.125, 0.0}, {-0.3, 0.2, 0.1, 0.05}};
    for (int32_t n = 0; n < kLength; ++n) {
      double d = 0.01 * gauss(engine);
      for (int c = 0; c < 3; ++c)
        for (int k = 0; k < 4; ++k) d += system[c][k] * input[c][(n - k) & (kLength - 1)];
      desired[n] = d;
    }
  }

  double input[3][kLength];
  double desired[kLength];
};

}  // namespace adaptive
