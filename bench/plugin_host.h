// The benchmarks' host: the plug-in is loaded and its catalogue read by
// adaptsim's Plugin, as the simulator does it; this drives token instances through their exported
// entry points exactly as the simulator does (create once, one run call per
// sample, terminate). Nothing here is timed except HostedToken::RunSample.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bench/test_signals.h"
#include "host/records.h"
#include "adaptsim/hosting/plugin.h"

// Catalogue defaults with every filter length ("Numerator Coeffs" and its
// numbered forms) replaced so that the lengths add up to total, the first
// channels taking the remainder: 30 over three channels is 10, 10, 10.
std::vector<double> ParametersWithTotalLength(const TokenInfo& token, int total);

// One token instance with its own host records, fed from TestSignals. The
// ports are wired by their catalogue names: "Input …" and "- de/dw" get the
// input signals, "Desired" the desired signal, "Error" closes the loop with
// desired minus the token's previous output, "Mu" and "Leakage" constants.
class HostedToken {
 public:
  HostedToken(TokenEntryPoint entry, const TokenInfo& token, std::vector<double> parameters);
  ~HostedToken();
  HostedToken(const HostedToken&) = delete;
  HostedToken& operator=(const HostedToken&) = delete;

  // Creation call; returns the status and keeps the error text.
  int32_t Create();
  const std::string& createError() const { return errorMessage; }

  // One run call with the next sample of the test signals on every input.
  void RunSample() {
    const int32_t n = sample++ & (TestSignals::kLength - 1);
    for (const Wire& w : wiring) w.port->value = w.source[n];
    if (errorPort != nullptr) errorPort->value = signals.desired[n] - outputs[0].value;
    entry(&context, &record);
  }

  // Marks the reference input as skipped: run calls then only do the host
  // bookkeeping, which is how the benchmarks measure the entry overhead.
  void SkipReferenceInput(bool skip);
  double output(int port) const { return outputs[port].value; }

 private:
  // An input port fed from a signal table; constant ports are set once.
  struct Wire {
    PortRecord* port;
    const double* source;
  };

  TokenEntryPoint entry;
  TestSignals signals;
  std::vector<double> parameters;
  std::vector<PortRecord> inputs;
  std::vector<PortRecord*> inputPointers;
  std::vector<PortRecord> outputs;
  std::vector<Wire> wiring;
  PortRecord* errorPort = nullptr;
  int32_t sample = 0;
  char fileName[8] = {};  // empty: no final-weights file
  char errorText[kErrorTextCapacity + 1] = {};
  std::string errorMessage;
  SimContext context{};
  TokenRecord record{};
};
