#include <adaptive/filter.h>

#include <cstdio>
#include <vector>

int main() {
  // Parameters by their exact catalogue names (adaptive::tokens() lists them);
  // the others take their defaults. "weights.txt" receives the final weights
  // of each channel (weights1.txt .. weights3.txt); "" writes none.
  adaptive::Filter filter("RLS3", {{"Numerator Coeffs  1", 8}, {"Lambda", 0.99}}, "weights.txt");
  // One row per sample, one column per input port: Input 1, Input 2, Input 3, Desired.
  std::vector<double> in(1000 * 4), out(1000 * filter.outputCount());
  for (size_t n = 0; n < 1000; ++n) {
    for (size_t i = 0; i < 3; ++i) in[n * 4 + i] = ((n * 7 + i * 3) % 11) / 5.0 - 1.0;
    in[n * 4 + 3] = 0.5 * in[n * 4] - 0.25 * in[n * 4 + 1];
  }
  filter.process(in.data(), 1000, out.data());  // Output, PriError, PostError per row
  filter.close();                                // the terminate call: weights1..3.txt
  std::printf("last a-priori error: %g\n", out[999 * 3 + 1]);
}
