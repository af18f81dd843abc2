// Independent filters on one and on two threads: each thread drives a filter
// of its own through the C++ interface over the linked library, and the
// throughput (samples per second over all threads, wall-clock time) of two
// threads is compared with that of one. On a machine with two idle cores the
// ratio approaches 2. It is printed, never checked: timing depends on the
// machine's load; the ratio of a plain arithmetic loop that touches no filter
// is printed beside them, as what the machine allows at the time.
//   build/bench/adaptive_parallel_bench [Google Benchmark options]
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "adaptive/filter.h"

namespace adaptive {

namespace {

constexpr size_t kBlock = 2048;

struct Case {
  const char* label;
  const char* token;
  Filter::Parameters parameters;
};

const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = {
      {"RLS3, N = 30", "RLS3", {{"Numerator Coeffs  1", 10}, {"Numerator Coeffs  2", 10}, {"Numerator Coeffs  3", 10}}},
      {"NLMS, N = 32", "NLMS", {{"Numerator Coeffs", 32}}},
  };
  return cases;
}

void ProcessBlocks(benchmark::State& state, const Case& c) {
  Filter filter(c.token, c.parameters);
  std::vector<double> in(kBlock * filter.inputCount());
  uint32_t seed = 7u + static_cast<uint32_t>(state.thread_index());
  for (double& v : in) {
    seed = seed * 1664525u + 1013904223u;
    v = static_cast<double>(seed >> 8) / 8388608.0 - 1.0;
  }
  std::vector<double> out(kBlock * filter.outputCount());
  for (auto _ : state) {
    filter.processUnchecked(in.data(), kBlock, out.data());
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kBlock));
}

// The machine's own ratio: a dependent chain of additions, as many per
// iteration as a block, on each thread.
void PlainLoop(benchmark::State& state) {
  double x = 0.0;
  for (auto _ : state) {
    for (size_t k = 0; k < kBlock * 64; ++k) x = x + 1e-9;
    benchmark::DoNotOptimize(x);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kBlock));
}

// The console table, and the samples per second of each run by name.
class ThroughputReporter : public benchmark::ConsoleReporter {
 public:
  ThroughputReporter() : ConsoleReporter(OO_Tabular) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      const auto rate = run.counters.find("items_per_second");
      if (rate != run.counters.end()) samplesPerSecond[run.benchmark_name()] = rate->second;
    }
  }
  std::map<std::string, double> samplesPerSecond;
};

}  // namespace

}  // namespace adaptive

int main(int argc, char** argv) {
  using namespace adaptive;
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  for (const Case& c : Cases()) {
    benchmark::RegisterBenchmark((std::string("Parallel/") + c.token).c_str(), ProcessBlocks, c)
        ->Threads(1)
        ->Threads(2)
        ->UseRealTime();
  }
  benchmark::RegisterBenchmark("Parallel/PlainLoop", PlainLoop)->Threads(1)->Threads(2)->UseRealTime();
  ThroughputReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  std::printf("\nthroughput of 2 threads over 1 thread (independent filters):\n");
  std::vector<std::pair<std::string, std::string>> rows;
  for (const Case& c : Cases()) rows.emplace_back(c.label, c.token);
  rows.emplace_back("plain loop", "PlainLoop");
  for (const auto& [label, token] : rows) {
    const std::string name = "Parallel/" + token + "/real_time/threads:";
    const auto one = reporter.samplesPerSecond.find(name + "1");
    const auto two = reporter.samplesPerSecond.find(name + "2");
    if (one == reporter.samplesPerSecond.end() || two == reporter.samplesPerSecond.end()) continue;
    std::printf("  %-14s %.2fx  (%.3g -> %.3g per second)\n", label.c_str(), two->second / one->second, one->second,
                two->second);
  }
  return 0;
}
