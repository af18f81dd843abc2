#include "bench/plugin_host.h"

namespace adaptive {

std::vector<double> ParametersWithTotalLength(const TokenInfo& token, int total) {
  std::vector<double> values = token.parameterDefaults;
  const std::vector<size_t> lengths = token.lengthParameters();
  const int channels = static_cast<int>(lengths.size());
  for (int channel = 0; channel < channels; ++channel) {
    values[lengths[static_cast<size_t>(channel)]] = total / channels + (channel < total % channels ? 1 : 0);
  }
  return values;
}

HostedToken::HostedToken(TokenEntryPoint entry, const TokenInfo& token, std::vector<double> values)
    : session(entry, token.inputNames.size(), token.outputNames.size(), std::move(values), "") {
  session.setSampleRate(1000.0);
  int channel = 0;
  for (size_t p = 0; p < token.inputNames.size(); ++p) {
    const std::string& name = token.inputNames[p];
    PortRecord* port = &session.inputRecords()[p];
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
}

int32_t HostedToken::Create() {
  const int32_t status = session.create();
  if (status != 0) errorMessage = session.errorText();
  return status;
}

void HostedToken::SkipReferenceInput(bool skip) {
  for (PortRecord& p : session.inputRecords()) p.skip = skip ? 1 : 0;
}

}  // namespace adaptive
