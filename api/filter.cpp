#include "adaptive/filter.h"

#include "adaptive/driver.h"

#include <cstdio>
#include <stdexcept>

#include "adaptive/closest_name.h"
#include "api/filter_instance.h"
#include "api/token_session.h"
#include "api/library_source.h"
#include "adaptive/name_match.h"
#include "api/parameter_refusal.h"

namespace adaptive {

namespace {

std::vector<double> ParameterValues(const TokenInfo& token, const Filter::Parameters& given) {
  std::vector<double> values = token.parameterDefaults;
  std::vector<bool> set(values.size(), false);
  for (const auto& [name, value] : given) {
    const size_t index = MatchNameOrThrow(token.parameterNames, name, "the parameter of " + token.name,
                                          token.name + " has no parameter \"" + Shown(name) + "\"" +
                                              DidYouMean(token.parameterNames, name) + "; its parameters are " +
                                              QuotedNames(token.parameterNames));
    if (set[index]) {
      throw Error(Error::kBadParameter,
                  "the parameter \"" + token.parameterNames[index] + "\" of " + token.name + " is given twice");
    }
    set[index] = true;
    values[index] = value;
  }
  return values;
}

// A token of a loaded plug-in: the host's records of one instance, and the
// library's lock around every call, since the plug-in may keep the call in
// progress in library-wide variables.
class LoadedInstance : public Filter::Instance {
 public:
  LoadedInstance(const detail::LibrarySource& library, TokenEntryPoint entry, size_t inputs, size_t outputs,
                 std::vector<double> parameters, const std::string& fileName)
      : Instance(parameters), calls(library.calls), session(entry, inputs, outputs, std::move(parameters), fileName) {
    std::lock_guard<Mutex> hold(calls);
    const int32_t status = session.open();
    if (status != 0) throw Error(status, session.errorText());
  }

  ~LoadedInstance() override {
    std::lock_guard<Mutex> hold(calls);
    if (session.isLive()) session.terminate();
  }

  std::unique_lock<Mutex> holdCalls() override { return std::unique_lock<Mutex>(calls); }

  int32_t step(const double* inputs, double* outputs) override {
    const int32_t status = session.run(inputs);
    for (size_t o = 0; o < session.outputCount(); ++o) outputs[o] = session.output(o).value;
    return status;
  }

  std::string errorText() const override { return session.errorText(); }

  int32_t close(std::string* message) override {
    std::lock_guard<Mutex> hold(calls);
    const int32_t status = session.terminate();
    if (status != 0) *message = session.errorText();
    return status;
  }

 private:
  Mutex& calls;
  TokenSession session;
};

}  // namespace

Filter::Filter(const Library& source, const std::string& token, const Parameters& parameters,
               const std::string& weightsFile)
    : library(source), info(&source.token(token)) {
  const detail::LibrarySource& from = detail::LibraryAccess::of(library);
  std::vector<double> values = ParameterValues(*info, parameters);
  TokenEntryPoint entry = nullptr;
  if (from.loaded != nullptr) {
    entry = from.entryPoint(info->name);
    if (entry == nullptr) {
      throw Error(Error::kBadParameter, "the library " + library.path() + " does not export " + info->name);
    }
  }
  try {
    instance = entry == nullptr ? CreateLinkedInstance(*info, values, weightsFile)
                                : std::make_unique<LoadedInstance>(from, entry, inputCount(), outputCount(), values,
                                                                   weightsFile);
  } catch (const Error& e) {
    const std::string reason = RefusalReason(*info, values, e.status());
    if (reason.empty()) throw;
    throw Error(e.status(), reason, e.libraryText());
  }
}

Filter::~Filter() { closeReportingToStandardError(); }

void Filter::closeReportingToStandardError() noexcept {
  if (instance == nullptr) return;
  try {
    close();
  } catch (const Error& e) {
    std::fprintf(stderr, "adaptive: closing the %s filter in its destructor failed (status %d): %s\n",
                 info->name.c_str(), static_cast<int>(e.status()), e.what());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "adaptive: closing the %s filter in its destructor failed: %s\n", info->name.c_str(),
                 e.what());
  }
}

Filter::Filter(Filter&& other) noexcept
    : library(other.library), info(other.info), instance(std::move(other.instance)) {}

Filter& Filter::operator=(Filter&& other) noexcept {
  if (this != &other) {
    closeReportingToStandardError();
    instance = std::move(other.instance);
    library = other.library;
    info = other.info;
  }
  return *this;
}

const Filter::Instance& Filter::open() const {
  if (instance == nullptr) throw std::logic_error("the " + info->name + " filter is closed");
  return *instance;
}

const std::vector<double>& Filter::parameters() const { return open().parameters(); }

void Filter::stepUnchecked(const double* inputs, double* outputs) { processUnchecked(inputs, 1, outputs); }

void Filter::processUnchecked(const double* inputs, size_t samples, double* outputs) {
  Driver(*this).run(inputs, samples, outputs);
}

size_t Filter::checkedRows(size_t inputValues) const {
  if (inputValues % inputCount() != 0) {
    throw std::invalid_argument("the inputs of " + info->name + " come " + std::to_string(inputCount()) +
                                " values a sample (one per input port), but " + std::to_string(inputValues) +
                                " is not a multiple of " + std::to_string(inputCount()));
  }
  return inputValues / inputCount();
}

void Filter::process(const double* inputs, size_t inputValues, double* outputs, size_t outputValues) {
  const size_t samples = checkedRows(inputValues);
  if (outputValues != samples * outputCount()) {
    throw std::invalid_argument("the outputs of " + std::to_string(samples) + " samples of " + info->name +
                                " take " + std::to_string(samples * outputCount()) + " values (" +
                                std::to_string(outputCount()) + " a sample), not " + std::to_string(outputValues));
  }
  processUnchecked(inputs, samples, outputs);
}

void Filter::step(const double* inputs, size_t inputValues, double* outputs, size_t outputValues) {
  if (inputValues != inputCount() || outputValues != outputCount()) {
    throw std::invalid_argument("one sample of " + info->name + " takes " + std::to_string(inputCount()) +
                                " inputs and gives " + std::to_string(outputCount()) + " outputs, not " +
                                std::to_string(inputValues) + " and " + std::to_string(outputValues));
  }
  processUnchecked(inputs, 1, outputs);
}

std::vector<double> Filter::step(const std::vector<double>& inputs) {
  std::vector<double> outputs(outputCount());
  step(inputs.data(), inputs.size(), outputs.data(), outputs.size());
  return outputs;
}

std::vector<double> Filter::process(const std::vector<double>& inputs) {
  std::vector<double> outputs(checkedRows(inputs.size()) * outputCount());
  processUnchecked(inputs.data(), inputs.size() / inputCount(), outputs.data());
  return outputs;
}

void Filter::close() {
  if (instance == nullptr) return;
  const std::unique_ptr<Instance> ending = std::move(instance);
  std::string message;
  const int32_t status = ending->close(&message);
  if (status != 0) throw Error(status, message);
}

}  // namespace adaptive
