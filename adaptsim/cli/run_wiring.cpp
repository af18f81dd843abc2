#include "adaptsim/cli/run_wiring.h"

#include <algorithm>

using adaptive::PortRole;

bool RunWiring::setUp(const TokenInfo& token, bool loopWanted, std::string* error) {
  loop = loopWanted;
  tokenOutputs = token.outputNames.size();
  outputs = token.outputNames;
  roles = token.inputRoles;
  if (!loop) {
    columns = token.inputNames;
    return true;
  }
  const int output = token.outputIndex("Output");
  const bool otherPorts = token.inputWithRole(PortRole::kOther) >= 0 || token.inputWithRole(PortRole::kDesired) >= 0;
  if (token.inputWithRole(PortRole::kError) < 0 || token.signalPorts().size() != 1 || output < 0 || otherPorts) {
    *error = "--loop closes the loop around a general token (one with \"Input\" and \"Error\" inputs, such as "
             "GenLMS_B or GenRLS); " + token.name + " takes its " +
             (token.inputWithRole(PortRole::kDesired) >= 0 ? "\"Desired\" signal directly" : "inputs as they are");
    return false;
  }
  outputPort = static_cast<size_t>(output);
  columns = {"Input", "Desired"};
  stepSizeColumn = leakageColumn = -1;
  for (size_t p = 0; p < roles.size(); ++p) {
    if (roles[p] == PortRole::kStepSize) stepSizeColumn = static_cast<int>(columns.size());
    if (roles[p] == PortRole::kLeakage) leakageColumn = static_cast<int>(columns.size());
    if (roles[p] == PortRole::kStepSize || roles[p] == PortRole::kLeakage) columns.push_back(token.inputNames[p]);
  }
  outputs.push_back("Error");
  fedError = 0.0;
  return true;
}

void RunWiring::feed(const double* row, double* ports) const {
  if (!loop) {
    std::copy(row, row + roles.size(), ports);
    return;
  }
  adaptive::DiagramSample sample;
  sample.signals = &row[0];
  sample.desired = row[1];
  sample.error = fedError;
  if (stepSizeColumn >= 0) sample.stepSize = row[stepSizeColumn];
  if (leakageColumn >= 0) sample.leakage = row[leakageColumn];
  adaptive::FeedInputPorts(roles, sample, ports);
}

void RunWiring::collect(const double* row, const double* tokenOutput, double* outputRow) {
  std::copy(tokenOutput, tokenOutput + tokenOutputs, outputRow);
  if (!loop) return;
  // The diagram's subtractor: its result reaches "Error" one sample later.
  fedError = row[1] - tokenOutput[outputPort];
  outputRow[tokenOutputs] = fedError;
}
