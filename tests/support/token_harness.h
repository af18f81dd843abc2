// The tests' host: the records of one token instance and the three calls of the
// entry protocol, from the C++ interface's record builder, with the records in
// reach so that tests can set what a diagram sets (rates, skip marks, format
// words) and see what the library wrote. System and port rates are 1000.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "api/token_session.h"
#include "host/records.h"
#include "tests/support/stack_offset_call.h"

namespace adaptive {

class TokenHarness : public adaptive::TokenSession {
 public:
  // `inputs` and `outputs` are the token's port counts; `parameters` its values
  // in catalogue order; `fileName` the final-weights name ("" for none).
  TokenHarness(TokenEntryPoint entry, int inputs, int outputs, std::vector<double> parameters,
               const std::string& fileName = "")
      : TokenSession(entry, static_cast<size_t>(inputs), static_cast<size_t>(outputs), std::move(parameters),
                    fileName),
        context(TokenSession::context()),
        record(TokenSession::record()),
        inputPorts(inputRecords()),
        outputPorts(outputRecords()) {
    setSampleRate(1000.0);
  }

  // The terminate call of a live instance, with the harness's stack offset.
  ~TokenHarness() override {
    if (isLive()) terminate();
  }

  int Create() { return create(); }
  int Terminate() { return terminate(); }
  // One run call with these input values (in port order; missing ones keep
  // the value they had).
  int Run(const std::vector<double>& values) {
    for (size_t i = 0; i < values.size() && i < inputPorts.size(); ++i) inputPorts[i].value = values[i];
    return run();
  }

  void SetFileName(const std::string& name) { setFileName(name); }
  double Output(int port) const { return output(static_cast<size_t>(port)).value; }
  std::string ErrorText() const { return errorText(); }
  void ClearErrorText() { std::memset(errorBuffer(), 0, kErrorBufferSize); }

  SimContext& context;
  TokenRecord& record;
  std::vector<PortRecord>& inputPorts;
  std::vector<PortRecord>& outputPorts;
  // Stack pointer offset of the calls (CallEntry); 0 is aligned.
  int32_t stackOffset = 0;

 protected:
  int32_t callEntry(TokenEntryPoint entry, SimContext* c, TokenRecord* r) override {
    return CallEntry(entry, c, r, stackOffset);
  }
};

// Whole contents of a file ("" when it does not exist).
std::string ReadFileText(const std::string& path);
bool FileExists(const std::string& path);

}  // namespace adaptive
