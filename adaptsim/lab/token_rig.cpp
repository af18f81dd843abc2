#include "adaptsim/lab/token_rig.h"

#include <chrono>
#include <cstdio>

#include "adaptsim/io/final_weights_reader.h"
#include "api/token_session.h"
using adaptive::TokenSession;

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

}  // namespace

bool MakeRig(const TokenInfo& token, const RigChoices& choices, TokenRig* rig, std::string* errorText) {
  *rig = TokenRig();
  using adaptive::PortRole;
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
  if (rig->channels == 0 || rig->outputPort < 0 || (rig->wiring != Wiring::kDesired && rig->channels != 1)) {
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

TrialOutcome RunTrial(const TokenInfo& token, TokenEntryPoint entry, const TokenRig& rig,
                      const std::vector<std::vector<double>>& inputs, const std::vector<double>& desired,
                      const std::string& weightsBase) {
  TrialOutcome outcome;
  TokenSession session(token, entry);
  for (size_t k = 0; k < rig.parameters.size(); ++k) session.setParameter(k, rig.parameters[k]);
  session.setFileName(weightsBase);
  outcome.status = session.open();
  if (outcome.status != 0) {
    outcome.message = session.errorText();
    return outcome;
  }

  std::vector<double> values(session.inputCount(), 0.0);
  std::vector<double> signals(inputs.size());
  adaptive::DiagramSample sample;
  sample.signals = signals.data();
  sample.stepSize = rig.portMu;
  sample.leakage = rig.portLeakage;
  outcome.squaredError.resize(desired.size());
  // sample.error starts at 0: what the diagram's subtractor held before the first sample.
  const auto start = std::chrono::steady_clock::now();
  for (size_t n = 0; n < desired.size(); ++n) {
    for (size_t c = 0; c < inputs.size(); ++c) signals[c] = inputs[c][n];
    sample.desired = desired[n];
    adaptive::FeedInputPorts(token.inputRoles, sample, values.data());
    const int32_t status = session.run(values.data());
    if (status != 0) {
      outcome.status = status;
      outcome.message = session.errorText();
      break;
    }
    double error;
    if (rig.wiring == Wiring::kDesired) {
      error = session.output(static_cast<size_t>(rig.priErrorPort)).value;
    } else {
      error = desired[n] - session.output(static_cast<size_t>(rig.outputPort)).value;
      sample.error = error;
    }
    outcome.squaredError[n] = error * error;
  }
  outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const int32_t terminated = session.terminate();
  if (outcome.status == 0 && terminated != 0) {
    outcome.status = terminated;
    outcome.message = session.errorText();
  }

  const std::vector<std::string> paths = FinalWeightsPaths(weightsBase, rig.channels);
  if (outcome.status == 0 &&
      !ReadStackedCoefficients(paths, &outcome.coefficients, &outcome.singular, &outcome.message)) {
    outcome.status = kWeightsUnreadable;
  }
  for (const std::string& path : paths) std::remove(path.c_str());
  return outcome;
}
