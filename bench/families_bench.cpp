// Family/...: the families beyond the plug-in's catalogue through the linked
// library's adaptive::Filter, one sample per iteration, beside NLMS at the
// same lengths: AP at orders 1 to 16, IPNLMS and the sign family. The
// comparison table gives AP's cost at K = 8 over K = 4, which stays near 2
// (its cost grows as N·K, not N·K²).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "adaptive/filter.h"
#include "bench/comparison_reporter.h"
#include "bench/registration.h"

namespace adaptive {

namespace {

constexpr size_t kSamples = 4096;  // the inputs cycle through this many samples

// Unit-power white noise and its image through a short FIR system, row-major.
const std::vector<double>& Inputs() {
  static const std::vector<double> rows = [] {
    std::vector<double> r(2 * kSamples);
    uint32_t seed = 35;
    double past[3] = {};
    for (size_t n = 0; n < kSamples; ++n) {
      seed = seed * 1664525u + 1013904223u;
      const double x = 1.7320508 * (static_cast<double>(seed >> 8) / 8388608.0 - 1.0);
      r[2 * n] = x;
      r[2 * n + 1] = 0.5 * x + 0.3 * past[0] - 0.2 * past[1] + 0.1 * past[2];
      past[2] = past[1];
      past[1] = past[0];
      past[0] = x;
    }
    return r;
  }();
  return rows;
}

std::string FamilyName(const std::string& label, int length) { return "Family/" + label + "/" + std::to_string(length); }

void Register(const std::string& label, const std::string& token, Filter::Parameters parameters, int length) {
  parameters.emplace_back("Numerator Coeffs", length);
  benchmark::RegisterBenchmark(FamilyName(label, length).c_str(), [token, parameters](benchmark::State& state) {
    Filter filter(token, parameters);
    const double* in = Inputs().data();
    double out[3];
    size_t n = 0;
    for (auto _ : state) {
      filter.stepUnchecked(in + 2 * n, out);
      benchmark::DoNotOptimize(out);
      if (++n == kSamples) n = 0;
    }
  });
}

}  // namespace

void RegisterFamilyBenchmarks() {
  const std::string section = "Affine projection: cost at K = 8 over K = 4 (N·K: about 2; at most 2.5)";
  for (int length : {256, 1024}) {
    for (int order : {1, 2, 4, 8, 16})
      Register("AP-K" + std::to_string(order), "AP", {{"Projection Order", order}}, length);
    Comparisons().push_back({section, "AP, N = " + std::to_string(length), FamilyName("AP-K8", length),
                             FamilyName("AP-K4", length)});
  }
  for (int length : {32, 256, 1024}) {
    for (const char* token : {"NLMS", "IPNLMS", "SELMS", "SDLMS", "SSLMS"}) Register(token, token, {}, length);
  }
}

}  // namespace adaptive
