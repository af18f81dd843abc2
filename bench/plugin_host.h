// The benchmarks' host: loads the built plug-in at run time, reads the
// catalogue through USERCODE and drives token instances through their exported
// entry points exactly as the simulator does (create once, one run call per
// sample, terminate). Nothing here is timed except HostedToken::RunSample.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bench/test_signals.h"
#include "host/records.h"

// One catalogue entry, copied out of the host records that USERCODE filled.
struct TokenDescription {
  std::string name;
  std::vector<std::string> inputNames;
  int outputCount = 0;
  std::vector<std::string> parameterNames;
  std::vector<double> defaults;
};

class Plugin {
 public:
  // Loads the plug-in built beside the benchmarks; ok() tells whether it and
  // USERCODE were found (error() says why not).
  Plugin();
  ~Plugin();
  Plugin(const Plugin&) = delete;
  Plugin& operator=(const Plugin&) = delete;

  bool ok() const { return handle != nullptr && !catalogue.empty(); }
  const std::string& error() const { return problem; }
  // Catalogue entries in catalogue order, and an entry's exported function
  // (null for a token whose family has not been built into the plug-in).
  const std::vector<TokenDescription>& tokens() const { return catalogue; }
  const TokenDescription* find(const std::string& name) const;
  TokenEntryPoint entry(const std::string& name) const;

 private:
  void* handle = nullptr;
  std::string problem;
  std::vector<TokenDescription> catalogue;
};

// Catalogue defaults with every filter length ("Numerator Coeffs" and its
// numbered forms) replaced so that the lengths add up to total, the first
// channels taking the remainder: 30 over three channels is 10, 10, 10.
std::vector<double> ParametersWithTotalLength(const TokenDescription& token, int total);

// One token instance with its own host records, fed from TestSignals. The
// ports are wired by their catalogue names: "Input …" and "- de/dw" get the
// input signals, "Desired" the desired signal, "Error" closes the loop with
// desired minus the token's previous output, "Mu" and "Leakage" constants.
class HostedToken {
 public:
  HostedToken(TokenEntryPoint entry, const TokenDescription& token, std::vector<double> parameters);
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
