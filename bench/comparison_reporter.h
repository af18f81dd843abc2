// Console output of Google Benchmark followed by one table of time ratios
// between pairs of benchmarks of the same run (ours against the peer library,
// fast steps against the plain expression form).
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

struct Comparison {
  std::string section;  // table heading the row belongs to
  std::string label;    // what is compared, e.g. "RLS1 / eqrls_rrrf, N = 30"
  std::string ours;     // benchmark names
  std::string theirs;
};

// Pairs registered together with the benchmarks; rows whose benchmarks did not
// both run (filtered out, or skipped) are left out of the table. With
// repetitions (best interleaved at random, so that a change in the machine's
// load hits both sides of a pair alike) the table uses the median.
std::vector<Comparison>& Comparisons();

class ComparisonReporter : public benchmark::ConsoleReporter {
 public:
  // Colours only on a terminal, so that a results file stays plain text.
  ComparisonReporter();
  void ReportRuns(const std::vector<Run>& runs) override;
  void Finalize() override;

 private:
  // CPU time per iteration of every repetition, or the median aggregate.
  std::map<std::string, std::vector<double>> nanosecondsPerIteration;
};
