// The host's side of one token instance: the records the simulator owns for a
// block (its system record, its token record with ports, parameters and file
// name, an error-text buffer) and the three calls of the entry protocol. This
// is the one place that builds host records: a Filter of a loaded plug-in
// (and so adaptsim and the benchmarks, through adaptive::Driver) and the
// protocol tests drive tokens through it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "adaptive/token_info.h"
#include "plugin/records.h"

namespace adaptive {

class TokenSession {
 public:
  // Ports and parameters of the given counts, parameters at `parameters`,
  // file name `fileName` ("" for none), system and input rates 1.
  // `entry` must stay valid for the session's life.
  TokenSession(TokenEntryPoint entry, size_t inputs, size_t outputs, std::vector<double> parameters,
               const std::string& fileName = "");
  // The catalogue entry's ports, default parameters and default file name.
  TokenSession(const TokenInfo& token, TokenEntryPoint entry);
  // Ends a live instance with a terminate call, as the host does when it
  // closes a diagram.
  virtual ~TokenSession();

  TokenSession(const TokenSession&) = delete;
  TokenSession& operator=(const TokenSession&) = delete;

  // Settings read by the next creation call.
  void setParameter(size_t index, double value) { parameterValues_[index] = value; }
  const std::vector<double>& parameterValues() const { return parameterValues_; }
  void setFileName(const std::string& name);
  // Rate of the system and of every input port.
  void setSampleRate(double rate);

  // The three calls of the protocol; each returns the library's status, and
  // after a nonzero one errorText() holds the library's message.
  int32_t create();
  // The creation call as a host makes it: when it fails, also the terminate
  // call that releases the half-built instance the library keeps (and closes
  // any final-weights file it opened); errorText() keeps the creation's message.
  int32_t open();
  // `inputValues` holds one value per input port, in catalogue order. The
  // sample's time is its index (counted from 0 since creation) over the rate;
  // the creation call leaves the records' times as they are.
  int32_t run(const double* inputValues) {
    for (size_t i = 0; i < inputs.size(); ++i) inputs[i].value = inputValues[i];
    return run();
  }
  // A run call with `inputValues` on the first input ports (the others keep
  // their values).
  int32_t run(const std::vector<double>& inputValues) {
    for (size_t i = 0; i < inputValues.size() && i < inputs.size(); ++i) inputs[i].value = inputValues[i];
    return run();
  }
  // A run call with the input values as they stand in the port records.
  int32_t run();
  int32_t terminate();

  // True from a creation call until the terminate call, even when the creation
  // failed: the library keeps a half-built instance that must be terminated.
  bool isLive() const { return live; }

  size_t inputCount() const { return inputs.size(); }
  size_t outputCount() const { return outputs.size(); }
  const OutputPortRecord& output(size_t port) const { return outputs[port]; }
  // The message of the last failing creation or terminate call (the buffer is
  // cleared before each and holds twice the library's 512 characters, so the
  // text always ends at a NUL).
  std::string errorText() const { return errorBuffer_.data(); }
  void clearErrorText() { std::fill(errorBuffer_.begin(), errorBuffer_.end(), '\0'); }
  // The file name as the token left it (it cuts it at the first dot).
  const char* fileName() const { return fileNameBuffer.data(); }
  int64_t samplesRun() const { return sampleIndex; }

  // The records themselves, for hosts and tests that set what a diagram sets
  // (skipped samples, differing port rates, format words) or inspect what the
  // library wrote. The port vectors' elements may change, not their sizes; the
  // error buffer holds kErrorBufferSize bytes.
  static constexpr size_t kErrorBufferSize = 1024;
  std::vector<InputPortRecord>& inputRecords() { return inputs; }
  std::vector<OutputPortRecord>& outputRecords() { return outputs; }
  const std::vector<OutputPortRecord>& outputRecords() const { return outputs; }
  SimContext& context() { return context_; }
  TokenRecord& record() { return record_; }
  char* errorBuffer() { return errorBuffer_.data(); }

 protected:
  // The call of the entry point itself; tests make it with a shifted stack.
  virtual int32_t callEntry(TokenEntryPoint entryPoint, SimContext* context, TokenRecord* record) {
    return entryPoint(context, record);
  }

 private:
  int32_t call(int32_t initFlag, int32_t terminateFlag);

  TokenEntryPoint entry;
  std::vector<double> parameterValues_;
  std::vector<char> fileNameBuffer;
  std::vector<char> errorBuffer_;
  std::vector<InputPortRecord> inputs;
  std::vector<InputPortRecord*> inputPointers;
  std::vector<OutputPortRecord> outputs;
  SimContext context_{};
  TokenRecord record_{};
  double sampleRate = 1.0;
  int64_t sampleIndex = 0;
  bool live = false;
};

}  // namespace adaptive
