// A minimal in-process host for tests: owns the records the simulator would own
// and drives one token instance through its exported entry point.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "host/records.h"
#include "tests/support/stack_offset_call.h"

class TokenHarness {
 public:
  // `inputs` and `outputs` are the token's port counts; `parameters` its values
  // in catalogue order; `fileName` the final-weights name ("" for none).
  TokenHarness(TokenEntryPoint entry, int inputs, int outputs, std::vector<double> parameters,
               std::string fileName = "")
      : entry(entry), inputPorts(inputs), outputPorts(outputs), parameters(std::move(parameters)) {
    context = SimContext{};
    context.sampleRate = 1000.0;
    std::memset(errorBuffer, 'x', sizeof errorBuffer);
    errorBuffer[sizeof errorBuffer - 1] = '\0';
    context.errorText = errorBuffer;
    for (int i = 0; i < inputs; ++i) {
      inputPorts[i] = PortRecord{};
      inputPorts[i].sampleRate = 1000.0;
      inputPointers.push_back(&inputPorts[i]);
    }
    SetFileName(fileName);
    record = TokenRecord{};
    record.inputCount = inputs;
    record.inputs = inputPointers.data();
    record.outputs = outputPorts.data();
    record.parameters = this->parameters.data();
    record.fileName = fileNameBuffer;
  }

  ~TokenHarness() {
    if (record.instance != nullptr) Terminate();
  }

  void SetFileName(const std::string& name) {
    std::memset(fileNameBuffer, 0, sizeof fileNameBuffer);
    std::strncpy(fileNameBuffer, name.c_str(), sizeof fileNameBuffer - 1);
  }

  int Create() { return Call(1, 0); }
  int Terminate() { return Call(0, 1); }

  // One run call with these input values (in port order).
  int Run(const std::vector<double>& values) {
    for (size_t i = 0; i < values.size() && i < inputPorts.size(); ++i) inputPorts[i].value = values[i];
    context.sampleTime += 1.0 / context.sampleRate;
    for (auto& p : inputPorts) p.sampleTime = context.sampleTime;
    return Call(0, 0);
  }

  double Output(int port) const { return outputPorts[port].value; }
  std::string ErrorText() const { return std::string(errorBuffer); }
  void ClearErrorText() { std::memset(errorBuffer, 0, sizeof errorBuffer); }

  TokenEntryPoint entry;
  SimContext context;
  TokenRecord record;
  std::vector<PortRecord> inputPorts;
  std::vector<PortRecord*> inputPointers;
  std::vector<PortRecord> outputPorts;
  std::vector<double> parameters;
  char fileNameBuffer[1024];
  char errorBuffer[1024];
  // Stack pointer offset of the calls (CallEntry); 0 is aligned.
  int32_t stackOffset = 0;

 private:
  int Call(int init, int terminate) {
    context.initFlag = init;
    context.terminateFlag = terminate;
    return CallEntry(entry, &context, &record, stackOffset);
  }
};

// Whole contents of a file ("" when it does not exist).
std::string ReadFileText(const std::string& path);
bool FileExists(const std::string& path);
