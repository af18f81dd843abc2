// Trials spread over worker processes. adaptsim drives the plug-in it loads as
// the simulator does, and a plug-in may keep the call in progress in
// library-wide variables, so calls into one loaded library run one at a time
// (adaptive::Library::load); threads would wait on each other. Each worker is
// therefore a process of its own (forked from this one, the library already
// loaded) and sends its results back through a pipe; a worker that crashes
// costs its trials, not the run.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "adaptsim/report/progress_bar.h"
#include "adaptsim/lab/token_rig.h"

struct TrialJob {
  int token = 0;      // caller's index of the token
  int condition = 0;  // caller's index of the experiment's condition
  uint64_t realisation = 0;
};

// Status of totals whose worker process died before reporting.
constexpr int32_t kWorkerLost = -2;

// The trials of one token under one condition, summed over realisations.
struct TrialTotals {
  int token = 0;
  int condition = 0;
  int64_t runs = 0;
  int32_t status = 0;   // first failure, 0 when none
  std::string message;  // its message
  std::vector<double> squaredErrorSum;  // per sample
  double misalignmentSum = 0.0;         // linear ratios
  int64_t divergedRuns = 0;             // realisations whose outcome says they diverged
  int64_t unsettledRuns = 0;            // ... that they did not settle
  double seconds = 0.0;
  std::vector<double> secondsPerSample;  // of each realisation, for the median
  int64_t samples = 0;
  // Final coefficients of the lowest realisation run, for plotting.
  std::vector<double> coefficients;
  uint64_t coefficientsRealisation = 0;
  bool singular = false;

  void add(const TrialOutcome& outcome, uint64_t realisation);
  void merge(const TrialTotals& other);
};

using TrialFunction = std::function<TrialOutcome(const TrialJob&)>;

// Runs every job in `workers` processes (job j in worker j mod workers, in
// job order, so the sums are the same on every run with the same worker
// count) and returns one TrialTotals per (token, condition), in the order in
// which the jobs first name them. False with the reason when no worker could
// be started; a worker that dies marks its trials with kWorkerLost.
bool RunTrialJobs(const std::vector<TrialJob>& jobs, int workers, const TrialFunction& work,
                  ProgressBar* progress, std::vector<TrialTotals>* totals, std::string* error);

// The number of processors this process may run on.
int AvailableProcessors();

// The median over the realisations of the time per sample in µs; NaN for
// fewer than kTimedRuns realisations, whose timings say too little (one short
// run may take several times as long as the next).
constexpr int64_t kTimedRuns = 3;
double MedianMicrosecondsPerSample(const std::vector<const TrialTotals*>& totals);

// The totals for (token, condition), or null.
const TrialTotals* FindTotals(const std::vector<TrialTotals>& totals, int token, int condition);
