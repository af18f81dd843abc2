// The benchmarks' host: the plug-in is loaded and its catalogue read by
// adaptsim's Plugin, as the simulator does it; token instances are driven
// through their exported entry points by the C++ interface's record builder,
// exactly as the simulator does (create once, one run call per sample,
// terminate). Nothing here is timed except HostedToken::RunSample.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "adaptsim/hosting/plugin.h"
#include "api/host_session.h"
#include "bench/test_signals.h"
#include "host/records.h"

namespace adaptive {

// Catalogue defaults with every filter length replaced so that the lengths add up to total, the first
// channels taking the remainder: 30 over three channels is 10, 10, 10.
std::vector<double> ParametersWithTotalLength(const TokenInfo& token, int total);

// One token instance with its own host records, fed from TestSignals. The
// ports are wired by their catalogue names: "Input …" and "- de/dw" get the
// input signals, "Desired" the desired signal, "Error" closes the loop with
// desired minus the token's previous output, "Mu" and "Leakage" constants.
class HostedToken {
 public:
  HostedToken(TokenEntryPoint entry, const TokenInfo& token, std::vector<double> parameters);

  // Creation call; returns the status and keeps the error text.
  int32_t Create();
  const std::string& createError() const { return errorMessage; }

  // One run call with the next sample of the test signals on every input.
  void RunSample() {
    const int32_t n = sample++ & (TestSignals::kLength - 1);
    for (const Wire& w : wiring) w.port->value = w.source[n];
    if (errorPort != nullptr) errorPort->value = signals.desired[n] - session.output(0).value;
    session.run();
  }

  // Marks the reference input as skipped: run calls then only do the host
  // bookkeeping, which is how the benchmarks measure the entry overhead.
  void SkipReferenceInput(bool skip);
  double output(int port) const { return session.output(static_cast<size_t>(port)).value; }

 private:
  // An input port fed from a signal table; constant ports are set once.
  struct Wire {
    PortRecord* port;
    const double* source;
  };

  TestSignals signals;
  adaptive::HostSession session;  // no final-weights file
  std::vector<Wire> wiring;
  PortRecord* errorPort = nullptr;
  int32_t sample = 0;
  std::string errorMessage;
};

}  // namespace adaptive
