#include "bench/comparison_reporter.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>

std::vector<Comparison>& Comparisons() {
  static std::vector<Comparison> list;
  return list;
}

ComparisonReporter::ComparisonReporter()
    : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}

void ComparisonReporter::ReportRuns(const std::vector<Run>& runs) {
  // Times are in the default unit, nanoseconds. A run's median aggregate,
  // when there are repetitions, replaces its single times.
  for (const Run& run : runs) {
    if (run.error_occurred || run.iterations == 0) continue;
    if (run.run_type == Run::RT_Iteration) {
      nanosecondsPerIteration[run.benchmark_name()].push_back(run.GetAdjustedCPUTime());
    } else if (run.aggregate_name == "median") {
      nanosecondsPerIteration[run.run_name.str()] = {run.GetAdjustedCPUTime()};
    }
  }
  ConsoleReporter::ReportRuns(runs);
}

void ComparisonReporter::Finalize() {
  ConsoleReporter::Finalize();
  std::map<std::string, double> median;
  for (auto& [name, times] : nanosecondsPerIteration) {
    std::sort(times.begin(), times.end());
    const size_t n = times.size();
    median[name] = n % 2 == 1 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2.0;
  }
  std::string section;
  for (const Comparison& c : Comparisons()) {
    auto ours = median.find(c.ours);
    auto theirs = median.find(c.theirs);
    if (ours == median.end() || theirs == median.end()) continue;
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
