#include "adaptsim/cli/run_wiring.h"

#include <algorithm>

namespace {

int PortIndex(const std::vector<std::string>& names, const char* name) {
  const auto at = std::find(names.begin(), names.end(), name);
  return at == names.end() ? -1 : static_cast<int>(at - names.begin());
}

}  // namespace

bool RunWiring::setUp(const TokenInfo& token, bool loopWanted, std::string* error) {
  loop = loopWanted;
  tokenOutputs = token.outputNames.size();
  outputs = token.outputNames;
  columns.clear();
  portColumn.clear();
  if (!loop) {
    columns = token.inputNames;
    for (size_t p = 0; p < token.inputNames.size(); ++p) portColumn.push_back(static_cast<int>(p));
    return true;
  }
  const int errorPort = PortIndex(token.inputNames, "Error");
  const int inputPort = PortIndex(token.inputNames, "Input");
  const int output = PortIndex(token.outputNames, "Output");
  if (errorPort < 0 || inputPort < 0 || output < 0) {
    *error = "--loop closes the loop around a general token (one with \"Input\" and \"Error\" inputs, such as "
             "GenLMS_B or GenRLS); " + token.name + " takes its " +
             (PortIndex(token.inputNames, "Desired") >= 0 ? "\"Desired\" signal directly" : "inputs as they are");
    return false;
  }
  outputPort = static_cast<size_t>(output);
  columns = {"Input", "Desired"};
  inputColumn = 0;
  desiredColumn = 1;
  for (size_t p = 0; p < token.inputNames.size(); ++p) {
    const std::string& name = token.inputNames[p];
    if (static_cast<int>(p) == inputPort) {
      portColumn.push_back(static_cast<int>(inputColumn));
    } else if (static_cast<int>(p) == errorPort) {
      portColumn.push_back(kError);
    } else if (name == "- de/dw") {
      portColumn.push_back(kGradient);
    } else {
      portColumn.push_back(static_cast<int>(columns.size()));
      columns.push_back(name);
    }
  }
  outputs.push_back("Error");
  fedError = 0.0;
  return true;
}

void RunWiring::feed(const double* row, double* ports) const {
  for (size_t p = 0; p < portColumn.size(); ++p) {
    const int source = portColumn[p];
    ports[p] = source == kError ? fedError : source == kGradient ? row[inputColumn] : row[source];
  }
}

void RunWiring::collect(const double* row, const double* tokenOutput, double* outputRow) {
  std::copy(tokenOutput, tokenOutput + tokenOutputs, outputRow);
  if (!loop) return;
  // The diagram's subtractor: its result reaches "Error" one sample later.
  fedError = row[desiredColumn] - tokenOutput[outputPort];
  outputRow[tokenOutputs] = fedError;
}
