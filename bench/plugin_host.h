// The benchmarks' host: the plug-in is loaded and its catalogue read by
// adaptsim's Plugin, as the simulator does it; token instances are driven
// through their exported entry points by the C++ interface's record builder,
// exactly as the simulator does (create once, one run call per sample,
// terminate). Nothing here is timed except SignalFedToken::RunSample.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "adaptsim/hosting/plugin.h"
#include "api/token_session.h"
#include "bench/test_signals.h"
#include "plugin/records.h"

namespace adaptive {

// Catalogue defaults with every filter length replaced so that the lengths add up to total, the first
// channels taking the remainder: 30 over three channels is 10, 10, 10.
std::vector<double> ParametersWithTotalLength(const TokenInfo& token, int total);

// A token session fed from TestSignals as a diagram feeds it: "Input …" and
// "- de/dw" get the input signals, "Desired" the desired signal, "Error"
// closes the loop with desired minus the token's previous output, "Mu" and
// "Leakage" constants.
class SignalFedToken {
 public:
  SignalFedToken(TokenEntryPoint entry, const TokenInfo& token, std::vector<double> parameters);

  // Creation call; returns the status and keeps the error text.
  int32_t Create();
  const std::string& createError() const { return errorMessage; }

  // One run call with the next sample of the test signals on every input.
  void RunSample() {
    const int32_t n = sample++ & (TestSignals::kLength - 1);
    const double inputs[3] = {signals.input[0][n], signals.input[1][n], signals.input[2][n]};
    feed.signals = inputs;
    feed.desired = signals.desired[n];
    feed.error = signals.desired[n] - session.output(0).value;
    FeedInputPorts(roles, feed, ports.data());
    session.run(ports.data());
  }

  // Marks the reference input as skipped: run calls then only do the host
  // bookkeeping, which is how the benchmarks measure the entry overhead.
  void SkipReferenceInput(bool skip);
  double output(int port) const { return session.output(static_cast<size_t>(port)).value; }

 private:
  TestSignals signals;
  TokenSession session;  // no final-weights file
  std::vector<PortRole> roles;
  std::vector<double> ports;
  DiagramSample feed;
  int32_t sample = 0;
  std::string errorMessage;
};

}  // namespace adaptive
