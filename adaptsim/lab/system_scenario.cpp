#include "adaptsim/lab/system_scenario.h"

#include <cmath>
#include <complex>
#include <limits>

#include "adaptsim/lab/random_source.h"

namespace {

// Separate random streams, so that e.g. the noise never shifts the input.
constexpr uint64_t kPlantStream = 1;
constexpr uint64_t kInputStream = 2;  // + channel
constexpr uint64_t kNoiseStream = 16;

// Pole of the coloured input: x(n) = a x(n-1) + sqrt(1 - a^2) w(n) keeps unit
// variance while spreading the eigenvalues of the input correlation.
constexpr double kColourPole = 0.9;

// How far a numerator stays from cancelling the recursive plant's pole
// p = 0.3 + 0.33j: |B(p)| over its largest value for a numerator of the same
// energy, |B(p)| / (|h| |(p^-i)|), from 0 (a zero at p) to 1.
constexpr double kMinPoleSeparation = 0.5;
constexpr int kMaxPlantDraws = 100;

double PoleSeparation(const std::vector<double>& h) {
  const std::complex<double> inversePole = 1.0 / std::complex<double>(0.3, 0.33);
  std::complex<double> value = 0.0, power = 1.0;
  double hEnergy = 0.0, pEnergy = 0.0;
  for (double coefficient : h) {
    value += coefficient * power;
    hEnergy += coefficient * coefficient;
    pEnergy += std::norm(power);
    power *= inversePole;
  }
  return std::abs(value) / std::sqrt(hEnergy * pEnergy);
}

uint64_t StreamOf(uint64_t stream, uint64_t realisation) { return realisation * 64 + stream; }

std::vector<double> MakeInput(const ScenarioSettings& settings, int channel, uint64_t realisation) {
  RandomSource random(settings.seed, StreamOf(kInputStream + static_cast<uint64_t>(channel), realisation));
  std::vector<double> x(static_cast<size_t>(settings.samples));
  double previous = random.gaussian();  // start in the stationary state
  const double innovation = std::sqrt(1.0 - kColourPole * kColourPole);
  for (double& value : x) {
    if (settings.coloured) {
      previous = kColourPole * previous + innovation * random.gaussian();
      value = previous;
    } else {
      value = random.gaussian();
    }
  }
  return x;
}

}  // namespace

std::vector<double> Plant::stacked() const {
  std::vector<double> all;
  for (const std::vector<double>& channel : numerators) all.insert(all.end(), channel.begin(), channel.end());
  all.insert(all.end(), feedback.begin(), feedback.end());
  return all;
}

Plant MakePlant(const ScenarioSettings& settings, int channels, bool recursive) {
  RandomSource random(settings.seed, kPlantStream);
  Plant plant;
  // 1 - 0.6 z^-1 + 0.2 z^-2: poles 0.3 +- 0.33j (radius 0.45).
  if (recursive) plant.feedback = {0.6, -0.2};
  // A recursive plant gets a flat envelope: the feedback is identifiable
  // only through the part of the output that the numerator's window cannot
  // explain, and a numerator that has died out by its last taps leaves too
  // little of it (the output-error adaptation of the feedback then crawls).
  const double decay = recursive ? 1.0 : 0.8;
  for (int attempt = 0;; ++attempt) {
    plant.numerators.clear();
    double energy = 0.0;
    for (int c = 0; c < channels; ++c) {
      std::vector<double> h(static_cast<size_t>(settings.taps));
      double envelope = 1.0;
      for (double& value : h) {
        value = envelope * random.gaussian();
        energy += value * value;
        envelope *= decay;
      }
      plant.numerators.push_back(h);
    }
    const double scale = energy > 0.0 ? 1.0 / std::sqrt(energy) : 1.0;
    for (std::vector<double>& h : plant.numerators) {
      for (double& value : h) value *= scale;
    }
    // A numerator zero close to a pole nearly cancels it, and the feedback
    // can then hardly be told from the numerator: draw again.
    if (!recursive || attempt == kMaxPlantDraws || PoleSeparation(plant.numerators[0]) >= kMinPoleSeparation) {
      return plant;
    }
  }
}

Signals MakeSignals(const ScenarioSettings& settings, const Plant& plant, uint64_t realisation) {
  Signals signals;
  const size_t n = static_cast<size_t>(settings.samples);
  for (size_t c = 0; c < plant.numerators.size(); ++c) {
    signals.inputs.push_back(MakeInput(settings, static_cast<int>(c), realisation));
  }
  std::vector<double> clean(n, 0.0);
  double power = 0.0;
  for (size_t k = 0; k < n; ++k) {
    double y = 0.0;
    for (size_t c = 0; c < plant.numerators.size(); ++c) {
      const std::vector<double>& h = plant.numerators[c];
      for (size_t i = 0; i < h.size() && i <= k; ++i) y += h[i] * signals.inputs[c][k - i];
    }
    for (size_t j = 0; j < plant.feedback.size() && j < k; ++j) y += plant.feedback[j] * clean[k - 1 - j];
    clean[k] = y;
    power += y * y;
  }
  power = n > 0 ? power / static_cast<double>(n) : 0.0;
  signals.noiseVariance = std::isinf(settings.snrDb) && settings.snrDb > 0
                              ? 0.0
                              : power / std::pow(10.0, settings.snrDb / 10.0);
  const double deviation = std::sqrt(signals.noiseVariance);
  RandomSource noise(settings.seed, StreamOf(kNoiseStream, realisation));
  signals.desired = clean;
  if (deviation > 0.0) {
    for (double& d : signals.desired) d += deviation * noise.gaussian();
  }
  return signals;
}

double MisalignmentDb(const std::vector<double>& estimate, const std::vector<double>& truth) {
  if (estimate.size() != truth.size()) return std::numeric_limits<double>::quiet_NaN();
  double error = 0.0, reference = 0.0;
  for (size_t i = 0; i < truth.size(); ++i) {
    const double difference = estimate[i] - truth[i];
    error += difference * difference;
    reference += truth[i] * truth[i];
  }
  return 10.0 * std::log10(error / reference);
}
