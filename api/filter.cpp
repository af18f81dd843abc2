#include "adaptive/filter.h"

#include <mutex>
#include <stdexcept>

#include "api/filter_instance.h"
#include "api/token_session.h"
#include "api/library_source.h"

namespace adaptive {

namespace {

std::string QuotedList(const std::vector<std::string>& names) {
  std::string list;
  for (const std::string& name : names) list += (list.empty() ? "\"" : ", \"") + name + "\"";
  return list;
}

std::vector<double> ParameterValues(const TokenInfo& token, const Filter::Parameters& given) {
  std::vector<double> values = token.parameterDefaults;
  std::vector<bool> set(values.size(), false);
  for (const auto& [name, value] : given) {
    const int index = token.parameterIndex(name);
    if (index < 0) {
      throw Error(Error::kBadParameter, token.name + " has no parameter \"" + name + "\"; its parameters are " +
                                            QuotedList(token.parameterNames));
    }
    if (set[static_cast<size_t>(index)]) {
      throw Error(Error::kBadParameter, "the parameter \"" + name + "\" of " + token.name + " is given twice");
    }
    set[static_cast<size_t>(index)] = true;
    values[static_cast<size_t>(index)] = value;
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

  void process(const double* inputs, size_t samples, double* outputs) override {
    const size_t in = session.inputCount();
    const size_t out = session.outputCount();
    std::lock_guard<Mutex> hold(calls);
    for (size_t n = 0; n < samples; ++n) {
      session.run(inputs + n * in);
      for (size_t o = 0; o < out; ++o) outputs[n * out + o] = session.output(o).value;
    }
  }

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
  if (from.loaded == nullptr) {
    instance = CreateLinkedInstance(*info, std::move(values), weightsFile);
    return;
  }
  const TokenEntryPoint entry = from.entryPoint(info->name);
  if (entry == nullptr) throw Error(Error::kBadParameter, "the library " + library.path() + " does not export " + info->name);
  instance = std::make_unique<LoadedInstance>(from, entry, inputCount(), outputCount(), std::move(values), weightsFile);
}

Filter::~Filter() = default;

Filter::Filter(Filter&& other) noexcept
    : library(other.library), info(other.info), instance(std::move(other.instance)) {}

Filter& Filter::operator=(Filter&& other) noexcept {
  if (this != &other) {
    instance = std::move(other.instance);
    library = other.library;
    info = other.info;
  }
  return *this;
}

const std::vector<double>& Filter::parameters() const {
  if (instance == nullptr) throw std::logic_error("the " + info->name + " filter is closed");
  return instance->parameters();
}

void Filter::step(const double* inputs, double* outputs) { process(inputs, 1, outputs); }

void Filter::process(const double* inputs, size_t samples, double* outputs) {
  if (instance == nullptr) throw std::logic_error("the " + info->name + " filter is closed");
  instance->process(inputs, samples, outputs);
}

void Filter::close() {
  if (instance == nullptr) return;
  const std::unique_ptr<Instance> ending = std::move(instance);
  std::string message;
  const int32_t status = ending->close(&message);
  if (status != 0) throw Error(status, message);
}

}  // namespace adaptive
