// The token library linked into the program: its tokens, described straight
// from their families' descriptors, and driven directly, with no host records
// and no lock, so that distinct filters run in parallel.
#include <cstring>

#include "adaptive/error.h"
#include "adaptive/filter.h"
#include "api/filter_instance.h"
#include "api/library_source.h"
#include "api/families.h"
#include "plugin/catalogue_records.h"

namespace adaptive {

namespace {

bool LinkedHas(const std::string& name) { return FindKnownToken(name) != nullptr; }

std::shared_ptr<const detail::LibrarySource> DescribeLinkedLibrary() {
  auto source = std::make_shared<detail::LibrarySource>();
  source->linkedHas = &LinkedHas;
  source->version = kLibraryInfoVersion;
  for (const KnownToken& token : KnownTokens()) source->tokens.push_back(DescribeKnownToken(token));
  return source;
}

// The token object itself: its constructor, compute and finish are the
// creation, run and terminate calls of the host's protocol, without records.
class LinkedInstance : public Filter::Instance {
 public:
  LinkedInstance(TokenFactory factory, std::vector<double> parameters, const std::string& fileName)
      : Instance(std::move(parameters)), name(fileName.c_str(), fileName.c_str() + fileName.size() + 1) {
    char errorText[kErrorTextCapacity + 1] = {};
    CallStatus status(errorText);
    TokenSetup setup{this->parameters().data(), name.data(), status};
    object.reset(factory(setup));
    if (object == nullptr) throw Error(kStatusNoToken, "Memory allocation error for token.");
    if (!status.ok()) {
      // A half-built token may hold files opened before the failure: end it.
      CallStatus ending(nullptr);
      object->finish(ending);
      throw Error(status.code(), errorText);
    }
  }

  ~LinkedInstance() override {
    if (object == nullptr) return;
    CallStatus ending(nullptr);
    object->finish(ending);
  }

  int32_t step(const double* inputs, double* outputs) override {
    object->compute(inputs, outputs);
    return kStatusOk;
  }

  const AdaptiveToken* token() const override { return object.get(); }

  int32_t close(std::string* message) override {
    char errorText[kErrorTextCapacity + 1] = {};
    CallStatus status(errorText);
    object->finish(status);
    object.reset();
    if (!status.ok()) *message = errorText;
    return status.code();
  }

 private:
  std::vector<char> name;  // the token cuts it at its dot
  std::unique_ptr<AdaptiveToken> object;
};

}  // namespace

std::unique_ptr<Filter::Instance> CreateLinkedInstance(const TokenInfo& token, std::vector<double> parameters,
                                                       const std::string& fileName) {
  const KnownToken* known = FindKnownToken(token.name);
  if (known == nullptr) throw Error(Error::kBadParameter, "the linked library does not export " + token.name);
  return std::make_unique<LinkedInstance>(known->factory, std::move(parameters), fileName);
}

Library Library::linked() {
  static const std::shared_ptr<const detail::LibrarySource> source = DescribeLinkedLibrary();
  return Library(source);
}

const std::vector<TokenInfo>& tokens() { return Library::linked().tokens(); }

Filter::Filter(const std::string& token, const Parameters& parameters, const std::string& weightsFile)
    : Filter(Library::linked(), token, parameters, weightsFile) {}

}  // namespace adaptive
