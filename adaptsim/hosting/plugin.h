// A token library loaded at run time the way the host loads it: the catalogue
// obtained through USERCODE into host-allocated records, and the tokens driven
// through their entry points (adaptive::Library and adaptive::Filter of the
// C++ interface).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "adaptive/filter.h"
#include "adaptive/library.h"

using TokenInfo = adaptive::TokenInfo;

class Plugin {
 public:
  // Loads the library, calls its USERCODE and checks what it reported.
  // Null on failure, with a message naming the library in *error.
  static std::unique_ptr<Plugin> load(const std::string& path, std::string* error);

  const std::string& path() const { return library.path(); }
  int32_t version() const { return library.version(); }
  const std::vector<TokenInfo>& catalogue() const { return library.tokens(); }
  const adaptive::Library& tokenLibrary() const { return library; }

  // The catalogue entry called `name`, or null.
  const TokenInfo* find(const std::string& name) const { return library.find(name); }

  // True when the library exports the entry point of the token `name`.
  bool exports(const std::string& name) const { return library.exports(name); }

 private:
  explicit Plugin(adaptive::Library loaded) : library(std::move(loaded)) {}
  adaptive::Library library;
};

// Parameter values in catalogue order (all of them) as a Filter takes them:
// by their catalogue names.
adaptive::Filter::Parameters NamedValues(const TokenInfo& token, const std::vector<double>& values);

// The library that sits beside the executable in the build tree or in the
// library directory of its installation (or, failing that, where the build
// put it).
std::string DefaultPluginPath();
