// The benchmark program: loads the plug-in, registers every group and prints
// Google Benchmark's table followed by the comparison table.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "bench/comparison_reporter.h"
#include "bench/registration.h"

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  static Plugin plugin;
  if (!plugin.ok()) {
    std::fprintf(stderr, "cannot use the plug-in %s: %s\n", ADAPTIVE_PLUGIN_PATH, plugin.error().c_str());
    return 1;
  }
  RegisterTokenBenchmarks(plugin);
  RegisterExpressionBenchmarks(plugin);
#ifdef ADAPTIVE_BENCH_PEER
  RegisterPeerBenchmarks();
#endif
  ComparisonReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
