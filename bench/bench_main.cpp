// The benchmark program: loads the plug-in, registers every group and prints
// Google Benchmark's table followed by the comparison table.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include "bench/comparison_reporter.h"
#include "bench/registration.h"

using namespace adaptive;

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  std::string error;
  static const std::unique_ptr<Plugin> plugin = Plugin::load(ADAPTIVE_PLUGIN_PATH, &error);
  if (!plugin) {
    std::fprintf(stderr, "cannot use the plug-in: %s\n", error.c_str());
    return 1;
  }
  RegisterTokenBenchmarks(*plugin);
#ifdef ADAPTIVE_EIGHT_REGISTER_PLUGIN_PATH
  static const std::unique_ptr<Plugin> proxy = Plugin::load(ADAPTIVE_EIGHT_REGISTER_PLUGIN_PATH, &error);
  if (!proxy) {
    std::fprintf(stderr, "cannot use the eight-register plug-in: %s\n", error.c_str());
    return 1;
  }
  RegisterEightRegisterBenchmarks(*proxy);
#endif
  RegisterExpressionBenchmarks(*plugin);
  RegisterPeakBenchmarks();
  RegisterFamilyBenchmarks();
#ifdef ADAPTIVE_BENCH_PEER
  RegisterPeerBenchmarks();
#endif
#ifdef ADAPTIVE_FREQUENCY_DOMAIN
  RegisterFrequencyDomainBenchmarks();
#endif
  ComparisonReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
