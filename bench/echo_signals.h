// The signals of the long-path benchmarks: a synthetic room response
// (exponentially decaying noise), a far end of white noise or of a speech-like
// synthetic (voiced syllables with formants and pauses), and the echo of the
// far end through the room, all at 16 kHz and quantised to 16 bits so that an
// echo canceller working on integers sees the same samples as the filters.
#pragma once

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace adaptive {

constexpr int kEchoRate = 16000;

// `taps` samples of noise decaying by 60 dB over them, scaled to a gain of
// 0.5 in power.
inline std::vector<double> RoomResponse(int taps, unsigned seed) {
  std::mt19937 engine(seed);
  std::normal_distribution<double> gauss;
  std::vector<double> h(taps);
  double energy = 0.0;
  for (int i = 0; i < taps; ++i) {
    h[i] = gauss(engine) * std::pow(10.0, -3.0 * i / taps);
    energy += h[i] * h[i];
  }
  for (double& v : h) v *= std::sqrt(0.5 / energy);
  return h;
}

// White noise of 3000 (in 16-bit units) rms.
inline std::vector<double> WhiteFarEnd(size_t samples, unsigned seed) {
  std::mt19937 engine(seed);
  std::normal_distribution<double> gauss(0.0, 3000.0);
  std::vector<double> x(samples);
  for (double& v : x) v = std::round(gauss(engine));
  return x;
}

// Syllables of 150 to 300 ms, a glottal pulse train of 100 to 220 Hz with some
// breath noise through two formant resonators, separated by pauses of 50 to
// 400 ms: a spectrum that spans some 40 dB and stops and starts, as speech does.
inline std::vector<double> SpeechLikeFarEnd(size_t samples, unsigned seed) {
  std::mt19937 engine(seed);
  std::uniform_real_distribution<double> uniform(0.0, 1.0);
  std::normal_distribution<double> gauss;
  const double pi = std::acos(-1.0);
  std::vector<double> x(samples, 0.0);
  size_t n = 0;
  double z1[2] = {0, 0}, z2[2] = {0, 0};
  while (n < samples) {
    n += static_cast<size_t>(kEchoRate * (0.05 + 0.35 * uniform(engine)));
    const size_t length = static_cast<size_t>(kEchoRate * (0.15 + 0.15 * uniform(engine)));
    const double pitch = 100.0 + 120.0 * uniform(engine);
    const double f1 = 300.0 + 600.0 * uniform(engine), f2 = 900.0 + 1600.0 * uniform(engine);
    const double r = 0.97;
    const double a1 = 2 * r * std::cos(2 * pi * f1 / kEchoRate), a2 = 2 * r * std::cos(2 * pi * f2 / kEchoRate);
    double phase = 0.0;
    for (size_t k = 0; k < length && n < samples; ++k, ++n) {
      phase += pitch / kEchoRate;
      const double pulse = phase >= 1.0 ? 1.0 : 0.0;
      if (phase >= 1.0) phase -= 1.0;
      const double source = 20.0 * pulse + 0.3 * gauss(engine);
      const double v1 = source + a1 * z1[0] - r * r * z1[1];
      z1[1] = z1[0];
      z1[0] = v1;
      const double v2 = v1 + a2 * z2[0] - r * r * z2[1];
      z2[1] = z2[0];
      z2[0] = v2;
      const double envelope = std::sin(pi * k / length);
      x[n] = v2 * envelope;
    }
  }
  double energy = 0.0;
  for (double v : x) energy += v * v;
  const double scale = 3000.0 / std::sqrt(energy / samples);
  for (double& v : x) v = std::round(std::fmax(-32767.0, std::fmin(32767.0, v * scale)));
  return x;
}

// The far end through `h`, rounded to 16 bits.
inline std::vector<double> Echo(const std::vector<double>& x, const std::vector<double>& h) {
  std::vector<double> d(x.size());
  for (size_t n = 0; n < x.size(); ++n) {
    double acc = 0.0;
    const size_t taps = std::min(h.size(), n + 1);
    for (size_t i = 0; i < taps; ++i) acc += h[i] * x[n - i];
    d[n] = std::round(std::fmax(-32767.0, std::fmin(32767.0, acc)));
  }
  return d;
}

}  // namespace adaptive
