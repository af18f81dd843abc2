// Identifies a known plant with RLS3: three independent noise inputs, each
// through a short filter of its own, summed into the desired signal. It
// prints how the coefficients converged over the first samples and the
// coefficients reached beside the plant's, and fails when they differ by more
// than 1e-6. Closing writes them to the final-weights files as well.
#include <adaptive/filter.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// The plant: four coefficients per input.
const double kPlant[3][4] = {{0.5, -0.25, 0.125, 0.0}, {-0.4, 0.3, 0.0, 0.1}, {0.2, 0.0, -0.6, 0.05}};

// Uniform samples in [-1, 1) from a 64-bit linear congruential generator:
// the same on every machine.
class Noise {
 public:
  double next() {
    state = state * 6364136223846793005u + 1442695040888963407u;
    return static_cast<double>(state >> 11) * 0x1.0p-52 - 1.0;
  }

 private:
  uint64_t state = 1;
};

}  // namespace

int main() try {
  // Parameters by their catalogue names (adaptive::tokens() lists them; any
  // letter case and one blank before a channel number will do); the others
  // take their defaults. "weights.txt" receives the final weights of each
  // channel (weights1.txt .. weights3.txt); "" writes none.
  adaptive::Filter filter("RLS3",
                          {{"Numerator Coeffs 1", 4}, {"Numerator Coeffs 2", 4}, {"Numerator Coeffs 3", 4},
                           {"Lambda", 0.999}},
                          "weights.txt");
  // One row per sample, one column per input port: Input 1, Input 2, Input 3, Desired.
  const size_t samples = 2000;
  std::vector<double> in(samples * 4);
  Noise noise;
  for (size_t n = 0; n < samples; ++n) {
    double desired = 0.0;
    for (size_t i = 0; i < 3; ++i) {
      in[n * 4 + i] = noise.next();
      for (size_t k = 0; k < 4 && k <= n; ++k) desired += kPlant[i][k] * in[(n - k) * 4 + i];
    }
    in[n * 4 + 3] = desired;
  }
  // Output, PriError, PostError per row; a size that is not whole rows throws
  // std::invalid_argument. The coefficients are recorded every 3 samples:
  // one row of 12 (channel 1's four, then channel 2's, then channel 3's).
  adaptive::WeightsHistory history(3);
  const std::vector<double> out = filter.process(in, history);
  for (size_t r = 0; r < 6; ++r) {
    double distance = 0.0, norm = 0.0;
    for (size_t j = 0; j < 12; ++j) {
      const double h = kPlant[j / 4][j % 4];
      distance += std::pow(history.data()[r * 12 + j] - h, 2);
      norm += h * h;
    }
    std::printf("after %4zu samples: misalignment %6.1f dB\n", (r + 1) * history.every(),
                10 * std::log10(distance / norm));
  }
  // The coefficients now, as the final-weights files will hold them.
  const std::vector<adaptive::ChannelWeights> found = filter.weights();
  filter.close();  // the terminate call: weights1..3.txt; throws if they cannot be written

  std::printf("input  tap      found       true\n");
  double largest = 0.0;
  for (size_t i = 0; i < 3; ++i) {
    for (size_t k = 0; k < 4; ++k) {
      std::printf("%5zu  %3zu  %+9.6f  %+9.6f\n", i + 1, k, found[i].numerator[k], kPlant[i][k]);
      largest = std::fmax(largest, std::fabs(found[i].numerator[k] - kPlant[i][k]));
    }
  }
  std::printf("largest difference: %.1e\n", largest);
  return largest <= 1e-6 ? EXIT_SUCCESS : EXIT_FAILURE;
} catch (const adaptive::Error& e) {
  // A refused creation or close: the library's status and message.
  std::fprintf(stderr, "status %d: %s\n", static_cast<int>(e.status()), e.what());
  return EXIT_FAILURE;
}
