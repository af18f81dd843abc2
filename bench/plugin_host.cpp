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

SignalFedToken::SignalFedToken(const Library& from, const TokenInfo& fed, std::vector<double> values)
    : library(from),
      token(fed),
      parameters(std::move(values)),
      loop(Driver::closedLoopRefusal(fed).empty() ? Driver::Loop::kClosed : Driver::Loop::kOpen),
      columns(Driver::inputNamesOf(fed, loop).size()),
      outputs(Driver::outputNamesOf(fed, loop).size(), 0.0) {
  const auto signals = std::make_unique<TestSignals>();
  const std::vector<PortRole> roles = Driver::columnRoles(fed, loop);
  rows.resize(TestSignals::kLength * columns);
  Driver::Sample feed;
  feed.stepSize = 0.01;
  feed.leakage = 1.0;
  for (size_t n = 0; n < TestSignals::kLength; ++n) {
    const double inputs[3] = {signals->input[0][n], signals->input[1][n], signals->input[2][n]};
    feed.signals = inputs;
    feed.desired = signals->desired[n];
    Driver::fillRow(roles, feed, &rows[n * columns]);
  }
}

int32_t SignalFedToken::Create() {
  try {
    filter.reset(new Filter(library, token.name, NamedValues(token, parameters)));
  } catch (const Error& e) {
    errorMessage = e.what();
    return e.status();
  }
  driver.reset(new Driver(*filter, loop));
  return 0;
}

SkippedSampleToken::SkippedSampleToken(TokenEntryPoint entry, const TokenInfo& token)
    : session(entry, token.inputNames.size(), token.outputNames.size(), token.parameterDefaults, "") {
  session.setSampleRate(1000.0);
  for (PortRecord& p : session.inputRecords()) p.skip = 1;
}

}  // namespace adaptive
