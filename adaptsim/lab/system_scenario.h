// The system-identification scenario of the demo: an unknown plant (FIR per
// input channel, optionally with a recursive part), driven by white or
// coloured noise, observed with measurement noise at a chosen SNR.
#pragma once

#include <cstdint>
#include <vector>

struct ScenarioSettings {
  int64_t samples = 4000;
  double snrDb = 40.0;  // +inf: no measurement noise
  int taps = 8;         // numerator coefficients per channel
  uint64_t seed = 1;
  bool coloured = false;  // first-order autoregressive input instead of white
};

// Largest values the demo accepts, so that every size below stays small.
constexpr int kMaxDemoTaps = 64;
constexpr int64_t kMaxDemoSamples = 10000000;

// y(n) = sum_c sum_i numerators[c][i] x_c(n-i) + sum_j feedback[j] y(n-1-j)
struct Plant {
  std::vector<std::vector<double>> numerators;  // one per channel
  std::vector<double> feedback;                 // empty for an FIR plant

  // All coefficients in the order the tokens hold them: channel 1's
  // numerator, channel 2's..., then the feedback coefficients.
  std::vector<double> stacked() const;
};

// The plant of the seed: the same for every realisation. Each channel gets a
// random impulse response (decaying, unless recursive); the numerators
// together have unit energy. A recursive plant adds two feedback
// coefficients, poles at 0.3 +- 0.33j, well inside the unit circle.
Plant MakePlant(const ScenarioSettings& settings, int channels, bool recursive);

struct Signals {
  std::vector<std::vector<double>> inputs;  // one per plant channel
  std::vector<double> desired;              // plant output plus noise
  double noiseVariance = 0.0;
};

// Realisation `realisation` of the scenario: inputs and noise change with it,
// the plant does not.
Signals MakeSignals(const ScenarioSettings& settings, const Plant& plant, uint64_t realisation);

// 10 log10 of |estimate - truth|^2 / |truth|^2; NaN when the sizes differ.
double MisalignmentDb(const std::vector<double>& estimate, const std::vector<double>& truth);
