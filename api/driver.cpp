#include "adaptive/driver.h"

#include <stdexcept>

#include "api/divergence_watch.h"
#include "api/filter_instance.h"

namespace adaptive {

namespace {

// The coefficients as a row of a history: each channel's numerator, then its
// denominator after the leading 1.
std::vector<double> HistoryRow(const std::vector<ChannelWeights>& channels) {
  std::vector<double> row;
  for (const ChannelWeights& channel : channels) {
    row.insert(row.end(), channel.numerator.begin(), channel.numerator.end());
    row.insert(row.end(), channel.denominator.begin() + 1, channel.denominator.end());
  }
  return row;
}

}  // namespace

std::string Driver::closedLoopRefusal(const TokenInfo& token) {
  const bool otherPorts = token.inputWithRole(PortRole::kOther) >= 0 || token.inputWithRole(PortRole::kDesired) >= 0;
  if (token.inputWithRole(PortRole::kError) >= 0 && token.signalPorts().size() == 1 && token.outputIndex("Output") >= 0 &&
      !otherPorts) {
    return "";
  }
  return "closes the loop around a general token (one with \"Input\" and \"Error\" inputs, such as GenLMS_B or "
         "GenRLS); " + token.name + " takes its " +
         (token.inputWithRole(PortRole::kDesired) >= 0 ? "\"Desired\" signal directly" : "inputs as they are");
}

std::vector<PortRole> Driver::columnRoles(const TokenInfo& token, Loop loop) {
  if (loop == Loop::kOpen) return token.inputRoles;
  std::vector<PortRole> roles{PortRole::kSignal, PortRole::kDesired};
  for (const PortRole role : token.inputRoles) {
    if (role == PortRole::kStepSize || role == PortRole::kLeakage) roles.push_back(role);
  }
  return roles;
}

std::vector<std::string> Driver::inputNamesOf(const TokenInfo& token, Loop loop) {
  if (loop == Loop::kOpen) return token.inputNames;
  std::vector<std::string> names{"Input", "Desired"};
  for (size_t p = 0; p < token.inputRoles.size(); ++p) {
    if (token.inputRoles[p] == PortRole::kStepSize || token.inputRoles[p] == PortRole::kLeakage) {
      names.push_back(token.inputNames[p]);
    }
  }
  return names;
}

void Driver::fillRow(const std::vector<PortRole>& roles, const Sample& sample, double* row) {
  size_t channel = 0;
  for (size_t p = 0; p < roles.size(); ++p) {
    switch (roles[p]) {
      case PortRole::kSignal: row[p] = sample.signals[channel++]; break;
      case PortRole::kGradient: row[p] = sample.signals[0]; break;
      case PortRole::kDesired: row[p] = sample.desired; break;
      case PortRole::kStepSize: row[p] = sample.stepSize; break;
      case PortRole::kLeakage: row[p] = sample.leakage; break;
      default: row[p] = 0.0;
    }
  }
}

std::vector<std::string> Driver::outputNamesOf(const TokenInfo& token, Loop loop) {
  std::vector<std::string> names = token.outputNames;
  if (loop == Loop::kClosed) names.push_back("Error");
  return names;
}

Driver::Driver(Filter& driven, Loop loop) : filter(driven), closed(loop == Loop::kClosed) {
  if (!closed) return;
  const TokenInfo& token = filter.token();
  const std::string refusal = closedLoopRefusal(token);
  if (!refusal.empty()) throw std::invalid_argument("Driver::Loop::kClosed " + refusal);
  inputs = inputNamesOf(token, loop);
  outputs = outputNamesOf(token, loop);
  outputPort = static_cast<size_t>(token.outputIndex("Output"));
  // "Input" and "- de/dw" take column 0, "Error" the error fed back, "Mu"
  // and "Leakage" (closedLoopRefusal lets no other role through) their
  // columns after "Desired", in catalogue order.
  int column = 2;
  for (const PortRole role : token.inputRoles) {
    const bool signal = role == PortRole::kSignal || role == PortRole::kGradient;
    portSources.push_back(signal ? 0 : role == PortRole::kError ? -1 : column++);
  }
  ports.resize(portSources.size());
}

Driver::~Driver() = default;

const std::vector<std::string>& Driver::inputNames() const { return closed ? inputs : filter.token().inputNames; }

const std::vector<std::string>& Driver::outputNames() const { return closed ? outputs : filter.token().outputNames; }

void Driver::watchDivergence() {
  watch = std::make_unique<DivergenceWatch>(outputNames(), StepSizeAdvice(filter.token()));
}

std::string Driver::takeWarning() {
  std::string taken;
  taken.swap(warning);
  return taken;
}

int32_t Driver::stepClosed(Filter::Instance& instance, const double* row, double* outputRow) {
  for (size_t p = 0; p < ports.size(); ++p) ports[p] = portSources[p] < 0 ? fedError : row[portSources[p]];
  const int32_t status = instance.step(ports.data(), outputRow);
  // The diagram's subtractor: its result reaches "Error" one sample later.
  fedError = row[1] - outputRow[outputPort];
  outputRow[outputs.size() - 1] = fedError;
  return status;
}

void Driver::countForHistory() {
  WeightsHistory& history = *recording;
  if (++history.sinceLast < history.interval) return;
  history.sinceLast = 0;
  const std::vector<double> row = HistoryRow(filter.weights());
  history.values.insert(history.values.end(), row.begin(), row.end());
}

size_t Driver::run(const double* in, size_t samples, double* out) {
  filter.open();
  Filter::Instance& instance = *filter.instance;
  if (recording != nullptr) {
    // Before any sample runs: refused for a loaded plug-in or a filter whose
    // rows are wider or narrower than those the history holds, and the width
    // even of a history that records no row.
    const size_t width = HistoryRow(filter.weights()).size();
    if (recording->width == 0) recording->width = width;
    if (recording->width != width) {
      throw std::invalid_argument("this weights history holds rows of " + std::to_string(recording->width) +
                                  " coefficients, but the " + filter.token().name + " filter has " +
                                  std::to_string(width) + ": give each filter a history of its own");
    }
  }
  const size_t columns = inputCount();
  const size_t width = outputCount();
  const std::unique_lock<Mutex> hold = instance.holdCalls();
  size_t n = 0;
  for (; n < samples; ++n) {
    if (stopRequested && stopRequested()) break;
    const double* row = in + n * columns;
    double* outputRow = out + n * width;
    const int32_t status = closed ? stepClosed(instance, row, outputRow) : instance.step(row, outputRow);
    if (status != 0) throw Error(status, instance.errorText());
    if (watch && warning.empty()) warning = watch->check(ran, row, columns, outputRow);
    ++ran;
    if (recording != nullptr) countForHistory();
  }
  return n;
}

}  // namespace adaptive
