// What a Library object shares among its copies and the filters made from it:
// the loaded file (none for the linked library), the catalogue copied out of
// the host records, and the resolver of entry points.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "adaptive/library.h"
#include "api/dynamic_library.h"
#include "host/records.h"

namespace adaptive {

struct Library::Source {
  std::string path;
  int version = 0;
  std::vector<TokenInfo> tokens;
  // Loaded plug-in; null for the linked library, whose entry points come from
  // `linkedEntry`.
  std::unique_ptr<DynamicLibrary> loaded;
  TokenEntryPoint (*linkedEntry)(const std::string& name) = nullptr;

  // The exported entry point of a token, or null when the library lacks it.
  TokenEntryPoint entryPoint(const std::string& name) const;
};

// Calls USERCODE into host-allocated records and copies the catalogue out,
// checking every count and string. False with the reason in *error.
bool ReadCatalogue(UserCodeEntryPoint userCode, Library::Source* source, std::string* error);

}  // namespace adaptive
