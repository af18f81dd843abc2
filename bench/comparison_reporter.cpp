#include "bench/comparison_reporter.h"

#include <unistd.h>

#include <cstdio>

std::vector<Comparison>& Comparisons() {
  static std::vector<Comparison> list;
  return list;
}

ComparisonReporter::ComparisonReporter()
    : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}

void ComparisonReporter::ReportRuns(const std::vector<Run>& runs) {
  for (const Run& run : runs) {
    if (run.error_occurred || run.iterations == 0 || run.run_type != Run::RT_Iteration) continue;
    nanosecondsPerIteration[run.benchmark_name()] = run.cpu_accumulated_time * 1e9 / run.iterations;
  }
  ConsoleReporter::ReportRuns(runs);
}

void ComparisonReporter::Finalize() {
  ConsoleReporter::Finalize();
  std::string section;
  for (const Comparison& c : Comparisons()) {
    auto ours = nanosecondsPerIteration.find(c.ours);
    auto theirs = nanosecondsPerIteration.find(c.theirs);
    if (ours == nanosecondsPerIteration.end() || theirs == nanosecondsPerIteration.end()) continue;
    if (c.section != section) {
      section = c.section;
      std::printf("\n%s\n%-40s %12s %12s %12s %9s\n", section.c_str(), "", "ours ns", "theirs ns",
                  "ours/theirs", "speed-up");
    }
    std::printf("%-40s %12.1f %12.1f %12.3f %8.2fx\n", c.label.c_str(), ours->second, theirs->second,
                ours->second / theirs->second, theirs->second / ours->second);
  }
  std::fflush(stdout);
}
