#include "bench/plugin_host.h"

#include <cstring>

namespace {

bool IsLengthParameter(const std::string& name) { return name.rfind("Numerator Coeffs", 0) == 0; }

}  // namespace

std::vector<double> ParametersWithTotalLength(const TokenInfo& token, int total) {
  std::vector<double> values = token.parameterDefaults;
  int channels = 0;
  for (const std::string& name : token.parameterNames) channels += IsLengthParameter(name) ? 1 : 0;
  int channel = 0;
  for (size_t k = 0; k < values.size(); ++k) {
    if (!IsLengthParameter(token.parameterNames[k])) continue;
    values[k] = total / channels + (channel < total % channels ? 1 : 0);
    ++channel;
  }
  return values;
}

HostedToken::HostedToken(TokenEntryPoint entry, const TokenInfo& token, std::vector<double> values)
    : entry(entry), parameters(std::move(values)) {
  const size_t count = token.inputNames.size();
  inputs.assign(count, PortRecord{});
  outputs.assign(token.outputNames.size(), PortRecord{});
  int channel = 0;
  for (size_t p = 0; p < count; ++p) {
    const std::string& name = token.inputNames[p];
    PortRecord* port = &inputs[p];
    port->sampleRate = 1000.0;
    inputPointers.push_back(port);
    if (name.rfind("Input", 0) == 0) {
      wiring.push_back({port, signals.input[channel++]});
    } else if (name == "- de/dw") {
      wiring.push_back({port, signals.input[0]});
    } else if (name == "Desired") {
      wiring.push_back({port, signals.desired});
    } else if (name == "Error") {
      errorPort = port;
    } else if (name == "Mu") {
      port->value = 0.01;
    } else if (name == "Leakage") {
      port->value = 1.0;
    }
  }
  context.sampleRate = 1000.0;
  context.errorText = errorText;
  record.inputCount = static_cast<int32_t>(count);
  record.inputs = inputPointers.data();
  record.outputs = outputs.data();
  record.parameters = parameters.data();
  record.fileName = fileName;
}

HostedToken::~HostedToken() {
  context.initFlag = 0;
  context.terminateFlag = 1;
  entry(&context, &record);
}

int32_t HostedToken::Create() {
  context.initFlag = 1;
  const int32_t status = entry(&context, &record);
  context.initFlag = 0;
  if (status != 0) errorMessage.assign(errorText, strnlen(errorText, kErrorTextCapacity));
  return status;
}

void HostedToken::SkipReferenceInput(bool skip) {
  for (PortRecord& p : inputs) p.skip = skip ? 1 : 0;
}
