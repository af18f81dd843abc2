#include "adaptsim/hosting/token_session.h"

#include <cstring>

namespace {

// Well above the library's 512-character limit, so a message of full length
// still ends at a NUL the host put there.
constexpr size_t kErrorBufferSize = 1024;
// The token may rewrite its file name in place; give it room to spare.
constexpr size_t kFileNameSlack = 256;

// Format words of a double-precision signal, as the library itself stamps on
// the outputs of a token without inputs.
void StampDoubleFormat(PortRecord& port) {
  port.formatCode = 5;
  port.formatWidth = 64;
  port.formatExponent = 11;
}

}  // namespace

TokenSession::TokenSession(const TokenInfo& token, TokenEntryPoint entryPoint)
    : entry(entryPoint),
      parameters(token.parameterDefaults),
      errorBuffer(kErrorBufferSize, '\0'),
      inputs(token.inputNames.size(), InputPortRecord{}),
      outputs(token.outputNames.size(), OutputPortRecord{}) {
  setFileName(token.defaultFileName);
  for (InputPortRecord& port : inputs) {
    StampDoubleFormat(port);
    inputPointers.push_back(&port);
  }
  record.inputCount = static_cast<int32_t>(inputs.size());
  record.inputs = inputPointers.data();
  record.outputs = outputs.data();
  record.fileName = fileNameBuffer.data();
  context.errorText = errorBuffer.data();
  setSampleRate(sampleRate);
}

TokenSession::~TokenSession() {
  if (live) terminate();
}

void TokenSession::setFileName(const std::string& name) {
  fileNameBuffer.assign(name.size() + kFileNameSlack, '\0');
  std::memcpy(fileNameBuffer.data(), name.data(), name.size());
  record.fileName = fileNameBuffer.data();
}

void TokenSession::setSampleRate(double rate) {
  sampleRate = rate;
  context.sampleRate = rate;
  for (InputPortRecord& port : inputs) port.sampleRate = rate;
}

void TokenSession::stampTime(double time) {
  context.sampleTime = time;
  for (InputPortRecord& port : inputs) {
    port.sampleTime = time;
    port.skip = 0;
  }
}

int32_t TokenSession::call(int32_t initFlag, int32_t terminateFlag) {
  // The library writes no NUL after its message; a clean buffer per call keeps
  // the text of an earlier, longer message out of the next one.
  std::memset(errorBuffer.data(), 0, errorBuffer.size());
  context.initFlag = initFlag;
  context.terminateFlag = terminateFlag;
  record.parameters = parameters.data();
  return entry(&context, &record);
}

int32_t TokenSession::create() {
  sampleIndex = 0;
  stampTime(0.0);
  live = true;
  return call(1, 0);
}

int32_t TokenSession::run(const double* inputValues) {
  stampTime(static_cast<double>(sampleIndex) / sampleRate);
  for (size_t i = 0; i < inputs.size(); ++i) inputs[i].value = inputValues[i];
  ++sampleIndex;
  return call(0, 0);
}

int32_t TokenSession::terminate() {
  live = false;
  return call(0, 1);
}
