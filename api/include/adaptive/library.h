// Where a filter's entry points come from: the token library linked into this
// program, or a plug-in loaded at run time from a file as the simulator loads
// it. Either way its catalogue is read through USERCODE into host records.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "adaptive/token_info.h"

namespace adaptive {

namespace detail {
struct LibrarySource;
struct LibraryAccess;
}  // namespace detail

class Library {
 public:
  // The library linked into this program (the adaptive::adaptive target).
  static Library linked();
  // The plug-in in the file `path`; throws Error (status Error::kNoLibrary) when
  // it cannot be loaded or its catalogue is broken. The file stays loaded while
  // any copy of this object or any filter made from it lives.
  static Library load(const std::string& path);

  // "" for the linked library.
  const std::string& path() const;
  // The version constant the library reports with its catalogue.
  int version() const;
  // The whole catalogue, in catalogue order (a build may export fewer tokens:
  // making a filter of one it lacks throws Error).
  const std::vector<TokenInfo>& tokens() const;
  // The entry called `name`, or null.
  const TokenInfo* find(const std::string& name) const;
  // The entry called `name`; throws Error listing the tokens when there is none.
  const TokenInfo& token(const std::string& name) const;
  // True when the library exports the entry point of the token `name`.
  bool exports(const std::string& name) const;

 private:
  friend struct detail::LibraryAccess;
  explicit Library(std::shared_ptr<const detail::LibrarySource> source) : shared(std::move(source)) {}
  std::shared_ptr<const detail::LibrarySource> shared;
};

// The catalogue of the linked library: Library::linked().tokens().
const std::vector<TokenInfo>& tokens();

}  // namespace adaptive
