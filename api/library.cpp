#include "adaptive/library.h"

#include "adaptive/error.h"
#include "adaptive/closest_name.h"
#include "api/library_source.h"
#include "adaptive/name_match.h"

namespace adaptive {

TokenEntryPoint detail::LibrarySource::entryPoint(const std::string& name) const {
  return loaded ? reinterpret_cast<TokenEntryPoint>(loaded->symbol(name.c_str())) : nullptr;
}

Library Library::load(const std::string& path) {
  std::string reason;
  auto source = std::make_shared<detail::LibrarySource>();
  source->loaded = DynamicLibrary::open(path, &reason);
  if (!source->loaded) throw Error(Error::kNoLibrary, "cannot load the token library " + path + ": " + reason);
  const auto userCode = reinterpret_cast<UserCodeEntryPoint>(source->loaded->symbol("USERCODE"));
  if (userCode == nullptr) {
    throw Error(Error::kNoLibrary, "the library " + path + " exports no USERCODE: it is not a token library");
  }
  if (!ReadCatalogue(userCode, source.get(), &reason)) {
    throw Error(Error::kNoLibrary, "the library " + path + " has a broken catalogue: " + reason);
  }
  source->path = path;
  return Library(std::move(source));
}

const std::string& Library::path() const { return shared->path; }
int Library::version() const { return shared->version; }
const std::vector<TokenInfo>& Library::tokens() const { return shared->tokens; }

const TokenInfo* Library::find(const std::string& name) const {
  for (const TokenInfo& token : shared->tokens) {
    if (token.name == name) return &token;
  }
  return nullptr;
}

bool Library::exports(const std::string& name) const {
  return shared->loaded ? shared->entryPoint(name) != nullptr : shared->linkedHas(name);
}

const TokenInfo& Library::token(const std::string& name) const {
  std::vector<std::string> names;
  std::string known;
  for (const TokenInfo& token : shared->tokens) {
    names.push_back(token.name);
    known += (known.empty() ? "" : ", ") + token.name;
  }
  const size_t index =
      MatchNameOrThrow(names, name, "the token",
                       "no token called \"" + Shown(name) + "\"" + DidYouMean(names, name) + "; the library has " +
                           known);
  return shared->tokens[index];
}

}  // namespace adaptive
