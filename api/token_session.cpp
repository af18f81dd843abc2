#include "api/token_session.h"

#include <cstring>


namespace adaptive {

namespace {

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

TokenSession::TokenSession(TokenEntryPoint entryPoint, size_t inputCount, size_t outputCount,
                         std::vector<double> parameters, const std::string& fileName)
    : entry(entryPoint),
      parameterValues_(std::move(parameters)),
      errorBuffer_(kErrorBufferSize, '\0'),
      inputs(inputCount, InputPortRecord{}),
      outputs(outputCount, OutputPortRecord{}) {
  setFileName(fileName);
  for (InputPortRecord& port : inputs) {
    StampDoubleFormat(port);
    inputPointers.push_back(&port);
  }
  record_.inputCount = static_cast<int32_t>(inputs.size());
  record_.inputs = inputPointers.data();
  record_.outputs = outputs.data();
  context_.errorText = errorBuffer_.data();
  setSampleRate(sampleRate);
}

TokenSession::TokenSession(const TokenInfo& token, TokenEntryPoint entryPoint)
    : TokenSession(entryPoint, token.inputNames.size(), token.outputNames.size(), token.parameterDefaults,
                  token.defaultFileName) {}

TokenSession::~TokenSession() {
  if (live) terminate();
}

void TokenSession::setFileName(const std::string& name) {
  fileNameBuffer.assign(name.size() + kFileNameSlack, '\0');
  std::memcpy(fileNameBuffer.data(), name.data(), name.size());
  record_.fileName = fileNameBuffer.data();
}

void TokenSession::setSampleRate(double rate) {
  sampleRate = rate;
  context_.sampleRate = rate;
  for (InputPortRecord& port : inputs) port.sampleRate = rate;
}

int32_t TokenSession::call(int32_t initFlag, int32_t terminateFlag) {
  context_.initFlag = initFlag;
  context_.terminateFlag = terminateFlag;
  record_.parameters = parameterValues_.data();
  return callEntry(entry, &context_, &record_);
}

int32_t TokenSession::create() {
  // The library writes no NUL after its message; a clean buffer keeps the
  // text of an earlier, longer message out of this one. Run calls write none.
  std::memset(errorBuffer_.data(), 0, errorBuffer_.size());
  sampleIndex = 0;
  live = true;
  return call(1, 0);
}

int32_t TokenSession::open() {
  const int32_t status = create();
  if (status != 0) {
    const std::string message = errorText();
    terminate();
    std::memcpy(errorBuffer_.data(), message.c_str(), message.size() + 1);
  }
  return status;
}

int32_t TokenSession::run() {
  const double time = static_cast<double>(sampleIndex) / sampleRate;
  context_.sampleTime = time;
  for (InputPortRecord& port : inputs) port.sampleTime = time;
  ++sampleIndex;
  return call(0, 0);
}

int32_t TokenSession::terminate() {
  std::memset(errorBuffer_.data(), 0, errorBuffer_.size());
  live = false;
  return call(0, 1);
}

}  // namespace adaptive
