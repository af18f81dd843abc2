// The token library linked into the program: its entry points are plain calls.
// Everything that uses it by default is here, apart from the rest of the
// interface, so that a host that only loads plug-ins (adaptsim) does not link
// the library's code.
#include <cstring>

#include "adaptive/error.h"
#include "adaptive/filter.h"
#include "api/library_source.h"
#include "host/catalogue.h"
#include "tokens/entry_points.h"

namespace adaptive {

namespace {

struct LinkedEntry {
  const char* name;
  TokenEntryPoint entry;
};

#define ADAPTIVE_LINKED_ENTRY(NAME) {#NAME, &::NAME},
constexpr LinkedEntry kLinkedEntries[] = {ADAPTIVE_FOR_EACH_ENTRY(ADAPTIVE_LINKED_ENTRY)};
#undef ADAPTIVE_LINKED_ENTRY

TokenEntryPoint LinkedEntryPoint(const std::string& name) {
  for (const LinkedEntry& e : kLinkedEntries) {
    if (name == e.name) return e.entry;
  }
  return nullptr;
}

std::shared_ptr<const Library::Source> ReadLinkedLibrary() {
  auto source = std::make_shared<Library::Source>();
  source->linkedEntry = &LinkedEntryPoint;
  std::string reason;
  if (!ReadCatalogue(&USERCODE, source.get(), &reason)) {
    throw Error(Error::kNoLibrary, "the linked token library has a broken catalogue: " + reason);
  }
  return source;
}

}  // namespace

Library Library::linked() {
  static const std::shared_ptr<const Source> source = ReadLinkedLibrary();
  return Library(source);
}

const std::vector<TokenInfo>& tokens() { return Library::linked().tokens(); }

Filter::Filter(const std::string& token, const Parameters& parameters, const std::string& weightsFile)
    : Filter(Library::linked(), token, parameters, weightsFile) {}

}  // namespace adaptive
