// A token library loaded at run time the way the host loads it: the catalogue
// obtained through USERCODE into host-allocated records, and the token entry
// points resolved by name (adaptive::Library of the C++ interface).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "adaptive/library.h"
#include "plugin/records.h"

using TokenInfo = adaptive::TokenInfo;
using adaptive::TokenEntryPoint;

class Plugin {
 public:
  // Loads the library, calls its USERCODE and checks what it reported.
  // Null on failure, with a message naming the library in *error.
  static std::unique_ptr<Plugin> Load(const std::string& path, std::string* error);

  const std::string& path() const { return library.path(); }
  int32_t version() const { return library.version(); }
  const std::vector<TokenInfo>& catalogue() const { return library.tokens(); }
  const adaptive::Library& tokenLibrary() const { return library; }

  // The catalogue entry called `name`, or null.
  const TokenInfo* find(const std::string& name) const { return library.find(name); }

  // The exported entry point of a token, or null when the library lacks it.
  // Sessions using it must end before the Plugin is destroyed.
  TokenEntryPoint entryPoint(const std::string& name) const;

 private:
  explicit Plugin(adaptive::Library loaded) : library(std::move(loaded)) {}
  adaptive::Library library;
};

// The library that sits beside the executable in the build tree or in the
// library directory of its installation (or, failing that, where the build
// put it).
std::string DefaultPluginPath();
