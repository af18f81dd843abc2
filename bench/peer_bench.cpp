// The peer library's real-valued equalisers, timed per sample with the same
// protocol as its own examples: push the input, compute the output, train on
// the desired value. Built only when the peer library is installed.
#include <benchmark/benchmark.h>

#include <liquid/liquid.h>

#include <memory>
#include <string>
#include <vector>

#include "bench/comparison_reporter.h"
#include "bench/registration.h"
#include "bench/test_signals.h"

namespace adaptive {

namespace {

template <class Object, Object (*Create)(float*, unsigned int), int (*Destroy)(Object),
          int (*Push)(Object, float), int (*Execute)(Object, float*), int (*Train)(Object, float, float)>
void TimeEqualiser(benchmark::State& state, int length) {
  const auto signals = std::make_unique<TestSignals>();
  std::vector<float> x(TestSignals::kLength), d(TestSignals::kLength);
  for (int32_t n = 0; n < TestSignals::kLength; ++n) {
    x[n] = static_cast<float>(signals->input[0][n]);
    d[n] = static_cast<float>(signals->desired[n]);
  }
  Object q = Create(nullptr, static_cast<unsigned int>(length));
  int32_t n = 0;
  float y = 0.0f;
  for (auto _ : state) {
    Push(q, x[n]);
    Execute(q, &y);
    Train(q, d[n], y);
    n = (n + 1) & (TestSignals::kLength - 1);
  }
  benchmark::DoNotOptimize(y);
  Destroy(q);
}

void TimeLms(benchmark::State& state, int length) {
  TimeEqualiser<eqlms_rrrf, eqlms_rrrf_create, eqlms_rrrf_destroy, eqlms_rrrf_push, eqlms_rrrf_execute,
                eqlms_rrrf_step>(state, length);
}

void TimeRls(benchmark::State& state, int length) {
  TimeEqualiser<eqrls_rrrf, eqrls_rrrf_create, eqrls_rrrf_destroy, eqrls_rrrf_push, eqrls_rrrf_execute,
                eqrls_rrrf_step>(state, length);
}

}  // namespace

void RegisterPeerBenchmarks() {
  const std::string section = "Ours (double, through the entry point) against the peer library (single precision)";
  for (int n : kLengths) {
    const std::string lms = "Peer/eqlms_rrrf/" + std::to_string(n);
    const std::string rls = "Peer/eqrls_rrrf/" + std::to_string(n);
    benchmark::RegisterBenchmark(lms.c_str(), TimeLms, n);
    benchmark::RegisterBenchmark(rls.c_str(), TimeRls, n);
    const std::string at = ", N = " + std::to_string(n);
    for (const char* ours : {"NLMS", "LMS"})
      Comparisons().push_back({section, std::string(ours) + " / eqlms_rrrf" + at, LengthBenchmarkName(ours, n), lms});
    for (const char* ours : {"RLS1", "RLS3", "NEW3"})
      Comparisons().push_back({section, std::string(ours) + " / eqrls_rrrf" + at, LengthBenchmarkName(ours, n), rls});
  }
}

}  // namespace adaptive
