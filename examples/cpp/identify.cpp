// Identifies a known plant with RLS3: three independent noise inputs, each
// through a short filter of its own, summed into the desired signal. The
// coefficients the filter reached are read back from its final-weights files
// and printed beside the plant's; the program fails when they differ by more
// than 1e-6.
#include <adaptive/filter.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
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

// The first `count` numerator coefficients of a final-weights file (a line
// "Numerator Coefficients =N", then N values); empty when it holds fewer.
std::vector<double> ReadNumerator(const std::string& path, size_t count) {
  std::ifstream file(path);
  std::string header;
  std::vector<double> values(count);
  if (!std::getline(file, header) || header.rfind("Numerator Coefficients =", 0) != 0) return {};
  for (double& v : values)
    if (!(file >> v)) return {};
  return values;
}

}  // namespace

int main() try {
  // Parameters by their exact catalogue names (adaptive::tokens() lists them);
  // the others take their defaults. "weights.txt" receives the final weights
  // of each channel (weights1.txt .. weights3.txt); "" writes none.
  adaptive::Filter filter("RLS3",
                          {{"Numerator Coeffs  1", 4}, {"Numerator Coeffs  2", 4}, {"Numerator Coeffs  3", 4},
                           {"Lambda", 0.999}},
                          "weights.txt");
  // One row per sample, one column per input port: Input 1, Input 2, Input 3, Desired.
  const size_t samples = 2000;
  std::vector<double> in(samples * 4), out(samples * filter.outputCount());
  Noise noise;
  for (size_t n = 0; n < samples; ++n) {
    double desired = 0.0;
    for (size_t i = 0; i < 3; ++i) {
      in[n * 4 + i] = noise.next();
      for (size_t k = 0; k < 4 && k <= n; ++k) desired += kPlant[i][k] * in[(n - k) * 4 + i];
    }
    in[n * 4 + 3] = desired;
  }
  filter.process(in.data(), samples, out.data());  // Output, PriError, PostError per row
  filter.close();                                   // the terminate call: weights1..3.txt

  std::printf("input  tap      found       true\n");
  double largest = 0.0;
  for (int i = 0; i < 3; ++i) {
    const std::string name = "weights" + std::to_string(i + 1) + ".txt";
    const std::vector<double> found = ReadNumerator(name, 4);
    if (found.empty()) {
      std::fprintf(stderr, "%s does not hold 4 coefficients\n", name.c_str());
      return EXIT_FAILURE;
    }
    for (size_t k = 0; k < 4; ++k) {
      std::printf("%5d  %3zu  %+9.6f  %+9.6f\n", i + 1, k, found[k], kPlant[i][k]);
      largest = std::fmax(largest, std::fabs(found[k] - kPlant[i][k]));
    }
  }
  std::printf("largest difference: %.1e\n", largest);
  return largest <= 1e-6 ? EXIT_SUCCESS : EXIT_FAILURE;
} catch (const adaptive::Error& e) {
  // A refused creation or close: the library's status and message.
  std::fprintf(stderr, "status %d: %s\n", static_cast<int>(e.status()), e.what());
  return EXIT_FAILURE;
}
