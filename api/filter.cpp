#include "adaptive/filter.h"

#include <mutex>
#include <stdexcept>

#include "api/entry_call_lock.h"
#include "api/host_session.h"
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

}  // namespace

Filter::Filter(const Library& source, const std::string& token, const Parameters& parameters,
               const std::string& weightsFile)
    : library(source), info(&source.token(token)) {
  const TokenEntryPoint entry = library.source().entryPoint(info->name);
  if (entry == nullptr) {
    const std::string which = library.path().empty() ? "the linked library" : "the library " + library.path();
    throw Error(Error::kBadParameter, which + " does not export " + info->name);
  }
  auto created = std::make_unique<HostSession>(entry, inputCount(), outputCount(),
                                               ParameterValues(*info, parameters), weightsFile);
  std::lock_guard<EntryCallLock> lock(EntryCallLock::Instance());
  const int32_t status = created->create();
  if (status != 0) {
    // The library keeps a half-built instance: its terminate call releases it
    // (and closes any final-weights file opened before the failure).
    const std::string message = created->errorText();
    created->terminate();
    throw Error(status, message);
  }
  session = std::move(created);
}

Filter::~Filter() {
  if (session == nullptr) return;
  std::lock_guard<EntryCallLock> lock(EntryCallLock::Instance());
  session->terminate();
}

Filter::Filter(Filter&& other) noexcept
    : library(other.library), info(other.info), session(std::move(other.session)) {}

Filter& Filter::operator=(Filter&& other) noexcept {
  if (this != &other) {
    if (session != nullptr) {
      std::lock_guard<EntryCallLock> lock(EntryCallLock::Instance());
      session->terminate();
    }
    library = other.library;
    info = other.info;
    session = std::move(other.session);
  }
  return *this;
}

const std::vector<double>& Filter::parameters() const {
  if (session == nullptr) throw std::logic_error("the " + info->name + " filter is closed");
  return session->parameterValues();
}

void Filter::step(const double* inputs, double* outputs) { process(inputs, 1, outputs); }

void Filter::process(const double* inputs, size_t samples, double* outputs) {
  const size_t in = inputCount();
  const size_t out = outputCount();
  std::lock_guard<EntryCallLock> lock(EntryCallLock::Instance());
  if (session == nullptr) throw std::logic_error("the " + info->name + " filter is closed");
  for (size_t n = 0; n < samples; ++n) {
    session->run(inputs + n * in);
    for (size_t o = 0; o < out; ++o) outputs[n * out + o] = session->output(o).value;
  }
}

void Filter::close() {
  std::lock_guard<EntryCallLock> lock(EntryCallLock::Instance());
  if (session == nullptr) return;
  const std::unique_ptr<HostSession> ending = std::move(session);
  const int32_t status = ending->terminate();
  if (status != 0) throw Error(status, ending->errorText());
}

}  // namespace adaptive
