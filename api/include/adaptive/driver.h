// The one engine that drives a Filter over samples, for every host of the
// library (Filter::process itself, adaptsim, the Python package, the
// benchmarks): a block at once or sample by sample, optionally recording the
// coefficient history, watching for divergence, stopping between samples
// when asked, and closing a general token's loop as a diagram closes it.
//
//   adaptive::Filter filter("GenLMS_B", {{"Mu", 0.01}});
//   adaptive::Driver driver(filter, adaptive::Driver::Loop::kClosed);
//   driver.watchDivergence();
//   driver.stopWhen([&] { return stop.load(); }); // a std::atomic<bool> set elsewhere
//   size_t ran = driver.run(rows, samples, out); // rows: Input, Desired, ...
//   std::string warning = driver.takeWarning();
//
// Running a block at once and running the same samples one by one, or in
// blocks of any sizes, computes the same bits: the samples run one by one
// all the same. A driver keeps a reference to its filter, which must outlive
// it and not be moved while it lives; like the filter, it is used from one
// thread at a time (only what the stop test reads may be set from another).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "adaptive/filter.h"

namespace adaptive {

class DivergenceWatch;

class Driver {
 public:
  enum class Loop {
    // A row of inputs holds one value per input port of the token and a row
    // of outputs one per output port, in catalogue order.
    kOpen,
    // A general token (one "Input", an "Error" input and an "Output") in the
    // loop a diagram builds around it: a row of inputs holds "Input",
    // "Desired" and then the token's "Mu" and "Leakage" ports, those it has,
    // in catalogue order. "Error" is fed the previous sample's Desired minus
    // "Output" (0 at the first sample), "- de/dw" the input, and a row of
    // outputs holds the token's outputs and then "Error", this sample's
    // Desired minus "Output".
    kClosed,
  };

  // Why `token` cannot run in a closed loop, said of the loop ("closes the
  // loop around a general token ...; LMS takes its "Desired" signal
  // directly"), or "" when it can.
  static std::string closedLoopRefusal(const TokenInfo& token);
  // What a row of inputs and a row of outputs hold for `token` in `loop`,
  // known before a filter is made; for a closed loop, only where
  // closedLoopRefusal is "".
  static std::vector<std::string> inputNamesOf(const TokenInfo& token, Loop loop);
  static std::vector<std::string> outputNamesOf(const TokenInfo& token, Loop loop);

  // The role of each column of a row of inputs, as inputNamesOf names them.
  static std::vector<PortRole> columnRoles(const TokenInfo& token, Loop loop);

  // What a diagram's sources give the inputs at one sample.
  struct Sample {
    const double* signals = nullptr;  // the filter input of each channel
    double desired = 0.0;
    double stepSize = 0.0;  // on a "Mu" port
    double leakage = 1.0;   // on a "Leakage" port
  };
  // Writes `sample` as a row of inputs whose columns have the roles `roles`
  // (columnRoles): "Input …" each its channel's signal in turn, "- de/dw"
  // channel 1's, "Desired", "Mu" and "Leakage" their values, and an "Error"
  // port outside a closed loop 0.
  static void fillRow(const std::vector<PortRole>& roles, const Sample& sample, double* row);

  // Throws std::invalid_argument with closedLoopRefusal's reason when the
  // loop asked for cannot be closed around the filter's token.
  explicit Driver(Filter& filter, Loop loop = Loop::kOpen);
  ~Driver();

  Driver(const Driver&) = delete;
  Driver& operator=(const Driver&) = delete;

  // What a row of inputs and a row of outputs hold, as the loop arranges them.
  const std::vector<std::string>& inputNames() const;
  const std::vector<std::string>& outputNames() const;
  size_t inputCount() const { return inputNames().size(); }
  size_t outputCount() const { return outputNames().size(); }

  // Records the coefficients into `history` from the next sample on, as
  // Filter::process does with a history, until given another or null;
  // `history` must outlive the runs that record into it.
  void record(WeightsHistory* history) { recording = history; }
  // Watches every output row: the first time an output is not finite while
  // every input so far was, or exceeds a million times the RMS of the
  // inputs so far, takeWarning() returns a warning naming the output, the
  // sample (counted from 0 over the driver's life) and what to change.
  void watchDivergence();
  // Asks `stop` before every sample; a run stops before the first sample
  // for which it returns true (an empty function never stops). Interrupting
  // hosts give a test of a flag that a signal handler or another thread sets.
  void stopWhen(std::function<bool()> stop) { stopRequested = std::move(stop); }

  // Runs up to `samples` rows of inputs, writing as many rows of outputs;
  // returns the number run, fewer only when stopped. With a history, throws
  // what Filter::process throws for it before any sample runs. When the
  // library reports a failing run call, throws Error with its status and
  // message after the samples before it ran (samplesRun() counts them); a
  // closed filter gives std::logic_error.
  size_t run(const double* inputs, size_t samples, double* outputs);
  // One row; false when stopped before it.
  bool step(const double* inputs, double* outputs) { return run(inputs, 1, outputs) == 1; }

  // The samples this driver has run.
  int64_t samplesRun() const { return ran; }
  // The divergence warning (without a "warning:" label), once, or "".
  std::string takeWarning();

 private:
  // Feeds one row to the token through the closed loop.
  int32_t stepClosed(Filter::Instance& instance, const double* row, double* outputRow);
  // The history's next row when its interval is full.
  void countForHistory();

  Filter& filter;
  bool closed = false;
  // Closed loop: the source of each input port, a column of the row or, for
  // -1, the error fed back; the "Output" port; the outputs as a diagram
  // sees them.
  std::vector<int> portSources;
  size_t outputPort = 0;
  std::vector<std::string> inputs, outputs;
  std::vector<double> ports;
  double fedError = 0.0;

  WeightsHistory* recording = nullptr;
  std::unique_ptr<DivergenceWatch> watch;
  std::string warning;
  std::function<bool()> stopRequested;
  int64_t ran = 0;
};

}  // namespace adaptive
