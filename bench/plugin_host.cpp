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

SignalFedToken::SignalFedToken(TokenEntryPoint entry, const TokenInfo& token, std::vector<double> values)
    : session(entry, token.inputNames.size(), token.outputNames.size(), std::move(values), ""),
      roles(token.inputRoles),
      ports(token.inputNames.size(), 0.0) {
  session.setSampleRate(1000.0);
  feed.stepSize = 0.01;
  feed.leakage = 1.0;
}

int32_t SignalFedToken::Create() {
  const int32_t status = session.open();
  if (status != 0) errorMessage = session.errorText();
  return status;
}

void SignalFedToken::SkipReferenceInput(bool skip) {
  for (PortRecord& p : session.inputRecords()) p.skip = skip ? 1 : 0;
}

}  // namespace adaptive
