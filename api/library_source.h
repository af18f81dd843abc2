// What a Library object shares among its copies and the filters made from it:
// the loaded file (none for the linked library), the catalogue copied out of
// the host records, and the resolver of entry points.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "adaptive/library.h"
#include "api/dynamic_library.h"
#include "core/mutex.h"
#include "plugin/records.h"

namespace adaptive {

namespace detail {

struct LibrarySource {
  std::string path;
  int version = 0;
  std::vector<TokenInfo> tokens;
  // Loaded plug-in; null for the linked library, whose tokens `linkedHas`
  // tells.
  std::unique_ptr<DynamicLibrary> loaded;
  bool (*linkedHas)(const std::string& name) = nullptr;
  // Held around every call into a loaded plug-in, which may keep the call in
  // progress in library-wide variables.
  mutable Mutex calls;

  // The exported entry point of a token of the loaded plug-in, or null when
  // it lacks it.
  TokenEntryPoint entryPoint(const std::string& name) const;
};

// What the hosts built on this interface in this tree reach behind a Library.
struct LibraryAccess {
  static const LibrarySource& of(const Library& library) { return *library.shared; }
};

}  // namespace detail

// The exported entry point of the token `name` of a loaded library, or null
// (for the protocol tests and benchmarks, which drive the records themselves).
inline TokenEntryPoint EntryPointOf(const Library& library, const std::string& name) {
  return detail::LibraryAccess::of(library).entryPoint(name);
}

// The role of the input port called `name`.
PortRole RoleOfInput(const std::string& name);

// Calls USERCODE into host-allocated records and copies the catalogue out,
// checking every count and string. False with the reason in *error.
bool ReadCatalogue(UserCodeEntryPoint userCode, detail::LibrarySource* source, std::string* error);

}  // namespace adaptive
