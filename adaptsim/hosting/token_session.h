// One token instance driven the way the host drives it: the host records built
// from the catalogue entry, one creation call, one run call per sample and one
// terminate call.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/records.h"
#include "adaptsim/hosting/plugin.h"

class TokenSession {
 public:
  // The parameters start at the catalogue defaults and the file name at the
  // catalogue's default name. `entry` must stay valid for the session's life.
  TokenSession(const TokenInfo& token, TokenEntryPoint entry);
  // Ends a live instance with a terminate call, as the host does when it
  // closes a diagram.
  ~TokenSession();

  TokenSession(const TokenSession&) = delete;
  TokenSession& operator=(const TokenSession&) = delete;

  // Settings read by the next creation call.
  void setParameter(size_t index, double value) { parameters[index] = value; }
  const std::vector<double>& parameterValues() const { return parameters; }
  void setFileName(const std::string& name);
  // Rate of the system and of every input port; must be positive.
  void setSampleRate(double rate);

  // The three calls of the protocol; each returns the library's status, and
  // after a nonzero one errorText() holds the library's message.
  int32_t create();
  // `inputValues` holds one value per input port, in catalogue order. The
  // sample's time is its index (counted from 0 since creation) over the rate.
  int32_t run(const double* inputValues);
  int32_t terminate();

  // True from a creation call until the terminate call, even when the creation
  // failed: the library keeps a half-built instance that must be terminated.
  bool isLive() const { return live; }

  size_t inputCount() const { return inputs.size(); }
  size_t outputCount() const { return outputs.size(); }
  const OutputPortRecord& output(size_t port) const { return outputs[port]; }
  const char* errorText() const { return errorBuffer.data(); }
  // The file name as the token left it (it cuts it at the first dot).
  const char* fileName() const { return fileNameBuffer.data(); }
  int64_t samplesRun() const { return sampleIndex; }

 private:
  int32_t call(int32_t initFlag, int32_t terminateFlag);
  void stampTime(double time);

  TokenEntryPoint entry;
  std::vector<double> parameters;
  std::vector<char> fileNameBuffer;
  std::vector<char> errorBuffer;
  std::vector<InputPortRecord> inputs;
  std::vector<InputPortRecord*> inputPointers;
  std::vector<OutputPortRecord> outputs;
  SimContext context{};
  TokenRecord record{};
  double sampleRate = 1.0;
  int64_t sampleIndex = 0;
  bool live = false;
};
