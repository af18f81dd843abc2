#include "adaptsim/lab/token_rig.h"

#include <chrono>
#include <cstdio>
#include <memory>

#include "adaptive/driver.h"
#include "adaptsim/io/final_weights_reader.h"

using adaptive::Driver;
using adaptive::PortRole;

namespace {

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

// The value the experiment gives parameter `name` of a token of `family`;
// false to keep the catalogue default (leakages, tap values).
bool ChosenValue(TokenFamily family, const std::string& tokenName, const std::string& name,
                 const RigChoices& choices, double* value) {
  const bool normalised = tokenName.find("NLMS") != std::string::npos;
  if (StartsWith(name, "Numerator Coeffs")) {
    *value = choices.taps;
  } else if (name == "Denominator Coeffs") {
    *value = choices.feedback + 1;
  } else if (name == "Mu Backward") {
    *value = normalised ? choices.nlmsMuBackward : choices.lmsMuBackward;
  } else if (StartsWith(name, "Mu")) {
    *value = family == TokenFamily::kNewton ? choices.newtonMu : normalised ? choices.nlmsMu : choices.lmsMu;
  } else if (name == "Lambda") {
    *value = family == TokenFamily::kNewton ? choices.newtonLambda
             : family == TokenFamily::kQr   ? choices.qrLambda
                                            : choices.lambda;
  } else if (name == "Init") {
    *value = choices.init;
  } else if (name == "Random Walk Variance") {
    *value = choices.randomWalkVariance;
  } else {
    return false;
  }
  return true;
}

// The rows of input the driver takes for the rig, one per sample.
std::vector<double> TrialRows(const TokenInfo& token, const TokenRig& rig, Driver::Loop loop,
                              const std::vector<std::vector<double>>& inputs, const std::vector<double>& desired) {
  const std::vector<PortRole> roles = Driver::columnRoles(token, loop);
  std::vector<double> rows(desired.size() * roles.size());
  std::vector<double> signals(inputs.size());
  Driver::Sample sample;
  sample.signals = signals.data();
  sample.stepSize = rig.portMu;
  sample.leakage = rig.portLeakage;
  for (size_t n = 0; n < desired.size(); ++n) {
    for (size_t c = 0; c < inputs.size(); ++c) signals[c] = inputs[c][n];
    sample.desired = desired[n];
    Driver::fillRow(roles, sample, &rows[n * roles.size()]);
  }
  return rows;
}

}  // namespace

bool MakeRig(const TokenInfo& token, const RigChoices& choices, TokenRig* rig, std::string* errorText) {
  *rig = TokenRig();
  const bool desired = token.inputWithRole(PortRole::kDesired) >= 0;
  const bool error = token.inputWithRole(PortRole::kError) >= 0;
  const bool gradient = token.inputWithRole(PortRole::kGradient) >= 0;
  const bool ports = token.inputWithRole(PortRole::kStepSize) >= 0 && token.inputWithRole(PortRole::kLeakage) >= 0;
  rig->outputPort = token.outputIndex("Output");
  rig->priErrorPort = token.outputIndex("PriError");
  rig->channels = token.filterChannels();

  if (desired && rig->priErrorPort >= 0) {
    rig->wiring = Wiring::kDesired;
  } else if (error && gradient && ports) {
    rig->wiring = Wiring::kGradientPorts;
  } else if (error && gradient) {
    rig->wiring = Wiring::kGradientLoop;
  } else if (error) {
    rig->wiring = Wiring::kErrorLoop;
  } else {
    *errorText = token.name + " has neither a \"Desired\" nor an \"Error\" input";
    return false;
  }
  const bool looped = rig->wiring != Wiring::kDesired;
  if (rig->channels == 0 || rig->outputPort < 0 || (looped && !Driver::closedLoopRefusal(token).empty())) {
    *errorText = token.name + " has no input or \"Output\" port this experiment can connect";
    return false;
  }

  const TokenFamily family = token.family();
  rig->parameters = token.parameterDefaults;
  for (size_t k = 0; k < token.parameterNames.size(); ++k) {
    double value = 0.0;
    if (ChosenValue(family, token.name, token.parameterNames[k], choices, &value)) rig->parameters[k] = value;
    if (token.parameterNames[k] == "Denominator Coeffs") rig->recursive = choices.feedback > 0;
  }
  rig->portMu = choices.lmsMu;
  rig->portLeakage = 1.0;
  return true;
}

TrialOutcome RunTrial(const adaptive::Library& library, const TokenInfo& token, const TokenRig& rig,
                      const std::vector<std::vector<double>>& inputs, const std::vector<double>& desired,
                      const std::string& weightsBase) {
  TrialOutcome outcome;
  std::unique_ptr<adaptive::Filter> filter;
  try {
    filter.reset(new adaptive::Filter(library, token.name, NamedValues(token, rig.parameters), weightsBase));
  } catch (const adaptive::Error& e) {
    outcome.status = e.status();
    outcome.message = e.libraryText();
    return outcome;
  }
  // The loop starts with "Error" at 0: what the diagram's subtractor held
  // before the first sample.
  const Driver::Loop loop = rig.wiring == Wiring::kDesired ? Driver::Loop::kOpen : Driver::Loop::kClosed;
  Driver driver(*filter, loop);
  const std::vector<double> rows = TrialRows(token, rig, loop, inputs, desired);
  std::vector<double> outputs(desired.size() * driver.outputCount());
  const auto start = std::chrono::steady_clock::now();
  try {
    driver.run(rows.data(), desired.size(), outputs.data());
  } catch (const adaptive::Error& e) {
    outcome.status = e.status();
    outcome.message = e.libraryText();
  }
  outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  // A priori: the token's own "PriError", or the loop's Desired - Output.
  const size_t errorColumn =
      loop == Driver::Loop::kOpen ? static_cast<size_t>(rig.priErrorPort) : driver.outputCount() - 1;
  outcome.squaredError.assign(desired.size(), 0.0);
  for (int64_t n = 0; n < driver.samplesRun(); ++n) {
    const double error = outputs[static_cast<size_t>(n) * driver.outputCount() + errorColumn];
    outcome.squaredError[static_cast<size_t>(n)] = error * error;
  }
  try {
    filter->close();
  } catch (const adaptive::Error& e) {
    if (outcome.status == 0) {
      outcome.status = e.status();
      outcome.message = e.libraryText();
    }
  }

  const std::vector<std::string> paths = FinalWeightsPaths(weightsBase, rig.channels);
  if (outcome.status == 0 &&
      !ReadStackedCoefficients(paths, &outcome.coefficients, &outcome.singular, &outcome.message)) {
    outcome.status = kWeightsUnreadable;
  }
  for (const std::string& path : paths) std::remove(path.c_str());
  return outcome;
}
