// The benchmarks' host: the plug-in is loaded and its catalogue read by
// adaptsim's Plugin, as the simulator does it; its tokens are filters driven
// by the C++ interface's one driver through their exported entry points and
// the host's records, exactly as the simulator calls them (create once, one
// run call per sample, terminate). Nothing here is timed except the
// RunSample calls.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "adaptive/driver.h"
#include "adaptsim/hosting/plugin.h"
#include "api/token_session.h"
#include "bench/test_signals.h"

namespace adaptive {

// Catalogue defaults with every filter length replaced so that the lengths add up to total, the first
// channels taking the remainder: 30 over three channels is 10, 10, 10.
std::vector<double> ParametersWithTotalLength(const TokenInfo& token, int total);

// A filter fed from TestSignals as a diagram feeds it: a general token in
// its closed loop ("Error" gets the previous desired sample minus its
// "Output", "- de/dw" the input), any other token with "Input …" the input
// signals and "Desired" the desired signal; "Mu" and "Leakage" ports get
// constants.
class SignalFedToken {
 public:
  SignalFedToken(const Library& library, const TokenInfo& token, std::vector<double> parameters);

  // Creation; returns the status and keeps the error text.
  int32_t Create();
  const std::string& createError() const { return errorMessage; }

  // One run call with the next sample of the test signals.
  void runSample() {
    const size_t n = static_cast<size_t>(sample++ & (TestSignals::kLength - 1));
    driver->step(&rows[n * columns], outputs.data());
  }

  double output(int port) const { return outputs[static_cast<size_t>(port)]; }

 private:
  Library library;
  const TokenInfo& token;
  std::vector<double> parameters;
  Driver::Loop loop;
  std::vector<double> rows;  // TestSignals::kLength rows of inputs, as the driver takes them
  size_t columns;
  std::vector<double> outputs;
  std::unique_ptr<Filter> filter;  // no final-weights file
  std::unique_ptr<Driver> driver;
  int32_t sample = 0;
  std::string errorMessage;
};

// A token instance whose reference input is marked skipped: its run calls
// do only the host bookkeeping (dispatch, the host's records, port timing),
// which is how the benchmarks measure the entry overhead.
class SkippedSampleToken {
 public:
  SkippedSampleToken(TokenEntryPoint entry, const TokenInfo& token);
  int32_t Create() { return session.open(); }
  void runSample() { session.run(); }

 private:
  TokenSession session;
};

}  // namespace adaptive
